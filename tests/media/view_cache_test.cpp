#include "media/view_cache.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace isora {
namespace {

struct Rng {
  uint32_t seed;
  int operator()(int n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 8) % static_cast<uint32_t>(n));
  }
};

Surface Keyed(int w, int h) {
  Surface s(w, h);
  s.SetColorKey(kColorKey565);
  s.Fill(kColorKey565);
  s.TrackInk();
  s.FindInk();
  return s;
}

void ExpectSame(const Surface& a, const Surface& b, int frame) {
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      ASSERT_EQ(a.At(x, y), b.At(x, y)) << "frame " << frame << " at " << x << "," << y;
}

// Frame after frame, the view composed through the cache is the one composed directly, while
// the camera stays or moves, roles walk (also between the ground and the objects, and past the
// role layer's edges), and the ground and the objects are written by every means a surface has.
TEST(ViewCacheTest, FramesAreThoseOfADirectComposition) {
  constexpr int kW = 96, kH = 72, kMargin = 10;
  Surface ground(400, 300);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x) ground.Set(x, y, static_cast<uint16_t>(x * 7 + y * 401));
  Surface objects = Keyed(400, 300);
  for (int i = 0; i < 40; ++i)
    objects.Fill(Rect{i * 10, (i * 37) % 260, i * 10 + 12 + i % 50, (i * 37) % 260 + 40},
                 static_cast<uint16_t>(0x100 + i));
  objects.Fill(Rect{100, 100, 180, 170}, 0x0F0F);  // solid tiles
  objects.Set(130, 130, kColorKey565);             // with a hole
  objects.FindInk();
  Surface roles = Keyed(kW + 2 * kMargin, kH + 2 * kMargin);
  ViewCache cache;
  Rng next{3};
  int camX = 120, camY = 90, reused = 0;
  const std::vector<std::function<void(Surface&)>> writes = {
      [&](Surface& s) {
        s.Fill(Rect{camX + next(kW), camY + next(kH), camX + kW, camY + kH}, 7);
      },
      [&](Surface& s) { s.Set(camX + next(kW), camY + next(kH), 0x1234); },
      [&](Surface& s) {
        const int x = camX + next(kW), y = camY + next(kH);
        s.Row(y)[x] = 0x4321;
        s.MarkInk(Rect{x, y, x + 1, y + 1});
      },
      [&](Surface& s) {
        s.BltFast(camX + next(kW), camY + next(kH), ground, Rect{0, 0, 20, 9}, 0);
      },
      [&](Surface& s) {
        if (&s == &objects) s.SetColorKey(s.ColorKey() == kColorKey565 ? 0x0F0F : kColorKey565);
      },
  };
  for (int frame = 0; frame < 600; ++frame) {
    const int mood = next(30);
    if (mood == 0) {
      camX = 100 + next(200);
      camY = 60 + next(150);
    } else if (mood == 1) {
      ++camX;
    } else if (mood == 2) {
      writes[next(static_cast<int>(writes.size()))](next(2) ? ground : objects);
    } else if (mood == 3 && objects.ColorKey() == kColorKey565) {
      objects.FindInk();
    }
    if (frame == 300) camX = 400 - kW;  // the view at the map's right edge
    // The role layer follows the camera and holds a few roles.
    const Point origin{camX - kMargin, camY - kMargin};
    roles.Fill(kColorKey565);
    for (int r = 0, n = next(6); r < n; ++r) {
      const int x = next(kW + 2 * kMargin + 10) - 10, y = next(kH + 2 * kMargin + 10) - 10;
      roles.Fill(Rect{x, y, x + 5 + next(30), y + 5 + next(40)}, static_cast<uint16_t>(0x800 + r));
      roles.Set(x + 2, y + 2, kColorKey565);
    }
    if (next(4) == 0) roles.FindInk();
    const Rect view{camX, camY, camX + kW, camY + kH};
    const Rect onRoles{view.left - origin.x, view.top - origin.y, view.right - origin.x,
                       view.bottom - origin.y};
    Surface viaCache(kW, kH), direct(kW, kH);
    viaCache.Fill(0x5A5A);
    cache.Compose(viaCache, {&ground, view, false}, {&roles, onRoles, true},
                  {&objects, view, true});
    reused += cache.LastFrameReused();
    const ComposeLayer layers[] = {
        {&ground, view, false}, {&roles, onRoles, true}, {&objects, view, true}};
    direct.Compose(0, 0, layers);
    ExpectSame(viaCache, direct, frame);
    if (::testing::Test::HasFatalFailure()) return;
  }
  EXPECT_GT(reused, 100);  // many frames kept the view
}

// The cache stands aside for what it does not keep: a view reaching past the ground, and a
// destination that is one of the layers.
TEST(ViewCacheTest, OtherShapesAreComposedDirectly) {
  Surface ground(100, 80);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 100; ++x) ground.Set(x, y, static_cast<uint16_t>(x + y * 100 + 1));
  Surface objects = Keyed(100, 80), roles = Keyed(40, 30);
  objects.Fill(Rect{10, 10, 30, 20}, 0x00FF);
  roles.Fill(Rect{5, 5, 9, 9}, 0x0F00);
  ViewCache cache;
  const Rect past{80, 60, 120, 90};  // beyond the ground's corner
  for (int frame = 0; frame < 3; ++frame) {
    Surface a(40, 30), b(40, 30);
    a.Fill(0x1111);
    b.Fill(0x1111);
    cache.Compose(a, {&ground, past, false}, {&roles, roles.Bounds(), true},
                  {&objects, past, true});
    EXPECT_FALSE(cache.LastFrameReused());
    const ComposeLayer layers[] = {
        {&ground, past, false}, {&roles, roles.Bounds(), true}, {&objects, past, true}};
    b.Compose(0, 0, layers);
    ExpectSame(a, b, frame);
    EXPECT_EQ(a.At(39, 29), 0x1111);  // where no layer reaches, the destination stays
  }
  const Rect inside{0, 0, 40, 30};
  for (int frame = 0; frame < 3; ++frame)
    cache.Compose(roles, {&ground, inside, false}, {&roles, inside, true},
                  {&objects, inside, true});
  EXPECT_FALSE(cache.LastFrameReused());
  EXPECT_EQ(roles.At(0, 0), ground.At(0, 0));
  EXPECT_EQ(roles.At(15, 15), 0x00FF);
}

}  // namespace
}  // namespace isora
