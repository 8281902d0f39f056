// Every animated character on the map: the player and, through CRoleNPC, every other role. A
// role plays the animation file's states in eight directions, walks and runs toward a target
// frame by frame, fights with its current skill, and owns its attributes and growth.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/game_log.h"
#include "items/item_database.h"
#include "items/skill_database.h"
#include "media/surface.h"
#include "roles/current_skill.h"
#include "roles/player_growth.h"
#include "roles/role_animation.h"
#include "roles/role_graphics.h"
#include "roles/role_host.h"

namespace isora {

// What every role shares: the game's databases, where it draws, the game side, the log and the
// step counter the running cost of the player is measured by. Outlives every role.
struct RoleContext {
  RoleContext(const ItemDatabase& itemDb, const SkillDatabase& skillDb)
      : items(itemDb), skills(skillDb) {}
  const ItemDatabase& items;
  const SkillDatabase& skills;
  RoleGraphics* graphics = nullptr;  // null: nothing is drawn
  RoleHost* host = nullptr;          // null: messages, sounds and kills go nowhere
  GameLog* log = nullptr;            // null: GameEngine.log
  // Animation files already parsed, shared between roles; null: each role reads its own.
  RoleAnimationCache* animations = nullptr;
  int stepCounter = 0;  // shared by all roles
};

// The per-frame probe result the world update passes to Update: low 16 bits non-zero when the
// step is free, high 16 bits the npcId of the role found at the probe point (all ones: none).
constexpr uint32_t MakeProbeResult(bool free, int foundId) {
  return (static_cast<uint32_t>(foundId < 0 ? 0xFFFF : foundId & 0xFFFF) << 16) | (free ? 1u : 0u);
}

// The order a role's movement follows; the values are those the state dump reports.
enum class RoleOrder {
  kGoTo = 3,    // go where the last order sent it (every player order sets this)
  kChase = 11,  // chase the fight target while it lives (set with the fight target)
};

// A role's feet, where steps and cells are tested, lie this far below its position.
constexpr int kRoleFeet = 32;

// Where a wandering role heads next when it arrives or is blocked: r1 then r2 below 1400 from
// the game's random sequence give (x + r2 - 200, y - r1 + 200), which leans right and down.
// With the wander-around switch, a point up to kWanderReach pixels away in each direction.
constexpr int kWanderReach = 700;
Point WanderPoint(int x, int y);
// Where the world's wander timer sends a wanderer: one number r below 1400 from a generator
// seeded from the clock gives (x + r - 200, y - r + 200), so wanderers started within the same
// second head the same way. With the wander-around switch, as WanderPoint.
Point TimedWanderPoint(int x, int y);

class Role : public GrowthRole {
 public:
  // Loads data\<fileName>; preloads every frame picture under the image group (1 keeps them in
  // the persistent cache); stands the role so that (x0, y0) is the bottom-left corner of the
  // first "stand" (or "walk") frame. A missing or foreign file leaves it without animation.
  Role(RoleContext& context, const std::string& fileName, const std::string& roleName, int x0,
       int y0, int attack, int hp, int imageGroup);
  ~Role() override;
  Role(const Role&) = delete;
  Role& operator=(const Role&) = delete;

  // The experience the role is worth when killed.
  virtual int ExpValue() const { return 0; }
  // Whether the role fights the player's side of its own accord.
  virtual bool Hostile() const { return false; }
  // Whether the role is the player's enemy: hostile, or one of the game's creatures (kind 1,
  // whose death the player's morality rewards) even while it keeps to itself.
  virtual bool Enemy() const { return false; }

  bool HasAnimation() const { return animationLoaded_; }
  const RoleAnimation& Animation() const { return *animation_; }
  const std::shared_ptr<const RoleAnimation>& SharedAnimation() const { return animation_; }

  // Animation and movement.
  int FindState(std::string_view name) const { return animation_->FindState(name); }
  int FindState(RoleStateKind kind) const { return animation_->FindState(kind); }
  void SetAnimation(int direction, RoleStateKind state, int step);
  void DrawStep(int step);
  void FaceTowards(int tx, int ty);
  // gait is kWalk or kRun; refused (0) while fighting.
  int MoveTo(int tx, int ty, RoleStateKind gait);
  void Stand();
  // One frame of the role's state; probe as MakeProbeResult. 0 when the role is out (kDieOut).
  int Update(uint32_t probe);
  // The same, with the step probed by `prober` only once chasing has re-aimed the role at its
  // fight target, so a chaser never steps in a direction nobody looked at.
  using StepProber = std::function<uint32_t(const Role&)>;
  int Update(const StepProber& prober);
  // The point 6 pixels ahead toward the target (and 32 lower, at the feet) while walking or
  // running; (-1, -1) otherwise.
  Point StepProbe() const;
  // Where the feet come down after this frame's step at the present gait (3 pixels walking, 6
  // running, truncated as the step moves): the feet themselves when the step ends the walk;
  // (-1, -1) while neither walking nor running.
  Point StepLanding() const;
  Rect Bounds() const;
  // The view's top-left for a camera on this role.
  Point CameraOrigin() const;

