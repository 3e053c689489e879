// Crashes at once, as a test program whose set-up went wrong might: the
// Windows tests check that wine then ends it with the exception printed
// instead of waiting in its crash dialog.
#include <cstdio>

int main() {
  std::puts("crashing now");
  std::fflush(stdout);
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 0;
}
