#include "media/span_image.h"

#include <algorithm>
#include <cstring>

namespace isora {

namespace {

// Calls fn(x, end) for each run of pixels other than `key` in a row.
// Four pixels at a time where they are all key or all drawn, as most of a role frame is.
template <typename Fn>
void ForEachRun(const uint16_t* row, int width, uint16_t key, Fn&& fn) {
  const uint64_t keys = uint64_t{key} * 0x0001000100010001u;
  auto four = [&](int x) {
    uint64_t v;
    std::memcpy(&v, row + x, 8);
    return v ^ keys;  // a zero lane where the pixel is key
  };
  auto anyKey = [](uint64_t t) {
    return ((t - 0x0001000100010001u) & ~t & 0x8000800080008000u) != 0;
  };
  int x = 0;
  while (x < width) {
    while (x + 4 <= width && four(x) == 0) x += 4;
    while (x < width && row[x] == key) ++x;
    if (x == width) break;
    const int start = x;
    while (x + 4 <= width && !anyKey(four(x))) x += 4;
    while (x < width && row[x] != key) ++x;
    fn(start, x);
  }
}

// Copies n (at least 1) pixels between buffers that do not overlap with a few moves of fixed
// size, the last of them overlapping what the others wrote: a role frame's runs are a few pixels
// to a few dozen long, and a call to memcpy for each would cost more than the copy itself.
// Copies n pixels, sizeof(Word) / 2 <= n <= sizeof(Word), as a first and a last word that
// overlap where n is short of two words; both are read before either is written.
template <typename Word>
inline void CopyHeadTail(uint16_t* dst, const uint16_t* src, size_t n) {
  constexpr size_t kPixels = sizeof(Word) / sizeof(uint16_t);
  Word head, tail;
  std::memcpy(&head, src, sizeof head);
  std::memcpy(&tail, src + n - kPixels, sizeof tail);
  std::memcpy(dst, &head, sizeof head);
  std::memcpy(dst + n - kPixels, &tail, sizeof tail);
}

inline void CopyRun(uint16_t* dst, const uint16_t* src, size_t n) {
  if (n >= 8) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) std::memcpy(dst + i, src + i, 16);
    if (i < n) std::memcpy(dst + n - 8, src + n - 8, 16);
  } else if (n >= 4) {
    CopyHeadTail<uint64_t>(dst, src, n);
  } else if (n >= 2) {
    CopyHeadTail<uint32_t>(dst, src, n);
  } else {
    *dst = *src;
  }
}

}  // namespace

SpanImage::SpanImage(const Surface& picture)
    : width_(picture.Width()),
      height_(picture.Height()),
      format_(picture.Format()),
      key_(picture.ColorKey()) {
  // One pass into working space kept between pictures (a world build makes thousands), then
  // one exact allocation each.
  thread_local std::vector<Run> runs;
  thread_local std::vector<uint16_t> pixels;
  runs.clear();
  pixels.clear();
  rowRuns_.resize(static_cast<size_t>(height_) + 1);
  for (int y = 0; y < height_; ++y) {
    rowRuns_[y] = static_cast<uint32_t>(runs.size());
    const uint16_t* row = picture.Row(y);
    ForEachRun(row, width_, key_, [&](int start, int end) {
      runs.push_back(Run{static_cast<uint16_t>(start), static_cast<uint16_t>(end - start),
                         static_cast<uint32_t>(pixels.size())});
      pixels.insert(pixels.end(), row + start, row + end);
    });
  }
  rowRuns_[height_] = static_cast<uint32_t>(runs.size());
  runs_.assign(runs.begin(), runs.end());
  pixels_.assign(pixels.begin(), pixels.end());
}

size_t SpanImage::MemoryBytes() const {
  return rowRuns_.capacity() * sizeof(uint32_t) + runs_.capacity() * sizeof(Run) +
         pixels_.capacity() * sizeof(uint16_t);
}

bool SpanImage::SmallerThan(const Surface& picture) const {
  return MemoryBytes() < static_cast<size_t>(picture.Pitch()) * picture.Height() * 2;
}

void SpanImage::DrawKeyed(Surface& dst, int x, int y) const {
  const Rect d = Rect{x, y, x + width_, y + height_}.Intersect(dst.Bounds());
  if (d.Empty()) return;
  dst.MarkInk(d);
  if (d.left == x && d.right == x + width_) {
    // Nothing cut off at the sides, as for every role inside the view.
    for (int row = d.top - y; row < d.bottom - y; ++row) {
      uint16_t* out = dst.Row(row + y) + x;
      for (uint32_t i = rowRuns_[row]; i < rowRuns_[row + 1]; ++i) {
        const Run& r = runs_[i];
        CopyRun(out + r.x, pixels_.data() + r.pixel, r.length);
      }
    }
    return;
  }
  for (int row = d.top - y; row < d.bottom - y; ++row) {
    uint16_t* out = dst.Row(row + y);
    for (uint32_t i = rowRuns_[row]; i < rowRuns_[row + 1]; ++i) {
      const Run& r = runs_[i];
      const int left = std::max(x + r.x, d.left), right = std::min(x + r.x + r.length, d.right);
      if (left >= right) continue;
      CopyRun(out + left, pixels_.data() + r.pixel + (left - x - r.x),
              static_cast<size_t>(right - left));
    }
  }
}

void SpanImage::Expand(Surface* out) const {
  if (out->Width() != width_ || out->Height() != height_ || out->Format() != format_)
    *out = Surface(width_, height_, format_);
  out->Fill(key_);
  for (int row = 0; row < height_; ++row) {
    uint16_t* p = out->Row(row);
    for (uint32_t i = rowRuns_[row]; i < rowRuns_[row + 1]; ++i) {
      const Run& r = runs_[i];
      std::memcpy(p + r.x, pixels_.data() + r.pixel, static_cast<size_t>(r.length) * 2);
    }
  }
  out->SetColorKey(key_);
  out->TrackInk();
  out->FindInk();
}

}  // namespace isora
