// The sync server with demos of the tests' own (DemoClient.h) on 127.0.0.1,
// the server on a free port. Every run of passes is bounded in count and time.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <set>

#include "DemoClient.h"
#include "Document.h"
#include "DocumentSync.h"
#include "SyncServer.h"

namespace {
using Clock = std::chrono::steady_clock;

SyncServerOptions FreePort() {
  SyncServerOptions options;
  options.Port = 0;
  return options;
}

// Passes of the server, the demos taking what they were sent after each,
// until done() holds: at most 3000 passes and 10 seconds.
bool RunPasses(const std::function<std::vector<SyncEvent>()>& poll, SyncServer& server,
               const std::vector<DemoClient*>& demos, std::vector<SyncEvent>& events, const std::function<bool()>& done) {
  const Clock::time_point end = Clock::now() + std::chrono::seconds(10);
  for (int pass = 0; pass < 3000 && Clock::now() < end; ++pass) {
    for (SyncEvent& e : poll()) events.push_back(std::move(e));
    for (DemoClient* demo : demos) demo->Take();
    if (done()) return true;
    server.Wait(2);
  }
  return false;
}

bool RunUntil(SyncServer& server, const std::vector<DemoClient*>& demos, std::vector<SyncEvent>& events,
              const std::function<bool()>& done) {
  return RunPasses([&] { return server.Poll(); }, server, demos, events, done);
}

bool RunUntil(DocumentSync& sync, const std::vector<DemoClient*>& demos, std::vector<SyncEvent>& events,
              const std::function<bool()>& done) {
  return RunPasses([&] { return sync.Poll(); }, sync.Server(), demos, events, done);
}

int Count(const std::vector<SyncEvent>& events, SyncEvent::Kind kind) {
  return int(std::count_if(events.begin(), events.end(), [&](const SyncEvent& e) { return e.What == kind; }));
}

const SyncEvent* Find(const std::vector<SyncEvent>& events, SyncEvent::Kind kind, int demo = -1) {
  for (const SyncEvent& e : events)
    if (e.What == kind && (demo < 0 || e.Demo == demo)) return &e;
  return nullptr;
}

std::string Keys(const DemoTrack& track) {
  std::string text;
  for (const auto& [row, key] : track)
    text += std::to_string(row) + "=" + std::to_string(key.Value) + "/" + std::to_string(key.Shape) + " ";
  return text;
}

std::string Keys(const std::vector<Key>& keys) {
  DemoTrack track;
  for (const Key& k : keys) track[k.Row] = DemoKey{k.Value, int(k.Curve)};
  return Keys(track);
}

const std::string Project =
    "tempo 120 rows 4\n"
    "track camera:rot.y\n"
    "0 1 linear\n"
    "1 2 smooth\n"
    "2 3 ramp\n"
    "3 4\n"
    "track fade\n"
    "0:2 0.5\n";

// The server answering from a project's document.
struct Editor {
  TimelineDocument Doc{Project};
  SyncServer Server;
  explicit Editor(SyncServerOptions options = FreePort()) : Server(std::move(options)) {
    Server.KeysOf = [this](const std::string& name, std::vector<Key>& keys) {
      const int track = Doc.TrackIndex(name);
      if (track < 0) return false;
      keys = Doc.Keys(track);
      return true;
    };
  }
  // Every track brought to the document's keys, as the editor does after an edit.
  void Send() {
    for (int t = 0; t < Doc.Layout().Channels(); ++t) Server.SetTrack(Doc.Layout().ChannelNames[t], Doc.Keys(t));
  }
};
}  // namespace

