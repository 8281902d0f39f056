// An item lying on the map: drawn into world layer 3 near the view, highlighted and labelled
// under the cursor, picked up by the player. The game keeps them oldest first.
#pragma once

#include <cstdint>
#include <list>
#include <memory>

#include "items/item_database.h"
#include "media/surface.h"

namespace isora {

class Renderer;

// Every ground item reacts on this square from its top-left corner, whatever its picture.
constexpr int kGroundItemSize = 32;
constexpr ColorRef kGroundLabelColor = 0x00FF00;

class GroundItem {
 public:
  GroundItem(int itemId, ItemRecord record, int x, int y);
  static std::unique_ptr<GroundItem> Create(int itemId, const ItemRecord& record, int x, int y);

  // The picture into world layer 3 at (x, y), brightened over its square while highlighted.
  void Draw(Renderer& renderer) const;
  void SetHighlighted(int on) { highlighted = on ? 1 : 0; }
  // The name in a darkened box on the back buffer, kept on screen.
  void DrawLabel(Renderer& renderer, int cameraX, int cameraY) const;
  Rect Square() const { return Rect{x, y, x + kGroundItemSize, y + kGroundItemSize}; }

  int32_t itemId = 0;
  ItemRecord record;
  int32_t highlighted = 0;
  int32_t x = 0, y = 0;
};

using GroundItemList = std::list<std::unique_ptr<GroundItem>>;

// Where DrawLabel puts the box for a name w pixels wide and h high; empty when not drawn.
Rect PlaceGroundLabel(int sx, int sy, int w, int h);
// The processing rectangle around the view: items whose corner lies in it are drawn.
Rect GroundProcessingRect(int cameraX, int cameraY);
// Draws every item of the list whose top-left point lies in the processing rectangle.
void DrawGroundItems(const GroundItemList& items, Renderer& renderer, int cameraX, int cameraY);
// The first (oldest) item whose square holds the world point, or the list's end.
GroundItemList::iterator ItemAt(GroundItemList& items, int worldX, int worldY);
GroundItemList::const_iterator ItemAt(const GroundItemList& items, int worldX, int worldY);

}  // namespace isora
