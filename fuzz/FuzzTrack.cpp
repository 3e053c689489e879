// libFuzzer target for the parameter track reader: any bytes are refused with
// the reader's own errors, or give 1 to 64 channels of one length that can be
// sampled at any time, including times far outside the track and NaN.
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/SharedState.h"
#include "platform/Stream.h"
#include "runtime/VRTReader.h"

namespace {
void Require(bool condition) {
  if (!condition) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A header the reader accepts for more than 2^16 samples only makes it
  // allocate and zero that many (a cut-off track reads as 0.0); such inputs
  // would spend the run on memset, so they are skipped.
  if (size >= 8) {
    int32_t shape[2];
    std::memcpy(shape, data, 8);
    const int64_t samples = int64_t{shape[0]} * shape[1];
    if (shape[0] > 0 && shape[0] <= 64 && shape[1] > 0 && samples > (int64_t{1} << 16) && samples <= (int64_t{1} << 28))
      return 0;
  }
  TVRTReader reader;
  try {
    reader.LoadFromImage(data, size, "fuzz.vrk");
  } catch (const ETrackError&) {
    return 0;
  } catch (const EReadError&) {
    Require(size < 12);
    return 0;
  }
  Require(!reader.Data.empty() && reader.Data.size() <= 64);
  for (const std::vector<float>& channel : reader.Data) Require(channel.size() == reader.Data[0].size());
  const double end = reader.EndTime();
  Require(end == -1 || end >= 0);
  // The first sample's bits double as a time to sample at.
  float own = 0;
  if (size >= 16) std::memcpy(&own, data + 12, 4);
  const float inf = std::numeric_limits<float>::infinity();
  for (float time : {0.0f, -1.0f, static_cast<float>(end), static_cast<float>(end) + 1, own, inf, -inf, std::nanf(""),
                     1e30f, -1e30f}) {
    reader.Sample(time);
    Require(SceneTime == time || std::isnan(time));
  }
  RunEnded = false;
  return 0;
}
