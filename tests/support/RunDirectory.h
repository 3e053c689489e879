// A temporary run directory for starting the program as a user would: the
// staged content linked in as "data", optionally the staged track, and the
// program run there with its output kept in out.txt and err.txt.
#pragma once
#include <string>
#include <vector>

#include "support/TempDir.h"

class RunDirectory {
 public:
  RunDirectory(std::string program, std::string stage);

  // Copies the staged "demo.vrk" in.
  void UseStagedTrack();
  // Runs a shell command there; returns its exit status.
  int Shell(const std::string& command);
  // Runs the program there with the arguments, after the environment
  // assignments; returns its exit status.
  int Run(const std::string& arguments, const std::string& environment = "");
  // Starts the program there in the background, its output going to
  // out.txt and err.txt; returns its process id.
  int Start(const std::vector<std::string>& arguments);
  // Waits at most the seconds for the started program: its exit status, or
  // 128 + the signal that ended it; -1 when it had to be killed.
  static int Wait(int pid, double seconds);
  std::string Stderr() { return Read("err.txt"); }
  // A file's bytes; empty when it cannot be read.
  std::string Read(const std::string& name) const;
  std::string Path(const std::string& name) const { return Temp.Path() + "/" + name; }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const { return Temp.Write(name, bytes); }
  // The names in a folder of the directory, hidden ones included, sorted;
  // none when it does not exist.
  std::vector<std::string> Files(const std::string& folder) const;


 private:
  TempDir Temp;
  std::string Program;
  std::string Stage;
};
