// A tool's ImGui window on SDL2 and OpenGL's fixed function: Dear ImGui's
// own SDL2 and OpenGL2 backends, with the mouse and the modifier keys taken
// from the events rather than from SDL's device state, so that input posted
// into the queue moves ImGui exactly as the user's does.
#include <GL/gl.h>
#include <SDL.h>
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>

#include <algorithm>
#include <atomic>
#include <cfloat>
#include <cstring>
#include <thread>

#include "platform/GuiHost.h"
#include "platform/HostLoop.h"
#include "platform/Presentation.h"

namespace {
struct KeyPair {
  TKey Key;
  SDL_Scancode Scancode;
};

// Either side of a modifier is the one key; the left one is posted.
const KeyPair KeyTable[] = {
    {TKey::Up, SDL_SCANCODE_UP},
    {TKey::Down, SDL_SCANCODE_DOWN},
    {TKey::Left, SDL_SCANCODE_LEFT},
    {TKey::Right, SDL_SCANCODE_RIGHT},
    {TKey::PageUp, SDL_SCANCODE_PAGEUP},
    {TKey::PageDown, SDL_SCANCODE_PAGEDOWN},
    {TKey::Home, SDL_SCANCODE_HOME},
    {TKey::End, SDL_SCANCODE_END},
    {TKey::Enter, SDL_SCANCODE_RETURN},
    {TKey::Escape, SDL_SCANCODE_ESCAPE},
    {TKey::Space, SDL_SCANCODE_SPACE},
    {TKey::Tab, SDL_SCANCODE_TAB},
    {TKey::Backspace, SDL_SCANCODE_BACKSPACE},
    {TKey::Delete, SDL_SCANCODE_DELETE},
    {TKey::Insert, SDL_SCANCODE_INSERT},
    {TKey::Minus, SDL_SCANCODE_MINUS},
    {TKey::Equals, SDL_SCANCODE_EQUALS},
    {TKey::Period, SDL_SCANCODE_PERIOD},
    {TKey::Comma, SDL_SCANCODE_COMMA},
    {TKey::Slash, SDL_SCANCODE_SLASH},
    {TKey::KeypadPlus, SDL_SCANCODE_KP_PLUS},
    {TKey::KeypadMinus, SDL_SCANCODE_KP_MINUS},
    {TKey::KeypadEnter, SDL_SCANCODE_KP_ENTER},
    {TKey::KeypadPeriod, SDL_SCANCODE_KP_PERIOD},
    {TKey::Ctrl, SDL_SCANCODE_LCTRL},
    {TKey::Ctrl, SDL_SCANCODE_RCTRL},
    {TKey::Shift, SDL_SCANCODE_LSHIFT},
    {TKey::Shift, SDL_SCANCODE_RSHIFT},
    {TKey::Alt, SDL_SCANCODE_LALT},
    {TKey::Alt, SDL_SCANCODE_RALT},
};

// Letters, digits and function keys run in the same order in both.
TKey KeyOf(SDL_Scancode code) {
  if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z)
    return static_cast<TKey>(int(TKey::A) + (code - SDL_SCANCODE_A));
  if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9)
    return static_cast<TKey>(int(TKey::Digit1) + (code - SDL_SCANCODE_1));
  if (code == SDL_SCANCODE_0) return TKey::Digit0;
  if (code >= SDL_SCANCODE_F1 && code <= SDL_SCANCODE_F12)
    return static_cast<TKey>(int(TKey::F1) + (code - SDL_SCANCODE_F1));
  for (const KeyPair& pair : KeyTable)
    if (pair.Scancode == code) return pair.Key;
  return TKey::None;
}

SDL_Scancode ScancodeOf(TKey key) {
  const int k = static_cast<int>(key);
  if (key >= TKey::A && key <= TKey::Z) return static_cast<SDL_Scancode>(SDL_SCANCODE_A + (k - int(TKey::A)));
  if (key == TKey::Digit0) return SDL_SCANCODE_0;
  if (key >= TKey::Digit1 && key <= TKey::Digit9)
    return static_cast<SDL_Scancode>(SDL_SCANCODE_1 + (k - int(TKey::Digit1)));
  if (key >= TKey::F1 && key <= TKey::F12) return static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + (k - int(TKey::F1)));
  for (const KeyPair& pair : KeyTable)
    if (pair.Key == key) return pair.Scancode;
  return SDL_SCANCODE_UNKNOWN;
}

SDL_Window* Window = nullptr;
// Whether the video driver can sleep until an event: SDL's offscreen and
// dummy drivers cannot (SDL then looks every millisecond), and no input
// reaches them but what the program posts itself.
bool DriverWaits = true;

