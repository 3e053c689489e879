// The editor's demos (--sync) and GNU Rocket's files from the File menu.
#include <imgui.h>
#include <imgui_stdlib.h>

#include "Editor.h"
#include "RocketJobs.h"
#include "Theme.h"
#include "platform/Message.h"

namespace {
// The timeline's path without its extension, for the files made from it.
std::string Stem(const std::string& path) {
  const size_t slash = path.find_last_of("/\\"), dot = path.rfind('.');
  return dot != std::string::npos && (slash == std::string::npos || dot > slash) ? path.substr(0, dot) : path;
}
}  // namespace

void TEditor::SetDemos(TDemoLink* demos) {
  Demos = demos;
  if (Demos == nullptr) return;
  Demos->CursorAt(State.Row);
  Say("Serving demos on " + Demos->Where() + ": start the demo (Space plays it, " + ShortcutOf(TAction::SaveTracks) +
      " asks it to save its tracks)");
}

bool TEditor::TakeInput(int milliseconds, std::vector<TInputEvent>& events) {
  SocketWatch watch;
  if (Demos != nullptr) milliseconds = Demos->Watch(watch, milliseconds);
  Links.Watch(watch);
  if (!watch.Empty() && milliseconds != 0) {
    WaitForGuiInputOrSockets(milliseconds, watch);
    milliseconds = 0;
  }
  return TakeGuiInput(milliseconds, events);
}

bool TEditor::PollDemos(double now) {
  if (Demos == nullptr) return false;
  const TDemoLink::TNews news = Demos->Poll();
  if (news.TracksAdded) State.Fit(Doc.Layout());
  // Every line goes to the message routine as it comes (the status line
  // shows the last one).
  for (const TDemoLink::TNews::TLine& line : news.Lines) {
    Say(line.Text, line.Error);
    ReportMessage("vemla-edit", line.Text);
    Reported = State.StatusSerial;
  }
  if (news.Row) {
    // The cursor follows a playing demo; the other demos follow the cursor.
    DemoRow = *news.Row;
    State.Row = State.Axis.ClampRow(*news.Row);
    Follow();
    Demos->CursorAt(State.Row);
    LinksDue = true;
  }
  (void)now;
  return !news.Lines.empty() || news.Row || news.TracksAdded;
}

void TEditor::PlayDemos() {
  Demos->SetPlaying(!Demos->Playing());
  if (!Demos->Playing()) DemoRow.reset();
  const std::string where = FormatPosition(State.Row, Doc.Layout());
  const std::string who = Demos->Demos() == 0 ? " (no demo is connected yet: the next one to join plays)" : "";
  Say(Demos->Playing() ? "The demos play from " + where + who : "The demos pause at " + where);
}

void TEditor::SaveDemoTracks() {
  if (Demos == nullptr) {
    Say("No demos to save their tracks: start the editor with --sync", true);
    return;
  }
  Demos->SaveTracks();
  Say(Demos->Demos() == 0 ? "No demo is connected to save its tracks"
                          : "Asked " + Demos->Summary() + " to save the tracks (the player's files)");
}

void TEditor::RocketMenu() {
  if (ImGui::MenuItem("Import a Rocket file...")) OpenFileDialog(TFileDialog::Import);
  if (ImGui::MenuItem("Export a Rocket file...", nullptr, false, Doc.Reads())) OpenFileDialog(TFileDialog::Export);
  if (ImGui::MenuItem("Export track files...", nullptr, false, Doc.Reads())) OpenFileDialog(TFileDialog::ExportTracks);
  const std::string keys = ShortcutOf(TAction::SaveTracks);
  if (ImGui::MenuItem("Send save to demos", keys.c_str(), false, Demos != nullptr)) SaveDemoTracks();
}

void TEditor::OpenFileDialog(TFileDialog dialog) {
  Dialog = dialog;
  const std::string stem = Stem(Session.Path());
  DialogPath = dialog == TFileDialog::ExportTracks ? stem : stem + ".rocket";
}

void TEditor::FileDialog(double now) {
  const char* name = "##rocketfile";
  if (Dialog != TFileDialog::None && !DialogOpened) {
    ImGui::OpenPopup(name);
    DialogOpened = true;
  }
  if (!DialogOpened) return;
  const ImVec2 display = ImGui::GetIO().DisplaySize;
  ImGui::SetNextWindowPos(ImVec2(display.x / 2, display.y / 2), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
  ImGui::SetNextWindowSize(ImVec2(std::min(640.0f, display.x - 40), 0));
  if (!ImGui::BeginPopupModal(name, nullptr, ImGuiWindowFlags_NoTitleBar)) {
    Dialog = TFileDialog::None;
    DialogOpened = false;
    return;
  }
  // Closed by a key (Escape) since the last frame.
  if (Dialog == TFileDialog::None) {
    ImGui::CloseCurrentPopup();
    DialogOpened = false;
    ImGui::EndPopup();
    return;
  }
  const char* title = Dialog == TFileDialog::Import   ? "Import a Rocket editor's XML file"
                      : Dialog == TFileDialog::Export ? "Export as a Rocket editor's XML file"
                                                      : "Export the player's track files";
  ImGui::TextColored(ImGui::ColorConvertU32ToFloat4(theme::Accent), "%s", title);
  ImGui::Separator();
  ImGui::PushTextWrapPos(600);
  if (Dialog == TFileDialog::Import)
    ImGui::TextDisabled("Its tracks replace the timeline's text as one edit (Ctrl+Z undoes it); saving writes it.");
  else if (Dialog == TFileDialog::ExportTracks)
    ImGui::TextDisabled("One file a track, <base>_<track>.track, as the Rocket library's player reads them.");
  ImGui::PopTextWrapPos();
  ImGui::SetNextItemWidth(-1);
  if (ImGui::IsWindowAppearing()) ImGui::SetKeyboardFocusHere();
  bool go = ImGui::InputText("##path", &DialogPath, ImGuiInputTextFlags_EnterReturnsTrue);
  if (Dialog == TFileDialog::Export) {
    if (ImGui::RadioButton("the original editor's (<sync>)", DialogDialect == RocketDialect::Sync))
      DialogDialect = RocketDialect::Sync;
    ImGui::SameLine();
    if (ImGui::RadioButton("<tracks>, with tempo and music", DialogDialect == RocketDialect::Tracks))
      DialogDialect = RocketDialect::Tracks;
  }
  go = ImGui::Button(Dialog == TFileDialog::Import ? "Import" : "Export") || go;
  ImGui::SameLine();
  const bool cancel = ImGui::Button("Cancel");
  if (go && !DialogPath.empty()) {
    TFileJob job;
    if (Dialog == TFileDialog::Import) {
      std::string text;
      job = ImportRocketText(DialogPath, Doc.IsProject() ? nullptr : &Doc.Layout(), text);
      if (job.Done) {
        if (Doc.EditText(text).Done()) Consequences(TApplied{.Changed = true}, now);
        job.Said += " (not saved yet; Ctrl+Z undoes it)";
      }
    } else if (Dialog == TFileDialog::Export) {
      job = ExportRocketTimeline(Doc.Read(), DialogPath, DialogDialect);
    } else {
      job = ExportTrackTimeline(Doc.Read(), DialogPath);
    }
    std::string said = job.Said;
    for (const std::string& note : job.Notes) said += "; " + note;
    Say(said, !job.Done);
  }
  if ((go && !DialogPath.empty()) || cancel) {
    Dialog = TFileDialog::None;
    DialogOpened = false;
    ImGui::CloseCurrentPopup();
  }
  ImGui::EndPopup();
}
