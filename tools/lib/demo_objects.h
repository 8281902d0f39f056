// The catalogue of decorative map objects (content/demo/art/objects.json): their pictures'
// places in tiles\obj.bmp, their footprints on the cell grid and where a picture stands when
// its object is put on a cell. Shared by the art generator and the Tiled importer, so the
// two always agree on obj.bmp.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace isora::demo {

struct ObjectKind {
  std::string name;
  std::string style;  // drawing style of the art generator
  int width = 0, height = 0;
  int rows = 1, columns = 1;  // footprint: cells along the row and column axes
  bool blocks = true;
  std::string base;              // ground style of the footprint pieces; empty: no pieces
  bool front = false;            // the picture below its footprint's back edges lies under roles
  nlohmann::json params;         // the whole catalogue entry, for the art generator
  int sourceX = 0, sourceY = 0;  // place in obj.bmp
};

struct ObjectCatalog {
  std::vector<ObjectKind> kinds;
  int sheetWidth = 0, sheetHeight = 0;  // obj.bmp size
  const ObjectKind* Find(const std::string& name) const;
};

constexpr int kObjectSheetMaxWidth = 2048;
constexpr int kObjectSheetMaxHeight = 1600;

// Reads the catalogue and lays its pictures out in obj.bmp; false with *error on a bad entry
// or when the pictures do not fit the sheet.
bool ParseObjectCatalog(const nlohmann::json& src, ObjectCatalog& out, std::string* error);

struct PixelPoint {
  int x = 0, y = 0;
};

// Top-left corners of the 64x32 boxes of the footprint cells, relative to the picture.
std::vector<PixelPoint> FootprintBoxes(const ObjectKind& kind);

// The 64x32 boxes of the picture that go under the roles (the map's object pieces): the
// footprint boxes of an object with a ground base; for a front object the boxes wholly below the
// footprint's two back edges, so a role standing in front of the object is drawn over it while
// one behind it stays hidden; none otherwise.
std::vector<PixelPoint> PieceBoxes(const ObjectKind& kind);

// Top-left of the object's picture in the map picture when it stands on cell (row, column) of
// a grid whose cell (0, 0) has its top corner at (x0, y0).
PixelPoint PlaceObject(const ObjectKind& kind, int row, int column, int x0, int y0);

}  // namespace isora::demo
