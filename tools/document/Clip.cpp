#include "Clip.h"

#include <algorithm>

std::vector<BlockKey> KeysIn(const Timeline& read, const KeyBlock& block) {
  std::vector<BlockKey> found;
  const int last = std::min(block.LastChannel, static_cast<int>(read.Channels.size()) - 1);
  for (int c = std::max(block.FirstChannel, 0); c <= last; ++c) {
    const std::vector<Key>& keys = read.Channels[c];
    for (size_t k = KeysBefore(keys, block.FirstRow); k < keys.size() && keys[k].Row <= block.LastRow; ++k)
      found.push_back(BlockKey{c, &keys[k]});
  }
  return found;
}
