// The map loader and the cell queries on whatever it accepts.
#include <cstddef>
#include <cstdint>

#include "foundation/game_log.h"
#include "foundation/system_hooks.h"
#include "world/game_map.h"

namespace {
class QuietHooks : public isora::SystemHooks {
 public:
  void MessageBox(const std::string&, const std::string&, isora::MessageBoxIcon) override {}
  void DebugOutput(const std::string&) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static QuietHooks hooks;
  static bool installed = (isora::Hooks::Set(&hooks), true);
  (void)installed;
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
  if (map.N() <= 16) {
    static isora::Surface tiles(64, 64), picture(3200, 1600), ground(3200, 1600);
    map.PaintCellsOfType(1, tiles, picture, true);
    if (map.Objects().size() <= 4)
      map.PaintObjects(picture, tiles, ground, isora::PixelFormat::Rgb565);
  }
  return 0;
}
