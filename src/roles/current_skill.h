// The skill a role fights with: its record copied at selection and its effect animation, drawn
// centred on the point it was started at, one frame per role update.
#pragma once

#include <string>

#include "items/skill_database.h"

namespace isora {

class RoleGraphics;

class CurrentSkill {
 public:
  CurrentSkill(const SkillDatabase& skills, RoleGraphics* graphics)
      : skills_(skills), graphics_(graphics) {}

  // id <= 0 selects no skill (false). Refused while the effect runs or for an id past the
  // table; otherwise copies the record and caps the level at its maxLevel.
  bool SetSkill(int id, int level);
  bool HasSkill() const { return skillId_ > 0; }
  int SkillId() const { return skillId_; }
  int Level() const { return level_; }
  const SkillRecord& Record() const { return record_; }

  // The record's kind, -1 without a skill.
  int Kind() const { return HasSkill() ? record_.kind : -1; }
  // The reach (20 when the record says 0); 0 without a skill.
  int Range() const { return HasSkill() ? SkillRange(record_) : 0; }
  int Power() const { return HasSkill() ? SkillPower(record_, level_) : 0; }
  int MpCost() const { return HasSkill() ? record_.mpCost : 0; }
  std::string SoundName() const { return HasSkill() ? record_.sound : std::string(); }

  // Starts the effect animation at a point (only with a skill that has effect frames).
  void StartEffect(int x, int y);
  // Next effect frame: drawn on the role layer, or the end of the effect.
  void AdvanceEffect();
  bool EffectActive() const { return effectActive_; }
  int EffectFrame() const { return effectFrame_; }

 private:
  const SkillDatabase& skills_;
  RoleGraphics* graphics_;
  int skillId_ = 1;
  int level_ = 1;
  SkillRecord record_;
  int effectFrame_ = -1;
  int effectX_ = 0, effectY_ = 0;
  bool effectActive_ = false;
};

}  // namespace isora
