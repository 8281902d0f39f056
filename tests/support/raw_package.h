// Builds package bytes record by record, straight from the format, so readers are checked
// against the layout itself (and damaged packages can be made) without the kit's writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/byte_io.h"

namespace isora::test {

struct RawEntry {
  std::string name;
  uint32_t stored = 0;  // directory: entry count
  uint32_t unpacked = 0;
  uint32_t offset = 0;
  uint8_t kind = 0;  // 1 = directory
  uint8_t compressed = 0;
};

// Header, the entries in the order given (breadth-first is the caller's job), then `data`.
// The data base is set to the end of the directory unless dataBase is given.
inline std::vector<uint8_t> RawPackage(uint32_t rootCount, const std::vector<RawEntry>& entries,
                                       const std::vector<uint8_t>& data = {},
                                       int64_t dataBase = -1) {
  ByteWriter w;
  w.Bytes("VDK1", 4);
  w.U32(0);
  w.U32(rootCount);
  for (const auto& e : entries) {
    w.U32(e.stored);
    w.U32(e.unpacked);
    w.U32(e.offset);
    w.U8(e.kind);
    w.U8(e.compressed);
    w.U16(0);
    w.U32(static_cast<uint32_t>(e.name.size()));
    w.U32(0);
    w.Bytes(e.name.data(), e.name.size());
    w.U8(0);
  }
  w.PatchU32(4, dataBase >= 0 ? static_cast<uint32_t>(dataBase) : static_cast<uint32_t>(w.Size()));
  w.Bytes(data);
  return w.Take();
}

}  // namespace isora::test
