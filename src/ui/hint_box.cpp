#include "ui/hint_box.h"

#include "media/device_context.h"
#include "media/font.h"
#include "media/renderer.h"
#include "ui/rich_text.h"

namespace isora {

HintPlacement PlaceHint(int x, int y, int w, int h, int lines) {
  int left;
  if (x > 3 && x + w + 3 < 640) {
    left = x;
  } else if (x > 3) {
    left = 635 - w;
  } else {
    left = 4;
  }
  int top = y;
  if (lines * h + y + 4 > 480) top = 473 - lines * h;
  HintPlacement p;
  p.box = Rect{left - 3, top, left + w + 3, top + lines * h + 4};
  p.textX = left + w / 2 + 2;
  p.textY = top + 2;
  p.lineHeight = h;
  return p;
}

void HintBox::Draw(Renderer& renderer, const std::shared_ptr<Font>& font, int x, int y,
                   const std::string& text, int lineChars, int lines) {
  Surface* back = renderer.GetSurface(kSurfaceBackBuffer);
  if (!back) return;
  DeviceContext dc(*back);
  if (font) dc.SelectFont(font);
  TextMetrics tm = dc.GetTextMetrics();
  int w = dc.GetTextExtent(std::string(23, 'a')).cx;
  HintPlacement place = PlaceHint(x, y, w, tm.tmHeight + tm.tmExternalLeading, lines);
  renderer.Blend50(kSurfaceBackBuffer, place.box, true);

  dc.SetTextAlign(kTaCenter | kTaTop);
  dc.SetBkMode(kBkTransparent);
  RichLayout layout = LayoutRichText({text}, RichTextRules{lineChars, kHintTextColor, false});
  int penLine = -1;
  int penX = place.textX;
  for (const RichPiece& piece : layout.pieces) {
    if (piece.line != penLine) {
      penLine = piece.line;
      penX = place.textX;
    }
    dc.SetTextColor(piece.color);
    dc.TextOut(penX, place.textY + piece.line * place.lineHeight, piece.text);
    penX += dc.GetTextExtent(piece.text).cx;
  }
}

Rect PlaceLineTip(int x, int y, int textBytes, int aveCharWidth, int height) {
  int w = (textBytes + 4) * aveCharWidth;
  int h = height + 4;
  int left = x, top = y;
  if (left + w > 639) left = 635 - w;
  if (top + h > 480) top = 475 - h;
  return Rect{left, top, left + w, top + h};
}

void DrawLineTip(Renderer& renderer, const std::shared_ptr<Font>& font, int x, int y,
                 const std::string& text) {
  Surface* back = renderer.GetSurface(kSurfaceBackBuffer);
  if (!back) return;
  DeviceContext dc(*back);
  if (font) dc.SelectFont(font);
  TextMetrics tm = dc.GetTextMetrics();
  Rect box = PlaceLineTip(x, y, static_cast<int>(text.size()), tm.tmAveCharWidth, tm.tmHeight);
  renderer.Blend50(kSurfaceBackBuffer, box, true);
  dc.SetTextAlign(kTaCenter | kTaTop);
  dc.SetBkMode(kBkTransparent);
  dc.SetTextColor(kHintTextColor);
  dc.TextOut((box.left + box.right) / 2, box.top + 2, text);
}

}  // namespace isora
