// What the editor reads from outside: its script language and its command
// line (the editor's options, --sync and the jobs on GNU Rocket's files);
// and the waveform's summary of the music.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "EditOptions.h"
#include "Script.h"
#include "Waveform.h"

namespace {
std::string ErrorOf(const std::string& script) {
  try {
    ParseScript(script);
  } catch (const EScriptError& error) {
    return error.what();
  }
  return "";
}

std::optional<TUsageError> Parse(std::vector<std::string> words, TEditOptions& options) {
  words.insert(words.begin(), "vemla-edit");
  std::vector<const char*> argv;
  for (const std::string& w : words) argv.push_back(w.c_str());
  return ParseEditOptions(static_cast<int>(argv.size()), argv.data(), options);
}
}  // namespace

TEST(EditScript, StepsAreReadWithTheirKeysAndNumbers) {
  const std::vector<TScriptStep> steps = ParseScript(
      "# a session\n"
      "key Ctrl+Shift+I\r\n"
      "\n"
      "   key alt+pgdn\n"
      "text  0.5 and more\n"
      "wait 250\n"
      "click 10 20 right\n"
      "drag 1 2 3 4\n"
      "wheel 5 6 -3\n"
      "shot out dir/a.png\n"
      "resize 1920 1080\n"
      "bench 60\n"
      "quit\n");
  ASSERT_EQ(steps.size(), 11u);
  EXPECT_EQ(steps[0].Type, TScriptStep::Key);
  EXPECT_EQ(steps[0].Pressed, TKey::I);
  EXPECT_TRUE(steps[0].Ctrl && steps[0].Shift && !steps[0].Alt);
  EXPECT_EQ(steps[0].Line, 2);
  EXPECT_EQ(steps[1].Pressed, TKey::PageDown);
  EXPECT_TRUE(steps[1].Alt);
  EXPECT_EQ(steps[1].Line, 4);
  EXPECT_EQ(steps[2].Words, " 0.5 and more") << "text is the rest of the line after one space";
  EXPECT_EQ(steps[3].Count, 250);
  EXPECT_EQ(steps[4].Button, 1);
  EXPECT_EQ(steps[5].X2, 3);
  EXPECT_EQ(steps[6].Count, -3);
  EXPECT_EQ(steps[7].Words, "out dir/a.png");
  EXPECT_EQ(steps[8].Width, 1920);
  EXPECT_EQ(steps[9].Count, 60);
  EXPECT_EQ(steps[10].Type, TScriptStep::Quit);
}

TEST(EditScript, ABadLineIsAnErrorWithItsNumber) {
  EXPECT_EQ(ErrorOf("key Down\njump 3\n"),
            "line 2: no step is called \"jump\" (key, text, wait, move, click, drag, "
            "wheel, shot, frame, resize, bench, quit)");
  EXPECT_EQ(ErrorOf("key Hyper+S"), "line 1: \"Hyper\" is not Ctrl, Shift or Alt, in \"Hyper+S\"");
  EXPECT_EQ(ErrorOf("\n\nkey Ctrl+"),
            "line 3: no key is called \"\" (keys are named like Down, PageUp, Enter, A, 5, "
            "F2, Minus, Equals)");
  EXPECT_EQ(ErrorOf("wait -1"), "line 1: wait takes milliseconds from 0 to 600000, not \"-1\"");
  EXPECT_EQ(ErrorOf("wait 5s"), "line 1: wait takes milliseconds from 0 to 600000, not \"5s\"");
  EXPECT_EQ(ErrorOf("bench 0"), "line 1: bench draws from 1 to 100000, not \"0\"");
  EXPECT_EQ(ErrorOf("click 1 2 sideways"), "line 1: a button is left, right or middle, not \"sideways\"");
  EXPECT_EQ(ErrorOf("resize 1920"), "line 1: it is written \"resize <width> <height>\"");
  EXPECT_EQ(ErrorOf("text"), "line 1: text needs the characters to type");
  EXPECT_EQ(ErrorOf("quit now"), "line 1: it is written \"quit\"");
  EXPECT_EQ(ErrorOf(std::string("key Down\nkey \0Up\n", 17)), "line 2: a script is text: this line holds a NUL");
  EXPECT_EQ(ErrorOf("# only a comment\n\n"), "");
}

TEST(EditScript, KeysTypeWhatAKeyboardTypes) {
  EXPECT_EQ(TypedCharacter(TKey::O, false), "o");
  EXPECT_EQ(TypedCharacter(TKey::O, true), "O");
  EXPECT_EQ(TypedCharacter(TKey::Digit7, false), "7");
  EXPECT_EQ(TypedCharacter(TKey::Period, false), ".");
  EXPECT_EQ(TypedCharacter(TKey::Minus, false), "-");
  EXPECT_EQ(TypedCharacter(TKey::Down, false), "");
}

