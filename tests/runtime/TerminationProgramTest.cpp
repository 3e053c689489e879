// SIGINT and SIGTERM, sent to the program started as a user would start it:
// during start-up they end it at once with 130 and 143, in the main loop the
// run ends between frames with 0.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <csignal>
#include <fstream>
#include <thread>

#include "support/RunDirectory.h"
#include "support/TempDir.h"

namespace {
constexpr double Patience = 60;

// Waits until the program is blocked opening the track: a pipe in place of
// demo.vrk, which no one ever opens for writing, holds it there in the middle
// of its start-up for as long as the test likes. (Opening the pipe's other
// end would let it go on, find that demo.vrk is no file, and end on its own,
// racing the signal.) The kernel names that wait "wait_for_partner".
bool WaitUntilBlockedOpening(int pid) {
  const std::string wchanFile = "/proc/" + std::to_string(pid) + "/wchan";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(Patience);
  while (std::chrono::steady_clock::now() < deadline) {
    std::ifstream wchan(wchanFile);
    std::string where;
    std::getline(wchan, where);
    if (where == "wait_for_partner") return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

// Waits until stderr holds the text.
bool WaitForStderr(RunDirectory& run, const std::string& text) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(Patience);
  while (std::chrono::steady_clock::now() < deadline) {
    if (run.Stderr().find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}
}  // namespace

TEST(TerminationSignals, EndStartUpAtOnceWithTheSignalsStatus) {
  for (auto [signal, status] : {std::pair{SIGTERM, 143}, {SIGINT, 130}}) {
    RunDirectory run(VEMLA_PROGRAM, VEMLA_STAGE_DIR);
    ASSERT_EQ(mkfifo(run.Path("demo.vrk").c_str(), 0600), 0);
    const int pid = run.Start({});
    EXPECT_TRUE(WaitUntilBlockedOpening(pid)) << run.Stderr();
    kill(pid, signal);
    EXPECT_EQ(RunDirectory::Wait(pid, Patience), status) << run.Stderr();
  }
}

TEST(TerminationSignals, EndTheMainLoopWithStatusZero) {
  RunDirectory run(VEMLA_PROGRAM, VEMLA_STAGE_DIR);
  run.UseStagedTrack();
  const int pid = run.Start({"--stats"});
  // The first figures come after a second of frames.
  ASSERT_TRUE(WaitForStderr(run, "frames/s")) << run.Stderr();
  kill(pid, SIGTERM);
  EXPECT_EQ(RunDirectory::Wait(pid, Patience), 0) << run.Stderr();
}

// A capture stopped by a signal ends between frames with the signal's status.
// A video is not kept, and nothing is left beside its name or in the
// temporary folder; a folder of frames keeps the frames written, each whole.
TEST(TerminationSignals, StopACaptureLeavingOnlyWholeFiles) {
  namespace fs = std::filesystem;
  // The program's scratch files go into a temporary folder of this test's
  // own, which must be empty again once it has ended.
  TempDir scratch;
  const char* const oldTemp = std::getenv("TMPDIR");
  const std::string savedTemp = oldTemp != nullptr ? oldTemp : "";
  setenv("TMPDIR", scratch.Path().c_str(), 1);
  for (auto [signal, status] : {std::pair{SIGINT, 130}, {SIGTERM, 143}}) {
    RunDirectory run(VEMLA_PROGRAM, VEMLA_STAGE_DIR);
    run.UseStagedTrack();
    fs::create_directory(run.Path("v"));
    const int pid = run.Start({"--capture", "v/x.mp4", "--from", "30", "--to", "60"});
    ASSERT_TRUE(WaitForStderr(run, "Captured ")) << run.Stderr();
    kill(pid, signal);
    EXPECT_EQ(RunDirectory::Wait(pid, Patience), status) << run.Stderr();
    EXPECT_NE(run.Stderr().find("nothing was kept"), std::string::npos) << run.Stderr();
    EXPECT_TRUE(run.Files("v").empty()) << "left beside the video: " << run.Files("v").front();
  }
  if (oldTemp != nullptr)
    setenv("TMPDIR", savedTemp.c_str(), 1);
  else
    unsetenv("TMPDIR");
  EXPECT_TRUE(fs::is_empty(scratch.Path())) << "a scratch file left in the temporary folder";

  RunDirectory run(VEMLA_PROGRAM, VEMLA_STAGE_DIR);
  run.UseStagedTrack();
  const int pid = run.Start({"--capture", "frames", "--from", "30", "--to", "60"});
  ASSERT_TRUE(WaitForStderr(run, "Captured ")) << run.Stderr();
  kill(pid, SIGINT);
  EXPECT_EQ(RunDirectory::Wait(pid, Patience), 130) << run.Stderr();
  const std::vector<std::string> frames = run.Files("frames");
  ASSERT_FALSE(frames.empty());
  EXPECT_NE(run.Stderr().find("the " + std::to_string(frames.size()) + " frames written are kept in frames"),
            std::string::npos)
      << run.Stderr();
  // Each frame kept is a whole picture.
  EXPECT_EQ(run.Shell("for f in frames/*.png; do ffmpeg -v error -i \"$f\" -f null - 2>>decode.txt || exit 1; done; "
                      "test ! -s decode.txt"),
            0)
      << run.Read("decode.txt");
}
