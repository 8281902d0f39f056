// The per-pixel effects: brighten, grey, darken and the half blend toward black or white.
#include <algorithm>

#include "media/renderer.h"

namespace isora {

namespace {

// Channel layout of a format: shifts and the green channel's maximum.
struct Layout {
  int rShift, gMax;
  explicit Layout(PixelFormat f)
      : rShift(f == PixelFormat::Rgb565 ? 11 : 10), gMax(f == PixelFormat::Rgb565 ? 63 : 31) {}
};

template <typename Fn>
void ForEachPixel(Surface& s, const Rect& r, Fn&& fn) {
  for (int y = r.top; y < r.bottom; ++y) {
    uint16_t* row = s.Row(y);
    for (int x = r.left; x < r.right; ++x) row[x] = fn(row[x]);
  }
}

}  // namespace

// Effects that work on a copy in a scratch corner: copy there, change, copy back.
namespace {
template <typename Fn>
void ThroughScratch(Renderer& r, int surface, const Rect& rect, int scratchIndex, Fn&& fn) {
  Surface* s = r.GetSurface(surface);
  Surface* scratch = r.GetSurface(scratchIndex);
  if (!s || !scratch) return;
  Rect area = rect.Intersect(s->Bounds());
  area.right = std::min(area.right, area.left + scratch->Width());
  area.bottom = std::min(area.bottom, area.top + scratch->Height());
  if (area.Empty()) return;
  const Rect work{0, 0, area.Width(), area.Height()};
  scratch->BltFast(0, 0, *s, area, kBltNoColorKey);
  ForEachPixel(*scratch, work, fn);
  s->BltFast(area.left, area.top, *scratch, work, kBltNoColorKey);
}
}  // namespace

void Renderer::Brighten(int surface, const Rect& rect) {
  const uint16_t key = ColorKey();
  const Layout l(format_);
  ThroughScratch(*this, surface, rect, kSurfaceObjects, [&](uint16_t p) -> uint16_t {
    if (p == key) return p;
    int r = (p >> l.rShift) & 0x1F, g = (p >> 5) & l.gMax, b = p & 0x1F;
    r = r >= 24 ? 31 : r + 7;
    b = b >= 24 ? 31 : b + 7;
    g = l.gMax == 63 ? std::min(g + 14, 63) : (g >= 24 ? 31 : g + 7);
    return static_cast<uint16_t>((r << l.rShift) | (g << 5) | b);
  });
}

void Renderer::Grey(int surface, const Rect& rect) {
  const uint16_t key = ColorKey();
  const Layout l(format_);
  ThroughScratch(*this, surface, rect, kSurfaceLayer3, [&](uint16_t p) -> uint16_t {
    if (p == key) return p;
    int r = (p >> l.rShift) & 0x1F, g = (p >> 5) & l.gMax, b = p & 0x1F;
    if (l.gMax == 63) {
      int v = (b + 3 * r + 6 * (g / 2)) / 10;
      return static_cast<uint16_t>(v * 0x0841);
    }
    int v = (b + 3 * r + 6 * g) / 10;
    return static_cast<uint16_t>(v * 0x0421);
  });
}

void Renderer::Darken(int surface, const Rect& rect, int amount) {
  const int a = std::clamp(amount, 0, 31);
  const uint16_t key = ColorKey();
  const Layout l(format_);
  const int ga = l.gMax == 63 ? 2 * a : a;
  ThroughScratch(*this, surface, rect, kSurfaceLayer3, [&](uint16_t p) -> uint16_t {
    if (p == key) return p;
    int r = std::max(((p >> l.rShift) & 0x1F) - a, 0);
    int g = std::max(((p >> 5) & l.gMax) - ga, 0);
    int b = std::max((p & 0x1F) - a, 0);
    return static_cast<uint16_t>((r << l.rShift) | (g << 5) | b);
  });
}

void Renderer::Blend50(int surface, const Rect& rect, bool towardBlack) {
  Surface* s = GetSurface(surface);
  if (!s) return;
  const Rect area = rect.Intersect(s->Bounds());
  if (area.Empty()) return;
  const Layout l(format_);
  // Every channel at once: clearing each channel's low bit and shifting halves them all.
  // Toward white, (c + max) / 2 with max = 31 or 63 is c / 2 + max / 2 + (c & 1), which never
  // carries into the next channel.
  const uint16_t lowBits = static_cast<uint16_t>((1 << l.rShift) | (1 << 5) | 1);
  const uint16_t halfMax = static_cast<uint16_t>((15 << l.rShift) | ((l.gMax / 2) << 5) | 15);
  if (towardBlack) {
    ForEachPixel(*s, area, [&](uint16_t p) { return static_cast<uint16_t>((p & ~lowBits) >> 1); });
  } else {
    ForEachPixel(*s, area, [&](uint16_t p) {
      return static_cast<uint16_t>(((p & ~lowBits) >> 1) + halfMax + (p & lowBits));
    });
  }
}

}  // namespace isora
