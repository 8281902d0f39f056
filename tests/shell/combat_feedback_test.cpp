// The minimap's pixels and the damage numbers, exact in both pixel formats.
#include "shell/combat_feedback.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "lib/map_writer.h"
#include "media/renderer.h"
#include "shell/minimap.h"
#include "world/game_map.h"

namespace isora {
namespace {

class Formats : public ::testing::TestWithParam<PixelFormat> {};

TEST_P(Formats, TheMinimapLaysTheCellsOutAsTheDiamondWithExitsAndDots) {
  const PixelFormat f = GetParam();
  nlohmann::json src = {
      {"size", 4},
      {"cells",
       {{{"row", 1}, {"column", 2}, {"passable", 0}}, {{"row", 3}, {"column", 0}, {"exit", 1}}}}};
  MapFileData data;
  std::string error;
  ASSERT_TRUE(BuildMapFromJson(src, "m.map", data, &error)) << error;
  GameMap map;
  ASSERT_EQ(map.LoadBytes(WriteMapFile(data)), 1);
  Surface view(64, 32, f);
  const uint16_t grey = PackPixel(f, 200, 100, 40);
  const Rgb8 g = UnpackPixel(f, grey);
  const uint16_t half = PackPixel(f, g.r / 2, g.g / 2, g.b / 2);
  view.Fill(grey);
  const Point c22 = map.CellPosition(2, 2);
  const MinimapDot hero{Point{c22.x + 32, c22.y + 16}, kMinimapHero};
  DrawMinimap(view, map, std::span(&hero, 1), Point{10, 10});
  struct Expect {
    Point at;
    uint16_t pixel;
  };
  for (const Expect& e :
       {Expect{{13, 10}, ColorRefToPixel(f, kMinimapGround)},  // cell (0, 0)
        Expect{{14, 10}, ColorRefToPixel(f, kMinimapGround)},
        Expect{{14, 13}, half},  // closed (1, 2)
        Expect{{15, 13}, half}, Expect{{10, 13}, ColorRefToPixel(f, kMinimapExit)},  // exit (3, 0)
        Expect{{13, 14}, ColorRefToPixel(f, kMinimapHero)},                          // the hero
        Expect{{14, 15}, ColorRefToPixel(f, kMinimapHero)}, Expect{{8, 8}, half},  // the box's edge
        Expect{{7, 8}, grey}, Expect{{20, 12}, grey}}) {                           // outside it
    EXPECT_EQ(view.At(e.at.x, e.at.y), e.pixel) << e.at.x << "," << e.at.y;
  }
}

TEST_P(Formats, ADamageNumberRisesAPixelAFrameAndGoes) {
  Renderer renderer(GetParam());
  ASSERT_TRUE(renderer.Init());
  Surface& back = *renderer.GetSurface(kSurfaceBackBuffer);
  const uint16_t red = ColorRefToPixel(GetParam(), MakeColorRef(255, 0, 0));
  auto topRedRow = [&] {
    for (int y = 0; y < kScreenHeight; ++y)
      for (int x = 280; x < 360; ++x)
        if (back.At(x, y) == red) return y;
    return -1;
  };
  CombatFeedback feedback;
  feedback.Hit(Point{1320, 740}, 37, true);  // the hero, at (320, 240) of a view at (1000, 500)
  feedback.Hit(Point{1320, 740}, 0, false);  // a hit that took nothing shows nothing
  EXPECT_TRUE(feedback.HeroFlashing());
  std::vector<int> tops;
  for (int frame = 0; frame < 3; ++frame) {
    back.Fill(0);
    feedback.Draw(renderer, Point{1000, 500});
    tops.push_back(topRedRow());
    feedback.Step(100, 100);
  }
  ASSERT_GT(tops[0], 240 - 48 - 20);
  EXPECT_LT(tops[0], 240 - 48 + 4);
  EXPECT_EQ(tops[1], tops[0] - 1);
  EXPECT_EQ(tops[2], tops[0] - 2);
  EXPECT_FALSE(feedback.HeroFlashing());
  for (int frame = 3; frame <= CombatFeedback::kRiseFrames; ++frame) feedback.Step(100, 100);
  back.Fill(0);
  feedback.Draw(renderer, Point{1000, 500});
  EXPECT_EQ(topRedRow(), -1);
}

TEST(CombatFeedback, LowHealthWarnsOnceAsItFallsToAQuarter) {
  CombatFeedback feedback;
  EXPECT_FALSE(feedback.Step(26, 100));
  EXPECT_TRUE(feedback.Step(25, 100));
  EXPECT_FALSE(feedback.Step(10, 100));
  EXPECT_FALSE(feedback.Step(0, 100)) << "a dead hero is not warned";
  EXPECT_FALSE(feedback.Step(60, 100));
  EXPECT_TRUE(feedback.Step(20, 100));
}

INSTANTIATE_TEST_SUITE_P(BothFormats, Formats,
                         ::testing::Values(PixelFormat::Rgb565, PixelFormat::Rgb555));

}  // namespace
}  // namespace isora
