// A tool's own window drawn with Dear ImGui (an editor): the window system's
// events fed to ImGui and handed to the tool in order as plain input events,
// ImGui's frames drawn into the window and presented, input posted into the
// same event queue the user's comes through (for scripted runs), and the
// window's pixels read back. The tool calls ImGui itself between
// BeginGuiFrame and EndGuiFrame; which window system and which ImGui
// backends lie beneath is this module's business.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/GLWindow.h"
#include "platform/SocketBackend.h"

// The keys a tool tells apart, whatever the keyboard's layout.
enum class TKey : uint8_t {
  None,
  Up, Down, Left, Right, PageUp, PageDown, Home, End,
  Enter, Escape, Space, Tab, Backspace, Delete, Insert,
  A, B, C, D, E, F, G, H, I, J, K, L, M, N, O, P, Q, R, S, T, U, V, W, X, Y, Z,
  Digit0, Digit1, Digit2, Digit3, Digit4, Digit5, Digit6, Digit7, Digit8, Digit9,
  Minus, Equals, Period, Comma, Slash,
  KeypadPlus, KeypadMinus, KeypadEnter, KeypadPeriod,
  F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12,
  Ctrl, Shift, Alt,  // the modifier keys themselves (either side)
};

struct TInputEvent {
  enum Kind : uint8_t { KeyDown, KeyUp, Text, MouseMove, MouseDown, MouseUp, Wheel, Resize, Quit };
  Kind Type = Quit;
  TKey Key = TKey::None;                          // KeyDown, KeyUp
  bool Ctrl = false, Shift = false, Alt = false;  // held with a key or a mouse button
  bool Repeat = false;                            // a key held down, repeating
  std::string Typed;                              // Text: what was typed, UTF-8
  int X = 0, Y = 0;                               // mouse events: window pixels from the top left; Resize: the new size
  int Button = 0;                                 // MouseDown, MouseUp: 0 left, 1 right, 2 middle
  float WheelY = 0;                               // Wheel: clicks away from the user
};
// An event of that kind with those modifiers held.
inline TInputEvent MakeInput(TInputEvent::Kind kind, bool ctrl = false, bool shift = false, bool alt = false) {
  TInputEvent event;
  event.Type = kind;
  event.Ctrl = ctrl;
  event.Shift = shift;
  event.Alt = alt;
  return event;
}

// Starts ImGui on the window (made by BuildToolGLWindow), with the dark
// style and no keyboard navigation: the tool reads the keys itself. False
// with the reason.
bool StartGui(const TGLWindow& window, std::string& reason);
void StopGui();

// Waits up to timeoutMs (-1: for ever, 0: not at all) for input, asleep,
// then takes the input that is there into events (appended) and into ImGui.
// Where the host's loop does the waiting (HostFramesMayWait, a browser) it
// never waits.
// A batch ends after each key, button, typed text or move with a button
// held, so that every press, release and drag step gets a frame of its own
// and none is lost between two frames. Returns whether anything came.
bool TakeGuiInput(int timeoutMs, std::vector<TInputEvent>& events);
// For a tool that serves connections while it waits for the user: sleeps
// up to timeoutMs (-1: for ever) until input comes or one of the sockets is
// ready (SocketWatch), taking nothing; TakeGuiInput then takes the input.
// The window system and the sockets are slept on together, without
// looking at either in turns.
void WaitForGuiInputOrSockets(int timeoutMs, const SocketWatch& sockets);
// Whether input is waiting that TakeGuiInput has not taken yet.
bool GuiInputPending();
// Puts input into the window's event queue, where TakeGuiInput finds it as
// it finds the user's.
void PostGuiInput(const TInputEvent& event);

// An ImGui frame: begun with the window's size, mouse and keys as the events
// taken so far left them; ended by drawing it into the window and
// presenting it.
void BeginGuiFrame();
// The window's pixels as presented, RGB rows bottom first.
struct TWindowPixels {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Rgb;
};
// With pixels, the finished frame is read back before it is presented.
void EndGuiFrame(TWindowPixels* pixels = nullptr);

// The window's drawable size in pixels.
void GuiWindowSize(int& width, int& height);
// Asks the window system for a new window size; a Resize event follows
// where it grants it.
void ResizeGuiWindow(int width, int height);
void SetGuiWindowTitle(const std::string& title);
