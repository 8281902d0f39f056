#include "lib/demo_tiled.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "foundation/file_io.h"
#include "foundation/number_text.h"
#include "lib/json_read.h"
#include "lib/tiled_reader.h"

namespace isora::demo {

namespace {

constexpr uint32_t kFlipMask = 0xF0000000u;

const nlohmann::json* Property(const nlohmann::json& owner, const std::string& name) {
  if (!owner.is_object() || !owner.contains("properties") || !owner["properties"].is_array())
    return nullptr;
  for (const auto& p : owner["properties"])
    if (p.is_object() && p.value("name", "") == name && p.contains("value")) return &p["value"];
  return nullptr;
}

bool BoolProperty(const nlohmann::json& owner, const std::string& name) {
  const auto* v = Property(owner, name);
  return v &&
         ((v->is_boolean() && v->get<bool>()) || (v->is_number() && v->get<double>() != 0) ||
          (v->is_string() && (v->get<std::string>() == "true" || v->get<std::string>() == "1")));
}

std::string StringProperty(const nlohmann::json& owner, const std::string& name) {
  const auto* v = Property(owner, name);
  return v && v->is_string() ? v->get<std::string>() : std::string();
}

bool IntProperty(const nlohmann::json& owner, const std::string& name, int& out) {
  const auto* v = Property(owner, name);
  if (!v) return false;
  if (v->is_number_integer()) {
    out = v->get<int>();
    return true;
  }
  // A float property holding a whole number is what Tiled writes when the type was left float.
  if (v->is_number_float()) {
    const double d = v->get<double>();
    if (d != std::floor(d) || std::fabs(d) > 1e9) return false;
    out = static_cast<int>(d);
    return true;
  }
  if (v->is_string()) {
    const std::optional<int> n = ParseNumber<int>(v->get<std::string>());
    if (n) out = *n;
    return n.has_value();
  }
  return false;
}

struct Tileset {
  std::string name;
  uint32_t firstGid = 0;
  int tileType = 0;  // 0: not a ground tileset
  bool blocked = false;
  std::vector<int> blockedTiles;
};

struct Fail {
  std::string* error;
  bool operator()(const std::string& m) const {
    if (error) *error = m;
    return false;
  }
};

// The cell under an object's point (Tiled keeps iso object positions in tile-height units).
bool ObjectCell(const nlohmann::json& o, int tileHeight, int n, int& row, int& column) {
  if (!o.contains("x") || !o.contains("y") || !o["x"].is_number() || !o["y"].is_number())
    return false;
  const double r = std::floor(o["x"].get<double>() / tileHeight);
  const double c = std::floor(o["y"].get<double>() / tileHeight);
  // Compared as doubles first: a point far off the map has no int cell.
  if (!(r >= 0 && c >= 0 && r < n && c < n)) return false;
  row = static_cast<int>(r);
  column = static_cast<int>(c);
  return true;
}

std::string ObjectClass(const nlohmann::json& o) {
  for (const char* key : {"class", "type", "name"}) {
    std::string v = o.value(key, "");
    if (!v.empty()) return v;
  }
  return {};
}

}  // namespace

bool ReadJsonFile(const std::string& path, nlohmann::json& out, std::string* error) {
  auto bytes = ReadFileBytes(path, size_t{64} << 20);
  if (!bytes) {
    if (error) *error = "cannot read " + path;
    return false;
  }
  const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
  std::string why;
  if (!ParseJson(text, out, &why)) {
    if (error) *error = path + ": not valid JSON: " + why;
    return false;
  }
  return true;
}

namespace {

bool Convert(const nlohmann::json& tmj, const TiledContext& context, nlohmann::json& out,
             std::string* error, std::vector<std::string>* warnings) {
  Fail fail{error};
  auto warn = [&](const std::string& w) {
    if (warnings) warnings->push_back(w);
  };
  if (!tmj.is_object()) return fail("not a Tiled map");
  const std::string orientation = tmj.value("orientation", "");
  if (orientation != "isometric")
    return fail("the map is " +
                (orientation.empty() ? std::string("of no orientation") : orientation) +
                "; the game's maps are isometric (Map > Map Properties > Orientation)");
  const int tw = JsonInt(tmj, "tilewidth", 0), th = JsonInt(tmj, "tileheight", 0);
  if (tw != 64 || th != 32)
    return fail("the map's tiles are " + std::to_string(tw) + "x" + std::to_string(th) +
                "; the game's are 64x32");
  if (tmj.value("infinite", false))
    return fail("the map is infinite; the game's maps have a fixed size (uncheck Infinite)");
  const int n = JsonInt(tmj, "width", 0);
  if (n < 1 || n > 50 || JsonInt(tmj, "height", 0) != n)
    return fail("the map is " + std::to_string(n) + "x" +
                std::to_string(JsonInt(tmj, "height", 0)) +
                " cells; the game's maps are square, at most 50x50");

  // Catalogues: given by the caller or named by the map.
  ObjectCatalog ownObjects;
  const ObjectCatalog* objects = context.objects;
  if (!objects) {
    std::string rel = StringProperty(tmj, "objectCatalog");
    if (!rel.empty()) {
      nlohmann::json src;
      const auto path = MapRelativePath(context.baseDir, rel);
      if (!path) return fail("objectCatalog " + rel + " lies outside the map's project");
      if (!ReadJsonFile(*path, src, error)) return false;
      if (!ParseObjectCatalog(src, ownObjects, error)) return false;
      objects = &ownObjects;
    }
  }
  nlohmann::json ownRoles;
  const nlohmann::json* roles = context.roles;
  if (!roles) {
    std::string rel = StringProperty(tmj, "roleCatalog");
    if (!rel.empty()) {
      nlohmann::json src;
      const auto path = MapRelativePath(context.baseDir, rel);
      if (!path) return fail("roleCatalog " + rel + " lies outside the map's project");
      if (!ReadJsonFile(*path, src, error)) return false;
      ownRoles = src.value("records", nlohmann::json::array());
      roles = &ownRoles;
    }
  }

  std::vector<Tileset> tilesets;
  for (const auto& def : tmj.value("tilesets", nlohmann::json::array())) {
    Tileset ts;
    ts.firstGid = static_cast<uint32_t>(JsonInt(def, "firstgid", 0));
    ts.name = def.value("name", "");
    if (def.contains("source"))
      return fail("tileset " + def.value("source", "") + " was not read (use ReadTiledMap)");
    IntProperty(def, "tileType", ts.tileType);
    ts.blocked = BoolProperty(def, "blocked");
    for (const auto& t : def.value("tiles", nlohmann::json::array()))
      if (BoolProperty(t, "blocked")) ts.blockedTiles.push_back(JsonInt(t, "id", -1));
    tilesets.push_back(ts);
  }
  std::sort(tilesets.begin(), tilesets.end(),
            [](const Tileset& a, const Tileset& b) { return a.firstGid < b.firstGid; });
  auto tilesetOf = [&](uint32_t gid) -> const Tileset* {
    const Tileset* found = nullptr;
    for (const auto& ts : tilesets)
      if (ts.firstGid <= gid) found = &ts;
    return found;
  };

  struct Cell {
    int tileType = 1, tile = 0, passable = 1, script = 0, exit = 0;
  };
  std::vector<Cell> cells(static_cast<size_t>(n) * n);
  auto cellAt = [&](int row, int column) -> Cell& {
    return cells[static_cast<size_t>(column) + static_cast<size_t>(row) * n];
  };

  const int tileHeight = 32;
  bool haveGround = false;
  nlohmann::json objectsOut = nlohmann::json::array(), placements = nlohmann::json::array();
  struct PlacedObject {
    const ObjectKind* kind;
    int row, column;
    PixelPoint at;
  };
  std::vector<PlacedObject> placed;
  const int x0 = n * 32, y0 = 0;
  int startRow = -1, startColumn = -1;  // a start object's cell

  for (const auto& layer : tmj.value("layers", nlohmann::json::array())) {
    const std::string given = layer.value("name", "");
    // People write "Ground" or "ROLES" as readily as "ground".
    std::string name = given;
    for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    const std::string type = layer.value("type", "");
    const bool tileName = name == "ground" || name == "block" || name == "script" || name == "exit";
    const bool objectName = name == "objects" || name == "roles" || name == "cells";
    if (type == "tilelayer" && tileName) {
      // A size no int can hold is a wrong size, not a missing one.
      const auto sizeOf = [&](const char* key) {
        return layer.contains(key) ? JsonInt(layer, key, -1) : n;
      };
      if (sizeOf("width") != n || sizeOf("height") != n)
        return fail("layer " + given + " is not " + std::to_string(n) + "x" + std::to_string(n));
      const auto& data = layer.value("data", nlohmann::json::array());
      if (!data.is_array() || data.size() != static_cast<size_t>(n) * n)
        return fail("layer " + given + ": data must hold " + std::to_string(n * n) + " tiles");
      int flipped = 0;
      for (int i = 0; i < n * n; ++i) {
        if (!data[i].is_number_unsigned() && !data[i].is_number_integer())
          return fail("layer " + given + ": bad tile value");
        const uint32_t raw = data[i].get<uint32_t>();
        if (raw & kFlipMask) ++flipped;
        uint32_t gid = raw & ~kFlipMask;
        // Tiled stores tile (x, y) at y * width + x; x is the game's row.
        Cell& cell = cellAt(i % n, i / n);
        if (gid == 0) continue;
        const Tileset* ts = tilesetOf(gid);
        if (!ts)
          return fail("layer " + given + ": tile " + std::to_string(gid) + " has no tileset");
        const int local = static_cast<int>(gid - ts->firstGid);
        if (name == "ground") {
          if (ts->tileType < 1 || ts->tileType > 255)
            return fail("layer " + given + ": a tile from tileset \"" + ts->name +
                        "\", which has no int property \"tileType\" (its tiles.ini type)");
          cell.tileType = ts->tileType;
          cell.tile = local;
          if (ts->blocked || std::find(ts->blockedTiles.begin(), ts->blockedTiles.end(), local) !=
                                 ts->blockedTiles.end())
            cell.passable = 0;
        } else if (name == "block") {
          cell.passable = 0;
        } else {
          if (local < 1 || local > 255) return fail("layer " + given + ": ids run from 1 to 255");
          (name == "script" ? cell.script : cell.exit) = local;
        }
      }
      if (flipped)
        warn("layer " + given + ": " + std::to_string(flipped) +
             " flipped or rotated tile(s); the game draws tiles unflipped");
      if (name == "ground") haveGround = true;
    } else if (type == "objectgroup" && name == "objects") {
      for (const auto& o : layer.value("objects", nlohmann::json::array())) {
        std::string kindName = ObjectClass(o);
        int row, column;
        if (!ObjectCell(o, tileHeight, n, row, column))
          return fail("object \"" + kindName + "\" lies outside the map");
        if (!objects) return fail("the map has objects but no \"objectCatalog\" property");
        const ObjectKind* kind = objects->Find(kindName);
        if (!kind) return fail("object \"" + kindName + "\" is not in the object catalogue");
        placed.push_back({kind, row, column, PlaceObject(*kind, row, column, x0, y0)});
      }
    } else if (type == "objectgroup" && (name == "roles" || name == "cells")) {
      for (const auto& o : layer.value("objects", nlohmann::json::array())) {
        // Markers placed from the project's templates: exits, script cells and the start cell.
        std::string marker = o.value("class", o.value("type", ""));
        for (char& ch : marker)
          ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        if (marker == "exit" || marker == "script" || marker == "start") {
          int row, column, id = 0;
          if (!ObjectCell(o, tileHeight, n, row, column))
            return fail("a " + marker + " object lies outside the map");
          if (marker == "start") {
            startRow = row;
            startColumn = column;
            continue;
          }
          if (!IntProperty(o, "id", id) || id < 1 || id > 255)
            return fail("the " + marker + " object on cell (" + std::to_string(row) + ", " +
                        std::to_string(column) + ") needs an int property \"id\" from 1 to 255");
          (marker == "script" ? cellAt(row, column).script : cellAt(row, column).exit) = id;
          continue;
        }
        if (name == "cells") {
          warn("layer " + given + ": object \"" + ObjectClass(o) +
               "\" is no exit, script or start; left out");
          continue;
        }
        std::string roleName = o.value("name", "");
        int row, column, record = 0;
        if (!ObjectCell(o, tileHeight, n, row, column))
          return fail("role \"" + roleName + "\" lies outside the map");
        // A record of 0 (the role template's default) names the role by the object's name.
        if (!IntProperty(o, "record", record) || record == 0) {
          if (!roles) return fail("the map places roles but has no \"roleCatalog\" property");
          for (size_t i = 0; i < roles->size(); ++i)
            if ((*roles)[i].value("roleName", "") == roleName) {
              record = static_cast<int>(i) + 1;
              break;
            }
          if (record == 0) return fail("role \"" + roleName + "\" is not in the role catalogue");
        }
        if (record < 1) return fail("role \"" + roleName + "\": record numbers start at 1");
        placements.push_back({{"record", record}, {"row", row}, {"column", column}});
      }
    } else if (tileName || objectName) {
      warn("layer " + given + " is a " + (type.empty() ? std::string("layer") : type) +
           "; the game reads \"" + name + "\" only from " +
           (tileName ? "a tile layer" : "an object layer") + ", so it is left out");
    } else {
      warn("layer " + given + " (" + type +
           ") is not used by the game (it reads ground, block, script, exit, objects, roles)");
    }
  }
  if (!haveGround) return fail("the map has no tile layer named \"ground\"");

  // Painting order: objects further back first, so nearer ones overlap them.
  std::stable_sort(placed.begin(), placed.end(), [](const PlacedObject& a, const PlacedObject& b) {
    int ay = a.at.y + a.kind->height, by = b.at.y + b.kind->height;
    return ay != by ? ay < by : a.at.x < b.at.x;
  });
  for (const auto& p : placed) {
    const ObjectKind& k = *p.kind;
    if (k.blocks)
      for (int i = 0; i < k.rows; ++i)
        for (int j = 0; j < k.columns; ++j)
          if (p.row + i < n && p.column + j < n) cellAt(p.row + i, p.column + j).passable = 0;
    nlohmann::json pieces = nlohmann::json::array();
    for (auto b : PieceBoxes(k)) pieces.push_back({k.sourceX + b.x, k.sourceY + b.y});
    objectsOut.push_back({{"sourceX", k.sourceX},
                          {"sourceY", k.sourceY},
                          {"x", p.at.x},
                          {"y", p.at.y},
                          {"width", k.width},
                          {"height", k.height},
                          {"pieces", pieces}});
  }

  nlohmann::json cellsOut = nlohmann::json::array();
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      const Cell& cell = cellAt(r, c);
      cellsOut.push_back({{"row", r},
                          {"column", c},
                          {"tileType", cell.tileType},
                          {"tile", cell.tile},
                          {"passable", cell.passable},
                          {"script", cell.script},
                          {"exit", cell.exit}});
    }

