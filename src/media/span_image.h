// A keyed picture kept as the runs of its drawn (non-key) pixels, row by row. Role frames are
// three quarters key: as runs they take about a third of the memory of a surface, and a keyed
// copy touches only the pixels it draws.
#pragma once

#include <cstdint>
#include <vector>

#include "media/surface.h"

namespace isora {

class SpanImage {
 public:
  SpanImage() = default;
  // The runs of every pixel of `picture` that is not its colour key (the picture must have one).
  explicit SpanImage(const Surface& picture);

  int Width() const { return width_; }
  int Height() const { return height_; }
  Rect Bounds() const { return Rect{0, 0, width_, height_}; }
  // Bytes held, for the caches' accounting.
  size_t MemoryBytes() const;
  // Whether keeping the runs takes less memory than a surface of the picture.
  bool SmallerThan(const Surface& picture) const;

  // The same pixels (and ink marks) as dst.BltFast(x, y, picture, picture.Bounds(),
  // kBltSrcColorKey) on the picture it was made from.
  void DrawKeyed(Surface& dst, int x, int y) const;
  // The picture again: key where no run is, keyed and with its ink found, as it was decoded.
  void Expand(Surface* out) const;

 private:
  struct Run {
    uint16_t x, length;
    uint32_t pixel;  // index of the run's first pixel in pixels_
  };
  int width_ = 0, height_ = 0;
  PixelFormat format_ = PixelFormat::Rgb565;
  uint16_t key_ = 0;
  std::vector<uint32_t> rowRuns_;  // runs of row y: rowRuns_[y] up to rowRuns_[y + 1]
  std::vector<Run> runs_;
  std::vector<uint16_t> pixels_;
};

}  // namespace isora
