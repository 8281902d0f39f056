// The map change under way: the map file to load, the tile the player arrives on and the
// facing, and whether it begins a new game (a fresh player and progress) or carries the player
// over.
#pragma once

#include <cstdint>
#include <string>

namespace isora {

struct MapTransition {
  std::string mapName;
  // The arrival tile; -1 in either part means the map's own start tile.
  int32_t row = -1, column = -1;
  int32_t direction = 5;
  bool newGame = false;

  // "map\" and the name, cut to the 99 characters a map path may have.
  std::string MapPath() const { return ("map\\" + mapName).substr(0, 99); }
  // Once the map is read: an arrival tile not given becomes the map's start tile.
  void ArriveAtStartUnlessGiven(int32_t startRow, int32_t startColumn) {
    if (row < 0 || column < 0) {
      row = startRow;
      column = startColumn;
    }
  }
};

}  // namespace isora
