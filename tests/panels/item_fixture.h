// Item and skill tables and a player for the bag and player panel tests.
#pragma once

#include <string>
#include <vector>

#include "items/item_database.h"
#include "items/skill_database.h"
#include "panels/player_panel.h"
#include "roles/player_growth.h"
#include "ui/ui_fixture.h"

namespace isora::test {

// Item ids of the fixture table.
enum FixtureItem : int {
  kPotion = 1,     // type 0, price 10
  kSword = 2,      // type 1, price 120, attack +5
  kArmour = 3,     // type 2, price 75
  kBaldric = 4,    // type 3, price 0
  kBag = 5,        // type 5 (3×3 bag)
  kHighSword = 6,  // type 1, needs level 10
  kBook = 7,       // type 4, teaches "Fire"
  kGem = 8,        // type 9, price 40
};

inline ItemRecord MakeItem(const std::string& name, int type, int price, int attack = 0,
                           int needLevel = 0) {
  ItemRecord r;
  r.name = name;
  r.type = type;
  r.price = price;
  r.attack = attack;
  r.needLevel = needLevel;
  r.picture = name + ".bmp";
  r.description = "A " + name;
  return r;
}

inline std::vector<ItemRecord> FixtureItems() {
  return {MakeItem("none", 0, 0),           MakeItem("potion", 0, 10), MakeItem("sword", 1, 120, 5),
          MakeItem("armour", 2, 75),        MakeItem("baldric", 3, 0), MakeItem("bag", 5, 50),
          MakeItem("hsword", 1, 10, 9, 10), MakeItem("Fire", 4, 30),   MakeItem("gem", 9, 40)};
}

inline SkillRecord MakeSkill(const std::string& name) {
  SkillRecord s;
  s.name = name;
  s.icon = name + ".bmp";
  s.kind = 1;
  s.power = 10;
  s.maxLevel = 5;
  s.description = "Skill " + name;
  return s;
}

class FakePlayer : public PanelPlayer {
 public:
  FakePlayer(const ItemDatabase& items, const SkillDatabase& skills) : growth(items, skills) {}
  PlayerGrowth& Growth() override { return growth; }
  bool IsFighting() const override { return fighting; }
  LearnedSkill CurrentSkill() const override { return current; }
  bool SetSkill(int id, int level) override {
    if (refuse) return false;
    current = {id, level};
    return true;
  }

  PlayerGrowth growth;
  bool fighting = false;
  bool refuse = false;
  LearnedSkill current{1, 1};
};

class ItemUiTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    items.SetRecords(FixtureItems());
    skills.SetRecords({MakeSkill("none"), MakeSkill("Slash"), MakeSkill("Fire"), MakeSkill("Ice"),
                       MakeSkill("Wind")});
    for (int id = 1; id < items.Count(); ++id) {
      AddPicture("items\\" + items.Get(id).picture, 32, 32, 0x102030 * id & 0xFFFFFF);
    }
    for (int id = 1; id < skills.Count(); ++id) {
      AddPicture("skill\\" + skills.Get(id).icon, 32, 32, 0x204060);
    }
  }

  ItemDatabase items;
  SkillDatabase skills;
};

}  // namespace isora::test
