// The player's growth: attributes with their change rules, levels, equipment and bag, learned
// skills, and using items. A component the player role owns; it reaches the role and the game
// only through the two small interfaces below.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/game_texts.h"
#include "items/bag.h"
#include "items/equipment.h"
#include "roles/attributes.h"

namespace isora {

class ItemDatabase;
class SkillDatabase;

// What the game supplies: the message line, sounds, the system beep, and the mission list.
class GrowthOutput {
 public:
  virtual ~GrowthOutput() = default;
  // A text for the message line (GBK; "\d" already turned into ", ").
  virtual void ShowMessage(const std::string& text) = 0;
  // A sound by game path, e.g. "sound\level_up.wav".
  virtual void PlaySound(const std::string& path) = 0;
  virtual void Beep() = 0;
  // One piece of the named item was used up (missions count it down).
  virtual void ItemUsedUp(const std::string& itemName) = 0;
  // The engine's text of that name, in the game's language.
  virtual const std::string& Text(TextId id) const { return GameTexts::BuiltIn(id); }
};

// What the owning role supplies: its place, its current-skill object and its fight state.
class GrowthRole {
 public:
  virtual ~GrowthRole() = default;
  virtual RolePlace Place() const = 0;
  virtual void SetPlace(const RolePlace& place) = 0;
  // False when the role has no current-skill object.
  virtual bool HasSkillObject() const = 0;
  virtual LearnedSkill CurrentSkill() const = 0;
  // Selects a skill at a level, creating the current-skill object when there is none.
  virtual void SelectSkill(int id, int level) = 0;
  virtual void ForgetFightTarget() = 0;
  // Health fell to 0 through '-' (the role plays its death and tells the missions).
  virtual void Died() = 0;
};

class PlayerGrowth {
 public:
  // The databases must outlive the component; output and role may be null (nothing is told).
  PlayerGrowth(const ItemDatabase& items, const SkillDatabase& skills,
               GrowthOutput* output = nullptr, GrowthRole* role = nullptr, int32_t maxHp = 100,
               int32_t attack = 10);

  void SetRole(GrowthRole* role) { role_ = role; }

  const Attributes& Attrs() const { return attrs_; }
  Attributes& MutableAttrs() { return attrs_; }
  Bag& GetBag() { return bag_; }
  const Bag& GetBag() const { return bag_; }
  Equipment& GetEquipment() { return equipment_; }
  const Equipment& GetEquipment() const { return equipment_; }
  const std::vector<LearnedSkill>& LearnedSkills() const { return learned_; }
  std::vector<LearnedSkill>& MutableLearnedSkills() { return learned_; }

  // Change operations: sign '+' or '-'; any other sign changes nothing. Each has the cap and
  // floor of its attribute; lowering a maximum never lowers the current value.
  void ChangeHp(char sign, int32_t amount);  // '-' is damage: defence, minimum 5, death
  void ChangeMp(char sign, int32_t amount);
  void ChangeMaxHp(char sign, int32_t amount);
  void ChangeMaxMp(char sign, int32_t amount);
  void ChangeExp(char sign, int32_t amount);  // reaching expNeeded levels up once
  void ChangeAttack(char sign, int32_t amount);
  void ChangeDefence(char sign, int32_t amount);
  void ChangeHitRate(char sign, int32_t amount);
  void ChangeMoney(char sign, int32_t amount);
  void ChangeMoral(char sign, int32_t amount);

  void LevelUp();

  // Adds the effects of a weapon, armour or baldric; false for other items and for no item.
  bool ApplyItem(int item);
  // Takes back the effects of the item in an equipment slot and returns its id (0 when empty);
  // the slot keeps the item.
  int RemoveItem(int slot);
  // Uses the item in a bag cell; the item type, or -1 when nothing was used.
  int UseItem(int cell);

  AttributeSnapshot Snapshot() const;
  // Sets everything from a snapshot as it is; no cap, floor or bonus rule applies.
  void Restore(const AttributeSnapshot& snapshot);

  bool LearnSkillByName(std::string_view name);
  bool ForgetSkillByName(std::string_view name);

  double HpFraction() const { return SafeRatio(attrs_.hp, attrs_.maxHp); }
  double MpFraction() const { return SafeRatio(attrs_.mp, attrs_.maxMp); }
  double ExpFraction() const { return SafeRatio(attrs_.exp, attrs_.expNeeded); }

 private:
  void AddEffects(int item);
  void Show(const std::string& text);
  const std::string& Text(TextId id) const;
  void Sound(const std::string& file);
  void AddExp(int32_t amount);

  const ItemDatabase& items_;
  const SkillDatabase& skills_;
  GrowthOutput* output_;
  GrowthRole* role_;
  Attributes attrs_;
  Bag bag_;
  Equipment equipment_;
  std::vector<LearnedSkill> learned_{{1, 1}};
};

// Message-line texts turn the two characters "\d" into ", ".
std::string ExpandCommaEscapes(std::string_view text);

}  // namespace isora
