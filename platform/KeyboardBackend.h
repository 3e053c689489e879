// The keyboard beneath the keyboard module: a whole-keyboard state read as
// 256 bytes indexed by key code (0x80 set = down). The SDL backend is the
// default; tests put a fake in its place.
#pragma once
#include <cstdint>

class KeyboardBackend {
 public:
  virtual ~KeyboardBackend() = default;
  virtual bool Open() = 0;
  virtual bool ReadState(uint8_t state[256]) = 0;
  virtual void Close() = 0;
};

KeyboardBackend& CurrentKeyboardBackend();
// nullptr restores the SDL backend.
void SetKeyboardBackend(KeyboardBackend* backend);

// The key code of an SDL scancode, 0 where the key has none.
uint8_t KeyCodeFromScancode(int scancode);
// Fills a 256-byte key state from SDL's per-scancode state array.
void TranslateKeyState(const uint8_t* scancodeState, int scancodeCount, uint8_t state[256]);
