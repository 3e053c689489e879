// The start-up loading and the frame director, which turns the channel block
// into one rendered, presented frame.
#pragma once
#include <cstdint>

#include "platform/GLWindow.h"

extern TGLWindow MainWindow;
// Slots 0 to 3: the picture slides; slot 4: the feedback render texture.
extern uint32_t Pictures[5];
// The slides of slots 0 to 3, relative to the content directory: the
// groups, the credits, the title and the greetings.
constexpr const char* SlideFiles[4] = {"vemla\\groups.jpg", "vemla\\credits.jpg", "vemla\\demo.jpg",
                                       "vemla\\greetings.jpg"};
// Where a slide (and the loading picture) is drawn: a square of SlideSize
// screen units with its lower left corner at (SlideX, SlideY).
constexpr float SlideX = 325, SlideY = 75, SlideSize = 475;
extern uint32_t LoadingPicture;
extern int32_t MusicSample;

constexpr int LoadingFrames = 61;
// The music, relative to the content directory.
constexpr const char* MusicFileName = "vemla\\sound.mp3";

// What the start-up loading leaves out: a capture neither shows the loading
// picture nor plays the music.
struct TLoadOptions {
  bool LoadingScreen = true;
  bool Music = true;
  double MusicStart = 0;  // seconds into the music
};

// Loads everything behind the loading picture and starts the music.
void LoadDemo(const TLoadOptions& options = {});
// Renders and presents one frame from Channels, SceneTime and FrameDelta.
void RenderFrame();
// Renders one frame into the back buffer without presenting it.
void DrawFrame();
// Presents the finished frame and polls the keyboard.
void PresentAndPoll();

// The slot picture index c6 selects (rounded to nearest, halves to even),
// or -1 when it selects none of the five slots.
int PictureSlot(float c6);
// Whether the white flash is drawn for c0.
bool FlashVisible(float c0);
