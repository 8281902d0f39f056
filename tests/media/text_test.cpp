#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <span>
#include <vector>

#include "foundation/gbk.h"
#include "media/device_context.h"
#include "media/font.h"
#include "media/renderer.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

// Bounding box of the pixels that differ from the background.
Rect Inked(const Surface& s, uint16_t background) {
  Rect r{s.Width(), s.Height(), 0, 0};
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x)
      if (s.At(x, y) != background) {
        r.left = std::min(r.left, x), r.top = std::min(r.top, y);
        r.right = std::max(r.right, x + 1), r.bottom = std::max(r.bottom, y + 1);
      }
  return r;
}

TEST(FontTest, MetricsFollowTheAskedCellHeight) {
  for (int h : {18, 20, 48}) {
    auto f = Font::Create("Segoe UI", h, 400);
    const TextMetrics& m = f->Metrics();
    EXPECT_EQ(m.tmHeight, h);
    EXPECT_EQ(m.tmAscent + m.tmDescent, h);
    EXPECT_GT(m.tmAveCharWidth, h / 5);
    EXPECT_LT(m.tmAveCharWidth, h);
    EXPECT_GE(m.tmExternalLeading, 0);
  }
  EXPECT_EQ(Font::Create("Segoe UI", 18, 400), Font::Create("Segoe UI", 18, 400));
  EXPECT_NE(Font::Create("Segoe UI", 18, 700), Font::Create("Segoe UI", 18, 400));
}

TEST(FontTest, LatinAndChineseBothHaveGlyphs) {
  auto f = Font::Create("Segoe UI", 20, 400);
  const Glyph& a = f->GlyphFor(U'A');
  const Glyph& zhong = f->GlyphFor(U'中');
  EXPECT_GT(a.width, 0);
  EXPECT_GT(zhong.width, 0);
  EXPECT_GT(zhong.advance, a.advance);  // a square character is wider than a Latin letter
  int covered = 0;
  for (uint8_t c : zhong.coverage) covered += c > 0;
  EXPECT_GT(covered, 10);
}

TEST(DeviceContextTest, ExtentsGrowWithTheTextAndCountExtraSpacing) {
  Surface s(200, 50);
  DeviceContext dc(s);
  dc.SelectFont(Font::Create("Segoe UI", 18, 400));
  Size one = dc.GetTextExtent("A");
  Size two = dc.GetTextExtent("AA");
  Size chinese = dc.GetTextExtent(Gbk(u8"中文"));
  EXPECT_EQ(one.cy, 18);
  EXPECT_EQ(two.cx, 2 * one.cx);
  EXPECT_GT(dc.GetTextExtent("Hello world").cx, dc.GetTextExtent("Hello").cx);
  EXPECT_GT(chinese.cx, two.cx);
  EXPECT_EQ(dc.GetTextExtent("").cx, 0);
  dc.SetTextCharacterExtra(1);
  EXPECT_EQ(dc.GetTextExtent("AA").cx, two.cx + 2);
}

TEST(DeviceContextTest, CentredTextIsCentredOnX) {
  Surface s(300, 40);
  DeviceContext dc(s);
  dc.SelectFont(Font::Create("Segoe UI", 20, 400));
  dc.SetBkMode(kBkTransparent);
  dc.SetTextColor(0xFFFFFF);
  dc.SetTextAlign(kTaCenter | kTaTop);
  dc.TextOut(150, 5, "Loading map, please wait...");
  Rect ink = Inked(s, 0);
  ASSERT_FALSE(ink.Empty());
  int centre = (ink.left + ink.right) / 2;
  EXPECT_NEAR(centre, 150, 3);
  EXPECT_GE(ink.top, 5);
  EXPECT_LE(ink.bottom, 25);
  // Full-coverage pixels take the text colour exactly.
  bool white = false;
  for (int y = ink.top; y < ink.bottom; ++y)
    for (int x = ink.left; x < ink.right; ++x) white |= s.At(x, y) == 0xFFFF;
  EXPECT_TRUE(white);
}

TEST(DeviceContextTest, LeftAlignedTextStartsAtXAndOpaqueFillsItsCell) {
  Surface s(200, 40);
  DeviceContext dc(s);
  dc.SelectFont(Font::Create("Segoe UI", 18, 400));
  dc.SetBkColor(0x00FF00);  // opaque is the default mode
  dc.TextOut(10, 10, "Hi");
  Size ext = dc.GetTextExtent("Hi");
  EXPECT_EQ(s.At(10, 10), 0x07E0);
  EXPECT_EQ(s.At(10 + ext.cx - 1, 10 + ext.cy - 1), 0x07E0);
  EXPECT_EQ(s.At(9, 10), 0);
  EXPECT_EQ(s.At(10 + ext.cx, 10), 0);
}

