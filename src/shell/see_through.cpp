#include "shell/see_through.h"

#include <algorithm>
#include <vector>

namespace isora {

namespace {

// Half of each channel, the top bit of the channel below masked off so nothing carries over.
constexpr uint16_t kHalfMask565 = 0xF7DE;
constexpr uint16_t kHalfMask555 = 0x7BDE;

}  // namespace

void DrawSeeThrough(Surface& view, const Surface& roleLayer, const Surface& objectLayer,
                    std::span<const Rect> areas, Point camera) {
  const bool is565 = view.Format() == PixelFormat::Rgb565;
  const uint16_t key = is565 ? kColorKey565 : kColorKey555;
  const uint16_t half = is565 ? kHalfMask565 : kHalfMask555;
  const Rect viewOnMap{camera.x, camera.y, camera.x + view.Width(), camera.y + view.Height()};
  const Rect layers{0, 0, std::min(roleLayer.Width(), objectLayer.Width()),
                    std::min(roleLayer.Height(), objectLayer.Height())};
  std::vector<Rect> done;
  for (const Rect& area : areas) {
    const Rect r = area.Intersect(viewOnMap).Intersect(layers);
    if (r.Empty()) continue;
    for (int y = r.top; y < r.bottom; ++y) {
      const uint16_t* role = roleLayer.Row(y);
      const uint16_t* object = objectLayer.Row(y);
      uint16_t* out = view.Row(y - camera.y);
      for (int x = r.left; x < r.right; ++x) {
        if (object[x] == key || role[x] == key) continue;
        bool mixed = false;
        for (const Rect& d : done) mixed = mixed || d.Contains(x, y);
        if (mixed) continue;
        uint16_t& p = out[x - camera.x];
        p = static_cast<uint16_t>(((p & half) >> 1) + ((role[x] & half) >> 1));
      }
    }
    done.push_back(r);
  }
}

}  // namespace isora
