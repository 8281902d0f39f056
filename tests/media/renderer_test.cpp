#include "media/renderer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "foundation/byte_io.h"
#include "lib/bmp_writer.h"
#include "lib/package_writer.h"
#include "media/headless_platform.h"
#include "support/recording_hooks.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

uint16_t Rgb565(int r, int g, int b) { return static_cast<uint16_t>((r << 11) | (g << 5) | b); }

class RendererTest : public test::TempDirTest {
 protected:
  void SetUp() override { ASSERT_TRUE(renderer_.Init()); }
  Surface& S(int i) { return *renderer_.GetSurface(i); }
  // The role layer's pixel at a place on the map.
  uint16_t RoleLayerAt(int x, int y) {
    const Point o = renderer_.SurfaceOrigin(kSurfaceLayer3);
    return S(kSurfaceLayer3).At(x - o.x, y - o.y);
  }
  test::RecordingHooks hooks_;
  Renderer renderer_;
};

TEST_F(RendererTest, InitCreatesTheEightSurfacesAndLogs) {
  // The role layer is the view and a margin of 10 all round, not the map.
  const int sizes[8][2] = {{640, 480},   {640, 480}, {3200, 1600}, {660, 500},
                           {3200, 1600}, {640, 640}, {2048, 1600}, {640, 480}};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(S(i).Width(), sizes[i][0]) << i;
    EXPECT_EQ(S(i).Height(), sizes[i][1]) << i;
    bool keyed = i >= 3;
    EXPECT_EQ(S(i).HasColorKey(), keyed) << i;
    if (keyed) {
      EXPECT_EQ(S(i).ColorKey(), 0xF81F);
    }
  }
  EXPECT_EQ(renderer_.GetPixelMasks(), 0x07E0F81Fu);
  std::string log = test::ReadFile("GameEngine.log");
  EXPECT_NE(log.find("it's 565"), std::string::npos);
  EXPECT_NE(log.find("Init DDraw succeed!"), std::string::npos);
  EXPECT_EQ(renderer_.GetSurface(8), nullptr);
  EXPECT_EQ(renderer_.GetSurface(-1), nullptr);
  renderer_.Release();
  EXPECT_EQ(renderer_.GetSurface(0), nullptr);
}

TEST_F(RendererTest, ABackBufferFillWaitsForWhoeverLooksAndCanBeCalledOff) {
  HeadlessPlatform platform;
  ASSERT_TRUE(renderer_.Init(&platform));
  S(kSurfaceBackBuffer).Fill(0x1234);
  renderer_.FillBackBufferOnUse(0);
  EXPECT_EQ(S(kSurfaceBackBuffer).At(5, 5), 0);  // asking for the surface fills it
  S(kSurfaceBackBuffer).Fill(0x1234);
  renderer_.FillBackBufferOnUse(0);
  ASSERT_TRUE(renderer_.Flip());  // so does presenting it
  EXPECT_EQ(platform.LastFrame().At(639, 479), 0);
  S(kSurfaceBackBuffer).Fill(0x1234);
  renderer_.FillBackBufferOnUse(0);
  renderer_.CancelBackBufferFill();
  EXPECT_EQ(S(kSurfaceBackBuffer).At(5, 5), 0x1234);
}

// The role layer and the object layer track their ink; the frame's copies rely on it.
TEST_F(RendererTest, WorldLayersAboveTheGroundTrackInkAndDrawnPicturesMarkIt) {
  EXPECT_TRUE(S(kSurfaceLayer3).TracksInk());
  EXPECT_TRUE(S(kSurfaceLayer4).TracksInk());
  EXPECT_FALSE(S(kSurfaceGround).TracksInk());
  S(kSurfaceLayer3).Fill(renderer_.ColorKey());
  renderer_.ClearLayerAroundView(400, 400);  // the role layer now starts at (390, 390)
  EXPECT_FALSE(S(kSurfaceLayer3).InkedAt(110, 110));
  renderer_.Brighten(kSurfaceLayer3, Rect{490, 490, 510, 510});       // leaves the key: no ink
  renderer_.Blend50(kSurfaceLayer3, Rect{490, 490, 510, 510}, true);  // darkens the key too
  EXPECT_TRUE(S(kSurfaceLayer3).InkedAt(110, 110));
  EXPECT_NE(RoleLayerAt(500, 500), renderer_.ColorKey());
  EXPECT_EQ(RoleLayerAt(489, 500), renderer_.ColorKey());
  Surface view(640, 480);
  view.BltFast(0, 0, S(kSurfaceLayer3),
               renderer_.OnSurface(kSurfaceLayer3, Rect{400, 400, 1040, 880}), kBltSrcColorKey);
  EXPECT_EQ(view.At(100, 100), RoleLayerAt(500, 500));
  renderer_.GetDC(kSurfaceLayer3);  // a device context may write anywhere
  EXPECT_TRUE(S(kSurfaceLayer3).InkedAt(650, 490));
}

