// A helper program started with a pipe on its standard input and its
// standard error kept in a file, such as the video encoder a capture feeds.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Where a program that could not be started can be had, for messages.
std::string WhereToGetProgram(const std::string& program);

class TPipedProcess {
 public:
  TPipedProcess() = default;
  // A program still running is stopped and waited for.
  ~TPipedProcess();
  TPipedProcess(const TPipedProcess&) = delete;
  TPipedProcess& operator=(const TPipedProcess&) = delete;

  // Starts arguments[0], looked up on PATH (on Windows first beside the
  // program); false with the reason when it cannot be started.
  bool Start(const std::vector<std::string>& arguments, const std::string& stderrFile, std::string& reason);
  // Writes every byte; false once the program no longer reads them.
  bool Write(const void* data, size_t size);
  // Closes the program's input and waits for it: its exit status, or -1
  // when a signal ended it.
  int Finish();

 private:
  // The system's handles: a process id and a file descriptor on POSIX.
  intptr_t Pid = -1;
  intptr_t Input = -1;
};
