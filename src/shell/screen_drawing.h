// The drawing the game does straight on the renderer's surfaces, beside the panels and roles.
#pragma once

#include <array>
#include <string>

#include "media/renderer.h"

namespace isora {

// Text centred on x, drawn first at the four outline points in the outline colour.
void DrawOutlined(Renderer& renderer, const std::string& text, int x, int y, int surface,
                  const std::array<Point, 4>& outline, ColorRef outlineColor, ColorRef color);
// The top-left 640×480 of the ground surface onto the back buffer, unkeyed.
void CopyGroundToBackBuffer(Renderer& renderer);
// A picture named "pack/member" or "pack\member" (pack one of role, ui, face, items, skill,
// tiles); false for any other path.
bool SplitPicturePath(const std::string& path, int* pack, std::string* member);
bool DrawPicturePath(Renderer& renderer, const std::string& path, int surface, int x, int y);
// True where the object layer shows nothing at a view pixel, or when there is no layer.
bool ObjectLayerTransparentAt(const Renderer& renderer, int x, int y);

}  // namespace isora