TEST_F(RendererTest, BltClippedAtMinus16CopiesTheLowerRightQuarter) {
  Surface& src = S(kSurfaceTemp);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) src.Set(x, y, static_cast<uint16_t>(y * 32 + x + 1));
  EXPECT_TRUE(renderer_.BltClipped(kSurfaceBackBuffer, 640, 480, kSurfaceTemp, kBltNoColorKey, -16,
                                   -16, 0, 0, 32, 32));
  Surface& dst = S(kSurfaceBackBuffer);
  EXPECT_EQ(dst.At(0, 0), src.At(16, 16));
  EXPECT_EQ(dst.At(15, 15), src.At(31, 31));
  EXPECT_EQ(dst.At(16, 0), 0);
  EXPECT_EQ(dst.At(0, 16), 0);
  // Right and bottom edges cut by the given destination size, not the surface's.
  EXPECT_TRUE(renderer_.BltClipped(kSurfaceBackBuffer, 100, 100, kSurfaceTemp, kBltNoColorKey, 90,
                                   95, 0, 0, 32, 32));
  EXPECT_EQ(dst.At(99, 99), src.At(9, 4));
  EXPECT_EQ(dst.At(100, 99), 0);
  EXPECT_FALSE(
      renderer_.BltClipped(kSurfaceBackBuffer, 640, 480, kSurfaceTemp, 0, -40, 0, 0, 0, 32, 32));
}

TEST_F(RendererTest, ClearLayerAroundViewKeepsTheEdgesAtTheView) {
  Surface& layer = S(kSurfaceLayer3);
  layer.Fill(0x1111);
  renderer_.ClearLayerAroundView(5, 5);
  EXPECT_EQ(renderer_.SurfaceOrigin(kSurfaceLayer3), (Point{0, 0}));  // kept on the map
  EXPECT_EQ(RoleLayerAt(5, 5), 0xF81F);
  EXPECT_EQ(RoleLayerAt(654, 494), 0xF81F);
  EXPECT_EQ(RoleLayerAt(4, 5), 0x1111);
  EXPECT_EQ(RoleLayerAt(5, 4), 0x1111);
  EXPECT_EQ(RoleLayerAt(655, 494), 0x1111);
  EXPECT_EQ(RoleLayerAt(654, 495), 0x1111);

  // Away from the edges the rectangle is the whole layer, which has moved with the view.
  layer.Fill(0x1111);
  renderer_.ClearLayerAroundView(100, 200);
  EXPECT_EQ(renderer_.SurfaceOrigin(kSurfaceLayer3), (Point{90, 190}));
  for (int y = 0; y < layer.Height(); y += 7)
    for (int x = 0; x < layer.Width(); x += 11) ASSERT_EQ(layer.At(x, y), 0xF81F) << x << "," << y;
  EXPECT_EQ(RoleLayerAt(749, 689), 0xF81F);

  // Near the far edges the rectangle shrinks to the view itself, and the layer stops at the
  // map's edge.
  layer.Fill(0x1111);
  renderer_.ClearLayerAroundView(2560, 1120);
  EXPECT_EQ(renderer_.SurfaceOrigin(kSurfaceLayer3), (Point{2540, 1100}));
  EXPECT_EQ(RoleLayerAt(2550, 1110), 0xF81F);
  EXPECT_EQ(RoleLayerAt(3199, 1599), 0xF81F);
  EXPECT_EQ(RoleLayerAt(2549, 1110), 0x1111);
  layer.Fill(0x1111);
  renderer_.ClearLayerAroundView(2555, 1115);
  EXPECT_EQ(RoleLayerAt(3194, 1594), 0xF81F);
  EXPECT_EQ(RoleLayerAt(3195, 1594), 0x1111);
  EXPECT_EQ(RoleLayerAt(3194, 1595), 0x1111);
}

// Whatever is drawn on the role layer lands at its place on the map wherever the view is, and
// nothing lands beyond the map's edge, where a map-sized layer would have had no pixels.
TEST_F(RendererTest, TheRoleLayerTakesMapPlacesAndEndsAtTheMapsEdge) {
  Surface& layer = S(kSurfaceLayer3);
  layer.Fill(renderer_.ColorKey());
  renderer_.ClearLayerAroundView(2600, 1300);  // the view passes the map's right edge
  ASSERT_EQ(renderer_.SurfaceOrigin(kSurfaceLayer3), (Point{2540, 1100}));
  ASSERT_EQ(renderer_.OnSurface(kSurfaceLayer3, Rect{2600, 1300, 3240, 1780}),
            (Rect{60, 200, 700, 680}));
  renderer_.Brighten(kSurfaceLayer3, Rect{3190, 1590, 3300, 1700});
  renderer_.Blend50(kSurfaceLayer3, Rect{3190, 1590, 3300, 1700}, true);
  EXPECT_NE(RoleLayerAt(3199, 1599), renderer_.ColorKey());
  EXPECT_EQ(RoleLayerAt(3189, 1599), renderer_.ColorKey());
  // Text goes where the map place says.
  renderer_.DrawText("W", 2700, 1400, kSurfaceLayer3, kTaLeft, 0xFFFFFF);
  int drawn = 0;
  for (int y = 1400; y < 1420; ++y)
    for (int x = 2700; x < 2715; ++x) drawn += RoleLayerAt(x, y) != renderer_.ColorKey();
  EXPECT_GT(drawn, 0);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 160; ++x) ASSERT_EQ(layer.At(x, y), renderer_.ColorKey()) << x << "," << y;
  // Surfaces other than the role layer are at the map's origin.
  EXPECT_EQ(renderer_.SurfaceOrigin(kSurfaceLayer4), (Point{0, 0}));
  EXPECT_EQ(renderer_.OnSurface(kSurfaceGround, Rect{1, 2, 3, 4}), (Rect{1, 2, 3, 4}));
}

