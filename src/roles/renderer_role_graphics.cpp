#include "roles/renderer_role_graphics.h"

#include "media/bmp_reader.h"

namespace isora {

void RendererRoleGraphics::Preload(int pack, const std::string& name, bool keep) {
  renderer_.EnsureLoaded(pack, name, keep);
}

bool RendererRoleGraphics::DrawPicture(int pack, const std::string& name, bool keep, int layer,
                                       int x, int y, bool brighten) {
  const std::vector<uint8_t>* bytes = renderer_.PictureBytes(pack, name, keep);
  Surface* dst = renderer_.GetSurface(layer);
  if (!bytes || !dst) return false;
  if (!DecodeBmp(*bytes, renderer_.Format(), &scratch_)) return false;
  const uint16_t key = renderer_.ColorKey();
  if (brighten) {
    const bool is565 = renderer_.Format() == PixelFormat::Rgb565;
    for (int row = 0; row < scratch_.Height(); ++row) {
      uint16_t* p = scratch_.Row(row);
      for (int col = 0; col < scratch_.Width(); ++col)
        p[col] = is565 ? BrightenPixel565(p[col]) : BrightenPixel555(p[col]);
    }
  }
  scratch_.SetColorKey(key);
  dst->BltFast(x, y, scratch_, scratch_.Bounds(), kBltSrcColorKey);
  return true;
}

Size RendererRoleGraphics::PictureSize(int pack, const std::string& name) {
  return renderer_.GetPictureSize(pack, name);
}

}  // namespace isora