TEST(SyncServer, GreetsADemoAndAnswersEachTrackByNameWithEveryKey) {
  Editor editor;
  ASSERT_GT(editor.Server.Port(), 0);
  DemoClient demo(editor.Server.Port());
  ASSERT_GE(demo.Socket, 0);
  std::vector<SyncEvent> events;
  ASSERT_TRUE(demo.Greet());
  ASSERT_TRUE(RunUntil(editor.Server, {&demo}, events, [&] { return demo.Greeted; })) << demo.Fault;
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].What, SyncEvent::Kind::Joined);
  EXPECT_EQ(events[0].Demo, 1);
  EXPECT_EQ(editor.Server.DemoCount(), 1);

  ASSERT_TRUE(demo.AskTrack("fade"));
  ASSERT_TRUE(demo.AskTrack("camera:rot.y"));
  ASSERT_TRUE(demo.AskTrack("missing"));
  ASSERT_TRUE(RunUntil(editor.Server, {&demo}, events, [&] { return Count(events, SyncEvent::Kind::TrackAsked) == 3; }));
  ASSERT_TRUE(RunUntil(editor.Server, {&demo}, events, [&] { return demo.Keys[1].size() == 4; })) << demo.Fault;
  EXPECT_EQ(Keys(demo.Keys[0]), Keys(editor.Doc.Keys(1)));
  EXPECT_EQ(Keys(demo.Keys[1]), Keys(editor.Doc.Keys(0))) << "under the demo's own numbers, every shape";
  EXPECT_TRUE(demo.Keys[2].empty());
  EXPECT_EQ(events[1].Track, "fade");
  EXPECT_TRUE(events[1].Known);
  EXPECT_EQ(events[3].Track, "missing");
  EXPECT_FALSE(events[3].Known) << "a track the timeline lacks is reported for the editor to make";
  ASSERT_EQ(editor.Server.Demos().size(), 1u);
  EXPECT_EQ(editor.Server.Demos()[0].Tracks, (std::vector<std::string>{"fade", "camera:rot.y", "missing"}));

  // The editor makes the missing track; its first key reaches the demo.
  const int made = editor.Doc.AddTrack("missing");
  ASSERT_GE(made, 0);
  ASSERT_TRUE(editor.Doc.SetKey(made, 8, 7.f, Shape::Linear).Done());
  editor.Send();
  ASSERT_TRUE(RunUntil(editor.Server, {&demo}, events, [&] { return demo.Keys[2].size() == 1; }));
  EXPECT_EQ(demo.Keys[2].at(8).Value, 7.f);
  EXPECT_EQ(demo.Keys[2].at(8).Shape, 1);
  EXPECT_TRUE(demo.Fault.empty()) << demo.Fault;
}

TEST(SyncServer, RowsGoBothWaysWithPauseAndSave) {
  Editor editor;
  DemoClient a(editor.Server.Port()), b(editor.Server.Port());
  std::vector<SyncEvent> events;
  ASSERT_TRUE(a.Greet() && b.Greet());
  ASSERT_TRUE(RunUntil(editor.Server, {&a, &b}, events, [&] { return a.Greeted && b.Greeted; }));
  editor.Server.SetRow(17);
  editor.Server.Pause(true);
  editor.Server.SaveTracks();
  ASSERT_TRUE(RunUntil(editor.Server, {&a, &b}, events, [&] { return a.Saves == 1 && b.Saves == 1; }));
  EXPECT_EQ(a.Rows, (std::vector<int>{17}));
  EXPECT_EQ(a.Pauses, (std::vector<int>{1}));
  editor.Server.Pause(false);
  ASSERT_TRUE(a.ReportRow(40) && a.ReportRow(41) && b.ReportRow(3));
  ASSERT_TRUE(RunUntil(editor.Server, {&a, &b}, events, [&] { return Count(events, SyncEvent::Kind::Row) == 3; }));
  std::vector<std::pair<int, int>> rows;
  for (const SyncEvent& e : events)
    if (e.What == SyncEvent::Kind::Row) rows.emplace_back(e.Demo, e.Row);
  // Each demo's rows in its order; the demos' among each other as they came.
  std::stable_sort(rows.begin(), rows.end(), [](auto x, auto y) { return x.first < y.first; });
  EXPECT_EQ(rows, (std::vector<std::pair<int, int>>{{1, 40}, {1, 41}, {2, 3}}));
  // Following a playing demo, the editor's cursor does not echo back to it.
  editor.Server.SetRow(41);
  ASSERT_TRUE(RunUntil(editor.Server, {&a, &b}, events, [&] { return b.Rows.size() == 2; }));
  EXPECT_EQ(b.Rows.back(), 41);
  EXPECT_EQ(a.Rows, (std::vector<int>{17}));
  EXPECT_EQ(a.Pauses, (std::vector<int>{1, 0}));
  // A demo joining later is told where the editor is.
  DemoClient late(editor.Server.Port());
  ASSERT_TRUE(late.Greet());
  ASSERT_TRUE(RunUntil(editor.Server, {&late}, events, [&] { return late.Pauses.size() == 1; }));
  EXPECT_EQ(late.Rows, (std::vector<int>{41}));
  EXPECT_EQ(late.Pauses, (std::vector<int>{0}));
}

