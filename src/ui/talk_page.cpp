#include "ui/talk_page.h"

#include "foundation/gbk.h"
#include "media/device_context.h"
#include "media/font.h"
#include "media/renderer.h"
#include "ui/rich_text.h"

namespace isora {

namespace {

constexpr ColorRef kNameOutline = MakeColorRef(255, 255, 0);
constexpr ColorRef kBlack = 0;

}  // namespace

void LightenHalf(Surface& surface, const Rect& rect) {
  Rect r = rect.Intersect(surface.Bounds());
  if (r.Empty()) return;
  surface.MarkInk(r);
  const bool is565 = surface.Format() == PixelFormat::Rgb565;
  const unsigned gMax = is565 ? 63 : 31;
  const unsigned rShift = is565 ? 11 : 10;
  const unsigned gMask = is565 ? 0x3F : 0x1F;
  for (int yy = r.top; yy < r.bottom; ++yy) {
    uint16_t* row = surface.Row(yy);
    for (int xx = r.left; xx < r.right; ++xx) {
      unsigned p = row[xx];
      unsigned red = (((p >> rShift) & 0x1F) + 31) / 2;
      unsigned green = (((p >> 5) & gMask) + gMax) / 2;
      unsigned blue = ((p & 0x1F) + 31) / 2;
      row[xx] = static_cast<uint16_t>((red << rShift) | (green << 5) | blue);
    }
  }
}

std::string TalkPage::WorkingText(const std::string& text) {
  size_t n = 0;
  while (n < text.size() && n < kTalkTextMax) {
    size_t step = IsGbkLead(static_cast<unsigned char>(text[n])) ? 2 : 1;
    if (n + step > kTalkTextMax) break;
    n += step;
  }
  return RewriteTalkEscapes(std::string_view(text).substr(0, std::min(n, text.size())));
}

void TalkPage::Draw(Renderer& renderer, const std::shared_ptr<Font>& font, int cameraX, int cameraY,
                    const std::string& speaker, const std::string& text, const std::string& face) {
  std::string work = WorkingText(text);
  Surface* temp = renderer.GetSurface(kSurfaceTemp);
  if (!temp) return;
  Rect view{cameraX, cameraY, cameraX + 640, cameraY + 480};
  if (const Surface* ground = renderer.GetSurface(kSurfaceGround)) {
    temp->BltFast(0, 0, *ground, view, kBltNoColorKey);
  }
  for (int layer : {kSurfaceLayer3, kSurfaceLayer4}) {
    if (const Surface* s = renderer.GetSurface(layer))
      temp->BltFast(0, 0, *s, renderer.OnSurface(layer, view), kBltSrcColorKey);
  }
  LightenHalf(*temp, kTalkBand);
  if (face != "NULL") renderer.DrawPicture(kPackFace, face, kSurfaceTemp, 20, 175);

  DeviceContext dc(*temp);
  if (font) dc.SelectFont(font);
  dc.SetBkMode(kBkTransparent);
  dc.SetTextAlign(kTaLeft | kTaTop);
  dc.SetTextColor(kNameOutline);
  dc.TextOut(21, 260, speaker);
  dc.TextOut(19, 260, speaker);
  dc.TextOut(20, 259, speaker);
  dc.TextOut(20, 261, speaker);
  dc.SetTextColor(kBlack);
  dc.TextOut(20, 260, speaker);

  dc.SetTextCharacterExtra(1);
  TextMetrics tm = dc.GetTextMetrics();
  int lineHeight = tm.tmHeight + tm.tmExternalLeading;
  RichLayout layout = LayoutRichText({work}, RichTextRules{kTalkLineBytes, kBlack, true});
  int penLine = -1;
  int penX = kTalkTextX;
  for (const RichPiece& piece : layout.pieces) {
    if (piece.line != penLine) {
      penLine = piece.line;
      penX = kTalkTextX;
    }
    dc.SetTextColor(piece.color);
    dc.TextOut(penX, kTalkTextY + piece.line * lineHeight, piece.text);
    penX += dc.GetTextExtent(piece.text).cx;
  }
}

}  // namespace isora
