#include "media/window_frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace isora {
namespace {

struct ChangeCase {
  const char* what;
  std::vector<Point> changed;
  std::vector<Rect> sent;
};

TEST(ShownFrame, SendsTheBandsThatChangedAndKeepsTheFrame) {
  std::vector<Point> manyBands;
  for (int i = 0; i <= ShownFrame::kMostRects; ++i) manyBands.push_back({i, i * 20});
  const ChangeCase cases[] = {
      {"nothing", {}, {}},
      {"the first pixel", {{0, 0}}, {{0, 0, 1, 1}}},
      {"the last pixel", {{639, 479}}, {{639, 479, 640, 480}}},
      {"two columns of a row", {{5, 9}, {600, 9}}, {{5, 9, 601, 10}}},
      {"rows close enough to share", {{10, 100}, {20, 108}}, {{10, 100, 21, 109}}},
      {"rows too far apart", {{10, 100}, {20, 109}}, {{10, 100, 11, 101}, {20, 109, 21, 110}}},
      {"too many bands", manyBands, {{0, 0, ShownFrame::kMostRects + 1, 321}}},
  };
  for (const ChangeCase& c : cases) {
    SCOPED_TRACE(c.what);
    Surface frame(640, 480);
    frame.Fill(0x1234);
    ShownFrame shown;
    EXPECT_EQ(shown.Take(frame), std::vector<Rect>{frame.Bounds()});
    for (const Point& p : c.changed) frame.Set(p.x, p.y, 0x4321);
    EXPECT_EQ(shown.Take(frame), c.sent);
    for (const Point& p : c.changed) EXPECT_EQ(shown.Row(p.y)[p.x], 0x4321);
  }
}

TEST(ShownFrame, TakesTheWholeFrameWhenTheOneShownIsGone) {
  Surface frame(640, 480), other(640, 480, PixelFormat::Rgb555), small(320, 240);
  ShownFrame shown;
  shown.Take(frame);
  EXPECT_EQ(shown.Take(other), std::vector<Rect>{other.Bounds()});
  EXPECT_EQ(shown.Take(small), std::vector<Rect>{small.Bounds()});
  shown.Forget();
  EXPECT_EQ(shown.Take(small), std::vector<Rect>{small.Bounds()});
  EXPECT_TRUE(shown.Take(small).empty());
}

TEST(ExpandRowTo8888, EveryPixelOfBothFormatsAsUnpacked) {
  // Rows of 19: two vector steps and a tail, at every offset of the 65,536 values.
  std::vector<uint16_t> in(65536 + 19);
  for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<uint16_t>(i);
  std::vector<uint32_t> out(in.size());
  for (PixelFormat f : {PixelFormat::Rgb565, PixelFormat::Rgb555}) {
    for (size_t i = 0; i < 65536; i += 19) ExpandRowTo8888(&in[i], &out[i], 19, f);
    for (size_t i = 0; i < 65536; ++i) {
      const Rgb8 c = UnpackPixel(f, in[i]);
      ASSERT_EQ(out[i], 0xFF000000u | c.r << 16 | c.g << 8 | c.b) << i;
    }
  }
}

TEST(WindowFit, WindowSize3xIsClampedToTheDesktop) {
  const struct {
    int chosen, width, height, scale;
  } cases[] = {{3, 1280, 1024, 2}, {3, 1920, 1440, 3}, {4, 1919, 1440, 2}, {2, 1280, 959, 1},
               {4, 3840, 2160, 4}, {1, 3840, 2160, 1}, {2, 600, 400, 1},   {0, 1280, 1024, 1}};
  for (const auto& c : cases)
    EXPECT_EQ(FittingScale(c.chosen, c.width, c.height), c.scale) << c.chosen << " " << c.width;
}

TEST(WindowFit, TheScreenIsShownWholeAndCentredInAnyWindow) {
  EXPECT_EQ(ViewIn(1280, 1024, false), (Rect{0, 32, 1280, 992}));
  EXPECT_EQ(ViewIn(1366, 768, true), (Rect{363, 144, 1003, 624}));
  EXPECT_EQ(ViewIn(600, 400, true), (Rect{33, 0, 566, 400}));
}

}  // namespace
}  // namespace isora
