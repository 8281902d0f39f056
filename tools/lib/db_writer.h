// Writing the item and skill tables, and their JSON form for content makers.
//
// JSON conventions (`isora-kit db build FILE.json OUT`, `isora-kit db dump FILE --json`):
//
//   {"kind": "items", "records": [ {...}, {...}, ... ]}      or  "kind": "skills"
//
// - "records" lists one object per record in id order; the first object is record 0, the
//   placeholder no search ever finds (an empty object {} will do).
// - Field names are the record's fields in lowerCamel; an omitted field is 0 or empty; an
//   unknown field name is an error (it is nearly always a typo). An optional "id" is checked
//   against the record's position.
// - Texts are UTF-8 and are converted to the game's GBK when built; a text longer than its field
//   (after conversion, terminator included) is an error.
// - items: name, price, description, note, type (0 potion, 1 weapon, 2 armour, 3 baldric,
//   4 book, 5..7 bags of 3x3, 4x4, 5x5), reserved, picture, needLevel, hp, mp, exp, attack,
//   defence, moral, hitRate, maxHp, maxMp.
// - skills: name, description, kind (1 attack, 0 healing), range (0 = 20), power, maxLevel,
//   growth (percent per level), sound, icon, effectFrames (array of up to 20 names),
//   effectFrameCount (default: the number of effectFrames given), mpCost, shortcutKey (a
//   one-character text).
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <vector>

#include "items/item_database.h"
#include "items/skill_database.h"

namespace isora {

std::vector<uint8_t> EncodeItemRecord(const ItemRecord& record);    // kItemRecordSize bytes
std::vector<uint8_t> EncodeSkillRecord(const SkillRecord& record);  // kSkillRecordSize bytes
// Whole table files: magic, four zero bytes, the records.
std::vector<uint8_t> BuildItemTable(const std::vector<ItemRecord>& records);
std::vector<uint8_t> BuildSkillTable(const std::vector<SkillRecord>& records);

nlohmann::ordered_json ItemToJson(const ItemRecord& record);
nlohmann::ordered_json SkillToJson(const SkillRecord& record);
bool ItemFromJson(const nlohmann::json& j, ItemRecord& out, std::string* error);
bool SkillFromJson(const nlohmann::json& j, SkillRecord& out, std::string* error);

// A JSON document in the form above to a table file.
bool BuildDatabaseFromJson(const nlohmann::json& doc, std::vector<uint8_t>& out,
                           std::string* error);
// A table file (either kind, told by its magic) to the JSON form, every field of every record.
bool DatabaseToJson(std::span<const uint8_t> file, nlohmann::ordered_json& out, std::string* error);

}  // namespace isora
