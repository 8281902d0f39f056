#include "media/bmp_reader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "foundation/byte_io.h"
#include "lib/bmp_writer.h"

namespace isora {
namespace {

// Four colours in a 5×3 picture (odd width exercises row padding at every depth).
BmpImage Sample() {
  BmpImage img = BmpImage::Filled(5, 3, 0x000000);
  const uint32_t colors[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) img.Set(x, y, colors[(x + 2 * y) % 4]);
  return img;
}

void ExpectSame(const std::vector<uint8_t>& file, const BmpImage& img, uint32_t mask) {
  std::vector<uint32_t> px;
  int w = 0, h = 0;
  std::string error;
  ASSERT_TRUE(DecodeBmpArgb(file, &px, &w, &h, &error)) << error;
  ASSERT_EQ(w, img.width);
  ASSERT_EQ(h, img.height);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      ASSERT_EQ(px[y * w + x] & mask, img.At(x, y) & mask) << x << "," << y;
}

TEST(BmpReaderTest, DecodesEveryDepth) {
  BmpImage img = Sample();
  ExpectSame(WriteBmp24(img), img, 0xFFFFFF);
  ExpectSame(WriteBmp24TopDown(img), img, 0xFFFFFF);
  ExpectSame(WriteBmp32(img), img, 0xFFFFFF);
  ExpectSame(WriteBmpPalette(img, 8), img, 0xFFFFFF);
  ExpectSame(WriteBmpPalette(img, 4), img, 0xFFFFFF);
  ExpectSame(WriteBmp16(img, false), img, 0xFFFFFF);  // full channels survive 5 bits
  ExpectSame(WriteBmp16(img, true), img, 0xFFFFFF);
  BmpImage two = BmpImage::Filled(9, 2, 0xFFFFFF);
  two.Set(0, 0, 0);
  two.Set(8, 1, 0);
  ExpectSame(WriteBmpPalette(two, 1), two, 0xFFFFFF);
}

TEST(BmpReaderTest, DrawsIntoEachPixelFormatByTruncation) {
  BmpImage img = BmpImage::Filled(2, 1, 0xFF00FF);
  img.Set(1, 0, 0x7F8081);
  auto file = WriteBmp24(img);
  Surface s565(4, 4), s555(4, 4, PixelFormat::Rgb555);
  ASSERT_TRUE(DrawBmp(file, s565, 1, 2));
  ASSERT_TRUE(DrawBmp(file, s555, 1, 2));
  EXPECT_EQ(s565.At(1, 2), 0xF81F);
  EXPECT_EQ(s555.At(1, 2), 0x7C1F);
  EXPECT_EQ(s565.At(2, 2), PackPixel(PixelFormat::Rgb565, 0x7F, 0x80, 0x81));
  EXPECT_EQ(s565.At(0, 2), 0);
  // The 16-bit and palette paths give the same pixels as the 24-bit one.
  Surface p(4, 4);
  ASSERT_TRUE(DrawBmp(WriteBmpPalette(img, 8), p, 1, 2));
  EXPECT_EQ(p.At(1, 2), 0xF81F);
  EXPECT_EQ(p.At(2, 2), s565.At(2, 2));
}

// Every pixel of true-colour pictures of many widths, whole and cut at either side, in both
// formats: each channel keeps its top bits, whatever its neighbours hold.
TEST(BmpReaderTest, TrueColourPixelsPackExactlyAtEveryWidthAndCut) {
  uint32_t seed = 5;
  for (int w : {1, 2, 3, 4, 5, 7, 8, 13, 33}) {
    BmpImage img = BmpImage::Filled(w, 3, 0);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < w; ++x) {
        seed = seed * 1103515245 + 12345;
        img.Set(x, y, seed >> 8);
      }
    for (const auto& file : {WriteBmp24(img), WriteBmp24TopDown(img)})
      for (PixelFormat f : {PixelFormat::Rgb565, PixelFormat::Rgb555})
        for (int at : {0, -1, 2}) {
          Surface s(w + 1, 3, f);
          ASSERT_TRUE(DrawBmp(file, s, at, 0));
          for (int y = 0; y < 3; ++y)
            for (int x = std::max(at, 0); x < std::min(at + w, w + 1); ++x) {
              const uint32_t c = img.At(x - at, y);
              ASSERT_EQ(s.At(x, y), PackPixel(f, c >> 16, (c >> 8) & 0xFF, c & 0xFF))
                  << w << " " << at << " " << x << "," << y;
            }
        }
  }
}

TEST(BmpReaderTest, ClipsAtTheSurfaceEdges) {
  BmpImage img = Sample();
  auto file = WriteBmp24(img);
  Surface s(4, 2);
  ASSERT_TRUE(DrawBmp(file, s, -2, -1));
  auto px = [&](int x, int y) {
    uint32_t c = img.At(x, y);
    return PackPixel(PixelFormat::Rgb565, c >> 16, (c >> 8) & 0xFF, c & 0xFF);
  };
  EXPECT_EQ(s.At(0, 0), px(2, 1));
  EXPECT_EQ(s.At(1, 0), px(3, 1));
  EXPECT_EQ(s.At(2, 1), px(4, 2));
  EXPECT_NE(px(2, 1), px(3, 1));
  EXPECT_TRUE(DrawBmp(file, s, 100, 100));  // nothing to draw is not an error
}

TEST(BmpReaderTest, HeaderFieldsAsTheRendererReadsThem) {
  auto file = WriteBmp24(Sample());
  EXPECT_EQ(BmpSize(file), (Size{5, 3}));
  EXPECT_EQ(BmpSize(WriteBmp24TopDown(Sample())), (Size{5, 3}));
  EXPECT_EQ(BmpSize(std::vector<uint8_t>(10)), (Size{0, 0}));
}

TEST(BmpReaderTest, DecodesRle8) {
  // 4×2 RLE8: bottom row "run of 4 × index 1", top row absolute 0,1,0,1.
  ByteWriter w;
  w.U8('B'), w.U8('M'), w.U32(0), w.U32(0), w.U32(14 + 40 + 8);
  w.U32(40), w.I32(4), w.I32(2), w.U16(1), w.U16(8), w.U32(1), w.U32(0), w.U32(0), w.U32(0);
  w.U32(2), w.U32(0);
  w.U32(0x000000), w.U32(0xFFFFFF);
  const uint8_t rle[] = {4, 1, 0, 0, 0, 4, 0, 1, 0, 1, 0, 1};
  w.Bytes(rle, sizeof rle);
  auto file = w.Take();
  std::vector<uint32_t> px;
  int width, height;
  std::string error;
  ASSERT_TRUE(DecodeBmpArgb(file, &px, &width, &height, &error)) << error;
  EXPECT_EQ(px[0] & 0xFFFFFF, 0u);
  EXPECT_EQ(px[1] & 0xFFFFFF, 0xFFFFFFu);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(px[4 + x] & 0xFFFFFF, 0xFFFFFFu);
}

TEST(BmpReaderTest, DecodesRle4WithDeltaAndLeavesSkippedPixelsAtColourZero) {
  // 4×2 RLE4: bottom row "3 pixels alternating 1,2", end of line, a delta of 2 along the top
  // row, then a run of 2 pixels alternating 2,1.
  ByteWriter w;
  w.U8('B'), w.U8('M'), w.U32(0), w.U32(0), w.U32(14 + 40 + 12);
  w.U32(40), w.I32(4), w.I32(2), w.U16(1), w.U16(4), w.U32(2), w.U32(0), w.U32(0), w.U32(0);
  w.U32(3), w.U32(0);
  w.U32(0x000000), w.U32(0xFF0000), w.U32(0x0000FF);
  const uint8_t rle[] = {3, 0x12, 0, 0, 0, 2, 2, 0, 2, 0x21, 0, 1};
  w.Bytes(rle, sizeof rle);
  auto file = w.Take();
  std::vector<uint32_t> px;
  int width, height;
  std::string error;
  ASSERT_TRUE(DecodeBmpArgb(file, &px, &width, &height, &error)) << error;
  const uint32_t top[] = {0, 0, 0x0000FF, 0xFF0000}, bottom[] = {0xFF0000, 0x0000FF, 0xFF0000, 0};
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(px[x] & 0xFFFFFF, top[x]) << x;
    EXPECT_EQ(px[4 + x] & 0xFFFFFF, bottom[x]) << x;
  }
}