// Found by fuzzing panel INIs: a caption at a position at the int limit overflowed while its
// baseline and cell were worked out. Such a text lies off every surface and draws nothing;
// one at the surface's edge still draws.
TEST(DeviceContextTest, TextFarOffTheSurfaceDrawsNothingAndDoesNotOverflow) {
  Surface s(200, 40);
  DeviceContext dc(s);
  dc.SelectFont(Font::Create("Segoe UI", 18, 400));
  dc.SetBkColor(0x00FF00);
  for (auto [x, y] : {std::pair{10, INT32_MAX}, std::pair{INT32_MAX, 10}, std::pair{10, INT32_MIN},
                      std::pair{INT32_MIN, 10}, std::pair{-(1 << 25), 0}}) {
    dc.SetTextAlign(kTaCenter);
    dc.TextOut(x, y, "Hi");
    dc.SetTextAlign(kTaLeft);
    dc.TextOut(x, y, "Hi");
  }
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x) ASSERT_EQ(s.At(x, y), 0) << x << "," << y;
  dc.TextOut(-5, -5, "Hi");
  EXPECT_EQ(s.At(0, 0), 0x07E0);
}

// The reference for the text kernels: `text` blended pixel by pixel with BlendPixel, its top
// left at (left, top), `extra` pixels after each letter. Returns the pen after the text.
int BlendTextByPixel(Surface& s, Font& font, const std::string& text, int left, int top,
                     ColorRef color, int extra) {
  int pen = left;
  const int baseline = top + font.Metrics().tmAscent;
  for (char32_t c : GbkToUnicode(text)) {
    const Glyph& g = font.GlyphFor(c);
    for (int y = 0; y < g.height; ++y)
      for (int x = 0; x < g.width; ++x) {
        const int px = pen + g.left + x, py = baseline - g.top + y;
        const unsigned a = g.coverage[static_cast<size_t>(y) * g.width + x];
        if (a && s.InBounds(px, py)) s.Set(px, py, BlendPixel(s.Format(), s.At(px, py), color, a));
      }
    pen += g.advance + extra;
  }
  return pen;
}

// Each pixel of a text blended over a background is BlendPixel of its glyph's coverage, in both
// pixel formats and with extra spacing; drawn again from the kept layout, and again after more
// texts than are kept pushed it out, it gives the same pixels, and measuring agrees with it.
TEST(DeviceContextTest, BlendedTextFollowsEachGlyphsCoverage) {
  const std::string text = Gbk(u8"Wg,中文 fy");
  auto font = Font::Create("Segoe UI", 20, 400);
  for (PixelFormat f : {PixelFormat::Rgb565, PixelFormat::Rgb555}) {
    Surface expected(160, 40, f);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 160; ++x) expected.Set(x, y, static_cast<uint16_t>(x * 97 + y * 31));
    const ColorRef color = MakeColorRef(200, 40, 120);
    const int pen = BlendTextByPixel(expected, *font, text, 4, 6, color, 2);
    auto draw = [&] {
      Surface s(160, 40, f);
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 160; ++x) s.Set(x, y, static_cast<uint16_t>(x * 97 + y * 31));
      DeviceContext dc(s);
      dc.SelectFont(font);
      dc.SetBkMode(kBkTransparent);
      dc.SetTextColor(color);
      dc.SetTextCharacterExtra(2);
      EXPECT_EQ(dc.GetTextExtent(text).cx, pen - 4);
      dc.TextOut(4, 6, text);
      EXPECT_EQ(dc.GetTextExtent(text).cx, pen - 4);
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 160; ++x) ASSERT_EQ(s.At(x, y), expected.At(x, y)) << x << "," << y;
    };
    draw();
    draw();
    for (size_t i = 0; i < Font::kKeptRuns + 3; ++i) font->Layout(std::to_string(i));
    draw();
  }
}

