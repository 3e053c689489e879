// The parameter track's source: a text timeline of keys per channel, and its
// compilation into the sampled track "demo.vrk". A row is one track sample,
// a sixteenth of a beat; a bar is four beats.
//
//   tempo <beats a minute> [rows <rows a beat>]   the time grid (this demo's:
//                                   157 and 16)
//   length <pos>                    the first row past the timeline's end
//   music <file...>                 the music an editor shows (the demo's own
//                                   without it)
//   channel <n> [words...]          keys below belong to channel n (0 to 10, or
//                                   its name: runtime/ChannelBindings.h)
//   track <name...>                 keys below belong to the track of that name
//   <bar>[:<beat>[:<row>]] <value|off> [hold|linear|smooth|ramp]
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
//
// A timeline of "track" sections is a project: the keys of another demo,
// one synchronised by the GNU Rocket library, which asks for its tracks by
// name (names with ':' group tracks: "camera:rot.y" is "rot.y" of the group
// "camera"). Its tracks follow that library's rules: before the first key a
// track has the first key's value, after the last the last one's, and a
// track without keys is 0; there is no "off". Its grid is its own ("tempo",
// still four beats a bar) and so is its length. "tempo", "length" and
// "music" come before every other statement; a channel timeline may have
// them only as its layout has them. Channels and tracks do not mix.
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
  // The tempo the grid is played at.
  int BeatsPerMinute = Tempo;
  // A project's layout: the channels are the tracks of its text, the ones
  // ChannelNames names numbered first in its order (with or without keys),
  // then the others in the order the text names them.
  bool Tracks = false;
};
// This demo's: the channels of runtime/ChannelBindings.h and the song's rows.
const TrackLayout& SongLayout();
// A project's before its text sets its own: no tracks yet, this demo's
// tempo, rows a beat and length.
TrackLayout ProjectLayout();

// The bounds of a project's grid and length.
constexpr int MaxBeatsPerMinute = 999;
constexpr int MaxRowsPerBeat = 256;
constexpr int MaxTrackRows = 1 << 17;

// A timeline that cannot be read; the message starts with "line N: ".
class TimelineError : public std::runtime_error {
 public:
  TimelineError(int line, const std::string& what) : std::runtime_error(what), Line(line) {}
  int Line;  // the line at fault, from 1
};

// Ramp: t squared, slow from the key and fast into the next.
enum class Shape { Hold, Linear, Smooth, Ramp };
// The shapes' names by Shape, in the order an editor steps through them.
constexpr const char* ShapeNames[] = {"hold", "linear", "smooth", "ramp"};
constexpr int ShapeCount = static_cast<int>(std::size(ShapeNames));
// The GNU Rocket library numbers the shapes as Shape does (its interpolation
// types: 0 step, 1 linear, 2 smooth, 3 ramp), in its protocol and its files.
constexpr uint8_t RocketShapeNumber(Shape shape) { return static_cast<uint8_t>(shape); }
// The shape of a Rocket interpolation number; false for none.
bool RocketShape(int number, Shape& shape);

struct Key {
  int Row;      // track samples from the start
  float Value;  // NaN for off
  Shape Curve;
  int Line;            // source line, for messages: for a repeated key, its line in the block
  int Repeat = -1;     // the block (Timeline::Repeats) that repeats it, or -1 for a key of its own
  int Repetition = 0;  // which repetition of that block, from 0
};
// A key as the Rocket library lays one out, in its protocol (big-endian)
// and in its player's track files (little-endian): the row as a 32-bit
// word, the value's IEEE bits, the shape's number as one byte.
void AppendRocketKey(const Key& key, bool bigEndian, std::vector<uint8_t>& out);

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
  std::vector<ChannelSection> Sections;  // in the text's order ("channel" or "track" lines)
  // What the text was read against, with what it sets itself: for a
  // project (Layout.Tracks), its tracks' names by number, its tempo, rows a
  // beat and length.
  TrackLayout Layout;
  // The "music" line's file; "" without one: the demo's own
  // (runtime/DemoMain.h MusicFileName).
  std::string Music;
  // The lines of "tempo", "length" and "music", 0 where there is none.
  int TempoLine = 0, LengthLine = 0, MusicLine = 0;
  bool IsProject() const { return Layout.Tracks; }
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
// A project's track number by its name, exactly; -1 for none.
int TrackNumber(const std::string& name, const TrackLayout& layout);
// A track's group and its name within it, split at the first ':'
// ("camera:rot.y": "camera" and "rot.y"); no group ("") without one.
struct TrackGroupName {
  std::string Group, Name;
};
TrackGroupName SplitTrackGroup(const std::string& name);
// Whether a name (a track's, a mark's, a music file's) reads back as itself
// after its keyword: something on one line, without '#', white space at its
// ends or control characters other than tabs.
bool IsWritableName(const std::string& name);
// Whether the text is a project: its first section is a "track" one.
bool IsProjectText(const std::string& text);

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

// A project track's value at a row from its keys in row order, as the
// Rocket library has it: the first key's value before it, 0 without keys.
float TrackValueAtRow(const std::vector<Key>& keys, int row);
// A channel's value (ValueAtRow), or a project's track's (TrackValueAtRow).
float TimelineValueAt(const Timeline& timeline, int channel, int row);

// Reads the keys. A key, written or repeated, past the track is an error at
// its line. A project text is read as one whatever the layout; a layout
// with Tracks reads every text as a project.
Timeline ParseTimeline(const std::string& text, const TrackLayout& layout = SongLayout());

// Samples every channel at rows 0 .. samples - 1 (a project's tracks by
// their rules). Keys past the end are an error.
std::vector<std::vector<float>> CompileTimeline(const Timeline& timeline, int samples);

// The song's track from the timeline's text: every channel sampled at rows
// 0 .. SongTrackSamples - 1, to be played at a rate of Tempo. Throws
// TimelineError.
std::vector<std::vector<float>> CompileSongTrack(const std::string& text);

// The track file image: channel count, sample count, rate, samples channel-major.
std::vector<uint8_t> EncodeTrack(const std::vector<std::vector<float>>& channels, int rate);
