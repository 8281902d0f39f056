#include "media/span_image.h"

#include <gtest/gtest.h>

#include "lib/bmp_writer.h"
#include "lib/package_writer.h"
#include "media/bmp_reader.h"
#include "media/renderer.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

// A role-like picture: key all round, a figure with holes, runs touching both edges.
Surface Figure(int w, int h, uint32_t seed) {
  Surface s(w, h, PixelFormat::Rgb565);
  s.SetColorKey(kColorKey565);
  s.Fill(kColorKey565);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      seed = seed * 1103515245 + 12345;
      const bool body = (x - w / 2) * (x - w / 2) * 4 + (y - h / 2) * (y - h / 2) < w * h / 2;
      if (body && (seed >> 28) != 0) s.Set(x, y, static_cast<uint16_t>(seed >> 16 | 1));
    }
  for (int y = 0; y < h; y += 3) s.Set(0, y, 0x1234), s.Set(w - 1, y, 0x4321);
  return s;
}

Surface Pattern(int w, int h) {
  Surface s(w, h, PixelFormat::Rgb565);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s.Set(x, y, static_cast<uint16_t>(x * 31 + y * 7));
  return s;
}

TEST(SpanImage, DrawsTheSamePixelsAsAKeyedCopyWhereverItIsClipped) {
  const Surface figure = Figure(57, 73, 7);
  const SpanImage spans(figure);
  EXPECT_EQ(spans.Bounds(), figure.Bounds());
  for (auto [x, y] : {std::pair{10, 10},
                      {-20, 5},
                      {5, -30},
                      {150, 90},
                      {-56, -72},
                      {159, 119},
                      {-57, 0},
                      {160, 0},
                      {100, -73}}) {
    Surface expected = Pattern(160, 120), actual = Pattern(160, 120);
    expected.BltFast(x, y, figure, figure.Bounds(), kBltSrcColorKey);
    spans.DrawKeyed(actual, x, y);
    for (int py = 0; py < 120; ++py)
      for (int px = 0; px < 160; ++px)
        ASSERT_EQ(actual.At(px, py), expected.At(px, py))
            << x << "," << y << " at " << px << "," << py;
  }
  // On a surface that tracks ink the drawn part is marked, as a copy marks it.
  Surface layer(200, 200, PixelFormat::Rgb565);
  layer.SetColorKey(kColorKey565);
  layer.Fill(kColorKey565);
  layer.TrackInk();
  layer.FindInk();
  ASSERT_FALSE(layer.InkedAt(100, 100));
  spans.DrawKeyed(layer, 80, 70);
  EXPECT_TRUE(layer.InkedAt(80 + 28, 70 + 36));
  EXPECT_FALSE(layer.InkedAt(10, 10));
}

TEST(SpanImage, ExpandsToThePictureItWasMadeFromAndIsSmallerOnlyWhenMostlyKey) {
  const Surface figure = Figure(56, 72, 99);
  const SpanImage spans(figure);
  Surface out = Pattern(3, 3);  // reused whatever it held
  spans.Expand(&out);
  ASSERT_EQ(out.Width(), 56);
  ASSERT_EQ(out.Height(), 72);
  EXPECT_EQ(out.ColorKey(), kColorKey565);
  EXPECT_TRUE(out.TracksInk());
  for (int y = 0; y < 72; ++y)
    for (int x = 0; x < 56; ++x) ASSERT_EQ(out.At(x, y), figure.At(x, y)) << x << "," << y;
  EXPECT_TRUE(spans.SmallerThan(figure));
  // An opaque picture (as wide as its pitch) costs more as runs than as a surface.
  Surface solid = Pattern(64, 72);
  solid.SetColorKey(kColorKey565);
  EXPECT_FALSE(SpanImage(solid).SmallerThan(solid));
  // All key: nothing drawn, nothing to hold.
  Surface empty(8, 8, PixelFormat::Rgb565);
  empty.SetColorKey(kColorKey565);
  empty.Fill(kColorKey565);
  Surface dst = Pattern(8, 8);
  SpanImage(empty).DrawKeyed(dst, 0, 0);
  EXPECT_EQ(dst.At(3, 3), Pattern(8, 8).At(3, 3));
}