TEST_F(RendererTest, BrightenSaturatesAndLeavesTheKey) {
  Surface& b = S(kSurfaceBackBuffer);
  b.Set(0, 0, Rgb565(10, 20, 5));
  b.Set(1, 0, Rgb565(24, 50, 23));
  b.Set(2, 0, 0xF81F);
  b.Set(3, 0, Rgb565(31, 63, 31));
  b.Set(4, 0, Rgb565(1, 2, 3));  // outside the rectangle
  renderer_.Brighten(kSurfaceBackBuffer, Rect{0, 0, 4, 1});
  EXPECT_EQ(b.At(0, 0), Rgb565(17, 34, 12));
  EXPECT_EQ(b.At(1, 0), Rgb565(31, 63, 30));
  EXPECT_EQ(b.At(2, 0), 0xF81F);
  EXPECT_EQ(b.At(3, 0), Rgb565(31, 63, 31));
  EXPECT_EQ(b.At(4, 0), Rgb565(1, 2, 3));
  // The work is done in place: the object sheet (a map's) is not made for it.
  EXPECT_FALSE(renderer_.HasSurface(kSurfaceObjects));
}

TEST_F(RendererTest, GreyUsesTheWeightedFormula) {
  Surface& b = S(kSurfaceBackBuffer);
  b.Set(10, 10, Rgb565(20, 41, 7));  // v = (7 + 60 + 6 * 20) / 10 = 18
  b.Set(11, 10, 0xF81F);
  b.Set(12, 10, Rgb565(31, 63, 31));  // v = (31 + 93 + 186) / 10 = 31
  S(kSurfaceLayer3).Set(0, 0, 0x1234);
  renderer_.Grey(kSurfaceBackBuffer, Rect{10, 10, 13, 11});
  EXPECT_EQ(b.At(10, 10), 18 * 0x0841);
  EXPECT_EQ(b.At(11, 10), 0xF81F);
  EXPECT_EQ(b.At(12, 10), 31 * 0x0841);
  EXPECT_EQ(S(kSurfaceLayer3).At(0, 0), renderer_.ColorKey());  // the scratch given back
}

TEST_F(RendererTest, DarkenFloorsAndCaps) {
  Surface& b = S(kSurfaceBackBuffer);
  b.Set(0, 0, Rgb565(20, 40, 10));
  b.Set(1, 0, 0xF81F);
  renderer_.Darken(kSurfaceBackBuffer, Rect{0, 0, 2, 1}, 5);
  EXPECT_EQ(b.At(0, 0), Rgb565(15, 30, 5));
  EXPECT_EQ(b.At(1, 0), 0xF81F);
  // 40 acts as 31: a full-white pixel keeps 0 red, 1 green, 0 blue.
  b.Set(0, 0, Rgb565(31, 63, 31));
  renderer_.Darken(kSurfaceBackBuffer, Rect{0, 0, 1, 1}, 40);
  EXPECT_EQ(b.At(0, 0), Rgb565(0, 1, 0));
}

TEST_F(RendererTest, Blend50TowardBlackAndWhiteTouchesEveryPixel) {
  Surface& b = S(kSurfaceTemp);
  const uint16_t samples[] = {Rgb565(31, 63, 31), Rgb565(0, 0, 0), Rgb565(7, 13, 20), 0xF81F};
  for (int i = 0; i < 4; ++i) b.Set(i, 0, samples[i]), b.Set(i, 1, samples[i]);
  renderer_.Blend50(kSurfaceTemp, Rect{0, 0, 4, 1}, true);
  renderer_.Blend50(kSurfaceTemp, Rect{0, 1, 4, 2}, false);
  for (int i = 0; i < 4; ++i) {
    int r = samples[i] >> 11, g = (samples[i] >> 5) & 63, bl = samples[i] & 31;
    EXPECT_EQ(b.At(i, 0), Rgb565(r / 2, g / 2, bl / 2)) << i;
    EXPECT_EQ(b.At(i, 1), Rgb565((r + 31) / 2, (g + 63) / 2, (bl + 31) / 2)) << i;
  }
}

