// Where roles and skill effects are drawn: the picture cache and the world layers. The game
// draws through the renderer (RendererRoleGraphics); tests record the calls.
#pragma once

#include <memory>
#include <string>

#include "media/surface.h"
#include "roles/role_animation.h"

namespace isora {

// World layers roles draw on.
constexpr int kGroundLayer = 2;  // tiles, ground pieces of objects, bodies of the dead
constexpr int kRoleLayer = 3;    // roles and skill effects, cleared around the view every frame

class RoleGraphics {
 public:
  virtual ~RoleGraphics() = default;
  // Loads a picture of an image pack into the cache; keep selects the persistent cache.
  virtual void Preload(int pack, const std::string& name, bool keep) = 0;
  // Preloads every frame picture of an animation; the same as Preload of each frame's image,
  // which an implementation may skip when it knows they are all cached already.
  virtual void PreloadAnimation(int pack, const std::shared_ptr<const RoleAnimation>& animation,
                                bool keep) {
    for (const RoleFrame& f : animation->frames) Preload(pack, f.image, keep);
  }
  // Draws a picture with its top-left at (x, y) of a world layer, magenta transparent, its
  // non-key pixels brightened first when asked. False when the picture cannot be fetched.
  virtual bool DrawPicture(int pack, const std::string& name, bool keep, int layer, int x, int y,
                           bool brighten) = 0;
  // Draws frame `frame` (an index into its frame table) of an animation as DrawPicture draws the
  // frame's picture. An implementation may remember where each frame's picture lies, as long as
  // the pixels drawn stay those DrawPicture draws.
  virtual bool DrawFrame(int pack, const std::shared_ptr<const RoleAnimation>& animation, int frame,
                         bool keep, int layer, int x, int y, bool brighten) {
    return DrawPicture(pack, animation->frames[static_cast<size_t>(frame)].image, keep, layer, x, y,
                       brighten);
  }
  // A picture's width and height; {0, 0} when it cannot be fetched.
  virtual Size PictureSize(int pack, const std::string& name) = 0;
};

// The highlight look of one 5-6-5 pixel: red + 7 (31 from 24 up), green + 14 (at most 63),
// blue + 7 (31 from 24 up). The key colour is never changed.
constexpr uint16_t BrightenPixel565(uint16_t p) {
  if (p == kColorKey565) return p;
  unsigned r = p >> 11, g = (p >> 5) & 0x3F, b = p & 0x1F;
  r = p < 0xC000 ? r + 7 : 31;
  g = g + 14 > 63 ? 63 : g + 14;
  b = b < 24 ? b + 7 : 31;
  return static_cast<uint16_t>(r << 11 | g << 5 | b);
}

// The same look in 5-5-5, where green has red's and blue's five bits.
constexpr uint16_t BrightenPixel555(uint16_t p) {
  if (p == kColorKey555) return p;
  unsigned r = (p >> 10) & 0x1F, g = (p >> 5) & 0x1F, b = p & 0x1F;
  r = r < 24 ? r + 7 : 31;
  g = g < 24 ? g + 7 : 31;
  b = b < 24 ? b + 7 : 31;
  return static_cast<uint16_t>(r << 10 | g << 5 | b);
}

}  // namespace isora
