#include "Editor.h"

#include <imgui.h>
#include <imgui_stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Theme.h"
#include "platform/Message.h"
#include "platform/HostLoop.h"
#include "platform/Music.h"
#include "platform/PngFile.h"
#include "platform/Termination.h"

namespace {
constexpr const char* Caption = "vemla-edit";
// Frames drawn after the last input, for ImGui's hovering and pressing to settle.
constexpr int SettleAfterInput = 2;
constexpr float StatusHeight = 26;
constexpr float RulerHeight = 34;
constexpr float WaveHeight = 92;
constexpr float SplitterHeight = 6;
constexpr float MinPreviewWidth = 260;

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", seconds);
  return text;
}

// The share's quantile of the values (0.5: the median).
double Quantile(std::vector<double> values, double share) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(share * static_cast<double>(values.size() - 1) + 0.5)];
}
}  // namespace

TEditor::TEditor(TEditSession& session, const TEditOptions& options, bool previewReady)
    : Session(session),
      Doc(session.Document()),
      State(session.Document().Layout()),
      Editing(Doc, State),
      PreviewReady(previewReady),
      PreviewShown(!session.Document().IsProject()) {
  for (const TSendTarget& target : options.Sends) Links.Add(target);
  Preview.SetTrack(Doc.Track(), Doc.Layout().BeatsPerMinute, std::vector<bool>(State.Channels, true));
  Transport.SetMusic(-1, State.Axis.SecondsOf(State.Axis.LastRow()));
  Clock.Start();
}

void TEditor::SetMusic(int32_t sample) {
  Transport.SetMusic(sample, State.Axis.SecondsOf(State.Axis.LastRow()));
  TSoundView sound;
  if (SampleSound(sample, sound)) Wave.Build(sound.Samples, sound.Frames, sound.Channels, sound.Rate);
}

void TEditor::Say(const std::string& text, bool error) { State.Say(text, error); }

void TEditor::SaySession(const TSessionNews& news, double now) {
  if (!news.Note.empty()) {
    Consequences(TApplied{.Changed = true}, now);
    Say(news.Note);
  }
  if (!news.Saved.empty()) Say("Saved " + news.Saved);
  if (news.Opened) {
    TextPanelOpen = false;
    Consequences(TApplied{.Changed = true}, now);
    Say("Opened " + Session.Path());
    if (Doc.Error()) ShowReadingError();
  }
  if (!news.Error.empty()) Say(news.Error, true);
  if (news.ChangedUnderEdits)
    OpenModal(TModal::DiskChanged, "The file " + Session.Path() +
                                       " has changed on disk, and there are unsaved edits here.\n\n"
                                       "Reload it (your edits can still be undone, Ctrl+Z), or keep your edits?");
}

double TEditor::ShownTime() const { return Transport.Playing() ? PlayTime : State.Axis.SecondsOf(State.Row); }

void TEditor::OpenModal(TModal modal, const std::string& text) {
  Modal = modal;
  ModalText = text;
}

void TEditor::Follow() {
  const TTimeAxis& axis = State.Axis;
  const int line = axis.LineAtOrBefore(State.Row);
  const double rows = axis.RowOfLine(line) == State.Row ? axis.LineRows(line) : State.Row;
  State.Axis.Show(rows, TimeExtent, 3 * axis.LinePixels());
}

void TEditor::Consequences(const TApplied& applied, double now) {
  if (applied.Changed) {
    State.Fit(Doc.Layout());
    Session.Edited(now);
    std::vector<bool> audible(State.Channels);
    for (int ch = 0; ch < State.Channels; ++ch) audible[ch] = State.Audible(ch);
    Preview.SetTrack(Doc.Track(), Doc.Layout().BeatsPerMinute, audible);
    LinksDue = true;
    // Every connected demo gets the change at once.
    if (Demos != nullptr) Demos->Changed();
  }
  if (applied.Moved) {
    Follow();
    LinksDue = true;
    if (Demos != nullptr) Demos->CursorAt(State.Row);
    // A cursor moved while playing is where play goes on from.
    if (Transport.Playing()) {
      Transport.Play(State.Axis.SecondsOf(State.Row), std::nullopt);
      PlayTime = State.Axis.SecondsOf(State.Row);
    }
  }
  if (applied.ForProgram != TAction::None) DoForProgram(applied.ForProgram, now);
}

