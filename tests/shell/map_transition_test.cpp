// The map change's path and arrival tile.
#include "shell/map_transition.h"

#include <gtest/gtest.h>

namespace isora {
namespace {

TEST(MapTransition, PathIsInTheMapFolderAndCutTo99Characters) {
  MapTransition t{"town.map", 3, 4, 2, false};
  EXPECT_EQ(t.MapPath(), "map\\town.map");
  t.mapName = std::string(120, 'a');
  EXPECT_EQ(t.MapPath().size(), 99u);
  EXPECT_EQ(t.MapPath().substr(0, 5), "map\\a");
}

TEST(MapTransition, AMissingRowOrColumnMeansTheMapsStartTile) {
  MapTransition given{"a.map", 7, 9, 1, true};
  given.ArriveAtStartUnlessGiven(20, 30);
  EXPECT_EQ(given.row, 7);
  EXPECT_EQ(given.column, 9);
  for (auto [row, column] : {std::pair{-1, 9}, std::pair{7, -1}, std::pair{-1, -1}}) {
    MapTransition t{"a.map", row, column, 1, false};
    t.ArriveAtStartUnlessGiven(20, 30);
    EXPECT_EQ(t.row, 20);
    EXPECT_EQ(t.column, 30);
  }
  // Row and column 0 are tiles like any other.
  MapTransition zero{"a.map", 0, 0, 1, false};
  zero.ArriveAtStartUnlessGiven(20, 30);
  EXPECT_EQ(zero.row, 0);
  EXPECT_EQ(zero.column, 0);
  MapTransition fresh;
  EXPECT_EQ(fresh.direction, 5);
  EXPECT_FALSE(fresh.newGame);
}

}  // namespace
}  // namespace isora
