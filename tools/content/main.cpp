// vemla_content <timeline> <run directory> [--wav <file>]
// Writes the demo's run directory from the timeline and the built-in content.
#include <cstdio>
#include <exception>
#include <fstream>
#include <sstream>
#include <string>

#include "Stage.h"

int main(int argc, char** argv) {
  if (argc != 3 && !(argc == 5 && std::string(argv[3]) == "--wav")) {
    std::fprintf(stderr, "usage: %s <timeline> <run directory> [--wav <file>]\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot open\n", argv[1]);
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  try {
    WriteStage(text.str(), argv[2], argc == 5 ? argv[4] : "");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", argv[1], e.what());
    return 1;
  }
  return 0;
}
