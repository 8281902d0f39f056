// The video window of a media graph that has pictures: a picture covering the game window's
// client area (640×480) while it is visible. The graph's thread puts decoded frames; the window
// that owns it shows the newest one over the back buffer whenever it presents, so the game's own
// surfaces (and what screenshots and state dumps record) never hold video.
#pragma once

#include <cstdint>
#include <mutex>
#include <span>

#include "media/surface.h"

namespace isora {

class VideoWindow {
 public:
  static constexpr int kWidth = kScreenWidth;
  static constexpr int kHeight = kScreenHeight;

  VideoWindow();

  // A 640×480 frame of 5-6-5 pixels, rows kWidth apart (any thread).
  void PutFrame(std::span<const uint16_t> pixels);
  // The number of frames put so far (any thread).
  uint64_t FramesPut() const;

  void SetVisible(bool visible);
  bool Visible() const;
  // Hides the system cursor while the pointer is over the visible video.
  void SetHideCursor(bool hide);
  bool HidesCursor() const;

  // When visible with a frame: copies the frame over the top-left 640×480 of target (in the
  // target's pixel format) and returns true; otherwise leaves target alone and returns false.
  bool DrawOver(Surface& target) const;

 private:
  mutable std::mutex mutex_;
  Surface frame_;
  uint64_t framesPut_ = 0;
  bool visible_ = false;
  bool hideCursor_ = false;
};

}  // namespace isora