void TEditor::DoForProgram(TAction action, double) {
  switch (action) {
    case TAction::PlayPause:
      // With --sync the demos play; the editor follows their rows.
      if (Demos != nullptr)
        PlayDemos();
      else if (Transport.Playing())
        Pause();
      else
        Play(false);
      return;
    case TAction::PlayLoop:
      if (Demos != nullptr)
        Say("With --sync the demos play, without a loop: Space plays and pauses them");
      else
        Play(true);
      return;
    case TAction::SaveTracks: SaveDemoTracks(); return;
    case TAction::TogglePreview:
      if (Project()) {
        Say("A project has no preview here: the demos it serves show it");
        return;
      }
      PreviewShown = !PreviewShown;
      Say(PreviewShown ? "Preview shown" : "Preview hidden (F2 shows it)");
      return;
    case TAction::EditText:
      TextPanelOpen = true;
      TextBuffer = Doc.Text();
      return;
    case TAction::Save: Save(); return;
    case TAction::Quit: RequestQuit(); return;
    default: return;
  }
}

void TEditor::Play(bool loop) {
  const TTimeAxis& axis = State.Axis;
  std::optional<TLoopTimes> times;
  if (State.Loop) times = TLoopTimes{axis.SecondsOf(State.Loop->First), axis.SecondsOf(State.Loop->Last + 1)};
  double from = axis.SecondsOf(State.Row);
  if (loop) {
    if (!times) {
      Say("No loop range: select rows and press Ctrl+L, or Shift+drag on the ruler");
      return;
    }
    from = times->From;
  } else if (times && !(from >= times->From && from < times->To)) {
    // The loop repeats when play starts inside it.
    times.reset();
  }
  Transport.Play(from, times);
  PlayTime = from;
  Say(times ? "Playing the loop " + FormatPosition(State.Loop->First, Doc.Layout()) + " to " +
                  FormatPosition(State.Loop->Last + 1, Doc.Layout())
            : "Playing from " + FormatPosition(State.Row, Doc.Layout()));
}

void TEditor::Pause() {
  Transport.Stop();
  const TTimeAxis& axis = State.Axis;
  State.Row = axis.RowOfLine(axis.LineAtOrBefore(axis.ClampRow(static_cast<int>(axis.RowOfSeconds(PlayTime)))));
  Follow();
  LinksDue = true;
  Say("Paused at " + FormatPosition(State.Row, Doc.Layout()));
}

void TEditor::Save() {
  std::string reason;
  if (Session.Save(reason)) {
    Say(Session.Saving() ? Session.SaveNote() : "Saved " + Session.SaveNote());
    return;
  }
  const std::string text = "Cannot save " + Session.Path() + ": " + reason;
  Say(text, true);
  OpenModal(TModal::Error, text + "\n\nThe file on disk is as it was; your edits are still here.");
}

void TEditor::Reload(double now) {
  std::string reason;
  if (!Session.Reload(reason)) {
    Say("Cannot reload " + Session.Path() + ": " + reason, true);
    return;
  }
  Consequences(TApplied{.Changed = true}, now);
  Say("Reloaded " + Session.Path() + " from disk");
}

void TEditor::AskToOpen() {
  if (Doc.Modified()) {
    OpenModal(TModal::Open, "There are unsaved edits to " + FileName(Session.Path()) +
                                ".\n\nOpen another timeline all the same? The edits are lost.");
    return;
  }
  Session.AskToOpen();
  Say("Choose the timeline to open");
}

void TEditor::PlayShow() {
  std::string reason;
  if (Session.PlayInPlayer(reason))
    Say("The show as edited here opens in the player");
  else
    Say("Cannot play the show: " + reason, true);
}

void TEditor::ShowReadingError() {
  TextPanelOpen = true;
  TextBuffer = Doc.Text();
  Say(std::string("The timeline does not read: ") + Doc.Error()->what() + " (fix it in the text panel)", true);
}

void TEditor::RequestQuit() {
  if (!Doc.Modified()) {
    Quitting = true;
    return;
  }
  OpenModal(TModal::Quit, "There are unsaved edits to " + FileName(Session.Path()) + ".");
}

bool TEditor::ModalKey(TKey key, double now) {
  // Enter answers yes, Escape no (for quitting: stay), D quits without saving.
  int answer = -1;
  if (key == TKey::Enter || key == TKey::KeypadEnter) answer = 0;
  if (key == TKey::Escape) answer = Modal == TModal::Quit ? 2 : 1;
  if (key == TKey::D && Modal == TModal::Quit) answer = 1;
  if (answer < 0) return false;
  const TModal modal = Modal;
  Modal = TModal::None;
  switch (modal) {
    case TModal::Recovery:
      if (answer == 0) {
        Session.Restore(RecoveryText, now);
        Consequences(TApplied{.Changed = true}, now);
        Say("Restored the unsaved edits from " + Session.RecoveryPath() + " (not saved yet)");
      } else {
        Session.DiscardRecovery();
        Say("Discarded the unsaved edits kept in " + Session.RecoveryPath());
      }
      break;
    case TModal::Quit:
      if (answer == 0) {
        Save();
        Quitting = !Doc.Modified();
      } else if (answer == 1) {
        Session.DiscardRecovery();
        Quitting = true;
      }
      break;
    case TModal::DiskChanged:
      if (answer == 0) {
        Reload(now);
      } else {
        Session.KeepEdits();
        Say("Kept the edits; saving writes over the file's new version");
      }
      break;
    case TModal::Open:
      if (answer == 0) {
        Session.AskToOpen();
        Say("Choose the timeline to open");
      }
      break;
    case TModal::Error:
    case TModal::None: break;
  }
  return true;
}