// Runs are found in blocks of pixels where a block is all key or all drawn: every mix of key and
// drawn pixels, at every width (blocks cut short at the right edge), in both formats, draws as a
// keyed copy does.
TEST(SpanImage, FindsEveryRunWhateverTheMixOfKeyAndDrawnPixels) {
  uint32_t seed = 17;
  for (PixelFormat f : {PixelFormat::Rgb565, PixelFormat::Rgb555}) {
    const uint16_t key = ColorKeyFor(f);
    for (int w = 1; w <= 21; ++w)
      for (int keyIn16 : {1, 8, 15}) {
        Surface s(w, 24, f);
        s.SetColorKey(key);
        for (int y = 0; y < 24; ++y)
          for (int x = 0; x < w; ++x) {
            seed = seed * 1103515245 + 12345;
            // Drawn pixels that differ from the key in one half only, as well as in both.
            const uint16_t drawn = (seed >> 20) % 3 == 0   ? static_cast<uint16_t>(key ^ 0x0100)
                                   : (seed >> 20) % 3 == 1 ? static_cast<uint16_t>(key ^ 0x0001)
                                                           : static_cast<uint16_t>(seed >> 8);
            s.Set(x, y, static_cast<int>((seed >> 24) % 16) < keyIn16 ? key : drawn);
          }
        // Drawn over a pattern, so that a key pixel taken into a run would show.
        Surface expected = Pattern(w, 24), actual = Pattern(w, 24);
        expected.BltFast(0, 0, s, s.Bounds(), kBltSrcColorKey);
        SpanImage(s).DrawKeyed(actual, 0, 0);
        for (int y = 0; y < 24; ++y)
          for (int x = 0; x < w; ++x)
            ASSERT_EQ(actual.At(x, y), expected.At(x, y))
                << w << " " << keyIn16 << " " << x << "," << y;
      }
  }
}

// Role frames kept as runs by the renderer: every way of drawing them gives the pixels of the
// picture decoded from its file, and the cache counts the smaller size.
class SpanPictureTest : public test::TempDirTest {
 protected:
  void SetUp() override {
    BmpImage frame = BmpImage::Filled(56, 72, 0xFF00FF);
    for (int y = 10; y < 60; ++y)
      for (int x = 15 + y % 3; x < 40; ++x)
        frame.Set(x, y, 0x0000FF * (x % 4) + 0x102000 * (y % 5));
    file_ = WriteBmp24(frame);
    PackageWriter role;
    ASSERT_TRUE(role.AddFile("walk.bmp", file_, false));
    test::WriteFile("role.epk", role.Build());
    ASSERT_TRUE(renderer_.Init());
    renderer_.SetPackPath(kPackRole, "role.epk");
    ASSERT_TRUE(DecodeBmp(file_, PixelFormat::Rgb565, &decoded_));
    decoded_.SetColorKey(kColorKey565);
  }
  Surface& Back() { return *renderer_.GetSurface(kSurfaceBackBuffer); }
  void ExpectSame(const Surface& a, const Surface& b) {
    for (int y = 0; y < a.Height(); ++y)
      for (int x = 0; x < a.Width(); ++x) ASSERT_EQ(a.At(x, y), b.At(x, y)) << x << "," << y;
  }
  Renderer renderer_;
  std::vector<uint8_t> file_;
  Surface decoded_;
};

TEST_F(SpanPictureTest, EveryDrawOfARunPictureMatchesTheDecodedFile) {
  ASSERT_EQ(renderer_.EnsureLoaded(kPackRole, "walk.bmp", true), 1);
  EXPECT_LT(renderer_.CacheMemory(), 56u * 72 * 2 / 2);  // well under a surface's size
  EXPECT_EQ(renderer_.PictureBytes(kPackRole, "walk.bmp", true), nullptr);
  EXPECT_EQ(renderer_.GetPictureSize(kPackRole, "walk.bmp"), (Size{56, 72}));

  Surface expected = Pattern(640, 480);
  expected.BltFast(-10, 300, decoded_, decoded_.Bounds(), kBltSrcColorKey);
  Back().BltFast(0, 0, Pattern(640, 480), kScreenRect, kBltNoColorKey);
  ASSERT_TRUE(renderer_.DrawPicture(kPackRole, "walk.bmp", kSurfaceBackBuffer, -10, 300, true));
  ExpectSame(Back(), expected);

  Back().BltFast(0, 0, Pattern(640, 480), kScreenRect, kBltNoColorKey);
  ASSERT_TRUE(renderer_.BlitPicture(kPackRole, "walk.bmp", true, kSurfaceBackBuffer, -10, 300));
  ExpectSame(Back(), expected);

  // Opaque, the key pixels are drawn too.
  expected = Pattern(640, 480);
  expected.BltFast(600, 5, decoded_, decoded_.Bounds(), kBltNoColorKey);
  Back().BltFast(0, 0, Pattern(640, 480), kScreenRect, kBltNoColorKey);
  ASSERT_TRUE(renderer_.DrawPictureTo(kPackRole, "walk.bmp", kSurfaceBackBuffer, 600, 5, true));
  ExpectSame(Back(), expected);

  const Surface* whole = renderer_.DecodedPicture(kPackRole, "walk.bmp", true);
  ASSERT_NE(whole, nullptr);
  ExpectSame(*whole, decoded_);
  EXPECT_EQ(renderer_.PackReads(), 1);
  renderer_.ClearCache(kKeptPictures);
  EXPECT_EQ(renderer_.CacheMemory(), 0u);
  EXPECT_FALSE(renderer_.BlitPicture(kPackRole, "none.bmp", false, kSurfaceBackBuffer, 0, 0));
}

}  // namespace
}  // namespace isora
