// MP3 encoding through LAME, and a WAV writer for listening to the mix.
#pragma once
#include <cstdint>
#include <vector>

// Encodes interleaved stereo floats at 44100 Hz as constant-bit-rate MP3
// with a LAME info frame first, so decoders drop the encoder's padding.
std::vector<uint8_t> EncodeMp3(const std::vector<float>& stereo, int kbps);

// The same samples as a 16-bit stereo WAV file image.
std::vector<uint8_t> EncodeWav(const std::vector<float>& stereo);
