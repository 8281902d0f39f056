#include "roles/player_growth.h"

#include <gtest/gtest.h>

#include "foundation/gbk.h"
#include "items/test_databases.h"
#include "roles/growth_fakes.h"

namespace isora {
namespace {

using namespace test;

class GrowthTest : public ::testing::Test {
 protected:
  TestDatabases db;
  RecordingOutput out;
  FakeRole role;
  PlayerGrowth player{db.items, db.skills, &out, &role};
  const Attributes& a = player.Attrs();
};

TEST_F(GrowthTest, StartValues) {
  EXPECT_EQ(a, Attributes{});
  EXPECT_EQ(player.LearnedSkills(), (std::vector<LearnedSkill>{{1, 1}}));
  PlayerGrowth npc(db.items, db.skills, nullptr, nullptr, 300, 25);
  EXPECT_EQ(npc.Attrs().maxHp, 300);
  EXPECT_EQ(npc.Attrs().hp, 300);
  EXPECT_EQ(npc.Attrs().attack, 25);
}

TEST_F(GrowthTest, ExperienceLevelsUpOnceAndLosesTheSurplus) {
  player.ChangeExp('+', 250);
  EXPECT_EQ(a.level, 2);
  EXPECT_EQ(a.exp, 0);
  EXPECT_EQ(a.expNeeded, 280);
  EXPECT_EQ(a.maxHp, 120);
  EXPECT_EQ(a.hp, 120);
  EXPECT_EQ(a.maxMp, 68);
  EXPECT_EQ(a.mp, 68);
  EXPECT_EQ(a.attack, 15);
  EXPECT_EQ(a.defence, 2);
  EXPECT_EQ(out.messages, std::vector<std::string>{"Level Up!"});
  EXPECT_EQ(out.sounds, std::vector<std::string>{"sound\\level_up.wav"});
  player.ChangeExp('+', 100000);
  EXPECT_EQ(a.level, 3);
  EXPECT_EQ(a.expNeeded, 480);
}

// Reaching exactly the experience the level needs is enough; one point short is not.
TEST_F(GrowthTest, ExpEqualToExpNeededLevelsUp) {
  const int32_t needed = a.expNeeded;
  player.ChangeExp('+', needed - 1);
  EXPECT_EQ(a.level, 1);
  player.ChangeExp('+', 1);
  EXPECT_EQ(a.level, 2);
  EXPECT_EQ(a.exp, 0);
}

TEST(ExpTable, MatchesTheLevels) {
  EXPECT_EQ(ExpNeededForLevel(1), 100);
  EXPECT_EQ(ExpNeededForLevel(2), 280);
  EXPECT_EQ(ExpNeededForLevel(4), 700);
  EXPECT_EQ(ExpNeededForLevel(6), 1200);
  EXPECT_EQ(ExpNeededForLevel(2147483647), 2147483647);
}

TEST_F(GrowthTest, ChangeOperationsKeepTheirCapsAndFloors) {
  player.ChangeMaxMp('-', 1);
  EXPECT_EQ(a.maxMp, 100);
  EXPECT_EQ(a.mp, 50);  // lowering or raising a maximum never moves the current value
  player.ChangeMp('+', 500);
  EXPECT_EQ(a.mp, 100);
  player.ChangeMp('-', 500);
  EXPECT_EQ(a.mp, 0);
  player.ChangeMaxHp('-', 50);
  EXPECT_EQ(a.maxHp, 100);
  player.ChangeHitRate('+', 500);
  EXPECT_EQ(a.hitRate, 100);
  player.ChangeHitRate('-', 200);
  EXPECT_EQ(a.hitRate, 10);
  player.ChangeMoney('-', 5);
  EXPECT_EQ(a.money, 0);
  player.ChangeMoney('+', 2147483647);
  player.ChangeMoney('+', 10);
  EXPECT_EQ(a.money, 2147483647);
  player.ChangeMoral('-', 80);
  EXPECT_EQ(a.moral, -30);
  player.ChangeAttack('-', 80);
  EXPECT_EQ(a.attack, 0);
  player.ChangeDefence('-', 1);
  EXPECT_EQ(a.defence, 0);
  player.ChangeExp('-', 1);
  EXPECT_EQ(a.exp, 0);
  Attributes before = a;
  player.ChangeMoney('*', 10);
  player.ChangeHp('x', 10);
  EXPECT_EQ(a, before);
}

TEST_F(GrowthTest, DamageUsesDefenceWithAFloorOfFiveAndCanKill) {
  player.ChangeDefence('+', 50);
  player.ChangeHp('-', 40);
  EXPECT_EQ(a.hp, 95);
  player.ChangeHp('-', 3);
  EXPECT_EQ(a.hp, 92);
  player.ChangeDefence('-', 50);
  player.ChangeHp('-', 30);
  EXPECT_EQ(a.hp, 62);
  EXPECT_EQ(role.deaths, 0);
  player.ChangeHp('-', 500);
  EXPECT_EQ(a.hp, 0);
  EXPECT_EQ(role.deaths, 1);
  player.ChangeHp('+', 1000);
  EXPECT_EQ(a.hp, 100);
}

TEST_F(GrowthTest, PotionIsCappedAndUsedUp) {
  player.ChangeHp('-', 10);
  player.GetBag().Add(kPotion);
  player.GetBag().Add(kPotion);
  EXPECT_EQ(player.UseItem(0), kItemPotion);
  EXPECT_EQ(a.hp, 100);
  EXPECT_EQ(a.mp, 50);
  EXPECT_EQ(player.GetBag().StackCount(0), 1);
  EXPECT_EQ(out.sounds, std::vector<std::string>{"sound\\potiondrink.wav"});
  EXPECT_EQ(out.usedUp, std::vector<std::string>{"Potion"});
  EXPECT_EQ(player.UseItem(0), kItemPotion);
  EXPECT_EQ(player.GetBag().Get(0), 0);
  EXPECT_EQ(player.UseItem(0), -1);
  EXPECT_EQ(player.UseItem(42), -1);
}

TEST_F(GrowthTest, CapsUseTheMaximumsFromBeforeTheItem) {
  ItemRecord tonic = MakeItem("Tonic", kItemPotion);
  tonic.hp = 50;
  tonic.maxHp = 100;
  auto recs = std::vector<ItemRecord>{ItemRecord{}, tonic};
  ItemDatabase items;
  items.SetRecords(recs);
  PlayerGrowth p(items, db.skills, &out, &role);
  p.ChangeHp('-', 80);
  p.GetBag().Add(1);
  p.UseItem(0);
  EXPECT_EQ(p.Attrs().hp, 70);
  EXPECT_EQ(p.Attrs().maxHp, 200);
  p.GetBag().Add(1);
  p.UseItem(0);
  EXPECT_EQ(p.Attrs().hp, 120);
}

TEST_F(GrowthTest, LevelTooLowRefusesWithMessageAndBeep) {
  player.GetBag().Add(kHighSword);
  EXPECT_EQ(player.UseItem(0), -1);
  EXPECT_EQ(out.messages, std::vector<std::string>{Gbk(u8"我的等级不够，不能用此物品")});
  EXPECT_EQ(out.beeps, 1);
  EXPECT_EQ(player.GetBag().Get(0), kHighSword);
  EXPECT_EQ(player.GetEquipment().Get(kSlotWeapon), 0);
  EXPECT_TRUE(out.sounds.empty());
}

TEST_F(GrowthTest, SecondWeaponSwapsIntoTheFreedCell) {
  player.GetBag().Add(kGem);
  player.GetBag().Add(kSword);
  player.GetBag().Add(kAxe);
  EXPECT_EQ(player.UseItem(1), kItemWeapon);
  EXPECT_EQ(a.attack, 15);
  EXPECT_EQ(a.hitRate, 40);
  EXPECT_EQ(player.GetBag().Get(1), 0);
  EXPECT_EQ(player.UseItem(2), kItemWeapon);
  EXPECT_EQ(player.GetEquipment().Get(kSlotWeapon), kAxe);
  EXPECT_EQ(player.GetBag().Get(2), kSword);
  EXPECT_EQ(a.attack, 18);
  EXPECT_EQ(a.hitRate, 30);
  EXPECT_EQ(out.sounds, (std::vector<std::string>{"sound\\weapon.wav", "sound\\weapon.wav"}));
  EXPECT_TRUE(out.usedUp.empty());
}

TEST_F(GrowthTest, ThreeBaldricsFillTwoSlotsThenReplaceTheSecond) {
  player.GetBag().Add(kRing);
  player.GetBag().Add(kAmulet);
  player.GetBag().Add(kCharm);
  player.UseItem(0);
  player.UseItem(1);
  EXPECT_EQ(player.GetEquipment().Get(kSlotBaldric1), kRing);
  EXPECT_EQ(player.GetEquipment().Get(kSlotBaldric2), kAmulet);
  EXPECT_EQ(a.moral, 53);
  player.UseItem(2);
  EXPECT_EQ(player.GetEquipment().Get(kSlotBaldric1), kRing);
  EXPECT_EQ(player.GetEquipment().Get(kSlotBaldric2), kCharm);
  EXPECT_EQ(player.GetBag().Get(2), kAmulet);
  EXPECT_EQ(a.moral, 54);
}

TEST_F(GrowthTest, ItemHitRateIsCappedAtHundred) {
  player.MutableAttrs().hitRate = 95;
  player.GetBag().Add(kSword);
  player.UseItem(0);
  EXPECT_EQ(a.hitRate, 100);
}

TEST_F(GrowthTest, ApplyItemOnlyForEquipment) {
  EXPECT_FALSE(player.ApplyItem(0));
  EXPECT_FALSE(player.ApplyItem(kPotion));
  EXPECT_FALSE(player.ApplyItem(99));
  EXPECT_TRUE(player.ApplyItem(kArmour));
  EXPECT_EQ(a.defence, 4);
}

TEST_F(GrowthTest, RemoveItemTakesBonusesBackWithFloors) {
  ItemRecord big = MakeItem("Big", kItemArmour);
  big.hp = 500;
  big.mp = 500;
  big.attack = 50;
  big.moral = 90;
  big.hitRate = 80;
  big.maxHp = 300;
  big.maxMp = 300;
  ItemDatabase items;
  items.SetRecords({ItemRecord{}, big});
  PlayerGrowth p(items, db.skills, &out, &role);
  EXPECT_EQ(p.RemoveItem(kSlotArmour), 0);
  p.GetEquipment().SetSlot(kSlotArmour, 1);
  EXPECT_EQ(p.RemoveItem(kSlotArmour), 1);
  EXPECT_EQ(p.GetEquipment().Get(kSlotArmour), 1);  // the slot keeps the item
  const Attributes& x = p.Attrs();
  EXPECT_EQ(x.hp, 1);
  EXPECT_EQ(x.mp, 1);
  EXPECT_EQ(x.attack, 1);
  EXPECT_EQ(x.moral, 0);
  EXPECT_EQ(x.hitRate, 1);
  EXPECT_EQ(x.maxHp, 100);
  EXPECT_EQ(x.maxMp, 50);
}

TEST_F(GrowthTest, BooksTeachThenLevelThenAreJustUsedUp) {
  for (int i = 0; i < 4; ++i) player.GetBag().Exchange(kFireBook, i);
  EXPECT_EQ(player.UseItem(0), kItemBook);
  EXPECT_EQ(player.LearnedSkills().back(), (LearnedSkill{2, 1}));
  role.current = {2, 1};
  EXPECT_EQ(player.UseItem(1), kItemBook);
  EXPECT_EQ(player.LearnedSkills().back(), (LearnedSkill{2, 2}));
  EXPECT_EQ(role.selections, std::vector<LearnedSkill>{(LearnedSkill{2, 2})});
  player.UseItem(2);
  EXPECT_EQ(player.UseItem(3), kItemBook);  // at maxLevel 3: removed, nothing else
  EXPECT_EQ(player.LearnedSkills().back(), (LearnedSkill{2, 3}));
  EXPECT_EQ(player.GetBag().Get(3), 0);
  EXPECT_EQ(out.messages,
            (std::vector<std::string>{"I have learned Fire", "Fire level up", "Fire level up"}));
  EXPECT_EQ(out.usedUp.size(), 4u);
  EXPECT_EQ(out.sounds.back(), "sound\\book.wav");
}

TEST_F(GrowthTest, BookWithoutASkillStaysAndIsNotCountedAsUsed) {
  player.GetBag().Add(kOddBook);
  EXPECT_EQ(player.UseItem(0), kItemBook);
  EXPECT_EQ(player.GetBag().Get(0), kOddBook);
  EXPECT_TRUE(out.usedUp.empty());
  EXPECT_EQ(player.LearnedSkills().size(), 1u);
}

TEST_F(GrowthTest, BagsAndPlainItemsAreNotConsumed) {
  player.GetBag().Add(kSmallBag);
  player.GetBag().Add(kGem);
  EXPECT_EQ(player.UseItem(0), kItemBag3);
  EXPECT_EQ(player.UseItem(1), 9);
  EXPECT_EQ(player.GetBag().Get(0), kSmallBag);
  EXPECT_EQ(player.GetBag().Get(1), kGem);
  EXPECT_EQ(out.sounds, std::vector<std::string>{"sound\\bag.wav"});
}

TEST_F(GrowthTest, LearnAndForgetByName) {
  EXPECT_TRUE(player.LearnSkillByName("Fire"));
  EXPECT_FALSE(player.LearnSkillByName("Fire"));
  EXPECT_FALSE(player.LearnSkillByName("Ice"));
  EXPECT_TRUE(player.LearnSkillByName("Heal"));
  player.MutableLearnedSkills()[0].level = 4;
  role.current = {2, 1};
  EXPECT_TRUE(player.ForgetSkillByName("Fire"));
  EXPECT_EQ(role.current, (LearnedSkill{1, 4}));
  EXPECT_EQ(player.LearnedSkills(), (std::vector<LearnedSkill>{{1, 4}, {3, 1}}));
  EXPECT_FALSE(player.ForgetSkillByName("Fire"));
  role.selections.clear();
  EXPECT_TRUE(player.ForgetSkillByName("Heal"));  // not the current skill: no reselection
  EXPECT_TRUE(role.selections.empty());
}

TEST_F(GrowthTest, SnapshotAndRestoreCarryEverything) {
  player.ChangeExp('+', 40);
  player.ChangeMoney('+', 77);
  player.GetBag().Add(kSmallBag);
  player.GetBag().SubBagAt(0)->Add(kGem);
  player.GetEquipment().SetSlot(kSlotArmour, kArmour);
  player.LearnSkillByName("Fire");
  role.current = {2, 1};
  AttributeSnapshot s = player.Snapshot();
  EXPECT_EQ(s.place, (RolePlace{100, 200, 3}));
  EXPECT_EQ(s.exp, 40);
  EXPECT_EQ(s.skillId, 2);
  role.hasSkill = false;
  EXPECT_EQ(player.Snapshot().skillId, 1);

  PlayerGrowth other(db.items, db.skills, &out, nullptr);
  FakeRole otherRole;
  otherRole.hasSkill = false;
  other.SetRole(&otherRole);
  s.hp = 150;  // above maxHp: restored as it is
  other.Restore(s);
  EXPECT_EQ(other.Attrs().hp, 150);
  EXPECT_EQ(other.Attrs().money, 77);
  EXPECT_EQ(otherRole.place, s.place);
  EXPECT_EQ(otherRole.current, (LearnedSkill{2, 1}));
  EXPECT_EQ(otherRole.targetsForgotten, 1);
  EXPECT_EQ(other.GetBag(), player.GetBag());
  EXPECT_EQ(other.GetEquipment(), player.GetEquipment());
  EXPECT_EQ(other.LearnedSkills(), player.LearnedSkills());
  // The restored bag still knows its items: potions stack again.
  other.GetBag().Add(kPotion);
  other.GetBag().Add(kPotion);
  EXPECT_EQ(other.GetBag().StackCount(1), 2);
}

TEST_F(GrowthTest, RatiosNeverDivideByZero) {
  player.MutableAttrs().maxHp = 0;
  player.MutableAttrs().maxMp = 0;
  player.MutableAttrs().expNeeded = 0;
  EXPECT_EQ(player.HpFraction(), 0.0);
  EXPECT_EQ(player.MpFraction(), 0.0);
  EXPECT_EQ(player.ExpFraction(), 0.0);
}

TEST(CommaEscapes, BecomeCommaAndBlank) {
  EXPECT_EQ(ExpandCommaEscapes("a\\db"), "a, b");
  EXPECT_EQ(ExpandCommaEscapes("end\\"), "end\\");
  EXPECT_EQ(ExpandCommaEscapes("\xD5\\d"), "\xD5\\d");  // a GBK trail byte is not an escape
}

}  // namespace
}  // namespace isora
