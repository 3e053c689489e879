// Edits of a document chosen by a stream of bytes, each followed by checks
// of what it must have done: the random edit runs of the tests and the fuzz
// target both run these.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "Document.h"

// Bytes read one by one; zeros once they run out.
class ByteSource {
 public:
  ByteSource(const uint8_t* data, size_t size) : Data(data), Size(size) {}
  bool Empty() const { return Pos >= Size; }
  uint8_t Next() { return Pos < Size ? Data[Pos++] : 0; }
  // A number from 0 to n - 1 (n > 0).
  int Below(int n);

 private:
  const uint8_t* Data;
  size_t Size, Pos = 0;
};

// Makes one edit (or an undo or redo) the bytes choose, and checks it:
// a made edit leaves a text that reads (but for a text edit) and did what
// it was asked; a refused or unchanged one left the text as it was. The
// clip is the copy-and-paste clipboard between steps. Returns what went
// wrong, or "".
std::string ScriptedEdit(TimelineDocument& doc, ByteSource& bytes, Clip& clip);

// Whether two documents read the same: text, keys (with their origins) and marks.
bool SameReading(const TimelineDocument& a, const TimelineDocument& b);
