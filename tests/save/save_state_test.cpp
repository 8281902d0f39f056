#include "save/save_state.h"

#include <gtest/gtest.h>

#include "items/test_databases.h"
#include "roles/player_growth.h"
#include "save/save_file.h"
#include "support/recording_hooks.h"

namespace isora {
namespace {

using namespace test;

TEST(SaveState, RichStateSurvivesARoundTripThroughTheFile) {
  TestDatabases db;
  PlayerGrowth player(db.items, db.skills);
  player.ChangeExp('+', 150);
  player.ChangeMoney('+', 1234);
  player.ChangeMoral('-', 70);
  player.GetBag().Add(kSmallBag);
  player.GetBag().SubBagAt(0)->Exchange(kGem, 8);
  for (int i = 0; i < 4; ++i) player.GetBag().Add(kPotion);
  player.GetBag().Add(kBigBag);
  player.GetEquipment().SetSlot(kSlotWeapon, kSword);
  player.GetEquipment().SetSlot(kSlotBaldric2, kRing);
  player.LearnSkillByName("Fire");
  AttributeSnapshot snap = player.Snapshot();
  snap.place = {1500, 700, 6};
  snap.skillId = 2;
  snap.skillLevel = 3;

  MissionList missions;
  missions.Add("herbs", "Collect herbs", kMissionCollect, "Herb", 3, 0, 1);
  missions.Add("wolves", "Kill wolves", kMissionKillNamed, "Wolf", 1, 1, 0);
  missions.ReportGained("Wolf", true);
  Relations rel;
  rel.JoinFaction("Guild");
  rel.JoinFaction("Thieves");
  rel.LeaveFaction("Guild");
  rel.ChangeLove("Ann", 7, true);
  rel.ChangeEnmity("Wolves", 60, true);
  rel.SetVip("bridge", 1);
  rel.AddHonour("Hero");
  rel.AddNote("met Ann");

  SaveData d;
  d.timeStamp = "2026/12/7-15:0:0";
  d.roles = {{"Guard", 10, 20}, {"Merchant", 30, 40}};
  d.killCount = 9;
  d.rainFlag = 1;
  StorePlayer(snap, d);
  StoreMissions(missions, d);
  StoreRelations(rel, d);

  SaveData back;
  ASSERT_TRUE(DecodeSave(EncodeSave(d), back));
  EXPECT_EQ(back, d);

  AttributeSnapshot restored = LoadPlayer(back, &db.items);
  EXPECT_EQ(restored.place, snap.place);
  EXPECT_EQ(restored.level, 2);
  EXPECT_EQ(restored.money, 1234);
  EXPECT_EQ(restored.moral, -20);
  EXPECT_EQ(restored.skillId, 2);
  EXPECT_EQ(restored.skillLevel, 3);
  EXPECT_EQ(restored.bag, snap.bag);
  EXPECT_EQ(restored.bag.StackCount(1), 4);
  EXPECT_EQ(restored.equipment, snap.equipment);
  EXPECT_EQ(restored.learnedSkills, snap.learnedSkills);

  MissionList missions2;
  missions2.Add("stale", "", 0, "", 1, 0, 0);
  LoadMissions(back, missions2);
  EXPECT_EQ(missions2.Missions(), missions.Missions());
  Relations rel2;
  rel2.SetVip("stale", 1);
  LoadRelations(back, rel2);
  EXPECT_EQ(rel2.playerFactions, rel.playerFactions);
  EXPECT_EQ(rel2.loveDegrees, rel.loveDegrees);
  EXPECT_EQ(rel2.factionEnmity, rel.factionEnmity);
  EXPECT_EQ(rel2.vipInfo, rel.vipInfo);
  EXPECT_EQ(rel2.honours, rel.honours);
  EXPECT_EQ(rel2.notes, rel.notes);
}

TEST(SaveState, BagWithoutContentsWritesMinusOneAndLaterBagsKeepTheirOwn) {
  TestDatabases db;
  Bag bag(&db.items);
  bag.Exchange(kSmallBag, 0);  // placed by exchange: no contents object
  bag.Add(kGem);
  bag.Add(kBigBag);
  bag.SubBagAt(2)->Add(kAxe);
  AttributeSnapshot snap;
  snap.bag = bag;
  SaveData d;
  StorePlayer(snap, d);
  ASSERT_EQ(d.innerBags.size(), 9u);
  EXPECT_FALSE(d.innerBags[0]);
  EXPECT_FALSE(d.innerBags[1]);
  ASSERT_TRUE(d.innerBags[2]);
  EXPECT_EQ(d.innerBags[2]->size(), 25u);

  AttributeSnapshot back = LoadPlayer(d, &db.items);
  EXPECT_EQ(back.bag.SubBagAt(0), nullptr);
  ASSERT_NE(back.bag.SubBagAt(2), nullptr);
  EXPECT_EQ(back.bag.SubBagAt(2)->Get(0), kAxe);
}

TEST(SaveState, InnerBagOnAPlainItemIsDropped) {
  TestDatabases db;
  SaveData d;
  d.bag = {{kGem, 1}};
  d.innerBags = {std::vector<int32_t>{kAxe}};
  d.weaponPack = {kSword, 0, 0, 0, kAxe};  // a fifth entry has no slot
  AttributeSnapshot s = LoadPlayer(d, &db.items);
  EXPECT_EQ(s.bag.SubBagAt(0), nullptr);
  EXPECT_EQ(s.bag.CountById(kAxe), 0);
  EXPECT_EQ(s.equipment.Get(kSlotWeapon), kSword);
  EXPECT_EQ(s.equipment.CellCount(), 4);
}

TEST(SaveState, SavingTracesEachPartOnceAndEncodingStaysSilent) {
  RecordingHooks hooks;
  SaveData d;
  d.weaponPack = {3, 0, 0, 0};
  Mission herbs;
  herbs.name = "herbs";
  d.missions.push_back(herbs);
  EncodeSave(d);
  EXPECT_TRUE(hooks.debugOutput.empty());
  std::vector<std::string> expected = {"start to save weapon pack.\n",
                                       "weapon count=4\n",
                                       "item=3\n",
                                       "item=0\n",
                                       "item=0\n",
                                       "item=0\n",
                                       "girl love ok...\n",
                                       "menpai enmity ok...\n",
                                       "vip info ok...\n",
                                       "player's faction ok...\n",
                                       "player's rongru ok...\n",
                                       "player's note ok...\n",
                                       "mission count=1\n",
                                       "the 0 mission:herbs\n",
                                       "mission ok...\n"};
  EXPECT_EQ(SaveProgressTrace(d), expected);
}

}  // namespace
}  // namespace isora