TEST(SyncServer, GarbageDropsOnlyTheDemoThatSentItWithItsReason) {
  struct Case {
    const char* What;
    std::vector<uint8_t> Bytes;
    bool Close;  // the demo closes after sending
    std::string Reason;
  };
  const std::vector<uint8_t> hello = {'h', 'e', 'l', 'l', 'o', ',', ' ', 's', 'y', 'n', 'c',
                                      't', 'r', 'a', 'c', 'k', 'e', 'r', '!'};
  auto with = [&](std::vector<uint8_t> tail) {
    std::vector<uint8_t> all = hello;
    all.insert(all.end(), tail.begin(), tail.end());
    return all;
  };
  const std::vector<Case> cases = {
      {"bad greeting", {'h', 'e', 'l', 'l', 'o', '?'}, false, "greeted with something other than"},
      {"truncated command", with({3, 0, 0}), true, "left in the middle of a SET_ROW command (3 of its 5 bytes)"},
      {"unknown command", with({7}), false, "sent command 7, which a demo does not send"},
      {"a name longer than the bytes that follow", with({2, 0, 0, 0, 50, 'a', 'b'}), false,
       "it left a GET_TRACK command (7 of its 55 bytes) unfinished for more than 0.3 seconds"},
      {"the same, closing", with({2, 0, 0, 0, 50, 'a', 'b'}), true, "left in the middle of a GET_TRACK command"},
      {"an absurd length", with({2, 0xFF, 0xFF, 0xFF, 0xF0}), false, "asked for a track with a name of 4294967280 bytes"},
  };
  SyncServerOptions options = FreePort();
  options.StallSeconds = 0.3;
  Editor editor(options);
  DemoClient good(editor.Server.Port());
  std::vector<SyncEvent> events;
  ASSERT_TRUE(good.Greet() && good.AskTrack("fade"));
  ASSERT_TRUE(RunUntil(editor.Server, {&good}, events, [&] { return good.Keys[0].size() == 1; }));
  float value = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    events.clear();
    DemoClient bad(editor.Server.Port());
    ASSERT_TRUE(bad.Send(c.Bytes));
    if (c.Close) bad.Close();
    ASSERT_TRUE(RunUntil(editor.Server, {&good, &bad}, events, [&] { return Find(events, SyncEvent::Kind::Left); }));
    const SyncEvent* left = Find(events, SyncEvent::Kind::Left);
    EXPECT_NE(left->Message.find(c.Reason), std::string::npos) << left->Message;
    EXPECT_EQ(left->Message.rfind("Demo " + std::to_string(left->Demo) + " ", 0), 0u) << left->Message;
    if (!c.Close) {
      EXPECT_TRUE(RunUntil(editor.Server, {&bad}, events, [&] { return bad.Closed; })) << "the editor closes it";
    }
    // The good demo is still served.
    editor.Server.SetKey("fade", Key{20, ++value, Shape::Hold, 0});
    ASSERT_TRUE(RunUntil(editor.Server, {&good}, events, [&] { return good.Keys[0].count(20) && good.Keys[0].at(20).Value == value; }));
    EXPECT_EQ(editor.Server.DemoCount(), 1);
  }
  EXPECT_TRUE(good.Fault.empty() && !good.Closed);
}

