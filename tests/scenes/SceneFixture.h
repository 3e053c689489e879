// The GL fixture with the demo's content loaded once from the staged run
// directory, the beat state and the channels reset for every test, and
// read-back helpers that look at the frame between the letterbox bars.
#pragma once
#include <cstdint>
#include <vector>

#include "support/GLFixture.h"

class SceneTest : public GLTest {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Every channel inactive but those given a value.
  static void OnlyChannel(int channel, float value);
  // Pixels of the picture area (rows 75 to 524) that are not black.
  static int LitPixelsBetweenBars();
  // Whether rows [first, first + count) are all exactly black.
  static bool RowsBlack(int first, int count);
  static std::vector<uint8_t> Frame() { return ReadPixels(0, 0, 800, 600); }
};
