#include "media/surface.h"

#include <gtest/gtest.h>

namespace isora {
namespace {

Surface Pattern(int w, int h) {
  Surface s(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s.Set(x, y, static_cast<uint16_t>(y * 100 + x + 1));
  return s;
}

TEST(PixelFormatTest, MagentaIsTheKeyInBothFormats) {
  EXPECT_EQ(PackPixel(PixelFormat::Rgb565, 255, 0, 255), kColorKey565);
  EXPECT_EQ(PackPixel(PixelFormat::Rgb555, 255, 0, 255), kColorKey555);
  EXPECT_EQ(ColorRefToPixel(PixelFormat::Rgb565, MakeColorRef(255, 0, 255)), 0xF81F);
  // Reading the key back gives 0xFF00FF, the value the game compares with.
  EXPECT_EQ(PixelToColorRef(PixelFormat::Rgb565, 0xF81F), 0xFF00FFu);
  EXPECT_EQ(PixelToColorRef(PixelFormat::Rgb555, 0x7C1F), 0xFF00FFu);
  EXPECT_EQ(PixelToColorRef(PixelFormat::Rgb565, 0xFFFF), 0xFFFFFFu);
  EXPECT_EQ(PixelToColorRef(PixelFormat::Rgb565, 0x07E0), 0x00FF00u);
  EXPECT_EQ(ColorRefToPixel(PixelFormat::Rgb565, 0x0000FF), 0xF800);  // COLORREF red
  EXPECT_EQ(PixelMasksFor(PixelFormat::Rgb565), 0x07E0F81Fu);
  EXPECT_EQ(PixelMasksFor(PixelFormat::Rgb555), 0x03E07C1Fu);
}

TEST(SurfaceTest, PlainBlitCopiesTheRectangle) {
  Surface src = Pattern(20, 10);
  Surface dst(30, 30);
  EXPECT_TRUE(dst.BltFast(5, 7, src, Rect{2, 3, 12, 8}, kBltNoColorKey));
  EXPECT_EQ(dst.At(5, 7), src.At(2, 3));
  EXPECT_EQ(dst.At(14, 11), src.At(11, 7));
  EXPECT_EQ(dst.At(15, 7), 0);  // right of the copy
  EXPECT_EQ(dst.At(5, 12), 0);  // below
  EXPECT_EQ(dst.At(4, 7), 0);
}

TEST(SurfaceTest, KeyedBlitSkipsKeyPixelsAtEveryRowLength) {
  // Lengths around the 8-pixel vector width exercise both the vector body and the tail.
  for (int w : {1, 7, 8, 9, 16, 23, 640}) {
    Surface src(w, 2), dst(w, 2);
    src.SetColorKey(kColorKey565);
    for (int x = 0; x < w; ++x) {
      src.Set(x, 0, x % 3 == 0 ? kColorKey565 : static_cast<uint16_t>(x + 1));
      dst.Set(x, 0, 0x1234);
    }
    dst.BltFast(0, 0, src, src.Bounds(), kBltSrcColorKey);
    for (int x = 0; x < w; ++x)
      ASSERT_EQ(dst.At(x, 0), x % 3 == 0 ? 0x1234 : x + 1) << "width " << w << " x " << x;
  }
}

TEST(SurfaceTest, KeyFlagWithoutSourceKeyCopiesEverything) {
  Surface src(4, 1), dst(4, 1);
  src.Fill(kColorKey565);
  dst.BltFast(0, 0, src, src.Bounds(), kBltSrcColorKey);
  EXPECT_EQ(dst.At(0, 0), kColorKey565);
}

TEST(SurfaceTest, BlitsAreClippedOnBothSides) {
  Surface src = Pattern(10, 10);
  Surface dst(8, 8);
  // Destination off the top-left: the source moves by the same amount.
  EXPECT_TRUE(dst.BltFast(-3, -2, src, Rect{0, 0, 10, 10}, kBltNoColorKey));
  EXPECT_EQ(dst.At(0, 0), src.At(3, 2));
  EXPECT_EQ(dst.At(6, 7), src.At(9, 9));
  EXPECT_EQ(dst.At(7, 7), 0);
  // Source rectangle reaching outside its surface.
  Surface d2(20, 20);
  EXPECT_TRUE(d2.BltFast(0, 0, src, Rect{-2, -2, 4, 4}, kBltNoColorKey));
  EXPECT_EQ(d2.At(2, 2), src.At(0, 0));
  EXPECT_EQ(d2.At(0, 0), 0);
  // Entirely outside.
  EXPECT_FALSE(dst.BltFast(100, 100, src, src.Bounds(), kBltNoColorKey));
  EXPECT_FALSE(dst.BltFast(0, 0, src, Rect{5, 5, 5, 9}, kBltNoColorKey));
}

TEST(SurfaceTest, OverlappingCopyWithinOneSurface) {
  Surface s = Pattern(10, 10);
  Surface orig = Pattern(10, 10);
  s.BltFast(1, 1, s, Rect{0, 0, 5, 5}, kBltNoColorKey);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) ASSERT_EQ(s.At(x + 1, y + 1), orig.At(x, y));
}

TEST(SurfaceTest, FillIsClippedAndPixelAccessIsBounded) {
  Surface s(10, 10);
  s.Fill(Rect{-5, 8, 3, 20}, 0xABCD);
  EXPECT_EQ(s.At(0, 8), 0xABCD);
  EXPECT_EQ(s.At(2, 9), 0xABCD);
  EXPECT_EQ(s.At(3, 9), 0);
  EXPECT_EQ(s.At(0, 7), 0);
  s.Set(-1, 0, 1);
  s.Set(10, 0, 1);
  EXPECT_EQ(s.At(-1, 0), 0);
  EXPECT_GE(s.Pitch(), s.Width());
}

}  // namespace
}  // namespace isora
