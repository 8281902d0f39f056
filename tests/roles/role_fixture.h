// A game folder with role files, a skill table, and recording graphics, host and hooks.
#pragma once

#include <memory>
#include <string>

#include "foundation/crand.h"
#include "roles/role_npc.h"
#include "support/recording_hooks.h"
#include "support/role_fakes.h"
#include "support/temp_dir.h"

namespace isora::test {

class RoleTest : public TempDirTest {
 protected:
  RoleTest() {
    context_.graphics = &graphics_;
    context_.host = &host_;
    context_.log = &log_;
    skills_.SetRecords({SkillRecord{}, MakeSkill("strike", 1, 30, 5, 'a'),
                        MakeSkill("heal", 0, 20, 5, 'h'), MakeSkill("far", 1, 10, 0, 'f', 200)});
    WriteRoleFile("hero.pmg", FullStates());
    WriteRoleFile("mon.pmg", FullStates());
    WriteRoleFile("nodie.pmg", {{"stand", 2}, {"walk", 2}, {"fight", 2}});
    WriteRoleFile("walker.pmg", {{"stand", 2}, {"walk", 2}});
  }

  std::unique_ptr<Role> MakePlayer(int x0 = 1000, int y0 = 800) {
    return std::make_unique<Role>(context_, "hero.pmg", "ziruve", x0, y0, 10, 100, 1);
  }

  NpcRecord Record(const std::string& name, const std::string& file = "mon.pmg") {
    NpcRecord r;
    r.roleName = name;
    r.animationFile = file;
    r.hp = 100;
    r.attack = 4;
    r.portrait = "NULL";
    r.talkLines[0] = "*/*";
    return r;
  }

  std::unique_ptr<CRoleNPC> MakeNpc(const NpcRecord& r, int x0, int y0, int id = 1,
                                    Role* player = nullptr) {
    return std::make_unique<CRoleNPC>(context_, r, x0, y0, id, player);
  }

  bool LogHas(const std::string& line) const {
    return ReadFile("test.log").find(line) != std::string::npos;
  }

  // Runs updates with a free step until the role leaves "fight" (at most n frames).
  static void FinishFight(Role& role, int n = 10) {
    for (int i = 0; i < n && role.State() == RoleStateKind::kFight; ++i)
      role.Update(MakeProbeResult(true, -1));
  }

  ItemDatabase items_;
  SkillDatabase skills_;
  RecordingRoleGraphics graphics_;
  RecordingRoleHost host_;
  RecordingHooks hooks_;
  GameLog log_{"test.log"};
  RoleContext context_{items_, skills_};
};

}  // namespace isora::test
