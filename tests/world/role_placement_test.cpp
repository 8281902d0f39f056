#include "world/role_placement.h"

#include <gtest/gtest.h>

#include "lib/map_writer.h"
#include "lib/npc_writer.h"
#include "roles/role_fixture.h"

namespace isora::test {
namespace {

class RolePlacementTest : public RoleTest {
 protected:
  RolePlacementTest() {
    nlohmann::json src = {{"size", 10}};
    std::string error;
    EXPECT_TRUE(BuildMapFromJson(src, "t.map", mapData_, &error)) << error;
    EXPECT_EQ(map_.LoadBytes(WriteMapFile(mapData_)), 1);
    NpcRecord guard = Record("Guard");
    guard.factionName = "Blue";
    NpcRecord wolf = Record("Wolf");
    wolf.kind = 2;
    records_ = {guard, wolf, Record("Fox")};
    WriteNpcs();
    player_ = MakePlayer();
  }
  void WriteNpcs() { WriteFile("data/npc.npc", WriteNpcFile(records_)); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : list_.Entries()) names.push_back(e.role ? e.role->RoleName() : "-");
    return names;
  }
  std::vector<int> Ids() const {
    std::vector<int> ids;
    for (const auto& e : list_.Entries()) ids.push_back(e.id);
    return ids;
  }

  MapFileData mapData_;
  GameLog mapLog_{"map.log"};
  GameMap map_{&mapLog_};
  std::vector<NpcRecord> records_;
  std::unique_ptr<Role> player_;
  Relations relations_;
  PlacementContext placement_{context_, &relations_, nullptr};
  RoleList list_;
};

TEST_F(RolePlacementTest, PlacementsMayRepeatAndRunInAnyOrder) {
  placement_.player = player_.get();
  std::vector<RolePlacement> placements = {
      {3, {}, 1, 1}, {2, {}, 2, 3}, {2, {}, 4, 4}, {1, {}, 0, 0}};
  ASSERT_EQ(list_.CreateMapRoles(placements, map_, placement_), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Fox", "Wolf", "Wolf", "Guard"}));
  EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3, 4}));
  const Point cell = map_.CellPosition(2, 3);
  const CRoleNPC& wolf = *list_.Entries()[1].role;
  EXPECT_EQ(wolf.NpcId(), 2);
  EXPECT_EQ(wolf.X(), cell.x + 20);  // the frame's bottom-left on (x, y + 32)
  EXPECT_EQ(wolf.Y(), cell.y + 32 - 30);
}

TEST_F(RolePlacementTest, RecordsTheFileDoesNotHoldAreSkipped) {
  std::vector<RolePlacement> placements = {
      {4, {}, 1, 1}, {0, {}, 1, 1}, {-2, {}, 1, 1}, {1, {}, 1, 1}};
  ASSERT_EQ(list_.CreateMapRoles(placements, map_, placement_), 1);
  EXPECT_EQ(Names(), std::vector<std::string>{"Guard"});
  EXPECT_EQ(Ids(), std::vector<int>{1});
  EXPECT_EQ(list_.MissingRecords(), (std::vector<int>{4, 0, -2}));  // for the log

  // A trailing partial record does not count either.
  auto bytes = WriteNpcFile(records_);
  bytes.resize(bytes.size() - 1);
  WriteFile("data/npc.npc", bytes);
  ASSERT_EQ(list_.CreateMapRoles({{3, {}, 1, 1}, {2, {}, 1, 1}}, map_, placement_), 1);
  EXPECT_EQ(Names(), std::vector<std::string>{"Wolf"});
  EXPECT_EQ(list_.MissingRecords(), std::vector<int>{3});
}

