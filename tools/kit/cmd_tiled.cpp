// isora-kit map-import-tiled: a Tiled map (.tmx or .tmj) to a game map file.
#include <cstdio>

#include "kit/kit.h"
#include "lib/demo_tiled.h"
#include "lib/map_writer.h"

namespace isora::kit {

namespace {

constexpr const char* kUsage =
    "usage: isora-kit map import-tiled FILE.tmx|FILE.tmj OUT.map   (or map-import-tiled)\n"
    "\n"
    "Imports a map made in Tiled 1.10 as Tiled saves it: TMX (XML) or JSON, tilesets inline\n"
    "or external (TSX or TSJ), layer data in CSV or base64 (plain, zlib, gzip or zstd), group\n"
    "layers, object templates (TX or TJ). The map must be isometric with 64x32 tiles, finite\n"
    "and square, at most 50x50 cells; no tileset picture is needed. Layer names are matched\n"
    "without regard to case; layers, flips and offsets the game cannot use are warned about.\n"
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
  if (args.size() != 2) return Fail("map-import-tiled needs FILE.tmx|FILE.tmj OUT.map");
  nlohmann::json desc;
  std::string error;
  std::vector<std::string> warnings;
  const bool ok = demo::ImportTiledFile(args[0], desc, &error, &warnings);
  for (const std::string& w : warnings)
    std::fprintf(stderr, "%s: warning: %s\n", args[0].c_str(), w.c_str());
  if (!ok) return Fail(error);
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

ISORA_KIT_COMMAND("map-import-tiled", "import a Tiled map (.tmx or .tmj) as a map file",
                  RunImportTiled);

}  // namespace isora::kit
