#include "lib/demo_objects.h"

#include <algorithm>
#include <cstdlib>

namespace isora::demo {

const ObjectKind* ObjectCatalog::Find(const std::string& name) const {
  for (const auto& k : kinds)
    if (k.name == name) return &k;
  return nullptr;
}

std::vector<PixelPoint> FootprintBoxes(const ObjectKind& kind) {
  std::vector<PixelPoint> boxes;
  const int nr = kind.rows, nc = kind.columns;
  for (int i = 0; i < nr; ++i)
    for (int j = 0; j < nc; ++j)
      boxes.push_back({32 * (i - j) - 32 - 16 * (nr - nc) + kind.width / 2,
                       16 * (i + j) - 16 * (nr + nc) + kind.height});
  return boxes;
}

std::vector<PixelPoint> PieceBoxes(const ObjectKind& kind) {
  if (!kind.base.empty()) return FootprintBoxes(kind);
  std::vector<PixelPoint> boxes;
  if (!kind.front) return boxes;
  // The footprint's top corner, and its left and right corners along the two axes.
  const int topX = kind.width / 2 - 16 * (kind.rows - kind.columns);
  const int topY = kind.height - 16 * (kind.rows + kind.columns);
  const int leftX = topX - 32 * kind.columns, rightX = topX + 32 * kind.rows;
  auto backEdge = [&](int x) {
    if (x < leftX || x > rightX) return kind.height;  // beside the footprint: nothing is in front
    return topY + (std::abs(x - topX) + 1) / 2;
  };
  for (int x = 0; x + 64 <= kind.width; x += 32) {
    int top = std::max(backEdge(x), backEdge(x + 64));
    if (top + 32 > kind.height) continue;
    for (; top + 32 <= kind.height; top += 32) boxes.push_back({x, top});
    if (boxes.back().y + 32 < kind.height) boxes.push_back({x, kind.height - 32});
  }
  return boxes;
}

PixelPoint PlaceObject(const ObjectKind& kind, int row, int column, int x0, int y0) {
  const int centreX = x0 + 32 * (row - column) + 16 * (kind.rows - kind.columns);
  const int bottomY = y0 + 16 * (row + column + kind.rows + kind.columns);
  return {centreX - kind.width / 2, bottomY - kind.height};
}

namespace {

bool ParseObjects(const nlohmann::json& src, ObjectCatalog& out, std::string* error) {
  auto fail = [error](const std::string& m) {
    if (error) *error = m;
    return false;
  };
  if (!src.is_object() || !src.contains("objects") || !src["objects"].is_array())
    return fail("object catalogue: no \"objects\" list");
  int x = 0, y = 0, rowHeight = 0;
  for (const auto& e : src["objects"]) {
    ObjectKind k;
    if (!e.is_object() || !e.contains("name") || !e["name"].is_string())
      return fail("object catalogue: an entry without a name");
    k.name = e["name"];
    k.style = e.value("style", "");
    const auto size = e.value("size", nlohmann::json::array());
    const auto fp = e.value("footprint", nlohmann::json::array({1, 1}));
    if (!size.is_array() || size.size() != 2 || !size[0].is_number_integer() ||
        !size[1].is_number_integer())
      return fail("object " + k.name + ": \"size\" must be [width, height]");
    if (!fp.is_array() || fp.size() != 2 || !fp[0].is_number_integer() ||
        !fp[1].is_number_integer())
      return fail("object " + k.name + ": \"footprint\" must be [rows, columns]");
    k.width = size[0];
    k.height = size[1];
    k.rows = fp[0];
    k.columns = fp[1];
    if (k.width <= 0 || k.height <= 0 || k.width > kObjectSheetMaxWidth ||
        k.height > kObjectSheetMaxHeight)
      return fail("object " + k.name + ": size out of range");
    if (k.rows < 1 || k.columns < 1 || k.rows > 8 || k.columns > 8)
      return fail("object " + k.name + ": footprint out of range");
    k.blocks = e.value("blocks", true);
    k.base = e.value("base", "");
    k.front = e.value("front", false);
    k.params = e;
    if (PieceBoxes(k).size() > 30) return fail("object " + k.name + ": more than 30 pieces");
    if (!k.base.empty()) {
      for (auto b : FootprintBoxes(k))
        if (b.x < 0 || b.y < 0 || b.x + 64 > k.width || b.y + 32 > k.height)
          return fail("object " + k.name + ": its footprint boxes do not fit its picture");
    }
    if (out.Find(k.name)) return fail("object " + k.name + ": defined twice");
    if (x + k.width > kObjectSheetMaxWidth) {
      x = 0;
      y += rowHeight;
      rowHeight = 0;
    }
    k.sourceX = x;
    k.sourceY = y;
    x += k.width;
    rowHeight = std::max(rowHeight, k.height);
    out.sheetWidth = std::max(out.sheetWidth, x);
    out.sheetHeight = std::max(out.sheetHeight, y + k.height);
    if (out.sheetHeight > kObjectSheetMaxHeight)
      return fail("object catalogue: the pictures do not fit in 2048x1600");
    out.kinds.push_back(std::move(k));
  }
  return true;
}

}  // namespace

bool ParseObjectCatalog(const nlohmann::json& src, ObjectCatalog& out, std::string* error) {
  out = {};
  // A hand-edited catalogue may hold a text where a flag belongs ("blocks": "yes").
  try {
    if (ParseObjects(src, out, error)) return true;
  } catch (const nlohmann::json::exception& e) {
    if (error) *error = std::string("object catalogue: a value of the wrong type: ") + e.what();
  }
  return false;
}

}  // namespace isora::demo
