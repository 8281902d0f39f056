// The drawing the game does straight on the renderer's surfaces.
#include "shell/screen_drawing.h"

namespace isora {

void DrawOutlined(Renderer& renderer, const std::string& text, int x, int y, int surface,
                  const std::array<Point, 4>& outline, ColorRef outlineColor, ColorRef color) {
  renderer.DrawTextOutlined(text, x, y, surface, kTaCenter, outline, outlineColor, color);
}

void CopyGroundToBackBuffer(Renderer& renderer) {
  Surface* back = renderer.GetSurface(kSurfaceBackBuffer);
  const Surface* ground = renderer.GetSurface(kSurfaceGround);
  if (back && ground) back->BltFast(0, 0, *ground, kScreenRect, kBltNoColorKey);
}

bool SplitPicturePath(const std::string& path, int* pack, std::string* member) {
  size_t sep = path.find('/');
  if (sep == std::string::npos) sep = path.find('\\');
  if (sep == std::string::npos) return false;
  static const char* kPacks[kPackCount] = {"role", "ui", "face", "items", "skill", "tiles"};
  std::string word = path.substr(0, sep);
  for (int i = 0; i < kPackCount; ++i) {
    if (word == kPacks[i]) {
      *pack = i;
      *member = path.substr(sep + 1);
      return true;
    }
  }
  return false;
}

bool DrawPicturePath(Renderer& renderer, const std::string& path, int surface, int x, int y) {
  int pack = 0;
  std::string member;
  if (!SplitPicturePath(path, &pack, &member)) return false;
  return renderer.DrawPictureTo(pack, member, surface, x, y, false);
}

bool ObjectLayerTransparentAt(const Renderer& renderer, int x, int y) {
  const Surface* layer3 = renderer.GetSurface(kSurfaceLayer3);
  if (!layer3) return true;
  // Off the map nothing is drawn (and nothing is transparent either: the layer's edge is not
  // the key); on the map the layer covers every point of the view.
  if (!Rect{0, 0, kWorldWidth, kWorldHeight}.Contains(x, y)) return false;
  const Point o = renderer.SurfaceOrigin(kSurfaceLayer3);
  if (!layer3->Bounds().Contains(x - o.x, y - o.y)) return true;
  return layer3->At(x - o.x, y - o.y) == renderer.ColorKey();
}

}  // namespace isora
