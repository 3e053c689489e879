#include "platform/EINKeyboard.h"

#include "platform/DirectInput8.h"
#include "platform/KeyboardBackend.h"
#include "platform/Message.h"

TEINKeyboardDevice* Keyboard = nullptr;

void TEINKeyboardDevice::Init(const TGLWindow&, bool) {
  Opened = CurrentKeyboardBackend().Open();
  LastResult = Opened ? DI_OK : DIERR_DEVICENOTREG;
  if (!Opened) ShowMessage("vemla", DIErrorText(LastResult));
}

void TEINKeyboardDevice::Done() {
  if (Opened) CurrentKeyboardBackend().Close();
  Opened = false;
}

int32_t TEINKeyboardDevice::Poll() {
  if (!Opened) return DIERR_NOTACQUIRED;
  uint8_t state[256];
  if (!CurrentKeyboardBackend().ReadState(state)) return DIERR_NOTACQUIRED;
  for (int i = 0; i < 256; ++i) KeyState[i] = state[i];
  return DI_OK;
}

void CreateKeyboard(const TGLWindow& window, bool exclusive) {
  delete Keyboard;
  Keyboard = new TEINKeyboardDevice();
  Keyboard->Init(window, exclusive);
}

int32_t PollKeyboard() { return Keyboard != nullptr ? Keyboard->Poll() : DIERR_NOTINITIALIZED; }

bool KeyDown(uint8_t code) { return Keyboard != nullptr && (Keyboard->KeyState[code] & 0x80) != 0; }

void FreeKeyboard() {
  if (Keyboard == nullptr) return;
  Keyboard->Done();
  delete Keyboard;
  Keyboard = nullptr;
}
