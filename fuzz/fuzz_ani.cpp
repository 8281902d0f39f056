// Animated cursor parsing of arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "media/ani_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  isora::AnimatedCursor cursor;
  if (isora::ParseAni({data, size}, &cursor)) {
    for (const auto& step : cursor.steps)
      if (step.frame < 0 || static_cast<size_t>(step.frame) >= cursor.frames.size()) std::abort();
    for (const auto& f : cursor.frames)
      if (f.argb.size() != static_cast<size_t>(f.width) * f.height) std::abort();
  }
  isora::CursorImage image;
  isora::ParseCursorResource({data, size}, &image);
  return 0;
}
