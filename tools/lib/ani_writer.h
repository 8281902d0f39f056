// RIFF "ACON" animated cursors for tests and the demo content builder.
#pragma once

#include <cstdint>
#include <vector>

namespace isora {

struct CursorFrame {
  int width = 32, height = 32;
  int hotspotX = 0, hotspotY = 0;
  std::vector<uint32_t> argb;  // 0xAARRGGBB, top row first; alpha below 128 is transparent
};

// One ".cur" resource holding a 32-bit DIB with an AND mask.
std::vector<uint8_t> WriteCursorResource(const CursorFrame& frame);
// An animated cursor: the frames, then per step the frame index and its rate in jiffies
// (1/60 s). With no steps given, each frame is shown once for 10 jiffies.
std::vector<uint8_t> WriteAni(const std::vector<CursorFrame>& frames,
                              const std::vector<int>& sequence = {},
                              const std::vector<int>& rates = {});

}  // namespace isora
