// Recording stand-ins for the game and the role a PlayerGrowth talks to.
#pragma once

#include <string>
#include <vector>

#include "roles/player_growth.h"

namespace isora::test {

class RecordingOutput : public GrowthOutput {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void PlaySound(const std::string& path) override { sounds.push_back(path); }
  void Beep() override { ++beeps; }
  void ItemUsedUp(const std::string& name) override { usedUp.push_back(name); }

  std::vector<std::string> messages, sounds, usedUp;
  int beeps = 0;
};

class FakeRole : public GrowthRole {
 public:
  RolePlace Place() const override { return place; }
  void SetPlace(const RolePlace& p) override { place = p; }
  bool HasSkillObject() const override { return hasSkill; }
  LearnedSkill CurrentSkill() const override { return current; }
  void SelectSkill(int id, int level) override {
    hasSkill = true;
    current = {id, level};
    selections.push_back(current);
  }
  void ForgetFightTarget() override { ++targetsForgotten; }
  void Died() override { ++deaths; }

  RolePlace place{100, 200, 3};
  bool hasSkill = true;
  LearnedSkill current{1, 1};
  std::vector<LearnedSkill> selections;
  int targetsForgotten = 0;
  int deaths = 0;
};

}  // namespace isora::test
