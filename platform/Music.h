// Music playback: files are loaded whole into the 128 sample slots, in load
// order, and played once from their start. Without an audio device or with
// a missing file the program simply stays silent.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

constexpr int32_t SampleSlotCount = 128;
// The library's handle of each filled slot; slots fill in load order.
extern uint32_t SampleSlots[SampleSlotCount];
extern int32_t SampleCount;

// Opens the default audio output at 44100 Hz; false when there is none,
// which is said once on stderr.
bool InitMusic(void* window);
// For a program that shows the music as well as playing it (an editor's
// waveform): where InitMusic found no device, opens an output that plays
// nowhere, so that the music still loads, shows and keeps time, unheard.
// False when even that cannot be opened.
bool InitSilentMusic();
// The slot of the loaded file (0 or more), or -1 when it could not be
// loaded; a failed load leaves its slot to the next one.
int32_t LoadSample(const std::string& fileName);
// Plays the slot's sample once from start seconds in (its start by
// default). Volume 0 to 100 (100 is full), pan 0 to 100 (50 is the centre).
// Returns a playback handle, or 0 when nothing plays (an index that holds no
// sample, or a start past its end).
int32_t PlaySample(int32_t index, int32_t volume, int32_t pan, double start = 0);

// For a program that starts and stops the music at will (an editor):
//
// Stops a playback PlaySample returned; nothing for 0 or one that has ended.
void StopPlayback(int32_t playback);
// Seconds into its sample the playback has reached by the audio output's
// clock, so that pictures can follow what is heard; -1 once it has ended,
// for 0, or where the output cannot tell.
double PlaybackPosition(int32_t playback);

// A loaded sample's sound as the output plays it: Frames frames of Channels
// 16-bit signed samples, interleaved, Rate frames a second. The samples
// stay valid for the rest of the run.
struct TSoundView {
  const int16_t* Samples = nullptr;
  size_t Frames = 0;
  int Channels = 0;
  int Rate = 0;
};
// False for a slot that holds no sample.
bool SampleSound(int32_t index, TSoundView& sound);
