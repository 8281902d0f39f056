// The package chunk compressor: the bit stream the reader's DecodeChunk takes (literals, and
// copies with gamma-coded lengths and absolute positions of w bits), found with hash chains and
// lazy matching.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace isora {

// Bytes of output per chunk of a compressed member.
constexpr size_t kPackageChunkSize = 0xC000;

// Compresses one chunk (at most 0xC000 bytes) into its bit stream, without the 2-byte length.
std::vector<uint8_t> EncodeChunk(std::span<const uint8_t> data);

// A whole member as the package stores it: each 0xC000-byte piece as a 2-byte length and its
// stream. An empty member gives no chunks.
std::vector<uint8_t> CompressMember(std::span<const uint8_t> data);

}  // namespace isora
