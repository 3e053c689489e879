// A short MP3 made with LAME, so the tests can check that the music's file
// format is decoded.
#include <lame/lame.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

bool WriteSineMp3(const std::string& path, double seconds) {
  lame_global_flags* lame = lame_init();
  if (lame == nullptr) return false;
  lame_set_num_channels(lame, 1);
  lame_set_in_samplerate(lame, 44100);
  lame_set_mode(lame, MONO);
  lame_set_brate(lame, 64);
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    return false;
  }
  const int count = static_cast<int>(44100 * seconds);
  std::vector<short> pcm(count);
  for (int k = 0; k < count; ++k) pcm[k] = static_cast<short>(8000 * std::sin(k * 2 * M_PI * 440 / 44100));
  std::vector<unsigned char> out(count * 5 / 4 + 7200 + 7200);
  int size = lame_encode_buffer(lame, pcm.data(), pcm.data(), count, out.data(), static_cast<int>(out.size()));
  if (size >= 0) size += lame_encode_flush(lame, out.data() + size, static_cast<int>(out.size()) - size);
  lame_close(lame);
  if (size <= 0) return false;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  std::fwrite(out.data(), 1, static_cast<size_t>(size), f);
  std::fclose(f);
  return true;
}