TEST(SyncServer, EightDemosAtOnceEachWithItsOwnNumbering) {
  Editor editor;
  std::vector<std::unique_ptr<DemoClient>> demos;
  std::vector<DemoClient*> all;
  std::vector<SyncEvent> events;
  for (int k = 0; k < 8; ++k) {
    demos.push_back(std::make_unique<DemoClient>(editor.Server.Port()));
    all.push_back(demos.back().get());
    ASSERT_TRUE(demos.back()->Greet());
    // Half ask fade first, half camera first.
    const char* first = k % 2 == 0 ? "fade" : "camera:rot.y";
    const char* second = k % 2 == 0 ? "camera:rot.y" : "fade";
    ASSERT_TRUE(demos.back()->AskTrack(first) && demos.back()->AskTrack(second));
  }
  ASSERT_TRUE(RunUntil(editor.Server, all, events, [&] {
    return std::all_of(all.begin(), all.end(), [](DemoClient* d) { return d->Keys[0].size() + d->Keys[1].size() == 5; });
  }));
  EXPECT_EQ(editor.Server.DemoCount(), 8);
  editor.Server.SetKey("camera:rot.y", Key{1, -1.f, Shape::Linear, 0});
  for (int k = 0; k < 8; ++k) ASSERT_TRUE(all[k]->ReportRow(100 + k));
  ASSERT_TRUE(RunUntil(editor.Server, all, events, [&] {
    return Count(events, SyncEvent::Kind::Row) == 8 &&
           std::all_of(all.begin(), all.end(), [](DemoClient* d) { return d->Keys[0].count(1) + d->Keys[1].count(1); });
  }));
  for (int k = 0; k < 8; ++k) {
    const DemoTrack& camera = all[k]->Keys[k % 2 == 0 ? 1 : 0];
    EXPECT_EQ(camera.at(1).Value, -1.f) << "demo " << k;
    EXPECT_EQ(all[k]->Keys[k % 2 == 0 ? 0 : 1].count(1), 0u) << "demo " << k;
  }
  std::set<std::pair<int, int>> rows;
  for (const SyncEvent& e : events)
    if (e.What == SyncEvent::Kind::Row) rows.emplace(e.Demo, e.Row);
  for (int k = 0; k < 8; ++k) EXPECT_EQ(rows.count({k + 1, 100 + k}), 1u) << "demo " << k + 1;
}

TEST(SyncServer, ADemoThatComesBackGetsEveryKeyAgain) {
  Editor editor;
  std::vector<SyncEvent> events;
  {
    DemoClient once(editor.Server.Port());
    ASSERT_TRUE(once.Greet() && once.AskTrack("camera:rot.y"));
    ASSERT_TRUE(RunUntil(editor.Server, {&once}, events, [&] { return once.Keys[0].size() == 4; }));
  }
  ASSERT_TRUE(RunUntil(editor.Server, {}, events, [&] { return Find(events, SyncEvent::Kind::Left); }));
  EXPECT_EQ(Find(events, SyncEvent::Kind::Left)->Message, "Demo 1 left");
  ASSERT_TRUE(editor.Doc.SetKey(0, 2, 5.f).Done());
  editor.Send();  // nobody holds the track now
  DemoClient again(editor.Server.Port());
  ASSERT_TRUE(again.Greet() && again.AskTrack("camera:rot.y"));
  ASSERT_TRUE(RunUntil(editor.Server, {&again}, events, [&] { return again.Keys[0].size() == 5; }));
  EXPECT_EQ(Keys(again.Keys[0]), Keys(editor.Doc.Keys(0)));
  EXPECT_EQ(Find(events, SyncEvent::Kind::Joined, 2)->Message, "Demo 2 joined");
}

