#include "media/surface.h"

#include <algorithm>
#include <cstring>

namespace isora {

namespace {
using Vec8 = uint16_t __attribute__((vector_size(16)));
}

Rect Rect::Intersect(const Rect& o) const {
  Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
         std::min(bottom, o.bottom)};
  if (r.Empty()) return Rect{};
  return r;
}

Surface::Surface(int width, int height, PixelFormat format)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), format_(format) {
  pitch_ = (width_ + 15) & ~15;
  pixels_.assign(static_cast<size_t>(pitch_) * height_, 0);
}

void Surface::Release() {
  pixels_.clear();
  pixels_.shrink_to_fit();
  width_ = height_ = pitch_ = 0;
}

void CopyRow(uint16_t* dst, const uint16_t* src, int n) {
  std::memmove(dst, src, static_cast<size_t>(n) * sizeof(uint16_t));
}

// Eight pixels at a time: a compare gives the key mask, and a select keeps the destination
// under it, so there is no branch per pixel.
void CopyRowKeyed(uint16_t* dst, const uint16_t* src, int n, uint16_t key) {
  const Vec8 k = Vec8{} + key;
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    Vec8 s, d;
    std::memcpy(&s, src + i, sizeof s);
    Vec8 m = reinterpret_cast<Vec8>(s == k);
    // World layers are mostly key: eight transparent pixels leave the destination untouched.
    uint64_t halves[2];
    std::memcpy(halves, &m, sizeof halves);
    if ((halves[0] & halves[1]) == ~uint64_t{0}) continue;
    std::memcpy(&d, dst + i, sizeof d);
    d = (d & m) | (s & ~m);
    std::memcpy(dst + i, &d, sizeof d);
  }
  for (; i < n; ++i)
    if (src[i] != key) dst[i] = src[i];
}

bool Surface::BltFast(int x, int y, const Surface& src, const Rect& srcRect, uint32_t flags) {
  Rect s = srcRect.Intersect(src.Bounds());
  if (s.Empty()) return false;
  // Source clipping moves the destination by the same amount.
  int dx = x + (s.left - srcRect.left);
  int dy = y + (s.top - srcRect.top);
  Rect d = Rect{dx, dy, dx + s.Width(), dy + s.Height()}.Intersect(Bounds());
  if (d.Empty()) return false;
  s.left += d.left - dx;
  s.top += d.top - dy;
  const int w = d.Width(), h = d.Height();
  const bool keyed = (flags & kBltSrcColorKey) && src.hasKey_;

  std::vector<uint16_t> temp;
  const uint16_t* srcBase = src.Row(s.top) + s.left;
  int srcPitch = src.pitch_;
  if (&src == this && Rect{s.left, s.top, s.left + w, s.top + h}.Intersect(d).Empty() == false) {
    temp.resize(static_cast<size_t>(w) * h);
    for (int r = 0; r < h; ++r)
      CopyRow(&temp[static_cast<size_t>(r) * w], srcBase + r * srcPitch, w);
    srcBase = temp.data();
    srcPitch = w;
  }
  for (int r = 0; r < h; ++r) {
    uint16_t* out = Row(d.top + r) + d.left;
    const uint16_t* in = srcBase + static_cast<size_t>(r) * srcPitch;
    if (keyed)
      CopyRowKeyed(out, in, w, src.key_);
    else
      CopyRow(out, in, w);
  }
  return true;
}

void Surface::Fill(const Rect& rect, uint16_t value) {
  Rect r = rect.Intersect(Bounds());
  if (r.Empty()) return;
  for (int y = r.top; y < r.bottom; ++y) std::fill_n(Row(y) + r.left, r.Width(), value);
}

}  // namespace isora
