#include "world/game_map.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "foundation/enhancements.h"
#include "foundation/file_io.h"
#include "foundation/gbk.h"
#include "foundation/system_hooks.h"

namespace isora {

namespace {

// floor(v / 64), for negative v too. With an origin in the int32 range (a map cell's position,
// plus 32) and an int point, both sums stay within +-2^34, so the cell fits an int.
int FloorCell(int64_t v) { return static_cast<int>(v >= 0 ? v / 64 : -((-v + 63) / 64)); }

}  // namespace

CellIndex CellAtPoint(int64_t x0, int64_t y0, int x, int y) {
  const int64_t dx = int64_t{x} - x0, dy = int64_t{y} - y0;
  return {FloorCell(dx + 2 * dy), FloorCell(2 * dy - dx)};
}

GameMap::GameMap(GameLog* log) : log_(log ? log : &ownLog_) {}

void GameMap::Log(const std::string& line) { log_->WriteText(line); }

int GameMap::Load(const std::string& path, std::vector<RolePlacement>* placements) {
  auto bytes = ReadFileBytes(NativePath(path));
  if (!bytes) return 0;
  return LoadBytes(*bytes, placements);
}

int GameMap::LoadBytes(std::span<const uint8_t> bytes, std::vector<RolePlacement>* placements) {
  MapHeader probe;
  if (!bytes.empty())
    std::memcpy(probe.bytes.data(), bytes.data(), std::min(bytes.size(), probe.bytes.size()));
  if (bytes.size() < 4 || probe.Magic() != kMapMagic) {
    Hooks::MessageBox(Gbk(u8"你所选择的.map文件不是本游戏支持的地图文件。"), "ERROR",
                      MessageBoxIcon::Error);
    Log("it is not the correct map file,open failed!");
    return 0;
  }
  Log("Open map file ok,start to load it!");
  MapFileData map;
  std::string error;
  if (!ParseMapFile(bytes, map, &error)) {
    Log("the map file is damaged (" + error + "),open failed!");
    return 0;
  }
  header_ = map.header;
  n_ = header_.N();
  cells_ = std::move(map.cells);
  objects_ = std::move(map.objects);
  placements_ = std::move(map.placements);
  if (placements) placements->insert(placements->end(), placements_.begin(), placements_.end());
  return 1;
}

Point GameMap::CellPosition(int row, int column) const {
  if (row < 0 || column < 0 || row >= n_ || column >= n_) return {-1, -1};
  const MapCell& c = cells_[static_cast<size_t>(column) + static_cast<size_t>(row) * n_];
  return {c.x, c.y};
}

CellIndex GameMap::CellAt(int x, int y) const {
  if (cells_.empty()) return {-1, -1};
  return CellAtPoint(int64_t{cells_[0].x} + 32, cells_[0].y, x, y);
}

const MapCell* GameMap::CellAtPointOrNull(int x, int y) const {
  CellIndex c = CellAt(x, y);
  if (c.row < 0 || c.column < 0 || c.row >= n_ || c.column >= n_) return nullptr;
  return &cells_[static_cast<size_t>(c.column) + static_cast<size_t>(c.row) * n_];
}

int GameMap::IsPassableAt(int x, int y) const {
  const MapCell* c = CellAtPointOrNull(x, y);
  return c ? c->passable : 0;
}

std::string GameMap::CellScript(int x, int y) const {
  const MapCell* c = CellAtPointOrNull(x, y);
  if (!c || c->scriptId == 0 || !scriptsIni_) return {};
  Hooks::DebugOutput("script id:" + std::to_string(c->scriptId) + "\n");
  return scriptsIni_->GetString("name", std::to_string(c->scriptId));
}

std::string GameMap::CellExit(int x, int y) const {
  const MapCell* c = CellAtPointOrNull(x, y);
  if (!c || c->exitId == 0 || !mapsIni_) return {};
  return mapsIni_->GetString("name", std::to_string(c->exitId));
}

std::string GameMap::CellExitComment(int x, int y) const {
  const MapCell* c = CellAtPointOrNull(x, y);
  if (!c || c->exitId == 0 || !mapsIni_) return {};
  if (c->exitId > descriptions_.size()) return {};
  return descriptions_[c->exitId - 1];
}

void GameMap::LoadIndexes(const std::string& packagePath) {
  scriptsIni_.reset();
  mapsIni_.reset();
  descriptions_.clear();
  IniFile scripts;
  if (scripts.Load("scripts.ini", packagePath)) scriptsIni_ = std::move(scripts);
  IniFile maps;
  if (maps.Load("maps.ini", packagePath)) {
    // The count is only trusted as far as the comment keys go, so a wild number stays cheap.
    const int count = maps.GetInt("count", "count");
    for (int i = 1; i <= count; ++i) {
      std::string key = std::to_string(i);
      std::string text = maps.GetString("comment", key);
      if (text.empty() && i > 255) break;
      descriptions_.push_back(text);
    }
    mapsIni_ = std::move(maps);
  }
}

namespace {

// The part of a rectangle that lies on the map picture, computed wide so that the values of a
// damaged file never overflow; empty when none.
Rect OnPicture(int64_t x, int64_t y, int64_t w, int64_t h) {
  const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(x + w, kMapPictureWidth);
  const int64_t bottom = std::min<int64_t>(y + h, kMapPictureHeight);
  if (right <= left || bottom <= top) return {};
  return Rect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
              static_cast<int>(bottom)};
}

// Copies the w x h rectangle at (sx, sy) of src to (x, y) of dst, clipped to the map picture.
void CopyOnPicture(Surface& dst, const Surface& src, int64_t x, int64_t y, int64_t sx, int64_t sy,
                   int64_t w, int64_t h, uint32_t flags) {
  const Rect placed = OnPicture(x, y, w, h);
  if (placed.Empty()) return;
  const int64_t fx = sx + (placed.left - x), fy = sy + (placed.top - y);
  // A source beyond any picture's reach copies nothing.
  if (fx < INT32_MIN || fy < INT32_MIN || fx > INT32_MAX - kMapPictureWidth ||
      fy > INT32_MAX - kMapPictureHeight)
    return;
  const int left = static_cast<int>(fx), top = static_cast<int>(fy);
  dst.BltFast(placed.left, placed.top, src,
              Rect{left, top, left + placed.Width(), top + placed.Height()}, flags);
}

// A one-pixel line of a GDI pen: every point from a to b, the last one excluded. Only the
// part on the map picture is walked.
void DrawLine(Surface& s, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint16_t colour) {
  if (std::max(x0, x1) < 0 || std::max(y0, y1) < 0 || std::min(x0, x1) >= kMapPictureWidth ||
      std::min(y0, y1) >= kMapPictureHeight)
    return;
  const int64_t dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int64_t err = dx + dy;
  while (x0 != x1 || y0 != y1) {
    if (x0 >= 0 && y0 >= 0 && x0 < kMapPictureWidth && y0 < kMapPictureHeight)
      s.Set(static_cast<int>(x0), static_cast<int>(y0), colour);
    const int64_t e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

}  // namespace

void GameMap::PaintObjects(Surface& objectLayer, const Surface& objectPicture, Surface& groundLayer,
                           PixelFormat format) {
  const uint16_t key = ColorKeyFor(format);
  objectLayer.Fill(key);
  for (const MapObject& o : objects_) {
    CopyOnPicture(objectLayer, objectPicture, o.x, o.y, o.sourceX, o.sourceY, o.width, o.height,
                  kBltSrcColorKey);
    for (int i = 0; i < o.PieceCount(); ++i) {
      const int64_t px = int64_t{o.pieces[i].x} + o.x - o.sourceX;
      const int64_t py = int64_t{o.pieces[i].y} + o.y - o.sourceY;
      // A piece is the part of its picture that lies under the roles: its box moves to the
      // ground whole and leaves a hole in the object layer.
      if (!Enhanced().On(Enhancement::kObjectFronts)) {
        CopyOnPicture(groundLayer, objectPicture, px, py, o.pieces[i].x, o.pieces[i].y, 64, 32,
                      kBltNoColorKey);
        objectLayer.Fill(OnPicture(px, py, 64, 32), key);
        continue;
      }
      // With object fronts, a piece cut from the edge of a picture (a house front) moves only
      // its drawn pixels, so the ground around it and other objects over it stay.
      CopyOnPicture(groundLayer, objectPicture, px, py, o.pieces[i].x, o.pieces[i].y, 64, 32,
                    kBltSrcColorKey);
      const Rect placed = OnPicture(px, py, 64, 32);
      for (int y = placed.top; y < placed.bottom; ++y) {
        const int64_t sy = o.pieces[i].y + (y - py);
        if (sy < 0 || sy >= objectPicture.Height()) continue;
        for (int x = placed.left; x < placed.right; ++x) {
          const int64_t sx = o.pieces[i].x + (x - px);
          if (sx < 0 || sx >= objectPicture.Width()) continue;
          if (objectPicture.At(static_cast<int>(sx), static_cast<int>(sy)) != key)
            objectLayer.Set(x, y, key);
        }
      }
    }
  }
  Log("draw objects...ok!");
}

void GameMap::PaintCellsOfType(int tileType, const Surface& tilePicture, Surface& mapPicture,
                               bool grid) const {
  for (const MapCell& c : cells_) {
    // Keyed: a diamond tile's corners are the key colour and leave the neighbours' diamonds be.
    if (c.tileType == tileType)
      CopyOnPicture(mapPicture, tilePicture, c.x, c.y, c.tileX, c.tileY, 64, 32, kBltSrcColorKey);
  }
  if (!grid || cells_.empty()) return;
  const uint16_t green = PackPixel(mapPicture.Format(), 0, 255, 0);
  const int64_t x0 = int64_t{cells_[0].x} + 32, y0 = cells_[0].y, n = n_;
  for (int64_t k = 0; k <= n; ++k) {
    DrawLine(mapPicture, x0 + 32 * k, y0 + 16 * k, x0 + 32 * k - 32 * n, y0 + 16 * k + 16 * n,
             green);
    DrawLine(mapPicture, x0 - 32 * k, y0 + 16 * k, x0 - 32 * k + 32 * n, y0 + 16 * k + 16 * n,
             green);
  }
  for (const MapCell& c : cells_) {
    if (c.passable != 0) continue;
    const int64_t x = c.x, y = c.y;
    DrawLine(mapPicture, x + 32, y, x + 32, y + 32, green);
    DrawLine(mapPicture, x, y + 16, x + 64, y + 16, green);
  }
}

void GameMap::Release() {
  cells_.clear();
  cells_.shrink_to_fit();
  objects_.clear();
  placements_.clear();
  n_ = 0;
}

}  // namespace isora