TEST(SyncServer, ADemoThatDoesNotReadIsDroppedAndTheEditorNeverWaitsForIt) {
  SyncServerOptions options = FreePort();
  options.MaxQueuedBytes = 64 << 10;
  Editor editor(options);
  DemoClient stuck(editor.Server.Port(), 4096), fine(editor.Server.Port());
  std::vector<SyncEvent> events;
  ASSERT_TRUE(stuck.Greet() && stuck.AskTrack("fade") && fine.Greet() && fine.AskTrack("fade"));
  ASSERT_TRUE(RunUntil(editor.Server, {&stuck, &fine}, events, [&] { return stuck.Keys[0].size() == 1 && fine.Keys[0].size() == 1; }));
  // Thousands of keys a round; the stuck demo takes nothing from here on.
  std::vector<Key> keys;
  for (int r = 0; r < 4000; ++r) keys.push_back(Key{r, float(r), Shape::Linear, 0});
  double longest = 0;
  for (int round = 0; round < 200 && !Find(events, SyncEvent::Kind::Left); ++round) {
    for (Key& k : keys) k.Value += 1;
    const Clock::time_point start = Clock::now();
    editor.Server.SetTrack("fade", keys);
    for (SyncEvent& e : editor.Server.Poll()) events.push_back(std::move(e));
    longest = std::max(longest, std::chrono::duration<double>(Clock::now() - start).count());
    fine.Take();
  }
  const SyncEvent* left = Find(events, SyncEvent::Kind::Left);
  ASSERT_NE(left, nullptr);
  EXPECT_EQ(left->Demo, 1);
  EXPECT_NE(left->Message.find("does not read what the editor sends"), std::string::npos) << left->Message;
  EXPECT_LT(longest, 1.0) << "an edit and a pass never wait for a demo";
  ASSERT_TRUE(RunUntil(editor.Server, {&fine}, events, [&] { return Keys(fine.Keys[0]) == Keys(keys); }));
  EXPECT_EQ(editor.Server.DemoCount(), 1);
}

TEST(SyncServer, TheValuesADemoComputesAreTheTimelinesAtEveryRow) {
  Editor editor;
  // Keys of every shape, and rows before the first and after the last.
  ASSERT_TRUE(editor.Doc.EditText("tempo 120 rows 4\nlength 4\ntrack t\n0:1 -2 ramp\n0:3:1 3 smooth\n1:2 1 linear\n"
                                  "2 0.25 hold\n2:1 7 linear\n3 -1\n").Done());
  ASSERT_TRUE(editor.Doc.Reads());
  DemoClient demo(editor.Server.Port());
  std::vector<SyncEvent> events;
  ASSERT_TRUE(demo.Greet() && demo.AskTrack("t"));
  ASSERT_TRUE(RunUntil(editor.Server, {&demo}, events, [&] { return demo.Keys[0].size() == 6; }));
  const std::vector<float> track = editor.Doc.Track()[0];
  ASSERT_EQ(track.size(), 64u);
  for (int row = 0; row < 64; ++row)
    EXPECT_EQ(float(DemoValue(demo.Keys[0], row)), track[row]) << "row " << row;
}

TEST(SyncServer, ListensWhereToldSaysWhyItCannotAndTurnsAwayDemosPastItsMost) {
  const SyncServerOptions defaults;
  EXPECT_EQ(defaults.Address, "127.0.0.1");
  EXPECT_EQ(defaults.Port, 1338);
  EXPECT_GE(defaults.MaxDemos, 8);
  SyncServer first(FreePort());
  SyncServerOptions same;
  same.Port = first.Port();
  try {
    SyncServer second(same);
    ADD_FAILURE() << "two servers on one port";
  } catch (const SyncServerError& e) {
    EXPECT_NE(std::string(e.what()).find("127.0.0.1 port " + std::to_string(first.Port())), std::string::npos)
        << e.what();
  }
  SyncServerOptions nowhere = FreePort();
  nowhere.Address = "192.0.2.1";  // not this machine's
  EXPECT_THROW(SyncServer{nowhere}, SyncServerError);
  SyncServerOptions everywhere = FreePort();
  everywhere.Address = "0.0.0.0";
  everywhere.MaxDemos = 2;
  SyncServer wide(everywhere);
  DemoClient a(wide.Port()), b(wide.Port());
  std::vector<SyncEvent> events;
  ASSERT_TRUE(a.Greet() && b.Greet());
  ASSERT_TRUE(RunUntil(wide, {&a, &b}, events, [&] { return a.Greeted && b.Greeted; }));
  // Past the most demos, one is turned away, and the editor hears of it.
  DemoClient c(wide.Port());
  ASSERT_TRUE(RunUntil(wide, {&c}, events, [&] { return c.Closed; }));
  const SyncEvent* said = Find(events, SyncEvent::Kind::Message);
  ASSERT_NE(said, nullptr);
  EXPECT_NE(said->Message.find("2 are connected"), std::string::npos) << said->Message;
  EXPECT_EQ(wide.DemoCount(), 2);
}