  out = nlohmann::json::object();
  std::string file = StringProperty(tmj, "file");
  if (!file.empty()) out["file"] = file;
  out["name"] = StringProperty(tmj, "name");
  out["music"] = StringProperty(tmj, "music");
  int sx = startRow, sy = startColumn;
  if (sx < 0) {
    IntProperty(tmj, "startX", sx);
    IntProperty(tmj, "startY", sy);
    if (!Property(tmj, "startX") || !Property(tmj, "startY"))
      return fail(
          "the map has no start cell: give it int properties \"startX\" and \"startY\", or "
          "place a start object");
  }
  if (sx < 0 || sy < 0 || sx >= n || sy >= n)
    return fail("the start cell (" + std::to_string(sx) + ", " + std::to_string(sy) +
                ") given by startX and startY is outside the map (or not a whole number)");
  out["start"] = {sx, sy};
  out["size"] = n;
  out["origin"] = {x0, y0};
  out["cells"] = std::move(cellsOut);
  out["objects"] = std::move(objectsOut);
  out["placements"] = std::move(placements);
  return true;
}

}  // namespace

bool TiledToMapJson(const nlohmann::json& tmj, const TiledContext& context, nlohmann::json& out,
                    std::string* error, std::vector<std::string>* warnings) {
  // A hand-edited file may hold a text where a number belongs; say so instead of stopping.
  try {
    return Convert(tmj, context, out, error, warnings);
  } catch (const nlohmann::json::exception& e) {
    return Fail{error}(std::string("a value of the wrong type: ") + e.what());
  }
}

bool ImportTiledMap(const std::string& path, const TiledContext& context, nlohmann::json& out,
                    std::vector<std::string>* warnings, std::string* error) {
  nlohmann::json tmj;
  if (!ReadTiledMap(path, tmj, warnings, error)) return false;
  TiledContext local = context;
  if (local.baseDir.empty()) local.baseDir = std::filesystem::path(path).parent_path().string();
  if (!TiledToMapJson(tmj, local, out, error, warnings)) {
    if (error) *error = path + ": " + *error;
    return false;
  }
  return true;
}

bool ImportTiledFile(const std::string& path, nlohmann::json& out, std::string* error,
                     std::vector<std::string>* warnings) {
  return ImportTiledMap(path, TiledContext{}, out, warnings, error);
}

std::vector<std::string> MapSourceFiles(const std::string& sourceDir) {
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& e :
       std::filesystem::directory_iterator(std::filesystem::path(sourceDir) / "maps", ec)) {
    const std::string ext = e.path().extension().string();
    if (e.is_regular_file() && (ext == ".tmj" || ext == ".tmx")) out.push_back(e.path().string());
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace isora::demo
