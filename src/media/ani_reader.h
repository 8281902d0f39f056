// Animated cursors (RIFF "ACON" files such as data\cursor.ani): the frames, each an icon or
// cursor resource, and the sequence of steps with their display rates.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace isora {

struct CursorImage {
  int width = 0, height = 0;
  int hotspotX = 0, hotspotY = 0;
  std::vector<uint32_t> argb;  // 0xAARRGGBB, top row first; masked-out pixels have alpha 0
};

struct AnimatedCursor {
  std::vector<CursorImage> frames;
  // One entry per step: the frame shown and for how long, in jiffies (1/60 s).
  struct Step {
    int frame = 0;
    int jiffies = 0;
  };
  std::vector<Step> steps;
  // Milliseconds of one step.
  static int JiffiesToMs(int jiffies) { return jiffies * 1000 / 60; }
};

// Parses an animated cursor. Frames are icon or cursor resources holding a DIB (1, 4, 8, 24 or
// 32 bits with an AND mask). Chunk sizes, counts and offsets are checked against the bytes;
// any damage gives false with *error set, so the caller falls back to the arrow.
bool ParseAni(std::span<const uint8_t> file, AnimatedCursor* out, std::string* error = nullptr);

// One icon or cursor resource (the ".cur"/".ico" file layout); the first image is taken.
bool ParseCursorResource(std::span<const uint8_t> data, CursorImage* out,
                         std::string* error = nullptr);

}  // namespace isora
