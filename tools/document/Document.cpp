#include "Document.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "EditDraft.h"
#include "Edits.h"

TimelineDocument::TimelineDocument(const std::string& text, TrackLayout layout)
    : TrackShape(layout), Given(std::move(layout)) {
  // A project's layout names tracks its demo has, as AddTrack would.
  if (Given.Tracks) Asked = Given.ChannelNames;
  Load(text);
}

void TimelineDocument::Load(const std::string& text) {
  Lines = SplitTextLines(text);
  History.Clear();
  SavedState = History.State();
  Reread();
}

TrackLayout TimelineDocument::ReadingLayout(bool project) const {
  if (!project) return Given;
  TrackLayout layout = Given;
  layout.Tracks = true;
  layout.ChannelNames = TrackShape.Tracks ? TrackShape.ChannelNames : Asked;
  return layout;
}

void TimelineDocument::Reread() {
  const std::string text = Text();
  const bool project = Given.Tracks || IsProjectText(text);
  try {
    TrackLayout against = ReadingLayout(project);
    Reading = ParseTimeline(text, against);
    if (project) {
      // Tracks the text no longer has, and no demo asked for, go.
      std::vector<bool> kept(Reading.Channels.size(), false);
      for (const ChannelSection& section : Reading.Sections) kept[section.Channel] = true;
      std::vector<std::string> names;
      for (size_t c = 0; c < kept.size(); ++c) {
        const std::string& name = Reading.Layout.ChannelNames[c];
        if (kept[c] || std::find(Asked.begin(), Asked.end(), name) != Asked.end()) names.push_back(name);
      }
      if (names.size() < kept.size()) {
        against.ChannelNames = names;
        Reading = ParseTimeline(text, against);
      }
    }
    TrackShape = Reading.Layout;
    Fault.reset();
  } catch (const TimelineError& error) {
    // The layout stays as the text last read, where it was of the same kind.
    if (TrackShape.Tracks != project) TrackShape = ReadingLayout(project);
    Reading = Timeline{};
    Reading.Layout = TrackShape;
    Reading.Channels.assign(TrackShape.Channels(), {});
    Fault = error;
  }
  Spans.assign(Reading.Repeats.size(), RowSpan{INT_MAX, INT_MIN, 0});
  for (const std::vector<Key>& keys : Reading.Channels)
    for (const Key& key : keys)
      if (key.Repeat >= 0) {
        RowSpan& span = Spans[key.Repeat];
        span = RowSpan{std::min(span.First, key.Row), std::max(span.Last, key.Row), span.Keys + 1};
      }
  for (size_t r = 0; r < Spans.size(); ++r)
    if (Spans[r].Keys == 0) Spans[r] = RowSpan{Reading.Repeats[r].From, Reading.Repeats[r].From, 0};
}

const Key* TimelineDocument::KeyAt(int channel, int row) const {
  const std::vector<Key>& keys = Reading.Channels[channel];
  const size_t at = KeysBefore(keys, row);
  return at < keys.size() && keys[at].Row == row ? &keys[at] : nullptr;
}

float TimelineDocument::ValueAt(int channel, int row) const { return TimelineValueAt(Reading, channel, row); }

int TimelineDocument::TrackIndex(const std::string& name) const {
  return IsProject() ? TrackNumber(name, TrackShape) : -1;
}

int TimelineDocument::AddTrack(const std::string& name, std::string* reason) {
  const auto refuse = [&](const std::string& why) {
    if (reason != nullptr) *reason = why;
    return -1;
  };
  if (!IsProject()) return refuse("this timeline has a demo's channels, not a project's tracks");
  if (!IsWritableName(name))
    return refuse("the track name '" + name +
                  "' cannot be written in a timeline: it has '#', a line break or white space at its ends");
  if (std::find(Asked.begin(), Asked.end(), name) == Asked.end()) Asked.push_back(name);
  if (TrackIndex(name) < 0) {
    TrackShape.ChannelNames.push_back(name);
    Reread();
  }
  return TrackIndex(name);
}

std::vector<std::vector<float>> TimelineDocument::Track() const { return CompileTimeline(Reading, TrackShape.Rows); }

Clip TimelineDocument::Copy(const KeyBlock& block) const {
  Clip clip{block.LastChannel - block.FirstChannel + 1, block.LastRow - block.FirstRow + 1, {}};
  for (const auto& [channel, key] : KeysIn(Reading, block))
    clip.Keys.push_back(Clip::Entry{channel - block.FirstChannel, key->Row - block.FirstRow, key->Value, key->Curve});
  return clip;
}

