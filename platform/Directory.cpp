#include "platform/Directory.h"

#include <unistd.h>

#include "platform/Stream.h"

bool ChangeDirectory(const std::string& path) { return chdir(PlatformPath(path).c_str()) == 0; }
