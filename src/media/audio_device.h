// The one audio device shared by sound effects and music: opened on first use, closed when the
// last user lets go. Internal to the media layer.
#pragma once

namespace isora::audio {

// Opens the device (or counts one more user); false when no audio device can be opened.
bool Acquire();
void Release();
bool IsOpen();
// The device's sample rate, format (SDL audio format) and channels; false when closed.
bool DeviceSpec(int* rate, unsigned short* format, int* channels);

}  // namespace isora::audio
