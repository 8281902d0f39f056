#include "roles/role_npc.h"

#include <cmath>
#include <cstdlib>

#include "foundation/crand.h"
#include "foundation/random_generator.h"
#include "foundation/system_hooks.h"

namespace isora {

CRoleNPC::CRoleNPC(RoleContext& context, const NpcRecord& record, int x, int y, int listId,
                   Role* player)
    : Role(context, record.animationFile, record.roleName, x, y, record.attack, record.hp, 0),
      record_(record),
      fightMode_(record.fightMode),
      wanders_(record.wanders) {
  npcId_ = listId;
  direction_ = record.startDirection + 1;
  startSound_ = record.startSound;
  for (const std::string& line : record.talkLines) {
    if (line == "*/*") break;
    talkLines_.push_back(line);
  }
  // A skill the table does not hold leaves the role without one, like a record that names none.
  if (record.skillId <= 0 || !skill_->SetSkill(record.skillId, 1)) skill_.reset();
  if (fightMode_ == 1) SetFightTarget(0, player);
}

CRoleNPC::~CRoleNPC() {
  Hooks::DebugOutput("~CRoleNPC() ");
  talkLines_.clear();
  Hooks::DebugOutput("~CRoleNPC() over");
}

std::string CRoleNPC::DisplayName(bool withTitle) const {
  if (withTitle && !record_.factionName.empty())
    return record_.roleName + "(" + record_.factionName + record_.title + ")";
  return record_.roleName;
}

bool CRoleNPC::Talk(int x, int y, RoleTalkTarget& dialog) {
  if (record_.talkMode == 3 || talkLines_.empty()) return false;
  const int count = static_cast<int>(talkLines_.size());
  if (nextLine_ < 0 || nextLine_ >= count) nextLine_ = 0;
  dialog.ShowTalk(record_.roleName, talkLines_[nextLine_], record_.portrait, x, y);
  switch (record_.talkMode) {
    case 1:
      if (nextLine_ + 1 < count) ++nextLine_;
      break;
    case 2:
      nextLine_ = CRand::Rand() % count;
      break;
    default:
      nextLine_ = (nextLine_ + 1) % count;
      break;
  }
  return true;
}

int CRoleNPC::DropForRoll(int r) const {
  if (r <= 10) return record_.drops[0];
  if (r < 30) return record_.drops[1];
  if (r > 59) return record_.drops[3];
  return record_.drops[2];
}

int CRoleNPC::ChooseDrop() const {
  RandomGenerator generator;
  generator.Seed(0);
  return DropForRoll(generator.Draw(100));
}

void CRoleNPC::SetHostile(bool hostile, Role* player) {
  if (hostile) {
    fightMode_ = 1;
    SetFightTarget(0, player);
    wanders_ = 1;
  } else {
    fightMode_ = 0;
    ForgetFightTarget();
    orderMode_ = RoleOrder::kGoTo;
  }
}

void CRoleNPC::SetWalkTarget(int x, int y, RoleStateKind gait) {
  targetX_ = x;
  targetY_ = y;
  FaceTowards(x, y);
  state_ = gait;
  frameStep_ = 0;
}

void CRoleNPC::OffscreenStep(bool free) {
  int speed = 0;
  if (state_ == RoleStateKind::kWalk) {
    speed = 3;
  } else if (state_ == RoleStateKind::kRun) {
    speed = 6;
  } else {
    return;
  }
  if (!free) {
    const Point to = WanderPoint(x_, y_);
    SetWalkTarget(to.x, to.y, RoleStateKind::kWalk);
    return;
  }
  if (std::abs(targetX_ - x_) <= speed && std::abs(targetY_ - y_) <= speed) {
    state_ = RoleStateKind::kStand;
    return;
  }
  const double dx = targetX_ - x_, dy = targetY_ - y_;
  const double d = std::sqrt(dx * dx + dy * dy);
  if (d < 0.1) return;
  x_ += static_cast<int>(speed * dx / d);
  y_ += static_cast<int>(speed * dy / d);
  ++frameStep_;
  if (frameStep_ >= FramesOf(state_)) frameStep_ = 0;
}

}  // namespace isora
