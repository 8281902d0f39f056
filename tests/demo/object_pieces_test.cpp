#include <gtest/gtest.h>

#include "lib/demo_objects.h"

namespace isora::demo {
namespace {

ObjectKind House(int rows, int columns, int width, int height) {
  ObjectKind k;
  k.name = "house";
  k.width = width;
  k.height = height;
  k.rows = rows;
  k.columns = columns;
  k.front = true;
  return k;
}

TEST(ObjectPieces, AFrontObjectPutsTheBoxesBelowItsBackEdgesUnderTheRoles) {
  const ObjectKind k = House(3, 3, 192, 184);
  const auto boxes = PieceBoxes(k);
  ASSERT_FALSE(boxes.empty());
  EXPECT_LE(boxes.size(), 30u);
  // The footprint's top corner is at (96, 88); its back edges fall 1 pixel in 2 to (0, 136)
  // and (192, 136). No box reaches above them, so a role behind the house stays hidden.
  auto backEdge = [](int x) { return 88 + std::abs(x - 96) / 2; };
  bool coversBottomCorner = false, coversFrontWall = false;
  for (auto b : boxes) {
    EXPECT_GE(b.x, 0);
    EXPECT_LE(b.x + 64, k.width);
    EXPECT_LE(b.y + 32, k.height);
    EXPECT_GE(b.y, backEdge(b.x));
    EXPECT_GE(b.y, backEdge(b.x + 64));
    coversBottomCorner |= b.x <= 96 && b.x + 64 > 96 && b.y + 32 == k.height;
    coversFrontWall |= b.x <= 40 && b.x + 64 > 40 && b.y <= 140;  // the left wall's middle
  }
  EXPECT_TRUE(coversBottomCorner);
  EXPECT_TRUE(coversFrontWall);

  // The demo's largest front object, a 4 x 4 hall, stays within the map format's 30 pieces.
  EXPECT_LE(PieceBoxes(House(4, 4, 256, 216)).size(), 30u);
}

TEST(ObjectPieces, OtherObjectsKeepTheirFootprintBoxesOrNone) {
  ObjectKind tree = House(1, 1, 96, 128);
  tree.front = false;
  EXPECT_TRUE(PieceBoxes(tree).empty());
  ObjectKind well = tree;
  well.width = 64;
  well.height = 76;
  well.base = "stone";
  const auto boxes = PieceBoxes(well);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].x, FootprintBoxes(well)[0].x);
  EXPECT_EQ(boxes[0].y, FootprintBoxes(well)[0].y);
}

}  // namespace
}  // namespace isora::demo
