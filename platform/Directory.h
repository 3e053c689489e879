// The working directory.
#pragma once
#include <string>

// Makes the directory current; false when it cannot.
bool ChangeDirectory(const std::string& path);
