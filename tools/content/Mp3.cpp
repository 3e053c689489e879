#include "Mp3.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "Synth.h"

namespace {

std::vector<int16_t> ToPcm(const std::vector<float>& stereo) {
  std::vector<int16_t> pcm(stereo.size());
  for (size_t i = 0; i < stereo.size(); ++i)
    pcm[i] = int16_t(std::lround(std::clamp(stereo[i], -1.0f, 1.0f) * 32767.0f));
  return pcm;
}

}  // namespace

std::vector<uint8_t> EncodeMp3(const std::vector<float>& stereo, int kbps) {
  std::vector<int16_t> pcm = ToPcm(stereo);
  lame_t lame = lame_init();
  if (!lame) throw std::runtime_error("LAME could not be set up");
  lame_set_in_samplerate(lame, SampleRate);
  lame_set_out_samplerate(lame, SampleRate);
  lame_set_num_channels(lame, 2);
  lame_set_mode(lame, JOINT_STEREO);
  lame_set_brate(lame, kbps);
  lame_set_quality(lame, 7);
  lame_set_bWriteVbrTag(lame, 1);
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    throw std::runtime_error("LAME refused its settings");
  }
  std::vector<uint8_t> out;
  const int frames = 8192;
  std::vector<unsigned char> buf(frames * 5 / 4 + 7200);
  size_t total = pcm.size() / 2;
  for (size_t at = 0; at < total; at += frames) {
    int n = int(std::min<size_t>(frames, total - at));
    int got = lame_encode_buffer_interleaved(lame, pcm.data() + at * 2, n, buf.data(), int(buf.size()));
    if (got < 0) {
      lame_close(lame);
      throw std::runtime_error("LAME failed to encode");
    }
    out.insert(out.end(), buf.begin(), buf.begin() + got);
  }
  int got = lame_encode_flush(lame, buf.data(), int(buf.size()));
  if (got > 0) out.insert(out.end(), buf.begin(), buf.begin() + got);
  // The first frame was left empty for the info frame; fill it in now that
  // the length and the encoder delay are known.
  size_t tag = lame_get_lametag_frame(lame, buf.data(), buf.size());
  if (tag > 0 && tag <= out.size()) std::memcpy(out.data(), buf.data(), tag);
  lame_close(lame);
  return out;
}

std::vector<uint8_t> EncodeWav(const std::vector<float>& stereo) {
  std::vector<int16_t> pcm = ToPcm(stereo);
  std::vector<uint8_t> out;
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
  };
  auto u16 = [&](uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
  };
  uint32_t bytes = uint32_t(pcm.size() * 2);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  u32(36 + bytes);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  u32(16);
  u16(1);
  u16(2);
  u32(SampleRate);
  u32(SampleRate * 4);
  u16(4);
  u16(16);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  u32(bytes);
  for (int16_t s : pcm) u16(uint16_t(s));
  return out;
}
