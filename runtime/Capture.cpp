#include "runtime/Capture.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/Console.h"
#include "platform/EINKeyboard.h"
#include "platform/GLBuffers.h"
#include "platform/GLWindow.h"
#include "platform/PngFile.h"
#include "platform/Presentation.h"
#include "runtime/CommandWords.h"

namespace {
constexpr int64_t MaxFrames = 100000000;
// Slack for spans whose ends are meant to fall on a frame, such as 0 to 1 s
// at 60 frames a second.
constexpr double FrameSlack = 1e-6;
}  // namespace


std::optional<TUsageError> CaptureSpan(const TCaptureOptions& options, double trackEnd, TCaptureSpan& span) {
  const double from = options.From.value_or(0);
  double to = options.To.value_or(trackEnd);
  if (trackEnd < 0 && !options.To) return TUsageError{"the track never ends: give the capture an end with --to"};
  if (trackEnd >= 0 && from > trackEnd)
    return TUsageError{"--from " + NumberText(from) + " is after the end of the track (" + NumberText(trackEnd) + " s)"};
  // Frames past the end of the track would all show its last sample.
  if (trackEnd >= 0 && to > trackEnd) to = trackEnd;
  if (from > to) return TUsageError{"--from " + NumberText(from) + " is after --to " + NumberText(to)};
  // Frames cover [from, to): frame k shows from + k / fps and lasts 1 / fps,
  // so 30 to 40 s at 60 is 600 frames. A span of one instant is one frame.
  const double frames = from == to ? 1 : std::max(1.0, std::ceil((to - from) * options.Fps.PerSecond() - FrameSlack));
  if (frames > MaxFrames) return TUsageError{"the capture would be more than " + std::to_string(MaxFrames) + " frames"};
  span.From = from;
  span.Count = static_cast<int64_t>(frames);
  return std::nullopt;
}

std::string CaptureFileName(int64_t frame) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%06lld.png", static_cast<long long>(frame));
  return name;
}

TCaptureLayout CaptureLayout(int width, int height) {
  TCaptureLayout layout;
  layout.Width = width;
  layout.Height = height;
  layout.Picture = FitRect(width, height);
  return layout;
}

namespace {
size_t FrameBytes(const TCaptureLayout& layout) {
  return static_cast<size_t>(layout.Width) * static_cast<size_t>(layout.Height) * 3;
}

// Reads the picture as RGB into memory laid out as the whole frame, or into
// the bound pixel buffer at that offset: rows of the frame's width, the
// picture at its place, and what lies around it not written.
void ReadPictureInto(const TCaptureLayout& layout, void* destination) {
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, layout.Width);
  glPixelStorei(GL_PACK_SKIP_PIXELS, layout.Picture.X);
  glPixelStorei(GL_PACK_SKIP_ROWS, layout.Picture.Y);
  glReadPixels(0, 0, layout.Picture.Width, layout.Picture.Height, GL_RGB, GL_UNSIGNED_BYTE, destination);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_PACK_SKIP_ROWS, 0);
}
}  // namespace

void ReadBackFrame(const TCaptureLayout& layout, std::vector<uint8_t>& rgb) {
  rgb.resize(FrameBytes(layout));
  ReadPictureInto(layout, rgb.data());
}

TFrameReadBack::TFrameReadBack(const TCaptureLayout& layout) : Layout(layout) {
  for (uint32_t& buffer : Buffers) buffer = CreateReadBuffer(FrameBytes(Layout));
  if (Buffers[0] == 0 || Buffers[1] == 0) {
    for (uint32_t& buffer : Buffers) DeleteBuffer(buffer);
    Buffers[0] = Buffers[1] = 0;
  }
}

TFrameReadBack::~TFrameReadBack() {
  for (uint32_t buffer : Buffers) DeleteBuffer(buffer);
}

