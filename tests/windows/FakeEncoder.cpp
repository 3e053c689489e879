// Stands in for ffmpeg in the Windows program tests: copies the raw frames
// from standard input into the file named last on its command line and says
// on standard error how many bytes came, so that a test can count the frames
// the program sent through its pipe.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::FILE* out = std::fopen(argv[argc - 1], "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "cannot write %s\n", argv[argc - 1]);
    return 1;
  }
  _setmode(_fileno(stdin), _O_BINARY);
  static char buffer[1 << 16];
  size_t total = 0;
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0; total += got)
    std::fwrite(buffer, 1, got, out);
  std::fclose(out);
  std::fprintf(stderr, "%zu bytes\n", total);
  return 0;
}
