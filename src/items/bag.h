// The player's main bag: cells with stack counts (potions stack to five) and, for each cell
// holding a bag item, the sub-bag that belongs to it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "items/item_container.h"
#include "items/sub_bag.h"

namespace isora {

class ItemDatabase;

constexpr int kMainBagCells = 9;
constexpr int kPotionStack = 5;

class Bag : public ItemContainer {
 public:
  // The database decides which items stack and which carry a sub-bag; it must outlive the bag.
  explicit Bag(const ItemDatabase* items = nullptr, int cellCount = kMainBagCells);

  bool Add(int item) override;
  void ClearCell(int cell) override;
  // Counts and sub-bags stay with the cell.
  int Exchange(int item, int cell) override;
  int Get(int cell) const override;
  bool RemoveById(int item) override;
  int CountById(int item) const override;
  int CellCount() const override { return static_cast<int>(cells_.size()); }

  // The stack count of a cell (0 for a cell that does not exist).
  int StackCount(int cell) const;
  // Restores a cell exactly (save games): item and count, no other rule applied.
  void SetCell(int cell, int item, int count);
  // The sub-bag of a cell, or null.
  SubBag* SubBagAt(int cell);
  const SubBag* SubBagAt(int cell) const;
  // Attaches (or with nullopt removes) a cell's sub-bag.
  void SetSubBag(int cell, std::optional<SubBag> subBag);

  const ItemDatabase* Items() const { return items_; }
  void SetItems(const ItemDatabase* items) { items_ = items; }
  bool operator==(const Bag& other) const {
    return cells_ == other.cells_ && counts_ == other.counts_ && subBags_ == other.subBags_;
  }

 private:
  bool IsPotion(int item) const;
  bool IsBagItem(int item) const;
  int FirstEmpty() const;

  const ItemDatabase* items_;
  std::vector<int32_t> cells_;
  std::vector<int32_t> counts_;
  std::vector<std::optional<SubBag>> subBags_;
};

}  // namespace isora
