#include "platform/win32/Win32System.h"

#include <windows.h>

std::string SystemMessage(unsigned long code) {
  char* text = nullptr;
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = length > 0 && text != nullptr ? std::string(text, length) : "error " + std::to_string(code);
  if (text != nullptr) LocalFree(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == '.'))
    result.pop_back();
  return result;
}

std::string ProgramFolder() {
  char own[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, own, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  const std::string path(own, length);
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}
