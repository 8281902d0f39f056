#include "world/map_file.h"

#include <cstring>

#include "foundation/byte_io.h"

namespace isora {

uint32_t MapHeader::U32(size_t at) const {
  return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
         static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

std::string MapHeader::Text(size_t at, size_t width) const {
  size_t n = 0;
  while (n < width && bytes[at + n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(bytes.data() + at), n);
}

void MapHeader::SetU32(size_t at, uint32_t v) {
  for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void MapHeader::SetText(size_t at, size_t width, const std::string& s) {
  std::memset(bytes.data() + at, 0, width);
  size_t n = s.size() < width - 1 ? s.size() : width - 1;
  std::memcpy(bytes.data() + at, s.data(), n);
}

namespace {

MapCell ReadCell(ByteReader& r) {
  MapCell c;
  r.Bytes(c.unused0.data(), c.unused0.size());
  c.tileX = r.I32();
  c.tileY = r.I32();
  c.x = r.I32();
  c.y = r.I32();
  c.passable = r.I32();
  c.scriptId = r.U8();
  c.exitId = r.U8();
  c.tileType = r.U8();
  c.unused31 = r.U8();
  return c;
}

MapObject ReadObject(ByteReader& r) {
  MapObject o;
  r.Bytes(o.unused0.data(), o.unused0.size());
  o.pieceCount = r.I32();
  for (auto& p : o.pieces) {
    p.x = r.I32();
    p.y = r.I32();
  }
  o.sourceX = r.I32();
  o.sourceY = r.I32();
  o.x = r.I32();
  o.y = r.I32();
  o.width = r.I32();
  o.height = r.I32();
  return o;
}

RolePlacement ReadPlacement(ByteReader& r) {
  RolePlacement p;
  p.recordNumber = r.I32();
  r.Bytes(p.unused4.data(), p.unused4.size());
  p.row = r.I32();
  p.column = r.I32();
  return p;
}

bool Fail(std::string* error, const char* why) {
  if (error) *error = why;
  return false;
}

}  // namespace

bool ParseMapFile(std::span<const uint8_t> bytes, MapFileData& out, std::string* error) {
  ByteReader r(bytes);
  MapFileData map;
  if (!r.Bytes(map.header.bytes.data(), kMapHeaderSize))
    return Fail(error, "shorter than its header");
  if (map.header.Magic() != kMapMagic) return Fail(error, "not a map file (wrong magic)");

  const int64_t n = map.header.N();
  const int64_t objects = map.header.ObjectCount();
  const int64_t placements = map.header.PlacementCount();
  if (n < 0 || objects < 0 || placements < 0) return Fail(error, "negative count in the header");
  // N is bounded first so that N * N cannot overflow.
  if (n > static_cast<int64_t>(r.Remaining()) ||
      static_cast<uint64_t>(n * n) * kMapCellSize > r.Remaining())
    return Fail(error, "cell count exceeds the file");
  const uint64_t afterCells = r.Remaining() - static_cast<uint64_t>(n * n) * kMapCellSize;
  if (static_cast<uint64_t>(objects) * kMapObjectSize > afterCells)
    return Fail(error, "object count exceeds the file");
  const uint64_t afterObjects = afterCells - static_cast<uint64_t>(objects) * kMapObjectSize;
  if (static_cast<uint64_t>(placements) * kPlacementSize > afterObjects)
    return Fail(error, "placement count exceeds the file");

  map.cells.reserve(static_cast<size_t>(n * n));
  for (int64_t i = 0; i < n * n; ++i) map.cells.push_back(ReadCell(r));
  map.objects.reserve(static_cast<size_t>(objects));
  for (int64_t i = 0; i < objects; ++i) map.objects.push_back(ReadObject(r));
  map.placements.reserve(static_cast<size_t>(placements));
  for (int64_t i = 0; i < placements; ++i) map.placements.push_back(ReadPlacement(r));
  if (!r.Ok()) return Fail(error, "truncated");
  out = std::move(map);
  return true;
}

}  // namespace isora