void TEditor::HandleInput(const std::vector<TInputEvent>& events, double now) {
  const bool typing = ImGui::GetIO().WantTextInput;
  for (const TInputEvent& event : events) {
    switch (event.Type) {
      case TInputEvent::Quit:
        // Closing the window answers no question but the one about itself:
        // one left open (such as a recovery file not yet taken) stays for
        // the next start.
        if (Modal != TModal::Quit) {
          Modal = TModal::None;
          RequestQuit();
        }
        break;
      case TInputEvent::KeyDown:
        if (Modal != TModal::None) {
          ModalKey(event.Key, now);
        } else if (Dialog != TFileDialog::None) {
          // The file dialog takes the keys; Escape closes it.
          if (event.Key == TKey::Escape) Dialog = TFileDialog::None;
        } else if (!typing) {
          Consequences(Editing.Key(event.Key, event.Ctrl, event.Shift, event.Alt), now);
        }
        break;
      case TInputEvent::Text:
        if (Modal == TModal::None && Dialog == TFileDialog::None && !typing && !event.Ctrl && !event.Alt)
          Editing.Type(event.Typed);
        break;
      default: break;
    }
  }
}

void TEditor::Menu(const char* label, TAction action, double now, bool enabled) {
  const std::string keys = ShortcutOf(action);
  if (ImGui::MenuItem(label, keys.empty() ? nullptr : keys.c_str(), false, enabled))
    Consequences(Editing.Apply(action), now);
}

void TEditor::MenuBar(double now) {
  if (!ImGui::BeginMenuBar()) return;
  if (ImGui::BeginMenu("File")) {
    if (Session.OpenOffered() && ImGui::MenuItem("Open...")) AskToOpen();
    Menu("Save", TAction::Save, now);
    if (ImGui::MenuItem("Reload from disk")) {
      if (Doc.Modified())
        OpenModal(TModal::DiskChanged, "Reload " + Session.Path() + " from disk?\n\nYour edits can still be undone.");
      else
        Reload(now);
    }
    Menu("Edit as text", TAction::EditText, now);
    ImGui::Separator();
    RocketMenu();
    ImGui::Separator();
    Menu("Quit", TAction::Quit, now);
    ImGui::EndMenu();
  }
  if (ImGui::BeginMenu("Edit")) {
    Menu("Undo", TAction::Undo, now, Doc.CanUndo());
    Menu("Redo", TAction::Redo, now, Doc.CanRedo());
    ImGui::Separator();
    Menu("Cut", TAction::Cut, now);
    Menu("Copy", TAction::Copy, now);
    Menu("Paste", TAction::Paste, now, State.Clipboard.has_value());
    Menu("Delete keys", TAction::Delete, now);
    ImGui::Separator();
    Menu("\"off\" key", TAction::Off, now);
    Menu("Next shape", TAction::CycleShape, now);
    Menu("Add 0.1", TAction::AddCoarse, now);
    Menu("Take 0.1", TAction::SubtractCoarse, now);
    Menu("Multiply by the scale", TAction::Scale, now);
    ImGui::Separator();
    Menu("Insert a beat", TAction::InsertBeat, now);
    Menu("Delete a beat", TAction::DeleteBeat, now);
    Menu("Set or clear a mark", TAction::ToggleMark, now);
    Menu("Unroll the repeat", TAction::Unroll, now, Editing.RepeatAtCursor() >= 0);
    ImGui::EndMenu();
  }
  if (ImGui::BeginMenu("View")) {
    if (!Project()) Menu("Preview", TAction::TogglePreview, now);
    Menu("Finer grid", TAction::ZoomIn, now);
    Menu("Coarser grid", TAction::ZoomOut, now);
    ImGui::Separator();
    for (int g = 0; g < GridCount; ++g)
      if (State.Axis.Offers(g) &&
          ImGui::MenuItem(State.Axis.GridLabel(g).c_str(), nullptr, State.Axis.GridIndex() == g))
        State.Axis.SetGrid(g);
    ImGui::EndMenu();
  }
  if (ImGui::BeginMenu("Play")) {
    const bool playing = Demos != nullptr ? Demos->Playing() : Transport.Playing();
    Menu(Demos != nullptr ? (playing ? "Pause the demos" : "Play the demos") : (playing ? "Pause" : "Play"),
         TAction::PlayPause, now);
    Menu("Play the loop", TAction::PlayLoop, now);
    Menu("Loop the selection", TAction::LoopSelection, now);
    if (Session.PlayerOffered() && ImGui::MenuItem("Play the show in the player")) PlayShow();
    ImGui::Separator();
    Menu("Previous mark", TAction::PreviousMark, now);
    Menu("Next mark", TAction::NextMark, now);
    ImGui::EndMenu();
  }
  ImGui::EndMenuBar();
}

