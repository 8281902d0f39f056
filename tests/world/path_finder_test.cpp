#include "world/path_finder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "lib/map_writer.h"
#include "roles/role_fixture.h"
#include "world/player_route.h"
#include "world/step_probe.h"

namespace isora::test {
namespace {

constexpr int kFeet = 32;

// A 50 x 50 map with a wall of blocked cells along column 20 from row 5 to row 30, a blocked
// cell (40, 40) inside a ring of blocked cells, and two blocked cells touching at a corner.
class PathTest : public RoleTest {
 protected:
  PathTest() {
    nlohmann::json blocked = nlohmann::json::array();
    auto block = [&](int r, int c) {
      blocked.push_back({{"row", r}, {"column", c}, {"passable", 0}});
    };
    for (int r = 5; r <= 30; ++r) block(r, 20);
    for (int r = 37; r <= 43; ++r)
      for (int c = 37; c <= 43; ++c)
        if (r == 37 || r == 43 || c == 37 || c == 43) block(r, c);
    block(40, 40);
    block(10, 40);
    block(11, 41);
    MapFileData data;
    std::string error;
    nlohmann::json src = {{"size", 50}, {"cells", blocked}};
    EXPECT_TRUE(BuildMapFromJson(src, "t.map", data, &error)) << error;
    EXPECT_EQ(map_.LoadBytes(WriteMapFile(data)), 1);
    cells_.Reset(map_);
  }
  Point Centre(int r, int c) { return cells_.Centre(r, c); }
  // Every leg of the walk, from the start through each turning point, stays on open cells.
  void ExpectWalkable(Point from, const std::vector<Point>& waypoints) {
    Point at = from;
    for (Point p : waypoints) {
      EXPECT_TRUE(StraightWayIsOpen(cells_, at, p))
          << at.x << "," << at.y << " -> " << p.x << "," << p.y;
      at = p;
    }
  }

