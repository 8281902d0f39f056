#include "save/save_state.h"

#include "foundation/system_hooks.h"
#include "foundation/win_format.h"
#include "items/item_database.h"

namespace isora {

void StorePlayer(const AttributeSnapshot& s, SaveData& d) {
  SavedPlayer& p = d.player;
  p.defence = s.defence;
  p.direction = s.place.direction;
  p.hitRate = s.hitRate;
  p.level = s.level;
  p.money = s.money;
  p.moral = s.moral;
  p.exp = s.exp;
  p.maxHp = s.maxHp;
  p.mp = s.mp;
  p.skillId = s.skillId;
  p.skillLevel = s.skillLevel;
  p.attack = s.attack;
  p.expNeeded = s.expNeeded;
  p.hp = s.hp;
  p.maxMp = s.maxMp;
  p.x = s.place.x;
  p.y = s.place.y;
  d.skills = s.learnedSkills;

  const ItemDatabase* items = s.bag.Items();
  d.bag.clear();
  d.innerBags.clear();
  for (int i = 0; i < s.bag.CellCount(); ++i) {
    int item = s.bag.Get(i);
    d.bag.push_back({item, s.bag.StackCount(i)});
    const SubBag* sub = s.bag.SubBagAt(i);
    if (items && IsBagType(items->TypeOf(item)) && sub) {
      Hooks::DebugOutput("get bag2\n");
      d.innerBags.emplace_back(sub->Cells());
    } else {
      d.innerBags.emplace_back();
    }
  }
  d.weaponPack.assign(s.equipment.Slots().begin(), s.equipment.Slots().end());
}

AttributeSnapshot LoadPlayer(const SaveData& d, const ItemDatabase* items) {
  AttributeSnapshot s;
  const SavedPlayer& p = d.player;
  s.place = {p.x, p.y, p.direction};
  s.money = p.money;
  s.level = p.level;
  s.maxHp = p.maxHp;
  s.hp = p.hp;
  s.maxMp = p.maxMp;
  s.mp = p.mp;
  s.expNeeded = p.expNeeded;
  s.exp = p.exp;
  s.attack = p.attack;
  s.defence = p.defence;
  s.moral = p.moral;
  s.hitRate = p.hitRate;
  s.skillId = p.skillId;
  s.skillLevel = p.skillLevel;
  s.learnedSkills = d.skills;

  // Counts are restored as saved rather than re-added piece by piece, which could spill pieces
  // into cells that are filled later.
  s.bag = Bag(items, static_cast<int>(d.bag.size()));
  for (size_t i = 0; i < d.bag.size(); ++i) {
    const int cell = static_cast<int>(i);
    s.bag.SetCell(cell, d.bag[i].item, d.bag[i].count);
    const bool isBag = items && IsBagType(items->TypeOf(d.bag[i].item));
    if (isBag) Hooks::DebugOutput(WinFormat("add to bag queue:%d\n", cell));
    if (i >= d.innerBags.size() || !d.innerBags[i]) continue;
    const auto& inner = *d.innerBags[i];
    Hooks::DebugOutput(WinFormat("itemcnt:%d\n", static_cast<int>(inner.size())));
    // Each inner bag goes back to the slot it was saved with, so a bag saved without contents
    // never receives the contents of a later one.
    if (!isBag) continue;
    SubBag sub(static_cast<int>(inner.size()));
    for (size_t k = 0; k < inner.size(); ++k) {
      Hooks::DebugOutput(WinFormat("add to bag:%d\n", inner[k]));
      sub.Exchange(inner[k], static_cast<int>(k));
    }
    Hooks::DebugOutput(WinFormat("bag position:%d\n", cell));
    Hooks::DebugOutput("set bag\n");
    s.bag.SetSubBag(cell, std::move(sub));
  }

  s.equipment = Equipment(items);
  for (size_t i = 0; i < d.weaponPack.size() && i < kEquipmentSlots; ++i)
    s.equipment.SetSlot(static_cast<int>(i), d.weaponPack[i]);
  return s;
}

void StoreRelations(const Relations& rel, SaveData& d) {
  d.loveDegrees.assign(rel.loveDegrees.begin(), rel.loveDegrees.end());
  d.factionEnmity.assign(rel.factionEnmity.begin(), rel.factionEnmity.end());
  d.vipInfo.assign(rel.vipInfo.begin(), rel.vipInfo.end());
  d.factions = rel.playerFactions;
  d.honours = rel.honours;
  d.notes = rel.notes;
}

void LoadRelations(const SaveData& d, Relations& rel) {
  rel.loveDegrees = Relations::Table(d.loveDegrees.begin(), d.loveDegrees.end());
  rel.factionEnmity = Relations::Table(d.factionEnmity.begin(), d.factionEnmity.end());
  rel.vipInfo = Relations::Table(d.vipInfo.begin(), d.vipInfo.end());
  rel.playerFactions = d.factions;
  rel.honours = d.honours;
  rel.notes = d.notes;
}

void StoreMissions(const MissionList& missions, SaveData& d) { d.missions = missions.Missions(); }

void LoadMissions(const SaveData& d, MissionList& missions) {
  missions.Clear();
  missions.SetMissions(d.missions);
}

}  // namespace isora
