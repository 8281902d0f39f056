#include "media/video_window.h"

#include <algorithm>
#include <cstring>

namespace isora {

VideoWindow::VideoWindow() : frame_(kWidth, kHeight, PixelFormat::Rgb565) {}

void VideoWindow::PutFrame(std::span<const uint16_t> pixels) {
  if (pixels.size() < static_cast<size_t>(kWidth) * kHeight) return;
  std::lock_guard<std::mutex> lock(mutex_);
  frame_.MarkInk(frame_.Bounds());
  for (int y = 0; y < kHeight; ++y)
    std::memcpy(frame_.Row(y), pixels.data() + static_cast<size_t>(y) * kWidth,
                kWidth * sizeof(uint16_t));
  ++framesPut_;
}

uint64_t VideoWindow::FramesPut() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return framesPut_;
}

void VideoWindow::SetVisible(bool visible) {
  std::lock_guard<std::mutex> lock(mutex_);
  visible_ = visible;
}

bool VideoWindow::Visible() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return visible_;
}

void VideoWindow::SetHideCursor(bool hide) {
  std::lock_guard<std::mutex> lock(mutex_);
  hideCursor_ = hide;
}

bool VideoWindow::HidesCursor() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return hideCursor_;
}

bool VideoWindow::DrawOver(Surface& target) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!visible_ || framesPut_ == 0) return false;
  const int w = std::min(target.Width(), kWidth);
  const int h = std::min(target.Height(), kHeight);
  target.MarkInk(Rect{0, 0, w, h});
  for (int y = 0; y < h; ++y) {
    const uint16_t* src = frame_.Row(y);
    uint16_t* dst = target.Row(y);
    if (target.Format() == PixelFormat::Rgb565) {
      std::memcpy(dst, src, static_cast<size_t>(w) * sizeof(uint16_t));
    } else {
      // 5-6-5 to 5-5-5: the green's lowest bit goes.
      for (int x = 0; x < w; ++x)
        dst[x] = static_cast<uint16_t>(((src[x] >> 1) & 0x7FE0) | (src[x] & 0x001F));
    }
  }
  return true;
}

}  // namespace isora
