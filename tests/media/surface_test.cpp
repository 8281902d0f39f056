#include "media/surface.h"

#include <gtest/gtest.h>

#include <vector>

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

// A world layer's buffer lies on huge-page boundaries; it is still an ordinary surface: black
// at first, copied and moved with its pixels, given back on Release.
TEST(SurfaceTest, LayerSizedSurfacesBehaveAsAnyOther) {
  Surface layer(3200, 1600);
#if defined(__linux__) && !defined(__EMSCRIPTEN__)
  EXPECT_EQ(reinterpret_cast<uintptr_t>(layer.Pixels()) % (uintptr_t{2} << 20), 0u);
#endif
  EXPECT_EQ(layer.At(0, 0), 0);
  EXPECT_EQ(layer.At(3199, 1599), 0);
  layer.Set(3199, 1599, 0x1234);
  layer.Fill(Rect{100, 200, 110, 210}, 0x4321);
  Surface copy = layer;
  EXPECT_NE(copy.Pixels(), layer.Pixels());
  EXPECT_EQ(copy.At(3199, 1599), 0x1234);
  EXPECT_EQ(copy.At(105, 205), 0x4321);
  Surface moved = std::move(copy);
  EXPECT_EQ(moved.At(109, 209), 0x4321);
  Surface small(16, 16);
  small.BltFast(0, 0, moved, Rect{100, 200, 116, 216}, kBltNoColorKey);
  EXPECT_EQ(small.At(9, 9), 0x4321);
  EXPECT_EQ(small.At(10, 10), 0);
  layer.Release();
  EXPECT_FALSE(layer.Valid());
  EXPECT_EQ(layer.At(0, 0), 0);
}

// Every write moves the generation on to a number no surface had; reading leaves it.
TEST(SurfaceTest, GenerationMovesWithEveryWrite) {
  Surface s(40, 40), other(40, 40), picture(8, 8);
  picture.SetColorKey(kColorKey565);
  std::vector<uint64_t> seen = {s.Generation(), other.Generation(), picture.Generation()};
  auto moved = [&](const char* what) {
    for (uint64_t g : seen) EXPECT_NE(s.Generation(), g) << what;
    seen.push_back(s.Generation());
  };
  s.Set(30, 30, 5);
  moved("Set");
  s.Fill(Rect{2, 2, 5, 5}, 6);
  moved("Fill");
  s.BltFast(3, 3, picture, picture.Bounds(), kBltSrcColorKey);
  moved("BltFast");
  const ComposeLayer layers[] = {{&picture, picture.Bounds(), false}};
  s.Compose(0, 0, layers);
  moved("Compose");
  s.MarkInk(Rect{0, 0, 1, 1});
  moved("MarkInk");
  s.SetColorKey(0x1234);
  moved("SetColorKey");
  s.ClearColorKey();
  moved("ClearColorKey");
  Surface copy = s;
  EXPECT_EQ(copy.Generation(), s.Generation());  // the same pixels
  copy = Surface(40, 40);
  for (uint64_t g : seen) EXPECT_NE(copy.Generation(), g);
  const uint64_t before = s.Generation();
  other.BltFast(0, 0, s, s.Bounds(), kBltNoColorKey);
  EXPECT_EQ(s.At(30, 30), 5);
  s.Fill(Rect{50, 50, 60, 60}, 1);  // nothing inside: nothing written
  s.BltFast(100, 100, picture, picture.Bounds(), kBltNoColorKey);
  EXPECT_EQ(s.Generation(), before);
  s.Release();
  EXPECT_NE(s.Generation(), before);
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

// A layer that tracks its ink must give exactly the pixels of one that does not, whatever is
// drawn on it and cleared from it: the same operations on both, compared by keyed copies.
TEST(SurfaceInkTest, TrackedLayerCopiesLikeAnUntrackedOne) {
  constexpr int kW = 150, kH = 110;  // not tile multiples: edge tiles are partial
  Surface tracked(kW, kH), plain(kW, kH);
  tracked.SetColorKey(kColorKey565);
  plain.SetColorKey(kColorKey565);
  tracked.TrackInk();
  const Surface sprite = [] {
    Surface s = Pattern(23, 17);
    for (int y = 0; y < 17; ++y) s.Set(y, y, kColorKey565);
    s.SetColorKey(kColorKey565);
    return s;
  }();
  uint32_t seed = 7;
  auto next = [&](int n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 8) % static_cast<uint32_t>(n));
  };
  Surface viewA(80, 60), viewB(80, 60);
  for (int step = 0; step < 400; ++step) {
    const int x = next(kW + 40) - 20, y = next(kH + 40) - 20;
    const Rect r{x, y, x + next(90), y + next(70)};
    switch (next(5)) {
      case 0:
      case 1:
        tracked.BltFast(x, y, sprite, sprite.Bounds(), kBltSrcColorKey);
        plain.BltFast(x, y, sprite, sprite.Bounds(), kBltSrcColorKey);
        break;
      case 2:
        tracked.Fill(r, kColorKey565);
        plain.Fill(r, kColorKey565);
        break;
      case 3:
        tracked.Fill(r, 0x1234);
        plain.Fill(r, 0x1234);
        break;
      default:
        tracked.Set(x, y, 0x0F0F);
        plain.Set(x, y, 0x0F0F);
        break;
    }
    const Rect view{next(kW) - 30, next(kH) - 30, 0, 0};
    const Rect from{view.left, view.top, view.left + 80, view.top + 60};
    viewA.Fill(0x5555);
    viewB.Fill(0x5555);
    viewA.BltFast(0, 0, tracked, from, kBltSrcColorKey);
    viewB.BltFast(0, 0, plain, from, kBltSrcColorKey);
    for (int py = 0; py < 60; ++py)
      for (int px = 0; px < 80; ++px) ASSERT_EQ(viewA.At(px, py), viewB.At(px, py)) << step;
  }
  for (int py = 0; py < kH; ++py)
    for (int px = 0; px < kW; ++px) ASSERT_EQ(tracked.At(px, py), plain.At(px, py));
}

