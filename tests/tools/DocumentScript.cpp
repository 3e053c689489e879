#include "DocumentScript.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// Rows at and near a channel's keys, where edits meet each other,
// and anywhere else now and then.
int PickRow(const TimelineDocument& doc, int channel, ByteSource& bytes) {
  const std::vector<Key>& keys = doc.Keys(channel);
  const int how = bytes.Below(4);
  if (how == 0 || keys.empty()) return bytes.Below(doc.Layout().Rows);
  const int near = keys[bytes.Below(int(keys.size()))].Row;
  if (how == 1) return near;
  return std::clamp(near + bytes.Below(65) - 32, 0, doc.Layout().Rows - 1);
}

float PickValue(ByteSource& bytes) {
  static const float values[] = {0.f, 1.f, 0.5f, -0.25f, 0.35f, 1e30f, -0.f, 3.f, 100.f, 1e-7f};
  const int k = bytes.Below(12);
  if (k == 10) return std::nanf("");
  if (k == 11) return float(int(bytes.Next()) - 128) / 8.f;
  return values[k];
}

KeyBlock PickBlock(const TimelineDocument& doc, ByteSource& bytes) {
  const int channel = bytes.Below(doc.Layout().Channels());
  const int row = PickRow(doc, channel, bytes);
  return KeyBlock{channel, channel + bytes.Below(3), row, row + bytes.Below(4) * bytes.Below(130)};
}

std::string Describe(const char* what, int channel, int row) {
  return std::string(what) + " at channel " + std::to_string(channel) + " row " + std::to_string(row);
}
}  // namespace

int ByteSource::Below(int n) {
  const unsigned value = (unsigned(Next()) << 16) | (unsigned(Next()) << 8) | Next();
  return int(value % unsigned(n));
}

bool SameReading(const TimelineDocument& a, const TimelineDocument& b) {
  if (a.Text() != b.Text() || a.Reads() != b.Reads() || a.Marks().size() != b.Marks().size()) return false;
  for (size_t m = 0; m < a.Marks().size(); ++m)
    if (a.Marks()[m].Row != b.Marks()[m].Row || a.Marks()[m].Name != b.Marks()[m].Name) return false;
  // A project's tracks are compared by name: two documents may number them
  // otherwise, as each first had them.
  if (a.IsProject() != b.IsProject() || a.Layout().Channels() != b.Layout().Channels()) return false;
  for (int c = 0; c < a.Layout().Channels(); ++c) {
    const int d = a.IsProject() ? b.TrackIndex(a.Layout().ChannelNames[c]) : c;
    if (d < 0) return false;
    const std::vector<Key>& x = a.Keys(c);
    const std::vector<Key>& y = b.Keys(d);
    if (x.size() != y.size()) return false;
    for (size_t k = 0; k < x.size(); ++k)
      if (x[k].Row != y[k].Row || !SameValue(x[k].Value, y[k].Value) || x[k].Curve != y[k].Curve ||
          x[k].Line != y[k].Line || x[k].Repeat != y[k].Repeat || x[k].Repetition != y[k].Repetition)
        return false;
  }
  return true;
}

