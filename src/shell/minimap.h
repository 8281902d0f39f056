// A small map of the cells in a corner of the play screen: open ground, exits, the hero, and
// the other roles as dots. Each cell is two pixels wide and one high, laid out as the map's
// diamond with the cells of neighbouring rows a pixel apart, so an N x N map takes 2N x 2N
// pixels and no cell hides another.
#pragma once

#include <span>

#include "media/surface.h"

namespace isora {

class GameMap;

struct MinimapDot {
  Point at;  // map pixels of the role's feet
  ColorRef color;
};

constexpr Point kMinimapOrigin{8, 8};
constexpr ColorRef kMinimapGround = MakeColorRef(96, 128, 80);
constexpr ColorRef kMinimapExit = MakeColorRef(255, 224, 64);
constexpr ColorRef kMinimapHero = MakeColorRef(255, 255, 255);
constexpr ColorRef kMinimapHostile = MakeColorRef(255, 48, 48);
constexpr ColorRef kMinimapPerson = MakeColorRef(96, 192, 255);

// Where cell (row, column) of an n x n map lies, its left pixel.
constexpr Point MinimapCell(Point origin, int n, int row, int column) {
  return Point{origin.x + column - row + n - 1, origin.y + column + row};
}

// Draws onto `target` (the back buffer) in its pixel format. Closed cells are left as the view
// shows them under a darkened box; dots are 2 x 2 pixels, drawn in order over the cells.
void DrawMinimap(Surface& target, const GameMap& map, std::span<const MinimapDot> dots,
                 Point origin = kMinimapOrigin);

}  // namespace isora
