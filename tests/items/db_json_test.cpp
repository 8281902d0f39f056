#include <gtest/gtest.h>

#include "foundation/gbk.h"
#include "items/item_database.h"
#include "items/skill_database.h"
#include "lib/db_writer.h"

namespace isora {
namespace {

using nlohmann::json;

TEST(DbJson, BuildsTablesFromContentSources) {
  json doc = json::parse(R"({"kind": "items", "records": [
      {}, {"id": 1, "name": "药", "price": 20, "type": 0, "hp": 50, "maxMp": -3}]})");
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(BuildDatabaseFromJson(doc, bytes, &error)) << error;
  ItemDatabase db;
  ASSERT_TRUE(db.LoadFromBytes(bytes));
  ASSERT_EQ(db.Count(), 2);
  EXPECT_EQ(db.Get(1).name, Gbk(u8"药"));
  EXPECT_EQ(db.Get(1).hp, 50);
  EXPECT_EQ(db.Get(1).maxMp, -3);

  json skills = json::parse(R"({"kind": "skills", "records": [{},
      {"name": "Fire", "effectFrames": ["a", "b", "c"], "shortcutKey": "F"}]})");
  ASSERT_TRUE(BuildDatabaseFromJson(skills, bytes, &error)) << error;
  SkillDatabase sdb;
  ASSERT_TRUE(sdb.LoadFromBytes(bytes));
  EXPECT_EQ(sdb.Get(1).effectFrameCount, 3);
  EXPECT_EQ(sdb.Get(1).effectFrames[2], "c");
  EXPECT_EQ(sdb.Get(1).shortcutKey, 'F');
}

TEST(DbJson, DumpThenBuildGivesTheSameBytes) {
  ItemRecord sword;
  sword.name = "\xBD\xA3";
  sword.type = 1;
  sword.reserved = 9;
  sword.note = "n";
  auto items = BuildItemTable({ItemRecord{}, sword});
  SkillRecord fire;
  fire.name = "Fire";
  fire.effectFrames[19] = "last";
  fire.effectFrameCount = 20;
  auto skills = BuildSkillTable({SkillRecord{}, fire});
  for (const auto& table : {items, skills}) {
    nlohmann::ordered_json doc;
    std::string error;
    ASSERT_TRUE(DatabaseToJson(table, doc, &error)) << error;
    std::vector<uint8_t> rebuilt;
    ASSERT_TRUE(BuildDatabaseFromJson(json::parse(doc.dump()), rebuilt, &error)) << error;
    EXPECT_EQ(rebuilt, table);
  }
}

TEST(DbJson, MistakesAreReportedWithTheirRecord) {
  std::vector<uint8_t> bytes;
  std::string error;
  auto fails = [&](const char* text) {
    error.clear();
    bool ok = BuildDatabaseFromJson(json::parse(text), bytes, &error);
    return !ok && !error.empty();
  };
  EXPECT_TRUE(fails(R"({"kind": "weapons", "records": []})"));
  EXPECT_TRUE(fails(R"({"kind": "items"})"));
  EXPECT_TRUE(fails(R"({"kind": "items", "records": [{}, {"nmae": "x"}]})"));
  EXPECT_EQ(error, "record 1: unknown field nmae");
  EXPECT_TRUE(fails(R"({"kind": "items", "records": [{}, {"id": 2}]})"));
  EXPECT_TRUE(fails(R"({"kind": "items", "records": [{"price": "12"}]})"));
  EXPECT_TRUE(fails(R"({"kind": "items", "records": [{"price": 4294967296}]})"));
  EXPECT_TRUE(fails(R"({"kind": "items", "records": [{"picture": "a_very_long_name.bmp"}]})"));
  EXPECT_TRUE(fails(R"({"kind": "skills", "records": [{"shortcutKey": "FG"}]})"));
  nlohmann::ordered_json out;
  EXPECT_FALSE(DatabaseToJson(std::vector<uint8_t>{'v', 'd', 's', 'g'}, out, &error));
}

}  // namespace
}  // namespace isora
