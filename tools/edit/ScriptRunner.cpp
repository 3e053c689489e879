#include "ScriptRunner.h"

#include "platform/GuiHost.h"

namespace {
// Frames drawn after a step's input has been taken, for ImGui to see a
// press and its release each in a frame and to settle.
constexpr int SettleFrames = 2;
// A new window size takes the window system a moment.
constexpr double ResizeSeconds = 0.3;
// Steps a drag is cut into.
constexpr int DragSteps = 8;

TInputEvent Event(TInputEvent::Kind kind, const TScriptStep& step) {
  return MakeInput(kind, step.Ctrl, step.Shift, step.Alt);
}

TInputEvent Mouse(TInputEvent::Kind kind, int x, int y, int button = 0) {
  TInputEvent event = MakeInput(kind);
  event.X = x;
  event.Y = y;
  event.Button = button;
  return event;
}

// A key as a keyboard sends it: the modifiers pressed first, the key, the
// character it types, the release, the modifiers let go last.
void PostKey(const TScriptStep& step) {
  TScriptStep held = step;
  held.Ctrl = held.Shift = held.Alt = false;
  auto modifier = [&](TKey key, bool down) {
    TInputEvent event = Event(down ? TInputEvent::KeyDown : TInputEvent::KeyUp, held);
    event.Key = key;
    PostGuiInput(event);
  };
  const std::pair<bool, TKey> modifiers[] = {{step.Ctrl, TKey::Ctrl}, {step.Shift, TKey::Shift}, {step.Alt, TKey::Alt}};
  for (const auto& [on, key] : modifiers) {
    if (!on) continue;
    if (key == TKey::Ctrl) held.Ctrl = true;
    if (key == TKey::Shift) held.Shift = true;
    if (key == TKey::Alt) held.Alt = true;
    modifier(key, true);
  }
  TInputEvent down = Event(TInputEvent::KeyDown, step);
  down.Key = step.Pressed;
  PostGuiInput(down);
  const std::string typed = step.Ctrl || step.Alt ? "" : TypedCharacter(step.Pressed, step.Shift);
  if (!typed.empty()) {
    TInputEvent text = Event(TInputEvent::Text, step);
    text.Typed = typed;
    PostGuiInput(text);
  }
  TInputEvent up = down;
  up.Type = TInputEvent::KeyUp;
  PostGuiInput(up);
  for (int k = 2; k >= 0; --k) {
    if (!modifiers[k].first) continue;
    if (modifiers[k].second == TKey::Ctrl) held.Ctrl = false;
    if (modifiers[k].second == TKey::Shift) held.Shift = false;
    if (modifiers[k].second == TKey::Alt) held.Alt = false;
    modifier(modifiers[k].second, false);
  }
}
}  // namespace

TScriptRunner::TScriptRunner(std::vector<TScriptStep> steps, std::string folder)
    : Steps(std::move(steps)), Folder(std::move(folder)) {}

std::string TScriptRunner::InFolder(const std::string& name) const {
  if (name.empty() || name[0] == '/' || Folder.empty()) return name;
  return Folder + "/" + name;
}

void TScriptRunner::Start(const TScriptStep& step, double now) {
  Current = step;
  Frames = 0;
  Until = now;
  switch (step.Type) {
    case TScriptStep::Key: PostKey(step); break;
    case TScriptStep::Text: {
      TInputEvent text = Event(TInputEvent::Text, step);
      text.Typed = step.Words;
      PostGuiInput(text);
      break;
    }
    case TScriptStep::Wait: Until = now + step.Count / 1000.0; break;
    case TScriptStep::Move: PostGuiInput(Mouse(TInputEvent::MouseMove, step.X, step.Y)); break;
    case TScriptStep::Click:
      PostGuiInput(Mouse(TInputEvent::MouseMove, step.X, step.Y));
      PostGuiInput(Mouse(TInputEvent::MouseDown, step.X, step.Y, step.Button));
      PostGuiInput(Mouse(TInputEvent::MouseUp, step.X, step.Y, step.Button));
      break;
    case TScriptStep::Drag:
      PostGuiInput(Mouse(TInputEvent::MouseMove, step.X, step.Y));
      PostGuiInput(Mouse(TInputEvent::MouseDown, step.X, step.Y));
      for (int k = 1; k <= DragSteps; ++k)
        PostGuiInput(Mouse(TInputEvent::MouseMove, step.X + (step.X2 - step.X) * k / DragSteps,
                           step.Y + (step.Y2 - step.Y) * k / DragSteps));
      PostGuiInput(Mouse(TInputEvent::MouseUp, step.X2, step.Y2));
      break;
    case TScriptStep::Wheel: {
      PostGuiInput(Mouse(TInputEvent::MouseMove, step.X, step.Y));
      TInputEvent wheel = Mouse(TInputEvent::Wheel, step.X, step.Y);
      wheel.WheelY = static_cast<float>(step.Count);
      PostGuiInput(wheel);
      break;
    }
    case TScriptStep::Shot: ShotFile = InFolder(step.Words); break;
    case TScriptStep::Frame: FrameFile = InFolder(step.Words); break;
    case TScriptStep::Resize: {
      TInputEvent resize = MakeInput(TInputEvent::Resize);
      resize.X = step.Width;
      resize.Y = step.Height;
      PostGuiInput(resize);
      Until = now + ResizeSeconds;
      break;
    }
    case TScriptStep::Bench: BenchFrames = step.Count; break;
    case TScriptStep::Quit: PostGuiInput(MakeInput(TInputEvent::Quit)); break;
  }
}

void TScriptRunner::Advance(double now) {
  if (Current) {
    const bool done =
        Frames >= SettleFrames && now >= Until && !GuiInputPending() && !ShotFile && !FrameFile && BenchFrames == 0;
    if (!done) return;
    Current.reset();
  }
  if (Next < Steps.size()) Start(Steps[Next++], now);
}
