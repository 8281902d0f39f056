#include "items/bag.h"

#include "foundation/system_hooks.h"
#include "items/item_database.h"

namespace isora {

Bag::Bag(const ItemDatabase* items, int cellCount)
    : items_(items),
      cells_(cellCount > 0 ? cellCount : 0, 0),
      counts_(cells_.size(), 1),
      subBags_(cells_.size()) {}

bool Bag::IsPotion(int item) const { return items_ && items_->TypeOf(item) == kItemPotion; }

bool Bag::IsBagItem(int item) const { return items_ && IsBagType(items_->TypeOf(item)); }

int Bag::FirstEmpty() const {
  for (int i = 0; i < CellCount(); ++i)
    if (cells_[i] == 0) return i;
  return -1;
}

bool Bag::Add(int item) {
  if (item <= 0) return false;
  if (IsPotion(item)) {
    for (int i = 0; i < CellCount(); ++i) {
      if (cells_[i] == item && counts_[i] < kPotionStack) {
        ++counts_[i];
        return true;
      }
    }
  }
  if (IsBagItem(item)) {
    int cell = FirstEmpty();
    if (cell < 0) return false;
    Hooks::DebugOutput("add item1");
    cells_[cell] = item;
    counts_[cell] = 1;
    subBags_[cell].emplace(SubBag::CellsForBagType(items_->TypeOf(item)));
    return true;
  }
  if (int cell = FirstEmpty(); cell >= 0) {
    cells_[cell] = item;
    counts_[cell] = 1;
    return true;
  }
  for (auto& sub : subBags_)
    if (sub && sub->Add(item)) return true;
  return false;
}

void Bag::ClearCell(int cell) {
  if (!HasCell(cell)) return;
  if (counts_[cell] >= 2) {
    --counts_[cell];
    return;
  }
  cells_[cell] = 0;
  counts_[cell] = 1;
  subBags_[cell].reset();
}

int Bag::Exchange(int item, int cell) {
  if (!HasCell(cell)) return item;
  int previous = cells_[cell];
  cells_[cell] = item;
  return previous;
}

int Bag::Get(int cell) const { return HasCell(cell) ? cells_[cell] : -1; }

bool Bag::RemoveById(int item) {
  for (int i = 0; i < CellCount(); ++i) {
    if (cells_[i] == item) {
      ClearCell(i);
      return true;
    }
  }
  for (auto& sub : subBags_)
    if (sub && sub->RemoveById(item)) return true;
  return false;
}

int Bag::CountById(int item) const {
  int n = 0;
  for (int i = 0; i < CellCount(); ++i)
    if (cells_[i] == item) n += counts_[i];
  for (const auto& sub : subBags_)
    if (sub) n += sub->CountById(item);
  return n;
}

int Bag::StackCount(int cell) const { return HasCell(cell) ? counts_[cell] : 0; }

void Bag::SetCell(int cell, int item, int count) {
  if (!HasCell(cell)) return;
  cells_[cell] = item;
  counts_[cell] = count;
}

SubBag* Bag::SubBagAt(int cell) {
  return HasCell(cell) && subBags_[cell] ? &*subBags_[cell] : nullptr;
}

const SubBag* Bag::SubBagAt(int cell) const {
  return HasCell(cell) && subBags_[cell] ? &*subBags_[cell] : nullptr;
}

void Bag::SetSubBag(int cell, std::optional<SubBag> subBag) {
  if (HasCell(cell)) subBags_[cell] = std::move(subBag);
}

}  // namespace isora
