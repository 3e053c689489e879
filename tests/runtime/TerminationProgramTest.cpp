// SIGINT and SIGTERM, sent to the program started as a user would start it:
// during start-up they end it at once with 130 and 143, in the main loop the
// run ends between frames with 0.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "support/RunDirectory.h"

namespace {
constexpr double Patience = 60;

// Waits until the program has opened the track for reading: a pipe in place
// of demo.vrk, which never delivers a byte, holds it there in the middle of
// its start-up. Returns the pipe's writing end, -1 when it never came.
int WaitForReader(const std::string& fifo) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(Patience);
  while (std::chrono::steady_clock::now() < deadline) {
    const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) return writer;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return -1;
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
    const int writer = WaitForReader(run.Path("demo.vrk"));
    EXPECT_GE(writer, 0) << run.Stderr();
    kill(pid, signal);
    EXPECT_EQ(RunDirectory::Wait(pid, Patience), status) << run.Stderr();
    if (writer >= 0) close(writer);
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
