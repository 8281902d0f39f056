#include "world/step_probe.h"

#include <gtest/gtest.h>

#include <cmath>

#include "lib/map_writer.h"
#include "roles/role_fixture.h"

namespace isora::test {
namespace {

class StepProbeTest : public RoleTest {
 protected:
  StepProbeTest() {
    MapFileData data;
    std::string error;
    nlohmann::json src = {{"size", 50},
                          {"cells", {{{"row", 10}, {"column", 10}, {"passable", 0}}}}};
    EXPECT_TRUE(BuildMapFromJson(src, "t.map", data, &error)) << error;
    EXPECT_EQ(map_.LoadBytes(WriteMapFile(data)), 1);
  }
  GameLog mapLog_{"map.log"};
  GameMap map_{&mapLog_};
};

TEST_F(StepProbeTest, FreeUnlessBlockedByTheMapOrALivingRole) {
  auto player = MakePlayer(1600, 700);
  const Role* none[] = {nullptr};
  EXPECT_EQ(ProbeStep(*player, map_, none), MakeProbeResult(true, -1));  // standing

  player->MoveTo(player->X() + 200, player->Y(), RoleStateKind::kWalk);
  const Point p = player->StepProbe();
  EXPECT_EQ(ProbeStep(*player, map_, none), MakeProbeResult(true, -1));

  auto npc = MakeNpc(Record("wolf"), p.x - 20, p.y + 30, 5);
  ASSERT_TRUE(npc->Bounds().Empty());  // not drawn yet
  npc->Update(MakeProbeResult(true, -1));
  ASSERT_TRUE(npc->Bounds().Contains(p.x, p.y));
  const Role* others[] = {player.get(), npc.get()};
  EXPECT_EQ(ProbeStep(*player, map_, others), MakeProbeResult(false, 5));
  npc->ChangeHp('-', 1000);
  EXPECT_EQ(ProbeStep(*player, map_, others), MakeProbeResult(true, -1));

  // The blocked cell (10, 10).
  const Point cell = map_.CellPosition(10, 10);
  player->SetPosition(cell.x + 32, cell.y + 16 - 32);
  player->SetTarget(cell.x + 32, cell.y + 300);
  EXPECT_EQ(ProbeStep(*player, map_, none), MakeProbeResult(false, -1));
  EXPECT_FALSE(StepIsFreeOnMap(*player, map_));
}

}  // namespace
}  // namespace isora::test

namespace isora::test {
namespace {

// Walks (or runs) the player from `from` (his feet) towards `to` through the game's step test;
// false at the first frame whose feet stand in a blocked cell or off the cells.
bool FeetStayOnOpenCells(Role& player, const GameMap& map, Point from, Point to, RoleStateKind gait,
                         std::string* where) {
  player.SetPosition(from.x, from.y - kRoleFeet);
  player.MoveTo(to.x, to.y - kRoleFeet, gait);
  const Role* none[] = {nullptr};
  for (int frame = 0; frame < 300 && player.State() == gait; ++frame) {
    player.Update(ProbeStep(player, map, none));
    if (!map.IsPassableAt(player.X(), player.Y() + kRoleFeet)) {
      *where = "feet at " + std::to_string(player.X()) + "," +
               std::to_string(player.Y() + kRoleFeet) + " after frame " + std::to_string(frame);
      return false;
    }
  }
  return true;
}

TEST_F(StepProbeTest, WildFeetNeverLandInABlockedCellWhenPassingItsCorner) {
  // The step looked 6 pixels ahead but the feet landed 3 (walking) or truncated 6 (running)
  // pixels on: passing a blocked cell's corner, the probe could fall on the open cell beyond
  // while the feet came down inside the blocked one, and at the map's rim outside the map.
  auto player = MakePlayer(1600, 700);
  player->Update(MakeProbeResult(true, -1));
  const Point cell = map_.CellPosition(10, 10);
  const Point centre{cell.x + 32, cell.y + 16};
  int walks = 0;
  auto walk = [&](Point from, Point to, RoleStateKind gait) {
    if (!map_.IsPassableAt(from.x, from.y)) return;
    std::string where;
    EXPECT_TRUE(FeetStayOnOpenCells(*player, map_, from, to, gait, &where))
        << (gait == RoleStateKind::kWalk ? "walk " : "run ") << from.x - centre.x << ","
        << from.y - centre.y << " -> " << to.x - centre.x << "," << to.y - centre.y << ": "
        << where;
    ++walks;
  };
  for (RoleStateKind gait : {RoleStateKind::kWalk, RoleStateKind::kRun}) {
    for (int side : {-1, 1}) {
      for (int k = 1; k <= 8; ++k) {
        // Level walks across the cell's top and bottom tips, both ways.
        const int y = centre.y + side * (16 - k);
        walk({centre.x - 90, y}, {centre.x + 90, y}, gait);
        walk({centre.x + 90, y}, {centre.x - 90, y}, gait);
        // Upright walks across its left and right tips.
        const int x = centre.x + side * (32 - k);
        walk({x, centre.y - 90}, {x, centre.y + 90}, gait);
        walk({x, centre.y + 90}, {x, centre.y - 90}, gait);
      }
    }
  }
  // Slanting walks close by each tip, in every direction: the probe truncates the point it looks
  // at, the step the distance it moves, and the two part by a pixel on the way.
  const Point tips[] = {{centre.x, centre.y - 16},
                        {centre.x + 32, centre.y},
                        {centre.x, centre.y + 16},
                        {centre.x - 32, centre.y}};
  for (RoleStateKind gait : {RoleStateKind::kWalk, RoleStateKind::kRun}) {
    for (Point tip : tips) {
      for (int degrees = 0; degrees < 360; degrees += 9) {
        const double a = degrees * 3.14159265358979 / 180;
        const int ux = static_cast<int>(std::lround(90 * std::cos(a)));
        const int uy = static_cast<int>(std::lround(90 * std::sin(a)));
        for (int k = -2; k <= 2; ++k) {
          const Point mid{tip.x + k * uy / 45, tip.y - k * ux / 45};
          walk({mid.x - ux, mid.y - uy}, {mid.x + ux, mid.y + uy}, gait);
        }
      }
    }
  }
  EXPECT_GE(walks, 1000);

  // Along the map's rim, a few pixels inside the outer tips of its last row.
  const Point a = map_.CellPosition(49, 10), b = map_.CellPosition(49, 40);
  for (RoleStateKind gait : {RoleStateKind::kWalk, RoleStateKind::kRun}) {
    for (int k = 0; k <= 16; ++k) {
      const Point from{a.x + 32 + k, a.y + 16 + k / 2}, to{b.x + 32 + k, b.y + 16 + k / 2};
      walk(from, to, gait);
      walk(to, from, gait);
    }
  }
}

}  // namespace
}  // namespace isora::test
