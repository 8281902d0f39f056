// The frame last shown in a window drawn on the CPU, kept so that the next frame is compared
// with it and only what changed is converted to the window's pixels and sent to the window
// system: a town frame with a few roles walking changes a small part of the screen.
#pragma once

#include <cstdint>
#include <vector>

#include "media/surface.h"

namespace isora {

class ShownFrame {
 public:
  // Rows this many apart or closer are sent as one rectangle: each rectangle costs the window
  // system a request, and the rows between are few.
  static constexpr int kRowGap = 8;
  // At most this many rectangles a frame; past it the frame goes as one.
  static constexpr int kMostRects = 16;

  // Compares `frame` with the frame shown last and takes its pixels. Returns the parts that
  // differ, top to bottom: bands of rows, each as wide as the columns that changed in it. The
  // whole frame when there is no earlier one of the same size and format, or after Forget.
  const std::vector<Rect>& Take(const Surface& frame);
  // The next frame is taken whole (the window lost what it showed).
  void Forget() { valid_ = false; }
  const uint16_t* Row(int y) const { return &pixels_[static_cast<size_t>(y) * width_]; }
  PixelFormat Format() const { return format_; }

 private:
  void Band(int top, int bottom, int left, int right);

  std::vector<uint16_t> pixels_;
  std::vector<Rect> changed_;
  int width_ = 0, height_ = 0;
  PixelFormat format_ = PixelFormat::Rgb565;
  bool valid_ = false;
};

// The largest window, in whole multiples of the screen and at most `chosen`, that fits a desktop
// area of `width`×`height`; at least 1, so a desktop smaller than the screen still gets one.
int FittingScale(int chosen, int width, int height);

// Where the screen is shown in a window (or its surface) of `width`×`height`: scaled to fit with
// its aspect kept, by whole multiples only when `integerScale` and the window is big enough,
// centred with black bars.
Rect ViewIn(int width, int height, bool integerScale);

// Expands n 16-bit pixels (5-6-5 or 5-5-5) to opaque 32-bit 8-8-8-8 (alpha, red, green, blue
// from the high byte down), each channel's high bits repeated into its low bits so that full
// intensity is 255.
void ExpandRowTo8888(const uint16_t* src, uint32_t* dst, int n, PixelFormat format);

}  // namespace isora