TEST(SurfaceInkTest, KeyFillsForgetWholeTilesAndRawWritesAreFoundAgain) {
  Surface layer(100, 70);
  layer.SetColorKey(kColorKey565);
  layer.TrackInk();
  EXPECT_TRUE(layer.InkedAt(99, 69));  // a new surface is black, not key
  layer.Fill(kColorKey565);
  EXPECT_FALSE(layer.InkedAt(0, 0));
  EXPECT_FALSE(layer.InkedAt(99, 69));  // the partial edge tile is wholly cleared too
  layer.Set(40, 40, 0x1111);
  layer.Set(62, 62, 0x3333);
  EXPECT_TRUE(layer.InkedAt(33, 63));  // the tile of (32..63, 32..63)
  layer.Fill(Rect{32, 32, 60, 64}, kColorKey565);
  EXPECT_TRUE(layer.InkedAt(40, 40));  // what the fill left of the tile still holds ink
  EXPECT_EQ(layer.At(40, 40), kColorKey565);
  layer.Fill(Rect{60, 60, 70, 70}, kColorKey565);
  EXPECT_FALSE(layer.InkedAt(40, 40));  // a cut tile found clean is forgotten
  // A write through Row is not seen until it is marked or looked for.
  layer.Row(5)[70] = 0x2222;
  EXPECT_FALSE(layer.InkedAt(70, 5));
  layer.FindInk();
  EXPECT_TRUE(layer.InkedAt(70, 5));
  EXPECT_FALSE(layer.InkedAt(40, 40));  // only key there now
  Surface view(100, 70);
  view.BltFast(0, 0, layer, layer.Bounds(), kBltSrcColorKey);
  EXPECT_EQ(view.At(70, 5), 0x2222);
  // A new key changes what counts as ink: every tile is inked again.
  layer.SetColorKey(0);
  EXPECT_TRUE(layer.InkedAt(0, 0));
}

