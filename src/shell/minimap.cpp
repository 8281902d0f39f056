#include "shell/minimap.h"

#include "world/game_map.h"

namespace isora {

namespace {

// Halves every channel, as the message line's box does.
void Darken(Surface& s, const Rect& rect) {
  const Rect area = rect.Intersect(s.Bounds());
  const PixelFormat f = s.Format();
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) {
      const Rgb8 c = UnpackPixel(f, s.At(x, y));
      s.Set(x, y, PackPixel(f, c.r / 2, c.g / 2, c.b / 2));
    }
}

}  // namespace

void DrawMinimap(Surface& target, const GameMap& map, std::span<const MinimapDot> dots,
                 Point origin) {
  const int n = map.N();
  if (n <= 0) return;
  const PixelFormat f = target.Format();
  Darken(target, Rect{origin.x - 2, origin.y - 2, origin.x + 2 * n + 2, origin.y + 2 * n + 1});
  const auto& cells = map.Cells();
  for (int row = 0; row < n; ++row)
    for (int column = 0; column < n; ++column) {
      const MapCell& cell = cells[static_cast<size_t>(row) * n + column];
      if (!cell.passable && !cell.exitId) continue;
      const Point p = MinimapCell(origin, n, row, column);
      target.Fill(Rect{p.x, p.y, p.x + 2, p.y + 1},
                  ColorRefToPixel(f, cell.exitId ? kMinimapExit : kMinimapGround));
    }
  for (const MinimapDot& dot : dots) {
    const CellIndex c = map.CellAt(dot.at.x, dot.at.y);
    if (c.row < 0 || c.column < 0 || c.row >= n || c.column >= n) continue;
    const Point p = MinimapCell(origin, n, c.row, c.column);
    target.Fill(Rect{p.x, p.y, p.x + 2, p.y + 2}, ColorRefToPixel(f, dot.color));
  }
}

}  // namespace isora
