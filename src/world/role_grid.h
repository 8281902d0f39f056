// A spatial index of the roles of the draw list, for the step probe: which role's picture holds
// a point is asked once or more for every moving role every frame, and with it the answer costs
// the roles near the point instead of all of them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "roles/role.h"

namespace isora {

class RoleGrid {
 public:
  // Square cells of this many map pixels; roles are filed by the cell of their centre.
  static constexpr int kCellSize = 64;

  // Files the roles of the draw list (index 0 the player; null entries are skipped). The list
  // order is the order FirstAt answers in.
  void Build(std::span<Role* const> drawList);
  // Files the role at a draw-list index again after it moved or changed its picture.
  void Moved(int index);
  // The first role of the draw list, other than `self`, that is alive and whose Bounds hold
  // the point; null when none. The same answer as walking the whole list in order.
  const Role* FirstAt(int x, int y, const Role* self) const;

 private:
  struct Filed {
    Role* role = nullptr;
    int cell = -1;
  };
  int CellOf(int x, int y) const;
  void File(int index);
  void Unfile(int index);

  std::vector<Filed> filed_;
  std::vector<std::vector<int>> cells_;  // draw-list indexes, in no particular order
  // Half the largest picture any filed role can show: a point can only lie in the Bounds of a
  // role whose centre is this close.
  int64_t reachX_ = 0, reachY_ = 0;
};

}  // namespace isora
