#include "lib/json_read.h"

namespace isora::demo {

JsonTooDeep::JsonTooDeep(size_t at)
    : std::runtime_error("nested deeper than " + std::to_string(kMaxJsonDepth) +
                         " levels at byte " + std::to_string(at + 1)),
      byte(at) {}

size_t FindTooDeep(std::string_view text) {
  int depth = 0;
  bool inString = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxJsonDepth) return i;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return std::string_view::npos;
}

}  // namespace isora::demo
