#include "platform/Music.h"

// Not built yet: the program runs silently.
bool InitMusic(void*) { return false; }
int32_t LoadSample(const std::string&) { return -1; }
int32_t PlaySample(int32_t, int32_t, int32_t) { return 0; }
