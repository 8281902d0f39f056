// A role that is not the player, made from one role definition record of data\npc.npc: its
// talk lines, click and death scripts, drops, hostility, and its movement out of view.
#pragma once

#include <string>
#include <vector>

#include "roles/npc_record.h"
#include "roles/role.h"

namespace isora {

class CRoleNPC : public Role {
 public:
  // Stands the role with (x, y) as the bottom-left of its first frame; npcId = listId. A role
  // with fightMode 1 fights the player from the start.
  CRoleNPC(RoleContext& context, const NpcRecord& record, int x, int y, int listId, Role* player);
  ~CRoleNPC() override;

  int ExpValue() const override { return record_.expValue; }

  const NpcRecord& Record() const { return record_; }
  // "name(factionTitle)" when asked for the long form and the faction is not empty.
  std::string DisplayName(bool withTitle) const;
  // Shows the current line in the dialog and advances by the talk mode; false (nothing shown)
  // for talk mode 3 or a role without lines.
  bool Talk(int x, int y, RoleTalkTarget& dialog);
  const std::vector<std::string>& TalkLines() const { return talkLines_; }
  int NextLine() const { return nextLine_; }
  // Empty when the role has none.
  const std::string& ClickScript() const { return record_.clickScript; }
  const std::string& DeathScript() const { return record_.deathScript; }
  // The item the role drops for a roll of 0..99: 0-10 drop1, 11-29 drop2, 30-59 drop3, 60-99
  // drop4 (0: nothing).
  int DropForRoll(int roll) const;
  // Rolls with a fresh clock-seeded generator.
  int ChooseDrop() const;

  void SetHostile(bool hostile, Role* player);
  bool Hostile() const override { return fightMode_ == 1; }
  int FightMode() const { return fightMode_; }
  int Wanders() const { return wanders_; }
  int Kind() const { return record_.kind; }
  bool Enemy() const override { return Hostile() || record_.kind == 1; }

  // The movement of a role outside the processing rectangle: walks or runs without drawing;
  // free is the map's block test at the StepProbe point.
  void OffscreenStep(bool free);
  // Sets the target, faces it and takes the gait (kWalk or kRun) as its state, without drawing;
  // frameStep 0.
  void SetWalkTarget(int x, int y, RoleStateKind gait);

 private:
  NpcRecord record_;
  std::vector<std::string> talkLines_;
  int nextLine_ = 0;
  int fightMode_ = 0;
  int wanders_ = 0;
};

}  // namespace isora
