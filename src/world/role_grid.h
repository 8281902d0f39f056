// A spatial index of the roles of the draw list, for the step probe: which role's picture holds
// a point is asked once or more for every moving role every frame, and with it the answer costs
// a few of the roles near the point instead of all of them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "roles/role.h"

namespace isora {

class RoleGrid {
 public:
  // Square cells of this many map pixels. A role is filed in every cell that any picture of its
  // animation could reach with the role where it stands, so a point is looked up in its own
  // cell alone.
  static constexpr int kCellSize = 32;

  // Files the roles of the draw list (index 0 the player; null entries are skipped). The list
  // order is the order FirstAt answers in.
  void Build(std::span<Role* const> drawList);
  // The same when the list holds other roles (or animations) than the one filed last; otherwise
  // files again only the roles that moved since, which is what a play frame mostly finds.
  void Sync(std::span<Role* const> drawList);
  // Files the role at a draw-list index again after it moved or changed its picture.
  void Moved(int index);
  // The first role of the draw list, other than `self`, that is alive and whose Bounds hold
  // the point; null when none. The same answer as walking the whole list in order.
  // With `unless`, roles whose Bounds also hold that point are passed over.
  const Role* FirstAt(int x, int y, const Role* self, const Point* unless = nullptr) const;

 private:
  // The cells a role is filed in: columns c0..c1 of rows r0..r1.
  struct Span {
    int c0 = 0, c1 = -1, r0 = 0, r1 = -1;
    bool operator==(const Span&) const = default;
  };
  struct Filed {
    Role* role = nullptr;
    // Held so that an animation at this address is the one measured, whatever the role there.
    std::shared_ptr<const RoleAnimation> animation;
    int reachX = 0, reachY = 0;  // half its animation's largest picture, and one more
    Span cells;
  };
  Span CellsOf(const Filed& f) const;
  void File(int index);
  void Unfile(int index);

  std::vector<Filed> filed_;
  // Draw-list indexes in ascending order, so a search stops at the first role that holds the
  // point: in a crowd that is one or two roles, not every role near it.
  std::vector<std::vector<int>> cells_;
  // Animations Build has measured (each once), with their reach.
  struct Measured {
    const RoleAnimation* animation;
    int reachX, reachY;
  };
  static constexpr size_t kMeasuredAnimations = 32;
  std::vector<Measured> measured_;
};

}  // namespace isora
