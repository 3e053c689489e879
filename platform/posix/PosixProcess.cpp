#include "platform/Process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

std::string WhereToGetProgram(const std::string& program) { return "it comes with Debian's " + program + " package"; }

TPipedProcess::~TPipedProcess() {
  if (Pid <= 0) return;
  kill(static_cast<pid_t>(Pid), SIGTERM);
  Finish();
}

bool TPipedProcess::Start(const std::vector<std::string>& arguments, const std::string& stderrFile,
                          std::string& reason) {
  if (arguments.empty()) {
    reason = "no program named";
    return false;
  }
  // A program that stops reading makes writes fail with EPIPE instead of
  // ending this process.
  signal(SIGPIPE, SIG_IGN);
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
    reason = std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], STDIN_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv;
  for (const std::string& word : arguments) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[0]);
  if (error != 0) {
    close(pipeEnds[1]);
    reason = std::strerror(error);
    return false;
  }
  Pid = pid;
  Input = pipeEnds[1];
  return true;
}

bool TPipedProcess::Write(const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0 && Input >= 0) {
    const ssize_t written = write(static_cast<int>(Input), bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return size == 0;
}

int TPipedProcess::Finish() {
  if (Input >= 0) {
    close(static_cast<int>(Input));
    Input = -1;
  }
  if (Pid <= 0) return -1;
  int status = 0;
  while (waitpid(static_cast<pid_t>(Pid), &status, 0) < 0 && errno == EINTR) {
  }
  Pid = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
