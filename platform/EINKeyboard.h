// The demo's keyboard: one device polled once per frame as a 256-byte state
// indexed by key code; a key is down when its byte has the high bit set.
#pragma once
#include <cstdint>

#include "platform/GLWindow.h"

class TEINKeyboardDevice {
 public:
  TEINKeyboardDevice() = default;
  // Opens the keyboard; a keyboard the platform cannot give is reported once
  // and the device then reads every key as up.
  void Init(const TGLWindow& window, bool exclusive);
  void Done();
  // Reads the state; a failed read keeps the previous one. Returns the result code.
  int32_t Poll();

  int32_t LastResult = 0;
  bool Opened = false;
  uint8_t KeyState[256] = {};
};

extern TEINKeyboardDevice* Keyboard;

void CreateKeyboard(const TGLWindow& window, bool exclusive);
int32_t PollKeyboard();
bool KeyDown(uint8_t code);
void FreeKeyboard();
