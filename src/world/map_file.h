// The ".map" file: a 92-byte header, N x N cells of 32 bytes, objects of 276 bytes and role
// placements of 32 bytes, all little-endian. Fields the game does not use are carried unchanged
// so that a file read and written again is the same file.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace isora {

constexpr uint32_t kMapMagic = 0x6D617032;  // "2pam"
constexpr size_t kMapHeaderSize = 92;
constexpr size_t kMapCellSize = 32;
constexpr size_t kMapObjectSize = 276;
constexpr size_t kPlacementSize = 32;
constexpr int kMapObjectMaxPieces = 30;
// The map picture every map is drawn into.
constexpr int kMapPictureWidth = 3200;
constexpr int kMapPictureHeight = 1600;

// The header exactly as read, with its fields read on demand.
struct MapHeader {
  std::array<uint8_t, kMapHeaderSize> bytes{};

  uint32_t Magic() const { return U32(0); }
  // The texts' fields, each with its terminator: longer texts are cut to width - 1 bytes.
  static constexpr size_t kMapFileWidth = 20, kMapNameWidth = 32, kMusicNameWidth = 16;
  std::string MapFile() const { return Text(4, kMapFileWidth); }
  std::string MapName() const { return Text(24, kMapNameWidth); }
  int32_t N() const { return I32(56); }
  int32_t ObjectCount() const { return I32(60); }
  int32_t PlacementCount() const { return I32(64); }
  // The map's music file under music\.
  std::string MusicName() const { return Text(68, kMusicNameWidth); }
  // The default player start tile.
  int32_t StartX() const { return I32(84); }
  int32_t StartY() const { return I32(88); }

  void SetMagic(uint32_t v) { SetU32(0, v); }
  void SetMapFile(const std::string& s) { SetText(4, kMapFileWidth, s); }
  void SetMapName(const std::string& s) { SetText(24, kMapNameWidth, s); }
  void SetN(int32_t v) { SetU32(56, static_cast<uint32_t>(v)); }
  void SetObjectCount(int32_t v) { SetU32(60, static_cast<uint32_t>(v)); }
  void SetPlacementCount(int32_t v) { SetU32(64, static_cast<uint32_t>(v)); }
  void SetMusicName(const std::string& s) { SetText(68, kMusicNameWidth, s); }
  void SetStartX(int32_t v) { SetU32(84, static_cast<uint32_t>(v)); }
  void SetStartY(int32_t v) { SetU32(88, static_cast<uint32_t>(v)); }

 private:
  uint32_t U32(size_t at) const;
  int32_t I32(size_t at) const { return static_cast<int32_t>(U32(at)); }
  std::string Text(size_t at, size_t width) const;
  void SetU32(size_t at, uint32_t v);
  void SetText(size_t at, size_t width, const std::string& s);
};

struct MapCell {
  std::array<uint8_t, 8> unused0{};
  int32_t tileX = 0, tileY = 0;  // the cell's picture inside its tile picture
  int32_t x = 0, y = 0;          // the cell's 64 x 32 box in the map picture
  int32_t passable = 0;
  uint8_t scriptId = 0;
  uint8_t exitId = 0;
  uint8_t tileType = 0;
  uint8_t unused31 = 0;
};

struct MapObjectPiece {
  int32_t x = 0, y = 0;
};

struct MapObject {
  std::array<uint8_t, 8> unused0{};
  int32_t pieceCount = 0;  // as stored; PieceCount() is the usable number
  std::array<MapObjectPiece, kMapObjectMaxPieces> pieces{};
  int32_t sourceX = 0, sourceY = 0;
  int32_t x = 0, y = 0;
  int32_t width = 0, height = 0;

  // The stored count kept within the 30 pieces the record can hold.
  int PieceCount() const {
    return pieceCount < 0 ? 0
                          : (pieceCount > kMapObjectMaxPieces ? kMapObjectMaxPieces : pieceCount);
  }
};

struct RolePlacement {
  int32_t recordNumber = 0;  // 1-based record of data\npc.npc
  std::array<uint8_t, 20> unused4{};
  int32_t row = 0, column = 0;
};

struct MapFileData {
  MapHeader header;
  std::vector<MapCell> cells;  // row by row: cell (r, c) is c + r * N
  std::vector<MapObject> objects;
  std::vector<RolePlacement> placements;
};

// Parses a whole map file. Every count is checked against the bytes that remain before
// anything is allocated; false with a one-line reason in *error on a foreign or damaged file.
bool ParseMapFile(std::span<const uint8_t> bytes, MapFileData& out, std::string* error);

}  // namespace isora
