#include "scenes/Beat.h"

#include <cmath>
#include <numbers>

#include "platform/SharedState.h"

float BeatTime = 0;
bool BeatFlag = false;
float BeatRandom = 1.0f;

float BeatWave(float k) {
  using ext = long double;
  return static_cast<float>(std::sin(2 * std::numbers::pi_v<ext> * k * SceneTime * BPM / 60));
}

void UpdateBeat() {
  const float beatLength = 60 / BPM;
  BeatTime += FrameDelta;
  if (BeatTime > beatLength) {
    BeatFlag = true;
    BeatTime -= beatLength;
  }
}

void ResetBeat() {
  BeatTime = 0;
  BeatFlag = false;
  BeatRandom = 1.0f;
}
