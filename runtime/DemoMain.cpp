#include "runtime/DemoMain.h"

#include <GL/gl.h>

#include <cmath>

#include "platform/Directory.h"
#include "platform/EINKeyboard.h"
#include "platform/Message.h"
#include "platform/Music.h"
#include "platform/Random.h"
#include "platform/SharedState.h"
#include "render2d/Overlay2D.h"
#include "render2d/RenderTexture.h"
#include "runtime/ChannelBindings.h"
#include "runtime/FrameState.h"
#include "scene3d/LUM2Materials.h"
#include "scenes/Clockwork.h"
#include "scenes/VemlaOverlay.h"
#include "scenes/VemlaStempel.h"

TGLWindow MainWindow;
uint32_t Pictures[5] = {NoTexture, NoTexture, NoTexture, NoTexture, NoTexture};
uint32_t LoadingPicture = NoTexture;
int32_t MusicSample = -1;

namespace {
// The feedback's render texture: 512 pixels of an 800 x 600 frame, more in
// a frame drawn at a larger size.
constexpr int32_t FeedbackSize = 512;
int32_t FeedbackSide = FeedbackSize;
}  // namespace

int PictureSlot(float c6) {
  if (!std::isfinite(c6)) return -1;
  float k = std::nearbyint(c6);  // the default rounding mode rounds halves to even
  if (k < 0 || k > 4) return -1;
  return static_cast<int>(k);
}

bool FlashVisible(float c0) { return c0 > 0; }

void LoadDemo(const TLoadOptions& options) {
  // Without a "data" directory loading goes on where we are.
  ChangeDirectory("data");
  LoadingPicture = GetTexture("vemla\\load.jpg");
  for (int frame = 0; options.LoadingScreen && frame < LoadingFrames; ++frame) {
    ClearFrame();
    BeginOverlay();
    DrawTexturedQuad(LoadingPicture, SlideX, SlideY, SlideSize, SlideSize);
    EndOverlay();
    PresentFrame(MainWindow);
  }
  InitClockwork();
  InitStampRoom();
  InitOverlay();
  for (int k = 0; k < 4; ++k) Pictures[k] = GetTexture(SlideFiles[k]);
  FeedbackSide = RenderTextureSide(FeedbackSize);
  Pictures[4] = CreateRenderTexture(FeedbackSide);
  if (!options.Music) return;
  const bool sound = InitMusic(MainWindow.Wnd);
  MusicSample = LoadSample(MusicFileName);
  // Without a device the music's absence has been told already.
  if (sound && MusicSample < 0)
    ShowNotice("Cannot load the music \"" + std::string(MusicFileName) + "\": playing without sound.");
  PlaySample(MusicSample, 100, 50, options.MusicStart);
}

void RenderFrame() {
  DrawFrame();
  PresentAndPoll();
}

void DrawFrame() {
  const float* c = Channels;
  // The top letterbox bar covers the top rows at the end: nothing drawn at
  // full size needs to reach them.
  LimitFrameRows(ActiveWindow.Height - ActiveWindow.Height * LetterboxRows / 600);
  StepFrameState(c);
  glClearColor(0, 0, 0, 1);
  ClearFrame();
  if (ChannelSet(c[chFeedback])) {
    SetRenderViewport(FeedbackSide);
    BeginOverlay();
    DrawTexturedQuad(Pictures[2], SlideX * c[chFeedback], SlideY, SlideSize, SlideSize);
    EndOverlay();
    CopyFrameToTexture(Pictures[4], FeedbackSide);
    DrawRadialBlur(FeedbackSide, Pictures[4], 4, 50 - 50 * c[chFeedback], 120 - 120 * c[chFeedback], 3);
  }
  if (ChannelSet(c[chOverlay]))
    UpdateOverlayTexture();
  else
    SkipOverlayTexture(ChannelSet(c[chFeedback]));
  if (ChannelSet(c[chNestGlow])) RenderClockNestGlow(c[chNestGlow]);
  if (ChannelSet(c[chPeaSwarm])) RenderPeaSwarm(c[chPeaSwarm]);
  if (ChannelSet(c[chWarpEcho])) RenderWarpEcho(c[chWarpEcho]);
  if (ChannelSet(c[chStampRoom])) RenderStampRoom();
  if (ChannelSet(c[chNest])) RenderClockNest(c[chNest]);
  if (ChannelSet(c[chTunnel])) RenderClockTunnel();
  if (ChannelSet(c[chOverlay])) RenderOverlay(c[chOverlay]);
  BeginOverlay();
  if (FlashVisible(c[chFlash])) FillQuadAdditive(MakeColor4(1, 1, 1, c[chFlash]), 0, 0, 800, 600);
  if (ChannelSet(c[chPicture])) {
    int k = PictureSlot(c[chPicture]);
    if (k == 4) {
      DrawTintedQuad(Pictures[4], MakeColor4(1, 1, 1, 1), 0, 0, 800, 600);
    } else if (k >= 0 && ChannelSet(c[chPictureAlpha])) {
      DrawTintedQuadAdditive(Pictures[k], MakeColor4(1, 1, 1, c[chPictureAlpha]), SlideX, SlideY, SlideSize,
                             SlideSize);
    }
  }
  EndOverlay();
  LimitFrameRows(0);
  DrawLetterbox(1);
}

void PresentAndPoll() {
  PresentFrame(MainWindow);
  PollKeyboard();
}
