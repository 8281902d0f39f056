#include "save/save_checks.h"

#include <gtest/gtest.h>

#include "items/test_databases.h"

namespace isora {
namespace {

using namespace test;

SaveData Sound() {
  SaveData d;
  d.player.x = 1500;
  d.player.y = 700;
  d.bag = {{kPotion, 3}, {kSmallBag, 1}, {0, 1}};
  d.innerBags = {std::nullopt, std::vector<int32_t>{kGem, 0, kRing}, std::nullopt};
  d.weaponPack = {kSword, 0, kRing, 0};
  d.skills = {{1, 1}, {2, 3}};
  d.player.skillId = 2;
  return d;
}

TEST(SaveChecks, ASoundSaveIsTakenAsItIs) {
  TestDatabases db;
  SaveData d = Sound();
  const SaveData before = d;
  SaveCheck check = CheckSaveValues(d, db.items, db.skills);
  EXPECT_TRUE(check.refusal.empty());
  EXPECT_TRUE(check.corrections.empty());
  EXPECT_EQ(d, before);
}

TEST(SaveChecks, ImpossibleValuesAreSetRightOneLineEach) {
  // A save holding HP -5 killed the hero at once; money -100 and item -5 were kept.
  TestDatabases db;
  SaveData d = Sound();
  d.player.hp = -5;
  d.player.money = -100;
  d.player.level = 0;
  d.player.direction = 12;
  d.player.mp = 900;  // over its limit of 50, which is legal
  d.killCount = -3;
  d.bag[0] = {kPotion, 40};     // a potion stacks to five
  d.bag[2] = {-5, 1};           // no such item
  d.innerBags[1]->at(1) = 999;  // nor here
  d.weaponPack[1] = -5;
  d.skills.push_back({77, 1});  // no such skill
  d.player.skillId = 77;
  SaveCheck check = CheckSaveValues(d, db.items, db.skills);
  EXPECT_TRUE(check.refusal.empty());
  EXPECT_EQ(d.player.hp, 1);
  EXPECT_EQ(d.player.money, 0);
  EXPECT_EQ(d.player.level, 1);
  EXPECT_EQ(d.player.direction, 8);
  EXPECT_EQ(d.player.mp, 900);
  EXPECT_EQ(d.killCount, 0);
  EXPECT_EQ(d.bag[0], (SavedBagSlot{kPotion, 5}));
  EXPECT_EQ(d.bag[2], (SavedBagSlot{0, 1}));
  EXPECT_EQ(*d.innerBags[1], (std::vector<int32_t>{kGem, 0, kRing}));
  EXPECT_EQ(d.weaponPack, (std::vector<int32_t>{kSword, 0, kRing, 0}));
  EXPECT_EQ(d.skills, (std::vector<LearnedSkill>{{1, 1}, {2, 3}}));
  EXPECT_EQ(d.player.skillId, 1);
  ASSERT_EQ(check.corrections.size(), 11u);
  EXPECT_EQ(check.corrections[0], "direction 12 is impossible; set to 8");
  EXPECT_NE(std::find(check.corrections.begin(), check.corrections.end(),
                      "hp -5 is impossible; set to 1"),
            check.corrections.end());
  EXPECT_NE(std::find(check.corrections.begin(), check.corrections.end(),
                      "bag slot 3: item -5 does not exist; dropped"),
            check.corrections.end());
}

TEST(SaveChecks, AnItemDroppedFromTheBagTakesItsInnerBagAlong) {
  TestDatabases db;
  SaveData d = Sound();
  d.bag[1] = {500, 1};
  CheckSaveValues(d, db.items, db.skills);
  EXPECT_EQ(d.bag[1], (SavedBagSlot{0, 1}));
  EXPECT_FALSE(d.innerBags[1]);
}

TEST(SaveChecks, APlaceOffTheMapPictureRefusesTheSave) {
  // The hero saved outside the map stood there for good after loading.
  TestDatabases db;
  for (auto [x, y] : {std::pair{-1, 700}, {3200, 700}, {1500, -40}, {1500, 1600}}) {
    SaveData d = Sound();
    d.player.x = x;
    d.player.y = y;
    d.player.hp = -5;
    const SaveData before = d;
    SaveCheck check = CheckSaveValues(d, db.items, db.skills);
    EXPECT_NE(check.refusal.find("outside the map"), std::string::npos) << x << "," << y;
    EXPECT_EQ(d, before) << "a refused save is left as it is";
  }
  SaveData corner = Sound();
  corner.player.x = 0;
  corner.player.y = 1599;
  EXPECT_TRUE(CheckSaveValues(corner, db.items, db.skills).refusal.empty());
}

}  // namespace
}  // namespace isora