  GameLog mapLog_{"map.log"};
  GameMap map_{&mapLog_};
  OpenCells cells_;
  PathFinder finder_;
};

TEST_F(PathTest, AnOpenWayIsOneStraightLegToTheExactPoint) {
  const Point from = Centre(15, 10), to{Centre(18, 12).x + 5, Centre(18, 12).y - 3};
  PathResult r = finder_.Find(cells_, from, to);
  EXPECT_TRUE(r.reachesGoal);
  ASSERT_EQ(r.waypoints.size(), 1u);
  EXPECT_EQ(r.waypoints[0], to);
}

TEST_F(PathTest, AWallIsWalkedRoundOverOpenCells) {
  const Point from = Centre(15, 15), to = Centre(15, 25);
  ASSERT_FALSE(StraightWayIsOpen(cells_, from, to));
  PathResult r = finder_.Find(cells_, from, to);
  EXPECT_TRUE(r.reachesGoal);
  ASSERT_GE(r.waypoints.size(), 2u);
  EXPECT_EQ(r.waypoints.back(), to);
  ExpectWalkable(from, r.waypoints);
  // Round the nearer end of the wall (row 5), not the far one.
  int minRow = 50;
  for (Point p : r.waypoints) minRow = std::min(minRow, cells_.CellAt(p.x, p.y).row);
  EXPECT_LE(minRow, 4);
  EXPECT_LT(finder_.LastVisits(), 2500);
}

TEST_F(PathTest, ABlockedOrWalledInGoalLeadsToTheNearestReachableCell) {
  // The blocked cell (10, 40) itself: the walk ends on an open cell beside it.
  PathResult r = finder_.Find(cells_, Centre(20, 40), Centre(10, 40));
  EXPECT_FALSE(r.reachesGoal);
  ASSERT_FALSE(r.waypoints.empty());
  CellIndex end = cells_.CellAt(r.waypoints.back().x, r.waypoints.back().y);
  EXPECT_TRUE(cells_.IsOpen(end.row, end.column));
  EXPECT_LE(std::abs(end.row - 10) + std::abs(end.column - 40), 2);

  // Inside the ring: the walk ends just outside it, at one of the open cells nearest to the
  // goal on the screen (115 pixels: two cells off along one axis, four along the other).
  r = finder_.Find(cells_, Centre(40, 30), Centre(40, 40));
  EXPECT_FALSE(r.reachesGoal);
  ASSERT_FALSE(r.waypoints.empty());
  const Point last = r.waypoints.back(), goal = Centre(40, 40);
  EXPECT_LE(std::hypot(last.x - goal.x, last.y - goal.y), 116.0);
  ExpectWalkable(Centre(40, 30), r.waypoints);

  // Already as near as it gets: nothing to walk.
  r = finder_.Find(cells_, last, Centre(40, 40));
  EXPECT_TRUE(r.waypoints.empty());
}

// A goal beside the grid's left edge, at row 14 and column -1, was taken for the last cell of
// row 13: from there the route led straight off the map.
TEST_F(PathTest, AGoalOffTheGridIsNeverReachedAndTheRouteStaysOnTheMap) {
  const Point goal{Centre(14, 0).x + 32, Centre(14, 0).y - 16};  // one column left of (14, 0)
  ASSERT_EQ(cells_.CellAt(goal.x, goal.y), (CellIndex{14, -1}));
  for (Point from : {Centre(13, 49), Centre(14, 3)}) {
    const PathResult r = finder_.Find(cells_, from, goal);
    EXPECT_FALSE(r.reachesGoal);
    for (Point p : r.waypoints) {
      const CellIndex c = cells_.CellAt(p.x, p.y);
      EXPECT_TRUE(cells_.IsOpen(c.row, c.column)) << p.x << "," << p.y;
    }
  }
}

TEST_F(PathTest, CornersBetweenTwoBlockedCellsAreNotSqueezedThrough) {
  // (10, 41) and (11, 40) are open but only touch across the corner of (10, 40) and (11, 41).
  PathResult r = finder_.Find(cells_, Centre(10, 41), Centre(11, 40));
  EXPECT_TRUE(r.reachesGoal);
  EXPECT_GE(r.waypoints.size(), 2u);
  ExpectWalkable(Centre(10, 41), r.waypoints);
}

TEST_F(PathTest, RolesCloseTheCellsUnderTheirPictures) {
  auto npc = MakeNpc(Record("wolf"), Centre(15, 12).x - 20, Centre(15, 12).y + 10, 5);
  npc->Update(MakeProbeResult(true, -1));  // drawn once, so it has a picture
  const Rect b = npc->Bounds();
  ASSERT_FALSE(b.Empty());
  const Role* roles[] = {npc.get()};
  cells_.CloseUnderRoles(roles, nullptr, Point{-1, -1});
  // Every point of the picture lies on a closed cell; cells well away stay open.
  for (int y = b.top; y < b.bottom; y += 4)
    for (int x = b.left; x < b.right; x += 4) EXPECT_FALSE(cells_.IsOpenAt(x, y)) << x << "," << y;
  EXPECT_TRUE(cells_.IsOpen(15, 18));
  // A dead role stands in nobody's way.
  cells_.Reset(map_);
  npc->ChangeHp('-', 1000);
  cells_.CloseUnderRoles(roles, nullptr, Point{-1, -1});
  EXPECT_TRUE(cells_.IsOpenAt(npc->X(), npc->Y()));
}

TEST_F(PathTest, SearchWorkAndLengthAreBounded) {
  PathResult r = finder_.Find(cells_, Centre(15, 15), Centre(15, 25), PathLimits{256, 30});
  EXPECT_LE(finder_.LastVisits(), 30);
  EXPECT_FALSE(r.reachesGoal);
  r = finder_.Find(cells_, Centre(2, 2), Centre(47, 47), PathLimits{5, 4096});
  EXPECT_FALSE(r.reachesGoal);
  ASSERT_FALSE(r.waypoints.empty());
  const CellIndex end = cells_.CellAt(r.waypoints.back().x, r.waypoints.back().y);
  EXPECT_LE(end.row + end.column, 2 + 2 + 2 * 4);  // at most four cells on from the start
  // Off the grid there is nothing to search from.
  EXPECT_TRUE(finder_.Find(cells_, Point{-500, -500}, Centre(5, 5)).waypoints.empty());
}

// A goal on a closed cell stops the search at the nearest reachable cell: on maps of every
// density, with roles and goals off the grid, the walk is the one the full search finds.
TEST_F(PathTest, StoppingAtTheNearestCellGivesTheWalkOfTheFullSearch) {
  std::mt19937 rng(20261208);
  PathFinder full;
  const PathLimits everything{256, 4096, false};
  long stopVisits = 0, fullVisits = 0;
  int compared = 0;
  for (int m = 0; m < 12; ++m) {
    nlohmann::json blocked = nlohmann::json::array();
    const int density = 3 + m * 4;  // per cent
    for (int r = 0; r < 50; ++r)
      for (int c = 0; c < 50; ++c)
        if (static_cast<int>(rng() % 100) < density)
          blocked.push_back({{"row", r}, {"column", c}, {"passable", 0}});
    MapFileData data;
    std::string error;
    ASSERT_TRUE(BuildMapFromJson({{"size", 50}, {"cells", blocked}}, "r.map", data, &error));
    GameMap map(&mapLog_);
    ASSERT_EQ(map.LoadBytes(WriteMapFile(data)), 1);
    OpenCells cells;
    cells.Reset(map);
    for (int k = 0; k < 4; ++k) {  // a few roles' pictures
      const Point at = cells.Centre(static_cast<int>(rng() % 50), static_cast<int>(rng() % 50));
      cells.CloseUnder(Rect{at.x - 20, at.y - 70, at.x + 20, at.y + 5});
    }
    for (int s = 0; s < 25; ++s) {
      const Point from = cells.Centre(static_cast<int>(rng() % 50), static_cast<int>(rng() % 50));
      Point to;
      if (s % 5 == 4) {  // anywhere on the layer, the grid's corners outside it included
        to = Point{static_cast<int>(rng() % 3200), static_cast<int>(rng() % 1600)};
      } else {
        int r = 0, c = 0;
        do {
          r = static_cast<int>(rng() % 50);
          c = static_cast<int>(rng() % 50);
        } while (cells.IsOpen(r, c));
        to = cells.Centre(r, c);
      }
      const PathResult a = finder_.Find(cells, from, to);
      stopVisits += finder_.LastVisits();
      const PathResult b = full.Find(cells, from, to, everything);
      fullVisits += full.LastVisits();
      EXPECT_EQ(a.waypoints, b.waypoints) << "map " << m << " search " << s;
      EXPECT_EQ(a.reachesGoal, b.reachesGoal) << "map " << m << " search " << s;
      ++compared;
    }
  }
  EXPECT_EQ(compared, 300);
  EXPECT_LT(stopVisits * 2, fullVisits);

  // A role on open ground: the walk stops beside it after a few hundred cells, not all 2,500.
  OpenCells open;
  GameMap empty(&mapLog_);
  MapFileData data;
  std::string error;
  ASSERT_TRUE(BuildMapFromJson({{"size", 50}}, "e.map", data, &error));
  ASSERT_EQ(empty.LoadBytes(WriteMapFile(data)), 1);
  open.Reset(empty);
  const Point npc = open.Centre(30, 30);
  open.CloseUnder(Rect{npc.x - 20, npc.y - 70, npc.x + 20, npc.y + 5});
  const PathResult near = finder_.Find(open, open.Centre(5, 5), npc);
  EXPECT_LT(finder_.LastVisits(), 500);
  EXPECT_EQ(near.waypoints, full.Find(open, open.Centre(5, 5), npc, everything).waypoints);
  EXPECT_GT(full.LastVisits(), 2000);
}

// The player walks the route frame by frame through the same step test as the game.
class RouteTest : public PathTest {
 protected:
  // Frames until the player stands; false when he still walks after `frames`.
  bool Walk(Role& player, PlayerRoute& route, std::vector<const Role*> others, int frames) {
    others.push_back(&player);
    for (int i = 0; i < frames; ++i) {
      route.BeforeUpdate(player);
      player.Update(ProbeStep(player, map_, others));
      route.AfterUpdate(player, map_, others);
      for (const Role* o : others) {
        if (o != &player) const_cast<Role*>(o)->Update(MakeProbeResult(true, -1));
      }
      if (player.State() == RoleStateKind::kStand) return true;
    }
    return false;
  }
  std::unique_ptr<Role> PlayerAt(Point feet) {
    auto p = MakePlayer(0, 0);
    p->Update(MakeProbeResult(true, -1));
    p->SetPosition(feet.x, feet.y - kFeet);
    return p;
  }
};

TEST_F(RouteTest, OffTheOrderIsAPlainMoveThatStopsAtTheWall) {
  const Point goal = Centre(15, 25);
  auto player = PlayerAt(Centre(15, 15));
  PlayerRoute route;
  route.GoTo(*player, map_, {}, Point{goal.x, goal.y - kFeet}, RoleStateKind::kRun);
  EXPECT_FALSE(route.Active());
  EXPECT_EQ(player->TargetX(), goal.x);
  EXPECT_TRUE(Walk(*player, route, {}, 400));
  EXPECT_TRUE(LogHas("get block,stand!"));
  EXPECT_GT(std::abs(player->X() - goal.x) + std::abs(player->Y() + kFeet - goal.y), 20);
}

TEST_F(RouteTest, OnThePlayerWalksRoundTheWallToThePoint) {
  const Point goal = Centre(15, 25);
  auto player = PlayerAt(Centre(15, 15));
  PlayerRoute route;
  route.SetEnabled(true);
  route.GoTo(*player, map_, {}, Point{goal.x, goal.y - kFeet}, RoleStateKind::kRun);
  EXPECT_TRUE(route.Active());
  EXPECT_GE(route.Remaining().size(), 2u);
  EXPECT_TRUE(Walk(*player, route, {}, 2000));
  EXPECT_FALSE(LogHas("get block,stand!"));
  EXPECT_TRUE(LogHas("get there,stand!"));
  EXPECT_LE(std::abs(player->X() - goal.x), 6);
  EXPECT_LE(std::abs(player->Y() + kFeet - goal.y), 6);
  EXPECT_FALSE(route.Active());
}

TEST_F(RouteTest, ACrowdInTheWayIsWalkedRound) {
  const Point from = Centre(25, 5), goal = Centre(25, 15);
  auto player = PlayerAt(from);
  std::vector<std::unique_ptr<CRoleNPC>> crowd;
  std::vector<const Role*> others;
  for (int i = 0; i < 4; ++i) {
    const Point at = Centre(23 + i, 10);
    crowd.push_back(MakeNpc(Record("villager"), at.x - 20, at.y + 30, 10 + i));
    crowd.back()->Update(MakeProbeResult(true, -1));
    others.push_back(crowd.back().get());
  }
  PlayerRoute route;
  route.SetEnabled(true);
  std::vector<const Role*> all = others;
  all.push_back(player.get());
  route.GoTo(*player, map_, all, Point{goal.x, goal.y - kFeet}, RoleStateKind::kWalk);
  EXPECT_TRUE(Walk(*player, route, others, 3000));
  EXPECT_LE(std::abs(player->X() - goal.x), 3);
  EXPECT_LE(std::abs(player->Y() + kFeet - goal.y), 3);
}

TEST_F(RouteTest, AHeldButtonOnARoleBehindAWallWalksRoundAndStrikes) {
  const Point goal = Centre(15, 23);
  auto player = PlayerAt(Centre(15, 17));
  auto wolf = MakeNpc(Record("wolf"), 0, 0, 4);
  wolf->Update(MakeProbeResult(true, -1));
  wolf->SetPosition(goal.x, goal.y - kFeet);
  std::vector<const Role*> all{player.get(), wolf.get()};
  const Point aim{wolf->X(), wolf->Y()};

  PlayerRoute off;
  off.Chase(*player, map_, all, *wolf, aim);
  EXPECT_EQ(player->OrderMode(), RoleOrder::kChase);  // the fight order as it stands
  EXPECT_EQ(player->TargetX(), aim.x);
  EXPECT_FALSE(off.Active());

  PlayerRoute route;
  route.SetEnabled(true);
  route.Chase(*player, map_, all, *wolf, aim);
  EXPECT_TRUE(route.Active());
  EXPECT_EQ(player->FightTarget(), wolf.get());
  EXPECT_EQ(player->OrderMode(), RoleOrder::kGoTo);
  bool struck = false;
  for (int i = 0; i < 2000 && !struck; ++i) {
    route.BeforeUpdate(*player);
    player->Update(ProbeStep(*player, map_, all));
    route.AfterUpdate(*player, map_, all);
    struck = player->State() == RoleStateKind::kFight;
  }
  EXPECT_TRUE(struck);
  EXPECT_FALSE(LogHas("get block,stand!"));

  // With the way clear the button chases as it always did.
  player->Stand();
  player->SetPosition(wolf->X() + 150, wolf->Y());
  route.Chase(*player, map_, all, *wolf, aim);
  EXPECT_FALSE(route.Active());
  EXPECT_EQ(player->OrderMode(), RoleOrder::kChase);
}

TEST_F(RouteTest, AnotherOrderOrAStopDropsTheRoute) {
  const Point goal = Centre(15, 25);
  auto player = PlayerAt(Centre(15, 15));
  PlayerRoute route;
  route.SetEnabled(true);
  route.GoTo(*player, map_, {}, Point{goal.x, goal.y - kFeet}, RoleStateKind::kRun);
  ASSERT_TRUE(route.Active());
  player->MoveTo(player->X() - 50, player->Y(), RoleStateKind::kWalk);  // a script moves him
  route.BeforeUpdate(*player);
  EXPECT_FALSE(route.Active());
  EXPECT_EQ(player->TargetX(), player->X() - 50);

  route.GoTo(*player, map_, {}, Point{goal.x + 64, goal.y - kFeet}, RoleStateKind::kRun);
  ASSERT_TRUE(route.Active());
  player->Stand();
  route.BeforeUpdate(*player);
  EXPECT_FALSE(route.Active());
}

}  // namespace
}  // namespace isora::test
