// The hand on the cursor: an empty hand is never a shop's ware, and the world's empty-hand flag
// moves only where a click or a drop ends.
#include "panels/hand.h"

#include <gtest/gtest.h>

namespace isora {
namespace {

TEST(Hand, AnEmptyHandHasNoShopSource) {
  Hand hand;
  EXPECT_FALSE(hand.Holds());
  EXPECT_TRUE(hand.WorldFree());
  hand.Take(7, true);
  EXPECT_EQ(hand.Item(), 7);
  EXPECT_TRUE(hand.FromShop());
  // A ware given back must not make the next pick a purchase.
  hand.Clear();
  EXPECT_FALSE(hand.FromShop());
  hand.Take(0, true);
  EXPECT_FALSE(hand.FromShop());
  hand.Take(7, true);
  hand.Take(9);  // exchanged for an own item
  EXPECT_EQ(hand.Item(), 9);
  EXPECT_FALSE(hand.FromShop());
}

TEST(Hand, TheWorldFlagFollowsTheItemOnlyWhenSettled) {
  Hand hand;
  hand.Take(5);
  EXPECT_TRUE(hand.WorldFree());  // still as the last click left it
  hand.Settle();
  EXPECT_FALSE(hand.WorldFree());
  // Esc over the bags frees the world while an item taken from the player panel stays held.
  hand.FreeForWorld();
  EXPECT_TRUE(hand.WorldFree());
  EXPECT_EQ(hand.Item(), 5);
  hand.Settle();
  EXPECT_FALSE(hand.WorldFree());
  hand.Release();
  EXPECT_FALSE(hand.Holds());
  EXPECT_TRUE(hand.WorldFree());
  hand.Take(3, true);
  hand.Clear();
  hand.Settle();
  EXPECT_TRUE(hand.WorldFree());
}

}  // namespace
}  // namespace isora
