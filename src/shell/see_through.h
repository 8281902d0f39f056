// The hero seen through what hides him: where the object layer covers the roles drawn on the
// role layer, their pixels are laid half see-through over the composed view, so the player and
// whatever he fights stay visible behind trees and houses.
#pragma once

#include <span>

#include "media/surface.h"

namespace isora {

// For each pixel of `areas` (map rectangles, clipped to the view at `camera`) where both the
// object layer and the role layer hold a drawn (non-key) pixel, the view's pixel becomes the
// half-and-half mix of itself and the role's pixel. Overlapping areas are mixed once. The role
// layer's top-left pixel lies at `roleOrigin` on the map (it may cover only the view's
// surroundings); the object layer's at the map's top-left.
void DrawSeeThrough(Surface& view, const Surface& roleLayer, const Surface& objectLayer,
                    std::span<const Rect> areas, Point camera, Point roleOrigin = {});

}  // namespace isora
