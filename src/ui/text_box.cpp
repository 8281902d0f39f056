#include "ui/text_box.h"

#include "media/device_context.h"
#include "media/font.h"
#include "media/renderer.h"

namespace isora {

TextBox::TextBox(int x_, int y_, int maxLines_, int lineChars_, bool centred_, ColorRef color_,
                 std::shared_ptr<Font> font_)
    : color(color_),
      font(font_ ? std::move(font_) : Font::Create("Segoe UI", 20, 400)),
      x(x_),
      y(y_),
      maxLines(maxLines_),
      lineChars(lineChars_),
      centred(centred_) {}

void TextBox::SetParagraphs(std::vector<std::string> text) {
  paragraphs = std::move(text);
  firstLine = 0;
  complete = false;
}

RichLayout TextBox::Layout() const {
  RichTextRules rules{lineChars, color, false};
  return LayoutRichText(paragraphs, rules, firstLine, maxLines);
}

void TextBox::Draw(Renderer& renderer) {
  for (std::string& p : paragraphs) {
    if (p.find("\\d") != std::string::npos) p = RewriteCommaEscapes(p);
  }
  RichLayout layout = Layout();
  if (layout.complete) complete = true;
  Surface* back = renderer.GetSurface(kSurfaceBackBuffer);
  if (!back) return;
  DeviceContext dc(*back);
  dc.SelectFont(font);
  if (charAdvance == 0 && lineHeight == 0) {
    TextMetrics tm = dc.GetTextMetrics();
    charAdvance = tm.tmAveCharWidth + 1;
    lineHeight = tm.tmHeight + tm.tmExternalLeading;
  }
  dc.SetTextAlign((centred ? kTaCenter : kTaLeft) | kTaTop);
  dc.SetBkMode(kBkTransparent);
  int penLine = -1;
  int penX = x;
  for (const RichPiece& piece : layout.pieces) {
    if (piece.line != penLine) {
      penLine = piece.line;
      penX = x;
    }
    dc.SetTextColor(piece.color);
    dc.TextOut(penX, y + piece.line * lineHeight, piece.text);
    penX += dc.GetTextExtent(piece.text).cx;
  }
}

}  // namespace isora
