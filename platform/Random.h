// The program's one random number generator: a 32-bit seed shared by
// everything that draws. A draw sets seed := seed * 134775813 + 1 (mod 2^32)
// and returns seed / 2^32.
#pragma once
#include <cstdint>

extern uint32_t RandSeed;

// A number in [0, 1).
double RandomFloat();
// The seed from the UTC time of day: ((h * 60 + m) * 60 + s) * 1000 + ms.
void Randomize();
