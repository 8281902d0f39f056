#include "shell/see_through.h"

#include <gtest/gtest.h>

namespace isora {
namespace {

// A 3200 x 1600 world with a role picture on the role layer and an object over part of it.
struct SeeThroughWorld {
  explicit SeeThroughWorld(PixelFormat f)
      : format(f), key(f == PixelFormat::Rgb565 ? kColorKey565 : kColorKey555) {
    view = Surface(640, 480, f);
    roles = Surface(3200, 1600, f);
    objects = Surface(3200, 1600, f);
    roles.Fill(key);
    objects.Fill(key);
    view.Fill(0);
  }
  PixelFormat format;
  uint16_t key;
  Surface view, roles, objects;
};

TEST(SeeThrough, CoveredRolePixelsAreMixedHalfAndHalfOverTheObject) {
  SeeThroughWorld w(PixelFormat::Rgb565);
  const Point camera{1000, 500};
  // The role: 20 x 40 of pure red at (1100, 600); a tree: pure blue over its lower half.
  w.roles.Fill(Rect{1100, 600, 1120, 640}, 0xF800);
  w.objects.Fill(Rect{1090, 620, 1130, 660}, 0x001F);
  w.view.Fill(Rect{90, 120, 130, 160}, 0x001F);   // the composed view shows the tree
  w.view.Fill(Rect{100, 100, 120, 120}, 0xF800);  // and the role above it
  w.roles.Set(1105, 630, w.key);                  // a hole in the role's picture
  const Rect areas[] = {Rect{1100, 600, 1120, 640}, Rect{1095, 610, 1125, 650}};
  DrawSeeThrough(w.view, w.roles, w.objects, areas, camera);
  // Red over blue, each halved: 15 << 11 | 15, mixed once although both areas hold it.
  EXPECT_EQ(w.view.At(110, 130), 0x780F);
  EXPECT_EQ(w.view.At(119, 139), 0x780F);
  EXPECT_EQ(w.view.At(110, 110), 0xF800);  // not covered: the role as drawn
  EXPECT_EQ(w.view.At(105, 130), 0x001F);  // the hole shows only the tree
  EXPECT_EQ(w.view.At(125, 130), 0x001F);  // beside the role: only the tree
}

// Over colours of every kind, with key pixels scattered in both layers and areas of widths that
// do and do not divide into blocks, each pixel is the half-and-half mix or stays.
TEST(SeeThrough, EveryPixelOfAnAreaMixesOrStays) {
  for (PixelFormat f : {PixelFormat::Rgb565, PixelFormat::Rgb555}) {
    SeeThroughWorld w(f);
    uint32_t seed = 7;
    auto next = [&] {
      seed = seed * 1103515245u + 12345u;
      return static_cast<uint16_t>(seed >> 12);
    };
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 300; ++x) {
        const uint16_t a = next(), b = next(), c = next();
        w.roles.Set(x, y, a % 5 == 0 ? w.key : a);
        w.objects.Set(x, y, b % 4 == 0 ? w.key : b);
        w.view.Set(x, y, c);
      }
    const Surface before = w.view;
    const Rect areas[] = {Rect{3, 5, 40, 60}, Rect{50, 70, 58, 90}, Rect{100, 100, 299, 199},
                          Rect{20, 50, 45, 80}};
    DrawSeeThrough(w.view, w.roles, w.objects, areas, Point{0, 0});
    const uint16_t half = f == PixelFormat::Rgb565 ? 0xF7DE : 0x7BDE;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 300; ++x) {
        bool inside = false;
        for (const Rect& a : areas) inside = inside || a.Contains(x, y);
        const uint16_t role = w.roles.At(x, y), view = before.At(x, y);
        const bool mixes = inside && role != w.key && w.objects.At(x, y) != w.key;
        const uint16_t expected =
            mixes ? static_cast<uint16_t>(((view & half) >> 1) + ((role & half) >> 1)) : view;
        ASSERT_EQ(w.view.At(x, y), expected) << x << "," << y;
      }
  }
}

TEST(SeeThrough, WhiteMixesWithoutCarryingIntoTheNextChannelIn555) {
  SeeThroughWorld w(PixelFormat::Rgb555);
  w.roles.Fill(Rect{10, 10, 20, 20}, 0x7FFF);
  w.objects.Fill(Rect{10, 10, 20, 20}, 0x7FFF);
  w.view.Fill(0x7FFF);
  const Rect areas[] = {Rect{0, 0, 40, 40}};
  DrawSeeThrough(w.view, w.roles, w.objects, areas, Point{0, 0});
  EXPECT_EQ(w.view.At(15, 15), 0x7BDE);  // each channel 15 + 15, nothing spilled
}

TEST(SeeThrough, AreasOffTheViewOrTheLayersDrawNothing) {
  SeeThroughWorld w(PixelFormat::Rgb565);
  w.roles.Fill(0xFFFF);
  w.objects.Fill(0xFFFF);
  const Rect areas[] = {Rect{0, 0, 100, 100}, Rect{3150, 1550, 3300, 1700}, Rect{}};
  DrawSeeThrough(w.view, w.roles, w.objects, areas, Point{2560, 1120});
  EXPECT_EQ(w.view.At(0, 0), 0);
  EXPECT_NE(w.view.At(639, 479), 0);  // the part of the second area inside the view
  EXPECT_EQ(w.view.At(589, 429), 0);
}

// A role layer that holds only the view's surroundings gives the same mix as one the size of the
// map, and nothing where it does not reach.
TEST(SeeThrough, ARoleLayerCoveringOnlyTheViewIsReadAtItsPlaceOnTheMap) {
  SeeThroughWorld w(PixelFormat::Rgb565);
  const Point camera{1000, 500}, origin{990, 490};
  Surface small(660, 500, PixelFormat::Rgb565);
  small.Fill(w.key);
  w.roles.Fill(Rect{1100, 600, 1120, 640}, 0xF800);
  small.Fill(Rect{1100 - origin.x, 600 - origin.y, 1120 - origin.x, 640 - origin.y}, 0xF800);
  w.objects.Fill(Rect{980, 480, 1130, 660}, 0x001F);
  w.view.Fill(Rect{0, 0, 130, 160}, 0x001F);  // the composed view shows the tree
  Surface whole = w.view;
  const Rect areas[] = {Rect{900, 400, 1200, 700}};
  DrawSeeThrough(whole, w.roles, w.objects, areas, camera);
  DrawSeeThrough(w.view, small, w.objects, areas, camera, origin);
  EXPECT_EQ(w.view.At(110, 130), 0x780F);
  for (int y = 0; y < 480; y += 3)
    for (int x = 0; x < 640; x += 3) ASSERT_EQ(w.view.At(x, y), whole.At(x, y)) << x << "," << y;
  // Where the small layer ends, nothing is read: its last column is drawn, the map beyond not.
  small.Fill(0xFFFF);
  w.view.Fill(0);
  const Rect all[] = {Rect{0, 0, 3200, 1600}};
  DrawSeeThrough(w.view, small, w.objects, all, Point{400, 300}, Point{1000, 500});
  EXPECT_EQ(w.view.At(600, 199), 0);  // map (1000, 499): above the layer
  EXPECT_EQ(w.view.At(599, 200), 0);  // map (999, 500): left of the layer
  EXPECT_NE(w.view.At(600, 200), 0);  // map (1000, 500): the layer's first pixel, under the tree
}

}  // namespace
}  // namespace isora