TEST(DocumentSync, MakesTheTracksDemosAskForAndSendsEveryChangeOfTheDocument) {
  TimelineDocument doc(Project);
  DocumentSync sync(doc, FreePort());
  DemoClient demo(sync.Server().Port());
  std::vector<SyncEvent> events;
  ASSERT_TRUE(demo.Greet() && demo.AskTrack("fade") && demo.AskTrack("new:track") && demo.AskTrack("bad # name"));
  ASSERT_TRUE(RunUntil(sync, {&demo}, events, [&] { return Count(events, SyncEvent::Kind::TrackAsked) == 3; }));
  const int made = doc.TrackIndex("new:track");
  ASSERT_EQ(made, 2) << "a project gets the tracks its demos ask for";
  EXPECT_EQ(doc.Text(), Project) << "without a line written";
  const SyncEvent* said = Find(events, SyncEvent::Kind::Message);
  ASSERT_NE(said, nullptr);
  EXPECT_NE(said->Message.find("asked for a track the timeline cannot have"), std::string::npos) << said->Message;

  // Only what changed goes: a new key, a new value; then nothing.
  ASSERT_TRUE(doc.SetKey(made, 4, 2.f, Shape::Linear).Done());
  ASSERT_TRUE(doc.SetKey(doc.TrackIndex("fade"), 8, 6.f).Done());
  const int before = demo.Commands;
  sync.Changed();
  ASSERT_TRUE(RunUntil(sync, {&demo}, events, [&] { return demo.Keys[1].size() == 1 && demo.Keys[0].at(8).Value == 6.f; }));
  sync.Changed();
  sync.Server().DeleteKey("fade", 9);
  sync.Server().SetRow(77);  // after whatever else was sent
  ASSERT_TRUE(RunUntil(sync, {&demo}, events, [&] { return !demo.Rows.empty(); }));
  EXPECT_EQ(demo.Commands, before + 3) << "the key, the value and the row";
  ASSERT_TRUE(doc.Undo().Done());
  ASSERT_TRUE(doc.Undo().Done());
  sync.Changed();
  ASSERT_TRUE(RunUntil(sync, {&demo}, events, [&] { return demo.Keys[1].empty() && demo.Keys[0].at(8).Value == 0.5f; }));
  // A track the document drops is emptied in the demos.
  ASSERT_TRUE(doc.EditText("track other\n0 1\n").Done());
  sync.Changed();
  ASSERT_TRUE(RunUntil(sync, {&demo}, events, [&] { return demo.Keys[0].empty(); }));
  EXPECT_TRUE(demo.Fault.empty()) << demo.Fault;
}

TEST(DocumentSync, ADemosOwnTimelineAnswersByChannelName) {
  TimelineDocument doc(
      "channel flash\n0 1 linear\n0:1 0\n0:1:4 off\nchannel nest\n1 0.5 smooth\n");
  DocumentSync sync(doc, FreePort());
  DemoClient demo(sync.Server().Port());
  std::vector<SyncEvent> events;
  ASSERT_TRUE(demo.Greet() && demo.AskTrack("nest") && demo.AskTrack("flash") && demo.AskTrack("0"));
  ASSERT_TRUE(RunUntil(sync, {&demo}, events, [&] { return Count(events, SyncEvent::Kind::TrackAsked) == 3; }));
  ASSERT_TRUE(RunUntil(sync, {&demo}, events, [&] { return demo.Keys[1].size() == 3; }));
  EXPECT_EQ(demo.Keys[0].at(64).Value, 0.5f);
  EXPECT_TRUE(std::isnan(demo.Keys[1].at(20).Value)) << "an off key goes as NaN";
  EXPECT_TRUE(demo.Keys[2].empty()) << "a channel is asked for by its name";
  EXPECT_FALSE(events.back().Known);
  EXPECT_EQ(doc.Layout().Channels(), TrackChannels) << "a demo's own timeline gets no tracks";
}
