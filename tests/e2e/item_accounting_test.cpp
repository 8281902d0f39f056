// Items leave the bag only through something that uses, sells, drops or gives them away.
#include "demo_session.h"
#include "items/item_database.h"

namespace isora::e2e {
namespace {

using nlohmann::json;

// The first bag cell holding a potion, and how many it holds.
struct PotionCell {
  int cell = -1;
  int count = 0;
};

PotionCell FindPotion(DemoSession& d) {
  const json bag = d.State()["player"]["bag"];
  for (size_t i = 0; i < bag.size(); ++i) {
    const int item = bag[i]["item"];
    if (item > 0 && d.game->Items().TypeOf(item) == kItemPotion)
      return {static_cast<int>(i), bag[i]["count"].get<int>()};
  }
  return {};
}

int CountIn(DemoSession& d, int cell) { return d.State()["player"]["bag"][cell]["count"]; }

TEST(ItemVanishes, APotionLeavesTheBagOnlyWhenItsSlotKeyDrinksIt) {
  // A random-input run saw a potion leave the bag "with nothing to account for it": the run had
  // pressed the potion's slot key at full health, which drinks it without a visible change.
  DemoSession d;
  ASSERT_TRUE(d.NewGame());
  const PotionCell potion = FindPotion(d);
  ASSERT_GE(potion.cell, 0);
  ASSERT_LT(potion.cell, 9);
  ASSERT_GE(potion.count, 2);

  // Time alone takes nothing, nor do the keys of the other, empty cells.
  d.Step(300);
  const json bag = d.State()["player"]["bag"];
  for (int cell = 0; cell < 9; ++cell)
    if (bag[cell]["item"] == 0) d.Key(kVk0 + 1 + cell);
  EXPECT_EQ(CountIn(d, potion.cell), potion.count);

  // At full health the slot key still drinks one: the sound and the count tell of it.
  json s = d.State();
  ASSERT_EQ(s["player"]["hp"], s["player"]["maxHp"]);
  d.Key(kVk0 + 1 + potion.cell);
  s = d.State();
  EXPECT_EQ(CountIn(d, potion.cell), potion.count - 1);
  EXPECT_EQ(s["player"]["hp"], s["player"]["maxHp"]);
  EXPECT_NE(s["lastSound"].get<std::string>().find("potion"), std::string::npos) << s["lastSound"];

  // Hurt, the same key heals.
  d.game->Scripting().AddHP(-40);
  const int hurt = d.State()["player"]["hp"];
  d.Key(kVk0 + 1 + potion.cell);
  EXPECT_EQ(CountIn(d, potion.cell), potion.count - 2);
  EXPECT_GT(d.State()["player"]["hp"].get<int>(), hurt);
}

}  // namespace
}  // namespace isora::e2e
