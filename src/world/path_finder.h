// Finding a way over the map's cells for a walker's feet: which cells are open now (passable,
// and not under another role's picture), whether a straight walk between two points stays on
// open cells, and a bounded A* search that yields the turning points of a walk.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "media/surface.h"
#include "roles/role.h"
#include "world/game_map.h"

namespace isora {

// The cells a walker's feet may use at this moment: the map's passable flags, with the cells
// under other roles' pictures closed for now.
class OpenCells {
 public:
  // Takes the passable flags of the map; every cell open that the map lets a role pass.
  void Reset(const GameMap& map);
  // Closes every cell whose diamond overlaps the rectangle (a role's picture, which a walker's
  // feet may not enter).
  void CloseUnder(const Rect& area);
  // Closes the cells under every living role of the list except `self`. A picture that already
  // holds the walker's feet is left open: he can only walk out of it.
  void CloseUnderRoles(std::span<const Role* const> roles, const Role* self, Point feet);
  // Opens one cell again (the walker's own, which it has to leave from).
  void Open(CellIndex cell);

  int N() const { return n_; }
  bool IsOpen(int row, int column) const {
    return row >= 0 && column >= 0 && row < n_ && column < n_ &&
           open_[static_cast<size_t>(row * n_ + column)] != 0;
  }
  // Whether the feet may stand on this point: its cell is passable and no role's picture
  // holds it (exact to the pixel, where IsOpen closes whole cells).
  bool IsOpenAt(int x, int y) const;
  // The centre of a cell's diamond in map pixels.
  Point Centre(int row, int column) const;
  CellIndex CellAt(int x, int y) const;
  const GameMap* Map() const { return map_; }

 private:
  const GameMap* map_ = nullptr;
  int n_ = 0;
  std::vector<uint8_t> open_;
  std::vector<uint8_t> passable_;
  std::vector<uint8_t> underRole_;  // cells a role's picture reaches into: points need a look
  std::vector<Rect> taken_;
};

// True when the feet can go straight from a to b over open cells, with a little room on both
// sides of the line for the truncated steps of a walk.
bool StraightWayIsOpen(const OpenCells& cells, Point a, Point b);

struct PathLimits {
  int maxCells = 256;    // turning points beyond this are dropped; the walk plans again there
  int maxVisits = 4096;  // cells taken from the open list before the search gives up
  // When the goal's cell is closed, stop as soon as the reachable cell nearest to it is taken:
  // the walk is the same as after looking over everything, found in a fraction of the time.
  bool stopAtNearest = true;
};

struct PathResult {
  // Feet positions to walk through in order, the first one after the start; empty when the
  // walker stays where it is.
  std::vector<Point> waypoints;
  bool reachesGoal = false;  // false: the walk ends at the open cell nearest the goal
};

// A* over the cells, neighbours across edges and across corners (a corner only when both cells
// beside it are open, so the feet never clip a closed cell), costs in pixels. When the goal
// cell cannot be reached the walk goes to the reached cell nearest to it. The cell path is
// shortened to the points where the walk has to turn. Keeps its buffers between searches.
class PathFinder {
 public:
  PathResult Find(const OpenCells& cells, Point fromFeet, Point goalFeet,
                  const PathLimits& limits = {});
  // Cells taken from the open list by the last search.
  int LastVisits() const { return lastVisits_; }

 private:
  std::vector<int32_t> cost_;
  std::vector<int32_t> parent_;
  std::vector<uint32_t> stamp_;
  std::vector<uint8_t> closed_;
  std::vector<std::pair<int64_t, int32_t>> heap_;  // (estimate, then deeper first; cell)
  uint32_t generation_ = 0;
  int lastVisits_ = 0;
};

}  // namespace isora
