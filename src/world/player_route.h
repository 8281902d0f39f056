// The player's walk round what stands in the way: a go-to order becomes a planned route whose
// turning points the player walks to one after the other, each leg through the ordinary step
// rules of the role, planned again when a step is blocked or the goal moves to another cell.
// Off unless the game asks for it; then the player's orders move him straight, as they always
// did.
#pragma once

#include <span>
#include <vector>

#include "roles/role.h"
#include "world/game_map.h"
#include "world/path_finder.h"

namespace isora {

class PlayerRoute {
 public:
  void SetEnabled(bool on) {
    enabled_ = on;
    Clear();
  }
  bool Enabled() const { return enabled_; }

  // The player is sent to map point `to` (his position there) with a gait (kWalk or kRun).
  // Off: MoveTo as it stands. On: a route is planned unless the one under way already leads to
  // the same cell (then only its last point moves); an order for the cell where the last
  // route ended waits a few frames before planning again. `others` are the roles of the map.
  void GoTo(Role& player, const GameMap& map, std::span<const Role* const> others, Point to,
            RoleStateKind gait);
  // The player is set on a role to fight (the cursor at `aim` on it). Off, or with a straight
  // way to it: the fight order's chase, as it stands. On, with something in between: the
  // player keeps the role as his fight target but walks a route to it, and strikes when he
  // bumps into it; the held button turns the walk into the chase once the way is clear.
  void Chase(Role& player, const GameMap& map, std::span<const Role* const> others, Role& target,
             Point aim);
  // Before the player's update: on to the next turning point when this one is reached; the
  // route is dropped when anything else has given the player another order or stopped him.
  void BeforeUpdate(Role& player);
  // After it: a player whose step was blocked plans again from where he stands.
  void AfterUpdate(Role& player, const GameMap& map, std::span<const Role* const> others);
  void Clear();

  bool Active() const { return active_; }
  // Turning points of the route under way, as player positions; the next one first.
  std::vector<Point> Remaining() const;

 private:
  bool Plan(Role& player, const GameMap& map, std::span<const Role* const> others);
  void Aim(Role& player);

  bool enabled_ = false;
  bool active_ = false;
  std::vector<Point> waypoints_;  // player positions
  size_t next_ = 0;
  Point goal_{-1, -1};
  CellIndex goalCell_;
  RoleStateKind gait_ = RoleStateKind::kWalk;
  bool reachesGoal_ = false;
  int replans_ = 0;
  int wait_ = 0;
  Point plannedAt_{-1, -1};  // where the player stood when the route was last planned
  OpenCells cells_;
  PathFinder finder_;
};

}  // namespace isora
