#include "shell/replay_pointer.h"

#include <cstdint>
#include <limits>

#include "panels/player_panel.h"
#include "shell/game.h"
#include "shell/game_ui.h"
#include "shell/game_world.h"

namespace isora {

namespace {

int64_t Distance2(int x0, int y0, int x1, int y1) {
  const int64_t dx = int64_t{x1} - x0, dy = int64_t{y1} - y0;
  return dx * dx + dy * dy;
}

}  // namespace

bool ReplayPointer::Resolve(CGame& game, const ReplayEvent& ev, Point* screen, std::string* error) {
  GameWorld& world = *game.world_;
  const Role* player = world.player.get();
  const int px = player ? player->X() : 0, py = player ? player->Y() : 0;
  Point at{-1, -1};
  std::string what;
  if (ev.kind == ReplayEvent::Kind::kPointRole) {
    what = "role " + ev.name;
    int64_t best = std::numeric_limits<int64_t>::max();
    for (int i = 1; i <= world.NpcCount(); ++i) {
      const Role* r = world.At(i);
      if (!r || r->IsDead() || r->RoleName() != ev.name) continue;
      // The middle of its picture: the game picks roles by that rectangle.
      const Rect b = r->Bounds();
      const int64_t d = Distance2(px, py, r->X(), r->Y());
      if (d < best) {
        best = d;
        at = Point{(b.left + b.right) / 2 - game.cameraX_, (b.top + b.bottom) / 2 - game.cameraY_};
      }
    }
    if (best == std::numeric_limits<int64_t>::max())
      return *error = "point " + what + ": no living role of that name on this map", false;
  } else if (ev.kind == ReplayEvent::Kind::kPointCell) {
    what = "cell " + std::to_string(ev.x) + " " + std::to_string(ev.y);
    const Point box = game.map_.CellPosition(ev.x, ev.y);
    if (box.x < 0 || box.y < 0)
      return *error = "point " + what + ": the map has no such cell", false;
    at = Point{box.x + 32 - game.cameraX_, box.y + 16 - game.cameraY_};
  } else if (ev.kind == ReplayEvent::Kind::kPointItem) {
    what = "item " + ev.name;
    int64_t best = std::numeric_limits<int64_t>::max();
    for (const auto& item : world.groundItems) {
      if (!item || item->record.name != ev.name) continue;
      const int64_t d = Distance2(px, py, item->x, item->y);
      if (d < best) {
        best = d;
        at = Point{item->x + kGroundItemSize / 2 - game.cameraX_,
                   item->y + kGroundItemSize / 2 - game.cameraY_};
      }
    }
    // Not on the ground: the bag cell that holds it, on the player panel.
    const PlayerPanel* panel = game.ui_ ? game.ui_->playerPanel.get() : nullptr;
    if (best == std::numeric_limits<int64_t>::max() && player && panel) {
      const Bag& bag = world.player->Growth().GetBag();
      for (int c = 0; c < bag.CellCount() && c < kMainBagCells; ++c) {
        const int id = bag.Get(c);
        if (id <= 0 || game.itemDb_.Get(id).name != ev.name) continue;
        const Rect r = panel->buttons[kElementFirstCell + c].hitRect;
        at = Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        best = 0;
        break;
      }
    }
    if (best == std::numeric_limits<int64_t>::max())
      return *error = "point " + what + ": not on the ground and not in the bag", false;
  }
  if (at.x < 0 || at.y < 0 || at.x >= 640 || at.y >= 480)
    return *error = "point " + what + ": it is off the screen (at " + std::to_string(at.x) + ", " +
                    std::to_string(at.y) + ")",
           false;
  *screen = at;
  return true;
}

}  // namespace isora
