// The painting of what the map parser accepts: tiles of every type with the grid, and the
// objects with their ground pieces, onto the map-sized layers the game uses.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "world/game_map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  isora::fuzz::Quiet();
  static isora::GameLog log("/dev/null");
  isora::GameMap map(&log);
  if (map.LoadBytes(std::span<const uint8_t>(data, size)) != 1) return 0;
  static isora::Surface tiles(640, 320), picture(3200, 1600), ground(3200, 1600);
  for (int type = 0; type < 4; ++type) map.PaintCellsOfType(type, tiles, picture, type == 1);
  map.PaintObjects(picture, tiles, ground, isora::PixelFormat::Rgb565);
  return 0;
}
