#include "shell/see_through.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace isora {

namespace {

// Half of each channel, the top bit of the channel below masked off so nothing carries over.
constexpr uint16_t kHalfMask565 = 0xF7DE;
constexpr uint16_t kHalfMask555 = 0x7BDE;

// One row of an area no earlier area overlaps, eight pixels at a time: where both the role and
// the object hold a colour, the view takes half of itself and half of the role.
void MixRow(uint16_t* out, const uint16_t* role, const uint16_t* object, int n, uint16_t key,
            uint16_t half) {
  using V = uint16_t __attribute__((vector_size(16)));
  const V k = V{} + key, h = V{} + half;
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    V o, c, d;
    std::memcpy(&o, object + i, sizeof o);
    std::memcpy(&c, role + i, sizeof c);
    std::memcpy(&d, out + i, sizeof d);
    const V skip = reinterpret_cast<V>((o == k) | (c == k));
    const V mixed = ((d & h) >> 1) + ((c & h) >> 1);
    d = (d & skip) | (mixed & ~skip);
    std::memcpy(out + i, &d, sizeof d);
  }
  for (; i < n; ++i)
    if (object[i] != key && role[i] != key)
      out[i] = static_cast<uint16_t>(((out[i] & half) >> 1) + ((role[i] & half) >> 1));
}

}  // namespace

void DrawSeeThrough(Surface& view, const Surface& roleLayer, const Surface& objectLayer,
                    std::span<const Rect> areas, Point camera, Point roleOrigin) {
  const bool is565 = view.Format() == PixelFormat::Rgb565;
  const uint16_t key = is565 ? kColorKey565 : kColorKey555;
  const uint16_t half = is565 ? kHalfMask565 : kHalfMask555;
  const Rect viewOnMap{camera.x, camera.y, camera.x + view.Width(), camera.y + view.Height()};
  const Rect roles{roleOrigin.x, roleOrigin.y, roleOrigin.x + roleLayer.Width(),
                   roleOrigin.y + roleLayer.Height()};
  const Rect layers = roles.Intersect(Rect{0, 0, objectLayer.Width(), objectLayer.Height()});
  std::vector<Rect> done;
  for (const Rect& area : areas) {
    const Rect r = area.Intersect(viewOnMap).Intersect(layers);
    if (r.Empty()) continue;
    // Parts already mixed by an earlier area are skipped; most areas overlap none.
    view.MarkInk(
        Rect{r.left - camera.x, r.top - camera.y, r.right - camera.x, r.bottom - camera.y});
    std::vector<Rect> before;
    for (const Rect& d : done)
      if (!d.Intersect(r).Empty()) before.push_back(d);
    for (int y = r.top; y < r.bottom; ++y) {
      const uint16_t* role = roleLayer.Row(y - roleOrigin.y);
      const uint16_t* object = objectLayer.Row(y);
      uint16_t* out = view.Row(y - camera.y) + (r.left - camera.x);
      if (before.empty()) {
        MixRow(out, role + (r.left - roleOrigin.x), object + r.left, r.Width(), key, half);
        continue;
      }
      for (int x = r.left; x < r.right; ++x, ++out) {
        const uint16_t c = role[x - roleOrigin.x];
        if (object[x] == key || c == key) continue;
        bool mixed = false;
        for (const Rect& d : before) mixed = mixed || d.Contains(x, y);
        if (!mixed) *out = static_cast<uint16_t>(((*out & half) >> 1) + ((c & half) >> 1));
      }
    }
    done.push_back(r);
  }
}

}  // namespace isora
