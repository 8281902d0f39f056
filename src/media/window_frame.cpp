#include "media/window_frame.h"

#include <algorithm>
#include <cstring>

namespace isora {

namespace {

// The first pixel from the left where two rows differ; the rows are known to differ.
int FirstDifference(const uint16_t* a, const uint16_t* b, int n) {
  int i = 0;
  for (uint64_t x, y; i + 4 <= n; i += 4) {
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) break;
  }
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

// The last pixel where two rows differ, at or after `first`, where they do.
int LastDifference(const uint16_t* a, const uint16_t* b, int first, int n) {
  int end = n;
  for (uint64_t x, y; end - 4 >= first; end -= 4) {
    std::memcpy(&x, a + end - 4, 8);
    std::memcpy(&y, b + end - 4, 8);
    if (x != y) break;
  }
  while (end > first + 1 && a[end - 1] == b[end - 1]) --end;
  return end - 1;
}

}  // namespace

void ShownFrame::Band(int top, int bottom, int left, int right) {
  changed_.push_back(Rect{left, top, right, bottom});
}

const std::vector<Rect>& ShownFrame::Take(const Surface& frame) {
  changed_.clear();
  const int w = frame.Width(), h = frame.Height();
  const size_t rowBytes = static_cast<size_t>(w) * sizeof(uint16_t);
  if (!valid_ || w != width_ || h != height_ || frame.Format() != format_) {
    width_ = w;
    height_ = h;
    format_ = frame.Format();
    pixels_.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
      std::memcpy(&pixels_[static_cast<size_t>(y) * w], frame.Row(y), rowBytes);
    valid_ = true;
    if (w > 0 && h > 0) changed_.push_back(Rect{0, 0, w, h});
    return changed_;
  }
  // The band being gathered: rows top..bottom-1, columns left..right-1.
  int top = -1, bottom = 0, left = 0, right = 0;
  for (int y = 0; y < h; ++y) {
    const uint16_t* now = frame.Row(y);
    uint16_t* kept = &pixels_[static_cast<size_t>(y) * w];
    if (std::memcmp(now, kept, rowBytes) == 0) continue;
    const int first = FirstDifference(now, kept, w);
    const int last = LastDifference(now, kept, first, w);
    std::memcpy(kept + first, now + first, static_cast<size_t>(last - first + 1) * 2);
    if (top >= 0 && y - bottom >= kRowGap) {
      Band(top, bottom, left, right);
      top = -1;
    }
    if (top < 0) {
      top = y;
      left = first;
      right = last + 1;
    } else {
      left = std::min(left, first);
      right = std::max(right, last + 1);
    }
    bottom = y + 1;
  }
  if (top >= 0) Band(top, bottom, left, right);
  if (changed_.size() > static_cast<size_t>(kMostRects)) {
    Rect all = changed_.front();
    for (const Rect& r : changed_) {
      all.left = std::min(all.left, r.left);
      all.right = std::max(all.right, r.right);
    }
    all.bottom = changed_.back().bottom;
    changed_.assign(1, all);
  }
  return changed_;
}

int FittingScale(int chosen, int width, int height) {
  const int fits = std::min(width / kScreenWidth, height / kScreenHeight);
  return std::max(1, std::min(chosen, fits));
}

Rect ViewIn(int width, int height, bool integerScale) {
  double scale = std::min(static_cast<double>(width) / kScreenWidth,
                          static_cast<double>(height) / kScreenHeight);
  if (integerScale && scale >= 1) scale = static_cast<int>(scale);
  const int w = std::max(1, static_cast<int>(kScreenWidth * scale));
  const int h = std::max(1, static_cast<int>(kScreenHeight * scale));
  const int left = (width - w) / 2, top = (height - h) / 2;
  return Rect{left, top, left + w, top + h};
}

ISORA_ROW_KERNEL void ExpandRowTo8888(const uint16_t* src, uint32_t* dst, int n,
                                      PixelFormat format) {
  // 5-6-5 and 5-5-5 differ only in where red starts and how wide green is.
  const bool six = format == PixelFormat::Rgb565;
  const int redShift = six ? 11 : 10, greenBits = six ? 6 : 5;
  const uint32_t greenMask = (1u << greenBits) - 1;
  const int greenUp = 8 - greenBits, greenDown = 2 * greenBits - 8;
  using Pixels8 = uint16_t __attribute__((vector_size(16)));
  using Words8 = uint32_t __attribute__((vector_size(32)));
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    Pixels8 in;
    std::memcpy(&in, src + i, sizeof in);
    const Words8 p = __builtin_convertvector(in, Words8);
    const Words8 r = (p >> redShift) & 31, g = (p >> 5) & greenMask, b = p & 31;
    const Words8 out = 0xFF000000u | (((r << 3) | (r >> 2)) << 16) |
                       (((g << greenUp) | (g >> greenDown)) << 8) | (b << 3) | (b >> 2);
    std::memcpy(dst + i, &out, sizeof out);
  }
  for (; i < n; ++i) {
    const uint32_t p = src[i];
    const uint32_t r = (p >> redShift) & 31, g = (p >> 5) & greenMask, b = p & 31;
    dst[i] = 0xFF000000u | (((r << 3) | (r >> 2)) << 16) |
             (((g << greenUp) | (g >> greenDown)) << 8) | (b << 3) | (b >> 2);
  }
}

}  // namespace isora
