#include "world/role_grid.h"

#include <algorithm>

#include "media/renderer.h"

namespace isora {

namespace {
constexpr int kColumns = (kWorldWidth + RoleGrid::kCellSize - 1) / RoleGrid::kCellSize;
constexpr int kRows = (kWorldHeight + RoleGrid::kCellSize - 1) / RoleGrid::kCellSize;

// Roles off the map are filed in the nearest edge cell, and so are points asked about there.
int ColumnOf(int64_t x) {
  return static_cast<int>(std::clamp<int64_t>(x / RoleGrid::kCellSize, 0, kColumns - 1));
}
int RowOf(int64_t y) {
  return static_cast<int>(std::clamp<int64_t>(y / RoleGrid::kCellSize, 0, kRows - 1));
}
}  // namespace

int RoleGrid::CellOf(int x, int y) const { return RowOf((y)) * kColumns + ColumnOf((x)); }

void RoleGrid::Build(std::span<Role* const> drawList) {
  // The cells keep their storage from frame to frame.
  cells_.resize(static_cast<size_t>(kColumns) * kRows);
  for (std::vector<int>& cell : cells_) cell.clear();
  filed_.assign(drawList.size(), Filed{});
  reachX_ = reachY_ = 0;
  for (size_t i = 0; i < drawList.size(); ++i) {
    Role* role = drawList[i];
    if (!role) continue;
    for (const RoleFrame& f : role->Animation().frames) {
      reachX_ = std::max<int64_t>(reachX_, std::abs(int64_t{f.width}) / 2 + 1);
      reachY_ = std::max<int64_t>(reachY_, std::abs(int64_t{f.height}) / 2 + 1);
    }
    filed_[i].role = role;
    File(static_cast<int>(i));
  }
}

void RoleGrid::File(int index) {
  Filed& f = filed_[static_cast<size_t>(index)];
  f.cell = CellOf(f.role->X(), f.role->Y());
  cells_[static_cast<size_t>(f.cell)].push_back(index);
}

void RoleGrid::Unfile(int index) {
  Filed& f = filed_[static_cast<size_t>(index)];
  if (f.cell < 0) return;
  std::vector<int>& cell = cells_[static_cast<size_t>(f.cell)];
  cell.erase(std::find(cell.begin(), cell.end(), index));
  f.cell = -1;
}

void RoleGrid::Moved(int index) {
  if (index < 0 || static_cast<size_t>(index) >= filed_.size() || !filed_[index].role) return;
  const Filed& f = filed_[static_cast<size_t>(index)];
  if (f.cell == CellOf(f.role->X(), f.role->Y())) return;
  Unfile(index);
  File(index);
}

const Role* RoleGrid::FirstAt(int x, int y, const Role* self) const {
  if (cells_.empty()) return nullptr;
  const int c0 = ColumnOf((int64_t{x} - reachX_)), c1 = ColumnOf((int64_t{x} + reachX_));
  const int r0 = RowOf((int64_t{y} - reachY_)), r1 = RowOf((int64_t{y} + reachY_));
  int best = -1;
  for (int r = r0; r <= r1; ++r) {
    for (int c = c0; c <= c1; ++c) {
      for (int index : cells_[static_cast<size_t>(r) * kColumns + c]) {
        if (best >= 0 && index > best) continue;
        const Role* role = filed_[static_cast<size_t>(index)].role;
        if (role == self || role->IsDead() || !role->Bounds().Contains(x, y)) continue;
        best = index;
      }
    }
  }
  return best < 0 ? nullptr : filed_[static_cast<size_t>(best)].role;
}

}  // namespace isora
