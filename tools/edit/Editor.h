// The sync editor's shell: one window with the menus, the transport bar,
// the tracker and the preview above, the ruler, the curves and the waveform
// below on the same time axis, and the status line; the loop that sleeps
// until there is input or due work (the recovery file, the file's stamp,
// the live previews, the demos it serves), handles the keys, draws a frame,
// and plays. A project (a timeline of another demo's tracks) has no
// preview: the demos it serves with --sync show it, and play. The loop is
// the host's (platform/HostLoop.h): natively the program's own, in a
// browser the page's animation frames, between which it waits instead.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "DemoLink.h"
#include "EditOptions.h"
#include "Editing.h"
#include "EditorState.h"
#include "LiveLink.h"
#include "Panels.h"
#include "Preview.h"
#include "ScriptRunner.h"
#include "Session.h"
#include "Transport.h"
#include "Waveform.h"
#include "platform/GuiHost.h"
#include "runtime/Timer.h"

class TEditor {
 public:
  // The session's file is open. previewReady: the frame buffer the preview
  // draws into is there.
  TEditor(TEditSession& session, const TEditOptions& options, bool previewReady);
  // The music's slot (-1 for none), its waveform made from its sound.
  void SetMusic(int32_t sample);
  void SetScript(TScriptRunner script) { Script.emplace(std::move(script)); }
  // The demos served (--sync); they live as long as the editor.
  void SetDemos(TDemoLink* demos);
  // Runs until the editor is quit; the exit status. In a browser it never
  // returns: the program ends with the editor (HostLoop.h).
  int Run();

 private:
  enum class TModal { None, Recovery, Quit, DiskChanged, Error, Open };

  // One turn of the loop: input or due work taken, and a frame drawn where
  // they call for one.
  void Step();

  void Frame(const std::vector<TInputEvent>& events, double now);
  void HandleInput(const std::vector<TInputEvent>& events, double now);
  bool ModalKey(TKey key, double now);
  void DoForProgram(TAction action, double now);
  void Consequences(const TApplied& applied, double now);
  void Follow();
  void SaySession(const TSessionNews& news, double now);
  void Say(const std::string& text, bool error = false);

  void Play(bool loop);
  void Pause();
  void Save();
  void Reload(double now);
  void AskToOpen();
  void PlayShow();
  void ShowReadingError();
  void RequestQuit();
  double ShownTime() const;

  void Layout(double now);
  void MenuBar(double now);
  void Toolbar(double now);
  void PreviewPanel(ImVec2 size);
  void StatusLine(ImVec2 size);
  void Modals(double now);
  void TextPanel(double now);
  void OpenModal(TModal modal, const std::string& text);
  void Menu(const char* label, TAction action, double now, bool enabled = true);

  void ScriptActions(double now);
  bool Continuous() const;
  int WaitMilliseconds(double now) const;

  // The demos and GNU Rocket's files (EditorSync.cpp).
  enum class TFileDialog { None, Import, Export, ExportTracks };
  // Sleeps until input, a socket of the demos or previews, or the time;
  // takes the input.
  bool TakeInput(int milliseconds, std::vector<TInputEvent>& events);
  // A pass of the demos' server: true when something is to be shown.
  bool PollDemos(double now);
  void PlayDemos();
  void SaveDemoTracks();
  void RocketMenu();
  void OpenFileDialog(TFileDialog dialog);
  void FileDialog(double now);
  bool Project() const { return Doc.IsProject(); }

  TEditSession& Session;
  TimelineDocument& Doc;
  TEditorState State;
  TEditing Editing;
  TPreview Preview;
  bool PreviewReady;
  bool PreviewShown = true;
  TTransport Transport;
  double PlayTime = 0;
  TWaveform Wave;
  TLiveLinks Links;
  bool LinksDue = true;
  std::optional<TScriptRunner> Script;
  TETimer Clock;
  TDemoLink* Demos = nullptr;
  std::optional<int> DemoRow;  // the row a playing demo reported last
  TFileDialog Dialog = TFileDialog::None;
  bool DialogOpened = false;
  std::string DialogPath;
  RocketDialect DialogDialect = RocketDialect::Sync;

  TModal Modal = TModal::None;
  bool ModalOpened = false;
  std::string ModalText;
  std::string RecoveryText;
  bool TextPanelOpen = false;
  std::string TextBuffer;
  float StripHeight = 0;
  float TimeExtent = 600;
  bool Quitting = false;
  int SettleFrames = 2;
  std::string Title;
  std::vector<double> BenchTimes, BenchPreview, BenchBring;
  unsigned Reported = 0;  // the status serial last reported
  std::vector<TInputEvent> Events;  // the loop's turn's input
};
