#include "roles/role.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "foundation/crand.h"
#include "foundation/enhancements.h"
#include "foundation/file_io.h"
#include "foundation/portable_math.h"
#include "foundation/random_generator.h"
#include "foundation/system_hooks.h"
#include "media/renderer.h"

namespace isora {

namespace {
constexpr double kFacingLow = 0.2617993833333333;   // 15 degrees
constexpr double kFacingHigh = 1.3089969166666666;  // 75 degrees

int ClampToInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }
}  // namespace

Role::Role(RoleContext& context, const std::string& fileName, const std::string& roleName, int x0,
           int y0, int attack, int hp, int imageGroup)
    : context_(context),
      growth_(context.items, context.skills, context.host, this, hp, attack),
      x_(x0),
      y_(y0),
      roleName_(roleName),
      imageGroup_(imageGroup) {
  const std::string path = "data\\" + fileName;
  LoadedAnimation own;
  const LoadedAnimation& file =
      context_.animations ? context_.animations->Load(path) : (own = LoadRoleAnimation(path));
  animation_ = file.animation;
  animationLoaded_ = file.loaded;
  if (file.readable && !file.loaded) Log("role file " + path + " rejected: " + file.error);
  if (context_.graphics)
    context_.graphics->PreloadAnimation(kPackRole, animation_, imageGroup_ != 0);
  int first = FindState(RoleStateKind::kStand);
  if (first < 0) first = FindState(RoleStateKind::kWalk);
  if (first >= 0) {
    if (const RoleFrame* f = animation_->Frame(animation_->states[first].firstFrame)) {
      x_ = ClampToInt(int64_t{x0} + f->width / 2);
      y_ = ClampToInt(int64_t{y0} - f->height / 2);
    }
  }
  targetX_ = x_;
  targetY_ = y_;
  skill_ = std::make_unique<isora::CurrentSkill>(context_.skills, context_.graphics);
  // A table without skill 1 leaves the role without a usable skill rather than with an empty
  // record that would read as a healing skill.
  if (!skill_->SetSkill(1, 1)) skill_->SetSkill(0, 1);
}

Role::~Role() = default;

void Role::Log(const std::string& line) {
  if (context_.log) {
    context_.log->WriteText(line);
  } else {
    GameLog().WriteText(line);
  }
}

void Role::DrawFrame(int frame, int layer, bool brighten) {
  const RoleFrame* f = animation_->Frame(frame);
  if (!f || !context_.graphics) return;
  if (!context_.graphics->DrawFrame(kPackRole, animation_, frame, imageGroup_ != 0, layer,
                                    x_ - f->width / 2, y_ - f->height / 2, brighten))
    Hooks::DebugOutput("loadmdbitmap failed.");
}

int Role::FramesOf(RoleStateKind state) const {
  int s = FindState(state);
  return s < 0 ? 0 : animation_->states[s].framesPerDirection;
}

void Role::SetAnimation(int direction, RoleStateKind state, int step) {
  const int frame = animation_->FrameIndex(FindState(state), direction, step);
  DrawFrame(frame, kRoleLayer, highlighted_ && state != RoleStateKind::kDie);
  state_ = state;
  direction_ = direction;
  if (frame >= 0) currentFrame_ = frame;
}

void Role::DrawStep(int step) {
  const int frame = step >= 0 && step < FramesOf(state_)
                        ? animation_->FrameIndex(FindState(state_), direction_, step)
                        : -1;
  DrawFrame(frame, kRoleLayer, highlighted_ && state_ != RoleStateKind::kDie);
  // A step past the animation draws nothing and keeps the last frame for Bounds.
  if (frame >= 0) currentFrame_ = frame;
}

void Role::FaceTowards(int tx, int ty) {
  if (tx == x_ && ty == y_) {
    direction_ = 7;
    return;
  }
  const double g = std::fabs(pmath::Atan(static_cast<double>(ty - y_) / (tx - x_)));
  if (g <= kFacingLow) {
    direction_ = tx > x_ ? 3 : 7;
  } else if (g < kFacingHigh) {
    if (tx > x_ && ty > y_) {
      direction_ = 4;
    } else if (tx > x_ && ty < y_) {
      direction_ = 2;
    } else {
      direction_ = tx < x_ && ty > y_ ? 6 : 8;
    }
  } else if (g > kFacingHigh) {
    direction_ = ty >= y_ ? 5 : 1;
  }
}

