// For the fuzz targets of stream readers: the input's first byte says how
// many of the following bytes are piece sizes; the rest is the stream, fed
// in pieces of those sizes (cycled, 0 allowed; once only empty pieces could
// be left, the rest at once).
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>

struct PiecedInput {
  const uint8_t* Sizes = nullptr;
  size_t SizeCount = 0;
  const uint8_t* Stream = nullptr;
  size_t StreamSize = 0;
};

inline PiecedInput SplitPieces(const uint8_t* data, size_t size) {
  PiecedInput in;
  if (size == 0) return in;
  in.SizeCount = std::min<size_t>(data[0], size - 1);
  in.Sizes = data + 1;
  in.Stream = in.Sizes + in.SizeCount;
  in.StreamSize = size - 1 - in.SizeCount;
  return in;
}

// Calls feed(bytes, count) for each piece in order, while it returns true.
template <class Feed>
void FeedPieces(const PiecedInput& in, Feed feed) {
  size_t fed = 0;
  for (size_t piece = 0; fed < in.StreamSize; ++piece) {
    const size_t want = in.SizeCount == 0 || piece > in.StreamSize + 1 ? in.StreamSize : in.Sizes[piece % in.SizeCount];
    const size_t n = std::min(want, in.StreamSize - fed);
    const bool more = feed(in.Stream + fed, n);
    fed += n;
    if (!more) return;
  }
}
