// isora-kit map build | info | cell
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>

#include "foundation/file_io.h"
#include "foundation/gbk.h"
#include "foundation/number_text.h"
#include "kit/kit.h"
#include "kit/kit_json.h"
#include "lib/map_writer.h"
#include "lib/role_standing.h"
#include "roles/npc_record.h"
#include "roles/role_animation.h"
#include "world/game_map.h"

namespace isora::kit {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: isora-kit map build SRC.json OUT.map   build a map from its JSON description\n"
    "       isora-kit map info FILE [--json] [--cells]   header, counts, objects, placements\n"
    "       isora-kit map cell FILE X Y            the cell (row column) holding map point X Y\n"
    "       isora-kit map import-tiled FILE.tmj OUT.map   import a map made in Tiled\n";

bool ReadMap(const std::string& spec, MapFileData& map, std::string* error) {
  auto bytes = ReadInput(spec, error);
  if (!bytes) return false;
  std::string why;
  if (!ParseMapFile(*bytes, map, &why)) {
    *error = spec + ": " + why;
    return false;
  }
  return true;
}

int Build(const std::vector<std::string>& args) {
  if (args.size() != 3) return Fail("map build needs SRC.json OUT.map");
  nlohmann::json src;
  std::string error;
  if (!ReadJsonFile(args[1], src, &error)) return Fail(error);
  std::string name = args[2];
  if (size_t slash = name.find_last_of("/\\"); slash != std::string::npos)
    name = name.substr(slash + 1);
  MapFileData map;
  if (!BuildMapFromJson(src, name, map, &error)) return Fail(args[1] + ": " + error);
  if (!WriteOutput(args[2], WriteMapFile(map), &error)) return Fail(error);
  return 0;
}

// A placed role's name and standing picture size, read from the game folder the map lies in
// (<game>/map/x.map beside <game>/data/npc.npc); a person's usual 56 x 72 when it is not there.
struct RoleLook {
  std::string name;
  int width = 56, height = 72;
};

RoleLook LookOf(const std::string& mapPath, int recordNumber) {
  RoleLook look;
  const fs::path data = fs::path(mapPath).parent_path() / ".." / "data";
  auto npcs = ReadFileBytes((data / "npc.npc").string(), size_t{64} << 20);
  const size_t at = kNpcFileHeaderSize + static_cast<size_t>(recordNumber - 1) * kNpcRecordSize;
  if (!npcs || recordNumber < 1 || at + kNpcRecordSize > npcs->size()) return look;
  const NpcRecord record =
      ParseNpcRecord(std::span<const uint8_t>(npcs->data() + at, kNpcRecordSize));
  look.name = GbkToUtf8(record.roleName);
  auto bytes = ReadFileBytes((data / record.animationFile).string(), size_t{64} << 20);
  RoleAnimation animation;
  std::string error;
  if (!bytes || !ParseRoleAnimation(*bytes, animation, &error)) return look;
  if (const RoleFrame* f = animation.Frame(0)) {
    look.width = f->width;
    look.height = f->height;
  }
  return look;
}

int Info(const std::vector<std::string>& args) {
  if (args.size() < 2) return Fail("map info needs FILE");
  bool json = false, cells = false;
  for (size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--json")
      json = true;
    else if (args[i] == "--cells")
      cells = true;
    else
      return Fail("unknown option " + args[i]);
  }
  MapFileData map;
  std::string error;
  if (!ReadMap(args[1], map, &error)) return Fail(error);
  nlohmann::json j = MapToJson(map, cells);
  if (json) {
    std::cout << j.dump(2) << "\n";
    return 0;
  }
  std::printf("file: %s\nname: %s\nmusic: %s\nstart: %d %d\nsize: %d\n",
              j["file"].get<std::string>().c_str(), j["name"].get<std::string>().c_str(),
              j["music"].get<std::string>().c_str(), map.header.StartX(), map.header.StartY(),
              map.header.N());
  std::printf("objects: %d\nplacements: %d\nblocked cells: %d\nscript cells: %d\nexit cells: %d\n",
              map.header.ObjectCount(), map.header.PlacementCount(), j["blockedCells"].get<int>(),
              j["scriptCells"].get<int>(), j["exitCells"].get<int>());
  for (size_t i = 0; i < map.objects.size(); ++i) {
    const MapObject& o = map.objects[i];
    std::printf("object %zu: source %d %d at %d %d size %dx%d pieces %d\n", i, o.sourceX, o.sourceY,
                o.x, o.y, o.width, o.height, o.pieceCount);
  }
  for (size_t i = 0; i < map.placements.size(); ++i) {
    const RolePlacement& p = map.placements[i];
    const RoleLook look = LookOf(args[1], p.recordNumber);
    const demo::StandingRole r =
        demo::PlaceRole(map, look.name, p.row, p.column, look.width, look.height);
    std::printf("placement %zu: record %d%s at row %d column %d, stands on row %d column %d\n", i,
                p.recordNumber, look.name.empty() ? "" : (" (" + look.name + ")").c_str(), p.row,
                p.column, r.row, r.column);
  }
  if (cells) {
    for (const auto& c : j["cells"])
      std::printf("cell %d %d: tile %d (%d,%d) at %d %d passable %d script %d exit %d\n",
                  c["row"].get<int>(), c["column"].get<int>(), c["tileType"].get<int>(),
                  c["tileX"].get<int>(), c["tileY"].get<int>(), c["x"].get<int>(),
                  c["y"].get<int>(), c["passable"].get<int>(), c["script"].get<int>(),
                  c["exit"].get<int>());
  }
  return 0;
}

int Cell(const std::vector<std::string>& args) {
  if (args.size() != 4) return Fail("map cell needs FILE X Y");
  const std::optional<int> x = ParseNumber<int>(args[2]), y = ParseNumber<int>(args[3]);
  if (!x || !y) return Fail("X and Y must be integers");
  std::string error;
  auto bytes = ReadInput(args[1], &error);
  if (!bytes) return Fail(error);
  MapFileData probe;
  if (!ParseMapFile(*bytes, probe, &error)) return Fail(args[1] + ": " + error);
  GameLog quiet("/dev/null");
  GameMap map(&quiet);
  map.LoadBytes(*bytes);
  CellIndex c = map.CellAt(*x, *y);
  std::printf("%d %d\n", c.row, c.column);
  return 0;
}

int ImportTiled(const std::vector<std::string>& args) {
  return RunImportTiled({args.begin() + 1, args.end()});
}

int RunMap(const std::vector<std::string>& args) {
  return RunSubcommand(
      "map", kUsage, args,
      {{"build", Build}, {"info", Info}, {"cell", Cell}, {"import-tiled", ImportTiled}});
}

}  // namespace

ISORA_KIT_COMMAND("map", "build and describe map files", RunMap);

}  // namespace isora::kit
