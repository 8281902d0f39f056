#include "world/path_finder.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace isora {

namespace {

// Costs are tenths of a pixel, so that the straight-line estimate never exceeds them.
constexpr int32_t kEdgeCost = 358;       // across a shared edge: 32 / cos(atan(1/2)) pixels
constexpr int32_t kUpDownCost = 320;     // across a corner straight up or down: 32 pixels
constexpr int32_t kLeftRightCost = 640;  // across a corner straight left or right: 64 pixels
constexpr int kSampleStep = 4;           // pixels between the points a straight way is tested at
constexpr int kSideRoom = 3;             // pixels kept free on both sides of a straight way

struct Neighbour {
  int dr, dc;
  int32_t cost;
};
constexpr Neighbour kNeighbours[8] = {
    {-1, 0, kEdgeCost},  {1, 0, kEdgeCost},     {0, -1, kEdgeCost},      {0, 1, kEdgeCost},
    {1, 1, kUpDownCost}, {-1, -1, kUpDownCost}, {1, -1, kLeftRightCost}, {-1, 1, kLeftRightCost},
};

int32_t Estimate(int r0, int c0, int r1, int c1) {
  const double dx = 32.0 * ((r1 - r0) - (c1 - c0));
  const double dy = 16.0 * ((r1 - r0) + (c1 - c0));
  return static_cast<int32_t>(10.0 * std::sqrt(dx * dx + dy * dy));
}

// A cell k rows or columns (whichever is more) from the goal is at least 64k / sqrt(5) pixels
// from it on the screen, so its estimate is at least this many times k.
constexpr int32_t kRingEstimate = 286;

// The least estimate to the goal (gr, gc) of the start and of every open cell, looked for in
// square rings round the goal until no farther ring can hold a nearer cell; -1 when that takes
// more than maxCells cells.
int32_t NearestOpenEstimate(const OpenCells& cells, CellIndex start, int gr, int gc, int maxCells) {
  int32_t nearest = Estimate(start.row, start.column, gr, gc);
  int looked = 0;
  auto look = [&](int r, int c) {
    ++looked;
    if (cells.IsOpen(r, c)) nearest = std::min(nearest, Estimate(r, c, gr, gc));
  };
  for (int k = 0; k <= cells.N() + 1 && nearest > kRingEstimate * k; ++k) {
    if (looked > maxCells) return -1;
    if (k == 0) {
      look(gr, gc);
      continue;
    }
    for (int c = gc - k; c <= gc + k; ++c) {
      look(gr - k, c);
      look(gr + k, c);
    }
    for (int r = gr - k + 1; r < gr + k; ++r) {
      look(r, gc - k);
      look(r, gc + k);
    }
  }
  return nearest;
}

}  // namespace

void OpenCells::Reset(const GameMap& map) {
  map_ = &map;
  n_ = map.N();
  const auto& cells = map.Cells();
  open_.assign(static_cast<size_t>(n_) * n_, 0);
  for (size_t i = 0; i < open_.size() && i < cells.size(); ++i) open_[i] = cells[i].passable != 0;
  passable_ = open_;
  underRole_.assign(open_.size(), 0);
  taken_.clear();
}

CellIndex OpenCells::CellAt(int x, int y) const { return map_ ? map_->CellAt(x, y) : CellIndex{}; }

bool OpenCells::IsOpenAt(int x, int y) const {
  CellIndex c = CellAt(x, y);
  if (c.row < 0 || c.column < 0 || c.row >= n_ || c.column >= n_) return false;
  const size_t i = static_cast<size_t>(c.row * n_ + c.column);
  if (!passable_[i]) return false;
  if (!underRole_[i]) return true;
  for (const Rect& r : taken_)
    if (r.Contains(x, y)) return false;
  return true;
}

Point OpenCells::Centre(int row, int column) const {
  Point p = map_->CellPosition(row, column);
  return Point{p.x + 32, p.y + 16};
}

void OpenCells::Open(CellIndex cell) {
  if (cell.row >= 0 && cell.column >= 0 && cell.row < n_ && cell.column < n_)
    open_[static_cast<size_t>(cell.row * n_ + cell.column)] = 1;
}

