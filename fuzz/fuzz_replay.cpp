// The replay parser, and the key names both ways: every key the recorder can name must parse
// back to the same key.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/replay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<isora::ReplayEvent> events;
  std::string error;
  if (isora::ParseReplay(text, &events, &error)) {
    int64_t frame = INT64_MIN;
    for (const isora::ReplayEvent& e : events) {
      if (e.frame < frame) __builtin_trap();  // frames never go backwards
      frame = e.frame;
      if (e.kind == isora::ReplayEvent::Kind::kKey) {
        bool shift = false;
        const std::string name = isora::KeyName(e.virtualKey, e.shift);
        if (isora::VirtualKeyFromName(name, &shift) != e.virtualKey || shift != e.shift)
          __builtin_trap();
      }
    }
  } else if (error.empty()) {
    __builtin_trap();  // a refusal always says why
  }
  // The line as a key name on its own.
  bool shift = false;
  const int key = isora::VirtualKeyFromName(text.substr(0, 64), &shift);
  if (key != 0) (void)isora::KeyName(key, shift);
  return 0;
}
