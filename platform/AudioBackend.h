// The audio library beneath the music module: open the output, load a whole
// file as one sample, play a sample once. The SDL_mixer backend is the
// default; tests may put a fake in its place.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class AudioBackend {
 public:
  virtual ~AudioBackend() = default;
  // Opens the default output at the frequency; false when there is none.
  virtual bool Open(int frequency) = 0;
  // Opens an output that plays nowhere, in place of a device there is none
  // of: samples load and playbacks keep time by its clock, unheard. False
  // where the backend has none.
  virtual bool OpenSilent(int) { return false; }
  // A non-zero handle for the file's sample, 0 on failure.
  virtual uint32_t LoadSample(const std::string& path, int maxPlaybacks) = 0;
  // Plays the sample once from start seconds in at volume 0..1 and pan -1
  // (left) to 1 (right); a non-zero playback handle, 0 when nothing plays.
  virtual int32_t Play(uint32_t sample, float volume, float pan, double start) = 0;
  // Stops a playback Play returned; nothing for one that has ended.
  virtual void Stop(int32_t) {}
  // Seconds into its sample the playback has reached by the output's own
  // clock; -1 once it has ended, or where the backend cannot tell.
  virtual double Position(int32_t) { return -1; }
  // The sample's sound as decoded for the output: 16-bit signed frames,
  // channels interleaved. False where the backend keeps none.
  virtual bool Sound(uint32_t, const int16_t*&, size_t& frames, int& channels, int& rate) {
    frames = 0;
    channels = rate = 0;
    return false;
  }
};

AudioBackend& CurrentAudioBackend();
// nullptr restores the SDL_mixer backend.
void SetAudioBackend(AudioBackend* backend);
