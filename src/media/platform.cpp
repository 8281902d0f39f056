#include "media/platform.h"

namespace isora {

const Surface& Platform::FrameToShow(const Surface& backBuffer) {
  if (!video_ || !video_->Visible()) return backBuffer;
  if (composite_.Width() != backBuffer.Width() || composite_.Height() != backBuffer.Height() ||
      composite_.Format() != backBuffer.Format())
    composite_ = Surface(backBuffer.Width(), backBuffer.Height(), backBuffer.Format());
  composite_.BltFast(0, 0, backBuffer, backBuffer.Bounds(), kBltNoColorKey);
  return video_->DrawOver(composite_) ? composite_ : backBuffer;
}

}  // namespace isora
