#include "items/record_table.h"

#include "foundation/byte_io.h"

namespace isora {

std::optional<std::vector<std::span<const uint8_t>>> SplitRecordTable(std::span<const uint8_t> file,
                                                                      size_t headerSize,
                                                                      uint32_t magic,
                                                                      size_t recordSize) {
  ByteReader reader(file);
  uint32_t found = reader.U32();
  if (!reader.Ok() || found != magic) return std::nullopt;
  std::vector<std::span<const uint8_t>> records;
  if (recordSize == 0 || headerSize >= file.size()) return records;
  size_t count = (file.size() - headerSize) / recordSize;
  records.reserve(count);
  for (size_t i = 0; i < count; ++i)
    records.push_back(file.subspan(headerSize + i * recordSize, recordSize));
  return records;
}

size_t RecordTableTail(size_t fileSize, size_t headerSize, size_t recordSize) {
  if (recordSize == 0 || headerSize >= fileSize) return 0;
  return (fileSize - headerSize) % recordSize;
}

}  // namespace isora
