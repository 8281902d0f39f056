// The one audio device shared by sound effects and music: opened on first use, closed when the
// last user lets go. Internal to the media layer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace isora::audio {

// Opens the device (or counts one more user); false when no audio device can be opened.
bool Acquire();
void Release();
bool IsOpen();
// The device's sample rate, format (SDL audio format) and channels; false when closed.
bool DeviceSpec(int* rate, unsigned short* format, int* channels);

// Hands every block the device plays (music and effects mixed, signed 16-bit interleaved) to
// tap on the audio thread; null stops it. For meters and checks of what is really heard.
using OutputTap = void (*)(void* context, const int16_t* samples, size_t count);
void SetOutputTap(OutputTap tap, void* context);

// One user's hold on the device, let go when it is destroyed.
class Lease {
 public:
  Lease() = default;
  ~Lease() { Release(); }
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;

  // True once held; acquiring again while held changes nothing.
  bool Acquire() {
    if (!held_) held_ = audio::Acquire();
    return held_;
  }
  void Release() {
    if (held_) audio::Release();
    held_ = false;
  }

 private:
  bool held_ = false;
};

}  // namespace isora::audio
