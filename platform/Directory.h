// The working directory, and folders the program writes into.
#pragma once
#include <string>

// Makes the directory current; false when it cannot.
bool ChangeDirectory(const std::string& path);
// The path made absolute against the current directory, so that it keeps
// its meaning after the directory changes.
std::string AbsolutePath(const std::string& path);
// Makes the folder (and its parents) when missing and checks that files can
// be made in it; false with the reason when not.
bool PrepareOutputFolder(const std::string& path, std::string& reason);
// A path for a scratch file of the program's in the system's temporary
// folder, named after stem and unlike any other run's; the caller removes it.
std::string ScratchFilePath(const std::string& stem);
