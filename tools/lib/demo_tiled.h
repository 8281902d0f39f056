// Imports maps made in Tiled (TMX or JSON, isometric, 64x32 tiles) into the game's map
// description (map_writer.h). Conventions, also described in docs/content.md:
//
// - Tiled's x axis is the game's row, its y axis the game's column: cell (row r, column c) is
//   Tiled tile (r, c), and the map looks the same in Tiled and in the game.
// - Layer names are matched without regard to case; group layers count as their children.
// - Tile layer "ground": the cell pictures. A tileset with the int property "tileType" is the
//   tile picture of that tiles.ini type; a tile's local id is its picture index j. A tileset or
//   tile with the bool property "blocked" makes its cells impassable (water, walls).
// - Tile layer "block": any tile blocks its cell. Tile layers "script" and "exit": the local
//   id of the tile (the numbered "ids" tileset) is the cell's script id (scripts.ini) or exit
//   id (maps.ini).
// - Object layer "objects": point objects whose class (or type, or name) names an entry of the
//   object catalogue; the object stands on the cell under the point and blocks its footprint
//   when the catalogue says so.
// - Object layer "roles": point objects named after a role record (or with the int property
//   "record"); one placement on the cell under the point.
// - Map properties: "name" (shown on screen), "music" (file under music\), "startX" and
//   "startY" (the default start cell: row and column), optional "file", and the catalogue
//   paths "objectCatalog" and "roleCatalog", relative to the .tmj file.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "lib/demo_objects.h"

namespace isora::demo {

struct TiledContext {
  std::string baseDir;                     // folder of the .tmj, for relative paths
  const ObjectCatalog* objects = nullptr;  // null: loaded from "objectCatalog"
  const nlohmann::json* roles = nullptr;   // role records list; null: from "roleCatalog"
};

// Converts a map in Tiled's JSON shape (external tilesets and templates already merged, layer
// data plain arrays: see tiled_reader.h) into the JSON description accepted by
// BuildMapFromJson. What the game cannot use but can do without (unknown layers, flipped
// tiles) is added to *warnings; a map the game cannot take is refused with the reason.
bool TiledToMapJson(const nlohmann::json& tmj, const TiledContext& context, nlohmann::json& out,
                    std::string* error, std::vector<std::string>* warnings = nullptr);

// Reads a .tmx or .tmj file and converts it. Catalogues not given by the context are loaded
// from the paths the map names; an empty baseDir is the map's folder.
bool ImportTiledMap(const std::string& path, const TiledContext& context, nlohmann::json& out,
                    std::vector<std::string>* warnings, std::string* error);
bool ImportTiledFile(const std::string& path, nlohmann::json& out, std::string* error,
                     std::vector<std::string>* warnings = nullptr);

// The map sources of a game source folder: maps/*.tmj and maps/*.tmx, sorted by name.
std::vector<std::string> MapSourceFiles(const std::string& sourceDir);

// Reads a JSON file; false with *error when it cannot be read or parsed.
bool ReadJsonFile(const std::string& path, nlohmann::json& out, std::string* error);

}  // namespace isora::demo