void OpenCells::CloseUnder(const Rect& area) {
  if (!map_ || n_ == 0 || area.Empty()) return;
  taken_.push_back(area);
  // Every cell that can touch the rectangle lies between the cells of its widened corners.
  int r0 = n_, r1 = -1, c0 = n_, c1 = -1;
  for (Point p :
       {Point{area.left - 32, area.top - 16}, Point{area.right + 32, area.top - 16},
        Point{area.left - 32, area.bottom + 16}, Point{area.right + 32, area.bottom + 16}}) {
    CellIndex c = CellAt(p.x, p.y);
    r0 = std::min(r0, c.row);
    r1 = std::max(r1, c.row);
    c0 = std::min(c0, c.column);
    c1 = std::max(c1, c.column);
  }
  r0 = std::max(r0, 0);
  c0 = std::max(c0, 0);
  r1 = std::min(r1, n_ - 1);
  c1 = std::min(c1, n_ - 1);
  for (int r = r0; r <= r1; ++r) {
    for (int c = c0; c <= c1; ++c) {
      const Point m = Centre(r, c);
      // The diamond |x - mx| / 32 + |y - my| / 16 < 1 meets the rectangle when the
      // rectangle's nearest point does.
      const int dx =
          m.x < area.left ? area.left - m.x : (m.x >= area.right ? m.x - area.right + 1 : 0);
      const int dy =
          m.y < area.top ? area.top - m.y : (m.y >= area.bottom ? m.y - area.bottom + 1 : 0);
      if (dx * 16 + dy * 32 < 512) {
        open_[static_cast<size_t>(r * n_ + c)] = 0;
        underRole_[static_cast<size_t>(r * n_ + c)] = 1;
      }
    }
  }
}

void OpenCells::CloseUnderRoles(std::span<const Role* const> roles, const Role* self, Point feet) {
  for (const Role* r : roles) {
    if (!r || r == self || r->IsDead() || r->Bounds().Contains(feet.x, feet.y)) continue;
    CloseUnder(r->Bounds());
  }
}

bool StraightWayIsOpen(const OpenCells& cells, Point a, Point b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length = std::sqrt(dx * dx + dy * dy);
  const int steps = static_cast<int>(length / kSampleStep) + 1;
  const double sx = length > 0 ? -dy / length * kSideRoom : 0;
  const double sy = length > 0 ? dx / length * kSideRoom : 0;
  for (int i = 0; i <= steps; ++i) {
    const double t = static_cast<double>(i) / steps;
    const double x = a.x + dx * t, y = a.y + dy * t;
    if (!cells.IsOpenAt(static_cast<int>(x), static_cast<int>(y))) return false;
    if (i == 0) continue;  // the walker stands there already
    if (!cells.IsOpenAt(static_cast<int>(x + sx), static_cast<int>(y + sy)) ||
        !cells.IsOpenAt(static_cast<int>(x - sx), static_cast<int>(y - sy))) {
      return false;
    }
  }
  return true;
}

