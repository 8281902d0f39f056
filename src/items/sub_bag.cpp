#include "items/sub_bag.h"

#include "items/item_database.h"

namespace isora {

SubBag::SubBag(int cellCount) : cells_(cellCount > 0 ? cellCount : 0, 0) {}

int SubBag::CellsForBagType(int32_t type) {
  if (!IsBagType(type)) return 0;
  return (type - 2) * (type - 2);
}

bool SubBag::Add(int item) {
  if (item <= 0) return false;
  for (auto& cell : cells_) {
    if (cell == 0) {
      cell = item;
      return true;
    }
  }
  return false;
}

void SubBag::ClearCell(int cell) {
  if (HasCell(cell)) cells_[cell] = 0;
}

int SubBag::Exchange(int item, int cell) {
  if (!HasCell(cell)) return item;
  int previous = cells_[cell];
  cells_[cell] = item;
  return previous;
}

int SubBag::Get(int cell) const { return HasCell(cell) ? cells_[cell] : -1; }

bool SubBag::RemoveById(int item) {
  for (auto& cell : cells_) {
    if (cell == item) {
      cell = 0;
      return true;
    }
  }
  return false;
}

int SubBag::CountById(int item) const {
  int n = 0;
  for (int cell : cells_) n += cell == item;
  return n;
}

}  // namespace isora
