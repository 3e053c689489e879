// The frame timer on a fake counter whose ticks the test sets.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/Clock.h"
#include "runtime/Timer.h"

namespace {
int64_t FakeFrequency = 1000000;
int64_t FakeTicks = 0;
uint32_t FakeMilliseconds = 0;
// Each reading may advance the fake clock, like time passing between calls.
int64_t StepPerReading = 0;

int64_t Frequency() { return FakeFrequency; }
int64_t Counter() {
  int64_t now = FakeTicks;
  FakeTicks += StepPerReading;
  return now;
}
uint32_t Ticks() { return FakeMilliseconds; }

const CounterSource Fake{Frequency, Counter, Ticks};

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeFrequency = 1000000;
    FakeTicks = 0;
    FakeMilliseconds = 0;
    StepPerReading = 0;
    SetCounterSource(&Fake);
  }
  void TearDown() override { SetCounterSource(nullptr); }
};
}  // namespace

TEST_F(TimerTest, ChoosesItsSource) {
  TETimer high;
  EXPECT_TRUE(high.HighResolution);
  EXPECT_DOUBLE_EQ(high.SecondsPerTick, 1e-6);
  FakeFrequency = 0;
  TETimer low;
  EXPECT_FALSE(low.HighResolution);
  EXPECT_DOUBLE_EQ(low.SecondsPerTick, 0.001);
}

TEST_F(TimerTest, ElapsedAndDeltaSpanTheRightReadings) {
  TETimer timer;
  timer.Start();
  FakeTicks = 250000;  // 0.25 s
  float t1 = timer.Elapsed();
  EXPECT_FLOAT_EQ(t1, 0.25f);
  EXPECT_FLOAT_EQ(timer.Delta, 0.25f);
  FakeTicks = 270000;
  float t2 = timer.Elapsed();
  EXPECT_FLOAT_EQ(t2, 0.27f);
  EXPECT_FLOAT_EQ(timer.Delta, 0.02f);
}

TEST_F(TimerTest, DeltaRunsFromTheLastReadingOfThePreviousFrame) {
  StepPerReading = 10;  // 10 us between readings
  TETimer timer;
  timer.Start();  // readings at 0 (start) and 10 (rate window)
  float t = timer.Elapsed();  // readings 20, 30, 40 (last frame), 50
  EXPECT_FLOAT_EQ(t, 20e-6f);
  EXPECT_FLOAT_EQ(timer.Delta, 30e-6f);
  timer.Elapsed();  // readings 60, 70: delta from 40 to 70
  EXPECT_FLOAT_EQ(timer.Delta, 30e-6f);
}

TEST_F(TimerTest, FramesPerSecondCountsTheCallsOfEachWindow) {
  TETimer timer;
  timer.Start();
  for (int k = 1; k <= 9; ++k) {
    FakeTicks = k * 100000;
    timer.Elapsed();
  }
  EXPECT_EQ(timer.FramesPerSecond, 0) << "exactly one second is not more than one";
  FakeTicks = 1000000;
  timer.Elapsed();
  EXPECT_EQ(timer.FramesPerSecond, 0);
  FakeTicks = 1000001;
  timer.Elapsed();
  EXPECT_EQ(timer.FramesPerSecond, 11);
  EXPECT_EQ(timer.FrameCount, 0);
}

TEST_F(TimerTest, TickCountAdvancesInMilliseconds) {
  FakeFrequency = 0;
  FakeMilliseconds = 5000;
  TETimer timer;
  timer.Start();
  FakeMilliseconds = 5001;
  EXPECT_FLOAT_EQ(timer.Elapsed(), 0.001f);
  timer.Elapsed();
  EXPECT_EQ(timer.Delta, 0.0f) << "frames shorter than a tick have no duration";
  FakeMilliseconds = 5017;
  timer.Elapsed();
  EXPECT_FLOAT_EQ(timer.Delta, 0.016f);
}

TEST_F(TimerTest, TickCountWrapDoesNotJumpBack) {
  FakeFrequency = 0;
  FakeMilliseconds = 0xFFFFFFF0u;
  TETimer timer;
  timer.Start();
  FakeMilliseconds = 0x10;  // 32 ms later, across the wrap
  EXPECT_FLOAT_EQ(timer.Elapsed(), 0.032f);
}

TEST_F(TimerTest, LongUptimeGivesTheSameDeltasAsAFreshMachine) {
  auto deltas = [](int64_t origin) {
    FakeTicks = origin;
    TETimer timer;
    timer.Start();
    std::vector<float> out;
    for (int k = 1; k <= 5; ++k) {
      FakeTicks = origin + k * 16667;  // 60 frames a second
      timer.Elapsed();
      out.push_back(timer.Delta);
    }
    out.push_back(timer.Elapsed());
    return out;
  };
  // 2^40 microsecond ticks is about 12.7 days of uptime.
  EXPECT_EQ(deltas(0), deltas(int64_t{1} << 40));
  EXPECT_FLOAT_EQ(deltas(int64_t{1} << 40)[0], 0.016667f);
}
