// The current map: its header, cells, objects and role placements, the cell queries, the
// script and exit indexes of maps.ini and scripts.ini, and the painting of objects and tiles
// into the map-sized layers.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "foundation/game_log.h"
#include "foundation/ini_file.h"
#include "media/surface.h"
#include "world/map_file.h"

namespace isora {

struct CellIndex {
  int row = -1, column = -1;
  friend bool operator==(const CellIndex&, const CellIndex&) = default;
};

// (row, column) of the cell holding map point (x, y) for a grid whose cell (0, 0) has its top
// corner at (x0, y0): floor((dx + 2 dy) / 64), floor((2 dy - dx) / 64) with dx = x - x0 and
// dy = y - y0. Rows run along the isometric axis at atan(1/2) towards the lower right, columns
// towards the lower left; a point on an edge belongs to the cell below it. Exact integer
// arithmetic, so every platform and C library gives the same cell.
CellIndex CellAtPoint(int64_t x0, int64_t y0, int x, int y);

class GameMap {
 public:
  // The log receives the load and paint lines; null writes to GameEngine.log.
  explicit GameMap(GameLog* log = nullptr);

  // Loads a map file (a game path). On success the placements, in file order, are also appended
  // to *placements when given. Returns 1, or 0 when the file is missing, foreign or damaged;
  // a failed load leaves the map that was loaded before as it was.
  int Load(const std::string& path, std::vector<RolePlacement>* placements = nullptr);
  // The same from bytes already read (tests, fuzzing, the kit).
  int LoadBytes(std::span<const uint8_t> bytes, std::vector<RolePlacement>* placements = nullptr);

  const MapHeader& Header() const { return header_; }
  int N() const { return n_; }
  const std::vector<MapCell>& Cells() const { return cells_; }
  const std::vector<MapObject>& Objects() const { return objects_; }
  const std::vector<RolePlacement>& Placements() const { return placements_; }

  // The cell's box (x, y); (-1, -1) outside 0..N-1.
  Point CellPosition(int row, int column) const;
  // The cell holding a map point; negative values lie outside the diamond of cell rows and
  // columns (the map may also have fewer cells than a computed index).
  CellIndex CellAt(int x, int y) const;
  // The passable field of the cell at the point; 0 outside.
  int IsPassableAt(int x, int y) const;
  // The script name of the cell's script id from scripts.ini; empty when none.
  std::string CellScript(int x, int y) const;
  // The destination map file of the cell's exit id from maps.ini; empty when none.
  std::string CellExit(int x, int y) const;
  // The description of the cell's exit (number id of the comment list); empty when none.
  std::string CellExitComment(int x, int y) const;

  // Loads scripts.ini and maps.ini from the INI package and the description list.
  void LoadIndexes(const std::string& packagePath);
  const std::vector<std::string>& Descriptions() const { return descriptions_; }

  // Paints every object: the object layer is filled with the key colour, each object's
  // rectangle is copied onto it keyed, and each of its ground pieces goes to the ground layer
  // and is keyed out of the object layer again. Clipped to the 3200 x 1600 map picture.
  void PaintObjects(Surface& objectLayer, const Surface& objectPicture, Surface& groundLayer,
                    PixelFormat format);
  // Copies the 64 x 32 picture of every cell of this tile type from the tile picture into the
  // map picture; with grid set also draws the cell grid and a cross on every blocked cell.
  void PaintCellsOfType(int tileType, const Surface& tilePicture, Surface& mapPicture,
                        bool grid) const;

  // Frees cells, objects and placements (the header stays).
  void Release();

 private:
  const MapCell* CellAtPointOrNull(int x, int y) const;
  void Log(const std::string& line);

  GameLog* log_;
  GameLog ownLog_;
  MapHeader header_;
  int n_ = 0;
  std::vector<MapCell> cells_;
  std::vector<MapObject> objects_;
  std::vector<RolePlacement> placements_;
  std::optional<IniFile> scriptsIni_;
  std::optional<IniFile> mapsIni_;
  std::vector<std::string> descriptions_;
};

}  // namespace isora