TEST_F(RendererTest, EffectRectanglesAreClippedToTheSurface) {
  Surface& b = S(kSurfaceBackBuffer);
  b.Fill(Rgb565(2, 2, 2));
  renderer_.Blend50(kSurfaceBackBuffer, Rect{630, 470, 700, 500}, true);
  renderer_.Brighten(kSurfaceBackBuffer, Rect{-10, -10, 2, 2});
  renderer_.Darken(kSurfaceBackBuffer, Rect{-10, 470, 2, 900}, 1);
  EXPECT_EQ(b.At(639, 479), Rgb565(1, 1, 1));
  EXPECT_EQ(b.At(0, 0), Rgb565(9, 16, 9));
  EXPECT_EQ(b.At(0, 479), Rgb565(1, 0, 1));
  renderer_.Grey(99, Rect{0, 0, 5, 5});  // no such surface: nothing happens
}

// Every pixel value through the wide and the narrow paths, against the formulas as designed.
TEST_F(RendererTest, EffectsThroughLayer3LeaveNoScreenCopyInTheWorld) {
  // A darkened or greyed screen used to stay in layer 3's corner, where a view near the map's
  // top-left showed it again, shifted by the camera, in the first talk of a game.
  S(kSurfaceBackBuffer).Fill(0x1234);
  S(kSurfaceLayer3).Fill(renderer_.ColorKey());
  renderer_.Darken(kSurfaceBackBuffer, kScreenRect, 8);
  renderer_.Grey(kSurfaceBackBuffer, kScreenRect);
  for (int y = 0; y < kScreenHeight; y += 7)
    for (int x = 0; x < kScreenWidth; x += 5)
      ASSERT_EQ(S(kSurfaceLayer3).At(x, y), renderer_.ColorKey()) << x << "," << y;
  EXPECT_NE(S(kSurfaceBackBuffer).At(3, 3), 0x1234);
}

TEST_F(RendererTest, EffectsMatchTheirFormulasForEveryPixelValue) {
  Surface& t = S(kSurfaceTemp);
  auto fillAll = [&] {
    for (int i = 0; i < 65536; ++i) t.Set(i % 512, i / 512, static_cast<uint16_t>(i));
  };
  const Rect all{0, 0, 512, 128};
  auto check = [&](const char* name, auto expected) {
    for (int i = 0; i < 65536; ++i) {
      uint16_t p = static_cast<uint16_t>(i);
      ASSERT_EQ(t.At(i % 512, i / 512), expected(p)) << name << " of " << i;
    }
  };
  auto R = [](uint16_t p) { return p >> 11; };
  auto G = [](uint16_t p) { return (p >> 5) & 63; };
  auto B = [](uint16_t p) { return p & 31; };
  fillAll();
  renderer_.Brighten(kSurfaceTemp, all);
  check("brighten", [&](uint16_t p) -> uint16_t {
    if (p == 0xF81F) return p;
    return Rgb565(R(p) >= 24 ? 31 : R(p) + 7, std::min(G(p) + 14, 63), B(p) >= 24 ? 31 : B(p) + 7);
  });
  fillAll();
  renderer_.Grey(kSurfaceTemp, all);
  check("grey", [&](uint16_t p) -> uint16_t {
    if (p == 0xF81F) return p;
    return static_cast<uint16_t>((B(p) + 3 * R(p) + 6 * (G(p) / 2)) / 10 * 0x0841);
  });
  fillAll();
  renderer_.Darken(kSurfaceTemp, all, 9);
  check("darken", [&](uint16_t p) -> uint16_t {
    if (p == 0xF81F) return p;
    return Rgb565(std::max(R(p) - 9, 0), std::max(G(p) - 18, 0), std::max(B(p) - 9, 0));
  });
  fillAll();
  renderer_.Blend50(kSurfaceTemp, all, false);
  check("blend", [&](uint16_t p) -> uint16_t {
    return Rgb565((R(p) + 31) / 2, (G(p) + 63) / 2, (B(p) + 31) / 2);
  });
}

TEST_F(RendererTest, MessageLineHoldsAtMost255Bytes) {
  renderer_.SetMessageLine(std::string(300, 'x'), 70);
  EXPECT_EQ(renderer_.MessageText().size(), 255u);
  EXPECT_EQ(renderer_.MessageCountdown(), 70);
}

