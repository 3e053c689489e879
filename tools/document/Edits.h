// The edits' own code, each working on a draft (EditDraft.h) and returning
// the status text a view shows (or ""); refusals are EditRefused. The
// document's edit functions run these.
#pragma once
#include <functional>
#include <optional>
#include <string>

#include "Clip.h"
#include "EditDraft.h"

// Keys (KeyEdits.cpp).
std::string SetKeyEdit(EditDraft& draft, int channel, int row, std::optional<float> value, std::optional<Shape> shape);
std::string DeleteKeysEdit(EditDraft& draft, const KeyBlock& block);
std::string MoveKeysEdit(EditDraft& draft, const KeyBlock& block, int rows);
std::string ChangeValuesEdit(EditDraft& draft, const KeyBlock& block, const std::function<float(float)>& change);
std::string PasteEdit(EditDraft& draft, const Clip& clip, int channel, int row);

// Rows in or out across every channel (RowEdits.cpp): count > 0 inserts
// count rows at row, count < 0 deletes -count rows from row.
std::string ShiftRowsEdit(EditDraft& draft, int row, int count);

// Marks and repeats (MarkEdits.cpp, RepeatEdits.cpp).
std::string SetMarkEdit(EditDraft& draft, int row, const std::string& name, bool mustExist);
std::string ClearMarkEdit(EditDraft& draft, int row);
std::string UnrollEdit(EditDraft& draft, int repeat);

// Shared by them (KeyLines.cpp).
//
// The status of an edit of a repeat's pattern.
std::string RepeatNote(const EditDraft& draft, int repeat);
// Whether every key of the repeat lies in the block (a repeat without keys: never).
bool HoldsWholeRepeat(const EditDraft& draft, const KeyBlock& block, int repeat);
// A key line's text with its position, value or shape changed, the rest as written.
std::string RewriteKeyLine(EditDraft& draft, const std::string& line, std::optional<int> position,
                           std::optional<float> value, std::optional<Shape> shape);
// A new key line for the channel, laid out as the document's key lines are.
std::string NewKeyLine(EditDraft& draft, int channel, int row, float value, Shape shape);
// Puts a key line of the channel where its row belongs; refused where the
// channel has a key at the row or the row lies inside one of its repeats.
// Makes the channel's section where it has none.
void PlaceKeyLine(EditDraft& draft, int channel, int row, const std::string& text);
// The first line of the comments written right above a line (the line
// itself where there are none, or where they open the text).
int AttachedStart(const EditDraft& draft, int line);
// Keys of the channel in the expectation: the key at row replaced or added.
void ExpectKey(std::vector<Key>& keys, int row, float value, Shape shape);
