// The parameter track's source: a text timeline of keys per channel, and its
// compilation into the sampled track "demo.vrk". A row is one track sample,
// a sixteenth of a beat; a bar is four beats.
//
//   channel <n> [words...]          keys below belong to channel n (0 to 10, or
//                                   its name: runtime/ChannelBindings.h)
//   <bar>[:<beat>[:<row>]] <value|off> [hold|linear|smooth]
//   repeat <count> every <pos> from <pos>   keys up to "end" repeat, shifted
//   end
//   mark <pos> <name...>            a named position; the name runs to the
//                                   end of the line or its comment
//
// The shape says how the value travels to the channel's next key; "off" is
// NaN. Before its first key a channel is off; after its last it holds.
//
// The channels, the rows a beat, the beats a bar and the track's length are
// this demo's by default (SongLayout) and can be another's (TrackLayout).
#pragma once
#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "Song.h"
#include "runtime/ChannelBindings.h"
#include "runtime/TrackFormat.h"

// The track feeds every channel with a binding, by its number.
constexpr int TrackChannels = BoundChannels;
// The track's rate is the tempo, so a rate unit is a beat.
constexpr int RowsPerTrackBeat = TrackSamplesPerRateUnit;
// The track runs to the first row after the song's last bar.
constexpr int SongTrackSamples = SongBars * BeatsPerBar * RowsPerTrackBeat + 1;

// What a timeline is written against: its channels' names by number (a
// channel may always be named by its number too; "" for no name), the rows
// of a beat, the beats of a bar, and the rows of the track every key and
// mark must fall in.
struct TrackLayout {
  std::vector<std::string> ChannelNames;
  int RowsPerBeat = RowsPerTrackBeat;
  int BeatsPerBar = ::BeatsPerBar;
  int Rows = SongTrackSamples;
  int Channels() const { return static_cast<int>(ChannelNames.size()); }
};
// This demo's: the channels of runtime/ChannelBindings.h and the song's rows.
const TrackLayout& SongLayout();

// A timeline that cannot be read; the message starts with "line N: ".
class TimelineError : public std::runtime_error {
 public:
  TimelineError(int line, const std::string& what) : std::runtime_error(what), Line(line) {}
  int Line;  // the line at fault, from 1
};

enum class Shape { Hold, Linear, Smooth };
// The shapes' names by Shape, in the order an editor steps through them.
constexpr const char* ShapeNames[] = {"hold", "linear", "smooth"};
constexpr int ShapeCount = static_cast<int>(std::size(ShapeNames));

struct Key {
  int Row;      // track samples from the start
  float Value;  // NaN for off
  Shape Curve;
  int Line;            // source line, for messages: for a repeated key, its line in the block
  int Repeat = -1;     // the block (Timeline::Repeats) that repeats it, or -1 for a key of its own
  int Repetition = 0;  // which repetition of that block, from 0
};

// A named position.
struct Mark {
  int Row;
  std::string Name;
  int Line;
};

// A "repeat" block of one channel, from its "repeat" line to its "end".
struct RepeatBlock {
  int Channel, Count, Step, From;
  int Line, EndLine;
};

// A "channel" line: the lines after it, up to the next one, are its channel's.
struct ChannelSection {
  int Channel;
  int Line;
};

struct Timeline {
  std::vector<std::vector<Key>> Channels = std::vector<std::vector<Key>>(TrackChannels);
  std::vector<Mark> Marks;               // in the text's order
  std::vector<RepeatBlock> Repeats;      // in the text's order
  std::vector<ChannelSection> Sections;  // in the text's order
};

// A word of a line as the reader splits it: words are separated by white
// space and end at a "#", which starts a comment. Begin and End are the
// columns of its first character and of the one after it.
struct LineWord {
  std::string Text;
  size_t Begin, End;
};
// The line's words; comment is set to the column of the "#", or the line's
// length without one.
std::vector<LineWord> SplitLineWords(const std::string& line, size_t* comment = nullptr);

// "bar", "bar:beat" or "bar:beat:row" as a row; a fault is a TimelineError at line.
int ParsePosition(const std::string& s, int line, const TrackLayout& layout = SongLayout());
// A row as the timeline writes it, in the shortest of those forms.
std::string FormatPosition(int row, const TrackLayout& layout = SongLayout());
// A number or "off" (NaN); a fault is a TimelineError at line.
float ParseValue(const std::string& s, int line);
// "off" for NaN, else the shortest text that reads back as the same number.
std::string FormatValue(float value);
// A shape's name as a Shape; false for no shape's name.
bool ReadShape(const std::string& s, Shape& shape);
// A channel's number from its name or number; -1 for neither.
int ChannelNumber(const std::string& s, const TrackLayout& layout = SongLayout());
// The channel's name, or its number where it has none.
std::string ChannelName(int channel, const TrackLayout& layout = SongLayout());

// Whether two values are the same to the bit, every NaN being "off".
bool SameValue(float a, float b);
// How many of a channel's keys (in row order) lie before the row: the
// index of its key at the row, or of the first after it.
size_t KeysBefore(const std::vector<Key>& keys, int row);

// The value of the segment from key to next (nullptr: key is the last) at
// a row from key's row on, before next's: the shape travels from key's value
// to next's; a hold, or off at either end, keeps key's value.
float SegmentValue(const Key& key, const Key* next, int row);
// A channel's value at a row from its keys in row order: off before the
// first key, the segment's value after.
float ValueAtRow(const std::vector<Key>& keys, int row);

// Reads the keys. A key, written or repeated, past the track is an error at
// its line.
Timeline ParseTimeline(const std::string& text, const TrackLayout& layout = SongLayout());

// Samples every channel at rows 0 .. samples - 1. Keys past the end are an error.
std::vector<std::vector<float>> CompileTimeline(const Timeline& timeline, int samples);

// The song's track from the timeline's text: every channel sampled at rows
// 0 .. SongTrackSamples - 1, to be played at a rate of Tempo. Throws
// TimelineError.
std::vector<std::vector<float>> CompileSongTrack(const std::string& text);

// The track file image: channel count, sample count, rate, samples channel-major.
std::vector<uint8_t> EncodeTrack(const std::vector<std::vector<float>>& channels, int rate);
