// The editor's script language (vemla-edit --script <file>): one step a
// line, played into the running editor as input events through the same
// queue as the user's, with a few actions of its own. Empty lines and lines
// starting with "#" are passed over.
//
//   key <combo>               a key pressed and released, with modifiers:
//                             "Down", "Ctrl+S", "Ctrl+Shift+I", "Alt+PageDown";
//                             a key that types (a letter, a digit) also types
//                             its character when neither Ctrl nor Alt is held
//   text <characters>         the rest of the line typed as text ("0.5")
//   wait <ms>                 frames go on for that many milliseconds
//   move <x> <y>              the mouse to window pixels from the top left
//   click <x> <y> [right|middle]   a button pressed and released there
//   drag <x0> <y0> <x1> <y1>  the left button pressed, moved and released
//   wheel <x> <y> <clicks>    the wheel turned there (positive: away)
//   shot <file.png>           the window's pixels as presented
//   frame <file.png>          the preview's frame at the cursor, 800 x 600
//   resize <width> <height>   the window's size asked of the window system
//   bench <frames>            that many frames drawn with the current panels;
//                             the median and 90th percentile frame times printed
//   quit                      as closing the window (asks about unsaved edits)
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/GuiHost.h"

struct TScriptStep {
  enum Kind { Key, Text, Wait, Move, Click, Drag, Wheel, Shot, Frame, Resize, Bench, Quit };
  Kind Type = Quit;
  int Line = 0;  // from 1
  TKey Pressed = TKey::None;
  bool Ctrl = false, Shift = false, Alt = false;
  std::string Words;  // Text: the characters; Shot, Frame: the file
  int X = 0, Y = 0, X2 = 0, Y2 = 0;
  int Button = 0;  // Click: 0 left, 1 right, 2 middle
  int Count = 0;   // Wait: milliseconds; Bench: frames; Wheel: clicks
  int Width = 0, Height = 0;
};

// A script that cannot be read; the message starts with "line N: ".
class EScriptError : public std::runtime_error {
 public:
  EScriptError(int line, const std::string& what);
  int Line;
};

// The steps of a script's text; raises EScriptError at the first bad line.
std::vector<TScriptStep> ParseScript(const std::string& text);

// The character a key types without Ctrl or Alt ("a" for A, "A" with
// Shift, "5" for 5, "." for Period), or "" for a key that types nothing.
std::string TypedCharacter(TKey key, bool shift);