EditResult TimelineDocument::Run(const std::function<std::string(EditDraft&)>& edit, bool needsReading) {
  if (needsReading && Fault)
    return EditResult{EditOutcome::Refused, std::string("the timeline does not read until this is fixed: ") + Fault->what()};
  EditDraft draft(*this);
  std::string status;
  try {
    status = edit(draft);
  } catch (const EditRefused& refused) {
    draft.TakeBack();
    return EditResult{EditOutcome::Refused, refused.what()};
  } catch (...) {
    draft.TakeBack();
    throw;
  }
  std::unique_ptr<Command> command = draft.Finish();
  if (!command) return EditResult{EditOutcome::Unchanged, ""};
  History.Push(std::move(command), status);
  return EditResult{EditOutcome::Done, status};
}

EditResult TimelineDocument::SetKey(int channel, int row, std::optional<float> value, std::optional<Shape> shape) {
  return Run([&](EditDraft& draft) { return SetKeyEdit(draft, channel, row, value, shape); });
}

EditResult TimelineDocument::DeleteKeys(const KeyBlock& block) {
  return Run([&](EditDraft& draft) { return DeleteKeysEdit(draft, block); });
}

EditResult TimelineDocument::CycleShape(int channel, int row) {
  return Run([&](EditDraft& draft) {
    RequireChannel(draft, channel);
    const Key* key = KeyAt(channel, row);
    if (key == nullptr) throw EditRefused("there is no key at " + Where(draft, channel, row));
    return SetKeyEdit(draft, channel, row, std::nullopt, static_cast<Shape>((int(key->Curve) + 1) % ShapeCount));
  });
}

EditResult TimelineDocument::MoveKeys(const KeyBlock& block, int rows) {
  return Run([&](EditDraft& draft) { return MoveKeysEdit(draft, block, rows); });
}

EditResult TimelineDocument::AddToValues(const KeyBlock& block, float amount) {
  return Run([&](EditDraft& draft) { return ChangeValuesEdit(draft, block, [&](float v) { return v + amount; }); });
}

EditResult TimelineDocument::MultiplyValues(const KeyBlock& block, float factor) {
  return Run([&](EditDraft& draft) { return ChangeValuesEdit(draft, block, [&](float v) { return v * factor; }); });
}

EditResult TimelineDocument::Paste(const Clip& clip, int channel, int row) {
  return Run([&](EditDraft& draft) { return PasteEdit(draft, clip, channel, row); });
}

EditResult TimelineDocument::InsertRows(int row, int count) {
  if (count < 0) return EditResult{EditOutcome::Refused, "a count of rows is not negative"};
  return Run([&](EditDraft& draft) { return ShiftRowsEdit(draft, row, count); });
}

EditResult TimelineDocument::DeleteRows(int row, int count) {
  if (count < 0) return EditResult{EditOutcome::Refused, "a count of rows is not negative"};
  return Run([&](EditDraft& draft) { return ShiftRowsEdit(draft, row, -count); });
}

EditResult TimelineDocument::SetMark(int row, const std::string& name) {
  return Run([&](EditDraft& draft) { return SetMarkEdit(draft, row, name, false); });
}

EditResult TimelineDocument::RenameMark(int row, const std::string& name) {
  return Run([&](EditDraft& draft) { return SetMarkEdit(draft, row, name, true); });
}

EditResult TimelineDocument::ClearMark(int row) {
  return Run([&](EditDraft& draft) { return ClearMarkEdit(draft, row); });
}

EditResult TimelineDocument::UnrollRepeat(int repeat) {
  return Run([&](EditDraft& draft) { return UnrollEdit(draft, repeat); });
}

EditResult TimelineDocument::EditText(const std::string& text) {
  const std::vector<TextLine> lines = SplitTextLines(text);
  EditResult result = Run(
      [&](EditDraft& draft) {
        // One splice of the lines between those the texts share at their ends.
        size_t head = 0, tail = 0;
        while (head < lines.size() && head < Lines.size() && lines[head] == Lines[head]) ++head;
        while (tail < lines.size() - head && tail < Lines.size() - head &&
               lines[lines.size() - 1 - tail] == Lines[Lines.size() - 1 - tail])
          ++tail;
        if (head + tail < lines.size() || head + tail < Lines.size())
          draft.Splice(head, Lines.size() - head - tail,
                       std::vector<TextLine>(lines.begin() + ptrdiff_t(head), lines.end() - ptrdiff_t(tail)));
        return std::string();
      },
      false);
  if (result.Done() && Fault) result.Message = Fault->what();
  return result;
}

EditResult TimelineDocument::Undo() {
  if (!History.CanUndo()) return EditResult{EditOutcome::Unchanged, "nothing to undo"};
  std::string status = History.Undo(Lines);
  Reread();
  return EditResult{EditOutcome::Done, std::move(status)};
}

EditResult TimelineDocument::Redo() {
  if (!History.CanRedo()) return EditResult{EditOutcome::Unchanged, "nothing to redo"};
  std::string status = History.Redo(Lines);
  Reread();
  return EditResult{EditOutcome::Done, std::move(status)};
}
