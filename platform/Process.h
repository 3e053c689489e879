// A helper program started with a pipe on its standard input and its
// standard error kept in a file, such as the video encoder a capture feeds.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

class TPipedProcess {
 public:
  TPipedProcess() = default;
  // A program still running is stopped and waited for.
  ~TPipedProcess();
  TPipedProcess(const TPipedProcess&) = delete;
  TPipedProcess& operator=(const TPipedProcess&) = delete;

  // Starts arguments[0], looked up on PATH; false with the reason when it
  // cannot be started.
  bool Start(const std::vector<std::string>& arguments, const std::string& stderrFile, std::string& reason);
  // Writes every byte; false once the program no longer reads them.
  bool Write(const void* data, size_t size);
  // Closes the program's input and waits for it: its exit status, or -1
  // when a signal ended it.
  int Finish();

 private:
  int Pid = -1;
  int Input = -1;
};