TEST_F(RolePlacementTest, AMissingOrForeignFileLeavesTheListAsItWas) {
  ASSERT_EQ(list_.CreateMapRoles({{1, {}, 1, 1}}, map_, placement_), 1);
  std::filesystem::remove(test::InFolder("data/npc.npc"));
  EXPECT_EQ(list_.CreateMapRoles({{2, {}, 1, 1}}, map_, placement_), 0);
  EXPECT_EQ(list_.AddRoleByName("Wolf", 1, 1, map_, placement_), 0);
  WriteFile("data/npc.npc", std::string("NPC4") + std::string(2208, '\0'));
  EXPECT_EQ(list_.CreateMapRoles({{1, {}, 1, 1}}, map_, placement_), 0);
  EXPECT_EQ(Names(), std::vector<std::string>{"Guard"});
}

TEST_F(RolePlacementTest, EnmityAboveFiftyMakesTheFactionHostile) {
  placement_.player = player_.get();
  relations_.factionEnmity["Blue"] = 50;
  ASSERT_EQ(list_.CreateMapRoles({{1, {}, 1, 1}}, map_, placement_), 1);
  EXPECT_FALSE(list_.Entries()[0].role->Hostile());
  relations_.factionEnmity["Blue"] = 51;
  ASSERT_EQ(list_.CreateMapRoles({{1, {}, 1, 1}}, map_, placement_), 1);
  const CRoleNPC& guard = *list_.Entries()[0].role;
  EXPECT_TRUE(guard.Hostile());
  EXPECT_EQ(guard.FightTarget(), player_.get());
  EXPECT_EQ(guard.OrderMode(), RoleOrder::kChase);
}

TEST_F(RolePlacementTest, KindTwoTurnsOnAWickedPlayer) {
  placement_.player = player_.get();
  player_->Growth().MutableAttrs().moral = 0;
  ASSERT_EQ(list_.AddRoleByName("Wolf", 1, 1, map_, placement_), 1);
  EXPECT_FALSE(list_.Entries()[0].role->Hostile());
  player_->Growth().MutableAttrs().moral = -1;
  ASSERT_EQ(list_.AddRoleByName("Wolf", 1, 1, map_, placement_), 1);
  EXPECT_TRUE(list_.Entries()[1].role->Hostile());
}

TEST_F(RolePlacementTest, AddingByNameAppendsWithFreshIds) {
  ASSERT_EQ(list_.CreateMapRoles({{1, {}, 1, 1}, {3, {}, 1, 2}}, map_, placement_), 1);
  EXPECT_EQ(list_.AddRoleByName("Fox", 5, 5, map_, placement_), 1);
  EXPECT_EQ(list_.AddRoleByName("Fox", 5, 6, map_, placement_), 1);
  EXPECT_EQ(list_.AddRoleByName("Nobody", 5, 6, map_, placement_), 0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Guard", "Fox", "Fox", "Fox"}));
  EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3, 4}));

  // A death takes its entry out; the next role still gets an id nobody has.
  list_.Erase(0, player_.get());
  ASSERT_EQ(list_.AddRoleByName("Guard", 1, 1, map_, placement_), 1);
  EXPECT_EQ(Ids(), (std::vector<int>{2, 3, 4, 5}));
}

TEST_F(RolePlacementTest, RemovingByNameClearsTargetsAndKeepsEntries) {
  ASSERT_EQ(list_.CreateMapRoles({{2, {}, 1, 1}, {3, {}, 1, 2}, {2, {}, 2, 2}}, map_, placement_),
            1);
  player_->SetFightTarget(3, list_.Entries()[2].role.get());
  list_.Entries()[1].role->SetFightTarget(1, list_.Entries()[0].role.get());
  EXPECT_EQ(list_.RemoveByName("Wolf", player_.get()), 2);
  EXPECT_EQ(Names(), (std::vector<std::string>{"-", "Fox", "-"}));
  EXPECT_EQ(player_->FightTarget(), nullptr);
  EXPECT_EQ(list_.Entries()[1].role->FightTarget(), nullptr);
  ASSERT_EQ(list_.AddRoleByName("Fox", 1, 1, map_, placement_), 1);
  EXPECT_EQ(list_.Entries().back().id, 4);
}

}  // namespace
}  // namespace isora::test
