// The per-pixel effects: brighten, grey, darken and the half blend toward black or white.
#include <algorithm>
#include <cstring>

#include "media/renderer.h"

namespace isora {

namespace {

// Channel layout of a format: shifts and the green channel's maximum.
struct Layout {
  int rShift, gMax;
  explicit Layout(PixelFormat f)
      : rShift(f == PixelFormat::Rgb565 ? 11 : 10), gMax(f == PixelFormat::Rgb565 ? 63 : 31) {}
};

using Vec8 = uint16_t __attribute__((vector_size(16)));

// Applies a kernel to every pixel of the rectangle, eight pixels at a time where it can; the
// kernels are written once for a single pixel and for a vector of eight.
template <typename Fn>
void ForEachPixel(Surface& s, const Rect& r, Fn&& fn) {
  s.MarkInk(r);
  const int n = r.Width();
  for (int y = r.top; y < r.bottom; ++y) {
    uint16_t* row = s.Row(y) + r.left;
    int x = 0;
    for (; x + 8 <= n; x += 8) {
      Vec8 v;
      std::memcpy(&v, row + x, sizeof v);
      v = fn(v);
      std::memcpy(row + x, &v, sizeof v);
    }
    for (; x < n; ++x) row[x] = static_cast<uint16_t>(fn(row[x]));
  }
}

}  // namespace

// Effects designed to work on a copy in a scratch corner (copy there, change, copy back) are
// done in place: the result is the same, and the corner is only given back transparent as the
// design leaves it. The scratch's size still bounds the rectangle.
namespace {
template <typename Fn>
void InPlace(Renderer& r, int surface, const Rect& rect, Size scratch, bool layer3Scratch,
             Fn&& fn) {
  Surface* s = r.GetSurface(surface);
  if (!s) return;
  Rect area = r.OnSurface(surface, rect).Intersect(s->Bounds());
  area.right = std::min(area.right, area.left + scratch.cx);
  area.bottom = std::min(area.bottom, area.top + scratch.cy);
  if (area.Empty()) return;
  ForEachPixel(*s, area, fn);
  if (layer3Scratch) r.ReleaseScratch(Rect{0, 0, area.Width(), area.Height()});
}
constexpr Size kObjectScratch{2048, 1600};
constexpr Size kLayerScratch{kWorldWidth, kWorldHeight};
}  // namespace

// Pixel kernels with the layout fixed at compile time. T is one pixel (uint16_t) or a vector
// of eight; the arithmetic stays within 16 bits either way.
template <bool k565>
struct Px {
  static constexpr int rShift = k565 ? 11 : 10;
  static constexpr int gMax = k565 ? 63 : 31;

  template <typename T>
  static T Brighten(T p, uint16_t key) {
    T r = (p >> rShift) & 0x1F, g = (p >> 5) & gMax, b = p & 0x1F;
    // r ≥ 24 gives 31 and r + 7 otherwise: the same as capping r + 7 at 31.
    r = r + 7;
    b = b + 7;
    g = g + (k565 ? 14 : 7);
    r = r > 31 ? T{} + 31 : r;
    b = b > 31 ? T{} + 31 : b;
    g = g > gMax ? T{} + gMax : g;
    T out = (r << rShift) | (g << 5) | b;
    return p == key ? p : out;
  }

  template <typename T>
  static T Grey(T p, uint16_t key) {
    T r = (p >> rShift) & 0x1F, g = (p >> 5) & gMax, b = p & 0x1F;
    T sum = b + 3 * r + 6 * (k565 ? T(g >> 1) : g);  // at most 310
    T v = (sum * 205) >> 11;                         // exactly sum / 10 for sums up to 310
    T grey = v * (k565 ? 0x0841 : 0x0421);
    return p == key ? p : grey;
  }

  template <typename T>
  static T Darken(T p, uint16_t key, uint16_t a) {
    T r = (p >> rShift) & 0x1F, g = (p >> 5) & gMax, b = p & 0x1F;
    const uint16_t ga = k565 ? 2 * a : a;
    r = r > a ? T(r - a) : T{};
    g = g > ga ? T(g - ga) : T{};
    b = b > a ? T(b - a) : T{};
    T out = (r << rShift) | (g << 5) | b;
    return p == key ? p : out;
  }

