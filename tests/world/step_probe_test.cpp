#include "world/step_probe.h"

#include <gtest/gtest.h>

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