// Tiles found wholly free of key are copied plainly: a single key pixel written afterwards,
// by any route, must take the tile back to keyed copying.
TEST(SurfaceInkTest, SolidTilesAreFoundAndForgottenOnWrite) {
  Surface layer(100, 70);
  layer.SetColorKey(kColorKey565);
  layer.TrackInk();
  EXPECT_FALSE(layer.SolidAt(0, 0));  // nothing is known before a look
  layer.Fill(kColorKey565);
  layer.Fill(Rect{0, 0, 70, 32}, 0x1234);
  layer.Fill(Rect{96, 64, 100, 70}, 0x4321);  // the whole of a partial edge tile
  layer.FindInk();
  EXPECT_TRUE(layer.SolidAt(0, 0));
  EXPECT_TRUE(layer.SolidAt(63, 31));
  EXPECT_FALSE(layer.SolidAt(64, 0));  // inked, with key beside the fill
  EXPECT_TRUE(layer.InkedAt(64, 0));
  EXPECT_TRUE(layer.SolidAt(99, 69));
  EXPECT_FALSE(layer.SolidAt(0, 40));  // clean
  EXPECT_FALSE(layer.SolidAt(-1, 0));

  Surface untracked(100, 70);
  untracked.BltFast(0, 0, layer, layer.Bounds(), kBltNoColorKey);
  untracked.SetColorKey(kColorKey565);
  auto sameKeyedCopies = [&](const char* what) {
    Surface a(100, 70), b(100, 70);
    a.Fill(0x5555);
    b.Fill(0x5555);
    a.BltFast(0, 0, layer, Rect{-3, -2, 90, 60}, kBltSrcColorKey);
    b.BltFast(0, 0, untracked, Rect{-3, -2, 90, 60}, kBltSrcColorKey);
    for (int y = 0; y < 70; ++y)
      for (int x = 0; x < 100; ++x) ASSERT_EQ(a.At(x, y), b.At(x, y)) << what;
  };
  sameKeyedCopies("found");
  layer.Set(10, 10, kColorKey565);
  untracked.Set(10, 10, kColorKey565);
  EXPECT_FALSE(layer.SolidAt(10, 10));
  sameKeyedCopies("key set");
  layer.FindInk();
  const Surface hole = [] {
    Surface s(3, 3);
    s.SetColorKey(0x0001);
    s.Fill(kColorKey565);
    return s;
  }();
  layer.BltFast(40, 5, hole, hole.Bounds(), kBltNoColorKey);
  untracked.BltFast(40, 5, hole, hole.Bounds(), kBltNoColorKey);
  EXPECT_FALSE(layer.SolidAt(40, 5));
  sameKeyedCopies("key copied in");
  layer.FindInk();
  layer.Fill(Rect{20, 20, 22, 22}, kColorKey565);
  untracked.Fill(Rect{20, 20, 22, 22}, kColorKey565);
  EXPECT_FALSE(layer.SolidAt(20, 20));
  sameKeyedCopies("key filled");
  layer.FindInk();
  layer.Row(25)[25] = kColorKey565;
  layer.MarkInk(Rect{25, 25, 26, 26});
  untracked.Row(25)[25] = kColorKey565;
  EXPECT_FALSE(layer.SolidAt(25, 25));
  sameKeyedCopies("raw write marked");
  layer.FindInk();
  layer.SetColorKey(0x1234);  // the fill's colour becomes the key
  EXPECT_FALSE(layer.SolidAt(0, 0));
}

// A composition must leave exactly the pixels of one BltFast per layer in turn, whatever the
// layers' sizes, rectangles, keys and ink, and however far the rectangles reach outside.
TEST(SurfaceComposeTest, LayersComposeLikeOneBlitAfterAnother) {
  Surface ground = Pattern(150, 110);
  Surface objects(150, 110), roles(120, 90), plainKeyed = Pattern(70, 50);
  for (Surface* layer : {&objects, &roles}) {
    layer->SetColorKey(kColorKey565);
    layer->Fill(kColorKey565);
  }
  objects.TrackInk();
  objects.FindInk();
  for (int i = 0; i < 30; ++i) {
    objects.Fill(Rect{i * 5, i * 3, i * 5 + 9, i * 3 + 7}, static_cast<uint16_t>(0x100 + i));
    roles.Set(i * 4, i * 3, static_cast<uint16_t>(0x2000 + i));
  }
  plainKeyed.SetColorKey(static_cast<uint16_t>(3 * 100 + 5 + 1));  // one pixel is key
  uint32_t seed = 11;
  auto next = [&](int n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 8) % static_cast<uint32_t>(n));
  };
  for (int step = 0; step < 200; ++step) {
    Surface a(90, 70), b(90, 70);
    a.Fill(0x5555);
    b.Fill(0x5555);
    const int x = next(60) - 30, y = next(50) - 25;
    ComposeLayer layers[4];
    const Surface* sources[] = {&ground, &objects, &roles, &plainKeyed};
    for (int i = 0; i < 4; ++i) {
      const int left = next(200) - 40, top = next(150) - 30;
      layers[i] = {sources[(i + step) % 4], Rect{left, top, left + next(110), top + next(90)},
                   next(3) != 0};
    }
    a.Compose(x, y, layers);
    for (const ComposeLayer& l : layers)
      b.BltFast(x, y, *l.source, l.srcRect, l.keyed ? kBltSrcColorKey : kBltNoColorKey);
    for (int py = 0; py < 70; ++py)
      for (int px = 0; px < 90; ++px) ASSERT_EQ(a.At(px, py), b.At(px, py)) << step;
  }
}

