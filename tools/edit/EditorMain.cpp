#include "EditorMain.h"

#include <imgui.h>

#include <cstdio>
#include <exception>

#include "DemoLink.h"
#include "Editor.h"
#include "RocketJobs.h"
#include "Script.h"
#include "ScriptRunner.h"
#include "Theme.h"
#include "platform/Console.h"
#include "platform/Directory.h"
#include "platform/GLLibraries.h"
#include "platform/GuiHost.h"
#include "platform/Message.h"
#include "platform/Music.h"
#include "platform/Presentation.h"
#include "platform/Termination.h"
#include "platform/WholeFile.h"
#include "runtime/DemoMain.h"

namespace {
constexpr const char* Caption = "vemla-edit";
constexpr int UsageStatus = 2;

// One frame saying what is being loaded, while the demo's content loads.
void ShowLoading(const std::string& where) {
  BeginGuiFrame();
  const ImVec2 display = ImGui::GetIO().DisplaySize;
  const std::string text = "Loading the demo's content from " + where + " ...";
  const ImVec2 size = ImGui::CalcTextSize(text.c_str());
  ImGui::GetBackgroundDrawList()->AddText(ImVec2((display.x - size.x) / 2, (display.y - size.y) / 2), theme::TextDim,
                                          text.c_str());
  EndGuiFrame();
}

// The script's steps; false once its error has been said.
bool ReadScript(const std::string& file, std::vector<TScriptStep>& steps) {
  std::string text, reason;
  if (!ReadWholeFile(file, text, reason)) {
    ShowMessage(Caption, "Cannot read the script: " + reason);
    return false;
  }
  try {
    steps = ParseScript(text);
    return true;
  } catch (const EScriptError& error) {
    ShowMessage(Caption, file + ": " + error.what());
    return false;
  }
}

// The music a project names, beside its timeline where the name is relative.
std::string ProjectMusic(const TEditSession& session) {
  const std::string& music = session.Document().Music();
  if (music.empty() || music[0] == '/' || music[0] == '\\' || (music.size() > 1 && music[1] == ':')) return music;
  const size_t slash = session.Path().find_last_of("/\\");
  return slash == std::string::npos ? music : session.Path().substr(0, slash + 1) + music;
}

// The script's files are named from the folder the editor was started in.
// A project (another demo's tracks) has no run directory: nothing of this
// demo's is loaded, and its own music is.
int RunWindow(const TEditOptions& options, TEditSession& session, const std::string& stage,
              std::vector<TScriptStep> steps, const std::string& scriptFolder, TDemoLink* demos) {
  const bool project = session.Document().IsProject();
  LoadGLLibraries();
  if (!BuildToolGLWindow(options.Width, options.Height, 800, 600, MainWindow, Caption)) {
    // The window's own message has said why.
    UnloadGLLibraries();
    return 1;
  }
  SetVerticalSync(true);
  std::string reason;
  if (!StartGui(MainWindow, reason)) {
    ShowMessage(Caption, "Cannot start the user interface: " + reason);
    UnloadGLLibraries();
    return 1;
  }
  SetupTheme();
  // The preview's frames are drawn at the panel's size; the demo's render
  // textures are made for 800 x 600 while loading.
  bool previewReady = false;
  if (!project) {
    previewReady = StartPresentation(800, 600, 800, 600, TFrameScale::Native);
    if (!previewReady) ReportMessage(Caption, "This OpenGL driver has no frame-buffer objects: there is no preview");
    ShowLoading(stage);
    ChangeDirectory(stage);
    LoadDemo(TLoadOptions{.LoadingScreen = false, .Music = false});
  }
  const std::string musicFile = project ? ProjectMusic(session) : std::string(MusicFileName);
  int32_t music = -1;
  // Without a sound device the music still shows as the waveform, and play
  // keeps its time, unheard.
  if (!musicFile.empty() && (InitMusic(MainWindow.Wnd) || InitSilentMusic())) {
    music = LoadSample(musicFile);
    if (music < 0) ReportMessage(Caption, "Cannot load the music \"" + musicFile + "\": no sound, no waveform");
  }
  TEditor editor(session, options, previewReady);
  editor.SetMusic(music);
  editor.SetDemos(demos);
  if (!options.Script.empty()) editor.SetScript(TScriptRunner(std::move(steps), scriptFolder));
  EnterMainLoop();
  const int status = editor.Run();
  LeaveMainLoop();
  if (TerminationRequested() && !session.KeepUnsaved(reason)) ReportMessage(Caption, session.NotKept(reason));
  StopGui();
  UnloadGLLibraries();
  return status;
}
}  // namespace

int EditMain(int argc, const char* const* argv) {
  InstallTerminationHandlers();
  LeaveConsoleOfItsOwn();
  TEditOptions options;
  if (auto error = ParseEditOptions(argc, argv, options)) {
    std::fprintf(stderr, "%s: %s\n%s", Caption, error->Text.c_str(), EditUsage().c_str());
    return UsageStatus;
  }
  if (options.Help) {
    std::fputs(EditHelp().c_str(), stdout);
    return 0;
  }
  if (options.Job != TEditJob::Edit) return RunEditJob(options);
  std::string looked;
  const std::string timeline = FindTimeline(options.Timeline, looked);
  if (timeline.empty()) {
    ShowMessage(
        Caption,
        "No timeline at " + looked +
            (options.Timeline.empty() ? ": start vemla-edit from the repository's root, or name a timeline" : ""));
    return 1;
  }
  std::vector<TScriptStep> steps;
  if (!options.Script.empty() && !ReadScript(options.Script, steps)) return UsageStatus;
  TEditSession session(timeline);
  std::string reason;
  if (!session.Open(reason)) {
    ShowMessage(Caption, "Cannot open the timeline: " + reason);
    return 1;
  }
  // This demo's timeline is previewed from the run directory; a project
  // is another demo's.
  std::string stage;
  if (!session.Document().IsProject()) {
    stage = FindRunDirectory(options.Data, looked);
    if (stage.empty()) {
      ShowMessage(Caption, "No run directory (demo.vrk and data/) at " + looked +
                               ": build it (./run.sh or cmake --build), or name one with --data <dir>");
      return 1;
    }
  }
  try {
    std::optional<TDemoLink> demos;
    if (options.Sync)
      demos.emplace(session.Document(), SyncServerOptions{.Address = options.Listen.Host, .Port = options.Listen.Port});
    return RunWindow(options, session, stage, std::move(steps), AbsolutePath("."), demos ? &*demos : nullptr);
  } catch (const std::exception& error) {
    ShowMessage(Caption, error.what());
    return 1;
  }
}
