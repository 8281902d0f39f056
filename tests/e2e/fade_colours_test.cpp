// Splash and menu fades turned orange glows red and blue skies black before the rest: the whole
// path (the fade's levels, the saved picture, the format of the moment, the kernel) is checked
// on the demo's own splash fades, frame by frame, in both pixel formats.
#include "e2e/demo_session.h"

namespace isora::e2e {
namespace {

struct Channels {
  int r, g, b;
};

Channels Split(uint16_t p, PixelFormat f) {
  if (f == PixelFormat::Rgb565) return {p >> 11, (p >> 5) & 63, p & 31};
  return {(p >> 10) & 31, (p >> 5) & 31, p & 31};
}

class FadeColours : public ::testing::TestWithParam<PixelFormat> {};

TEST_P(FadeColours, EveryFadeFrameIsThePictureScaledEvenlyTowardBlack) {
  const PixelFormat format = GetParam();
  DemoSession s(format);
  ASSERT_TRUE(s.ok);
  const Surface& back = *s.game->GetRenderer().GetSurface(kSurfaceBackBuffer);
  const Surface& saved = *s.game->GetRenderer().GetSurface(kSurfaceTemp);
  int framesChecked = 0, levelsSeen = 0;
  for (int frame = 0; frame < 200 && framesChecked < 40; ++frame) {
    const bool fading = s.game->Mode() == ModeFade;
    const int level = s.game->Fading().Level();
    const Rect source = s.game->Fading().Source();
    s.Step();
    if (!fading || level <= 0 || level >= 31) continue;
    ++framesChecked;
    levelsSeen |= 1 << (level % 31);
    const int keep = 31 - level;
    const int ox = (kScreenWidth - source.Width()) / 2, oy = (kScreenHeight - source.Height()) / 2;
    int wrong = 0;
    for (int y = 0; y < source.Height(); y += 3)
      for (int x = 0; x < source.Width(); x += 3) {
        const Channels in = Split(saved.At(source.left + x, source.top + y), format);
        const Channels out = Split(back.At(ox + x, oy + y), format);
        wrong += out.r != (in.r * keep + 15) / 31 || out.g != (in.g * keep + 15) / 31 ||
                 out.b != (in.b * keep + 15) / 31;
      }
    EXPECT_EQ(wrong, 0) << "level " << level;
  }
  EXPECT_GE(framesChecked, 20);
  EXPECT_NE(levelsSeen, 0);
}

INSTANTIATE_TEST_SUITE_P(BothFormats, FadeColours,
                         ::testing::Values(PixelFormat::Rgb565, PixelFormat::Rgb555));

}  // namespace
}  // namespace isora::e2e
