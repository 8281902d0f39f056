// The one way the kit parses JSON. Every reader after the parser walks documents recursively,
// so nesting is bounded before a single value is built: a small file cannot exhaust the stack
// or cost memory in proportion to its depth squared.
#pragma once

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>

namespace isora::demo {

// Far deeper than any source, map, save or replay the kit reads (a Tiled group costs two).
constexpr int kMaxJsonDepth = 256;

// Thrown by ParseJson for a document nested deeper than kMaxJsonDepth.
class JsonTooDeep : public std::runtime_error {
 public:
  explicit JsonTooDeep(size_t at);
  size_t byte;  // offset of the bracket that opens one level too many
};

// Offset of the first '[' or '{' (outside strings) that opens level kMaxJsonDepth + 1, or
// std::string_view::npos.
size_t FindTooDeep(std::string_view text);

// Json::parse with the nesting bound: throws JsonTooDeep first, else whatever Json::parse
// throws (nlohmann::json::parse_error with the byte of a syntax error, and so on).
template <class Json>
Json ParseJson(std::string_view text) {
  if (const size_t at = FindTooDeep(text); at != std::string_view::npos) throw JsonTooDeep(at);
  return Json::parse(text);
}

// Non-throwing form: false with *error holding the reason (prefixed by `name` when given).
template <class Json>
bool ParseJson(std::string_view text, Json& out, std::string* error, const std::string& name = {}) {
  try {
    out = ParseJson<Json>(text);
    return true;
  } catch (const std::exception& e) {
    if (error) *error = name.empty() ? e.what() : name + ": " + e.what();
    return false;
  }
}

}  // namespace isora::demo