void TEditor::Toolbar(double now) {
  ImGui::SetCursorPosX(ImGui::GetCursorPosX() + 2);
  const bool playing = Demos != nullptr ? Demos->Playing() : Transport.Playing();
  if (ImGui::Button(playing ? "  \u25A0 Pause  " : "  \u25B6 Play  ")) DoForProgram(TAction::PlayPause, now);
  if (Demos != nullptr && ImGui::IsItemHovered()) ImGui::SetTooltip("Plays and pauses the demos (Space)");
  ImGui::SameLine();
  if (ImGui::Button("Loop")) DoForProgram(TAction::PlayLoop, now);
  if (Session.PlayerOffered()) {
    ImGui::SameLine();
    if (ImGui::Button("Show")) PlayShow();
    if (ImGui::IsItemHovered()) ImGui::SetTooltip("Play the show as edited here in the player, full screen");
  }
  ImGui::SameLine(0, 16);
  ImGui::PushFont(MonoFont());
  const double shown = ShownTime();
  const int row =
      Transport.Playing() ? State.Axis.ClampRow(static_cast<int>(State.Axis.RowOfSeconds(shown))) : State.Row;
  char clock[64];
  std::snprintf(clock, sizeof clock, "%-9s %8.3f s", FormatPosition(row, Doc.Layout()).c_str(), shown);
  ImGui::AlignTextToFramePadding();
  ImGui::TextColored(ImGui::ColorConvertU32ToFloat4(Transport.Playing() ? theme::Playhead : theme::Text), "%s", clock);
  ImGui::PopFont();
  ImGui::SameLine(0, 20);
  ImGui::AlignTextToFramePadding();
  ImGui::TextDisabled("Grid");
  ImGui::SameLine();
  ImGui::SetNextItemWidth(200);
  if (ImGui::BeginCombo("##grid", State.Axis.GridLabel(State.Axis.GridIndex()).c_str())) {
    for (int g = 0; g < GridCount; ++g)
      if (State.Axis.Offers(g) && ImGui::Selectable(State.Axis.GridLabel(g).c_str(), State.Axis.GridIndex() == g)) {
        State.Axis.SetGrid(g);
        Say("Grid: " + State.Axis.GridName());
      }
    ImGui::EndCombo();
  }
  if (ImGui::IsItemHovered()) ImGui::SetTooltip("%s", State.Axis.GridName().c_str());
  ImGui::SameLine(0, 20);
  ImGui::AlignTextToFramePadding();
  ImGui::TextDisabled("Scale");
  ImGui::SameLine();
  ImGui::SetNextItemWidth(70);
  if (ImGui::InputFloat("##scale", &State.Scale, 0, 0, "%.3g", ImGuiInputTextFlags_EnterReturnsTrue))
    Consequences(Editing.Apply(TAction::Scale), now);
  ImGui::SameLine(0, 4);
  if (ImGui::Button("\u00D7")) Consequences(Editing.Apply(TAction::Scale), now);
  if (ImGui::IsItemHovered())
    ImGui::SetTooltip("Multiply the selected values (%s)", ShortcutOf(TAction::Scale).c_str());
  ImGui::SameLine(0, 20);
  ImGui::AlignTextToFramePadding();
  ImGui::TextDisabled("Mark");
  ImGui::SameLine();
  ImGui::SetNextItemWidth(130);
  if (ImGui::InputText("##mark", &State.MarkName, ImGuiInputTextFlags_EnterReturnsTrue))
    Consequences(Editing.Apply(TAction::ToggleMark), now);
  if (ImGui::IsItemHovered()) ImGui::SetTooltip("The name the next mark gets (B sets or clears a mark)");
  if (Project()) return;
  ImGui::SameLine(0, 20);
  if (ImGui::Checkbox("Preview", &PreviewShown)) Say(PreviewShown ? "Preview shown" : "Preview hidden (F2 shows it)");
}