TEST(Renderer555Test, EffectsAndKeyRunInTheOtherFormat) {
  test::TempDir dir;
  test::RecordingHooks hooks;
  Renderer r(PixelFormat::Rgb555);
  ASSERT_TRUE(r.Init());
  EXPECT_EQ(r.GetPixelMasks(), 0x03E07C1Fu);
  EXPECT_EQ(r.GetSurface(kSurfaceLayer4)->ColorKey(), 0x7C1F);
  EXPECT_NE(test::ReadFile("GameEngine.log").find("it's 555"), std::string::npos);
  Surface& b = *r.GetSurface(kSurfaceBackBuffer);
  auto px = [](int rr, int g, int bb) { return static_cast<uint16_t>((rr << 10) | (g << 5) | bb); };
  b.Set(0, 0, px(10, 20, 30));
  b.Set(1, 0, 0x7C1F);
  r.Brighten(kSurfaceBackBuffer, Rect{0, 0, 2, 1});
  EXPECT_EQ(b.At(0, 0), px(17, 27, 31));
  EXPECT_EQ(b.At(1, 0), 0x7C1F);
  r.Darken(kSurfaceBackBuffer, Rect{0, 0, 1, 1}, 20);
  EXPECT_EQ(b.At(0, 0), px(0, 7, 11));
  r.Blend50(kSurfaceBackBuffer, Rect{0, 0, 1, 1}, false);
  EXPECT_EQ(b.At(0, 0), px(15, 19, 21));
  r.Grey(kSurfaceBackBuffer, Rect{0, 0, 1, 1});
  EXPECT_EQ(b.At(0, 0), (21 + 45 + 114) / 10 * 0x0421);
  r.ClearLayerAroundView(0, 0);
  EXPECT_EQ(r.GetSurface(kSurfaceLayer3)->At(0, 0), 0x7C1F);
}

// Splash and menu fades turned orange glows red: equal subtraction empties the weaker channels
// first. The fade scales every channel by the same fraction, in both formats, at every level.
TEST(RendererFadeTest, PureWhiteAndEachPureChannelKeepTheirHueThroughTheFade) {
  test::TempDir dir;
  test::RecordingHooks hooks;
  for (PixelFormat format : {PixelFormat::Rgb565, PixelFormat::Rgb555}) {
    Renderer r(format);
    ASSERT_TRUE(r.Init());
    const int rShift = format == PixelFormat::Rgb565 ? 11 : 10;
    const int gMax = format == PixelFormat::Rgb565 ? 63 : 31;
    auto px = [&](int red, int g, int b) {
      return static_cast<uint16_t>((red << rShift) | (g << 5) | b);
    };
    // White, red, green, blue, orange and the colour key (a fade dims the key too).
    const int colours[6][3] = {{31, gMax, 31},        {31, 0, 0}, {0, gMax, 0}, {0, 0, 31},
                               {31, gMax * 2 / 3, 4}, {31, 0, 31}};
    Surface& b = *r.GetSurface(kSurfaceBackBuffer);
    for (int level = 0; level <= 40; ++level) {
      for (int i = 0; i < 6; ++i) b.Set(i, 0, px(colours[i][0], colours[i][1], colours[i][2]));
      b.Set(6, 0, 0x1234);  // outside the rectangle: untouched
      r.FadeTowardBlack(kSurfaceBackBuffer, Rect{0, 0, 6, 1}, level);
      const int keep = 31 - std::clamp(level, 0, 31);
      for (int i = 0; i < 6; ++i) {
        const uint16_t p = b.At(i, 0);
        const int got[3] = {p >> rShift & 31, p >> 5 & gMax, p & 31};
        for (int c = 0; c < 3; ++c)
          EXPECT_EQ(got[c], (colours[i][c] * keep + 15) / 31)
              << "format " << rShift << " level " << level << " colour " << i << " channel " << c;
      }
      EXPECT_EQ(b.At(6, 0), 0x1234);
    }
    // Half way, white is a mid grey and orange is still orange: red stays above green.
    b.Set(0, 0, px(31, gMax, 31));
    b.Set(1, 0, px(31, gMax * 2 / 3, 4));
    r.FadeTowardBlack(kSurfaceBackBuffer, Rect{0, 0, 2, 1}, 15);
    EXPECT_EQ(b.At(0, 0), px(16, (gMax * 16 + 15) / 31, 16));
    EXPECT_GT(b.At(1, 0) >> 5 & gMax, 0);
  }
}

// Pictures come from image packs built the way the kit builds them.
class RendererPackTest : public RendererTest {
 protected:
  void SetUp() override {
    RendererTest::SetUp();
    BmpImage pic = BmpImage::Filled(4, 3, 0xFF00FF);
    pic.Set(1, 1, 0x00FF00);
    pic.Set(2, 1, 0xFFFFFF);
    PackageWriter ui;
    ASSERT_TRUE(ui.AddFile("back.bmp", WriteBmp24(pic), true));
    ASSERT_TRUE(ui.AddFile("broken.bmp", std::vector<uint8_t>{'B', 'M', 1, 2, 3}, false));
    test::WriteFile("ui.epk", ui.Build());
    PackageWriter role;
    ASSERT_TRUE(role.AddFile("a.bmp", WriteBmp24(BmpImage::Filled(2, 2, 0x0000FF)), false));
    test::WriteFile("role.epk", role.Build());
    renderer_.SetPackPath(kPackUi, "ui.epk");
    renderer_.SetPackPath(kPackRole, "role.epk");
  }
};

