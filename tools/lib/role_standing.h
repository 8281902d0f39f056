// Where roles stand once the game has placed them, computed as the game places them: a role
// placed on cell (r, c) by a map, AddNPC or the player's start stands one row and one column up
// and left of it. The checker warns from this and `map info` prints it.
#pragma once

#include <string>
#include <vector>

#include "media/surface.h"
#include "world/map_file.h"

namespace isora::demo {

struct StandingRole {
  std::string name;
  int placedRow = 0, placedColumn = 0;
  Point position;             // the middle of its picture, as the game keeps it
  Rect bounds;                // its standing picture centred on its position
  int row = -1, column = -1;  // the cell it stands on (-1: off the map)
};

// The cell holding a map point, as the game finds it; (-1, -1) off the map.
void CellOfPoint(const MapFileData& map, Point p, int* row, int* column);

// A role of the map (or one AddNPC makes) placed on the cell, with a standing picture w x h.
StandingRole PlaceRole(const MapFileData& map, const std::string& name, int row, int column, int w,
                       int h);
// The player placed on the cell by LoadInitialMap, ChangeMap or a map exit.
StandingRole PlacePlayer(const MapFileData& map, int row, int column, int w, int h);

// The point the game tests against other roles' pictures when a role moves.
Point Feet(const StandingRole& r);

}  // namespace isora::demo
