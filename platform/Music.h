// Music playback: files are loaded whole into the 128 sample slots, in load
// order, and played once from their start. Without an audio device or with
// a missing file the program simply stays silent.
#pragma once
#include <cstdint>
#include <string>

constexpr int32_t SampleSlotCount = 128;
// The library's handle of each filled slot; slots fill in load order.
extern uint32_t SampleSlots[SampleSlotCount];
extern int32_t SampleCount;

// Opens the default audio output at 44100 Hz; false when there is none,
// which is said once on stderr.
bool InitMusic(void* window);
// The slot of the loaded file (0 or more), or -1 when it could not be
// loaded; a failed load leaves its slot to the next one.
int32_t LoadSample(const std::string& fileName);
// Plays the slot's sample once from start seconds in (its start by
// default). Volume 0 to 100 (100 is full), pan 0 to 100 (50 is the centre).
// Returns a playback handle, or 0 when nothing plays (an index that holds no
// sample, or a start past its end).
int32_t PlaySample(int32_t index, int32_t volume, int32_t pan, double start = 0);
