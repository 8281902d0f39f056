#include "roles/player_growth.h"

#include <algorithm>
#include <cstdint>

#include "foundation/gbk.h"
#include "foundation/win_format.h"
#include "items/item_database.h"
#include "items/skill_database.h"

namespace isora {

int32_t ExpNeededForLevel(int32_t level) {
  int64_t l = level;
  int64_t v = l * (l + 15) - 6;
  if (v > std::numeric_limits<int32_t>::max() / 10) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min() / 10) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v * 10);
}

std::string ExpandCommaEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    // A GBK trail byte can be '\\'; only a single-byte backslash starts the escape.
    if (IsGbkLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
      out += text[i];
      out += text[++i];
      continue;
    }
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'd') {
      out += ", ";
      ++i;
      continue;
    }
    out += text[i];
  }
  return out;
}

PlayerGrowth::PlayerGrowth(const ItemDatabase& items, const SkillDatabase& skills,
                           GrowthOutput* output, GrowthRole* role, int32_t maxHp, int32_t attack)
    : items_(items),
      skills_(skills),
      output_(output),
      role_(role),
      bag_(&items),
      equipment_(&items) {
  attrs_.maxHp = attrs_.hp = maxHp;
  attrs_.attack = attack;
}

void PlayerGrowth::Show(const std::string& text) {
  if (output_) output_->ShowMessage(ExpandCommaEscapes(text));
}

const std::string& PlayerGrowth::Text(TextId id) const {
  return output_ ? output_->Text(id) : GameTexts::BuiltIn(id);
}

void PlayerGrowth::Sound(const std::string& file) {
  if (output_) output_->PlaySound("sound\\" + file);
}

namespace {
// '+' raises a value up to its cap, '-' lowers it down to its floor; other signs do nothing.
void ApplySigned(int32_t& value, char sign, int32_t amount, int32_t floor, int32_t cap) {
  if (sign == '+')
    value = std::min(SatAdd(value, amount), cap);
  else if (sign == '-')
    value = std::max(SatSub(value, amount), floor);
}
}  // namespace

void PlayerGrowth::ChangeHp(char sign, int32_t amount) {
  if (sign == '+') {
    attrs_.hp = std::min(SatAdd(attrs_.hp, amount), attrs_.maxHp);
  } else if (sign == '-') {
    attrs_.hp = SatSub(attrs_.hp, DamageAfterDefence(amount, attrs_.defence));
    if (attrs_.hp < 1) {
      attrs_.hp = 0;
      if (role_) role_->Died();
    }
  }
}

void PlayerGrowth::ChangeMp(char sign, int32_t amount) {
  if (sign == '+')
    attrs_.mp = std::min(SatAdd(attrs_.mp, amount), attrs_.maxMp);
  else if (sign == '-')
    attrs_.mp = std::max(SatSub(attrs_.mp, amount), 0);
}

void PlayerGrowth::ChangeMaxHp(char sign, int32_t amount) {
  if (sign == '+')
    attrs_.maxHp = SatAdd(attrs_.maxHp, amount);
  else if (sign == '-')
    attrs_.maxHp = std::max(SatSub(attrs_.maxHp, amount), 100);
}

void PlayerGrowth::ChangeMaxMp(char sign, int32_t amount) {
  if (sign == '+')
    attrs_.maxMp = SatAdd(attrs_.maxMp, amount);
  else if (sign == '-')
    attrs_.maxMp = std::max(SatSub(attrs_.maxMp, amount), 100);
}

void PlayerGrowth::AddExp(int32_t amount) {
  attrs_.exp = SatAdd(attrs_.exp, amount);
  if (attrs_.exp >= attrs_.expNeeded) LevelUp();
}

void PlayerGrowth::ChangeExp(char sign, int32_t amount) {
  if (sign == '+')
    AddExp(amount);
  else if (sign == '-')
    attrs_.exp = std::max(SatSub(attrs_.exp, amount), 0);
}

void PlayerGrowth::ChangeAttack(char sign, int32_t amount) {
  ApplySigned(attrs_.attack, sign, amount, 0, INT32_MAX);
}

void PlayerGrowth::ChangeDefence(char sign, int32_t amount) {
  ApplySigned(attrs_.defence, sign, amount, 0, INT32_MAX);
}

void PlayerGrowth::ChangeHitRate(char sign, int32_t amount) {
  ApplySigned(attrs_.hitRate, sign, amount, 10, 100);
}

