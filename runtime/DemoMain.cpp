#include "runtime/DemoMain.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>

#include "platform/Directory.h"
#include "platform/EINKeyboard.h"
#include "platform/Message.h"
#include "platform/Music.h"
#include "platform/Random.h"
#include "platform/SharedState.h"
#include "render2d/Overlay2D.h"
#include "render2d/RenderTexture.h"
#include "scene3d/LUM2Materials.h"
#include "scenes/Clockwork.h"
#include "scenes/VemlaOverlay.h"
#include "scenes/VemlaStempel.h"

TGLWindow MainWindow;
uint32_t Pictures[5] = {NoTexture, NoTexture, NoTexture, NoTexture, NoTexture};
uint32_t LoadingPicture = NoTexture;
int32_t MusicSample = -1;

namespace {
bool WordAmongFirstThree(int argc, const char* const* argv, const char* word) {
  for (int k = 0; k < 3 && k < argc; ++k)
    if (argv[k] != nullptr && std::strcmp(argv[k], word) == 0) return true;
  return false;
}
}  // namespace

bool ServerModeRequested(int argc, const char* const* argv) { return WordAmongFirstThree(argc, argv, "-vrt"); }

bool WindowRequested(int argc, const char* const* argv) { return WordAmongFirstThree(argc, argv, "-w"); }

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
    DrawTexturedQuad(LoadingPicture, 325, 75, 475, 475);
    EndOverlay();
    PresentFrame(MainWindow);
  }
  InitClockwork();
  InitStampRoom();
  InitOverlay();
  Pictures[0] = GetTexture("vemla\\groups.jpg");
  Pictures[1] = GetTexture("vemla\\credits.jpg");
  Pictures[2] = GetTexture("vemla\\demo.jpg");
  Pictures[3] = GetTexture("vemla\\greetings.jpg");
  Pictures[4] = CreateRenderTexture(512);
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
  Randomize();
  glClearColor(0, 0, 0, 1);
  ClearFrame();
  if (ChannelSet(c[10])) {
    SetRenderViewport(512);
    BeginOverlay();
    DrawTexturedQuad(Pictures[2], 325 * c[10], 75, 475, 475);
    EndOverlay();
    CopyFrameToTexture(Pictures[4], 512);
    DrawRadialBlur(512, Pictures[4], 4, 50 - 50 * c[10], 120 - 120 * c[10], 3);
  }
  if (ChannelSet(c[1]))
    UpdateOverlayTexture();
  else
    SkipOverlayTexture(ChannelSet(c[10]));
  if (ChannelSet(c[2])) RenderClockNestGlow(c[2]);
  if (ChannelSet(c[3])) RenderPeaSwarm(c[3]);
  if (ChannelSet(c[4])) RenderWarpEcho(c[4]);
  if (ChannelSet(c[5])) RenderStampRoom();
  if (ChannelSet(c[8])) RenderClockNest(c[8]);
  if (ChannelSet(c[9])) RenderClockTunnel();
  if (ChannelSet(c[1])) RenderOverlay(c[1]);
  BeginOverlay();
  if (FlashVisible(c[0])) FillQuadAdditive(MakeColor4(1, 1, 1, c[0]), 0, 0, 800, 600);
  if (ChannelSet(c[6])) {
    int k = PictureSlot(c[6]);
    if (k == 4) {
      DrawTintedQuad(Pictures[4], MakeColor4(1, 1, 1, 1), 0, 0, 800, 600);
    } else if (k >= 0 && ChannelSet(c[7])) {
      DrawTintedQuadAdditive(Pictures[k], MakeColor4(1, 1, 1, c[7]), 325, 75, 475, 475);
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