// The mouse and the modifiers as the events taken so far leave them.
struct HeldInput {
  int X = -1, Y = -1;  // -1: outside the window
  bool Buttons[3] = {};
  bool Ctrl = false, Shift = false, Alt = false;
};
HeldInput Held;

// Sleeping on the window system and on sockets at once: a thread sleeps on
// the sockets while this one sleeps in the window system's wait, and the
// one that wakes first wakes the other, the thread with an event of its own
// kind in the queue, this one with a byte on the wake pair, which the
// thread sleeps on too. Made at the first wait on sockets.
bool WakeTried = false;
Uint32 WakeEvent = static_cast<Uint32>(-1);
SocketId WakeReader = -1, WakeWriter = -1;
// A wait "for ever" on sockets, in milliseconds.
constexpr int SocketsForEver = 24 * 3600 * 1000;

bool MakeWaker() {
  if (!WakeTried) {
    WakeTried = true;
    WakeEvent = SDL_RegisterEvents(1);
    SocketFailure failure;
    if (WakeEvent != static_cast<Uint32>(-1)) CurrentSocketBackend().WakePair(WakeReader, WakeWriter, failure);
  }
  return WakeReader >= 0 && WakeEvent != static_cast<Uint32>(-1);
}

void ForgetWaker() {
  CurrentSocketBackend().Close(WakeReader);
  CurrentSocketBackend().Close(WakeWriter);
  WakeReader = WakeWriter = -1;
  WakeTried = false;
}

int ButtonIndex(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    default: return -1;
  }
}

Uint8 SdlButton(int index) { return index == 1 ? SDL_BUTTON_RIGHT : index == 2 ? SDL_BUTTON_MIDDLE : SDL_BUTTON_LEFT; }

void TakeModifiers(Uint16 mod) {
  Held.Ctrl = (mod & KMOD_CTRL) != 0;
  Held.Shift = (mod & KMOD_SHIFT) != 0;
  Held.Alt = (mod & KMOD_ALT) != 0;
}

TInputEvent WithModifiers(TInputEvent::Kind kind) { return MakeInput(kind, Held.Ctrl, Held.Shift, Held.Alt); }

// Takes one SDL event into ImGui and the list; true when it ends a batch.
bool Take(const SDL_Event& e, std::vector<TInputEvent>& events) {
  ImGui_ImplSDL2_ProcessEvent(&e);
  switch (e.type) {
    case SDL_QUIT: events.push_back(WithModifiers(TInputEvent::Quit)); return true;
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
        events.push_back(WithModifiers(TInputEvent::Quit));
        return true;
      }
      if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        TInputEvent event = WithModifiers(TInputEvent::Resize);
        GuiWindowSize(event.X, event.Y);
        events.push_back(event);
      }
      if (e.window.event == SDL_WINDOWEVENT_LEAVE) Held.X = Held.Y = -1;
      return false;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      TakeModifiers(e.key.keysym.mod);
      TInputEvent event = WithModifiers(e.type == SDL_KEYDOWN ? TInputEvent::KeyDown : TInputEvent::KeyUp);
      event.Key = KeyOf(e.key.keysym.scancode);
      event.Repeat = e.key.repeat != 0;
      events.push_back(event);
      return true;
    }
    case SDL_TEXTINPUT: {
      TInputEvent event = WithModifiers(TInputEvent::Text);
      event.Typed = e.text.text;
      events.push_back(event);
      return true;
    }
    case SDL_MOUSEMOTION: {
      Held.X = e.motion.x;
      Held.Y = e.motion.y;
      TInputEvent event = WithModifiers(TInputEvent::MouseMove);
      event.X = Held.X;
      event.Y = Held.Y;
      events.push_back(event);
      // While a button is held every move is a frame's, so that a drag is
      // seen where it goes before it is let go.
      return Held.Buttons[0] || Held.Buttons[1] || Held.Buttons[2];
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const int index = ButtonIndex(e.button.button);
      if (index < 0) return false;
      const bool down = e.type == SDL_MOUSEBUTTONDOWN;
      Held.Buttons[index] = down;
      Held.X = e.button.x;
      Held.Y = e.button.y;
      TInputEvent event = WithModifiers(down ? TInputEvent::MouseDown : TInputEvent::MouseUp);
      event.Button = index;
      event.X = Held.X;
      event.Y = Held.Y;
      events.push_back(event);
      return true;
    }
    case SDL_MOUSEWHEEL: {
      TInputEvent event = WithModifiers(TInputEvent::Wheel);
      event.X = Held.X;
      event.Y = Held.Y;
      event.WheelY = static_cast<float>(e.wheel.y);
      events.push_back(event);
      return true;
    }
    default: return false;
  }
}
}  // namespace

