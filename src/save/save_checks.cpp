#include "save/save_checks.h"

#include <algorithm>

#include "items/bag.h"
#include "items/item_database.h"
#include "items/skill_database.h"
#include "world/map_file.h"

namespace isora {

namespace {

class Checker {
 public:
  explicit Checker(SaveCheck& out) : out_(out) {}

  // Keeps `value` within [low, high].
  void Range(const char* name, int32_t& value, int32_t low, int32_t high) {
    if (value >= low && value <= high) return;
    const int32_t fixed = std::clamp(value, low, high);
    Note(std::string(name) + " " + std::to_string(value) + " is impossible; set to " +
         std::to_string(fixed));
    value = fixed;
  }
  void Note(std::string line) { out_.corrections.push_back(std::move(line)); }

 private:
  SaveCheck& out_;
};

constexpr int32_t kMax = INT32_MAX;

}  // namespace

SaveCheck CheckSaveValues(SaveData& data, const ItemDatabase& items, const SkillDatabase& skills) {
  SaveCheck out;
  SavedPlayer& p = data.player;
  if (p.x < 0 || p.x >= kMapPictureWidth || p.y < 0 || p.y >= kMapPictureHeight) {
    out.refusal = "the player's position (" + std::to_string(p.x) + ", " + std::to_string(p.y) +
                  ") is outside the map";
    return out;
  }
  Checker c(out);
  c.Range("direction", p.direction, 1, 8);
  c.Range("level", p.level, 1, kMax);
  c.Range("experience", p.exp, 0, kMax);
  c.Range("money", p.money, 0, kMax);
  c.Range("hp limit", p.maxHp, 1, kMax);
  // Lowering a limit leaves the value as it is, so hp and mp above their limits are legal.
  c.Range("hp", p.hp, 1, kMax);
  c.Range("mp limit", p.maxMp, 0, kMax);
  c.Range("mp", p.mp, 0, kMax);
  c.Range("kill count", data.killCount, 0, kMax);

  auto knownItem = [&](int32_t id) { return id == 0 || items.IsItem(id); };
  for (size_t i = 0; i < data.bag.size(); ++i) {
    SavedBagSlot& slot = data.bag[i];
    const std::string where = "bag slot " + std::to_string(i + 1);
    if (!knownItem(slot.item)) {
      c.Note(where + ": item " + std::to_string(slot.item) + " does not exist; dropped");
      slot = SavedBagSlot{};
      if (i < data.innerBags.size()) data.innerBags[i].reset();
      continue;
    }
    if (slot.item == 0) continue;
    const int32_t most = items.TypeOf(slot.item) == kItemPotion ? kPotionStack : 1;
    c.Range((where + " count").c_str(), slot.count, 1, most);
  }
  for (auto& inner : data.innerBags) {
    if (!inner) continue;
    for (int32_t& id : *inner) {
      if (knownItem(id)) continue;
      c.Note("inner bag: item " + std::to_string(id) + " does not exist; dropped");
      id = 0;
    }
  }
  for (int32_t& id : data.weaponPack) {
    if (knownItem(id)) continue;
    c.Note("weapon pack: item " + std::to_string(id) + " does not exist; dropped");
    id = 0;
  }
  const size_t before = data.skills.size();
  std::erase_if(data.skills, [&](const LearnedSkill& s) { return !skills.IsSkill(s.id); });
  if (data.skills.size() != before)
    c.Note(std::to_string(before - data.skills.size()) + " learned skill(s) do not exist; dropped");
  for (LearnedSkill& s : data.skills) c.Range("skill level", s.level, 1, kMax);
  if (p.skillId != 0 && !skills.IsSkill(p.skillId)) {
    c.Note("current skill " + std::to_string(p.skillId) + " does not exist; set to 1");
    p.skillId = 1;
    p.skillLevel = 1;
  }
  return out;
}

}  // namespace isora