TEST(BmpReaderTest, DamagedFilesAreRefusedWithoutReadingOutside) {
  auto good = WriteBmp24(Sample());
  std::string error;
  Surface s(8, 8);
  auto truncated = good;
  truncated.resize(good.size() - 10);
  EXPECT_FALSE(DrawBmp(truncated, s, 0, 0, &error));
  EXPECT_EQ(error, "pixel data outside the file");

  auto badOffset = good;
  badOffset[10] = 0xFF, badOffset[11] = 0xFF, badOffset[12] = 0xFF;
  EXPECT_FALSE(DrawBmp(badOffset, s, 0, 0, &error));

  auto hugeWidth = good;
  hugeWidth[18] = 0xFF, hugeWidth[19] = 0xFF, hugeWidth[20] = 0xFF, hugeWidth[21] = 0x7F;
  EXPECT_FALSE(DrawBmp(hugeWidth, s, 0, 0, &error));

  auto badDepth = good;
  badDepth[28] = 7;
  EXPECT_FALSE(DrawBmp(badDepth, s, 0, 0, &error));

  auto pal = WriteBmpPalette(Sample(), 8);
  pal.resize(14 + 40 + 2);  // palette cut short
  EXPECT_FALSE(DrawBmp(pal, s, 0, 0, &error));
  EXPECT_EQ(error, "truncated palette");

  EXPECT_FALSE(DrawBmp(std::vector<uint8_t>{'B', 'M'}, s, 0, 0, &error));
  EXPECT_FALSE(DrawBmp(std::vector<uint8_t>{}, s, 0, 0, &error));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(s.At(x, y), 0);  // nothing was drawn
}

}  // namespace
}  // namespace isora
