// Generators of every picture of the demo game, drawn by code from the parameters in
// content/demo/art (art.json, objects.json) and content/demo/roles/roles.json. All output is
// deterministic: the same parameters give the same pixels.
#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "lib/ani_writer.h"
#include "lib/demo_objects.h"
#include "lib/demo_raster.h"

namespace isora::demo {

struct Picture {
  std::string name;  // member name in its image pack
  Image image;
};

// The ui pack: splash pictures, title and menu screens, buttons, panels, tutorial pages,
// credits, game-over and boss-key screens.
std::vector<Picture> MakeUiPictures(const nlohmann::json& art);
// The face pack: 80x80 portraits.
std::vector<Picture> MakeFacePictures(const nlohmann::json& art);
// The items pack: 32x32 icons.
std::vector<Picture> MakeItemPictures(const nlohmann::json& art);
// The skill pack: 32x32 icons and the effect frames "<effect>_<k>.bmp" of every skill.
std::vector<Picture> MakeSkillPictures(const nlohmann::json& art, const nlohmann::json& skills);

// One 64x32 ground tile of a style of art.json "tiles"; its texture continues seamlessly into
// the neighbouring cells of the same style.
Image MakeTile(const std::string& styleName, const nlohmann::json& style, int index);
// The tiles of one tile type side by side, 10 per row (the tile picture layout of tiles.ini,
// also the tileset picture for Tiled).
Image MakeTileSheet(const std::string& styleName, const nlohmann::json& style, int count);
// The numbered marker tiles of the Tiled "ids" tileset (tile 0: blocked).
Image MakeIdsSheet();
// Hand-drawn first pictures of tile types without a style, by prefix: an object's `base` may
// name such a type instead of a style.
using BaseTiles = std::map<std::string, Image>;
// tiles\obj.bmp: every catalogue object at its place.
Image MakeObjectSheet(const ObjectCatalog& catalog, const nlohmann::json& tileStyles,
                      const BaseTiles& baseTiles = {});
// One object picture (also used for previews).
Image MakeObjectPicture(const ObjectKind& kind, const nlohmann::json& tileStyles,
                        const BaseTiles& baseTiles = {});

// Role animation frames of one set of roles.json: every state in 8 directions, named
// "<prefix>\<state><direction>_<step>.bmp", all of one size.
struct RoleFrames {
  int width = 0, height = 0;
  std::vector<Picture> frames;
};
RoleFrames MakeRoleFrames(const nlohmann::json& set);
// The size of every frame of a set, without drawing them.
void RoleFrameSize(const nlohmann::json& set, int& w, int& h);
// The frame of one state, direction (1-8) and step.
Image DrawRoleFrame(const nlohmann::json& set, const std::string& state, int direction, int step,
                    int steps);

// The animated cursor's frames.
std::vector<CursorFrame> MakeCursorFrames(const nlohmann::json& art);

}  // namespace isora::demo