void TEditor::PreviewPanel(ImVec2 size) {
  ImGui::PushStyleColor(ImGuiCol_ChildBg, IM_COL32(0, 0, 0, 255));
  ImVec2 origin;
  ImDrawList* list = BeginPanel("preview", size, origin);
  const int width = static_cast<int>(size.x), height = static_cast<int>(size.y);
  if (!PreviewReady || !PreviewShown) {
    const char* text =
        !PreviewReady ? "No preview: this OpenGL driver has no frame-buffer objects" : "Preview hidden (F2)";
    const ImVec2 extent = ImGui::CalcTextSize(text);
    list->AddText(ImVec2(origin.x + (size.x - extent.x) / 2, origin.y + (size.y - extent.y) / 2), theme::TextDim, text);
  } else {
    const uint32_t picture = Preview.Draw(ShownTime(), width, height);
    // The largest 4:3 rectangle in the panel, black around it.
    float w = size.x, h = size.x * 3 / 4;
    if (h > size.y) h = size.y, w = size.y * 4 / 3;
    const ImVec2 at(std::floor(origin.x + (size.x - w) / 2), std::floor(origin.y + (size.y - h) / 2));
    list->AddImage(reinterpret_cast<ImTextureID>(static_cast<intptr_t>(picture)), at, ImVec2(at.x + w, at.y + h),
                   ImVec2(0, 1), ImVec2(1, 0));
    std::string note;
    for (int ch = 0; ch < State.Channels; ++ch)
      if (!State.Audible(ch)) note += (note.empty() ? "off here: " : ", ") + ChannelName(ch, Doc.Layout());
    if (!note.empty()) {
      list->AddRectFilled(ImVec2(at.x, at.y), ImVec2(at.x + ImGui::CalcTextSize(note.c_str()).x + 12, at.y + 22),
                          IM_COL32(0, 0, 0, 170));
      list->AddText(ImVec2(at.x + 6, at.y + 3), theme::Warn, note.c_str());
    }
  }
  ImGui::EndChild();
  ImGui::PopStyleColor();
}

void TEditor::StatusLine(ImVec2 size) {
  ImVec2 origin;
  ImDrawList* list = BeginPanel("status", size, origin);
  const float textY = origin.y + (size.y - ImGui::GetFontSize()) / 2 - 4;
  // The right end: the file's state, the cursor's place, the previews.
  std::string place = FormatPosition(State.Row, Doc.Layout()) + "   " + Seconds(State.Axis.SecondsOf(State.Row)) +
                      "   " + ChannelName(State.Channel, Doc.Layout());
  if (!Links.Empty()) place += "   live: " + Links.Summary();
  if (Demos != nullptr) place += "   " + Demos->Summary() + " on " + Demos->Where();
  const bool modified = Doc.Modified();
  const char* file = !Doc.Reads() ? "does not read" : modified ? "modified" : "saved";
  const ImU32 fileColour = !Doc.Reads() ? theme::Error : modified ? theme::Warn : theme::Good;
  const float placeWidth = ImGui::CalcTextSize(place.c_str()).x, fileWidth = ImGui::CalcTextSize(file).x;
  const float right = origin.x + size.x - 12;
  list->AddText(ImVec2(right - fileWidth, textY), fileColour, file);
  list->AddCircleFilled(ImVec2(right - fileWidth - 10, textY + ImGui::GetFontSize() / 2 + 1), 4, fileColour);
  list->AddText(ImVec2(right - fileWidth - 30 - placeWidth, textY), theme::TextDim, place.c_str());
  std::string status = State.Status;
  if (!Doc.Reads() && status.empty() && Doc.Error()) status = Doc.Error()->what();
  list->PushClipRect(origin, ImVec2(right - fileWidth - 40 - placeWidth, origin.y + size.y), true);
  list->AddText(ImVec2(origin.x + 10, textY), State.StatusIsError ? theme::Error : theme::Text, status.c_str());
  list->PopClipRect();
  ImGui::EndChild();
}

