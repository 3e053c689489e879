// Sounds for the music tests: 16-bit mono WAV files of given samples.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes the samples at rate frames a second to a file in /tmp named after
// the process and name; returns its path.
std::string WriteWavFile(const std::string& name, const std::vector<int16_t>& samples, int rate = 44100);
