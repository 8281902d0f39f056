// The map's cell lookup in integers against the floating-point form it replaced, on the same
// points in one run. The summary prints how many times faster the integer form is.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "bench_support.h"
#include "media/surface.h"
#include "world/game_map.h"

namespace isora {
namespace {

// The former lookup through the isometric angle (the reference; see the world tests).
CellIndex FloatCellAtPoint(int64_t x0, int64_t y0, int x, int y) {
  auto axisCell = [](double cells) {
    const double snapped = std::round(cells * 64.0) / 64.0;
    const double t = std::trunc(snapped);
    return static_cast<int>(snapped < t ? t - 1 : t);
  };
  static const double angle = std::atan(0.5);
  static const double edge = 32.0 / std::cos(angle);
  static const double axisSine = std::sin(2.0 * angle);
  const double dx = static_cast<double>(x) - static_cast<double>(x0);
  const double dy = static_cast<double>(y) - static_cast<double>(y0);
  const double distance = std::sqrt(dx * dx + dy * dy);
  const double phi = std::atan2(dy, dx);
  const double toColumnAxis = distance * std::sin(std::numbers::pi - angle - phi);
  const double toRowAxis = distance * std::sin(phi - angle);
  return {axisCell(toColumnAxis / axisSine / edge), axisCell(toRowAxis / axisSine / edge)};
}

// Points spread over the 3200 x 1600 map as roles and the cursor visit them.
const std::vector<Point>& Points() {
  static const std::vector<Point> points = [] {
    std::vector<Point> p;
    uint32_t seed = 99;
    for (int i = 0; i < 4096; ++i) {
      seed = seed * 1103515245 + 12345;
      const int x = static_cast<int>(seed >> 8) % 3200;
      seed = seed * 1103515245 + 12345;
      const int y = static_cast<int>(seed >> 8) % 1600;
      p.push_back({x, y});
    }
    return p;
  }();
  return points;
}

template <CellIndex (*Lookup)(int64_t, int64_t, int, int)>
void RunLookups(benchmark::State& state) {
  const std::vector<Point>& points = Points();
  for (auto _ : state) {
    int sum = 0;
    for (const Point& p : points) {
      const CellIndex c = Lookup(1600, 0, p.x, p.y);
      sum += c.row ^ c.column;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * points.size()));
}

void BM_CellAtFloat(benchmark::State& state) { RunLookups<FloatCellAtPoint>(state); }
BENCHMARK(BM_CellAtFloat);

void BM_CellAtInteger(benchmark::State& state) { RunLookups<CellAtPoint>(state); }
BENCHMARK(BM_CellAtInteger);

}  // namespace
}  // namespace isora

int main(int argc, char** argv) {
  isora::bench::TimesReporter reporter;
  if (int rc = isora::bench::RunBenchmarks(argc, argv, reporter)) return rc;
  if (double r = reporter.Ratio("BM_CellAtFloat", "BM_CellAtInteger"); r > 0)
    std::printf("speed ratio (floating-point CPU time / integer CPU time): %.1f (target >= 1.0)\n",
                r);
  return 0;
}
