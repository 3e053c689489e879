// A block of keys (rows by channels) as an editor selects it, the keys in
// one, and the keys of one copied out, to be pasted elsewhere.
#pragma once
#include <vector>

#include "Timeline.h"

// Channels FirstChannel to LastChannel, rows FirstRow to LastRow, both ends in.
struct KeyBlock {
  int FirstChannel, LastChannel;
  int FirstRow, LastRow;
  bool Holds(int channel, int row) const {
    return channel >= FirstChannel && channel <= LastChannel && row >= FirstRow && row <= LastRow;
  }
};

// The keys of a block as a timeline reads, channel by channel in row order.
struct BlockKey {
  int Channel;
  const Key* Found;
};
std::vector<BlockKey> KeysIn(const Timeline& read, const KeyBlock& block);

struct Clip {
  int Channels = 0, Rows = 0;  // the block's size
  struct Entry {
    int Channel, Row;  // from the block's first channel and row
    float Value;
    Shape Curve;
  };
  std::vector<Entry> Keys;  // by channel, then row
};
