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
  const Point feet{player.X(), player.Y() + kFeet};
  cells_.CloseUnderRoles(others, &player, feet);
  cells_.Open(cells_.CellAt(feet.x, feet.y));
  plannedAt_ = Point{player.X(), player.Y()};
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

void PlayerRoute::Chase(Role& player, const GameMap& map, std::span<const Role* const> others,
                        Role& target, Point aim) {
  player.SetFightTarget(target.NpcId(), &target);
  if (enabled_) {
    std::vector<const Role*> rest;
    for (const Role* r : others)
      if (r != &target) rest.push_back(r);
    cells_.Reset(map);
    const Point feet{player.X(), player.Y() + kFeet};
    cells_.CloseUnderRoles(rest, &player, feet);
    if (!StraightWayIsOpen(cells_, feet, Point{target.X(), target.Y() + kFeet})) {
      // Walking the route is a go-to order: the chase would aim him back at the obstacle.
      player.SetOrderMode(RoleOrder::kGoTo);
      wait_ = 0;  // a fight goes on at once: the route is planned again after every strike
      GoTo(player, map, rest, Point{target.X(), target.Y()}, RoleStateKind::kRun);
      if (active_) return;
      // No route leads nearer to it: the chase goes straight at it, as without a route.
      player.SetOrderMode(RoleOrder::kChase);
    }
  }
  Clear();
  player.MoveTo(aim.x, aim.y, RoleStateKind::kRun);
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
  if (plannedAt_ == Point{player.X(), player.Y()}) {
    // Blocked before the first step of a fresh plan: what blocks him is nothing a plan can
    // see. The order goes straight at its point, as it would without a route.
    Clear();
    player.MoveTo(goal_.x, goal_.y, gait_);
    return;
  }
  // Blocked on the way: plan round whatever stands there now.
  if (Plan(player, map, others)) Aim(player);
}

}  // namespace isora
