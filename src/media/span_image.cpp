#include "media/span_image.h"

#include <algorithm>
#include <cstring>

namespace isora {

namespace {

// Calls fn(x, end) for each run of pixels other than `key` in a row.
template <typename Fn>
void ForEachRun(const uint16_t* row, int width, uint16_t key, Fn&& fn) {
  int x = 0;
  while (x < width) {
    while (x < width && row[x] == key) ++x;
    if (x == width) break;
    const int start = x;
    while (x < width && row[x] != key) ++x;
    fn(start, x);
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
  for (int row = d.top - y; row < d.bottom - y; ++row) {
    uint16_t* out = dst.Row(row + y);
    for (uint32_t i = rowRuns_[row]; i < rowRuns_[row + 1]; ++i) {
      const Run& r = runs_[i];
      const int left = std::max(x + r.x, d.left), right = std::min(x + r.x + r.length, d.right);
      if (left >= right) continue;
      std::memcpy(out + left, pixels_.data() + r.pixel + (left - x - r.x),
                  static_cast<size_t>(right - left) * sizeof(uint16_t));
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
