// Music playback: the music file is loaded whole into one of 128 sample
// slots and played once from its start.
#pragma once
#include <cstdint>
#include <string>

// Opens the default audio output; false when there is none.
bool InitMusic(void* window);
// The slot of the loaded file (0 or more), or -1 when it could not be loaded.
int32_t LoadSample(const std::string& fileName);
// Volume 0 to 100 (100 is full), pan 0 to 100 (50 is the centre). Returns a
// playback handle, or 0 when nothing plays.
int32_t PlaySample(int32_t index, int32_t volume, int32_t pan);
