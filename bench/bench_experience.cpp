// What the hero's walk round obstacles and his see-through picture cost a town frame, beside
// a memcpy of one 640x480x2 frame measured in the same run:
//  - BM_PathWorstCase: one route over a 50 x 50 map, start and goal on either side of a long
//    wall, with a dozen roles closing cells (what a held button pays when the cursor moves to
//    another cell);
//  - BM_PathToARole: a route to a role's feet (what a click on a role to talk or strike pays),
//    whose picture closes the goal's cells, beside BM_PathToARoleFullSearch, the same route
//    found by looking over every reachable cell;
//  - BM_TownFrameBefore: the play screen's composition (ground copied, role and object layers
//    keyed over it) of a town-like view;
//  - BM_TownFrameSeeThrough: the same frame with the player and two fighters seen through the
//    objects that cover them (every frame that plans nothing);
//  - BM_TownFrameAfter: that frame with a worst-case route planned as well.
// The summary prints each as a multiple of the memcpy.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench_support.h"
#include "lib/map_writer.h"
#include "media/surface.h"
#include "shell/see_through.h"
#include "world/game_map.h"
#include "world/path_finder.h"

namespace isora {
namespace {

constexpr int kMapWidth = 3200, kMapHeight = 1600;

// A 50 x 50 town: a wall of houses along column 25 with one gap far down, and scattered
// blocked cells (trees, lamps, a signpost).
struct Town {
  Town() {
    nlohmann::json blocked = nlohmann::json::array();
    for (int r = 2; r < 46; ++r) blocked.push_back({{"row", r}, {"column", 25}, {"passable", 0}});
    uint32_t seed = 7;
    for (int i = 0; i < 220; ++i) {
      seed = seed * 1103515245 + 12345;
      const int r = static_cast<int>(seed >> 8) % 50;
      seed = seed * 1103515245 + 12345;
      const int c = static_cast<int>(seed >> 8) % 50;
      if (c != 25 && (r + c) % 7 != 0)
        blocked.push_back({{"row", r}, {"column", c}, {"passable", 0}});
    }
    MapFileData data;
    std::string error;
    BuildMapFromJson({{"size", 50}, {"cells", blocked}}, "bench.map", data, &error);
    map.LoadBytes(WriteMapFile(data));
    cells.Reset(map);
    for (int i = 0; i < 12; ++i) {
      const Point c = cells.Centre(10 + 2 * i, 12 + (i % 3));
      roles.push_back(Rect{c.x - 24, c.y - 80, c.x + 24, c.y + 8});
    }
    from = cells.Centre(20, 5);
    to = cells.Centre(20, 45);

    ground = Surface(kMapWidth, kMapHeight);
    roleLayer = Surface(kMapWidth, kMapHeight);
    objectLayer = Surface(kMapWidth, kMapHeight);
    back = Surface(kScreenWidth, kScreenHeight);
    for (int y = 0; y < kMapHeight; ++y)
      for (int x = 0; x < kMapWidth; ++x) ground.Set(x, y, static_cast<uint16_t>(x * 31 + y * 7));
    roleLayer.Fill(kColorKey565);
    objectLayer.Fill(kColorKey565);
    roleLayer.SetColorKey(kColorKey565);
    objectLayer.SetColorKey(kColorKey565);
    // About a third of the view under objects (houses, trees), a dozen roles on the role layer.
    for (int y = 0; y < kMapHeight; y += 160)
      for (int x = 0; x < kMapWidth; x += 200)
        objectLayer.Fill(Rect{x, y, x + 110, y + 100}, 0x39E7);
    for (const Rect& r : roles) roleLayer.Fill(r, 0xC618);
    player = Rect{camera.x + 300, camera.y + 200, camera.x + 348, camera.y + 288};
    roleLayer.Fill(player, 0xF800);
  }
  GameMap map;
  OpenCells cells;
  std::vector<Rect> roles;
  Point from, to;
  Surface ground, roleLayer, objectLayer, back;
  Point camera{1000, 400};
  Rect player;
};

Town& TheTown() {
  static Town town;
  return town;
}

void Plan(Town& t, PathFinder& finder, benchmark::State& state) {
  t.cells.Reset(t.map);
  for (const Rect& r : t.roles) t.cells.CloseUnder(r);
  PathResult r = finder.Find(t.cells, t.from, t.to);
  if (!r.reachesGoal) state.SkipWithError("the bench town has no way through");
  benchmark::DoNotOptimize(r.waypoints.data());
}

void Compose(Town& t) {
  const Rect view{t.camera.x, t.camera.y, t.camera.x + kScreenWidth, t.camera.y + kScreenHeight};
  t.back.BltFast(0, 0, t.ground, view, kBltNoColorKey);
  t.back.BltFast(0, 0, t.roleLayer, view, kBltSrcColorKey);
  t.back.BltFast(0, 0, t.objectLayer, view, kBltSrcColorKey);
}

void BM_MemcpyFrame(benchmark::State& state) {
  std::vector<uint16_t> src(kScreenWidth * kScreenHeight, 0x1234), dst(src.size());
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size() * sizeof(uint16_t));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MemcpyFrame);

void BM_PathWorstCase(benchmark::State& state) {
  Town& t = TheTown();
  PathFinder finder;
  for (auto _ : state) Plan(t, finder, state);
  state.counters["visits"] = finder.LastVisits();
}
BENCHMARK(BM_PathWorstCase);

void PathToARole(benchmark::State& state, const PathLimits& limits) {
  Town& t = TheTown();
  t.cells.Reset(t.map);
  for (const Rect& r : t.roles) t.cells.CloseUnder(r);
  const Rect& role = t.roles[5];
  const Point feet{(role.left + role.right) / 2, role.bottom - 8};
  PathFinder finder;
  for (auto _ : state) {
    PathResult r = finder.Find(t.cells, t.from, feet, limits);
    if (r.reachesGoal) state.SkipWithError("the role's cell is open");
    benchmark::DoNotOptimize(r.waypoints.data());
  }
  state.counters["visits"] = finder.LastVisits();
}

void BM_PathToARole(benchmark::State& state) { PathToARole(state, PathLimits{}); }
BENCHMARK(BM_PathToARole);

void BM_PathToARoleFullSearch(benchmark::State& state) {
  PathToARole(state, PathLimits{256, 4096, false});
}
BENCHMARK(BM_PathToARoleFullSearch);

void BM_TownFrameBefore(benchmark::State& state) {
  Town& t = TheTown();
  for (auto _ : state) {
    Compose(t);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TownFrameBefore);

void BM_TownFrameAfter(benchmark::State& state) {
  Town& t = TheTown();
  PathFinder finder;
  const std::vector<Rect> fighters = {t.player, t.roles[0], t.roles[1]};
  for (auto _ : state) {
    Plan(t, finder, state);
    Compose(t);
    DrawSeeThrough(t.back, t.roleLayer, t.objectLayer, fighters, t.camera);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TownFrameAfter);

// The frame of every step that plans nothing (the route is only planned when the held cursor
// enters another cell or a step is blocked): composition and the see-through fighters.
void BM_TownFrameSeeThrough(benchmark::State& state) {
  Town& t = TheTown();
  const std::vector<Rect> fighters = {t.player, t.roles[0], t.roles[1]};
  for (auto _ : state) {
    Compose(t);
    DrawSeeThrough(t.back, t.roleLayer, t.objectLayer, fighters, t.camera);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TownFrameSeeThrough);

}  // namespace
}  // namespace isora

int main(int argc, char** argv) {
  isora::bench::TimesReporter reporter;
  if (int rc = isora::bench::RunBenchmarks(argc, argv, reporter)) return rc;
  for (const char* name : {"BM_PathWorstCase", "BM_PathToARole", "BM_PathToARoleFullSearch",
                           "BM_TownFrameBefore", "BM_TownFrameSeeThrough", "BM_TownFrameAfter"}) {
    if (double r = reporter.Ratio(name, "BM_MemcpyFrame"); r > 0)
      std::printf("%s: %.2f x a 640x480x2 memcpy\n", name, r);
  }
  return 0;
}