PathResult PathFinder::Find(const OpenCells& cells, Point fromFeet, Point goalFeet,
                            const PathLimits& limits) {
  PathResult result;
  lastVisits_ = 0;
  const int n = cells.N();
  const CellIndex start = cells.CellAt(fromFeet.x, fromFeet.y);
  const CellIndex goal = cells.CellAt(goalFeet.x, goalFeet.y);
  if (n == 0 || start.row < 0 || start.column < 0 || start.row >= n || start.column >= n) {
    return result;  // off the grid: nothing to search from
  }
  if (cells.IsOpenAt(goalFeet.x, goalFeet.y) && StraightWayIsOpen(cells, fromFeet, goalFeet)) {
    result.waypoints.push_back(goalFeet);
    result.reachesGoal = true;
    return result;
  }

  const size_t total = static_cast<size_t>(n) * n;
  if (cost_.size() != total) {
    cost_.assign(total, 0);
    parent_.assign(total, -1);
    stamp_.assign(total, 0);
    closed_.assign(total, 0);
    generation_ = 0;
  }
  if (++generation_ == 0) {
    std::fill(stamp_.begin(), stamp_.end(), 0);
    generation_ = 1;
  }
  // closed_ only means something for cells stamped in this search.
  auto seen = [&](int i) { return stamp_[static_cast<size_t>(i)] == generation_; };
  auto heapLess = [](const std::pair<int64_t, int32_t>& a, const std::pair<int64_t, int32_t>& b) {
    return a.first > b.first;
  };
  // Among equal estimates the cell further from the start goes first: far fewer cells are
  // taken on open ground, where many ways cost the same.
  auto key = [](int32_t f, int32_t g) { return (int64_t{f} << 20) - g; };

  const int startIndex = start.row * n + start.column;
  // A goal off the grid has no index: row r, column -1 would name the last cell of row r - 1.
  const bool goalOnGrid = goal.row >= 0 && goal.column >= 0 && goal.row < n && goal.column < n;
  const int goalIndex = goalOnGrid ? goal.row * n + goal.column : -1;
  const int gr = std::clamp(goal.row, -1, n), gc = std::clamp(goal.column, -1, n);
  heap_.clear();
  stamp_[static_cast<size_t>(startIndex)] = generation_;
  cost_[static_cast<size_t>(startIndex)] = 0;
  parent_[static_cast<size_t>(startIndex)] = startIndex;
  closed_[static_cast<size_t>(startIndex)] = 0;
  heap_.emplace_back(key(Estimate(start.row, start.column, gr, gc), 0), startIndex);

  int best = startIndex;
  int32_t bestEstimate = Estimate(start.row, start.column, gr, gc);
  // A goal on a closed cell (a role's, say) is never taken, so the search would go on until
  // nothing is left (or the visits run out) only to find the cell nearest to it. Once a cell as
  // near as the nearest open one is taken, no later cell replaces it (only a nearer one would)
  // and its way back to the start is settled: the search can stop there. (When the nearest
  // open cells cannot be reached, it goes on to the end as before.)
  const int32_t nearestOpen = limits.stopAtNearest && goalIndex != startIndex &&
                                      !(goalOnGrid && cells.IsOpen(goalIndex / n, goalIndex % n))
                                  ? NearestOpenEstimate(cells, start, gr, gc, limits.maxVisits)
                                  : -1;
  bool reached = false;
  while (!heap_.empty() && lastVisits_ < limits.maxVisits) {
    std::pop_heap(heap_.begin(), heap_.end(), heapLess);
    const int at = heap_.back().second;
    heap_.pop_back();
    if (closed_[static_cast<size_t>(at)]) continue;
    closed_[static_cast<size_t>(at)] = 1;
    ++lastVisits_;
    const int r = at / n, c = at % n;
    const int32_t estimate = Estimate(r, c, gr, gc);
    if (estimate < bestEstimate) {
      best = at;
      bestEstimate = estimate;
    }
    if (at == goalIndex) {
      reached = true;
      break;
    }
    if (bestEstimate == nearestOpen) break;
    const int32_t g = cost_[static_cast<size_t>(at)];
    for (const Neighbour& nb : kNeighbours) {
      const int nr = r + nb.dr, nc = c + nb.dc;
      if (!cells.IsOpen(nr, nc)) continue;
      if (nb.dr != 0 && nb.dc != 0 && (!cells.IsOpen(r + nb.dr, c) || !cells.IsOpen(r, c + nb.dc)))
        continue;
      const int next = nr * n + nc;
      const int32_t ng = g + nb.cost;
      if (seen(next)) {
        if (closed_[static_cast<size_t>(next)] || cost_[static_cast<size_t>(next)] <= ng) continue;
      } else {
        stamp_[static_cast<size_t>(next)] = generation_;
        closed_[static_cast<size_t>(next)] = 0;
      }
      cost_[static_cast<size_t>(next)] = ng;
      parent_[static_cast<size_t>(next)] = at;
      heap_.emplace_back(key(ng + Estimate(nr, nc, gr, gc), ng), next);
      std::push_heap(heap_.begin(), heap_.end(), heapLess);
    }
  }

  const int end = reached ? goalIndex : best;
  std::vector<Point> corners;  // cell centres from the start's to the end's
  for (int at = end;; at = parent_[static_cast<size_t>(at)]) {
    corners.push_back(cells.Centre(at / n, at % n));
    if (at == startIndex) break;
  }
  std::reverse(corners.begin(), corners.end());
  result.reachesGoal = reached;
  if (static_cast<int>(corners.size()) > limits.maxCells) {
    corners.resize(static_cast<size_t>(limits.maxCells));
    result.reachesGoal = false;
  }
  if (result.reachesGoal) corners.back() = goalFeet;
  if (corners.size() == 1 && !result.reachesGoal && std::abs(fromFeet.x - corners[0].x) <= 3 &&
      std::abs(fromFeet.y - corners[0].y) <= 3) {
    return result;  // already as near as it gets
  }

  // Keep only the points where the walk must turn: from each point, go straight to the
  // farthest later one that can be seen.
  Point anchor = fromFeet;
  size_t i = 0;
  while (i < corners.size()) {
    size_t far = corners.size();
    for (size_t j = i; j < corners.size(); ++j) {
      if (StraightWayIsOpen(cells, anchor, corners[j]))
        far = j;
      else if (far != corners.size())
        break;
    }
    if (far == corners.size()) far = i;  // nothing seen (squeezed past a corner): next cell
    result.waypoints.push_back(corners[far]);
    anchor = corners[far];
    i = far + 1;
  }
  return result;
}

}  // namespace isora
