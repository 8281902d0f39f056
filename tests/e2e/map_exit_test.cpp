// Map exits and roles placed by the world.
#include "demo_session.h"
#include "shell/game_world.h"

namespace isora::e2e {
namespace {

using nlohmann::json;

TEST(World, AMapExitEntersTheNextMapAtItsStartFacingFive) {
  DemoSession d;
  ASSERT_TRUE(d.NewGame());
  d.Click(498, 80);
  GameMap& map = d.game->Map();
  const MapCell* exit = nullptr;
  for (const MapCell& c : map.Cells()) {
    if (c.exitId != 0 && !map.CellExit(c.x + 32, c.y + 16).empty()) {
      exit = &c;
      break;
    }
  }
  ASSERT_NE(exit, nullptr);
  const int ex = exit->x + 32, ey = exit->y + 16;
  std::string dest = map.CellExit(ex, ey);
  d.game->Scripting().ChangeMap("town.map", -1, -1, 1);  // through the loading screens once
  ASSERT_TRUE(d.UntilMode("ModeLoadingMap", 20));
  ASSERT_TRUE(d.Until(
      [](const json& st) { return st["mode"] == "ModePlay" && st["fadePhase"] == 2; }, 100));
  d.game->World().player->SetPosition(ex, ey);
  d.game->World().player->Stand();
  ASSERT_TRUE(d.UntilMode("ModeLoadingMap", 20));
  ASSERT_TRUE(d.Until(
      [](const json& st) { return st["mode"] == "ModePlay" && st["fadePhase"] == 2; }, 100));
  json s = d.State();
  EXPECT_EQ(s["map"]["file"], dest);
  EXPECT_EQ(s["player"]["direction"], 5);
  // The role stands with its feet on the start cell; its centre is up to a cell above.
  EXPECT_NEAR(s["player"]["row"].get<int>(), s["map"]["startX"].get<int>(), 1);
  EXPECT_NEAR(s["player"]["column"].get<int>(), s["map"]["startY"].get<int>(), 1);
  EXPECT_TRUE(s["groundItems"].empty());
}

}  // namespace
}  // namespace isora::e2e