bool StartGui(const TGLWindow& window, std::string& reason) {
  Window = static_cast<SDL_Window*>(window.Wnd);
  if (Window == nullptr) {
    reason = "there is no window";
    return false;
  }
  IMGUI_CHECKVERSION();
  ImGui::CreateContext();
  ImGuiIO& io = ImGui::GetIO();
  // Nothing is written beside whatever folder the tool runs in.
  io.IniFilename = nullptr;
  io.LogFilename = nullptr;
  io.ConfigFlags &= ~ImGuiConfigFlags_NavEnableKeyboard;
  ImGui::StyleColorsDark();
  if (!ImGui_ImplSDL2_InitForOpenGL(Window, window.RC) || !ImGui_ImplOpenGL2_Init()) {
    reason = "Dear ImGui cannot start on this window";
    return false;
  }
  SDL_StartTextInput();
  const char* driver = SDL_GetCurrentVideoDriver();
  DriverWaits = driver == nullptr || (SDL_strcmp(driver, "offscreen") != 0 && SDL_strcmp(driver, "dummy") != 0);
  return true;
}

void StopGui() {
  ForgetWaker();
  if (Window == nullptr) return;
  ImGui_ImplOpenGL2_Shutdown();
  ImGui_ImplSDL2_Shutdown();
  ImGui::DestroyContext();
  Window = nullptr;
}

bool TakeGuiInput(int timeoutMs, std::vector<TInputEvent>& events) {
  SDL_Event e;
  bool any = false;
  // Where the host's loop does the waiting (a browser), input is only taken.
  if (!HostFramesMayWait()) timeoutMs = 0;
  if (timeoutMs != 0 && !DriverWaits) {
    // Nothing can come while asleep: the time is slept whole.
    if (!GuiInputPending()) SDL_Delay(static_cast<Uint32>(timeoutMs < 0 ? 1000 : timeoutMs));
  } else if (timeoutMs != 0) {
    const int got = timeoutMs < 0 ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, timeoutMs);
    if (got == 0) return false;
    any = true;
    if (Take(e, events)) return true;
  }
  while (SDL_PollEvent(&e) != 0) {
    any = true;
    if (Take(e, events)) break;
  }
  return any;
}

void WaitForGuiInputOrSockets(int timeoutMs, const SocketWatch& sockets) {
  if (timeoutMs == 0 || GuiInputPending()) return;
  SocketBackend& backend = CurrentSocketBackend();
  if (!DriverWaits) {
    // No input can come but what this thread posts: the sockets alone.
    const int ms = timeoutMs < 0 ? 1000 : timeoutMs;
    if (sockets.Empty())
      SDL_Delay(static_cast<Uint32>(ms));
    else
      backend.WaitFor(sockets.Readable, sockets.Writable, ms);
    return;
  }
  if (sockets.Empty()) {
    SDL_WaitEventTimeout(nullptr, timeoutMs);
    return;
  }
  const int ms = timeoutMs < 0 ? SocketsForEver : timeoutMs;
  if (!MakeWaker()) {
    // Without a wake pair the two are looked at in turns, briefly each.
    const Uint64 end = SDL_GetTicks64() + static_cast<Uint64>(ms);
    while (SDL_GetTicks64() < end && !GuiInputPending())
      backend.WaitFor(sockets.Readable, sockets.Writable, std::min<int>(10, static_cast<int>(end - SDL_GetTicks64())));
    return;
  }
  std::vector<SocketId> readable = sockets.Readable;
  readable.push_back(WakeReader);
  std::atomic<bool> woken{false};
  std::thread sleeper([&] {
    backend.WaitFor(readable, sockets.Writable, ms);
    if (!woken.exchange(true)) {
      SDL_Event e;
      std::memset(&e, 0, sizeof e);
      e.type = WakeEvent;
      SDL_PushEvent(&e);
    }
  });
  SDL_WaitEventTimeout(nullptr, ms);
  if (!woken.exchange(true)) {
    const uint8_t byte = 1;
    size_t sent = 0;
    SocketFailure failure;
    backend.SendSome(WakeWriter, &byte, 1, sent, failure);
  }
  sleeper.join();
  uint8_t bytes[16];
  size_t received = 0;
  SocketFailure failure;
  while (backend.Receive(WakeReader, bytes, sizeof bytes, received, failure) == ReceiveOutcome::Data) {
  }
  SDL_FlushEvent(WakeEvent);
}

bool GuiInputPending() {
  SDL_PumpEvents();
  return SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) == SDL_TRUE;
}

