// The helper program on Windows: CreateProcess with a pipe on its standard
// input and its standard error in a file.
#include <windows.h>

#include <string>

#include "platform/Process.h"
#include "platform/win32/Win32System.h"

namespace {
// One argument quoted as the C runtime splits a command line back into
// words: backslashes are literal except before a quote.
std::string Quoted(const std::string& word) {
  if (!word.empty() && word.find_first_of(" \t\"") == std::string::npos) return word;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : word) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

// The program beside this one first, then on PATH; empty when neither has it.
std::string FindProgram(const std::string& name) {
  const std::string file = name.find('.') == std::string::npos ? name + ".exe" : name;
  const std::string folder = ProgramFolder();
  if (!folder.empty() && IsFile(folder + file)) return folder + file;
  char found[MAX_PATH];
  const DWORD got = SearchPathA(nullptr, file.c_str(), nullptr, MAX_PATH, found, nullptr);
  return got > 0 && got < MAX_PATH ? std::string(found, got) : std::string();
}
}  // namespace

std::string WhereToGetProgram(const std::string& program) {
  return "put " + program + ".exe beside the program or in a folder on PATH";
}

TPipedProcess::~TPipedProcess() {
  if (Pid == -1) return;
  TerminateProcess(reinterpret_cast<HANDLE>(Pid), 1);
  Finish();
}

bool TPipedProcess::Start(const std::vector<std::string>& arguments, const std::string& stderrFile,
                          std::string& reason) {
  if (arguments.empty()) {
    reason = "no program named";
    return false;
  }
  const std::string program = FindProgram(arguments[0]);
  if (program.empty()) {
    reason = "no such program beside this one or on PATH";
    return false;
  }
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (CreatePipe(&readEnd, &writeEnd, &inherited, 1 << 20) == 0) {
    reason = SystemMessage(GetLastError());
    return false;
  }
  // Only the program's end of the pipe is handed on.
  SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);
  HANDLE log = CreateFileA(stderrFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherited,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) {
    reason = SystemMessage(GetLastError());
    CloseHandle(readEnd);
    CloseHandle(writeEnd);
    return false;
  }
  std::string commandLine;
  for (const std::string& word : arguments) commandLine += (commandLine.empty() ? "" : " ") + Quoted(word);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = readEnd;
  startup.hStdOutput = log;
  startup.hStdError = log;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                      nullptr, nullptr, &startup, &process);
  const DWORD error = GetLastError();
  CloseHandle(readEnd);
  CloseHandle(log);
  if (started == 0) {
    CloseHandle(writeEnd);
    reason = SystemMessage(error);
    return false;
  }
  CloseHandle(process.hThread);
  Pid = reinterpret_cast<intptr_t>(process.hProcess);
  Input = reinterpret_cast<intptr_t>(writeEnd);
  return true;
}

bool TPipedProcess::Write(const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0 && Input != -1) {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (WriteFile(reinterpret_cast<HANDLE>(Input), bytes, chunk, &written, nullptr) == 0) return false;
    bytes += written;
    size -= written;
  }
  return size == 0;
}

int TPipedProcess::Finish() {
  if (Input != -1) {
    CloseHandle(reinterpret_cast<HANDLE>(Input));
    Input = -1;
  }
  if (Pid == -1) return -1;
  HANDLE process = reinterpret_cast<HANDLE>(Pid);
  WaitForSingleObject(process, INFINITE);
  DWORD status = 1;
  GetExitCodeProcess(process, &status);
  CloseHandle(process);
  Pid = -1;
  return static_cast<int>(status);
}
