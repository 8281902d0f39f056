// The one loader behind both databases: a four-byte magic, a header of fixed size, then records
// of one fixed size back to back until the end of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace isora {

constexpr size_t kDatabaseHeaderSize = 8;

// Splits a table file into its whole records. Empty optional when the file is shorter than the
// magic or the magic differs; a trailing partial record is ignored, and a header longer than the
// file leaves no records. The spans point into `file`.
std::optional<std::vector<std::span<const uint8_t>>> SplitRecordTable(std::span<const uint8_t> file,
                                                                      size_t headerSize,
                                                                      uint32_t magic,
                                                                      size_t recordSize);

// The bytes after the last whole record (a file cut short inside a record), which the split
// leaves out.
size_t RecordTableTail(size_t fileSize, size_t headerSize, size_t recordSize);

}  // namespace isora
