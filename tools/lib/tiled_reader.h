// Reads Tiled files as Tiled 1.10 saves them and gives one shape to all of them: the JSON map
// format (.tmj). TMX maps (XML, Tiled's default), TSX and TSJ tilesets, TX and TJ object
// templates are read; layer data in CSV, XML tiles or base64 (plain, zlib, gzip or zstd) becomes
// a plain array of tile ids; group layers are flattened into their children in drawing order;
// external tilesets and templates are merged into the map; property values get the JSON type
// their declared type names (a bool written "true", an int written "3").
//
// The result keeps Tiled's own names, so the importer reads one format only. No tileset
// picture is opened.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace isora::demo {

// owner[key] as an int: an integer held to the int range, a float truncated when it fits (Tiled
// writes whole numbers as floats now and then); `fallback` when the key is missing or a float
// no int can hold. A value that is not a number throws nlohmann's type_error, as value() does.
int JsonInt(const nlohmann::json& owner, const char* key, int fallback);

// Reads the map file at path (.tmx or .tmj, told apart by content) into the JSON map shape.
// Things the game cannot use but that do not stop the import (layer offsets, parallax, hidden
// group layers) are added to *warnings. False with *error naming the reason.
bool ReadTiledMap(const std::string& path, nlohmann::json& out, std::vector<std::string>* warnings,
                  std::string* error);

// The same for a map held in memory; baseDir resolves external tilesets and templates.
bool ParseTiledMap(const std::string& text, const std::string& baseDir, nlohmann::json& out,
                   std::vector<std::string>* warnings, std::string* error);

// A file a map names (tileset, template, catalogue), relative to the map's folder, as a path to
// open. Tiled keeps a project's maps, tilesets and templates side by side, so ".." is
// ordinary; but the file must lie inside the folder above the map's folder (for a game
// source: the source folder), so a stranger's map cannot name any file of the machine. Empty
// when it would leave it, or is absolute.
std::optional<std::string> MapRelativePath(const std::string& mapFolder, const std::string& rel);

// Decodes base64 layer data, inflating it with compression "" (none), "zlib", "gzip" or "zstd",
// into exactly count tile ids (little-endian 32-bit words). False with *error on bad data.
bool DecodeLayerData(const std::string& base64, const std::string& compression, size_t count,
                     std::vector<uint32_t>& out, std::string* error);

}  // namespace isora::demo
