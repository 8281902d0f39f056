// isora-kit map-import-tiled: a Tiled map (.tmj) to a game map file.
#include <cstdio>

#include "kit/kit.h"
#include "lib/demo_tiled.h"
#include "lib/map_writer.h"

namespace isora::kit {

namespace {

constexpr const char* kUsage =
    "usage: isora-kit map import-tiled FILE.tmj OUT.map   (or map-import-tiled)\n"
    "\n"
    "Imports a map made in Tiled (JSON, isometric, 64x32 tiles, at most 50x50 cells).\n"
    "Tiled x is the game's row, Tiled y its column. Layers: tile layer \"ground\" (tilesets\n"
    "with an int property \"tileType\"; bool property \"blocked\" on a tileset or tile blocks\n"
    "its cells), tile layers \"block\", \"script\" and \"exit\" (tile local id = script or exit\n"
    "id), object layer \"objects\" (point objects whose class names an object of the catalogue)\n"
    "and object layer \"roles\" (point objects named after role records, or with an int\n"
    "property \"record\"). Map properties: name, music, startX, startY, file, objectCatalog and\n"
    "roleCatalog (paths relative to the .tmj). See docs/content.md.\n";

}  // namespace

int RunImportTiled(const std::vector<std::string>& args) {
  if (args.empty() || WantsHelp(args)) {
    std::printf("%s", kUsage);
    return args.empty() ? 2 : 0;
  }
  if (args.size() != 2) return Fail("map-import-tiled needs FILE.tmj OUT.map");
  nlohmann::json desc;
  std::string error;
  if (!demo::ImportTiledFile(args[0], desc, &error)) return Fail(error);
  std::string outName = args[1];
  const size_t slash = outName.find_last_of("/\\");
  if (slash != std::string::npos) outName = outName.substr(slash + 1);
  MapFileData map;
  if (!BuildMapFromJson(desc, outName, map, &error)) return Fail(args[0] + ": " + error);
  if (!WriteOutput(args[1], WriteMapFile(map), &error)) return Fail(error);
  std::printf("%s: %zu cells, %zu objects, %zu role placements\n", args[1].c_str(),
              map.cells.size(), map.objects.size(), map.placements.size());
  return 0;
}

ISORA_KIT_COMMAND("map-import-tiled", "import a Tiled map (.tmj) as a map file", RunImportTiled);

}  // namespace isora::kit
