// The one item on the cursor, shared by the player panel, the bag panels and the world, and
// what a panel click did with it.
#pragma once

#include <cstdint>

namespace isora {

class Hand {
 public:
  // The item id on the cursor, 0 for none.
  int32_t Item() const { return item_; }
  bool Holds() const { return item_ != 0; }
  // A shop's ware not paid for yet: putting it into a bag buys it, dropping it on the shop
  // gives it back. An empty hand never is one.
  bool FromShop() const { return fromShop_; }
  // Puts an item on the cursor (0 empties the hand).
  void Take(int32_t item, bool fromShop = false) {
    item_ = item;
    fromShop_ = item != 0 && fromShop;
  }
  void Clear() { Take(0); }

  // Whether the right button (and the held right button) act on the world. It follows the item
  // only where a click or a drop ends, and Esc over the bags frees it while an item taken from
  // the player panel stays held; so it is a flag of its own.
  bool WorldFree() const { return worldFree_; }
  // A click is over: the world is free exactly when the hand is empty.
  void Settle() { worldFree_ = item_ == 0; }
  void FreeForWorld() { worldFree_ = true; }
  // The item went onto the ground (or the game began anew).
  void Release() {
    Clear();
    worldFree_ = true;
  }

 private:
  int32_t item_ = 0;
  bool fromShop_ = false;
  bool worldFree_ = true;
};

// What a panel click did: the panel's answer and the money it moved, gained by a sale or paid
// (below 0) for a purchase. The shell applies the money through the player's growth, which
// keeps it within its floor and cap; the item moved is in the hand and the containers.
struct PanelClick {
  int answer = -1;
  int32_t money = 0;
};

}  // namespace isora
