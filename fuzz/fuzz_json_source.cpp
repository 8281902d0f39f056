// The JSON content sources: the located parser, then every reader the kit builds game files
// with (item and skill tables, the NPC list, a map description, a role set, the object
// catalogue), each given the document and, for a list, its first record. A map's header must
// keep the texts it was built from.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "foundation/gbk.h"
#include "lib/db_writer.h"
#include "lib/demo_objects.h"
#include "lib/json_source.h"
#include "lib/map_writer.h"
#include "lib/npc_writer.h"
#include "lib/role_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  isora::demo::JsonSource source;
  std::string error;
  if (!isora::demo::ParseJsonSource(text, source, &error)) {
    if (error.empty()) __builtin_trap();  // a refusal always says where
    return 0;
  }
  // Every located value has a line inside the text.
  int lines = 1;
  for (char c : text) lines += c == '\n';
  for (const auto& [pointer, line] : source.lines) {
    if (line < 1 || line > lines) __builtin_trap();
    (void)source.LineOf(pointer + "/0/x");
  }
  const nlohmann::json& doc = source.doc;
  std::vector<uint8_t> table;
  (void)isora::BuildDatabaseFromJson(doc, table, &error);
  std::vector<isora::NpcRecord> npcs;
  (void)isora::BuildNpcRecordsFromJson(doc, npcs, &error);
  isora::MapFileData map;
  if (isora::BuildMapFromJson(doc, "fuzz.map", map, &error)) {
    (void)isora::WriteMapFile(map);
    // The header keeps the texts it was given, or the build refused them.
    const std::pair<const char*, std::string> texts[] = {{"file", map.header.MapFile()},
                                                         {"name", map.header.MapName()},
                                                         {"music", map.header.MusicName()}};
    for (const auto& [key, stored] : texts) {
      auto it = doc.find(key);
      if (it != doc.end() && isora::GbkToUtf8(stored) != it->get<std::string>()) __builtin_trap();
    }
  }
  isora::RoleAnimation role;
  if (isora::BuildRoleFromJson(doc, role, &error)) (void)isora::WriteRoleAnimation(role);
  isora::demo::ObjectCatalog catalog;
  (void)isora::demo::ParseObjectCatalog(doc, catalog, &error);
  const nlohmann::json* first = &doc;
  if (doc.is_array() && !doc.empty()) first = &doc[0];
  if (doc.is_object()) {
    for (const char* key : {"items", "skills", "records", "sets"}) {
      auto it = doc.find(key);
      if (it != doc.end() && it->is_array() && !it->empty()) first = &(*it)[0];
    }
  }
  isora::ItemRecord item;
  if (isora::ItemFromJson(*first, item, &error)) (void)isora::EncodeItemRecord(item);
  isora::SkillRecord skill;
  if (isora::SkillFromJson(*first, skill, &error)) (void)isora::EncodeSkillRecord(skill);
  if (first != &doc && isora::BuildRoleFromJson(*first, role, &error))
    (void)isora::WriteRoleAnimation(role);
  return 0;
}
