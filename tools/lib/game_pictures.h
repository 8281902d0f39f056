// The one list of the pictures a game source's build packs: what the generators draw (from
// art.json, skills.json and roles.json), the ground tiles tiles.ini asks for, and every
// hand-drawn file under art/. The builder packs exactly this, `check` resolves picture names
// against it and `art list` prints it, so none of them can disagree about a picture.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "foundation/ini_file.h"
#include "lib/bmp_writer.h"

namespace isora::demo {

struct PictureName {
  std::string word;    // the pack's folder word: role, ui, face, items, skill, tiles
  std::string member;  // its member name in that pack, "\" separated
};

// The names the generators draw, without drawing them. Throws nlohmann::json's exceptions on a
// value of the wrong type (as the generators would).
std::vector<PictureName> GeneratedPictureNames(const nlohmann::json& art,
                                               const nlohmann::json& skills,
                                               const nlohmann::json& roles);

// One tile type of tiles.ini.
struct TileTypeNames {
  int type = 0;
  std::string prefix;
  int first = 0, last = 0, count = 0;
  bool pad = false;
};

// The members "<type>\<prefix><number>.bmp" of a tile type, picture 0 first. Numbers run from
// first; padded ones take the width of last.
std::vector<std::string> TileMembers(const TileTypeNames& t);

// The tile types of a loaded tiles.ini (GBK keys, as packed), type 1 first.
std::vector<TileTypeNames> TileTypesOf(const IniFile& tilesIni);

// "art/items/Moonberry.png" (source-relative, a pack word folder) to its pack word and member
// name ("items", "Moonberry.bmp"); false for a path outside the art word folders.
bool ArtFileMember(const std::string& rel, PictureName& out);

// Decodes a BMP (any depth the game reads) into opaque 0xRRGGBB pixels.
bool DecodeBmpImage(const std::vector<uint8_t>& bytes, BmpImage& out);

}  // namespace isora::demo