TEST_F(RendererPackTest, LoadingTwiceReadsThePackOnce) {
  EXPECT_EQ(renderer_.EnsureLoaded(kPackUi, "back.bmp", false), 1);
  EXPECT_EQ(renderer_.EnsureLoaded(kPackUi, "back.bmp", false), 0);
  EXPECT_EQ(renderer_.PackReads(), 1);
  EXPECT_EQ(renderer_.CacheSize(0), 1u);
  EXPECT_EQ(renderer_.CurrentPack(), kPackUi);
  // The key joins pack index and name, so the same name in another pack is another picture.
  EXPECT_EQ(renderer_.EnsureLoaded(kPackRole, "a.bmp", false), 1);
  EXPECT_EQ(renderer_.CurrentPack(), kPackRole);
}

TEST_F(RendererPackTest, KeptPicturesLiveInTheOtherCache) {
  EXPECT_EQ(renderer_.EnsureLoaded(kPackUi, "back.bmp", true), 1);
  EXPECT_EQ(renderer_.EnsureLoaded(kPackUi, "back.bmp", false), 1);  // not satisfied by A
  EXPECT_EQ(renderer_.PackReads(), 2);
  EXPECT_EQ(renderer_.CacheSize(1), 1u);
  EXPECT_EQ(renderer_.CacheSize(0), 1u);
  renderer_.ClearCache(0);
  EXPECT_EQ(renderer_.CacheSize(0), 0u);
  EXPECT_EQ(renderer_.CacheSize(1), 1u);
  EXPECT_EQ(renderer_.EnsureLoaded(kPackUi, "back.bmp", true), 0);
  renderer_.ClearCache(1);
  EXPECT_EQ(renderer_.EnsureLoaded(kPackUi, "back.bmp", true), 1);
}

TEST_F(RendererPackTest, MissingPictureIsReportedAndNotDrawn) {
  hooks_.Reset();
  EXPECT_EQ(renderer_.EnsureLoaded(kPackUi, "nothere.bmp", false), 0);
  ASSERT_EQ(hooks_.debugOutput.size(), 1u);
  EXPECT_EQ(hooks_.debugOutput[0], "can not find (bmp:)nothere.bmp in (epk:)ui.epk\n");
  EXPECT_NE(test::ReadFile("GameEngine.log").find("can not find (bmp:)nothere.bmp in (epk:)ui.epk"),
            std::string::npos);
  EXPECT_FALSE(renderer_.DrawPicture(kPackUi, "nothere.bmp", kSurfaceBackBuffer, 0, 0));
  EXPECT_EQ(renderer_.GetPictureSize(kPackUi, "nothere.bmp"), (Size{0, 0}));
  // A damaged picture is cached but never drawn.
  EXPECT_FALSE(renderer_.DrawPictureTo(kPackUi, "broken.bmp", kSurfaceBackBuffer, 0, 0, false));
}

TEST_F(RendererPackTest, DrawPictureIsKeyedAndGoesThroughLayer3) {
  Surface& back = S(kSurfaceBackBuffer);
  back.Fill(0x1234);
  S(kSurfaceLayer3).Fill(0x0001);
  ASSERT_TRUE(renderer_.DrawPicture(kPackUi, "back.bmp", kSurfaceBackBuffer, 100, 50));
  EXPECT_EQ(back.At(100, 50), 0x1234);  // magenta is transparent
  EXPECT_EQ(back.At(101, 51), 0x07E0);
  EXPECT_EQ(back.At(102, 51), 0xFFFF);
  EXPECT_EQ(back.At(104, 51), 0x1234);
  // The corner of layer 3 it went through is given back transparent; the rest is untouched.
  EXPECT_EQ(S(kSurfaceLayer3).At(1, 1), 0xF81F);
  EXPECT_EQ(S(kSurfaceLayer3).At(3, 2), 0xF81F);
  EXPECT_EQ(S(kSurfaceLayer3).At(4, 0), 0x0001);
  // DrawPictureTo is opaque.
  ASSERT_TRUE(renderer_.DrawPictureTo(kPackUi, "back.bmp", kSurfaceBackBuffer, 0, 0, false));
  EXPECT_EQ(back.At(0, 0), 0xF81F);
  EXPECT_EQ(renderer_.GetPictureSize(kPackUi, "back.bmp"), (Size{4, 3}));
}

