// How the 800 x 600 picture reaches a surface of any size: the frame is drawn
// into a frame buffer of its own and, when presented, fills the largest
// centred 4:3 rectangle of the window's surface with black around it. Frames
// are drawn at 800 x 600 and scaled (Scaled), or drawn at the rectangle's own
// pixel size (Native); either way the scenes and 2D drawers keep their
// 800 x 600 units. Without frame-buffer objects the frame is drawn straight
// into the window, as before.
#pragma once
#include <cstdint>

#include "platform/Types.h"

// The largest 4:3 rectangle centred in a surface of this size; empty for an
// empty surface.
TPixelRect FitRect(int surfaceWidth, int surfaceHeight);

enum class TFrameScale { Scaled, Native };

// Makes the frame buffer for a picture of width x height units on a surface
// of the given pixel size and draws into it from now on. False (and frames
// go straight into the window) when the driver has no frame-buffer objects.
bool StartPresentation(int width, int height, int surfaceWidth, int surfaceHeight, TFrameScale scale);
// The window's surface now has this pixel size.
void SetSurfaceSize(int surfaceWidth, int surfaceHeight);
// Draws the finished frame into the window's back buffer: black, and the
// picture in the fit rectangle. The frame buffer stays bound for drawing.
void ComposeFrame();
// Pixel size of what frames are drawn into: the frame buffer, or the window.
int FramePixelWidth();
int FramePixelHeight();
// The fit rectangle of the current surface.
TPixelRect SurfaceRect();
// Reads (glReadPixels) come from the window's back buffer instead of the
// frame, for a look at the composed picture; false switches back.
void ReadFromSurface(bool surface);

// For a program that shows the frame inside a user interface of its own
// rather than filling the window with it (an editor's preview):
// drawing goes into the frame buffer, over all of it;
void DrawIntoFrame();
// drawing goes into the window's back buffer of this pixel size, over all
// of it, as the interface draws;
void DrawIntoSurface(int width, int height);
// and the finished frame is copied into a texture of its pixel size, the
// same texture every time (resized as needed), which is returned; 0 without
// a frame buffer.
uint32_t FramePicture();