void TEditor::Layout(double now) {
  const ImGuiIO& io = ImGui::GetIO();
  ImGui::SetNextWindowPos(ImVec2(0, 0));
  ImGui::SetNextWindowSize(io.DisplaySize);
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(6, 6));
  ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(6, 6));
  ImGui::Begin("##editor", nullptr,
               ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                   ImGuiWindowFlags_NoBringToFrontOnFocus | ImGuiWindowFlags_MenuBar);
  MenuBar(now);
  ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(8, 6));
  Toolbar(now);
  ImGui::PopStyleVar();

  TPanelContext context(Doc, State, Editing);
  if (Transport.Playing()) context.PlayRow = State.Axis.RowOfSeconds(PlayTime);
  if (Demos != nullptr && Demos->Playing() && DemoRow) context.PlayRow = *DemoRow;
  const ImVec2 room = ImGui::GetContentRegionAvail();
  const float spacing = ImGui::GetStyle().ItemSpacing.y;
  const float below = room.y - StatusHeight - spacing;
  if (StripHeight <= 0) StripHeight = std::round(below * 0.42f);
  StripHeight =
      std::clamp(StripHeight, RulerHeight + WaveHeight + 80, std::max(RulerHeight + WaveHeight + 80, below - 200));
  const float top = below - StripHeight - SplitterHeight - spacing;
  // The preview as wide as its 4:3 frame at the panels' height where the
  // tracker leaves room, the tracker taking the rest. A project (also one
  // the text was edited into) has none.
  const bool preview = PreviewShown && !Project();
  float tracks = room.x;
  if (preview)
    tracks = room.x - spacing -
             std::max(MinPreviewWidth, std::min(top * 4 / 3, room.x - TracksWidth(Doc.Layout()) - spacing));
  TracksPanel(context, ImVec2(tracks, top));
  if (preview) {
    ImGui::SameLine();
    PreviewPanel(ImVec2(room.x - tracks - spacing, top));
  }
  // The splitter between the panels above and those across time.
  ImGui::InvisibleButton("split", ImVec2(room.x, SplitterHeight));
  if (ImGui::IsItemActive()) StripHeight -= io.MouseDelta.y;
  if (ImGui::IsItemHovered() || ImGui::IsItemActive()) ImGui::SetMouseCursor(ImGuiMouseCursor_ResizeNS);
  const ImVec2 split = ImGui::GetItemRectMin();
  ImGui::GetWindowDrawList()->AddLine(ImVec2(split.x, split.y + SplitterHeight / 2),
                                      ImVec2(split.x + room.x, split.y + SplitterHeight / 2), theme::PanelEdge, 2);
  ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(6, 2));
  RulerPanel(context, ImVec2(room.x, RulerHeight));
  CurvesPanel(context, ImVec2(room.x, StripHeight - RulerHeight - WaveHeight - 4));
  WaveformPanel(context, Wave, ImVec2(room.x, WaveHeight));
  ImGui::PopStyleVar();
  StatusLine(ImVec2(room.x, StatusHeight));
  ImGui::End();
  ImGui::PopStyleVar(2);

  TimeExtent = context.TimeExtent;
  if (context.LoopAsked) {
    State.Loop = context.LoopAsked;
    Say("Loop " + FormatPosition(State.Loop->First, Doc.Layout()) + " to " +
        FormatPosition(State.Loop->Last + 1, Doc.Layout()) + " (Ctrl+Space plays it)");
  }
  if (context.Seek && *context.Seek != State.Row) {
    Editing.MoveCursor(*context.Seek, State.Channel, false);
    context.Asked.Moved = true;
  }
  Consequences(context.Asked, now);
}