TEST_F(RendererPackTest, DecodedPixelsFollowTheCachesAndStayWithinTheirBudget) {
  const size_t pixelBytes = 16 * 3 * 2;  // 4×3 at a pitch of 16 pixels
  ASSERT_NE(renderer_.DecodedPicture(kPackUi, "back.bmp"), nullptr);
  const Surface* first = renderer_.DecodedPicture(kPackUi, "back.bmp");
  EXPECT_EQ(renderer_.DecodedPicture(kPackUi, "back.bmp"), first);  // decoded once
  EXPECT_EQ(renderer_.PackReads(), 1);
  EXPECT_EQ(first->At(1, 1), 0x07E0);
  EXPECT_EQ(first->ColorKey(), 0xF81F);
  EXPECT_EQ(renderer_.DecodedMemory(), pixelBytes);
  const size_t fileBytes = renderer_.PictureBytes(kPackUi, "back.bmp")->size();
  EXPECT_EQ(renderer_.CacheMemory(), fileBytes + pixelBytes);
  // A kept copy is a picture of its own; clearing cache B leaves it and its pixels.
  ASSERT_NE(renderer_.DecodedPicture(kPackUi, "back.bmp", true), nullptr);
  renderer_.ClearCache(kOrdinaryPictures);
  EXPECT_EQ(renderer_.CacheMemory(), fileBytes + pixelBytes);
  renderer_.ClearCache(kKeptPictures);
  EXPECT_EQ(renderer_.CacheMemory(), 0u);
  // Damaged pictures have no pixels and are never drawn.
  EXPECT_EQ(renderer_.DecodedPicture(kPackUi, "broken.bmp"), nullptr);
  EXPECT_FALSE(renderer_.DrawPicture(kPackUi, "broken.bmp", kSurfaceBackBuffer, 0, 0));

  // Past the budget, pixels are dropped and made again from the bytes when drawn.
  renderer_.SetDecodedBudget(pixelBytes + pixelBytes / 2);
  ASSERT_NE(renderer_.DecodedPicture(kPackUi, "back.bmp"), nullptr);
  ASSERT_NE(renderer_.DecodedPicture(kPackUi, "back.bmp", true), nullptr);
  EXPECT_EQ(renderer_.DecodedMemory(), pixelBytes);
  ASSERT_TRUE(renderer_.DrawPicture(kPackUi, "back.bmp", kSurfaceBackBuffer, 10, 10));
  EXPECT_EQ(S(kSurfaceBackBuffer).At(11, 11), 0x07E0);
  EXPECT_LE(renderer_.DecodedMemory(), pixelBytes + pixelBytes / 2);
}

TEST_F(RendererPackTest, TrueColourPicturesAreKeptAsPixelsAlone) {
  BmpImage tile = BmpImage::Filled(64, 32, 0x102030);
  tile.Set(5, 6, 0xFF00FF);
  PackageWriter tiles;
  ASSERT_TRUE(tiles.AddFile("t.bmp", WriteBmp24(tile), true));
  test::WriteFile("tiles.epk", tiles.Build());
  renderer_.SetPackPath(kPackTiles, "tiles.epk");
  EXPECT_EQ(renderer_.EnsureLoaded(kPackTiles, "t.bmp", false), 1);
  // 64×32×2 bytes of pixels instead of the 6,198-byte file, and no file left to hand out.
  EXPECT_EQ(renderer_.CacheMemory(), 64u * 32 * 2);
  EXPECT_EQ(renderer_.PictureBytes(kPackTiles, "t.bmp"), nullptr);
  EXPECT_EQ(renderer_.GetPictureSize(kPackTiles, "t.bmp"), (Size{64, 32}));
  Surface& back = S(kSurfaceBackBuffer);
  back.Fill(0x1234);
  ASSERT_TRUE(renderer_.DrawPictureTo(kPackTiles, "t.bmp", kSurfaceBackBuffer, 1, 1, false));
  EXPECT_EQ(back.At(6, 7), 0xF81F);  // opaque: the key is drawn
  EXPECT_EQ(back.At(1, 1), PackPixel(PixelFormat::Rgb565, 0x10, 0x20, 0x30));
  ASSERT_TRUE(renderer_.DrawPicture(kPackTiles, "t.bmp", kSurfaceBackBuffer, 100, 1));
  EXPECT_EQ(back.At(105, 7), 0x1234);  // keyed: transparent
  EXPECT_EQ(renderer_.PackReads(), 1);
  // Budget trimming never drops them: there would be nothing to decode them from.
  renderer_.SetDecodedBudget(0);
  EXPECT_TRUE(renderer_.DrawPicture(kPackUi, "back.bmp", kSurfaceBackBuffer, 0, 0));
  EXPECT_NE(renderer_.DecodedPicture(kPackTiles, "t.bmp"), nullptr);
  renderer_.ClearCache(kOrdinaryPictures);
  EXPECT_EQ(renderer_.CacheMemory(), 0u);
}

