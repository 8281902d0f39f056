#include "ui/picture_path.h"

#include <array>

namespace isora {

int PackIndexForFolder(std::string_view folder) {
  static constexpr std::array<std::string_view, 6> kFolders = {"role",  "ui",    "face",
                                                               "items", "skill", "tiles"};
  for (size_t i = 0; i < kFolders.size(); ++i) {
    if (folder == kFolders[i]) return static_cast<int>(i);
  }
  return -1;
}

std::optional<PicturePath> SplitPicturePath(std::string_view path) {
  size_t sep = path.find('/');
  if (sep == std::string_view::npos) sep = path.find('\\');
  if (sep == std::string_view::npos) return std::nullopt;
  int pack = PackIndexForFolder(path.substr(0, sep));
  if (pack < 0) return std::nullopt;
  return PicturePath{pack, std::string(path.substr(sep + 1))};
}

}  // namespace isora

#include "media/renderer.h"

namespace isora {

std::optional<PicturePath> ResolvePicture(const Renderer& renderer, std::string_view path) {
  if (IsNullPicture(path)) return std::nullopt;
  auto p = SplitPicturePath(path);
  if (!p || renderer.PackPath(p->pack).empty()) return std::nullopt;
  return p;
}

Size PictureSize(Renderer& renderer, std::string_view path) {
  auto p = ResolvePicture(renderer, path);
  if (!p) return {};
  return renderer.GetPictureSize(p->pack, p->name);
}

bool DrawPicturePath(Renderer& renderer, std::string_view path, int surface, int x, int y) {
  auto p = ResolvePicture(renderer, path);
  if (!p) return false;
  return renderer.DrawPicture(p->pack, p->name, surface, x, y);
}

}  // namespace isora
