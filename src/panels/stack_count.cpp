#include "panels/stack_count.h"

#include <array>
#include <string>

#include "media/device_context.h"
#include "media/font.h"
#include "media/renderer.h"

namespace isora {

namespace {
constexpr int kCellSide = 32;
constexpr int kCountFontHeight = 14;
constexpr ColorRef kCountColor = 0xFFFFFF;
constexpr ColorRef kCountOutline = 0x000000;
}  // namespace

void DrawStackCount(Renderer& renderer, int cellX, int cellY, int count) {
  if (count <= 1) return;
  Surface* back = renderer.GetSurface(kSurfaceBackBuffer);
  if (!back) return;
  DeviceContext dc(*back);
  dc.SelectFont(Font::Create("Segoe UI", kCountFontHeight, 700));
  dc.SetBkMode(kBkTransparent);
  const std::string text = std::to_string(count);
  const Size size = dc.GetTextExtent(text);
  const int x = cellX + kCellSide - size.cx - 1;
  const int y = cellY + kCellSide - size.cy + 1;
  // Outlined by the eight neighbours, row by row.
  std::array<Point, 8> outline;
  size_t n = 0;
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (dx != 0 || dy != 0) outline[n++] = Point{x + dx, y + dy};
  dc.SetTextColor(kCountColor);
  dc.TextOutOutlined(x, y, text, outline, kCountOutline);
}

}  // namespace isora
