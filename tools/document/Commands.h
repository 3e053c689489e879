// Edits as command objects on an undo history of unlimited depth: each
// command knows the line splices it made and can make or take them back; a
// compound command is a sequence of commands done in order and undone in
// reverse (a paste, a move: an edit done in steps).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "TextLines.h"

class Command {
 public:
  virtual ~Command() = default;
  virtual void Do(std::vector<TextLine>& lines) const = 0;
  virtual void Undo(std::vector<TextLine>& lines) const = 0;
};

class SpliceCommand : public Command {
 public:
  explicit SpliceCommand(std::vector<LineSplice> splices) : Splices(std::move(splices)) {}
  void Do(std::vector<TextLine>& lines) const override;
  void Undo(std::vector<TextLine>& lines) const override;

 private:
  std::vector<LineSplice> Splices;
};

class CompoundCommand : public Command {
 public:
  explicit CompoundCommand(std::vector<std::unique_ptr<Command>> parts) : Parts(std::move(parts)) {}
  void Do(std::vector<TextLine>& lines) const override;
  void Undo(std::vector<TextLine>& lines) const override;

 private:
  std::vector<std::unique_ptr<Command>> Parts;
};

// The commands done and undone, each with the status text it was done with.
class UndoHistory {
 public:
  // A command that has just been done; what was undone can no longer be redone.
  void Push(std::unique_ptr<Command> command, std::string status);
  bool CanUndo() const { return Top > 0; }
  bool CanRedo() const { return Top < Entries.size(); }
  // Undoes the last done command on the lines and returns its status.
  const std::string& Undo(std::vector<TextLine>& lines);
  const std::string& Redo(std::vector<TextLine>& lines);
  void Clear();
  // Which state the lines are in: equal after undoing back to it, different
  // for every other state the history has held.
  uint64_t State() const { return Top == 0 ? 0 : Entries[Top - 1].Serial; }

 private:
  struct Entry {
    std::unique_ptr<Command> Done;
    std::string Status;
    uint64_t Serial;
  };
  std::vector<Entry> Entries;
  size_t Top = 0;  // entries below are done, from it on undone
  uint64_t LastSerial = 0;
};