void PlayerGrowth::ChangeMoney(char sign, int32_t amount) {
  ApplySigned(attrs_.money, sign, amount, 0, INT32_MAX);
}

void PlayerGrowth::ChangeMoral(char sign, int32_t amount) {
  ApplySigned(attrs_.moral, sign, amount, INT32_MIN, INT32_MAX);
}

void PlayerGrowth::LevelUp() {
  attrs_.level = SatAdd(attrs_.level, 1);
  attrs_.maxHp = SatAdd(attrs_.maxHp, 20);
  attrs_.hp = attrs_.maxHp;
  attrs_.maxMp = SatAdd(attrs_.maxMp, 18);
  attrs_.mp = attrs_.maxMp;
  attrs_.attack = SatAdd(attrs_.attack, 5);
  attrs_.defence = SatAdd(attrs_.defence, 2);
  attrs_.exp = 0;
  attrs_.expNeeded = ExpNeededForLevel(attrs_.level);
  Show(Text(TextId::kLevelUp));
  Sound("level_up.wav");
}

void PlayerGrowth::AddEffects(int item) {
  const ItemRecord rec = items_.Get(item);
  // The caps use the maximums from before this item's own maximum bonuses.
  attrs_.hp = std::min(SatAdd(attrs_.hp, rec.hp), attrs_.maxHp);
  attrs_.mp = std::min(SatAdd(attrs_.mp, rec.mp), attrs_.maxMp);
  AddExp(rec.exp);
  attrs_.attack = SatAdd(attrs_.attack, rec.attack);
  attrs_.defence = SatAdd(attrs_.defence, rec.defence);
  attrs_.moral = SatAdd(attrs_.moral, rec.moral);
  attrs_.hitRate = std::min(SatAdd(attrs_.hitRate, rec.hitRate), 100);
  attrs_.maxHp = SatAdd(attrs_.maxHp, rec.maxHp);
  attrs_.maxMp = SatAdd(attrs_.maxMp, rec.maxMp);
}

bool PlayerGrowth::ApplyItem(int item) {
  if (!items_.IsItem(item)) return false;
  int32_t type = items_.TypeOf(item);
  if (type < kItemWeapon || type > kItemBaldric) return false;
  AddEffects(item);
  return true;
}

int PlayerGrowth::RemoveItem(int slot) {
  int item = equipment_.Get(slot);
  if (item <= 0) return 0;
  const ItemRecord rec = items_.Get(item);
  attrs_.hp = std::max(SatSub(attrs_.hp, rec.hp), 1);
  attrs_.mp = std::max(SatSub(attrs_.mp, rec.mp), 1);
  attrs_.exp = std::max(SatSub(attrs_.exp, rec.exp), 0);
  attrs_.attack = std::max(SatSub(attrs_.attack, rec.attack), 1);
  attrs_.defence = std::max(SatSub(attrs_.defence, rec.defence), 0);
  attrs_.moral = std::max(SatSub(attrs_.moral, rec.moral), 0);
  attrs_.hitRate = std::max(SatSub(attrs_.hitRate, rec.hitRate), 1);
  attrs_.maxHp = std::max(SatSub(attrs_.maxHp, rec.maxHp), 100);
  attrs_.hp = std::min(attrs_.hp, attrs_.maxHp);
  attrs_.maxMp = std::max(SatSub(attrs_.maxMp, rec.maxMp), 50);
  attrs_.mp = std::min(attrs_.mp, attrs_.maxMp);
  return item;
}

