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

TEST(FrameClock, TheWaitUntilTheNextFrameEndsWhenItIsDue) {
  FrameClock clock;
  clock.FrameRan(100);
  EXPECT_EQ(clock.MsUntilDue(100), 41u);
  EXPECT_EQ(clock.MsUntilDue(130), 11u);
  // Waiting exactly that long makes the frame due: no frame is lost to a short wait.
  EXPECT_TRUE(clock.FrameDue(130 + clock.MsUntilDue(130)));
  EXPECT_FALSE(clock.FrameDue(130 + clock.MsUntilDue(130) - 1));
  EXPECT_EQ(clock.MsUntilDue(141), 0u);
  EXPECT_EQ(clock.MsUntilDue(5000), 0u);
  // A tick count that went back never asks for more than one frame's wait.
  EXPECT_EQ(clock.MsUntilDue(50), 41u);
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