int Role::MoveTo(int tx, int ty, RoleStateKind gait) {
  if (state_ == RoleStateKind::kFight) return 0;
  targetX_ = tx;
  targetY_ = ty;
  FaceTowards(tx, ty);
  RoleStateKind g = gait;
  if (IsPlayer() && g == RoleStateKind::kRun && growth_.Attrs().mp == 0) g = RoleStateKind::kWalk;
  if (!IsPlayer() || g != state_) {
    SetAnimation(direction_, g, 0);
    frameStep_ = 0;
  }
  return 1;
}

void Role::Stand() {
  state_ = RoleStateKind::kStand;
  frameStep_ = 0;
  if (IsPlayer()) ForgetFightTarget();
}

int Role::Update(const StepProber& prober) {
  // Only the move step looks at the probe, and it asks once the chase has aimed the role.
  prober_ = &prober;
  const int result = Update(MakeProbeResult(true, -1));
  prober_ = nullptr;
  return result;
}

int Role::Update(uint32_t probe) {
  if (growth_.Attrs().hp <= 0 && !IsDead()) {
    // A role brought to 0 HP other than by damage still plays its death, once.
    state_ = FindState(RoleStateKind::kDie) >= 0 ? RoleStateKind::kDie : RoleStateKind::kDieOut;
    frameStep_ = 0;
  }
  if (state_ == RoleStateKind::kNone) Stand();
  probe_ = probe;
  int result = 1;
  switch (state_) {
    case RoleStateKind::kStand:
      StandStep();
      break;
    case RoleStateKind::kWalk:
      MoveStep(3);
      break;
    case RoleStateKind::kRun:
      MoveStep(6);
      break;
    case RoleStateKind::kFight:
      FightStep();
      break;
    case RoleStateKind::kDie:
      DeathStep();
      break;
    case RoleStateKind::kNone:
    case RoleStateKind::kDieOut:
      result = 0;
      break;
  }
  if (skill_ && skill_->EffectActive()) skill_->AdvanceEffect();
  return result;
}

void Role::StandStep() {
  ++frameStep_;
  if (frameStep_ >= FramesOf(RoleStateKind::kStand)) frameStep_ = 0;
  DrawStep(frameStep_);
}

Point Role::StepProbe() const {
  if (state_ != RoleStateKind::kWalk && state_ != RoleStateKind::kRun) return {-1, -1};
  const double dx = targetX_ - x_, dy = targetY_ - y_;
  const double d = std::sqrt(dx * dx + dy * dy);
  // At the target there is no direction to look in: the probe is the role's own feet.
  if (d == 0.0) return {x_, y_ + 32};
  return {static_cast<int>(x_ + dx * 6 / d), static_cast<int>(y_ + dy * 6 / d + 32)};
}

Point Role::StepLanding() const {
  if (state_ != RoleStateKind::kWalk && state_ != RoleStateKind::kRun) return {-1, -1};
  const int speed = state_ == RoleStateKind::kRun ? 6 : 3;
  const Point feet{x_, y_ + kRoleFeet};
  if (std::abs(targetX_ - x_) <= speed && std::abs(targetY_ - y_) <= speed) return feet;
  const double dx = targetX_ - x_, dy = targetY_ - y_;
  const double d = std::sqrt(dx * dx + dy * dy);
  if (d < 0.1) return feet;
  return {x_ + static_cast<int>(speed * (dx / d)),
          y_ + static_cast<int>(speed * (dy / d)) + kRoleFeet};
}

Rect Role::Bounds() const {
  const RoleFrame* f = animation_->Frame(currentFrame_);
  const int w = f ? f->width : 0, h = f ? f->height : 0;
  return Rect{x_ - w / 2, y_ - h / 2, x_ + w / 2, y_ + h / 2};
}

Point Role::CameraOrigin() const {
  int cx = x_ > 320 ? x_ - 320 : 0;
  if (cx + 640 > 3200) cx = 2560;
  int cy = y_ > 240 ? y_ - 240 : 0;
  if (cy + 480 > 1600) cy = 1120;
  return {cx, cy};
}

Point WanderPoint(int x, int y) {
  if (Enhanced().On(Enhancement::kWanderAround)) {
    const int dx = CRand::Rand() % (2 * kWanderReach + 1) - kWanderReach;
    const int dy = CRand::Rand() % (2 * kWanderReach + 1) - kWanderReach;
    return Point{x + dx, y + dy};
  }
  const int r1 = CRand::Rand() % 1400;
  const int r2 = CRand::Rand() % 1400;
  return Point{x + r2 - 200, y - r1 + 200};
}

Point TimedWanderPoint(int x, int y) {
  if (Enhanced().On(Enhancement::kWanderAround)) return WanderPoint(x, y);
  RandomGenerator generator;
  generator.Seed(0);
  const int r = generator.Draw(1400);
  return Point{x + r - 200, y - r + 200};
}

