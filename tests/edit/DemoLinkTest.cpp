// The demos the editor serves with --sync, as the tests' demos
// (tests/sync/DemoClient.h) on 127.0.0.1 see them: the cursor, play and the
// save request going out, a playing demo's rows coming back, a demo joining
// later playing too, and what the status line says of joins, leaves, drops
// and tracks. (Edits reaching every demo: tests/edit/SyncProgramTest.cpp
// and tests/sync.) The server runs on a free port; every run of passes is
// bounded in count and time.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>

#include "DemoClient.h"
#include "DemoLink.h"

namespace {
const std::string Project =
    "tempo 120 rows 4\n"
    "track camera:rot.y\n"
    "0 1 linear\n"
    "2 3\n"
    "track fade\n"
    "0:2 0.5\n";

SyncServerOptions FreePort() {
  SyncServerOptions options;
  options.Port = 0;
  return options;
}

struct Served {
  explicit Served(const std::string& text = Project) : Doc(text), Demos(Doc, FreePort()) {}
  TimelineDocument Doc;
  TDemoLink Demos;
  std::vector<TDemoLink::TNews::TLine> Lines;
  std::optional<int> Row;
  bool TracksAdded = false;

  int Port() const { return std::stoi(Demos.Where().substr(Demos.Where().rfind(':') + 1)); }
  // Passes as the editor's loop makes them, sleeping on the watch, the demos
  // taking what they were sent, until done(): at most 2000 passes and 10 s.
  bool RunUntil(const std::vector<DemoClient*>& demos, const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (int pass = 0; pass < 2000 && std::chrono::steady_clock::now() < end; ++pass) {
      TDemoLink::TNews news = Demos.Poll();
      for (auto& line : news.Lines) Lines.push_back(line);
      if (news.Row) Row = news.Row;
      TracksAdded = TracksAdded || news.TracksAdded;
      for (DemoClient* demo : demos) demo->Take();
      if (done()) return true;
      SocketWatch watch;
      const int ms = Demos.Watch(watch, 5);
      CurrentSocketBackend().WaitFor(watch.Readable, watch.Writable, ms);
    }
    return false;
  }
  bool Said(const std::string& text) const {
    for (const auto& line : Lines)
      if (line.Text.find(text) != std::string::npos) return true;
    return false;
  }
};
}  // namespace

TEST(EditDemoLink, TheCursorPlayAndSaveGoOutAndAPlayingDemosRowsComeBack) {
  Served editor;
  DemoClient demo(editor.Port()), other(editor.Port());
  ASSERT_TRUE(demo.Greet());
  ASSERT_TRUE(other.Greet());
  ASSERT_TRUE(editor.RunUntil({&demo, &other}, [&] { return demo.Greeted && other.Greeted; }));
  EXPECT_FALSE(editor.Demos.Playing());

  editor.Demos.CursorAt(12);
  editor.Demos.SetPlaying(true);
  editor.Demos.SaveTracks();
  ASSERT_TRUE(editor.RunUntil({&demo, &other}, [&] { return demo.Saves == 1 && other.Saves == 1; }));
  EXPECT_TRUE(editor.Demos.Playing());
  EXPECT_EQ(demo.Rows, (std::vector<int>{0, 12}));
  EXPECT_EQ(demo.Pauses, (std::vector<int>{1, 0}));

  // The demo plays on: its rows come back for the cursor to follow, and the
  // editor passes the row on to the other demo, never back to the one that
  // sent it.
  ASSERT_TRUE(demo.ReportRow(13));
  ASSERT_TRUE(demo.ReportRow(14));
  ASSERT_TRUE(editor.RunUntil({&demo, &other}, [&] { return editor.Row == 14; }));
  editor.Demos.CursorAt(*editor.Row);
  ASSERT_TRUE(editor.RunUntil({&demo, &other}, [&] { return !other.Rows.empty() && other.Rows.back() == 14; }));
  EXPECT_EQ(demo.Rows, (std::vector<int>{0, 12}));

  // A demo joining later plays too.
  DemoClient late(editor.Port());
  ASSERT_TRUE(late.Greet());
  ASSERT_TRUE(editor.RunUntil({&late}, [&] { return late.Greeted && !late.Pauses.empty(); }));
  EXPECT_EQ(late.Pauses, std::vector<int>{0});
  EXPECT_EQ(late.Rows, std::vector<int>{14});
}

TEST(EditDemoLink, LeavesDropsAndTracksAskedAreSaid) {
  Served editor;
  {
    DemoClient demo(editor.Port());
    ASSERT_TRUE(demo.Greet());
    ASSERT_TRUE(demo.AskTrack("camera:pos.x"));
    ASSERT_TRUE(editor.RunUntil({&demo}, [&] { return editor.TracksAdded; }));
  }
  ASSERT_TRUE(editor.RunUntil({}, [&] { return editor.Said("Demo 1 left"); }));
  EXPECT_TRUE(editor.Said("Demo 1 asked for the new track camera:pos.x: added, without keys"));
  EXPECT_EQ(editor.Doc.TrackIndex("camera:pos.x"), 2) << "numbered after the project's own";
  EXPECT_TRUE(editor.Said("Demo 1 left (no demo connected)"));
  for (const auto& line : editor.Lines) EXPECT_FALSE(line.Error) << line.Text;

  DemoClient rude(editor.Port());
  ASSERT_TRUE(rude.Send(std::string("hello, editor!!!!!!")));
  ASSERT_TRUE(editor.RunUntil({&rude}, [&] { return editor.Said("Demo 2 was dropped"); }));
  EXPECT_TRUE(editor.Lines.back().Error) << "a drop is an error";

  // A demo of this demo's own timeline asks by channel name; a name it
  // lacks is an error, as nothing can be added.
  Served own("channel flash\n0 1\n");
  DemoClient asking(own.Port());
  ASSERT_TRUE(asking.Greet());
  ASSERT_TRUE(asking.AskTrack("flash"));
  ASSERT_TRUE(asking.AskTrack("camera:rot.y"));
  ASSERT_TRUE(own.RunUntil({&asking}, [&] { return own.Lines.size() == 2 && asking.Keys.size() == 2; }));
  EXPECT_EQ(own.Lines[1].Text, "Demo 1 asked for camera:rot.y, which the timeline has no channel of");
  EXPECT_TRUE(own.Lines[1].Error);
  EXPECT_EQ(asking.Keys[0].size(), 1u) << "flash's key";
  EXPECT_FALSE(own.TracksAdded);
}