std::string ScriptedEdit(TimelineDocument& doc, ByteSource& bytes, Clip& clip) {
  const std::string before = doc.Text();
  // A project without tracks (its text names none, or does not read) has
  // only its text to edit.
  if (doc.Layout().Channels() == 0) {
    if (bytes.Below(2) == 0) return doc.Undo().Done() || !doc.CanUndo() ? "" : "an undo did not happen";
    const EditResult result = doc.EditText(before + "track t\n0 1\n");
    return result.Done() ? "" : "a text edit was not taken";
  }
  const int channel = bytes.Below(doc.Layout().Channels());
  const int row = PickRow(doc, channel, bytes);
  const Key* key = doc.KeyAt(channel, row);
  const Shape shape = key != nullptr ? key->Curve : Shape::Hold;
  // Text edits, which may leave a text that does not read, come seldom; a
  // text that does not read is mostly undone.
  int kind = bytes.Below(40);
  if (kind >= 17) kind = kind == 39 ? 17 : kind % 15;
  if (!doc.Reads() && bytes.Below(2) == 0) kind = 15;
  EditResult result;
  std::string fault;
  switch (kind) {
    case 0:
    case 1: {
      const float value = PickValue(bytes);
      result = doc.SetKey(channel, row, value, kind == 1 ? std::optional<Shape>(Shape(bytes.Below(ShapeCount))) : std::nullopt);
      if (result.Done() && (doc.KeyAt(channel, row) == nullptr || !SameValue(doc.KeyAt(channel, row)->Value, value)))
        fault = Describe("a set key is not there", channel, row);
      break;
    }
    case 2: {
      const KeyBlock block = PickBlock(doc, bytes);
      result = doc.DeleteKeys(block);
      for (int c = block.FirstChannel; result.Done() && c <= block.LastChannel && c < doc.Layout().Channels(); ++c)
        for (const Key& k : doc.Keys(c))
          if (block.Holds(c, k.Row)) fault = Describe("a deleted key stays", c, k.Row);
      break;
    }
    case 3:
      result = doc.CycleShape(channel, row);
      if (result.Done() && doc.KeyAt(channel, row)->Curve != Shape((int(shape) + 1) % ShapeCount))
        fault = Describe("the shape did not step", channel, row);
      break;
    case 4: {
      const KeyBlock block = PickBlock(doc, bytes);
      const int rows = bytes.Below(97) - 48;
      const Clip moving = doc.Copy(block);
      result = doc.MoveKeys(block, rows);
      // Keys of their own arrive where they were sent; repeats move with them.
      for (const Clip::Entry& e : moving.Keys)
        if (result.Done() && doc.KeyAt(block.FirstChannel + e.Channel, block.FirstRow + e.Row + rows) == nullptr)
          fault = Describe("a moved key did not arrive", block.FirstChannel + e.Channel, block.FirstRow + e.Row + rows);
      break;
    }
    case 5:
      result = doc.AddToValues(PickBlock(doc, bytes), PickValue(bytes));
      break;
    case 6:
      result = doc.MultiplyValues(PickBlock(doc, bytes), PickValue(bytes));
      break;
    case 7:
      clip = doc.Copy(PickBlock(doc, bytes));
      return "";
    case 8:
      result = doc.Paste(clip, channel, row);
      for (const Clip::Entry& e : clip.Keys)
        if (result.Done() && (doc.KeyAt(channel + e.Channel, row + e.Row) == nullptr ||
                              !SameValue(doc.KeyAt(channel + e.Channel, row + e.Row)->Value, e.Value)))
          fault = Describe("a pasted key is not there", channel + e.Channel, row + e.Row);
      break;
    case 9:
    case 10: {
      const std::vector<std::vector<float>> track = doc.Reads() ? doc.Track() : std::vector<std::vector<float>>{};
      const int count = bytes.Below(3) * 16 + bytes.Below(5);
      result = kind == 9 ? doc.InsertRows(row, count) : doc.DeleteRows(row, count);
      // From a channel's first moved key on, the values are the old ones, moved.
      const int shift = kind == 9 ? count : -count;
      const std::vector<std::vector<float>> now = result.Done() ? doc.Track() : std::vector<std::vector<float>>{};
      for (int c = 0; result.Done() && c < doc.Layout().Channels() && fault.empty(); ++c) {
        for (const Key& k : doc.Keys(c))
          if (k.Row >= row + std::max(shift, 0)) {
            for (int r = k.Row; r < doc.Layout().Rows && r - shift < doc.Layout().Rows && fault.empty(); ++r)
              if (!SameValue(now[c][r], track[c][r - shift])) fault = Describe("a moved value differs", c, r);
            break;
          }
      }
      break;
    }
    case 11:
    case 12: {
      static const char* names[] = {"intro", "drop two", "a # b", " x ", "", "end", "\tx\ty"};
      const char* name = names[bytes.Below(7)];
      const int at = kind == 12 && !doc.Marks().empty() ? doc.Marks()[bytes.Below(int(doc.Marks().size()))].Row : row;
      result = kind == 11 ? doc.SetMark(at, name) : doc.RenameMark(at, name);
      break;
    }
    case 13:
      result = doc.ClearMark(doc.Marks().empty() ? row : doc.Marks()[bytes.Below(int(doc.Marks().size()))].Row);
      break;
    case 14:
      result = doc.UnrollRepeat(bytes.Below(int(doc.Repeats().size()) + 1));
      break;
    case 15:
      return doc.Undo().Done() || !doc.CanUndo() ? "" : "an undo did not happen";
    case 16:
      return doc.Redo().Done() || !doc.CanRedo() ? "" : "a redo did not happen";
    default: {
      // A text edit: a line changed, which may keep the text from reading.
      if (doc.LineCount() == 0) return "";
      std::vector<TextLine> lines = SplitTextLines(before);
      lines[bytes.Below(int(lines.size()))].Text = bytes.Below(2) == 0 ? "" : "0 x";
      result = doc.EditText(JoinTextLines(lines));
      return doc.Text() == JoinTextLines(lines) ? "" : "a text edit was not taken";
    }
  }
  if (result.Outcome != EditOutcome::Done && doc.Text() != before) return "a refused edit changed the text";
  if (result.Outcome == EditOutcome::Refused && result.Message.empty()) return "a refusal without a reason";
  if (!result.Done()) return fault;
  if (!doc.Reads()) return std::string("an edit left a text that does not read: ") + doc.Error()->what();
  // Undone, the text is the one before; redone, the one after.
  const std::string after = doc.Text();
  if (!doc.Undo().Done() || doc.Text() != before) return "undoing an edit did not give the text before it";
  if (!doc.Redo().Done() || doc.Text() != after) return "redoing an edit did not give the text after it";
  return fault;
}
