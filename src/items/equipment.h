// The four equipment slots: weapon, armour and two baldrics. Each slot takes only its type.
#pragma once

#include <array>
#include <cstdint>

#include "items/item_container.h"

namespace isora {

class ItemDatabase;

enum EquipmentSlot : int { kSlotWeapon = 0, kSlotArmour = 1, kSlotBaldric1 = 2, kSlotBaldric2 = 3 };
constexpr int kEquipmentSlots = 4;

class Equipment : public ItemContainer {
 public:
  explicit Equipment(const ItemDatabase* items = nullptr) : items_(items) {}

  // Does `item` fit `slot`? Item 0 fits every slot.
  bool Fits(int item, int slot) const;

  bool Add(int item) override;
  void ClearCell(int cell) override;
  // Refuses an item that does not fit: returns it and leaves the slot as it was.
  int Exchange(int item, int cell) override;
  int Get(int cell) const override;
  bool RemoveById(int item) override;
  int CountById(int item) const override;
  int CellCount() const override { return kEquipmentSlots; }

  // Sets a slot without the type rule (save games restore what was saved).
  void SetSlot(int slot, int item);
  const std::array<int32_t, kEquipmentSlots>& Slots() const { return slots_; }
  void SetItems(const ItemDatabase* items) { items_ = items; }
  bool operator==(const Equipment& other) const { return slots_ == other.slots_; }

 private:
  const ItemDatabase* items_;
  std::array<int32_t, kEquipmentSlots> slots_{};
};

}  // namespace isora
