// The fighting half of Role: starting a skill, the fight step that resolves it, death.
#include <algorithm>

#include "foundation/crand.h"
#include "foundation/gbk.h"
#include "foundation/random_generator.h"
#include "foundation/system_hooks.h"
#include "roles/role.h"

namespace isora {

bool Role::SelectSkillByKey(char key) {
  for (const LearnedSkill& s : growth_.LearnedSkills()) {
    if (!context_.skills.IsSkill(s.id) || context_.skills.Get(s.id).shortcutKey != key) continue;
    if (!skill_) skill_ = std::make_unique<isora::CurrentSkill>(context_.skills, context_.graphics);
    return skill_->SetSkill(s.id, s.level);
  }
  return false;
}

int Role::StartSkill() {
  if (!skill_ || !skill_->HasSkill()) return 0;
  if (growth_.Attrs().mp < skill_->MpCost()) {
    if (context_.host) context_.host->ShowMessage(context_.host->Text(TextId::kMpTooLow));
    SetFightTarget(-1, nullptr);
    Stand();
    StandStep();
    return 0;
  }
  if (state_ == RoleStateKind::kFight) return 0;
  if (context_.host) context_.host->PlaySound("sound\\" + startSound_);
  SetAnimation(direction_, RoleStateKind::kFight, 0);
  frameStep_ = 1;
  return 1;
}

void Role::FightStep() {
  if (state_ == RoleStateKind::kDie) return;
  const int frames = FramesOf(RoleStateKind::kFight);
  DrawStep(frameStep_);
  ++frameStep_;
  if (frameStep_ < frames) return;

  if (!skill_ || !skill_->HasSkill()) {
    Log("the fighting npc has no skill.");
    Stand();
    ForgetFightTarget();
    return;
  }
  RandomGenerator generator;
  generator.Seed(0);
  int r = generator.Draw(100);
  if (npcId_ > 0) r = r * r % 100;
  const int hitRate = growth_.Attrs().hitRate;
  const bool hit = hitRate > 90 || r <= 90;
  const bool healing = skill_->Kind() == 0;

  if (hit) {
    const std::string sound = skill_->SoundName();
    if (!sound.empty() && context_.host) context_.host->PlaySound("sound\\" + sound);
    int power = skill_->Power();
    if (r > hitRate) power /= 2;
    if (!healing && fightTarget_) {
      Role* target = fightTarget_;
      const bool wasAlive = target->Attrs().hp > 0;
      Hooks::DebugOutput(Gbk(u8"攻击开始。"));
      const int32_t hpBefore = target->Attrs().hp;
      target->ChangeHp('-', SatAdd(power, growth_.Attrs().attack));
      if (context_.host) context_.host->RoleHit(*target, hpBefore - target->Attrs().hp);
      Hooks::DebugOutput(Gbk(u8"SetNowHealth。"));
      skill_->StartEffect(target->X(), target->Y());
      Hooks::DebugOutput(Gbk(u8"攻击over。"));
      // One kill is worth its experience once, even if a dying target is hit again.
      if (IsPlayer() && wasAlive && target->Attrs().hp <= 0)
        growth_.ChangeExp('+', target->ExpValue());
      if (IsPlayer()) growth_.ChangeMp('-', skill_->MpCost());
    } else if (healing) {
      Hooks::DebugOutput(Gbk(u8"补血开始。"));
      growth_.ChangeHp('+', power);
      skill_->StartEffect(x_, y_);
      if (IsPlayer()) growth_.ChangeMp('-', skill_->MpCost());
    }
  } else if (IsPlayer()) {
    growth_.ChangeMp('-', skill_->MpCost() / 2);
  }

  if (healing) {
    state_ = RoleStateKind::kStand;
    Hooks::DebugOutput(Gbk(u8"补血结束，返回了。"));
    return;
  }
  Role* target = fightTarget_;
  // Hit or missed, an attack provokes its target. A target that is dying neither fights back
  // nor flees: it must keep its death animation.
  if (target && target->NpcId() != 0 && target->Attrs().hp > 0) {
    if (target->FindState(RoleStateKind::kFight) >= 0) {
      if (target->FightTarget() != this) {
        target->SetFightTarget(npcId_, this);
        target->MoveTo(x_, y_, RoleStateKind::kWalk);
      }
    } else if (target->FindState(RoleStateKind::kWalk) >= 0) {
      const int r1 = CRand::Rand() % 1400;
      const int r2 = CRand::Rand() % 1400;
      target->MoveTo(target->X() + r2 - 200, target->Y() - r1 + 200, RoleStateKind::kWalk);
    }
  }
  // An attack without a target (it was removed meanwhile) also ends the fight, so the role
  // never stays stuck in "fight" where no order reaches it.
  if (IsPlayer()) {
    Stand();
    ForgetFightTarget();
  } else {
    state_ = RoleStateKind::kWalk;
  }
}

void Role::Died() {
  if (IsDead()) return;  // a body hit again is not killed twice
  if (context_.host) context_.host->RoleKilled(roleName_, Enemy());
  if (FindState(RoleStateKind::kDie) < 0) {
    state_ = RoleStateKind::kDieOut;
    return;
  }
  SetAnimation(direction_, RoleStateKind::kDie, 0);
  frameStep_ = 1;
}

void Role::DeathStep() {
  const int frames = FramesOf(RoleStateKind::kDie);
  DrawStep(frameStep_);
  ++frameStep_;
  if (frameStep_ < frames) return;
  frameStep_ = std::max(frames - 1, 0);
  highlighted_ = false;
  const int frame = animation_->FrameIndex(FindState(RoleStateKind::kDie), direction_, frameStep_);
  DrawFrame(frame, kGroundLayer, false);
  currentFrame_ = frame;
  Log("die");
  state_ = RoleStateKind::kDieOut;
  Log("copy over");
}

}  // namespace isora
