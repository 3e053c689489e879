#include "support/RunDirectory.h"

#include <sys/wait.h>

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