void PostGuiInput(const TInputEvent& event) {
  SDL_Event e;
  std::memset(&e, 0, sizeof e);
  const Uint32 window = Window != nullptr ? SDL_GetWindowID(Window) : 0;
  Uint16 mod = KMOD_NONE;
  if (event.Ctrl) mod |= KMOD_LCTRL;
  if (event.Shift) mod |= KMOD_LSHIFT;
  if (event.Alt) mod |= KMOD_LALT;
  switch (event.Type) {
    case TInputEvent::KeyDown:
    case TInputEvent::KeyUp:
      e.type = event.Type == TInputEvent::KeyDown ? SDL_KEYDOWN : SDL_KEYUP;
      e.key.windowID = window;
      e.key.state = event.Type == TInputEvent::KeyDown ? SDL_PRESSED : SDL_RELEASED;
      e.key.repeat = event.Repeat ? 1 : 0;
      e.key.keysym.scancode = ScancodeOf(event.Key);
      e.key.keysym.sym = SDL_GetKeyFromScancode(e.key.keysym.scancode);
      e.key.keysym.mod = mod;
      SDL_PushEvent(&e);
      return;
    case TInputEvent::Text: {
      // An event holds a few bytes of text; longer text comes in pieces,
      // each whole characters.
      const std::string& text = event.Typed;
      size_t at = 0;
      while (at < text.size()) {
        size_t end = std::min(text.size(), at + SDL_TEXTINPUTEVENT_TEXT_SIZE - 1);
        while (end < text.size() && end > at + 1 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
        std::memset(&e, 0, sizeof e);
        e.type = SDL_TEXTINPUT;
        e.text.windowID = window;
        std::memcpy(e.text.text, text.data() + at, end - at);
        SDL_PushEvent(&e);
        at = end;
      }
      return;
    }
    case TInputEvent::MouseMove:
      e.type = SDL_MOUSEMOTION;
      e.motion.windowID = window;
      e.motion.x = event.X;
      e.motion.y = event.Y;
      e.motion.xrel = event.X - Held.X;
      e.motion.yrel = event.Y - Held.Y;
      SDL_PushEvent(&e);
      return;
    case TInputEvent::MouseDown:
    case TInputEvent::MouseUp:
      e.type = event.Type == TInputEvent::MouseDown ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
      e.button.windowID = window;
      e.button.button = SdlButton(event.Button);
      e.button.state = event.Type == TInputEvent::MouseDown ? SDL_PRESSED : SDL_RELEASED;
      e.button.clicks = 1;
      e.button.x = event.X;
      e.button.y = event.Y;
      SDL_PushEvent(&e);
      return;
    case TInputEvent::Wheel:
      e.type = SDL_MOUSEWHEEL;
      e.wheel.windowID = window;
      e.wheel.y = static_cast<Sint32>(event.WheelY);
      e.wheel.preciseY = event.WheelY;
      e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
      SDL_PushEvent(&e);
      return;
    case TInputEvent::Resize: ResizeGuiWindow(event.X, event.Y); return;
    case TInputEvent::Quit:
      e.type = SDL_QUIT;
      SDL_PushEvent(&e);
      return;
  }
}

void BeginGuiFrame() {
  ImGui_ImplOpenGL2_NewFrame();
  ImGui_ImplSDL2_NewFrame();
  ImGuiIO& io = ImGui::GetIO();
  io.MousePos =
      Held.X >= 0 ? ImVec2(static_cast<float>(Held.X), static_cast<float>(Held.Y)) : ImVec2(-FLT_MAX, -FLT_MAX);
  for (int k = 0; k < 3; ++k) io.MouseDown[k] = Held.Buttons[k];
  io.KeyCtrl = Held.Ctrl;
  io.KeyShift = Held.Shift;
  io.KeyAlt = Held.Alt;
  ImGui::NewFrame();
}

void EndGuiFrame(TWindowPixels* pixels) {
  ImGui::Render();
  int width = 0, height = 0;
  GuiWindowSize(width, height);
  DrawIntoSurface(width, height);
  const ImVec4 clear = ImGui::GetStyle().Colors[ImGuiCol_WindowBg];
  glClearColor(clear.x, clear.y, clear.z, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
  if (pixels != nullptr) {
    pixels->Width = width;
    pixels->Height = height;
    pixels->Rgb.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels->Rgb.data());
  }
  SDL_GL_SwapWindow(Window);
}

void GuiWindowSize(int& width, int& height) {
  width = height = 0;
  if (Window != nullptr) SDL_GL_GetDrawableSize(Window, &width, &height);
}

void ResizeGuiWindow(int width, int height) {
  if (Window != nullptr) SDL_SetWindowSize(Window, width, height);
}

void SetGuiWindowTitle(const std::string& title) {
  if (Window != nullptr) SDL_SetWindowTitle(Window, title.c_str());
}
