#include "runtime/VRTServer.h"

// The live server arrives later; until then server mode ends after loading.
void RunServerMode() {}