// The row kernel of text gives BlendCoverage's pixel in every lane: every coverage over
// destinations of every channel value, any source colour, any row length, and nothing past n.
TEST(DeviceContextTest, CoverageRowKernelMatchesThePixelBlend) {
  for (PixelFormat f : {PixelFormat::Rgb565, PixelFormat::Rgb555}) {
    for (uint16_t src : {uint16_t{0}, uint16_t{0xFFFF}, uint16_t{0x7FFF}, uint16_t{0xF81F},
                         uint16_t{0x1234}, uint16_t{0x8421}}) {
      std::vector<uint16_t> row(65536 + 8), expected(65536 + 8);
      std::vector<uint8_t> coverage(65536 + 8);
      for (int i = 0; i < 65536; ++i) {
        row[i] = static_cast<uint16_t>(i);
        coverage[i] = static_cast<uint8_t>((i * 37 + (i >> 8) * 11) & 0xFF);
        expected[i] = BlendCoverage(f, row[i], src, coverage[i]);
      }
      BlendCoverageRow(row.data(), coverage.data(), 65536, src, f);
      for (int i = 0; i < 65536; ++i) ASSERT_EQ(row[i], expected[i]) << i << " over " << src;
    }
  }
  // Rows of every short length: the block past n reads, and keeps, what lies there.
  for (int n = 0; n <= 17; ++n) {
    std::vector<uint16_t> row(24), before;
    std::vector<uint8_t> coverage(24);
    for (int i = 0; i < 24; ++i) {
      row[i] = static_cast<uint16_t>(0x1111 * (i % 7) + i);
      coverage[i] = static_cast<uint8_t>(i % 3 == 0 ? 255 : i * 23);
    }
    before = row;
    BlendCoverageRow(row.data(), coverage.data(), n, 0x07E0, PixelFormat::Rgb565);
    for (int i = 0; i < 24; ++i)
      EXPECT_EQ(row[i], i < n ? BlendCoverage(PixelFormat::Rgb565, before[i], 0x07E0, coverage[i])
                              : before[i])
          << n << " " << i;
  }
}

// An outlined text in one pass gives the pixels of its TextOut calls made one after the other:
// over noise, at every alignment, cut by each edge down to the buffer's last pixel, with outline
// points near and far, and with glyphs that overlap (a negative spacing), an opaque background or
// a spacing that spreads the text wider than any screen, which are drawn call by call.
TEST(DeviceContextTest, AnOutlinedTextHasThePixelsOfItsTextOutsInOrder) {
  auto font = Font::Create("Segoe UI", 18, 400);
  const std::array<Point, 4> diagonal{Point{-1, 1}, Point{1, 1}, Point{-1, -1}, Point{1, -1}};
  const std::array<Point, 8> ring{Point{-2, 0},  Point{2, 0}, Point{0, -2}, Point{0, 2},
                                  Point{-2, -2}, Point{2, 2}, Point{-2, 2}, Point{2, -2}};
  const std::array<Point, 1> far{Point{13, -7}};
  struct Place {
    int x, y;
  };
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1664525 + 1013904223; };
  int compared = 0;
  for (PixelFormat f : {PixelFormat::Rgb565, PixelFormat::Rgb555}) {
    for (const std::string& text :
         {std::string("Willowmere"), std::string("(12,34)"), Gbk(u8"小镇 Wg,"), std::string()}) {
      for (int width : {37, 48, 120}) {  // 48: no row padding, the last block ends the buffer
        const int height = 26;
        for (const Place at : {Place{width / 2, 4}, Place{1, -9}, Place{width - 3, height - 6},
                               Place{width / 2, height - 12}}) {
          for (std::span<const Point> offsets :
               {std::span<const Point>(diagonal), std::span<const Point>(ring),
                std::span<const Point>(far)}) {
            for (int variant = 0; variant < 6; ++variant) {
              const uint32_t align =
                  variant == 1 ? kTaLeft : (variant == 2 ? kTaRight | kTaBottom : kTaCenter);
              const int extra = variant == 3 ? -7 : (variant == 5 ? 500 : 0);
              const int bk = variant == 4 ? kBkOpaque : kBkTransparent;
              Surface one(width, height, f), fused(width, height, f);
              for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                  const auto v = static_cast<uint16_t>(next() >> 16);
                  one.Set(x, y, v);
                  fused.Set(x, y, v);
                }
              std::vector<Point> outline;
              for (const Point& o : offsets) outline.push_back(Point{at.x + o.x, at.y + o.y});
              const ColorRef edge = MakeColorRef(10, 20, 30), face = MakeColorRef(250, 200, 90);
              auto context = [&](Surface& s) {
                DeviceContext dc(s);
                dc.SelectFont(font);
                dc.SetBkMode(bk);
                dc.SetBkColor(MakeColorRef(0, 90, 0));
                dc.SetTextAlign(align);
                dc.SetTextCharacterExtra(extra);
                return dc;
              };
              DeviceContext a = context(one);
              a.SetTextColor(edge);
              for (const Point& p : outline) a.TextOut(p.x, p.y, text);
              a.SetTextColor(face);
              a.TextOut(at.x, at.y, text);
              DeviceContext b = context(fused);
              b.SetTextColor(face);
              b.TextOutOutlined(at.x, at.y, text, outline, edge);
              EXPECT_EQ(b.TextColor(), face);
              for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                  ASSERT_EQ(fused.At(x, y), one.At(x, y))
                      << "'" << text << "' at " << at.x << "," << at.y << " variant " << variant
                      << " width " << width << ", pixel " << x << "," << y;
              ++compared;
            }
          }
        }
      }
    }
  }
  EXPECT_EQ(compared, 2 * 4 * 3 * 4 * 3 * 6);
}

