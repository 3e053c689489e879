// The console on Windows: its handles, modes and typed keys through the
// console API. Keys that a terminal would send as escape sequences (the
// arrows) are handed over as the same sequences, so readers of the bytes
// need not know which system typed them.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/Console.h"

namespace {
bool RawKeys = false;
DWORD SavedInputMode = 0;

bool IsConsole(DWORD which) {
  HANDLE handle = GetStdHandle(which);
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_CHAR &&
         GetConsoleMode(handle, &mode) != 0;
}

// Ctrl+Break or a closed console ends the program while the keys are raw:
// the console gets its modes back first, then the next handler decides.
BOOL WINAPI RestoreKeysFirst(DWORD) {
  SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), SavedInputMode);
  return FALSE;
}

void AppendKey(const KEY_EVENT_RECORD& key, std::string& bytes) {
  if (!key.bKeyDown) return;
  const char* arrow = nullptr;
  switch (key.wVirtualKeyCode) {
    case VK_UP: arrow = "\033[A"; break;
    case VK_DOWN: arrow = "\033[B"; break;
    case VK_RIGHT: arrow = "\033[C"; break;
    case VK_LEFT: arrow = "\033[D"; break;
    default: break;
  }
  for (WORD n = 0; n < (key.wRepeatCount == 0 ? 1 : key.wRepeatCount); ++n) {
    if (arrow != nullptr)
      bytes += arrow;
    else if (key.uChar.AsciiChar != 0)
      bytes += key.uChar.AsciiChar;
  }
}
}  // namespace

bool StderrIsTerminal() { return IsConsole(STD_ERROR_HANDLE); }

// Consoles read escapes once asked to (Windows 10 and later).
bool StderrErasesLines() {
  HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode) == 0) return false;
  if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) return true;
  return SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

bool StdinIsTerminal() { return IsConsole(STD_INPUT_HANDLE); }

bool StartRawKeys() {
  if (RawKeys) return true;
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (!StdinIsTerminal() || GetConsoleMode(input, &SavedInputMode) == 0) return false;
  // Without processed input Ctrl+C arrives as the byte 3, as in a raw terminal.
  const DWORD raw = SavedInputMode & ~static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT);
  if (SetConsoleMode(input, raw) == 0) return false;
  SetConsoleCtrlHandler(RestoreKeysFirst, TRUE);
  RawKeys = true;
  return true;
}

void EndRawKeys() {
  if (!RawKeys) return;
  SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), SavedInputMode);
  SetConsoleCtrlHandler(RestoreKeysFirst, FALSE);
  RawKeys = false;
}

std::string WaitForTypedBytes(int milliseconds) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (!StdinIsTerminal()) {
    Sleep(static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds));
    return {};
  }
  std::string bytes;
  const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(milliseconds < 0 ? 0 : milliseconds);
  // Events that are no keys (focus, mouse, resizing) wake the wait too; the
  // wait goes on until a key or the time comes.
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now >= until ? 0 : static_cast<DWORD>(until - now);
    if (WaitForSingleObject(input, left) != WAIT_OBJECT_0) return bytes;
    INPUT_RECORD records[64];
    DWORD got = 0;
    if (ReadConsoleInputA(input, records, 64, &got) == 0) return bytes;
    for (DWORD k = 0; k < got; ++k)
      if (records[k].EventType == KEY_EVENT) AppendKey(records[k].Event.KeyEvent, bytes);
    if (!bytes.empty() || left == 0) return bytes;
  }
}

bool MessageBoxesSeen() {
  // Run from a script or a test with its errors captured, the program tells
  // them there and does not stop for a box nobody may be there to close.
  HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return true;
  const DWORD type = GetFileType(handle);
  return type != FILE_TYPE_DISK && type != FILE_TYPE_PIPE;
}

void LeaveConsoleOfItsOwn() {
  DWORD processes[2];
  if (GetConsoleProcessList(processes, 2) != 1) return;
  if (!IsConsole(STD_OUTPUT_HANDLE) || !IsConsole(STD_ERROR_HANDLE)) return;
  FreeConsole();
}