  // Each channel times keep / 31, rounded to nearest; products stay below 2048, so 16 bits hold
  // them and no channel carries into its neighbour.
  template <typename T>
  static T Scale(T p, uint16_t keep) {
    T r = (p >> rShift) & 0x1F, g = (p >> 5) & gMax, b = p & 0x1F;
    r = (r * keep + 15) / 31;
    g = (g * keep + 15) / 31;
    b = (b * keep + 15) / 31;
    return (r << rShift) | (g << 5) | b;
  }
};

void Renderer::Brighten(int surface, const Rect& rect) {
  const uint16_t key = ColorKey();
  if (format_ == PixelFormat::Rgb565)
    InPlace(*this, surface, rect, kObjectScratch, false,
            [key](auto p) { return Px<true>::Brighten(p, key); });
  else
    InPlace(*this, surface, rect, kObjectScratch, false,
            [key](auto p) { return Px<false>::Brighten(p, key); });
}

void Renderer::BrightenPixels(Surface& s, const Rect& rect) const {
  const Rect area = rect.Intersect(s.Bounds());
  if (area.Empty()) return;
  const uint16_t key = ColorKey();
  if (format_ == PixelFormat::Rgb565)
    ForEachPixel(s, area, [key](auto p) { return Px<true>::Brighten(p, key); });
  else
    ForEachPixel(s, area, [key](auto p) { return Px<false>::Brighten(p, key); });
}

void Renderer::Grey(int surface, const Rect& rect) {
  const uint16_t key = ColorKey();
  if (format_ == PixelFormat::Rgb565)
    InPlace(*this, surface, rect, kLayerScratch, true,
            [key](auto p) { return Px<true>::Grey(p, key); });
  else
    InPlace(*this, surface, rect, kLayerScratch, true,
            [key](auto p) { return Px<false>::Grey(p, key); });
}

void Renderer::Darken(int surface, const Rect& rect, int amount) {
  const uint16_t a = static_cast<uint16_t>(std::clamp(amount, 0, 31));
  const uint16_t key = ColorKey();
  if (format_ == PixelFormat::Rgb565)
    InPlace(*this, surface, rect, kLayerScratch, true,
            [key, a](auto p) { return Px<true>::Darken(p, key, a); });
  else
    InPlace(*this, surface, rect, kLayerScratch, true,
            [key, a](auto p) { return Px<false>::Darken(p, key, a); });
}

void Renderer::FadeTowardBlack(int surface, const Rect& rect, int level) {
  if (level <= 0) return;
  Surface* s = GetSurface(surface);
  if (!s) return;
  const Rect area = OnSurface(surface, rect).Intersect(s->Bounds());
  if (area.Empty()) return;
  const uint16_t keep = static_cast<uint16_t>(31 - std::min(level, 31));
  if (format_ == PixelFormat::Rgb565)
    ForEachPixel(*s, area, [keep](auto p) { return Px<true>::Scale(p, keep); });
  else
    ForEachPixel(*s, area, [keep](auto p) { return Px<false>::Scale(p, keep); });
}

void Renderer::Blend50(int surface, const Rect& rect, bool towardBlack) {
  Surface* s = GetSurface(surface);
  if (!s) return;
  const Rect area = OnSurface(surface, rect).Intersect(s->Bounds());
  if (area.Empty()) return;
  const Layout l(format_);
  // Every channel at once: clearing each channel's low bit and shifting halves them all.
  // Toward white, (c + max) / 2 with max = 31 or 63 is c / 2 + max / 2 + (c & 1), which never
  // carries into the next channel.
  const uint16_t lowBits = static_cast<uint16_t>((1 << l.rShift) | (1 << 5) | 1);
  const uint16_t halfMax = static_cast<uint16_t>((15 << l.rShift) | ((l.gMax / 2) << 5) | 15);
  const uint16_t notLow = static_cast<uint16_t>(~lowBits);
  if (towardBlack) {
    ForEachPixel(*s, area, [&](auto p) { return decltype(p)((p & notLow) >> 1); });
  } else {
    ForEachPixel(*s, area, [&](auto p) {
      return decltype(p)(((p & notLow) >> 1) + halfMax + (p & lowBits));
    });
  }
}

}  // namespace isora