TEST(EditOptions, PreviewsRunDirectoryScriptAndSize) {
  TEditOptions options;
  EXPECT_FALSE(Parse({"show.timeline", "--send", "127.0.0.1:1024", "--send", "stage-pc", "--data", "stage", "--size",
                      "1920x1080", "--script", "s.txt"},
                     options));
  EXPECT_EQ(options.Timeline, "show.timeline");
  ASSERT_EQ(options.Sends.size(), 2u);
  EXPECT_EQ(options.Sends[0].Host, "127.0.0.1");
  EXPECT_EQ(options.Sends[0].Port, 1024);
  EXPECT_EQ(options.Sends[1].Host, "stage-pc");
  EXPECT_EQ(options.Sends[1].Port, 1024) << "the preview's port when none is given";
  EXPECT_EQ(options.Data, "stage");
  EXPECT_EQ(options.Width, 1920);
  EXPECT_EQ(options.Height, 1080);
  EXPECT_EQ(options.Script, "s.txt");
  EXPECT_EQ(ParseSendTarget("::1:2000")->Host, "::1");
}

TEST(EditOptions, UsageErrors) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--send", "host:0"}, "--send takes <host>:<port> (port 1 to 65535), not \"host:0\""},
      {{"--send", ":1024"}, "--send takes <host>:<port> (port 1 to 65535), not \":1024\""},
      {{"--send", "host:12x"}, "--send takes <host>:<port> (port 1 to 65535), not \"host:12x\""},
      {{"--size", "100x100"}, "--size must be at least 640x480, not 100x100"},
      {{"--size", "wide"}, "--size takes a width and height in pixels, such as 1280x800, not \"wide\""},
      {{"--data"}, "--data needs the run directory (it holds demo.vrk and data/)"},
      {{"a.timeline", "b.timeline"}, "one timeline only, not both a.timeline and b.timeline"},
      {{"--fast"}, "unknown option --fast"},
  };
  for (const auto& [words, error] : cases) {
    TEditOptions options;
    const std::optional<TUsageError> got = Parse(words, options);
    ASSERT_TRUE(got.has_value()) << words[0];
    EXPECT_EQ(got->Text, error);
  }
  TEditOptions help;
  EXPECT_FALSE(Parse({"--help"}, help));
  EXPECT_TRUE(help.Help);
  EXPECT_NE(EditHelp().find("Ctrl+Shift+I"), std::string::npos);
}

TEST(EditOptions, SyncListensOnThisMachineUnlessToldWhere) {
  TEditOptions plain;
  EXPECT_FALSE(Parse({"project.timeline"}, plain));
  EXPECT_FALSE(plain.Sync);
  TEditOptions sync;
  EXPECT_FALSE(Parse({"--sync", "project.timeline"}, sync));
  EXPECT_TRUE(sync.Sync);
  EXPECT_EQ(sync.Timeline, "project.timeline");
  EXPECT_EQ(sync.Listen.Host, "127.0.0.1");
  EXPECT_EQ(sync.Listen.Port, 1338) << "the Rocket library's port";
  EXPECT_EQ(sync.Job, TEditJob::Edit);
  TEditOptions any;
  EXPECT_FALSE(Parse({"--listen", "0.0.0.0", "--sync"}, any)) << "in either order, without a timeline";
  EXPECT_EQ(any.Listen.Host, "0.0.0.0");
  EXPECT_EQ(any.Listen.Port, 1338);
  EXPECT_TRUE(any.Timeline.empty());
  TEditOptions port;
  EXPECT_FALSE(Parse({"--sync", "--listen", "127.0.0.1:4000", "--script", "s.txt"}, port));
  EXPECT_EQ(port.Listen.Port, 4000);
  EXPECT_EQ(port.Script, "s.txt");
}