  // Fighting.
  isora::CurrentSkill* Skill() { return skill_.get(); }
  const isora::CurrentSkill* Skill() const { return skill_.get(); }
  bool SelectSkillByKey(char key);
  void SetFightTarget(int id, Role* role);
  Role* FightTarget() const { return fightTarget_; }
  int FightTargetId() const { return fightTargetId_; }
  // Forgets the target when it is this role (before the role is deleted).
  void ForgetTargetIf(const Role* role);
  int StartSkill();
  void ChangeHp(char sign, int amount) { growth_.ChangeHp(sign, amount); }
  // Current over maximum HP; 0 when the maximum is 0 or below.
  double HpFraction() const { return growth_.HpFraction(); }
  bool IsDead() const { return state_ == RoleStateKind::kDie || state_ == RoleStateKind::kDieOut; }

  // Attributes and growth.
  PlayerGrowth& Growth() { return growth_; }
  const PlayerGrowth& Growth() const { return growth_; }
  const Attributes& Attrs() const { return growth_.Attrs(); }

  // Fields.
  int X() const { return x_; }
  int Y() const { return y_; }
  void SetPosition(int x, int y) {
    x_ = x;
    y_ = y;
  }
  int TargetX() const { return targetX_; }
  int TargetY() const { return targetY_; }
  void SetTarget(int x, int y) {
    targetX_ = x;
    targetY_ = y;
  }
  int Direction() const { return direction_; }
  void SetDirection(int d) { direction_ = d; }
  RoleStateKind State() const { return state_; }
  // The state's name as the animation file and the state dump spell it ("" before the first
  // update).
  std::string_view StateName() const { return RoleStateName(state_); }
  int FrameStep() const { return frameStep_; }
  int NpcId() const { return npcId_; }
  bool IsPlayer() const { return npcId_ == 0; }
  bool Highlighted() const { return highlighted_; }
  void SetHighlighted(bool on) { highlighted_ = on; }
  const std::string& RoleName() const { return roleName_; }
  int RetargetDelay() const { return retargetDelay_; }
  RoleOrder OrderMode() const { return orderMode_; }
  void SetOrderMode(RoleOrder mode) { orderMode_ = mode; }
  const std::string& StartSound() const { return startSound_; }

  // GrowthRole.
  RolePlace Place() const override { return {x_, y_, direction_}; }
  void SetPlace(const RolePlace& place) override;
  bool HasSkillObject() const override { return skill_ != nullptr; }
  LearnedSkill CurrentSkill() const override;
  void SelectSkill(int id, int level) override;
  void ForgetFightTarget() override;
  void Died() override;

 protected:
  // Steps of Update.
  void StandStep();
  void MoveStep(int speed);
  void FightStep();
  void DeathStep();
  void Wander();
  // Frames in the state's animation for one direction; 0 when the file lacks it.
  int FramesOf(RoleStateKind state) const;
  bool LiveTarget() const { return fightTarget_ && !fightTarget_->IsDead(); }
  void DrawFrame(int frame, int layer, bool brighten);
  void Log(const std::string& line);

  RoleContext& context_;
  std::shared_ptr<const RoleAnimation> animation_;
  bool animationLoaded_ = false;
  PlayerGrowth growth_;
  std::unique_ptr<isora::CurrentSkill> skill_;
  Role* fightTarget_ = nullptr;
  int fightTargetId_ = -1;

  int x_ = 0, y_ = 0;
  int targetX_ = 0, targetY_ = 0;
  int direction_ = 1;
  RoleStateKind state_ = RoleStateKind::kNone;
  int frameStep_ = 0;
  int currentFrame_ = -1;
  int npcId_ = 0;
  bool highlighted_ = false;
  std::string roleName_;
  int retargetDelay_ = 0;
  RoleOrder orderMode_ = RoleOrder::kGoTo;
  std::string startSound_ = "role_fight.wav";
  int imageGroup_ = 0;
  uint32_t probe_ = 0;                  // this frame's probe result, read by the move step
  const StepProber* prober_ = nullptr;  // set during Update(prober)
};

}  // namespace isora
