// The popup that describes an item or skill under the mouse: a darkened box kept inside the
// screen with centred rich text, white by default. Drawn from scratch each frame.
#pragma once

#include <memory>
#include <string>

#include "media/surface.h"

namespace isora {

class Font;
class Renderer;

constexpr ColorRef kHintTextColor = MakeColorRef(255, 255, 255);

struct HintPlacement {
  Rect box;   // the darkened rectangle
  int textX;  // the centre of the text
  int textY;  // the top of the first line
  int lineHeight;
};

// Where a hint for the mouse at (x, y) goes: textWidth is the width of 23 letters "a" in the
// font, lineHeight its height plus external leading, lines the caller's expected line count.
HintPlacement PlaceHint(int x, int y, int textWidth, int lineHeight, int lines);

class HintBox {
 public:
  // Draws on the back buffer in the owner's font.
  static void Draw(Renderer& renderer, const std::shared_ptr<Font>& font, int x, int y,
                   const std::string& text, int lineChars, int lines);
};

// A single white line in a darkened box next to the cursor (bar values, button names): the box
// is (length + 4) average character widths wide and kept above y 480 and left of x 640.
void DrawLineTip(Renderer& renderer, const std::shared_ptr<Font>& font, int x, int y,
                 const std::string& text);
// The box DrawLineTip uses.
Rect PlaceLineTip(int x, int y, int textBytes, int aveCharWidth, int height);

}  // namespace isora