TEST_F(RendererPackTest, MapSizedSurfacesAreMadeOnFirstUse) {
  Renderer r;
  ASSERT_TRUE(r.Init());
  for (int i : {kSurfacePrimary, kSurfaceGround, kSurfaceLayer3, kSurfaceLayer4, kSurfaceObjects})
    EXPECT_FALSE(r.HasSurface(i)) << i;
  EXPECT_TRUE(r.HasSurface(kSurfaceBackBuffer));
  // Pictures and effects on the screen do not make them (the scratch corner is only given
  // back once layer 3 exists).
  r.SetPackPath(kPackUi, "ui.epk");
  ASSERT_TRUE(r.DrawPicture(kPackUi, "back.bmp", kSurfaceBackBuffer, 0, 0));
  ASSERT_TRUE(r.DrawPictureLit(kPackUi, "back.bmp", kSurfaceBackBuffer, 0, 0));
  r.Darken(kSurfaceBackBuffer, kScreenRect, 4);
  r.Brighten(kSurfaceBackBuffer, kScreenRect);
  EXPECT_FALSE(r.HasSurface(kSurfaceLayer3));
  EXPECT_FALSE(r.HasSurface(kSurfaceObjects));
  // Asked for, a layer is black (or keyed where designed) and the object sheet can be let go.
  const Surface* layer3 = r.GetSurface(kSurfaceLayer3);
  ASSERT_NE(layer3, nullptr);
  EXPECT_EQ(layer3->Width(), kRoleLayerWidth);
  EXPECT_EQ(layer3->At(0, 0), 0);
  EXPECT_TRUE(layer3->HasColorKey());
  EXPECT_FALSE(r.GetSurface(kSurfaceGround)->HasColorKey());
  ASSERT_NE(r.GetSurface(kSurfaceObjects), nullptr);
  r.ReleaseObjectSheet();
  EXPECT_FALSE(r.HasSurface(kSurfaceObjects));
}

TEST_F(RendererPackTest, ALitPictureIsBrightenedOnACopy) {
  Surface& back = S(kSurfaceBackBuffer);
  back.Fill(0x1234);
  S(kSurfaceLayer3).Fill(0x0001);
  ASSERT_TRUE(renderer_.DrawPictureLit(kPackUi, "back.bmp", kSurfaceBackBuffer, 20, 20));
  EXPECT_EQ(back.At(20, 20), 0x1234);            // the key stays transparent
  EXPECT_EQ(back.At(21, 21), Rgb565(7, 63, 7));  // green brightened
  EXPECT_EQ(back.At(22, 21), 0xFFFF);            // white stays white
  EXPECT_EQ(renderer_.DecodedPicture(kPackUi, "back.bmp")->At(1, 1), 0x07E0);  // cache intact
  EXPECT_EQ(S(kSurfaceLayer3).At(1, 1), 0xF81F);  // the scratch corner given back
}

// 39 run-length pictures of 8000×8000 (124 KB) once cost 3 s a frame: each draw decoded the
// whole picture into a scratch of its size. Pictures past any surface are refused with one log
// line; run-length ones are decoded once (every pixel palette entry 1, green, here).
TEST_F(RendererPackTest, OversizedPicturesAreRefusedAndRunLengthOnesDecodedOnce) {
  const int edge = Renderer::kMaxPictureSide, sizes[][2] = {{8000, 8000}, {1, edge + 1}, {edge, 2}};
  for (const auto& [w, h] : sizes) {
    ByteWriter b;
    b.U8('B'), b.U8('M'), b.U32(0), b.U32(0), b.U32(14 + 40 + 8), b.U32(40), b.I32(w), b.I32(h);
    b.U16(1), b.U16(8), b.U32(1), b.U32(0), b.U32(0), b.U32(0), b.U32(2), b.U32(0);
    b.U32(0xFF00FF), b.U32(0x00FF00);
    for (int row = 0; row < h; ++row, b.U16(0))
      for (int left = w; left > 0; left -= 255) b.U8(std::min(left, 255)), b.U8(1);
    PackageWriter pack;
    ASSERT_TRUE(pack.AddFile("p.bmp", b.Take(), false));
    test::WriteFile("big.epk", pack.Build());
    renderer_.SetPackPath(kPackUi, "big.epk");
    for (int frame = 0; frame < 3; ++frame)
      EXPECT_EQ(renderer_.DrawPicture(kPackUi, "p.bmp", kSurfaceBackBuffer, 0, 0), h == 2);
    EXPECT_EQ(S(kSurfaceBackBuffer).At(0, 0) == 0x07E0, h == 2);
    EXPECT_EQ(renderer_.DecodedMemory() > 0, h == 2);
    renderer_.ClearCache(kOrdinaryPictures);
  }
  const std::string log = test::ReadFile("GameEngine.log");
  EXPECT_NE(log.find("picture (bmp:)p.bmp in (epk:)big.epk is 8000x8000, larger than any surface; "
                     "it is not drawn"),
            std::string::npos);
  size_t lines = 0;  // one for each refused picture, not one a draw
  for (size_t at = log.find("larger than"); at != std::string::npos;
       at = log.find("larger", at + 1))
    ++lines;
  EXPECT_EQ(lines, 2u);
}

}  // namespace
}  // namespace isora
