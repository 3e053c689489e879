// The demo's frame at a time, as the player draws it: the player's own
// frame director (DrawFrame) draws into the frame buffer at a pixel size,
// after what frames carry to the next has been brought to that time as a
// run from the start brings it, on the virtual clock at 60 frames a second:
// the frame "vemla --still <time>" shows. The channels come from the
// document's compiled track through the player's reader and its cubic
// interpolation; muted channels are off in the track it samples.
#pragma once
#include <cstdint>
#include <vector>

#include "runtime/Timer.h"
#include "runtime/VRTReader.h"

class TPreview {
 public:
  // The compiled track (Timeline.h CompileTimeline), played at rate beats a
  // minute, and which of its channels play; the rest are off.
  void SetTrack(std::vector<std::vector<float>> track, int rate, const std::vector<bool>& audible);
  // True where that changes which channels play.
  bool SetAudible(const std::vector<bool>& audible);
  // The values every channel of the track has at the time, as the preview
  // and the live previews get them.
  std::vector<float> ChannelsAt(double time);

  // The frame's pixel size for a panel: the largest 4:3 rectangle in it,
  // but never smaller than the 800 x 600 the demo's render textures were
  // made for at loading (a smaller panel shows that frame scaled down).
  static void FrameSizeFor(int panelWidth, int panelHeight, int& width, int& height);
  // Draws the frame at the time for the panel, unless the same frame was
  // drawn last, and returns the texture holding it (FramePicture).
  uint32_t Draw(double time, int panelWidth, int panelHeight);
  // Draws it again next time, however alike.
  void Invalidate() { Drawn = false; }
  int Width() const { return LastWidth; }
  int Height() const { return LastHeight; }
  // The last frame drawn, RGB rows bottom first.
  std::vector<uint8_t> ReadFrame();
  // Seconds the last frame took to draw, and of them to bring the state to
  // its time, for the benchmark.
  double DrawSeconds = 0, BringSeconds = 0;

 private:
  void Rebuild();
  std::vector<std::vector<float>> Track;
  int Rate = 0;
  std::vector<bool> Audible;
  TVRTReader Reader;
  bool Drawn = false;
  double LastTime = -1;
  int LastWidth = 0, LastHeight = 0;
  uint32_t Picture = 0;
  TETimer Clock;
};
