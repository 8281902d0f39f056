// The grid inside a bag item: plain cells of item ids, no stacks, no nested bags.
#pragma once

#include <cstdint>
#include <vector>

#include "items/item_container.h"

namespace isora {

class SubBag : public ItemContainer {
 public:
  explicit SubBag(int cellCount = 9);
  // The empty grid of a bag item type: (type - 2)^2 cells (9, 16 or 25); none for other types.
  static int CellsForBagType(int32_t type);

  bool Add(int item) override;
  void ClearCell(int cell) override;
  int Exchange(int item, int cell) override;
  int Get(int cell) const override;
  bool RemoveById(int item) override;
  int CountById(int item) const override;
  int CellCount() const override { return static_cast<int>(cells_.size()); }

  const std::vector<int32_t>& Cells() const { return cells_; }
  bool operator==(const SubBag& other) const { return cells_ == other.cells_; }

 private:
  std::vector<int32_t> cells_;
};

}  // namespace isora
