// Held mouse buttons, polled each play frame. Reads fail while the window lacks the focus
// (the buttons then count as not pressed); the next poll after the focus returns re-acquires.
#pragma once

#include <cstdint>

namespace isora {

class Platform;

class MouseDevice {
 public:
  static constexpr int32_t kErrNoWindow = static_cast<int32_t>(0x80070057);  // E_INVALIDARG
  static constexpr int32_t kErrNotAcquired = static_cast<int32_t>(0x8007000C);

  MouseDevice() = default;
  ~MouseDevice() { Release(); }
  MouseDevice(const MouseDevice&) = delete;
  MouseDevice& operator=(const MouseDevice&) = delete;

  // Releases any previous device and attaches to the window's mouse. foreground: reads fail
  // while the window lacks the focus. exclusive and immediate are accepted for the record.
  // Returns 0 on success or a negative error code.
  int32_t Create(Platform* window, bool foreground, bool exclusive, bool immediate);
  bool IsLeftDown();
  bool IsRightDown();
  void Release();

  bool IsAcquired() const { return acquired_; }

 private:
  bool ReadButton(int button);
  bool Acquire();

  Platform* window_ = nullptr;
  bool foreground_ = true;
  bool acquired_ = false;
};

}  // namespace isora
