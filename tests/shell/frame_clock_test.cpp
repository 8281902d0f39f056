#include "shell/frame_clock.h"

#include <gtest/gtest.h>

namespace isora {
namespace {

TEST(FrameClock, AFrameIsDueOnlyAfterMoreThanFortyMilliseconds) {
  FrameClock clock;
  EXPECT_FALSE(clock.FrameDue(40));
  ASSERT_TRUE(clock.FrameDue(41));
  clock.FrameRan(41);
  EXPECT_FALSE(clock.FrameDue(81));
  EXPECT_TRUE(clock.FrameDue(82));
  EXPECT_EQ(clock.FramesRun(), 1);
}

TEST(FrameClock, FramesPerSecondIsTheLastWholeSecondsCount) {
  FrameClock clock;
  uint32_t now = 0;
  for (int i = 0; i < 25; ++i) {
    now += 41;
    clock.Tick(now);
    clock.FrameRan(now);
  }
  // The second closed at 1,025 ms held the 24 frames before it; the next one starts there.
  EXPECT_EQ(clock.FramesPerSecond(), 24);
  clock.Tick(now + 1000);
  EXPECT_EQ(clock.FramesPerSecond(), 24);
  clock.Tick(now + 1001);
  EXPECT_EQ(clock.FramesPerSecond(), 1);
  EXPECT_EQ(clock.FramesRun(), 25);
}

}  // namespace
}  // namespace isora
