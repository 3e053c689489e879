// The editor for another demo, started as a user starts it, headless under
// SDL's offscreen driver: with --sync, played by a script while the tests'
// demos (tests/sync/DemoClient.h) ask it for tracks, its edits, undo, the
// cursor, play and the save request reach every demo; idle, it sleeps and
// still answers a demo at once; and the command line's jobs take timelines
// to GNU Rocket's files and back, saying where a file is wrong. The demos
// and the server are on 127.0.0.1, on a port no other test holds. Every
// wait is bounded.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <thread>

#include "DemoClient.h"
#include "Document.h"
#include "Rocket.h"
#include "platform/WholeFile.h"
#include "support/Listener.h"
#include "support/RunDirectory.h"

namespace {
using Clock = std::chrono::steady_clock;

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// Another demo's project: 4 rows a beat at 120 beats a minute.
const std::string Project =
    "tempo 120 rows 4\n"
    "length 8\n"
    "track camera:rot.y\n"
    "0 1 linear\n"
    "0:0:1 2\n"
    "track fade\n"
    "0 0.5\n";

// A port on 127.0.0.1 nobody listens on.
int FreePort() {
  TTestListener probe;
  return probe.Port;
}

// A demo connected to the editor started a moment ago: tried for 30 s.
std::unique_ptr<DemoClient> Connect(int port) {
  for (int attempt = 0; attempt < 300; ++attempt) {
    auto demo = std::make_unique<DemoClient>(port);
    if (demo->Socket >= 0) return demo;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return nullptr;
}

// Takes what the demos were sent until done(), at most the seconds.
bool TakeUntil(const std::vector<DemoClient*>& demos, double seconds, const std::function<bool()>& done) {
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(static_cast<int>(seconds * 1000));
  while (Clock::now() < end) {
    for (DemoClient* demo : demos) demo->Take();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

// "rot.y 0=1/1 1=2/0", a demo's keys of a track (value/shape by row).
std::string Keys(const DemoClient& demo, size_t track) {
  std::ostringstream text;
  text << demo.Tracks[track] << ":";
  for (const auto& [row, key] : demo.Keys[track]) text << " " << row << "=" << key.Value << "/" << key.Shape;
  return text.str();
}

// The values a demo computes from its keys at rows 0 to 4.
std::string Values(const DemoClient& demo, size_t track) {
  std::ostringstream text;
  text << demo.Tracks[track] << ":";
  for (int row = 0; row <= 4; ++row) text << " " << DemoValue(demo.Keys[track], row);
  return text.str();
}

// Every channel's samples the same, "off" (NaN) included.
bool SameTrack(const std::vector<std::vector<float>>& a, const std::vector<std::vector<float>>& b) {
  if (a.size() != b.size()) return false;
  for (size_t c = 0; c < a.size(); ++c) {
    if (a[c].size() != b[c].size()) return false;
    for (size_t r = 0; r < a[c].size(); ++r)
      if (!SameValue(a[c][r], b[c][r])) return false;
  }
  return true;
}

std::string Snapshot(const DemoClient& demo) {
  std::string text;
  for (size_t t = 0; t < demo.Keys.size(); ++t) text += "    " + Keys(demo, t) + "   values at rows 0-4: " + Values(demo, t) + "\n";
  return text;
}

class SyncProgram : public ::testing::Test {
 protected:
  void SetUp() override { Dir.Write("project.timeline", Bytes(Project)); }
  RunDirectory Dir{VEMLA_EDIT_PROGRAM, VEMLA_STAGE_DIR};
};
}  // namespace

// The run for the record: two demos ask for their tracks (one the project
// lacks), the script makes edits, undoes one, moves the cursor, asks the
// demos to save and plays them; what the demos hold after each is printed.
TEST_F(SyncProgram, EveryDemoGetsTheTracksAndEveryEditUndoCursorPlayAndSave) {
  const int port = FreePort();
  const std::string listen = "127.0.0.1:" + std::to_string(port);
  // Cursor at row 0 of camera:rot.y, a grid line a row: row 1 set to 1.5;
  // fade's row 3 set to -2 and made linear; the shape undone; the demos
  // asked to save, played, and the file saved.
  Dir.Write("script.txt", Bytes("wait 4000\n"
                                "key Down\ntext 1.5\nkey Enter\n"
                                "key Right\nkey Down\nkey Down\ntext -2\nkey Enter\nkey I\nwait 1500\n"
                                "key Ctrl+Z\nwait 1500\n"
                                "key Ctrl+E\nkey Space\nwait 1500\n"
                                "key Ctrl+S\nquit\n"));
  const int pid = Dir.Start({"--sync", "project.timeline", "--listen", listen, "--script", "script.txt"});
  std::unique_ptr<DemoClient> first = Connect(port), second = Connect(port);
  ASSERT_TRUE(first && second) << Dir.Stderr();
  for (DemoClient* demo : {first.get(), second.get()}) {
    ASSERT_TRUE(demo->Greet());
    ASSERT_TRUE(demo->AskTrack("camera:rot.y"));
    ASSERT_TRUE(demo->AskTrack("fade"));
    ASSERT_TRUE(demo->AskTrack("camera:pos.x"));
  }
  std::vector<DemoClient*> demos = {first.get(), second.get()};
  ASSERT_TRUE(TakeUntil(demos, 30, [&] {
    return first->Greeted && second->Greeted && first->Keys.size() == 3 && second->Keys.size() == 3 &&
           first->Keys[0].size() == 2 && second->Keys[1].size() == 1;
  })) << Dir.Stderr();
  std::string record = "  joined, before the script's edits:\n" + Snapshot(*first);
  EXPECT_EQ(Keys(*first, 0), "camera:rot.y: 0=1/1 1=2/0");
  EXPECT_EQ(Keys(*first, 1), "fade: 0=0.5/0");
  EXPECT_TRUE(first->Keys[2].empty()) << "the new track has no keys yet";
  EXPECT_EQ(first->Pauses, std::vector<int>{1}) << "paused on joining";

  // The edits arrive as the script makes them; everything until the editor quits.
  std::string previous = Snapshot(*first);
  const bool ended = TakeUntil(demos, 90, [&] {
    const std::string now = Snapshot(*first);
    if (now != previous) {
      record += "  then:\n" + now;
      previous = now;
    }
    return first->Closed && second->Closed;
  });
  EXPECT_TRUE(ended) << "the editor did not close the demos' connections within 90 s";
  EXPECT_EQ(RunDirectory::Wait(pid, 30), 0) << Dir.Stderr();
  std::printf("The demo client's run (tracks asked: camera:rot.y, fade, camera:pos.x):\n%s", record.c_str());
  std::printf("  rows sent: ");
  for (int row : first->Rows) std::printf("%d ", row);
  std::printf("\n  pauses sent: ");
  for (int pause : first->Pauses) std::printf("%d ", pause);
  std::printf("\n  saves asked: %d\n", first->Saves);

  for (DemoClient* demo : demos) {
    ASSERT_EQ(demo->Keys.size(), 3u);
    EXPECT_EQ(Keys(*demo, 0), "camera:rot.y: 0=1/1 1=1.5/0");
    EXPECT_EQ(Keys(*demo, 1), "fade: 0=0.5/0 3=-2/0") << "the shape undone";
    EXPECT_TRUE(demo->Keys[2].empty());
    EXPECT_EQ(demo->Rows, (std::vector<int>{0, 1, 2, 3})) << "the cursor's rows";
    EXPECT_EQ(demo->Pauses, (std::vector<int>{1, 0})) << "paused, then played";
    EXPECT_EQ(demo->Saves, 1);
    EXPECT_TRUE(demo->Fault.empty()) << demo->Fault;
  }
  EXPECT_NE(record.find("fade: 0=0.5/0 3=-2/1"), std::string::npos) << "linear before the undo\n" << record;
  EXPECT_DOUBLE_EQ(DemoValue(first->Keys[1], 2), 0.5) << "fade holds to row 3";
  EXPECT_DOUBLE_EQ(DemoValue(first->Keys[0], 0.5), 1.25) << "linear from 1 to 1.5";

  const std::string err = Dir.Stderr();
  EXPECT_NE(err.find("Demo 1 joined (1 demo connected)"), std::string::npos) << err;
  EXPECT_NE(err.find("Demo 2 joined (2 demos connected)"), std::string::npos) << err;
  EXPECT_NE(err.find("asked for the new track camera:pos.x: added, without keys"), std::string::npos) << err;
  // The file as saved: the edits, the shape undone; the new track without
  // keys has no section.
  TimelineDocument saved(Dir.Read("project.timeline"));
  ASSERT_TRUE(saved.Reads()) << Dir.Read("project.timeline");
  EXPECT_EQ(saved.TrackIndex("camera:pos.x"), -1);
  ASSERT_NE(saved.KeyAt(saved.TrackIndex("fade"), 3), nullptr);
  EXPECT_EQ(saved.KeyAt(saved.TrackIndex("fade"), 3)->Value, -2.f);
  EXPECT_EQ(saved.KeyAt(saved.TrackIndex("fade"), 3)->Curve, Shape::Hold);
  EXPECT_EQ(saved.KeyAt(saved.TrackIndex("camera:rot.y"), 1)->Value, 1.5f);
}

// Idle with a demo connected, the editor sleeps (under 2% of a core) and
// still answers the demo's next question at once; SIGTERM ends it with 0.
TEST_F(SyncProgram, IdleItSleepsYetAnswersADemoAtOnce) {
  const int port = FreePort();
  const int pid = Dir.Start({"--sync", "project.timeline", "--listen", "127.0.0.1:" + std::to_string(port)});
  std::unique_ptr<DemoClient> demo = Connect(port);
  ASSERT_TRUE(demo) << Dir.Stderr();
  ASSERT_TRUE(demo->Greet());
  ASSERT_TRUE(TakeUntil({demo.get()}, 30, [&] { return demo->Greeted; })) << Dir.Stderr();
  std::this_thread::sleep_for(std::chrono::seconds(1));
  auto cpu = [&] {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int k = 3; k <= 15 && fields >> field; ++k)
      if (k == 14 || k == 15) ticks += std::stol(field);  // utime, stime
    return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
  };
  const double before = cpu();
  const Clock::time_point start = Clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(4));
  const double used = cpu() - before, seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("idle with a demo connected: %.3f s of CPU in %.2f s (%.2f%% of a core)\n", used, seconds,
              100 * used / seconds);
  EXPECT_LT(used / seconds, 0.02) << "the editor does not sleep while idle";

  const Clock::time_point asked = Clock::now();
  ASSERT_TRUE(demo->AskTrack("camera:rot.y"));
  ASSERT_TRUE(TakeUntil({demo.get()}, 10, [&] { return demo->Keys.size() == 1 && demo->Keys[0].size() == 2; }));
  const double answer = std::chrono::duration<double>(Clock::now() - asked).count();
  std::printf("answered a GET_TRACK after %.1f ms idle\n", answer * 1000);
  EXPECT_LT(answer, 0.5) << "the idle editor answered late";
  kill(pid, SIGTERM);
  EXPECT_EQ(RunDirectory::Wait(pid, 30), 0) << Dir.Stderr();
}

TEST_F(SyncProgram, APortTakenIsSaidAndEndsTheEditor) {
  TTestListener taken;
  EXPECT_EQ(Dir.Run("--sync project.timeline --listen 127.0.0.1:" + std::to_string(taken.Port)), 1);
  EXPECT_NE(Dir.Stderr().find("Cannot listen for demos on 127.0.0.1 port " + std::to_string(taken.Port) + ": "),
            std::string::npos)
      << Dir.Stderr();
}

// The jobs: a project and this demo's own timeline to Rocket's files in
// both dialects and back, the player's track files, and faults with their
// place.
TEST_F(SyncProgram, TheJobsTakeTimelinesToRocketFilesAndBack) {
  ASSERT_EQ(Dir.Run("--export project.timeline p.rocket"), 0) << Dir.Stderr();
  EXPECT_NE(Dir.Stderr().find("Exported 2 tracks, 3 keys to p.rocket as the original editor's <sync> XML"),
            std::string::npos)
      << Dir.Stderr();
  EXPECT_NE(Dir.Stderr().find("Note: the original editor's files keep no tempo"), std::string::npos) << Dir.Stderr();
  EXPECT_NE(Dir.Read("p.rocket").find("<sync rows=\"128\">"), std::string::npos) << Dir.Read("p.rocket");
  ASSERT_EQ(Dir.Run("--import p.rocket back.timeline"), 0) << Dir.Stderr();
  EXPECT_NE(Dir.Stderr().find("Imported p.rocket (the original editor's <sync> XML: 2 tracks, 3 keys) into back.timeline"),
            std::string::npos)
      << Dir.Stderr();
  const TimelineDocument original(Project), back(Dir.Read("back.timeline"));
  ASSERT_TRUE(back.IsProject()) << Dir.Read("back.timeline");
  for (const char* track : {"camera:rot.y", "fade"}) {
    const std::vector<Key>& a = original.Keys(original.TrackIndex(track));
    const std::vector<Key>& b = back.Keys(back.TrackIndex(track));
    ASSERT_EQ(a.size(), b.size()) << track;
    for (size_t k = 0; k < a.size(); ++k) {
      EXPECT_EQ(a[k].Row, b[k].Row) << track << ": rows are the file's, whatever its grid";
      EXPECT_EQ(a[k].Value, b[k].Value) << track;
      EXPECT_EQ(a[k].Curve, b[k].Curve) << track;
    }
  }

  // The other dialect keeps the tempo: the round trip is the same text's reading.
  ASSERT_EQ(Dir.Run("--export project.timeline t.rocket --dialect tracks"), 0) << Dir.Stderr();
  EXPECT_NE(Dir.Read("t.rocket").find("rowsPerBeat=\"4\""), std::string::npos) << Dir.Read("t.rocket");
  ASSERT_EQ(Dir.Run("--import t.rocket again.timeline"), 0) << Dir.Stderr();
  const TimelineDocument again(Dir.Read("again.timeline"));
  EXPECT_EQ(again.Layout().RowsPerBeat, 4);
  EXPECT_EQ(again.Layout().BeatsPerMinute, 120);
  EXPECT_EQ(again.Layout().Rows, original.Layout().Rows);
  EXPECT_TRUE(SameTrack(again.Track(), original.Track()));

  // The player's track files, one a track, the group's ':' escaped.
  ASSERT_EQ(Dir.Shell("mkdir out"), 0);
  ASSERT_EQ(Dir.Run("--export-tracks project.timeline out/sync"), 0) << Dir.Stderr();
  EXPECT_EQ(Dir.Files("out"), (std::vector<std::string>{"sync_camera-3Arot.y.track", "sync_fade.track"}));
  DemoTrack rot;
  ASSERT_TRUE(ReadDemoTrackFile(Dir.Read("out/sync_camera-3Arot.y.track"), rot));
  EXPECT_EQ(rot.size(), 2u);
  EXPECT_EQ(rot.at(1).Value, 2.f);

  // This demo's own timeline, out and back in over a copy of itself: the
  // tracks become its channels again, with the same keys.
  std::string demoText, reason;
  ASSERT_TRUE(ReadWholeFile(VEMLA_TIMELINE, demoText, reason)) << reason;
  Dir.Write("demo.timeline", Bytes(demoText));
  ASSERT_EQ(Dir.Run("--export demo.timeline demo.rocket"), 0) << Dir.Stderr();
  ASSERT_EQ(Dir.Run("--import demo.rocket demo.timeline"), 0) << Dir.Stderr();
  const TimelineDocument demo(Dir.Read("demo.timeline")), before(Dir.Read("demo.timeline~"));
  ASSERT_FALSE(demo.IsProject());
  EXPECT_TRUE(SameTrack(demo.Track(), before.Track())) << "the same track, repeats written out";

  // Faults, with the file and the line.
  Dir.Write("bad.rocket", Bytes("<sync rows=\"16\">\n<tracks>\n<track name=\"a\">\n<key row=\"99\" value=\"1\" "
                                "interpolation=\"0\"/>\n</track></tracks></sync>\n"));
  EXPECT_EQ(Dir.Run("--import bad.rocket x.timeline"), 1);
  EXPECT_NE(Dir.Stderr().find("vemla-edit: Cannot import bad.rocket: line 4: "), std::string::npos) << Dir.Stderr();
  EXPECT_TRUE(Dir.Read("x.timeline").empty()) << "nothing written";
  EXPECT_EQ(Dir.Run("--import missing.rocket x.timeline"), 1);
  EXPECT_NE(Dir.Stderr().find("vemla-edit: Cannot import missing.rocket: "), std::string::npos) << Dir.Stderr();
  Dir.Write("bad.timeline", Bytes("track a\n0 1\nbogus\n"));
  EXPECT_EQ(Dir.Run("--export bad.timeline x.rocket"), 1);
  EXPECT_NE(Dir.Stderr().find("vemla-edit: Cannot read the timeline bad.timeline: line 3: "), std::string::npos)
      << Dir.Stderr();
  EXPECT_EQ(Dir.Run("--export-tracks project.timeline nowhere/sync"), 1);
  EXPECT_NE(Dir.Stderr().find("vemla-edit: Cannot write the track files nowhere/sync_<track>.track: "),
            std::string::npos)
      << Dir.Stderr();
  EXPECT_EQ(Dir.Run("--export project.timeline"), 2);
  EXPECT_NE(Dir.Stderr().find("--export needs the timeline and the Rocket file to write"), std::string::npos);
}
