// Writes ".map" files, from the parsed structure or from a JSON description.
//
// JSON source of `isora-kit map build SRC.json OUT.map` (texts UTF-8, written as GBK):
//
//   {
//     "file": "town.map",        map file field; default: the output file's name
//     "name": "Town",            map name shown on screen
//     "music": "town.mid",       music under music\ (header offset 68)
//     "start": [10, 12],         default player start tile x, y (header offsets 84, 88)
//     "size": 50,                N, cells per side (N * 64 should fit 3200 pixels)
//     "origin": [1600, 0],       top corner of cell (0, 0) in the map picture; default [N*32, 0]
//     "defaults": {...},         cell fields given to every cell (below)
//     "legend": {"#": {...}},    cell fields per character of "rows"
//     "rows": ["..#.", ...],     optional: N strings of N characters, row 0 first, column 0
//                                 first; each character's legend fields apply to that cell
//     "cells": [{"row": 3, "column": 4, ...}],   per-cell fields, applied last
//     "objects": [{"sourceX": 0, "sourceY": 0, "x": 100, "y": 200, "width": 128,
//                  "height": 96, "pieces": [[0, 64], [64, 64]]}],
//     "placements": [{"record": 1, "row": 5, "column": 6}]
//   }
//
// Cell fields (all optional): "tileType" (tile picture number of tiles.ini), "tile" (index j
// of the 64x32 picture in the tile picture, sets tileX = (j % 10) * 64, tileY = (j % 100 / 10)
// * 32), "tileX", "tileY", "passable" (0 blocks), "script" (script id of scripts.ini),
// "exit" (exit id of maps.ini). Defaults: tileType 1, tile 0, passable 1, no script, no exit.
// The box of cell (r, c) is placed by the isometric layout: x = x0 + 32 (r - c) - 32,
// y = y0 + 16 (r + c). Object pieces are top-left corners of 64x32 pieces in obj.bmp that
// lie on the ground under the roles (at most 30).
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "world/map_file.h"

namespace isora {

// Serialises a map; the header's three counts are written from the vectors.
std::vector<uint8_t> WriteMapFile(const MapFileData& map);

// Builds a map from the JSON description above; false with *error on a bad description.
bool BuildMapFromJson(const nlohmann::json& src, const std::string& defaultFileName,
                      MapFileData& out, std::string* error);

// Describes a map: header fields and counts, and every cell when withCells is set.
nlohmann::json MapToJson(const MapFileData& map, bool withCells);

}  // namespace isora