void TEditor::Modals(double now) {
  const char* name = "##question";
  if (Modal != TModal::None && !ModalOpened) {
    ImGui::OpenPopup(name);
    ModalOpened = true;
  }
  if (!ModalOpened) return;
  const ImVec2 display = ImGui::GetIO().DisplaySize;
  ImGui::SetNextWindowPos(ImVec2(display.x / 2, display.y / 2), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
  ImGui::SetNextWindowSizeConstraints(ImVec2(420, 0), ImVec2(640, display.y));
  if (!ImGui::BeginPopupModal(name, nullptr, ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoTitleBar)) {
    ModalOpened = false;
    return;
  }
  if (Modal == TModal::None) {
    ImGui::CloseCurrentPopup();
    ModalOpened = false;
    ImGui::EndPopup();
    return;
  }
  const char* title = Modal == TModal::Recovery      ? "Unsaved edits found"
                      : Modal == TModal::Quit        ? "Quit"
                      : Modal == TModal::DiskChanged ? "Changed on disk"
                      : Modal == TModal::Open        ? "Open"
                                                     : "Error";
  ImGui::TextColored(ImGui::ColorConvertU32ToFloat4(Modal == TModal::Error ? theme::Error : theme::Accent), "%s",
                     title);
  ImGui::Separator();
  ImGui::PushTextWrapPos(620);
  ImGui::TextUnformatted(ModalText.c_str());
  ImGui::PopTextWrapPos();
  ImGui::Spacing();
  auto button = [&](const char* label, TKey key) {
    if (ImGui::Button(label)) ModalKey(key, now);
    ImGui::SameLine();
  };
  switch (Modal) {
    case TModal::Recovery:
      button("Restore them (Enter)", TKey::Enter);
      button("Discard (Esc)", TKey::Escape);
      break;
    case TModal::Quit:
      button("Save and quit (Enter)", TKey::Enter);
      button("Quit without saving (D)", TKey::D);
      button("Cancel (Esc)", TKey::Escape);
      break;
    case TModal::DiskChanged:
      button("Reload (Enter)", TKey::Enter);
      button("Keep my edits (Esc)", TKey::Escape);
      break;
    case TModal::Open:
      button("Open another (Enter)", TKey::Enter);
      button("Stay (Esc)", TKey::Escape);
      break;
    default: button("OK (Enter)", TKey::Enter); break;
  }
  ImGui::NewLine();
  ImGui::EndPopup();
}

void TEditor::TextPanel(double now) {
  if (!TextPanelOpen) return;
  const ImVec2 display = ImGui::GetIO().DisplaySize;
  ImGui::SetNextWindowSize(ImVec2(std::min(760.0f, display.x - 80), display.y - 160), ImGuiCond_Appearing);
  ImGui::SetNextWindowPos(ImVec2(display.x / 2, display.y / 2), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
  if (!ImGui::Begin("Timeline text", &TextPanelOpen, ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoCollapse)) {
    ImGui::End();
    return;
  }
  if (const std::optional<TimelineError>& error = Doc.Error()) {
    ImGui::TextColored(ImGui::ColorConvertU32ToFloat4(theme::Error), "%s", error->what());
    // The line at fault as the text has it.
    if (error->Line >= 1 && error->Line <= Doc.LineCount()) {
      ImGui::PushFont(MonoFont());
      ImGui::TextDisabled("%5d |", error->Line);
      ImGui::SameLine();
      ImGui::TextUnformatted(Doc.LineText(error->Line).c_str());
      ImGui::PopFont();
    }
  } else
    ImGui::TextDisabled("The timeline reads. Apply takes the text as one edit (Ctrl+Z undoes it).");
  if (ImGui::Button("Apply")) {
    const EditResult result = Doc.EditText(TextBuffer);
    if (result.Done()) {
      Consequences(TApplied{.Changed = true}, now);
      Say(Doc.Reads() ? "Took the text" : "Took the text; it does not read: " + result.Message, !Doc.Reads());
    } else {
      Say("The text is as it was");
    }
  }
  ImGui::SameLine();
  if (ImGui::Button("Revert")) TextBuffer = Doc.Text();
  ImGui::SameLine();
  if (ImGui::Button("Close")) TextPanelOpen = false;
  ImGui::PushFont(MonoFont());
  ImGui::InputTextMultiline("##text", &TextBuffer, ImGui::GetContentRegionAvail(), ImGuiInputTextFlags_AllowTabInput);
  ImGui::PopFont();
  ImGui::End();
}

void TEditor::ScriptActions(double now) {
  if (!Script) return;
  if (Script->FrameFile) {
    // The preview's frame at the cursor, at the player's own size.
    if (!PreviewReady) {
      Say("No preview frame: this OpenGL driver has no frame-buffer objects", true);
    } else {
      Preview.Draw(State.Axis.SecondsOf(State.Row), 800, 600);
      const std::vector<uint8_t> rgb = Preview.ReadFrame();
      std::string reason;
      if (!WritePngBottomUp(*Script->FrameFile, Preview.Width(), Preview.Height(), rgb.data(), reason))
        Say("Cannot write " + *Script->FrameFile + ": " + reason, true);
      Preview.Invalidate();
    }
    Script->FrameFile.reset();
  }
  (void)now;
}

bool TEditor::Continuous() const { return Transport.Playing() || SettleFrames > 0 || (Script && Script->Running()); }

int TEditor::WaitMilliseconds(double now) const {
  // In a browser the page's loop waits between frames.
  if (Continuous() || !HostFramesMayWait()) return 0;
  const double seconds = std::min(Session.SecondsToNext(now), Links.SecondsToNext(now));
  return std::clamp(static_cast<int>(std::ceil(seconds * 1000)), 1, 1000);
}

void TEditor::Frame(const std::vector<TInputEvent>& events, double now) {
  const double started = Clock.GetTime();
  BeginGuiFrame();
  HandleInput(events, now);
  std::vector<bool> audible(State.Channels);
  for (int ch = 0; ch < State.Channels; ++ch) audible[ch] = State.Audible(ch);
  // Muting and soloing reach the live previews too.
  LinksDue = LinksDue || Preview.SetAudible(audible);
  if (Transport.Playing()) {
    PlayTime = Transport.Now();
    const TTimeAxis& axis = State.Axis;
    const int row = axis.ClampRow(static_cast<int>(axis.RowOfSeconds(PlayTime)));
    State.Row = axis.RowOfLine(axis.LineAtOrBefore(row));
    State.Axis.Show(axis.RowOfSeconds(PlayTime), TimeExtent, TimeExtent / 4);
    if (!Transport.Playing()) Say("Played to the end of the track");
    LinksDue = true;
  }
  if (Script && Script->BenchFrames > 0) Preview.Invalidate();
  Layout(now);
  Modals(now);
  FileDialog(now);
  TextPanel(now);
  if (LinksDue && !Links.Empty()) Links.Send(Preview.ChannelsAt(ShownTime()));
  LinksDue = false;

  const std::string title =
      std::string(Caption) + " - " + FileName(Session.Path()) + (Doc.Modified() ? " (modified)" : "");
  if (title != Title) SetGuiWindowTitle(Title = title);
  if (State.StatusSerial != Reported) {
    Reported = State.StatusSerial;
    if (State.StatusIsError) ReportMessage(Caption, State.Status);
  }
  ScriptActions(now);
  TWindowPixels pixels;
  const bool shot = Script && Script->ShotFile;
  EndGuiFrame(shot ? &pixels : nullptr);
  if (shot) {
    std::string reason;
    if (!WritePngBottomUp(*Script->ShotFile, pixels.Width, pixels.Height, pixels.Rgb.data(), reason))
      Say("Cannot write " + *Script->ShotFile + ": " + reason, true);
    Script->ShotFile.reset();
  }
  SettleFrames = events.empty() ? std::max(0, SettleFrames - 1) : SettleAfterInput;
  if (Script && Script->BenchFrames > 0) {
    BenchTimes.push_back(Clock.GetTime() - started);
    BenchPreview.push_back(Preview.DrawSeconds);
    BenchBring.push_back(Preview.BringSeconds);
    if (static_cast<int>(BenchTimes.size()) >= Script->BenchFrames) {
      int w = 0, h = 0;
      GuiWindowSize(w, h);
      const bool shown = PreviewShown && PreviewReady;
      char preview[160] = "preview hidden";
      if (shown)
        std::snprintf(preview, sizeof preview,
                      "preview drawn at %dx%d (median %.2f ms, of it %.2f ms bringing the state)", Preview.Width(),
                      Preview.Height(), Quantile(BenchPreview, 0.5) * 1000, Quantile(BenchBring, 0.5) * 1000);
      std::printf("bench: %zu frames in a %dx%d window, %s: frame median %.2f ms, p90 %.2f ms\n", BenchTimes.size(), w,
                  h, preview, Quantile(BenchTimes, 0.5) * 1000, Quantile(BenchTimes, 0.9) * 1000);
      std::fflush(stdout);
      BenchTimes.clear();
      BenchPreview.clear();
      BenchBring.clear();
      Script->BenchFrames = 0;
    }
  }
  if (Script) Script->FrameDrawn();
}

int TEditor::Run() {
  if (const std::optional<std::string> recovered = Session.Recovery()) {
    RecoveryText = *recovered;
    OpenModal(TModal::Recovery, "Edits that were never saved, newer than the file, are kept in " +
                                    Session.RecoveryPath() + ".\n\nRestore them?");
    ReportMessage(Caption, "Unsaved edits found in " + Session.RecoveryPath() + ": offered back");
  }
  if (Doc.Error()) ShowReadingError();
  // A signal ends the run between frames (the unsaved text then goes to
  // the recovery file: EditorMain.cpp).
  RunHostLoop([this] {
    if (Quitting || TerminationRequested()) return false;
    Step();
    return true;
  });
  Transport.Stop();
  return 0;
}

void TEditor::Step() {
  double now = Clock.GetTime();
  if (Script) Script->Advance(now);
  Events.clear();
  bool draw = TakeInput(WaitMilliseconds(now), Events);
  now = Clock.GetTime();
  if (PollDemos(now)) draw = true;
  const TSessionNews news = Session.Tick(now);
  if (!news.Note.empty() || !news.Error.empty() || news.ChangedUnderEdits || !news.Saved.empty() || news.Opened) {
    SaySession(news, now);
    draw = true;
  }
  for (const std::string& text : Links.Tick(now)) {
    Say(text);
    ReportMessage(Caption, text);
    Reported = State.StatusSerial;
    LinksDue = draw = true;
  }
  if (draw || Continuous()) Frame(Events, now);
}