int PlayerGrowth::UseItem(int cell) {
  int item = bag_.Get(cell);
  if (item <= 0) return -1;
  const ItemRecord rec = items_.Get(item);
  if (attrs_.level < rec.needLevel) {
    Show(Text(TextId::kLevelTooLow));
    if (output_) output_->Beep();
    return -1;
  }
  const int32_t type = rec.type;
  bool usedUp = false;
  if (type >= kItemPotion && type <= kItemBaldric) {
    AddEffects(item);
    bag_.ClearCell(cell);
    usedUp = type == kItemPotion;
    int slot = -1;
    if (type == kItemWeapon || type == kItemArmour) {
      slot = type - 1;
    } else if (type == kItemBaldric) {
      slot = equipment_.Get(kSlotBaldric1) == 0 ? kSlotBaldric1 : kSlotBaldric2;
    }
    if (slot >= 0) {
      int old = equipment_.Get(slot);
      if (old > 0) {
        RemoveItem(slot);
        // The old piece takes the cell the new one left; a cell still holding a stack (only a
        // damaged save makes one) keeps it, and the old piece goes wherever the bag has room.
        if (bag_.Get(cell) == 0)
          bag_.Exchange(old, cell);
        else
          bag_.Add(old);
      }
      equipment_.SetSlot(slot, item);
    }
  } else if (type == kItemBook) {
    int skill = skills_.FindItemByName(rec.name);
    if (skill > 0) {
      const SkillRecord srec = skills_.Get(skill);
      auto known = std::find_if(learned_.begin(), learned_.end(),
                                [&](const LearnedSkill& s) { return s.id == skill; });
      if (known == learned_.end()) {
        learned_.push_back({skill, 1});
        Show(WinFormat(Text(TextId::kSkillLearned).c_str(), srec.name.c_str()));
      } else if (known->level < srec.maxLevel) {
        known->level = SatAdd(known->level, 1);
        if (role_ && role_->HasSkillObject() && role_->CurrentSkill().id == skill)
          role_->SelectSkill(skill, known->level);
        Show(WinFormat(Text(TextId::kSkillLevelUp).c_str(), srec.name.c_str()));
      }
      bag_.ClearCell(cell);
      usedUp = true;
    }
    // A book that matches no skill stays in the bag and is not counted as used up.
  }
  if (type >= kItemPotion && type <= kItemBag5) Sound(ItemUseSound(type));
  if (usedUp && output_) output_->ItemUsedUp(rec.name);
  return type;
}

AttributeSnapshot PlayerGrowth::Snapshot() const {
  AttributeSnapshot s;
  if (role_) s.place = role_->Place();
  s.money = attrs_.money;
  s.level = attrs_.level;
  s.maxHp = attrs_.maxHp;
  s.hp = attrs_.hp;
  s.maxMp = attrs_.maxMp;
  s.mp = attrs_.mp;
  s.expNeeded = attrs_.expNeeded;
  s.exp = attrs_.exp;
  s.attack = attrs_.attack;
  s.defence = attrs_.defence;
  s.moral = attrs_.moral;
  s.hitRate = attrs_.hitRate;
  s.bag = bag_;
  s.equipment = equipment_;
  if (role_ && role_->HasSkillObject()) {
    LearnedSkill current = role_->CurrentSkill();
    s.skillId = current.id;
    s.skillLevel = current.level;
  }
  s.learnedSkills = learned_;
  return s;
}

void PlayerGrowth::Restore(const AttributeSnapshot& s) {
  if (role_) role_->SetPlace(s.place);
  bag_ = s.bag;
  bag_.SetItems(&items_);
  attrs_.exp = s.exp;
  attrs_.level = s.level;
  attrs_.money = s.money;
  attrs_.hp = s.hp;
  attrs_.mp = s.mp;
  if (role_) role_->SelectSkill(s.skillId, s.skillLevel);
  learned_ = s.learnedSkills;
  attrs_.expNeeded = s.expNeeded;
  attrs_.maxHp = s.maxHp;
  attrs_.maxMp = s.maxMp;
  equipment_ = s.equipment;
  equipment_.SetItems(&items_);
  attrs_.defence = s.defence;
  attrs_.attack = s.attack;
  attrs_.moral = s.moral;
  attrs_.hitRate = s.hitRate;
  if (role_) role_->ForgetFightTarget();
}

bool PlayerGrowth::LearnSkillByName(std::string_view name) {
  int skill = skills_.FindItemByName(name);
  if (skill <= 0) return false;
  for (const auto& s : learned_)
    if (s.id == skill) return false;
  learned_.push_back({skill, 1});
  return true;
}

bool PlayerGrowth::ForgetSkillByName(std::string_view name) {
  auto it = std::find_if(learned_.begin(), learned_.end(), [&](const LearnedSkill& s) {
    return skills_.IsSkill(s.id) && skills_.Get(s.id).name == name;
  });
  if (it == learned_.end()) return false;
  if (role_ && role_->HasSkillObject() && role_->CurrentSkill().id == it->id)
    role_->SelectSkill(learned_.front().id, learned_.front().level);
  learned_.erase(it);
  return true;
}

}  // namespace isora
