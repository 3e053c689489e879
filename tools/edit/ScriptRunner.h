// A script (Script.h) played into the running editor a step at a time. Input
// steps are posted into the window's event queue, where the editor takes
// them as it takes the user's; a step is done once the queue is empty and
// the editor has drawn frames after it. The actions are asked of the editor,
// which does them at the end of a frame.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "Script.h"

class TScriptRunner {
 public:
  // File names in the script are taken from folder.
  TScriptRunner(std::vector<TScriptStep> steps, std::string folder);
  bool Running() const { return Next < Steps.size() || Current.has_value(); }
  // Before each frame: finishes the step under way when it is done and
  // starts the next.
  void Advance(double now);
  // After each frame drawn.
  void FrameDrawn() { ++Frames; }

  // What the editor is asked to do at the end of the current frame; the
  // editor clears what it has done.
  std::optional<std::string> ShotFile, FrameFile;
  int BenchFrames = 0;

 private:
  void Start(const TScriptStep& step, double now);
  std::string InFolder(const std::string& name) const;
  std::vector<TScriptStep> Steps;
  std::string Folder;
  size_t Next = 0;
  std::optional<TScriptStep> Current;
  double Until = 0;  // a wait's end, or the least time a step takes
  int Frames = 0;    // frames drawn since the step started
};