// Text cut by the surface's right and bottom edges, down to the buffer's last pixel.
TEST(DeviceContextTest, TextAtTheSurfacesEdgesBlendsLikeEachPixel) {
  auto font = Font::Create("Segoe UI", 20, 400);
  const std::string text = Gbk(u8"Wg中");
  for (int width : {37, 48}) {
    Surface s(width, 30), expected(width, 30);
    for (Surface* p : {&s, &expected})
      for (int y = 0; y < 30; ++y)
        for (int x = 0; x < width; ++x) p->Set(x, y, static_cast<uint16_t>(x * 131 + y * 7));
    const int left = width - 30, top = 14;
    BlendTextByPixel(expected, *font, text, left, top, 0xFFFFFF, 0);
    DeviceContext dc(s);
    dc.SelectFont(font);
    dc.SetBkMode(kBkTransparent);
    dc.SetTextColor(0xFFFFFF);
    dc.TextOut(left, top, text);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < width; ++x) ASSERT_EQ(s.At(x, y), expected.At(x, y)) << x << "," << y;
    EXPECT_NE(s.At(width - 25, 29), static_cast<uint16_t>((width - 25) * 131 + 29 * 7));
  }
}

TEST(DeviceContextTest, DrawTextWrapsAtWordsAndCentresLines) {
  Surface s(200, 200);
  DeviceContext dc(s);
  dc.SelectFont(Font::Create("Segoe UI", 20, 400));
  dc.SetBkMode(kBkTransparent);
  dc.SetTextColor(0xFFFFFF);
  Rect calc{0, 0, 120, 0};
  int h = dc.DrawText("one two three four five six", &calc, kDtWordBreak | kDtCalcRect);
  EXPECT_GE(h, 2 * 20);
  EXPECT_EQ(calc.bottom, h);
  EXPECT_LE(calc.right, 120);
  // Line feeds always break; without word breaking a long line stays one line.
  Rect r2{0, 0, 50, 0};
  EXPECT_EQ(dc.DrawText("a\nb\r\nc", &r2, kDtCalcRect), 60);
  Rect r3{0, 0, 50, 0};
  EXPECT_EQ(dc.DrawText("aaaa bbbb cccc dddd", &r3, kDtCalcRect), 20);
  // Chinese text breaks between characters.
  Rect r4{0, 0, 60, 0};
  EXPECT_GE(dc.DrawText(Gbk(u8"我与他们结怨以后可要多多提防"), &r4, kDtWordBreak | kDtCalcRect),
            60);
  // Centred in the rectangle, clipped to it.
  Rect box{20, 50, 180, 150};
  dc.DrawText("centre", &box, kDtCenter | kDtWordBreak);
  Rect ink = Inked(s, 0);
  ASSERT_FALSE(ink.Empty());
  EXPECT_NEAR((ink.left + ink.right) / 2, 100, 3);
  EXPECT_GE(ink.top, 50);
  // Vertical centring acts with a single line only.
  Surface t(100, 100);
  DeviceContext dt(t);
  dt.SelectFont(Font::Create("Segoe UI", 20, 400));
  dt.SetBkMode(kBkTransparent);
  dt.SetTextColor(0xFFFFFF);
  Rect whole{0, 0, 100, 100};
  dt.DrawText("x", &whole, kDtCenter | kDtVCenter | kDtSingleLine);
  Rect ink2 = Inked(t, 0);
  EXPECT_GT(ink2.top, 35);
  EXPECT_LT(ink2.bottom, 65);
}

