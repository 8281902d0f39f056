// The map parser and the cell queries on whatever it accepts. Painting, which walks the
// map-sized layers, has a target of its own (fuzz_map_paint) so this one runs fast.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "world/game_map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  isora::fuzz::Quiet();
  static isora::GameLog log("/dev/null");
  isora::GameMap map(&log);
  std::vector<isora::RolePlacement> placements;
  if (map.LoadBytes(std::span<const uint8_t>(data, size), &placements) != 1) return 0;
  for (int y = -40; y < 1700; y += 97)
    for (int x = -40; x < 3300; x += 131) {
      map.IsPassableAt(x, y);
      map.CellScript(x, y);
      map.CellExit(x, y);
      map.CellExitComment(x, y);
    }
  for (int r = -1; r <= map.N() && r < 64; ++r)
    for (int c = -1; c <= map.N() && c < 64; ++c) map.CellPosition(r, c);
  return 0;
}
