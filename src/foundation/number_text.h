// Whole numbers written as text in command lines, replays and the kit's sources, read one way.
// The game's own data keeps the classic readers' rules (IniFile::GetInt reads like atoi).
#pragma once

#include <charconv>
#include <optional>
#include <string_view>
#include <system_error>

namespace isora {

// The whole of `text` as a T in `base`: digits with an optional leading '-', nothing else (no
// blanks, no '+', no trailing characters). Empty when it is not such a number or T cannot hold it.
template <typename T>
std::optional<T> ParseNumber(std::string_view text, int base = 10) {
  T value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

}  // namespace isora
