#include "lib/role_standing.h"

#include "roles/role.h"
#include "world/game_map.h"

namespace isora::demo {

namespace {

Point CellBox(const MapFileData& map, int row, int column) {
  const int n = map.header.N();
  if (row < 0 || column < 0 || row >= n || column >= n ||
      static_cast<size_t>(row) * n + column >= map.cells.size())
    return {-1, -1};
  const MapCell& c = map.cells[static_cast<size_t>(row) * n + column];
  return {c.x, c.y};
}

StandingRole Stand(const MapFileData& map, std::string name, int row, int column, Point at, int w,
                   int h) {
  StandingRole r;
  r.name = std::move(name);
  r.placedRow = row;
  r.placedColumn = column;
  r.position = at;
  r.bounds = Rect{at.x - w / 2, at.y - h / 2, at.x + w / 2, at.y + h / 2};
  CellOfPoint(map, at, &r.row, &r.column);
  return r;
}

}  // namespace

void CellOfPoint(const MapFileData& map, Point p, int* row, int* column) {
  *row = *column = -1;
  if (map.cells.empty()) return;
  const CellIndex c = CellAtPoint(int64_t{map.cells[0].x} + 32, map.cells[0].y, p.x, p.y);
  const int n = map.header.N();
  if (c.row < 0 || c.column < 0 || c.row >= n || c.column >= n) return;
  *row = c.row;
  *column = c.column;
}

StandingRole PlaceRole(const MapFileData& map, const std::string& name, int row, int column, int w,
                       int h) {
  // Placed at the box's lower left corner, then moved so that corner is its picture's.
  const Point box = CellBox(map, row, column);
  return Stand(map, name, row, column, {box.x + w / 2, box.y + 32 - h / 2}, w, h);
}

StandingRole PlacePlayer(const MapFileData& map, int row, int column, int w, int h) {
  StandingRole r = PlaceRole(map, "the player", row, column, w, h);
  return r;
}

Point Feet(const StandingRole& r) { return {r.position.x, r.position.y + kRoleFeet}; }

}  // namespace isora::demo
