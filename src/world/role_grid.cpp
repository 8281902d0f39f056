#include "world/role_grid.h"

#include <algorithm>
#include <cstdlib>

#include "media/renderer.h"

namespace isora {

namespace {
constexpr int kColumns = (kWorldWidth + RoleGrid::kCellSize - 1) / RoleGrid::kCellSize;
constexpr int kRows = (kWorldHeight + RoleGrid::kCellSize - 1) / RoleGrid::kCellSize;

// Places off the map belong to the nearest edge cell, for roles and for points asked about.
int ColumnOf(int64_t x) {
  return static_cast<int>(std::clamp<int64_t>(x / RoleGrid::kCellSize, 0, kColumns - 1));
}
int RowOf(int64_t y) {
  return static_cast<int>(std::clamp<int64_t>(y / RoleGrid::kCellSize, 0, kRows - 1));
}

// A point lies in a frame's Bounds only within half the frame's size of the role's centre.
void Reach(const RoleAnimation& animation, int* reachX, int* reachY) {
  int64_t rx = 0, ry = 0;
  for (const RoleFrame& f : animation.frames) {
    rx = std::max<int64_t>(rx, std::abs(int64_t{f.width}) / 2 + 1);
    ry = std::max<int64_t>(ry, std::abs(int64_t{f.height}) / 2 + 1);
  }
  *reachX = static_cast<int>(std::min<int64_t>(rx, INT32_MAX / 2));
  *reachY = static_cast<int>(std::min<int64_t>(ry, INT32_MAX / 2));
}
}  // namespace

RoleGrid::Span RoleGrid::CellsOf(const Filed& f) const {
  const int64_t x = f.role->X(), y = f.role->Y();
  return Span{ColumnOf(x - f.reachX), ColumnOf(x + f.reachX), RowOf(y - f.reachY),
              RowOf(y + f.reachY)};
}

void RoleGrid::Build(std::span<Role* const> drawList) {
  // The cells keep their storage from frame to frame; only those filed into are emptied.
  cells_.resize(static_cast<size_t>(kColumns) * kRows);
  for (const Filed& f : filed_)
    for (int r = f.cells.r0; r <= f.cells.r1; ++r)
      for (int c = f.cells.c0; c <= f.cells.c1; ++c)
        cells_[static_cast<size_t>(r) * kColumns + c].clear();
  filed_.assign(drawList.size(), Filed{});
  // Roles share a few animations: each one's frames are measured once (the list stays short
  // for a world of many different role files, whose later animations are measured per role).
  measured_.clear();
  for (size_t i = 0; i < drawList.size(); ++i) {
    Role* role = drawList[i];
    if (!role) continue;
    Filed& f = filed_[i];
    f.role = role;
    f.animation = role->SharedAnimation();
    const RoleAnimation* animation = f.animation.get();
    auto m = std::find_if(measured_.begin(), measured_.end(),
                          [&](const Measured& m) { return m.animation == animation; });
    if (m != measured_.end()) {
      f.reachX = m->reachX;
      f.reachY = m->reachY;
    } else {
      Reach(*animation, &f.reachX, &f.reachY);
      if (measured_.size() < kMeasuredAnimations)
        measured_.push_back(Measured{animation, f.reachX, f.reachY});
    }
    File(static_cast<int>(i));
  }
}

void RoleGrid::Sync(std::span<Role* const> drawList) {
  bool same = drawList.size() == filed_.size() && !cells_.empty();
  for (size_t i = 0; same && i < drawList.size(); ++i)
    same = drawList[i] == filed_[i].role &&
           (!drawList[i] || drawList[i]->SharedAnimation() == filed_[i].animation);
  if (!same) {
    Build(drawList);
    return;
  }
  for (size_t i = 0; i < drawList.size(); ++i) Moved(static_cast<int>(i));
}

void RoleGrid::File(int index) {
  Filed& f = filed_[static_cast<size_t>(index)];
  f.cells = CellsOf(f);
  for (int r = f.cells.r0; r <= f.cells.r1; ++r) {
    for (int c = f.cells.c0; c <= f.cells.c1; ++c) {
      std::vector<int>& cell = cells_[static_cast<size_t>(r) * kColumns + c];
      // Build files in ascending order; a role moving in takes its place.
      if (cell.empty() || cell.back() < index)
        cell.push_back(index);
      else
        cell.insert(std::lower_bound(cell.begin(), cell.end(), index), index);
    }
  }
}

void RoleGrid::Unfile(int index) {
  Filed& f = filed_[static_cast<size_t>(index)];
  for (int r = f.cells.r0; r <= f.cells.r1; ++r) {
    for (int c = f.cells.c0; c <= f.cells.c1; ++c) {
      std::vector<int>& cell = cells_[static_cast<size_t>(r) * kColumns + c];
      cell.erase(std::lower_bound(cell.begin(), cell.end(), index));
    }
  }
  f.cells = Span{};
}

void RoleGrid::Moved(int index) {
  if (index < 0 || static_cast<size_t>(index) >= filed_.size() || !filed_[index].role) return;
  const Filed& f = filed_[static_cast<size_t>(index)];
  if (f.cells == CellsOf(f)) return;
  Unfile(index);
  File(index);
}

const Role* RoleGrid::FirstAt(int x, int y, const Role* self, const Point* unless) const {
  if (cells_.empty()) return nullptr;
  for (int index : cells_[static_cast<size_t>(RowOf(y)) * kColumns + ColumnOf(x)]) {
    const Role* role = filed_[static_cast<size_t>(index)].role;
    if (role == self || role->IsDead()) continue;
    const Rect bounds = role->Bounds();
    if (bounds.Contains(x, y) && !(unless && bounds.Contains(unless->x, unless->y))) return role;
  }
  return nullptr;
}

}  // namespace isora