// Layers with solid tiles (houses and walls over the ground) hide the layers under them there;
// the pixels must still be those of one blit after another, with the layers in any order and
// at any offset from the tile grid.
TEST(SurfaceComposeTest, SolidTilesComposeLikeOneBlitAfterAnother) {
  Surface ground = Pattern(200, 150);
  Surface walls(200, 150), roles(200, 150);
  for (Surface* layer : {&walls, &roles}) {
    layer->SetColorKey(kColorKey565);
    layer->Fill(kColorKey565);
    layer->TrackInk();
  }
  for (int i = 0; i < 8; ++i)
    walls.Fill(Rect{i * 25, i * 17, i * 25 + 50 + i * 7, i * 17 + 70}, static_cast<uint16_t>(i));
  walls.Set(70, 70, kColorKey565);  // a hole inside a wall
  walls.FindInk();
  ASSERT_TRUE(walls.SolidAt(40, 40));
  for (int i = 0; i < 40; ++i)
    roles.Fill(Rect{i * 5, i * 3, i * 5 + 6, i * 3 + 9}, static_cast<uint16_t>(0x3000 + i));
  uint32_t seed = 5;
  auto next = [&](int n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 8) % static_cast<uint32_t>(n));
  };
  for (int step = 0; step < 150; ++step) {
    Surface a(120, 90), b(120, 90);
    a.Fill(0x5555);
    b.Fill(0x5555);
    if (step % 3 == 0) roles.FindInk();  // roles' tiles solid now and then too
    const int left = next(120) - 20, top = next(90) - 20;
    const Rect view{left, top, left + 120, top + 90};
    const Rect shifted{left + next(40) - 20, top + next(40) - 20, left + 100, top + 80};
    ComposeLayer layers[] = {{&ground, view, next(4) != 0},
                             {&roles, step % 2 ? view : shifted, true},
                             {&walls, view, true}};
    if (step % 5 == 0) std::swap(layers[1], layers[2]);
    if (step % 7 == 0) layers[0].source = &roles;  // nothing plain at the bottom
    const int x = next(10) - 5, y = next(10) - 5;
    a.Compose(x, y, layers);
    for (const ComposeLayer& l : layers)
      b.BltFast(x, y, *l.source, l.srcRect, l.keyed ? kBltSrcColorKey : kBltNoColorKey);
    for (int py = 0; py < 90; ++py)
      for (int px = 0; px < 120; ++px) ASSERT_EQ(a.At(px, py), b.At(px, py)) << step;
  }
}

// A layer taken from the destination itself sees what the layers before it wrote, and the
// destination's ink record covers everything composed onto it.
TEST(SurfaceComposeTest, SelfLayerAndDestinationInk) {
  Surface ground = Pattern(64, 64);
  Surface a(64, 64), b(64, 64);
  a.SetColorKey(kColorKey565);
  a.Fill(kColorKey565);
  a.TrackInk();
  a.FindInk();
  b.SetColorKey(kColorKey565);
  b.Fill(kColorKey565);
  const ComposeLayer layers[] = {{&ground, Rect{0, 0, 20, 20}, false},
                                 {&a, Rect{30, 30, 50, 50}, false},
                                 {&ground, Rect{30, 30, 40, 40}, false}};
  a.Compose(40, 40, layers);
  b.BltFast(40, 40, ground, Rect{0, 0, 20, 20}, kBltNoColorKey);
  b.BltFast(40, 40, b, Rect{30, 30, 50, 50}, kBltNoColorKey);
  b.BltFast(40, 40, ground, Rect{30, 30, 40, 40}, kBltNoColorKey);
  for (int py = 0; py < 64; ++py)
    for (int px = 0; px < 64; ++px) ASSERT_EQ(a.At(px, py), b.At(px, py));
  EXPECT_EQ(a.At(55, 55), ground.At(5, 5));  // copied from what the first layer wrote
  Surface view(64, 64);
  view.BltFast(0, 0, a, a.Bounds(), kBltSrcColorKey);
  EXPECT_EQ(view.At(45, 45), ground.At(35, 35));
  EXPECT_EQ(view.At(55, 55), ground.At(5, 5));
}

}  // namespace
}  // namespace isora
