// The one GL test fixture: a hidden 800 x 600 window with a current GL
// context on SDL's offscreen driver, made once per test program and shared.
// When it cannot be made, every test of the fixture fails with the reason,
// before its body runs; a subclass's SetUp returns at once after
// GLTest::SetUp() when HasFatalFailure().
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

class GLTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  // Whether the window and its context were made.
  static bool GLReady();
  void SetUp() override;
  void TearDown() override;

  // RGBA bytes of the frame, bottom row first.
  static std::vector<uint8_t> ReadPixels(int x, int y, int w, int h);
  static void ReadMatrix(unsigned which, double out[16]);
  // Level 0 of the bound 2D texture as RGBA bytes, with its size.
  static std::vector<uint8_t> BoundTexels(int& width, int& height);
};
