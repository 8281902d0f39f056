// Game paths and whole-file reading and writing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace isora {

// Converts a game path (relative to the game folder, the current directory, with "\" or "/")
// into a native path. When the exact path does not exist, each component is matched
// case-insensitively, since data made on case-insensitive systems must still load. A path that
// exists in neither form comes back converted but otherwise unchanged.
std::string NativePath(std::string_view gamePath);

// The largest file the loaders read whole.
constexpr size_t kMaxFileBytes = size_t{512} << 20;

// Reads a whole file (native path). Empty optional when it cannot be opened or read, or is
// larger than maxBytes.
std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path,
                                                  size_t maxBytes = kMaxFileBytes);

// Writes a file through a temporary file in the same folder, flushed and renamed over the
// target, so a crash never leaves a half-written file in its place.
bool WriteFileAtomic(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace isora