bool TFrameReadBack::Push(std::vector<uint8_t>& rgb) {
  if (Buffers[0] == 0) {
    ReadBackFrame(Layout, rgb);
    return true;
  }
  BindBuffer(GL_PIXEL_PACK_BUFFER, Buffers[Next]);
  ReadPictureInto(Layout, nullptr);
  BindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  const bool ready = Pending;
  if (ready) Take(1 - Next, rgb);
  Pending = true;
  Next = 1 - Next;
  return ready;
}

bool TFrameReadBack::Drain(std::vector<uint8_t>& rgb) {
  if (!Pending) return false;
  Take(1 - Next, rgb);
  Pending = false;
  return true;
}

void TFrameReadBack::Take(int buffer, std::vector<uint8_t>& rgb) {
  rgb.resize(FrameBytes(Layout));
  BindBuffer(GL_PIXEL_PACK_BUFFER, Buffers[buffer]);
  // The buffer holds the whole frame; the black around the picture was
  // never written over.
  const void* pixels = MapBufferForReading(GL_PIXEL_PACK_BUFFER);
  if (pixels != nullptr) {
    std::memcpy(rgb.data(), pixels, FrameBytes(Layout));
    UnmapBuffer(GL_PIXEL_PACK_BUFFER);
  }
  BindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  if (pixels == nullptr) throw ECaptureError("Cannot read the frame back from the driver");
}

void HearWindowAndKeys() {
  PumpWindowEvents();
  PollKeyboard();
}

// A few updates a second on a terminal; every few seconds into a log.
TCaptureProgress::TCaptureProgress(int64_t total) : Total(total), Interval(StderrIsTerminal() ? 0.25 : 5.0) {
  Clock.Start();
}

void TCaptureProgress::FrameDone() {
  ++Done;
  Show(false);
}

void TCaptureProgress::Finish() {
  Show(true);
  EndProgressLine();
}

void TCaptureProgress::Interrupt() { EndProgressLine(); }

void TCaptureProgress::Show(bool last) {
  if (Total <= 1) return;
  const double now = Clock.GetTime() - Clock.StartTime;
  if (!last && now - LastShown < Interval) return;
  LastShown = now;
  const double rate = now > 0 ? static_cast<double>(Done) / now : 0;
  const long long left = rate > 0 ? std::llround(static_cast<double>(Total - Done) / rate) : 0;
  char line[160];
  std::snprintf(line, sizeof line, "Captured %lld of %lld frames (%.1f frames/s, %lld:%02lld left)",
                static_cast<long long>(Done), static_cast<long long>(Total), rate, left / 60, left % 60);
  ShowProgressLine(line);
}

void TCaptureTarget::FinishFrame() {
  if (ReadBack.Push(Pixels)) {
    Take(Pixels);
    Progress.FrameDone();
  }
  HearWindowAndKeys();
}

void TCaptureTarget::TakeLast() {
  if (!ReadBack.Drain(Pixels)) return;
  Take(Pixels);
  Progress.FrameDone();
}

TCaptureSink::TCaptureSink(std::string folder, std::string shown, int64_t total, const TCaptureLayout& layout)
    : TCaptureTarget(total, layout), Folder(std::move(folder)), Shown(std::move(shown)) {}

void TCaptureSink::FinishRun(bool) {
  // Whatever stopped the run, the frame read back is whole and is kept.
  TakeLast();
  Progress.Finish();
}

std::string TCaptureSink::LeftBehind() const {
  return "the " + std::to_string(Written()) + " frames written are kept in " + Shown;
}

void TCaptureSink::Take(const std::vector<uint8_t>& rgb) {
  const std::string path = Folder + "/" + CaptureFileName(Progress.Done);
  std::string reason;
  if (!WritePngBottomUp(path, Layout.Width, Layout.Height, rgb.data(), reason)) {
    Progress.Interrupt();
    throw ECaptureError("Cannot write " + path + ": " + reason);
  }
}
