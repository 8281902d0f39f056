#include "media/mouse_device.h"

#include "media/platform.h"

namespace isora {

int32_t MouseDevice::Create(Platform* window, bool foreground, bool /*exclusive*/,
                            bool /*immediate*/) {
  Release();
  if (!window) return kErrNoWindow;
  window_ = window;
  foreground_ = foreground;
  Acquire();
  return 0;
}

bool MouseDevice::Acquire() {
  acquired_ = window_ && (!foreground_ || window_->HasFocus());
  return acquired_;
}

// A foreground device loses its acquisition when the focus goes; the read then fails and
// the poll tries to acquire again, which succeeds once the focus is back.
bool MouseDevice::ReadButton(int button) {
  if (!window_) return false;
  if (foreground_ && !window_->HasFocus()) acquired_ = false;
  if (!acquired_ && !Acquire()) return false;
  return window_->IsMouseButtonDown(static_cast<MouseButton>(button));
}

bool MouseDevice::IsLeftDown() { return ReadButton(0); }
bool MouseDevice::IsRightDown() { return ReadButton(1); }

void MouseDevice::Release() {
  window_ = nullptr;
  acquired_ = false;
}

}  // namespace isora
