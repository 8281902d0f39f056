// The message loop's frame timing: a frame is due once more than 40 ms have passed since the
// last one began, and the frames are counted over each second.
#pragma once

#include <cstdint>

namespace isora {

class FrameClock {
 public:
  static constexpr uint32_t kFrameMs = 40;
  // Starts a new second's count when more than a second has passed since the last one.
  void Tick(uint32_t now) {
    if (secondMark_ + 1000 < now) {
      secondMark_ = now;
      framesPerSecond_ = framesThisSecond_;
      framesThisSecond_ = 0;
    }
  }
  bool FrameDue(uint32_t now) const { return lastFrame_ + kFrameMs < now; }
  // Milliseconds until a frame is due (0 when one is due now), never more than one frame's
  // time, even when the tick count went back.
  uint32_t MsUntilDue(uint32_t now) const {
    if (FrameDue(now)) return 0;
    const uint32_t left = lastFrame_ + kFrameMs + 1 - now;
    return left > kFrameMs + 1 ? kFrameMs + 1 : left;
  }
  // A frame that began at `now` has run.
  void FrameRan(uint32_t now) {
    lastFrame_ = now;
    ++framesThisSecond_;
    ++framesRun_;
  }

  int32_t FramesRun() const { return framesRun_; }
  // The frames of the last whole second counted.
  int32_t FramesPerSecond() const { return framesPerSecond_; }

 private:
  uint32_t lastFrame_ = 0;
  uint32_t secondMark_ = 0;
  int32_t framesThisSecond_ = 0;
  int32_t framesPerSecond_ = 0;
  int32_t framesRun_ = 0;
};

}  // namespace isora
