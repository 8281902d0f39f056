#include "items/ground_item.h"

#include <gtest/gtest.h>

#include "panels/item_fixture.h"

namespace isora {
namespace {

using namespace test;

TEST(GroundItem, TheOldestItemOnASpotIsFoundFirst) {
  GroundItemList list;
  list.push_back(GroundItem::Create(1, MakeItem("first", 0, 1), 100, 100));
  list.push_back(GroundItem::Create(2, MakeItem("second", 0, 1), 100, 100));
  auto it = ItemAt(list, 110, 110);
  ASSERT_NE(it, list.end());
  EXPECT_EQ((*it)->itemId, 1);
  list.erase(it);
  it = ItemAt(list, 110, 110);
  ASSERT_NE(it, list.end());
  EXPECT_EQ((*it)->itemId, 2);
  // Only the 32×32 square reacts: right and bottom edges are outside.
  EXPECT_EQ(ItemAt(list, 132, 110), list.end());
  EXPECT_EQ(ItemAt(list, 131, 131), list.begin());
  EXPECT_EQ(ItemAt(list, 99, 110), list.end());
}

TEST(GroundItem, LabelsAreKeptOnScreen) {
  EXPECT_EQ(PlaceGroundLabel(620, 100, 40, 16), (Rect{598, 100, 638, 116}));
  EXPECT_EQ(PlaceGroundLabel(-5, 100, 40, 16).left, 2);
  EXPECT_EQ(PlaceGroundLabel(100, -4, 40, 16).top, 0);
  EXPECT_EQ(PlaceGroundLabel(100, 470, 40, 16).bottom, 478);
  EXPECT_TRUE(PlaceGroundLabel(640, 100, 40, 16).Empty());
  EXPECT_TRUE(PlaceGroundLabel(-40, 100, 40, 16).Empty());
  EXPECT_TRUE(PlaceGroundLabel(100, 480, 40, 16).Empty());
  EXPECT_TRUE(PlaceGroundLabel(100, -16, 40, 16).Empty());
}

class GroundDrawTest : public ItemUiTest {};

TEST_F(GroundDrawTest, OnlyItemsWhoseCornerIsNearTheViewAreDrawn) {
  BmpImage big = BmpImage::Filled(64, 64, 0x00FF00);
  // Each item has a picture of its own: a picture is fetched only when its item is drawn.
  for (const char* name : {"left_out", "left_in", "low_out", "low_in"})
    AddPicture(std::string("items\\") + name + ".bmp", big);
  BuildPacks();
  auto item = [&](const char* picture) {
    ItemRecord r = MakeItem("gem", 9, 1);
    r.picture = std::string(picture) + ".bmp";
    return r;
  };
  const int camX = 1000, camY = 500;
  renderer.ClearLayerAroundView(camX, camY);
  GroundItemList list;
  list.push_back(GroundItem::Create(8, item("left_out"), camX - 111, 600));
  list.push_back(GroundItem::Create(8, item("left_in"), camX - 110, 800));
  list.push_back(GroundItem::Create(8, item("low_out"), 1500, camY + 592));
  list.push_back(GroundItem::Create(8, item("low_in"), 1500, camY + 591));
  DrawGroundItems(list, renderer, camX, camY);
  EXPECT_FALSE(renderer.IsCached(kPackItems, "left_out.bmp", false));
  EXPECT_TRUE(renderer.IsCached(kPackItems, "left_in.bmp", false));
  EXPECT_FALSE(renderer.IsCached(kPackItems, "low_out.bmp", false));
  EXPECT_TRUE(renderer.IsCached(kPackItems, "low_in.bmp", false));

  // Drawn at its place on the map; highlighted, the 32×32 square is brightened, the rest of the
  // picture is not.
  Surface& layer = *renderer.GetSurface(kSurfaceLayer3);
  const Point o = renderer.SurfaceOrigin(kSurfaceLayer3);
  auto at = [&](int x, int y) { return layer.At(x - o.x, y - o.y); };
  layer.Fill(renderer.ColorKey());
  list.front()->x = camX;
  list.front()->SetHighlighted(1);
  list.front()->Draw(renderer);
  uint16_t plain = Px(0x00FF00);
  EXPECT_EQ(at(camX + 40, 610), plain);
  EXPECT_NE(at(camX + 10, 610), plain);
  EXPECT_NE(at(camX + 10, 610), renderer.ColorKey());
  EXPECT_EQ(at(camX - 1, 610), renderer.ColorKey());
}

TEST_F(GroundDrawTest, LabelDrawsTheNameInGreenOnADarkenedBox) {
  Back().Fill(Px(0xFFFFFF));
  GroundItem item(1, MakeItem("WWWW", 0, 1), 700, 300);
  item.DrawLabel(renderer, 100, 100);  // at screen (600, 190): moved left to end at 638
  int green = 0, half = 0;
  const uint16_t halfWhite = static_cast<uint16_t>((15 << 11) | (31 << 5) | 15);
  for (int y = 185; y < 230; ++y) {
    for (int x = 500; x < 640; ++x) {
      uint16_t p = Back().At(x, y);
      green += (p >> 11) < 8 && ((p >> 5) & 0x3F) > 40 && (p & 0x1F) < 8;
      half += p == halfWhite;
    }
  }
  EXPECT_GT(green, 0);
  EXPECT_GT(half, 0);
  EXPECT_EQ(Back().At(639, 195), Px(0xFFFFFF));
}

}  // namespace
}  // namespace isora
