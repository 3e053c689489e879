// The editor started as a user starts it, headless under SDL's offscreen
// driver, played by scripts: the file a session leaves, the unsaved edits
// of a killed editor offered back, the preview's frame against the
// player's still, what it says about a bad script or timeline, and a live
// preview that never answers holding nothing up.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "Document.h"
#include "TimeAxis.h"
#include "platform/PngFile.h"
#include "platform/WholeFile.h"
#include "support/RunDirectory.h"
#include "support/Unanswering.h"

namespace {
std::string ReadText(const std::string& path) {
  std::string text, reason;
  return ReadWholeFile(path, text, reason) ? text : "<none: " + reason + ">";
}

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

class EditProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    Original = ReadText(VEMLA_TIMELINE);
    Dir.Write("demo.timeline", Bytes(Original));
  }
  // The editor on the copy of the demo's timeline with the script; its exit status.
  int Edit(const std::string& script, const std::string& timeline = "demo.timeline") {
    Dir.Write("script.txt", Bytes(script));
    return Dir.Run(timeline + " --data '" + std::string(VEMLA_STAGE_DIR) + "' --script script.txt");
  }
  // The demo's timeline with flash's key at row 8 set to 0.5, as the
  // editor's first scripted edit makes it.
  std::string Edited() const {
    TimelineDocument doc(Original);
    doc.SetKey(0, 8, 0.5f);
    return doc.Text();
  }

  RunDirectory Dir{VEMLA_EDIT_PROGRAM, VEMLA_STAGE_DIR};
  std::string Original;
};

// Two lines down at a grid of every 4th row: flash, row 8.
const std::string TypeAKey = "key Down\nkey Down\ntext 0.5\nkey Enter\n";
}  // namespace

TEST_F(EditProgram, AScriptedSessionLeavesTheFileAsSavedUndoneAndSavedAgain) {
  ASSERT_NE(Edited(), Original);
  ASSERT_EQ(Edit(TypeAKey + "key Ctrl+S\nkey Ctrl+Z\nkey Ctrl+S\nquit\n"), 0) << Dir.Stderr();
  EXPECT_EQ(Dir.Read("demo.timeline"), Original) << "saved, undone and saved again";
  EXPECT_EQ(Dir.Read("demo.timeline~"), Edited()) << "the save before it, kept";
  EXPECT_EQ(Dir.Read(".demo.timeline.recovery"), "") << "nothing unsaved is left behind";
}

TEST_F(EditProgram, UnsavedEditsOfAKilledEditorAreOfferedBack) {
  Dir.Write("script.txt", Bytes(TypeAKey + "wait 60000\n"));
  const int pid = Dir.Start({"demo.timeline", "--data", VEMLA_STAGE_DIR, "--script", "script.txt"});
  std::string recovered;
  for (int look = 0; look < 300 && recovered != Edited(); ++look) {
    usleep(100000);
    recovered = Dir.Read(".demo.timeline.recovery");
  }
  kill(pid, SIGKILL);
  EXPECT_EQ(RunDirectory::Wait(pid, 10), 128 + SIGKILL);
  ASSERT_EQ(recovered, Edited()) << "the recovery file within 30 s of the edit\n" << Dir.Stderr();
  ASSERT_EQ(Dir.Read("demo.timeline"), Original);

  // The next start offers them back: Enter takes them, Ctrl+S saves them.
  ASSERT_EQ(Edit("key Enter\nkey Ctrl+S\nquit\n"), 0) << Dir.Stderr();
  EXPECT_NE(Dir.Stderr().find("Unsaved edits found in"), std::string::npos) << Dir.Stderr();
  EXPECT_EQ(Dir.Read("demo.timeline"), Edited());
  EXPECT_EQ(Dir.Read(".demo.timeline.recovery"), "");
}

