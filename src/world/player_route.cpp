#include "world/player_route.h"

#include <cstdlib>

namespace isora {

namespace {

constexpr int kFeet = 32;         // a role's feet lie this far below its position
constexpr int kMaxReplans = 6;    // blocked steps one order may plan round
constexpr int kRetryFrames = 12;  // frames before the same goal is planned for again

int SpeedOf(RoleStateKind state) { return state == RoleStateKind::kRun ? 6 : 3; }

bool Moving(const Role& r) {
  return r.State() == RoleStateKind::kWalk || r.State() == RoleStateKind::kRun;
}

}  // namespace

void PlayerRoute::Clear() {
  active_ = false;
  waypoints_.clear();
  next_ = 0;
}

std::vector<Point> PlayerRoute::Remaining() const {
  if (!active_) return {};
  return std::vector<Point>(waypoints_.begin() + static_cast<std::ptrdiff_t>(next_),
                            waypoints_.end());
}

bool PlayerRoute::Plan(Role& player, const GameMap& map, std::span<const Role* const> others) {
  cells_.Reset(map);
  cells_.CloseUnderRoles(others, &player);
  const Point feet{player.X(), player.Y() + kFeet};
  cells_.Open(cells_.CellAt(feet.x, feet.y));
  PathResult found = finder_.Find(cells_, feet, Point{goal_.x, goal_.y + kFeet});
  waypoints_.clear();
  for (Point p : found.waypoints) waypoints_.push_back(Point{p.x, p.y - kFeet});
  next_ = 0;
  reachesGoal_ = found.reachesGoal;
  active_ = !waypoints_.empty();
  return active_;
}

void PlayerRoute::Aim(Role& player) {
  const Point p = waypoints_[next_];
  player.MoveTo(p.x, p.y, gait_);
}

void PlayerRoute::GoTo(Role& player, const GameMap& map, std::span<const Role* const> others,
                       Point to, RoleStateKind gait) {
  if (!enabled_) {
    player.MoveTo(to.x, to.y, gait);
    return;
  }
  const CellIndex cell = map.CellAt(to.x, to.y + kFeet);
  const bool sameGoal = cell == goalCell_;
  gait_ = gait;
  if (active_ && sameGoal) {
    // The cursor moved inside the goal cell: only the end of the walk moves with it.
    goal_ = to;
    if (reachesGoal_) waypoints_.back() = to;
    if (player.State() != gait || next_ + 1 == waypoints_.size()) Aim(player);
    return;
  }
  if (!active_ && sameGoal && wait_ > 0) return;
  goal_ = to;
  goalCell_ = cell;
  replans_ = 0;
  wait_ = kRetryFrames;
  if (Plan(player, map, others)) {
    Aim(player);
  } else if (player.State() != RoleStateKind::kStand) {
    player.Stand();
  }
}

void PlayerRoute::BeforeUpdate(Role& player) {
  if (wait_ > 0) --wait_;
  if (!active_) return;
  const Point aim = waypoints_[next_];
  if (!Moving(player) || player.TargetX() != aim.x || player.TargetY() != aim.y) {
    Clear();  // stopped, or sent elsewhere by something other than the route
    return;
  }
  const int speed = SpeedOf(player.State());
  if (next_ + 1 < waypoints_.size() && std::abs(aim.x - player.X()) <= speed &&
      std::abs(aim.y - player.Y()) <= speed) {
    ++next_;
    Aim(player);
  }
}

void PlayerRoute::AfterUpdate(Role& player, const GameMap& map,
                              std::span<const Role* const> others) {
  if (!active_) return;
  if (Moving(player)) return;
  const Point end = waypoints_.back();
  const bool arrived = next_ + 1 == waypoints_.size() &&
                       std::abs(end.x - player.X()) <= SpeedOf(gait_) &&
                       std::abs(end.y - player.Y()) <= SpeedOf(gait_);
  if (arrived || player.State() != RoleStateKind::kStand || ++replans_ > kMaxReplans) {
    Clear();
    return;
  }
  // Blocked: plan round whatever stands there now.
  if (Plan(player, map, others)) Aim(player);
}

}  // namespace isora
