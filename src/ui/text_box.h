// A scrolling box of rich-text paragraphs drawn on the back buffer, wrapping by byte count and
// scrolling by whole lines; optionally centred.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "media/surface.h"
#include "ui/rich_text.h"

namespace isora {

class Font;
class Renderer;

class TextBox {
 public:
  // Panels give "Segoe UI" of height 20 and black.
  TextBox(int x, int y, int maxLines, int lineChars, bool centred, ColorRef color = 0,
          std::shared_ptr<Font> font = nullptr);

  // Replaces the text; scrolling starts again at the top.
  void SetParagraphs(std::vector<std::string> text);
  // Draws on the back buffer; sets complete when the last paragraph ended within the shown
  // lines. Text beyond maxLines is not drawn.
  void Draw(Renderer& renderer);
  // The layout a draw would make now (no drawing).
  RichLayout Layout() const;

  int charAdvance = 0;  // from the font at the first draw
  int lineHeight = 0;
  ColorRef color = 0;
  std::shared_ptr<Font> font;
  std::vector<std::string> paragraphs;
  int x = 0, y = 0;
  int maxLines = 0;
  int lineChars = 0;
  int firstLine = 0;
  bool centred = false;
  bool complete = false;
};

}  // namespace isora
