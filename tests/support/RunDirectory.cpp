#include "support/RunDirectory.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

RunDirectory::RunDirectory(std::string program, std::string stage)
    : Program(std::move(program)), Stage(std::move(stage)) {
  fs::create_directory_symlink(fs::path(Stage) / "data", fs::path(Temp.Path()) / "data");
}

void RunDirectory::UseStagedTrack() { fs::copy_file(fs::path(Stage) / "demo.vrk", fs::path(Temp.Path()) / "demo.vrk"); }

int RunDirectory::Shell(const std::string& command) {
  const int status = std::system(("cd '" + Temp.Path() + "' && " + command).c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunDirectory::Run(const std::string& arguments, const std::string& environment) {
  return Shell(environment + " '" + Program + "' " + arguments + " >out.txt 2>err.txt");
}

int RunDirectory::Start(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.push_back(Program.data());
  std::vector<std::string> words = arguments;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const std::string out = Path("out.txt"), err = Path("err.txt");
  const pid_t pid = fork();
  if (pid == 0) {
    const int outFile = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int errFile = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (outFile < 0 || errFile < 0 || chdir(Temp.Path().c_str()) != 0) _exit(127);
    dup2(outFile, 1);
    dup2(errFile, 2);
    execv(Program.c_str(), argv.data());
    _exit(127);
  }
  return pid;
}

int RunDirectory::Wait(int pid, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string RunDirectory::Read(const std::string& name) const {
  std::ifstream in(Path(name), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> RunDirectory::Files(const std::string& folder) const {
  std::vector<std::string> names;
  if (fs::exists(Path(folder)))
    for (const auto& entry : fs::directory_iterator(Path(folder))) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}
