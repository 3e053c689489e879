// Font files on Windows: the fonts the system has registered, else the
// DejaVu Sans shipped in the fonts folder beside the program.
#include <windows.h>

#include <string>

#include "platform/FontFiles.h"
#include "platform/win32/Win32System.h"

namespace {
std::string SystemFontFolder() {
  char windows[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(windows, length) + "\\Fonts\\" : std::string();
}

// Whether a registry entry such as "Verdana Bold (TrueType)" or "Cambria &
// Cambria Math (TrueType)" names the face. Only outline fonts count: the
// rasteriser reads no bitmap (.fon) fonts.
bool EntryNames(const std::string& entry, const std::string& face) {
  const std::string outline = " (TrueType)";
  if (entry.size() <= outline.size() || entry.compare(entry.size() - outline.size(), outline.size(), outline) != 0)
    return false;
  const std::string names = entry.substr(0, entry.size() - outline.size());
  size_t start = 0;
  for (;;) {
    const size_t split = names.find(" & ", start);
    if (SameNameIgnoringCase(names.substr(start, split == std::string::npos ? std::string::npos : split - start), face))
      return true;
    if (split == std::string::npos) return false;
    start = split + 3;
  }
}

// The registered file of the face in one of the registry's font lists.
std::string Registered(HKEY root, const std::string& face) {
  HKEY fonts = nullptr;
  if (RegOpenKeyExA(root, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 0, KEY_READ, &fonts) !=
      ERROR_SUCCESS)
    return {};
  std::string found;
  for (DWORD index = 0; found.empty(); ++index) {
    char name[512];
    BYTE data[MAX_PATH];
    DWORD nameLength = sizeof name, dataLength = sizeof data - 1, type = 0;
    const LONG result = RegEnumValueA(fonts, index, name, &nameLength, nullptr, &type, data, &dataLength);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS || type != REG_SZ || !EntryNames(std::string(name, nameLength), face)) continue;
    data[dataLength] = 0;
    std::string file(reinterpret_cast<const char*>(data));
    while (!file.empty() && file.back() == '\0') file.pop_back();
    // A bare name lies in the system's font folder.
    if (file.find_first_of("\\/") == std::string::npos) file = SystemFontFolder() + file;
    if (IsFile(file)) found = file;
  }
  RegCloseKey(fonts);
  return found;
}
}  // namespace

std::string FindFontFile(const std::string& faceName, bool bold) {
  const std::string face = bold ? faceName + " Bold" : faceName;
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    const std::string file = Registered(root, face);
    if (!file.empty()) return file;
  }
  const std::string shipped = ProgramFolder() + (bold ? "fonts\\DejaVuSans-Bold.ttf" : "fonts\\DejaVuSans.ttf");
  if (IsFile(shipped)) return shipped;
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    const std::string file = Registered(root, bold ? "DejaVu Sans Bold" : "DejaVu Sans");
    if (!file.empty()) return file;
  }
  return {};
}
