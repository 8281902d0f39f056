#include "items/equipment.h"

#include "items/item_database.h"

namespace isora {

bool Equipment::Fits(int item, int slot) const {
  if (slot < 0 || slot >= kEquipmentSlots) return false;
  if (item == 0) return true;
  int32_t type = items_ ? items_->TypeOf(item) : -1;
  switch (slot) {
    case kSlotWeapon:
      return type == kItemWeapon;
    case kSlotArmour:
      return type == kItemArmour;
    default:
      return type == kItemBaldric;
  }
}

bool Equipment::Add(int item) {
  if (item <= 0) return false;
  // The first empty slot the item fits: a potion never lands in the weapon slot.
  for (int slot = 0; slot < kEquipmentSlots; ++slot) {
    if (slots_[slot] == 0 && Fits(item, slot)) {
      slots_[slot] = item;
      return true;
    }
  }
  return false;
}

void Equipment::ClearCell(int cell) {
  if (HasCell(cell)) slots_[cell] = 0;
}

int Equipment::Exchange(int item, int cell) {
  if (!Fits(item, cell)) return item;
  int previous = slots_[cell];
  slots_[cell] = item;
  return previous;
}

int Equipment::Get(int cell) const { return HasCell(cell) ? slots_[cell] : -1; }

bool Equipment::RemoveById(int item) {
  for (auto& slot : slots_) {
    if (slot == item) {
      slot = 0;
      return true;
    }
  }
  return false;
}

int Equipment::CountById(int item) const {
  int n = 0;
  for (int slot : slots_) n += slot == item;
  return n;
}

void Equipment::SetSlot(int slot, int item) {
  if (HasCell(slot)) slots_[slot] = item;
}

}  // namespace isora