// At the "main" mark (bar 16), and three lines after the "second build"
// mark (bar 56), against one-frame captures of the staged track there.
TEST_F(EditProgram, ThePreviewsFrameIsThePlayersStill) {
  ASSERT_EQ(Edit("key Alt+PageDown\nkey Alt+PageDown\nframe main.png\n"
                 "key Alt+PageDown\nkey Alt+PageDown\nkey Alt+PageDown\nkey Down\nkey Down\nkey Down\n"
                 "frame build.png\nquit\n"),
            0)
      << Dir.Stderr();
  Dir.UseStagedTrack();
  const TTimeAxis axis;
  const std::pair<const char*, int> frames[] = {{"main.png", 16 * 64}, {"build.png", 56 * 64 + 12}};
  for (const auto& [name, row] : frames) {
    char time[40];
    std::snprintf(time, sizeof time, "%.17g", axis.SecondsOf(row));
    const std::string still = std::string("still-") + name;
    ASSERT_EQ(Dir.Shell(std::string("'") + VEMLA_PROGRAM + "' --capture " + still + " --from " + time + " --to " +
                        time + " >out.txt 2>err.txt"),
              0)
        << Dir.Stderr();
    int width = 0, height = 0, stillWidth = 0, stillHeight = 0;
    std::vector<uint8_t> mine, theirs;
    std::string reason;
    ASSERT_TRUE(ReadPngFile(Dir.Path(name), width, height, mine, reason)) << name << ": " << reason;
    ASSERT_TRUE(ReadPngFile(Dir.Path(still + "/frame-000000.png"), stillWidth, stillHeight, theirs, reason)) << reason;
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    EXPECT_EQ(stillWidth, width);
    EXPECT_EQ(stillHeight, height);
    EXPECT_TRUE(mine == theirs) << name << " differs from the player's still at " << time << " s";
    size_t lit = 0;
    for (uint8_t v : mine) lit += v > 16;
    EXPECT_GT(lit, mine.size() / 20) << name << " is not a picture";
  }
}

TEST_F(EditProgram, BadScriptsAndMissingFilesAreSaidWithWhereAndWhy) {
  EXPECT_EQ(Edit("key Down\nkey Sideways\n"), 2);
  EXPECT_NE(Dir.Stderr().find("script.txt: line 2: no key is called \"Sideways\""), std::string::npos) << Dir.Stderr();
  EXPECT_EQ(Edit("quit\n", "missing.timeline"), 1);
  EXPECT_NE(Dir.Stderr().find("No timeline at " + Dir.Path("missing.timeline")), std::string::npos) << Dir.Stderr();
  EXPECT_EQ(Dir.Run("demo.timeline --data nowhere"), 1);
  EXPECT_NE(Dir.Stderr().find("No run directory (demo.vrk and data/) at " + Dir.Path("nowhere")), std::string::npos)
      << Dir.Stderr();
}

TEST_F(EditProgram, ATimelineThatDoesNotReadOpensWithItsErrorAndStaysAsItIs) {
  const std::string broken = "channel flash\n0 1\nbogus line\n";
  Dir.Write("broken.timeline", Bytes(broken));
  ASSERT_EQ(Edit("key Ctrl+S\nquit\n", "broken.timeline"), 0) << Dir.Stderr();
  EXPECT_NE(Dir.Stderr().find("The timeline does not read: line 3: "), std::string::npos) << Dir.Stderr();
  EXPECT_NE(Dir.Stderr().find("Cannot save " + Dir.Path("broken.timeline") + ": line 3: "), std::string::npos)
      << Dir.Stderr();
  EXPECT_EQ(Dir.Read("broken.timeline"), broken);
}

// A preview at a host that never answers (support/Unanswering.h) holds
// nothing up: the frames keep their pace while the editor tries it,
// quietly, and the session ends in time.
TEST_F(EditProgram, APreviewThatNeverAnswersHoldsTheFramesUpNot) {
  TUnanswering host;
  ASSERT_GT(host.Port, 0) << host.Failure;
  const std::string where = "127.0.0.1:" + std::to_string(host.Port);
  Dir.Write("script.txt", Bytes("bench 30\nwait 3500\nbench 30\nquit\n"));
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(Dir.Run("demo.timeline --data '" + std::string(VEMLA_STAGE_DIR) + "' --send " + where +
                    " --script script.txt"),
            0)
      << Dir.Stderr();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 60) << "the session waited on the connection";
  EXPECT_NE(Dir.Stderr().find("No preview at " + where + " yet (no answer within 3 s): trying again"),
            std::string::npos)
      << Dir.Stderr();
  // Both benches' frames, the second while a connection was under way or
  // given up: the 90th percentile under a second even on a loaded machine.
  const std::string out = Dir.Read("out.txt");
  size_t at = 0;
  int benches = 0;
  while ((at = out.find("p90 ", at)) != std::string::npos) {
    const double p90 = std::stod(out.substr(at + 4));
    EXPECT_LT(p90, 1000) << out;
    ++benches;
    at += 4;
  }
  EXPECT_EQ(benches, 2) << out;
}
