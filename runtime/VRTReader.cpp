#include "runtime/VRTReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/SharedState.h"
#include "platform/Stream.h"
#include "runtime/TrackFormat.h"

namespace {
// Tracks larger than this (1 GiB of samples) are refused rather than allocated.
constexpr int64_t MaxTrackSamples = int64_t{1} << 28;
constexpr size_t HeaderSize = 12;

int32_t Int32At(const uint8_t* p) {
  return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24);
}

[[noreturn]] void Reject(const std::string& fileName, const std::string& reason) {
  throw ETrackError("Invalid parameter track " + fileName + ": " + reason);
}

// The shapes the channel block and Sample can take: 1 to 64 channels of at
// least one sample each.
void CheckShape(const std::string& fileName, int64_t channels, int64_t samples) {
  if (channels <= 0) Reject(fileName, "channel count " + std::to_string(channels) + " is not positive");
  if (channels > MaxTrackChannels)
    Reject(fileName, "channel count " + std::to_string(channels) + " exceeds " + std::to_string(MaxTrackChannels));
  if (samples <= 0) Reject(fileName, "sample count " + std::to_string(samples) + " is not positive");
  if (channels * samples > MaxTrackSamples)
    Reject(fileName, "sample count " + std::to_string(samples) + " is too large");
}
}  // namespace

TVRTReader::TVRTReader(const std::string& fileName) { LoadFromFile(fileName); }

void TVRTReader::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName);
  // Only the bytes the header promises are read: whatever follows the
  // samples is never looked at, however large the file.
  std::vector<uint8_t> bytes(HeaderSize);
  int64_t got = stream.Read(bytes.data(), static_cast<int64_t>(HeaderSize));
  if (got == static_cast<int64_t>(HeaderSize)) {
    const int64_t channels = Int32At(bytes.data()), samples = Int32At(bytes.data() + 4);
    if (channels > 0 && channels <= MaxTrackChannels && samples > 0 && channels * samples <= MaxTrackSamples) {
      const int64_t want = std::min<int64_t>(channels * samples * 4, stream.Size() - got);
      bytes.resize(HeaderSize + static_cast<size_t>(std::max<int64_t>(want, 0)));
      got += stream.Read(bytes.data() + HeaderSize, static_cast<int64_t>(bytes.size() - HeaderSize));
    }
  }
  LoadFromImage(bytes.data(), static_cast<size_t>(got), fileName);
}

void TVRTReader::LoadFromImage(const uint8_t* bytes, size_t size, const std::string& fileName) {
  if (size < HeaderSize) throw EReadError("Stream read error");
  const int32_t channels = Int32At(bytes);
  const int32_t samples = Int32At(bytes + 4);
  const int32_t rate = Int32At(bytes + 8);
  CheckShape(fileName, channels, samples);

  // Samples past the end of a cut-off image read as 0.0; a last sample cut
  // inside its four bytes takes the bytes that are there.
  std::vector<std::vector<float>> data(channels, std::vector<float>(samples, 0.0f));
  const size_t sampleBytes = std::min(size - HeaderSize, static_cast<size_t>(channels) * samples * 4);
  const uint8_t* in = bytes + HeaderSize;
  for (size_t at = 0; at < sampleBytes; at += 4) {
    uint8_t word[4] = {0, 0, 0, 0};
    std::memcpy(word, in + at, std::min<size_t>(4, sampleBytes - at));
    const uint32_t bits = static_cast<uint32_t>(Int32At(word));
    std::memcpy(&data[at / 4 / samples][at / 4 % samples], &bits, 4);
  }
  Data = std::move(data);
  Rate = rate;
}

void TVRTReader::LoadChannels(std::vector<std::vector<float>> data, int32_t rate, const std::string& source) {
  const int64_t samples = data.empty() ? 0 : static_cast<int64_t>(data[0].size());
  CheckShape(source, static_cast<int64_t>(data.size()), samples);
  for (size_t c = 1; c < data.size(); ++c)
    if (static_cast<int64_t>(data[c].size()) != samples)
      Reject(source, "channel " + std::to_string(c) + " has " + std::to_string(data[c].size()) + " samples, not " +
                         std::to_string(samples));
  Data = std::move(data);
  Rate = rate;
}

void TVRTReader::Sample(float time) {
  SceneTime = time;
  float p = static_cast<float>(static_cast<long double>(time) / 60 * Rate * TrackSamplesPerRateUnit);
  // Positions far outside the track clamp like any other position past its ends;
  // a NaN time samples the start.
  int64_t i = 0;
  if (p >= 9.0e18f)
    i = INT64_C(9000000000000000000);
  else if (p <= -9.0e18f)
    i = -INT64_C(9000000000000000000);
  else if (!std::isnan(p))
    i = static_cast<int64_t>(p);
  float f = static_cast<float>(static_cast<long double>(p) - i);
  int64_t n = static_cast<int64_t>(Data[0].size()) - 1;
  auto clamp = [n](int64_t k) { return k > n ? n : (k < 0 ? 0 : k); };
  int64_t before = clamp(i - 1), at = clamp(i), after = clamp(i + 1);
  if (p > n) RunEnded = true;
  for (size_t c = 0; c < Data.size(); ++c) {
    const std::vector<float>& d = Data[c];
    Channels[c] = CubicInterpolate(d[before], d[at], d[after], d[at], f);
  }
}

double TVRTReader::EndTime() const {
  if (Rate <= 0 || Data.empty()) return -1;
  return static_cast<double>(Data[0].size() - 1) * 60 / (double{TrackSamplesPerRateUnit} * Rate);
}

float CubicInterpolate(float y0, float y1, float y2, float y3, float mu) {
  // An inactive sample stays so, without the arithmetic: the FPU's extended
  // precision takes a slow path for every operation on a NaN, and most
  // channels are inactive most of the time.
  if (std::isnan(y1)) return y1;
  if (std::isnan(y2)) y2 = y1;
  if (std::isnan(y0)) y0 = y1;
  if (std::isnan(y3)) y3 = y2;
  using ext = long double;
  float a0 = static_cast<float>((ext{y3} - y2) - (ext{y0} - y1));
  float a1 = static_cast<float>((ext{y0} - y1) - a0);
  float a2 = static_cast<float>(ext{y2} - y0);
  ext m = mu;
  return static_cast<float>(a0 * m * m * m + a1 * m * m + a2 * m + y1);
}
