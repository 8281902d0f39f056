#include "roles/role.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "foundation/crand.h"
#include "foundation/file_io.h"
#include "foundation/portable_math.h"
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
  if (auto bytes = ReadFileBytes(NativePath("data\\" + fileName))) {
    std::string error;
    animationLoaded_ = ParseRoleAnimation(*bytes, animation_, &error);
    if (!animationLoaded_) Log("role file data\\" + fileName + " rejected: " + error);
  }
  if (context_.graphics) {
    for (const RoleFrame& f : animation_.frames)
      context_.graphics->Preload(kPackRole, f.image, imageGroup_ != 0);
  }
  int first = FindState("stand");
  if (first < 0) first = FindState("walk");
  if (first >= 0) {
    if (const RoleFrame* f = animation_.Frame(animation_.states[first].firstFrame)) {
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
  const RoleFrame* f = animation_.Frame(frame);
  if (!f || !context_.graphics) return;
  if (!context_.graphics->DrawPicture(kPackRole, f->image, imageGroup_ != 0, layer,
                                      x_ - f->width / 2, y_ - f->height / 2, brighten))
    Hooks::DebugOutput("loadmdbitmap failed.");
}

int Role::FramesOf(const std::string& stateName) const {
  int s = FindState(stateName);
  return s < 0 ? 0 : animation_.states[s].framesPerDirection;
}

void Role::SetAnimation(int direction, const std::string& stateName, int step) {
  const int frame = animation_.FrameIndex(FindState(stateName), direction, step);
  DrawFrame(frame, kRoleLayer, highlighted_ && stateName != "die");
  if (state_ != stateName) state_ = stateName;
  direction_ = direction;
  if (frame >= 0) currentFrame_ = frame;
}

void Role::DrawStep(int step) {
  const int frame = step >= 0 && step < FramesOf(state_)
                        ? animation_.FrameIndex(FindState(state_), direction_, step)
                        : -1;
  DrawFrame(frame, kRoleLayer, highlighted_ && state_ != "die");
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

int Role::MoveTo(int tx, int ty, const std::string& gait) {
  if (state_ == "fight") return 0;
  targetX_ = tx;
  targetY_ = ty;
  FaceTowards(tx, ty);
  std::string g = gait;
  if (IsPlayer() && g == "run" && growth_.Attrs().mp == 0) g = "walk";
  if (!IsPlayer() || g != state_) {
    SetAnimation(direction_, g, 0);
    frameStep_ = 0;
  }
  return 1;
}

void Role::Stand() {
  state_ = "stand";
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
    state_ = FindState("die") >= 0 ? "die" : "dieout";
    frameStep_ = 0;
  }
  if (state_.empty()) Stand();
  probe_ = probe;
  int result = 1;
  if (state_ == "stand") {
    StandStep();
  } else if (state_ == "walk") {
    MoveStep(3);
  } else if (state_ == "run") {
    MoveStep(6);
  } else if (state_ == "fight") {
    FightStep();
  } else if (state_ == "die") {
    DeathStep();
  } else {
    result = 0;
  }
  if (skill_ && skill_->EffectActive()) skill_->AdvanceEffect();
  return result;
}

void Role::StandStep() {
  ++frameStep_;
  if (frameStep_ >= FramesOf("stand")) frameStep_ = 0;
  DrawStep(frameStep_);
}

Point Role::StepProbe() const {
  if (state_ != "walk" && state_ != "run") return {-1, -1};
  const double dx = targetX_ - x_, dy = targetY_ - y_;
  const double d = std::sqrt(dx * dx + dy * dy);
  // At the target there is no direction to look in: the probe is the role's own feet.
  if (d == 0.0) return {x_, y_ + 32};
  return {static_cast<int>(x_ + dx * 6 / d), static_cast<int>(y_ + dy * 6 / d + 32)};
}

Rect Role::Bounds() const {
  const RoleFrame* f = animation_.Frame(currentFrame_);
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

void Role::Wander() {
  const int r1 = CRand::Rand() % 1400;
  const int r2 = CRand::Rand() % 1400;
  MoveTo(x_ + r2 - 200, y_ - r1 + 200, "walk");
}

void Role::MoveStep(int speed) {
  const std::string gait = state_;
  // Chasing follows the fight order (11). Any later order (3), such as the player walking away,
  // takes the role where it was sent instead of back to its target.
  if (fightTarget_ && !fightTarget_->IsDead() && orderMode_ == 11) {
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

  if (IsPlayer() && state_ == "run" && growth_.Attrs().mp == 0) {
    MoveTo(targetX_, targetY_, "walk");
    return;
  }

  const bool free = (probe_ & 0xFFFF) != 0;
  const int foundId = (probe_ >> 16) == 0xFFFF ? -1 : static_cast<int>(probe_ >> 16);
  if (free) {
    if (std::abs(targetX_ - x_) > speed || std::abs(targetY_ - y_) > speed) {
      ++context_.stepCounter;
      if (IsPlayer() && context_.stepCounter % 40 == 0 && state_ == "run") {
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
      SetAnimation(direction_, "stand", 0);
      frameStep_ = 0;
      Log("get there,stand!");
    } else {
      Wander();
    }
    return;
  }

  if (fightTargetId_ >= 0 && fightTargetId_ == foundId) {
    StartSkill();
    if (state_ == "fight") return;
  }
  if (IsPlayer()) {
    SetAnimation(direction_, "stand", 0);
    frameStep_ = 0;
    Log("get block,stand!");
    return;
  }
  if (LiveTarget()) {
    static constexpr int kSide[9][2] = {{0, 0},   {-100, 0},  {-100, -100}, {0, -100},  {100, -100},
                                        {100, 0}, {100, 100}, {0, 100},     {-100, 100}};
    const int d = direction_ >= 1 && direction_ <= 8 ? direction_ : 0;
    MoveTo(x_ + kSide[d][0], y_ + kSide[d][1], "walk");
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
  orderMode_ = 11;
}

}  // namespace isora
