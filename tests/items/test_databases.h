// Small item and skill tables for the data-model tests, built record by record.
#pragma once

#include <string>
#include <vector>

#include "items/item_database.h"
#include "items/skill_database.h"

namespace isora::test {

inline ItemRecord MakeItem(std::string name, int32_t type, int32_t price = 0) {
  ItemRecord r;
  r.name = std::move(name);
  r.type = type;
  r.price = price;
  return r;
}

inline SkillRecord MakeSkill(std::string name, int32_t power = 10, int32_t maxLevel = 3,
                             int32_t growth = 20) {
  SkillRecord r;
  r.name = std::move(name);
  r.kind = 1;
  r.power = power;
  r.maxLevel = maxLevel;
  r.growth = growth;
  return r;
}

// Item ids used across the tests.
enum TestItem : int {
  kPotion = 1,      // hp 500, mp 20
  kSword = 2,       // attack 5, hitRate 10
  kAxe = 3,         // attack 8
  kArmour = 4,      // defence 4
  kRing = 5,        // baldric, moral 1
  kAmulet = 6,      // baldric, moral 2
  kCharm = 7,       // baldric, moral 3
  kFireBook = 8,    // book of the skill "Fire"
  kOddBook = 9,     // book matching no skill
  kSmallBag = 10,   // bag 3x3
  kBigBag = 11,     // bag 5x5
  kHighSword = 12,  // needLevel 5
  kGem = 13,        // type 9: a plain item
};

// Skill ids: 1 "Punch", 2 "Fire", 3 "Heal".
struct TestDatabases {
  ItemDatabase items;
  SkillDatabase skills;

  TestDatabases() {
    std::vector<ItemRecord> it(14);
    it[kPotion] = MakeItem("Potion", kItemPotion, 20);
    it[kPotion].hp = 500;
    it[kPotion].mp = 20;
    it[kSword] = MakeItem("Sword", kItemWeapon, 100);
    it[kSword].attack = 5;
    it[kSword].hitRate = 10;
    it[kAxe] = MakeItem("Axe", kItemWeapon, 150);
    it[kAxe].attack = 8;
    it[kArmour] = MakeItem("Armour", kItemArmour, 120);
    it[kArmour].defence = 4;
    it[kRing] = MakeItem("Ring", kItemBaldric);
    it[kRing].moral = 1;
    it[kAmulet] = MakeItem("Amulet", kItemBaldric);
    it[kAmulet].moral = 2;
    it[kCharm] = MakeItem("Charm", kItemBaldric);
    it[kCharm].moral = 3;
    it[kFireBook] = MakeItem("Fire", kItemBook);
    it[kOddBook] = MakeItem("Lost Pages", kItemBook);
    it[kSmallBag] = MakeItem("Pouch", kItemBag3);
    it[kBigBag] = MakeItem("Chest", kItemBag5);
    it[kHighSword] = MakeItem("Great Sword", kItemWeapon);
    it[kHighSword].needLevel = 5;
    it[kGem] = MakeItem("Gem", 9);
    items.SetRecords(it);

    std::vector<SkillRecord> sk(4);
    sk[1] = MakeSkill("Punch", 5, 5, 10);
    sk[2] = MakeSkill("Fire", 10, 3, 20);
    sk[3] = MakeSkill("Heal", 8, 2, 0);
    sk[3].kind = 0;
    skills.SetRecords(sk);
  }
};

}  // namespace isora::test
