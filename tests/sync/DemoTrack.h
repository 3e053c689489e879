// A track as a demo synchronised by the Rocket library holds it: the keys
// it was sent, by row, and the value it computes from them at a row,
// written here from the library's rules (before the first key the first
// key's value, after the last the last one's, no keys 0; step holds, linear
// is t, smooth t^2 (3 - 2t), ramp t^2, t from one key's row to the next's).
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct DemoKey {
  float Value;
  int Shape;  // the interpolation number
};
using DemoTrack = std::map<int, DemoKey>;  // by row

double DemoValue(const DemoTrack& keys, double row);

// A player's track file (little-endian count, then row, value, shape a key)
// read as a demo reads it; false where its size does not match its count.
bool ReadDemoTrackFile(const std::string& bytes, DemoTrack& keys);
