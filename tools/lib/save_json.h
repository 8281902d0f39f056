// A save file as JSON: every field of the format in its order, with names. Texts are UTF-8 in
// JSON and the game's GBK in the save. `isora-kit save dump/build` and tests use it.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "save/save_data.h"

namespace isora {

nlohmann::ordered_json SaveToJson(const SaveData& data);
// The reverse; fields left out take their defaults. False with *error on a malformed document.
bool SaveFromJson(const nlohmann::ordered_json& j, SaveData& out, std::string* error);

}  // namespace isora
