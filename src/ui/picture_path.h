// Picture paths: a folder word naming one of the six image packs, a separator, and the
// picture's name inside that pack ("ui\back.bmp"). "NULL" means no picture.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace isora {

inline constexpr std::string_view kNullPicture = "NULL";

struct PicturePath {
  int pack = -1;  // 0 role .. 5 tiles
  std::string name;
};

// The pack index of a folder word (exact, case-sensitive), or -1.
int PackIndexForFolder(std::string_view folder);
// Splits at the first '/' (or, when there is none, the first '\'). Nothing for a path without a
// separator or whose folder is none of the six words: such a picture is never found.
std::optional<PicturePath> SplitPicturePath(std::string_view path);
inline bool IsNullPicture(std::string_view name) { return name == kNullPicture; }

}  // namespace isora

namespace isora {

class Renderer;
struct Size;

// A path resolved to a pack the renderer has a file for; nothing for "NULL", an unknown folder
// or a pack left unconfigured (so off-screen previews without packs stay quiet).
std::optional<PicturePath> ResolvePicture(const Renderer& renderer, std::string_view path);
// The picture's size from its pack; {0, 0} for "NULL", an unknown folder or a missing picture.
Size PictureSize(Renderer& renderer, std::string_view path);
// Draws a picture by path with the colour key onto a surface; false when nothing was drawn.
bool DrawPicturePath(Renderer& renderer, std::string_view path, int surface, int x, int y);

}  // namespace isora
