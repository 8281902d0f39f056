// What roles ask of the game beyond their own state: the message line, sounds and the system
// beep (the growth output), and the mission system's count of killed roles.
#pragma once

#include <string>

#include "roles/player_growth.h"

namespace isora {

class Role;

class RoleHost : public GrowthOutput {
 public:
  // A role of this name was killed (kill missions count it); enemy: it was the player's enemy.
  virtual void RoleKilled(const std::string& roleName, bool enemy) = 0;
  // A hit took `amount` HP from the target.
  virtual void RoleHit(const Role& /*target*/, int /*amount*/) {}
};

// The talk dialog as roles use it: shows a speaker, a line and a portrait at a point.
class RoleTalkTarget {
 public:
  virtual ~RoleTalkTarget() = default;
  virtual void ShowTalk(const std::string& speaker, const std::string& line,
                        const std::string& portrait, int x, int y) = 0;
};

}  // namespace isora
