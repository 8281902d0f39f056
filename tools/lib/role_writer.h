// Writes role animation files (".pmg"), from the parsed structure or from a JSON description.
//
// JSON source of `isora-kit role build SRC.json OUT` (texts UTF-8, written as GBK):
//
//   {
//     "frames": [{"width": 48, "height": 80, "image": "hero_s0.bmp"}, ...],   optional
//     "states": [
//       {"name": "stand", "framesPerDirection": 4, "firstFrame": 0},
//       {"name": "walk", "framesPerDirection": 6, "width": 48, "height": 80,
//        "image": "hero_walk_{d}_{k}.bmp"},
//       {"name": "die", "framesPerDirection": 3,
//        "frames": [{"width": 64, "height": 40, "image": "die_1_0.bmp"}, ...]}
//     ]
//   }
//
// A state names its frames in one of three ways: "firstFrame" (an index into the top-level
// "frames", which come first in the file); "image", a name pattern expanded into 8 x
// framesPerDirection frames of the given width and height, {d} standing for the direction 1..8
// and {k} for the step 0..framesPerDirection-1; or its own "frames" list of 8 x
// framesPerDirection entries, direction 1 first. Expanded frames are appended in state order.
// Directions run clockwise from north: 1 up, 3 east (right), 5 down, 7 west.
// Images are pictures of the "role" image pack.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "roles/role_animation.h"

namespace isora {

std::vector<uint8_t> WriteRoleAnimation(const RoleAnimation& anim);

bool BuildRoleFromJson(const nlohmann::json& src, RoleAnimation& out, std::string* error);

// States with names, frames per direction and first frame; frames with sizes and image names.
nlohmann::json RoleToJson(const RoleAnimation& anim);

}  // namespace isora
