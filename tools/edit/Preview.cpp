#include "Preview.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "PreviewLink.h"
#include "platform/Presentation.h"
#include "platform/SharedState.h"
#include "runtime/Capture.h"
#include "runtime/DemoMain.h"
#include "runtime/MainLoop.h"

void TPreview::SetTrack(std::vector<std::vector<float>> track, int rate, const std::vector<bool>& audible) {
  Track = std::move(track);
  Rate = rate;
  Audible = audible;
  Rebuild();
}

bool TPreview::SetAudible(const std::vector<bool>& audible) {
  if (audible == Audible) return false;
  Audible = audible;
  Rebuild();
  return true;
}

void TPreview::Rebuild() {
  std::vector<std::vector<float>> played = Track;
  for (size_t c = 0; c < played.size(); ++c)
    if (c < Audible.size() && !Audible[c]) std::fill(played[c].begin(), played[c].end(), InactiveChannel());
  // A track the player could not hold either (no channels, or more than
  // its block has) leaves the preview without one: nothing is drawn.
  try {
    Reader.LoadChannels(std::move(played), Rate, "the timeline");
  } catch (const ETrackError&) {
    Reader = TVRTReader();
  }
  Drawn = false;
}

std::vector<float> TPreview::ChannelsAt(double time) {
  return Reader.Data.empty() ? std::vector<float>() : PacketValuesAt(Reader, time);
}

void TPreview::FrameSizeFor(int panelWidth, int panelHeight, int& width, int& height) {
  const TPixelRect fit = FitRect(panelWidth, panelHeight);
  const bool large = fit.Height >= 600;
  width = large ? fit.Width : 800;
  height = large ? fit.Height : 600;
}

uint32_t TPreview::Draw(double time, int panelWidth, int panelHeight) {
  int width = 0, height = 0;
  FrameSizeFor(panelWidth, panelHeight, width, height);
  if (Reader.Data.empty() || (Drawn && time == LastTime && width == LastWidth && height == LastHeight)) return Picture;
  const double started = Clock.GetTime();
  SetSurfaceSize(width, height);
  DrawIntoFrame();
  // The frame of a still at that time (runtime/Entry.cpp, PlayVirtualFrames).
  BringFrameStateTo(time, TFrameRate{}, Reader);
  BringSeconds = Clock.GetTime() - started;
  {
    TVirtualClock clock(time, TFrameRate{}, 1);
    const float t = clock.Elapsed();
    FrameDelta = clock.Delta();
    Reader.Sample(t);
    DrawFrame();
  }
  RunEnded = false;
  Picture = FramePicture();
  // The driver's work on the frame counts too.
  glFinish();
  DrawSeconds = Clock.GetTime() - started;
  Drawn = true;
  LastTime = time;
  LastWidth = width;
  LastHeight = height;
  return Picture;
}

std::vector<uint8_t> TPreview::ReadFrame() {
  std::vector<uint8_t> rgb;
  DrawIntoFrame();
  ReadBackFrame(CaptureLayout(LastWidth, LastHeight), rgb);
  return rgb;
}
