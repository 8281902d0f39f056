#include <gtest/gtest.h>

#include "items/bag.h"
#include "items/equipment.h"
#include "items/record_table.h"
#include "items/test_databases.h"

namespace isora {
namespace {

using namespace test;

class BagTest : public ::testing::Test {
 protected:
  TestDatabases db;
  Bag bag{&db.items};
};

TEST_F(BagTest, PotionsStackToFiveThenStartANewCell) {
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(bag.Add(kPotion));
  EXPECT_EQ(bag.StackCount(0), 5);
  EXPECT_EQ(bag.Get(1), 0);
  ASSERT_TRUE(bag.Add(kPotion));
  EXPECT_EQ(bag.Get(1), kPotion);
  EXPECT_EQ(bag.StackCount(1), 1);
  bag.ClearCell(0);
  EXPECT_EQ(bag.StackCount(0), 4);
  EXPECT_EQ(bag.Get(0), kPotion);
  // A freed slot in an earlier stack is refilled before a later one.
  ASSERT_TRUE(bag.Add(kPotion));
  EXPECT_EQ(bag.StackCount(0), 5);
  EXPECT_EQ(bag.StackCount(1), 1);
}

TEST_F(BagTest, OtherItemsNeverStack) {
  ASSERT_TRUE(bag.Add(kSword));
  ASSERT_TRUE(bag.Add(kSword));
  EXPECT_EQ(bag.Get(0), kSword);
  EXPECT_EQ(bag.Get(1), kSword);
  EXPECT_EQ(bag.StackCount(1), 1);
  EXPECT_FALSE(bag.Add(0));
}

TEST_F(BagTest, BagItemsGetAnEmptyGridOfTheirSize) {
  ASSERT_TRUE(bag.Add(kSword));
  ASSERT_TRUE(bag.Add(kSmallBag));
  ASSERT_TRUE(bag.Add(kBigBag));
  ASSERT_NE(bag.SubBagAt(1), nullptr);
  EXPECT_EQ(bag.SubBagAt(1)->CellCount(), 9);
  EXPECT_EQ(bag.SubBagAt(2)->CellCount(), 25);
  EXPECT_EQ(bag.SubBagAt(0), nullptr);
  bag.ClearCell(1);
  EXPECT_EQ(bag.SubBagAt(1), nullptr);
}

TEST_F(BagTest, FullMainBagFillsSubBagsButNeverTakesABag) {
  ASSERT_TRUE(bag.Add(kSmallBag));
  for (int i = 1; i < 9; ++i) ASSERT_TRUE(bag.Add(kGem));
  EXPECT_FALSE(bag.Add(kBigBag));
  for (int i = 0; i < 9; ++i) ASSERT_TRUE(bag.Add(kSword));
  EXPECT_EQ(bag.SubBagAt(0)->CountById(kSword), 9);
  EXPECT_FALSE(bag.Add(kSword));
  // Removing takes from the main cells before the sub-bags.
  EXPECT_TRUE(bag.RemoveById(kGem));
  EXPECT_EQ(bag.Get(1), 0);
  EXPECT_TRUE(bag.RemoveById(kSword));
  EXPECT_EQ(bag.SubBagAt(0)->Get(0), 0);
  EXPECT_FALSE(bag.RemoveById(kAxe));
}

TEST_F(BagTest, CountByIdSumsStacksAndSubBagsWithoutChangingThem) {
  ASSERT_TRUE(bag.Add(kSmallBag));
  for (int i = 0; i < 3; ++i) bag.Add(kPotion);
  SubBag* sub = bag.SubBagAt(0);
  sub->Exchange(kPotion, 2);
  sub->Exchange(kPotion, 5);
  Bag before = bag;
  EXPECT_EQ(bag.CountById(kPotion), 5);
  EXPECT_EQ(bag, before);
}

TEST_F(BagTest, ExchangeLeavesCountsAndSubBags) {
  bag.Add(kPotion);
  bag.Add(kPotion);
  EXPECT_EQ(bag.Exchange(kSword, 0), kPotion);
  EXPECT_EQ(bag.Get(0), kSword);
  EXPECT_EQ(bag.StackCount(0), 2);
  EXPECT_EQ(bag.Exchange(kSword, 9), kSword);
  EXPECT_EQ(bag.Get(9), -1);
  EXPECT_EQ(bag.Get(-1), -1);
}

TEST(SubBagTest, SixOperations) {
  SubBag sub(SubBag::CellsForBagType(kItemBag4));
  EXPECT_EQ(sub.CellCount(), 16);
  EXPECT_EQ(SubBag::CellsForBagType(kItemBook), 0);
  EXPECT_TRUE(sub.Add(5));
  EXPECT_TRUE(sub.Add(5));
  EXPECT_EQ(sub.CountById(5), 2);
  sub.ClearCell(0);
  EXPECT_EQ(sub.Get(0), 0);
  EXPECT_TRUE(sub.Add(6));
  EXPECT_EQ(sub.Get(0), 6);
  EXPECT_TRUE(sub.RemoveById(5));
  EXPECT_FALSE(sub.RemoveById(5));
  EXPECT_EQ(sub.Exchange(7, 15), 0);
  EXPECT_EQ(sub.Get(16), -1);
  SubBag full(1);
  EXPECT_TRUE(full.Add(3));
  EXPECT_FALSE(full.Add(3));
}

TEST(EquipmentTest, SlotsTakeOnlyTheirType) {
  TestDatabases db;
  Equipment eq(&db.items);
  EXPECT_EQ(eq.Exchange(kSword, kSlotArmour), kSword);
  EXPECT_EQ(eq.Get(kSlotArmour), 0);
  EXPECT_EQ(eq.Exchange(kSword, kSlotWeapon), 0);
  EXPECT_EQ(eq.Exchange(kAxe, kSlotWeapon), kSword);
  EXPECT_EQ(eq.Exchange(kRing, kSlotBaldric2), 0);
  EXPECT_EQ(eq.Exchange(kArmour, kSlotBaldric1), kArmour);
  EXPECT_EQ(eq.Exchange(0, kSlotWeapon), kAxe);
  EXPECT_EQ(eq.Get(kSlotWeapon), 0);
  EXPECT_EQ(eq.Get(4), -1);
}

TEST(EquipmentTest, AddTakesTheFirstEmptySlotThatFits) {
  TestDatabases db;
  Equipment eq(&db.items);
  EXPECT_TRUE(eq.Add(kRing));
  EXPECT_EQ(eq.Get(kSlotBaldric1), kRing);
  EXPECT_TRUE(eq.Add(kAmulet));
  EXPECT_EQ(eq.Get(kSlotBaldric2), kAmulet);
  EXPECT_FALSE(eq.Add(kCharm));
  EXPECT_FALSE(eq.Add(kPotion));
  EXPECT_EQ(eq.CountById(kRing), 1);
  EXPECT_TRUE(eq.RemoveById(kRing));
  EXPECT_EQ(eq.Get(kSlotBaldric1), 0);
  eq.ClearCell(kSlotBaldric2);
  EXPECT_EQ(eq.CountById(0), 4);
}

}  // namespace
}  // namespace isora
