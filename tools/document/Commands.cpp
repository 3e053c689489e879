#include "Commands.h"

void SpliceCommand::Do(std::vector<TextLine>& lines) const {
  for (const LineSplice& splice : Splices) ApplySplice(lines, splice);
}

void SpliceCommand::Undo(std::vector<TextLine>& lines) const {
  for (auto splice = Splices.rbegin(); splice != Splices.rend(); ++splice) RevertSplice(lines, *splice);
}

void CompoundCommand::Do(std::vector<TextLine>& lines) const {
  for (const std::unique_ptr<Command>& part : Parts) part->Do(lines);
}

void CompoundCommand::Undo(std::vector<TextLine>& lines) const {
  for (auto part = Parts.rbegin(); part != Parts.rend(); ++part) (*part)->Undo(lines);
}

void UndoHistory::Push(std::unique_ptr<Command> command, std::string status) {
  Entries.resize(Top);
  Entries.push_back(Entry{std::move(command), std::move(status), ++LastSerial});
  Top = Entries.size();
}

const std::string& UndoHistory::Undo(std::vector<TextLine>& lines) {
  Entry& entry = Entries[--Top];
  entry.Done->Undo(lines);
  return entry.Status;
}

const std::string& UndoHistory::Redo(std::vector<TextLine>& lines) {
  Entry& entry = Entries[Top++];
  entry.Done->Do(lines);
  return entry.Status;
}

void UndoHistory::Clear() {
  Entries.clear();
  Top = 0;
}
