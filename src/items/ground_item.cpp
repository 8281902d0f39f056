#include "items/ground_item.h"

#include "media/device_context.h"
#include "media/renderer.h"

namespace isora {

GroundItem::GroundItem(int itemId_, ItemRecord record_, int x_, int y_)
    : itemId(itemId_), record(std::move(record_)), x(x_), y(y_) {}

std::unique_ptr<GroundItem> GroundItem::Create(int itemId, const ItemRecord& record, int x, int y) {
  return std::make_unique<GroundItem>(itemId, record, x, y);
}

void GroundItem::Draw(Renderer& renderer) const {
  renderer.DrawPicture(kPackItems, record.picture, kSurfaceLayer3, x, y);
  if (highlighted == 1) renderer.Brighten(kSurfaceLayer3, Square());
}

Rect PlaceGroundLabel(int sx, int sy, int w, int h) {
  if (sx >= 640 || sx + w <= 0 || sy >= 480 || sy + h <= 0) return Rect{};
  if (sx <= 0) sx = 2;
  if (sx + w >= 640) sx = 638 - w;
  if (sy <= 0) sy = 0;
  if (sy + h >= 480) sy = 478 - h;
  return Rect{sx, sy, sx + w, sy + h};
}

void GroundItem::DrawLabel(Renderer& renderer, int cameraX, int cameraY) const {
  Surface* back = renderer.GetSurface(kSurfaceBackBuffer);
  if (!back) return;
  DeviceContext dc(*back);
  TextMetrics tm = dc.GetTextMetrics();
  int w = tm.tmAveCharWidth * static_cast<int>(record.name.size());
  Rect box = PlaceGroundLabel(x - cameraX, y - cameraY - 10, w, tm.tmHeight);
  if (box.Empty()) return;
  renderer.Blend50(kSurfaceBackBuffer, box, true);
  dc.SetTextAlign(kTaLeft | kTaTop);
  dc.SetBkMode(kBkTransparent);
  dc.SetTextColor(kGroundLabelColor);
  dc.TextOut(box.left, box.top, record.name);
}

Rect GroundProcessingRect(int cameraX, int cameraY) {
  return Rect{cameraX - 110, cameraY - 112, cameraX + 750, cameraY + 592};
}

void DrawGroundItems(const GroundItemList& items, Renderer& renderer, int cameraX, int cameraY) {
  Rect area = GroundProcessingRect(cameraX, cameraY);
  for (const auto& item : items) {
    if (item && area.Contains(item->x, item->y)) item->Draw(renderer);
  }
}

GroundItemList::iterator ItemAt(GroundItemList& items, int worldX, int worldY) {
  for (auto it = items.begin(); it != items.end(); ++it) {
    if (*it && (*it)->Square().Contains(worldX, worldY)) return it;
  }
  return items.end();
}

GroundItemList::const_iterator ItemAt(const GroundItemList& items, int worldX, int worldY) {
  for (auto it = items.begin(); it != items.end(); ++it) {
    if (*it && (*it)->Square().Contains(worldX, worldY)) return it;
  }
  return items.end();
}

}  // namespace isora
