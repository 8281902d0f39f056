#include "media/span_image.h"

#include <algorithm>
#include <cstring>

namespace isora {

SpanImage::SpanImage(const Surface& picture)
    : width_(picture.Width()),
      height_(picture.Height()),
      format_(picture.Format()),
      key_(picture.ColorKey()) {
  rowRuns_.reserve(static_cast<size_t>(height_) + 1);
  for (int y = 0; y < height_; ++y) {
    rowRuns_.push_back(static_cast<uint32_t>(runs_.size()));
    const uint16_t* row = picture.Row(y);
    for (int x = 0; x < width_;) {
      if (row[x] == key_) {
        ++x;
        continue;
      }
      int end = x;
      while (end < width_ && row[end] != key_) ++end;
      runs_.push_back(Run{static_cast<uint16_t>(x), static_cast<uint16_t>(end - x),
                          static_cast<uint32_t>(pixels_.size())});
      pixels_.insert(pixels_.end(), row + x, row + end);
      x = end;
    }
  }
  rowRuns_.push_back(static_cast<uint32_t>(runs_.size()));
  runs_.shrink_to_fit();
  pixels_.shrink_to_fit();
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
  if (dst.TracksInk()) dst.MarkInk(d);
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
