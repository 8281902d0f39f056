// A press seen by the next frame's held-button reading once, and only by that frame.
#include "shell/button_latch.h"

#include <gtest/gtest.h>

namespace isora {
namespace {

TEST(ButtonLatch, APressBetweenFramesIsHeldForOneReading) {
  ButtonLatch latch;
  EXPECT_FALSE(latch.Held(LatchedButton::kLeft, false));
  latch.Press(LatchedButton::kLeft);
  EXPECT_FALSE(latch.Held(LatchedButton::kRight, false));  // each button on its own
  EXPECT_TRUE(latch.Held(LatchedButton::kLeft, false));
  EXPECT_FALSE(latch.Held(LatchedButton::kLeft, false));
  // A button really held reads held whatever the latch says.
  EXPECT_TRUE(latch.Held(LatchedButton::kLeft, true));
  // A frame that did not read the buttons drops what was latched.
  latch.Press(LatchedButton::kRight);
  latch.Clear();
  EXPECT_FALSE(latch.Held(LatchedButton::kRight, false));
}

}  // namespace
}  // namespace isora