TEST(DeviceContextTest, PensBrushesAndPixels) {
  Surface s(400, 100);
  DeviceContext dc(s);
  // The health bar: white border, red interior.
  dc.SelectPen(Pen::Solid(0xFFFFFF));
  dc.SelectBrush(Brush::Solid(0x0000FF));
  dc.Rectangle(244, 44, 396, 56);
  EXPECT_EQ(dc.GetPixel(244, 44), 0xFFFFFFu);
  EXPECT_EQ(dc.GetPixel(395, 55), 0xFFFFFFu);
  EXPECT_EQ(dc.GetPixel(396, 55), 0u);
  EXPECT_EQ(dc.GetPixel(245, 45), 0x0000FFu);
  EXPECT_EQ(dc.GetPixel(394, 54), 0x0000FFu);
  EXPECT_EQ(dc.GetPixel(-1, 0), kClrInvalid);
  // Lines leave out their end point.
  dc.SelectPen(Pen::Solid(0x00FF00));
  dc.MoveTo(10, 10);
  dc.LineTo(20, 10);
  EXPECT_EQ(dc.GetPixel(10, 10), 0x00FF00u);
  EXPECT_EQ(dc.GetPixel(19, 10), 0x00FF00u);
  EXPECT_EQ(dc.GetPixel(20, 10), 0u);
  dc.MoveTo(30, 0);
  dc.LineTo(22, 8);  // a rain drop: diagonal down-left
  EXPECT_EQ(dc.GetPixel(30, 0), 0x00FF00u);
  EXPECT_EQ(dc.GetPixel(23, 7), 0x00FF00u);
  EXPECT_EQ(dc.GetPixel(22, 8), 0u);
  dc.MoveTo(0, 0);
  dc.LineTo(-100000, 100000);  // far outside: clipped, no hang
  dc.MoveTo(0, 90);
  dc.LineTo(60000, 90);  // leaves the surface: drawn up to its edge
  EXPECT_EQ(dc.GetPixel(399, 90), 0x00FF00u);
  dc.MoveTo(5, 95);
  dc.LineTo(2000000000, 95);
  dc.LineTo(-2000000000, -2000000000);
  EXPECT_EQ(dc.SetPixel(1, 1, 0xFF00FF), 0xFF00FFu);
  EXPECT_EQ(s.At(1, 1), 0xF81F);
}

TEST(RendererTextTest, DrawTextUsesTheTextFontTransparently) {
  test::TempDir dir;
  Renderer r;
  ASSERT_TRUE(r.Init());
  ASSERT_EQ(r.TextFont()->Metrics().tmHeight, 18);
  Surface& back = *r.GetSurface(kSurfaceBackBuffer);
  back.Fill(0x1234);
  r.DrawText("Level Up!", 320, 100, kSurfaceBackBuffer, kTaCenter, 0xFFFFFF);
  Rect ink = Inked(back, 0x1234);
  ASSERT_FALSE(ink.Empty());
  EXPECT_NEAR((ink.left + ink.right) / 2, 320, 3);
  EXPECT_EQ(back.At(0, 100), 0x1234);
  EXPECT_GT(r.TextExtent("Level Up!").cx, r.TextExtent("Level").cx);
}

}  // namespace
}  // namespace isora

namespace isora {
namespace {

TEST(FontResourceTest, RegisteredFileIsPreferredWhileRegistered) {
  const std::string system = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  std::ifstream in(system, std::ios::binary);
  if (!in) GTEST_SKIP() << "no DejaVu font installed";
  test::TempDir dir;
  test::WriteFile("data/seguibk.ttf", std::string(std::istreambuf_iterator<char>(in), {}));
  ASSERT_TRUE(Fonts::AddFontResource("data\\seguibk.ttf"));
  auto f = Font::Create("DejaVu", 20, 400);  // the start of the family name serves
  EXPECT_NE(f->FilePath().find("data/seguibk.ttf"), std::string::npos);
  EXPECT_EQ(f->Metrics().tmHeight, 20);
  EXPECT_GT(f->GlyphFor(U'中').width, 0);  // characters it lacks come from a CJK face
  EXPECT_EQ(f->GlyphFor(U'\n').advance, 0);
  ASSERT_TRUE(Fonts::RemoveFontResource("data\\seguibk.ttf"));
  EXPECT_EQ(Font::Create("DejaVu", 20, 400)->FilePath().find("data/seguibk.ttf"),
            std::string::npos);
  EXPECT_FALSE(Fonts::RemoveFontResource("data\\seguibk.ttf"));
  EXPECT_FALSE(Fonts::AddFontResource("data\\missing.ttf"));
}

}  // namespace
}  // namespace isora
