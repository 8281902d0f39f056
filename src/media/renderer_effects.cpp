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

// Pixel kernels with the layout fixed at compile time, so the row loops vectorise.
template <bool k565>
struct Px {
  static constexpr int rShift = k565 ? 11 : 10;
  static constexpr int gMax = k565 ? 63 : 31;
  static int R(uint16_t p) { return (p >> rShift) & 0x1F; }
  static int G(uint16_t p) { return (p >> 5) & gMax; }
  static int B(uint16_t p) { return p & 0x1F; }
  static uint16_t Make(int r, int g, int b) {
    return static_cast<uint16_t>((r << rShift) | (g << 5) | b);
  }
  static uint16_t Brighten(uint16_t p, uint16_t key) {
    int r = R(p), g = G(p), b = B(p);
    r = r >= 24 ? 31 : r + 7;
    b = b >= 24 ? 31 : b + 7;
    g = k565 ? (g + 14 > 63 ? 63 : g + 14) : (g >= 24 ? 31 : g + 7);
    return p == key ? p : Make(r, g, b);
  }
  static uint16_t Grey(uint16_t p, uint16_t key) {
    int v = k565 ? (B(p) + 3 * R(p) + 6 * (G(p) / 2)) / 10 : (B(p) + 3 * R(p) + 6 * G(p)) / 10;
    uint16_t grey = static_cast<uint16_t>(v * (k565 ? 0x0841 : 0x0421));
    return p == key ? p : grey;
  }
  static uint16_t Darken(uint16_t p, uint16_t key, int a) {
    int r = R(p) - a, g = G(p) - (k565 ? 2 * a : a), b = B(p) - a;
    r = r < 0 ? 0 : r;
    g = g < 0 ? 0 : g;
    b = b < 0 ? 0 : b;
    return p == key ? p : Make(r, g, b);
  }
};

void Renderer::Brighten(int surface, const Rect& rect) {
  const uint16_t key = ColorKey();
  if (format_ == PixelFormat::Rgb565)
    ThroughScratch(*this, surface, rect, kSurfaceObjects,
                   [key](uint16_t p) { return Px<true>::Brighten(p, key); });
  else
    ThroughScratch(*this, surface, rect, kSurfaceObjects,
                   [key](uint16_t p) { return Px<false>::Brighten(p, key); });
}

void Renderer::Grey(int surface, const Rect& rect) {
  const uint16_t key = ColorKey();
  if (format_ == PixelFormat::Rgb565)
    ThroughScratch(*this, surface, rect, kSurfaceLayer3,
                   [key](uint16_t p) { return Px<true>::Grey(p, key); });
  else
    ThroughScratch(*this, surface, rect, kSurfaceLayer3,
                   [key](uint16_t p) { return Px<false>::Grey(p, key); });
}

void Renderer::Darken(int surface, const Rect& rect, int amount) {
  const int a = std::clamp(amount, 0, 31);
  const uint16_t key = ColorKey();
  if (format_ == PixelFormat::Rgb565)
    ThroughScratch(*this, surface, rect, kSurfaceLayer3,
                   [key, a](uint16_t p) { return Px<true>::Darken(p, key, a); });
  else
    ThroughScratch(*this, surface, rect, kSurfaceLayer3,
                   [key, a](uint16_t p) { return Px<false>::Darken(p, key, a); });
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
