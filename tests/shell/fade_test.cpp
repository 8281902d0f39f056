// The fade's timing: fades out and in take eight frames, a held picture fades in, stays and
// fades out, and a click only cuts a held picture's fade in short.
#include "shell/fade.h"

#include <gtest/gtest.h>

namespace isora {
namespace {

int FramesUntilDone(Fade& fade, int limit = 500) {
  int frames = 0;
  while (frames < limit) {
    ++frames;
    if (fade.Advance()) return frames;
  }
  return -1;
}

TEST(Fade, OutAndInTakeEightFramesAndSetThePhase) {
  Fade fade;
  EXPECT_EQ(fade.Phase(), FadePhase::kDark);
  fade.Start(true, ModePlay);
  EXPECT_EQ(fade.Kind(), FadeKind::kOut);
  EXPECT_EQ(fade.Level(), 0);
  EXPECT_EQ(FramesUntilDone(fade), 8);
  EXPECT_EQ(fade.Level(), 32);
  EXPECT_EQ(fade.Phase(), FadePhase::kDark);
  EXPECT_EQ(fade.Target(), ModePlay);

  fade.Start(false, ModeMainMenu);
  EXPECT_EQ(fade.Kind(), FadeKind::kIn);
  EXPECT_EQ(fade.Level(), Fade::kBlack);
  EXPECT_EQ(FramesUntilDone(fade), 8);
  EXPECT_TRUE(fade.Shown());
  EXPECT_TRUE(fade.Rising());
  EXPECT_EQ(fade.Target(), ModeMainMenu);
  // A fade out afterwards leaves the screen dark again.
  fade.Start(true, ModeCredits);
  EXPECT_EQ(FramesUntilDone(fade), 8);
  EXPECT_FALSE(fade.Shown());
}

TEST(Fade, HeldPictureFadesInStaysAndFadesOut) {
  Fade fade;
  const Rect part{0, 0, 320, 200};
  fade.StartPicture(part, ModeSplash);
  EXPECT_EQ(fade.Kind(), FadeKind::kPictureHold);
  EXPECT_EQ(fade.Source(), part);
  // Eight frames to clear, then from -160 up by 4 to 51 or more: 53 frames.
  for (int i = 0; i < 8; ++i) EXPECT_FALSE(fade.Advance()) << i;
  EXPECT_EQ(fade.Level(), Fade::kHoldStart);
  EXPECT_TRUE(fade.Rising());
  EXPECT_FALSE(fade.Shown());
  EXPECT_EQ(FramesUntilDone(fade), 53);
  EXPECT_GE(fade.Level(), Fade::kHoldEnd);
  EXPECT_EQ(fade.Phase(), FadePhase::kDark);
}

TEST(Fade, ClickSkipsOnlyAHeldPicturesFadeIn) {
  Fade fade;
  fade.StartPicture(kScreenRect, ModeSplash);
  fade.Advance();
  fade.SkipPictureFadeIn();
  EXPECT_EQ(fade.Level(), 0);
  EXPECT_FALSE(fade.Advance());
  EXPECT_EQ(fade.Level(), Fade::kHoldStart);
  // Once held, a click changes nothing.
  fade.SkipPictureFadeIn();
  EXPECT_EQ(fade.Level(), Fade::kHoldStart);

  fade.Start(false, ModePlay);
  fade.SkipPictureFadeIn();
  EXPECT_EQ(fade.Level(), Fade::kBlack);
  fade.Start(true, ModePlay);
  fade.Advance();
  fade.SkipPictureFadeIn();
  EXPECT_EQ(fade.Level(), Fade::kStep);
}

TEST(Fade, ATargetKeptAsTheModeToReturnToSurvivesUntilTheNextFade) {
  Fade fade;
  fade.SetTarget(ModeBossKey);
  EXPECT_EQ(fade.Target(), ModeBossKey);
  fade.MarkShown();
  EXPECT_TRUE(fade.Shown());
  fade.Start(true, ModeGameOver);
  EXPECT_EQ(fade.Target(), ModeGameOver);
  EXPECT_EQ(fade.Source(), kScreenRect);
}

}  // namespace
}  // namespace isora