void Role::Wander() {
  const Point to = WanderPoint(x_, y_);
  MoveTo(to.x, to.y, RoleStateKind::kWalk);
}

void Role::MoveStep(int speed) {
  const RoleStateKind gait = state_;
  // Chasing follows the fight order. Any later order, such as the player walking away, takes
  // the role where it was sent instead of back to its target.
  if (fightTarget_ && !fightTarget_->IsDead() && orderMode_ == RoleOrder::kChase) {
    const double dx = fightTarget_->X() - x_, dy = fightTarget_->Y() - y_;
    const int range = skill_ ? skill_->Range() : 0;
    if (range != 0 && std::sqrt(dx * dx + dy * dy) < range) {
      FaceTowards(fightTarget_->X(), fightTarget_->Y());
      StartSkill();
    } else if (retargetDelay_ > 0) {
      --retargetDelay_;
    } else {
      targetX_ = fightTarget_->X();
      targetY_ = fightTarget_->Y();
      FaceTowards(targetX_, targetY_);
    }
  }
  if (skill_ && skill_->Kind() == 0) StartSkill();
  // A skill that started (or an order dropped for want of MP) ends the walking for this frame.
  if (state_ != gait) return;
  // Chasing may have turned the role: look where it is about to step now.
  if (prober_) probe_ = (*prober_)(*this);

  if (IsPlayer() && state_ == RoleStateKind::kRun && growth_.Attrs().mp == 0) {
    MoveTo(targetX_, targetY_, RoleStateKind::kWalk);
    return;
  }

  const bool free = (probe_ & 0xFFFF) != 0;
  const int foundId = (probe_ >> 16) == 0xFFFF ? -1 : static_cast<int>(probe_ >> 16);
  if (free) {
    if (std::abs(targetX_ - x_) > speed || std::abs(targetY_ - y_) > speed) {
      ++context_.stepCounter;
      if (IsPlayer() && context_.stepCounter % 40 == 0 && state_ == RoleStateKind::kRun) {
        growth_.ChangeMp('-', 1);
        context_.stepCounter = 40;
      }
      const double dx = targetX_ - x_, dy = targetY_ - y_;
      const double d = std::sqrt(dx * dx + dy * dy);
      if (d >= 0.1) {
        x_ += static_cast<int>(speed * (dx / d));
        y_ += static_cast<int>(speed * (dy / d));
      }
      ++frameStep_;
      if (frameStep_ >= FramesOf(state_)) frameStep_ = 0;
      DrawStep(frameStep_);
    } else if (IsPlayer()) {
      SetAnimation(direction_, RoleStateKind::kStand, 0);
      frameStep_ = 0;
      Log("get there,stand!");
    } else {
      Wander();
    }
    return;
  }

  if (fightTargetId_ >= 0 && fightTargetId_ == foundId) {
    StartSkill();
    if (state_ == RoleStateKind::kFight) return;
  }
  if (IsPlayer()) {
    SetAnimation(direction_, RoleStateKind::kStand, 0);
    frameStep_ = 0;
    Log("get block,stand!");
    return;
  }
  if (LiveTarget()) {
    static constexpr int kSide[9][2] = {{0, 0},   {-100, 0},  {-100, -100}, {0, -100},  {100, -100},
                                        {100, 0}, {100, 100}, {0, 100},     {-100, 100}};
    const int d = direction_ >= 1 && direction_ <= 8 ? direction_ : 0;
    MoveTo(x_ + kSide[d][0], y_ + kSide[d][1], RoleStateKind::kWalk);
    retargetDelay_ = 4;
    return;
  }
  Wander();
}

void Role::SetPlace(const RolePlace& place) {
  x_ = place.x;
  y_ = place.y;
  direction_ = place.direction;
}

LearnedSkill Role::CurrentSkill() const {
  if (!skill_) return {1, 1};
  return {skill_->SkillId(), skill_->Level()};
}

void Role::SelectSkill(int id, int level) {
  if (!skill_) skill_ = std::make_unique<isora::CurrentSkill>(context_.skills, context_.graphics);
  skill_->SetSkill(id, level);
}

void Role::ForgetFightTarget() {
  fightTarget_ = nullptr;
  fightTargetId_ = -1;
}

void Role::ForgetTargetIf(const Role* role) {
  if (role && fightTarget_ == role) ForgetFightTarget();
}

void Role::SetFightTarget(int id, Role* role) {
  fightTargetId_ = id;
  fightTarget_ = role;
  orderMode_ = RoleOrder::kChase;
}

}  // namespace isora
