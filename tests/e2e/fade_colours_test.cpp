// The whole fade path (the fade's levels, the saved picture, the format of the moment, the
// kernel) is checked on the demo's own splash fades, frame by frame, in both pixel formats: the
// classic fade subtracts the level from each channel (twice from 5-6-5's green) and leaves key
// pixels; scaled fades keep each colour's hue, since subtracting turned orange glows red and
// blue skies black before the rest.
#include <algorithm>
#include <tuple>

#include "e2e/demo_session.h"
#include "foundation/enhancements.h"

namespace isora::e2e {
namespace {

struct Channels {
  int r, g, b;
};

Channels Split(uint16_t p, PixelFormat f) {
  if (f == PixelFormat::Rgb565) return {p >> 11, (p >> 5) & 63, p & 31};
  return {(p >> 10) & 31, (p >> 5) & 31, p & 31};
}

class FadeColours : public ::testing::TestWithParam<std::tuple<PixelFormat, bool>> {};

TEST_P(FadeColours, EveryFadeFrameIsThePictureDarkenedByItsLevel) {
  const auto [format, scaled] = GetParam();
  DemoSession s(format);
  ASSERT_TRUE(s.ok);
  Enhancements switches = Enhanced();
  switches.Set(Enhancement::kScaledFades, scaled);
  SetEnhanced(switches);
  const uint16_t key = ColorKeyFor(format);
  const int greenStep = format == PixelFormat::Rgb565 ? 2 : 1;
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
        const uint16_t pixel = saved.At(source.left + x, source.top + y);
        if (pixel == key) continue;
        const Channels in = Split(pixel, format);
        const Channels out = Split(back.At(ox + x, oy + y), format);
        const Channels want =
            scaled ? Channels{(in.r * keep + 15) / 31, (in.g * keep + 15) / 31,
                              (in.b * keep + 15) / 31}
                   : Channels{std::max(in.r - level, 0), std::max(in.g - greenStep * level, 0),
                              std::max(in.b - level, 0)};
        wrong += out.r != want.r || out.g != want.g || out.b != want.b;
      }
    EXPECT_EQ(wrong, 0) << "level " << level;
  }
  EXPECT_GE(framesChecked, 20);
  EXPECT_NE(levelsSeen, 0);
}

INSTANTIATE_TEST_SUITE_P(BothFormatsBothFades, FadeColours,
                         ::testing::Combine(::testing::Values(PixelFormat::Rgb565,
                                                              PixelFormat::Rgb555),
                                            ::testing::Bool()));

}  // namespace
}  // namespace isora::e2e