TEST(EditOptions, RocketJobsTakeTheirTwoFilesAndTheDialect) {
  TEditOptions import;
  EXPECT_FALSE(Parse({"--import", "in.rocket", "out.timeline"}, import));
  EXPECT_EQ(import.Job, TEditJob::Import);
  EXPECT_EQ(import.From, "in.rocket");
  EXPECT_EQ(import.To, "out.timeline");
  EXPECT_TRUE(import.Timeline.empty()) << "the timeline written is the job's, not the editor's";
  TEditOptions exported;
  EXPECT_FALSE(Parse({"--export", "a.timeline", "a.rocket"}, exported));
  EXPECT_EQ(exported.Job, TEditJob::Export);
  EXPECT_EQ(exported.Dialect, RocketDialect::Sync) << "the original editor's by default";
  TEditOptions tracks;
  EXPECT_FALSE(Parse({"--dialect", "tracks", "--export", "a.timeline", "a.rocket"}, tracks));
  EXPECT_EQ(tracks.Dialect, RocketDialect::Tracks);
  EXPECT_EQ(tracks.From, "a.timeline");
  EXPECT_EQ(tracks.To, "a.rocket");
  TEditOptions files;
  EXPECT_FALSE(Parse({"--export-tracks", "a.timeline", "out/sync"}, files));
  EXPECT_EQ(files.Job, TEditJob::ExportTracks);
  EXPECT_EQ(files.To, "out/sync");
  EXPECT_NE(EditUsage().find("--export-tracks <timeline> <base>"), std::string::npos);
  EXPECT_NE(EditHelp().find("Ctrl+E"), std::string::npos) << "the demos' save is in the keys' list";
}

TEST(EditOptions, SyncAndJobErrorsSayWhatIsWrong) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--listen", "0.0.0.0"}, "--listen goes with --sync"},
      {{"--sync", "--listen"},
       "--listen needs the address demos connect to, such as 0.0.0.0 (every one) or 127.0.0.1:1338"},
      {{"--sync", "--listen", "host:99999"}, "--listen takes <host>:<port> (port 1 to 65535), not \"host:99999\""},
      {{"--import", "in.rocket"},
       "--import needs the Rocket file and the timeline to write: --import <file.rocket> <timeline>"},
      {{"--export"}, "--export needs the timeline and the Rocket file to write: --export <timeline> <file.rocket>"},
      {{"--export-tracks", "a.timeline", ""},
       "--export-tracks needs the timeline and the track files' base: --export-tracks <timeline> <base>"},
      {{"--export", "a.timeline", "a.rocket", "--dialect", "xml"},
       "--dialect takes sync (the original editor's <sync> files) or tracks (<tracks> files), not \"xml\""},
      {{"--import", "a.rocket", "a.timeline", "--dialect", "tracks"}, "--dialect goes with --export"},
      {{"--dialect", "sync"}, "--dialect goes with --export"},
      {{"--import", "a.rocket", "a.timeline", "--export", "a.timeline", "b.rocket"},
       "one job at a time, not both --import and --export"},
      {{"--sync", "--export", "a.timeline", "a.rocket"},
       "--export does its job without the editor's window: it takes no --sync"},
      {{"--export-tracks", "a.timeline", "base", "other.timeline"},
       "--export-tracks does its job without the editor's window: it takes no other.timeline"},
      {{"--import", "a.rocket", "a.timeline", "--send", "host:1024"},
       "--import does its job without the editor's window: it takes no --send"},
  };
  for (const auto& [words, error] : cases) {
    TEditOptions options;
    const std::optional<TUsageError> got = Parse(words, options);
    ASSERT_TRUE(got.has_value()) << words[0] << " " << error;
    EXPECT_EQ(got->Text, error);
  }
}

TEST(EditWaveform, AColumnTakesTheLowestHighestAndLoudnessOfWhatItCovers) {
  // One second of stereo at 1000 frames a second: a quarter of silence,
  // then a square wave of amplitude 0.5, the channels equal.
  std::vector<int16_t> samples;
  for (int f = 0; f < 1000; ++f) {
    const int16_t v = f < 250 ? 0 : ((f / 10) % 2 ? 16384 : -16384);
    samples.push_back(v);
    samples.push_back(v);
  }
  TWaveform wave;
  wave.Build(samples.data(), 1000, 2, 1000);
  EXPECT_DOUBLE_EQ(wave.Seconds(), 1);
  const TWaveColumn quiet = wave.Column(0, 0.128);
  EXPECT_EQ(quiet.Min, 0);
  EXPECT_EQ(quiet.Max, 0);
  EXPECT_EQ(quiet.Rms, 0);
  const TWaveColumn loud = wave.Column(0.512, 0.896);
  EXPECT_FLOAT_EQ(loud.Min, -0.5f);
  EXPECT_FLOAT_EQ(loud.Max, 0.5f);
  EXPECT_NEAR(loud.Rms, 0.5f, 1e-6);
  const TWaveColumn both = wave.Column(0, 1);
  EXPECT_NEAR(both.Rms, 0.5f * std::sqrt(0.75f), 1e-3) << "the last span is shorter and counted so";
  EXPECT_EQ(wave.Column(2, 3).Rms, 0) << "after the music";
  EXPECT_EQ(wave.Column(-2, -1).Max, 0) << "before it";
}
