// The table writers refuse what they would otherwise mangle or drop: a character GBK cannot
// hold (it would become "?"), a zero character (the text would end there) and a misspelt role
// field.
#include <gtest/gtest.h>

#include "lib/db_writer.h"
#include "lib/npc_writer.h"
#include "lib/role_writer.h"

namespace isora {
namespace {

using json = nlohmann::json;

TEST(WriterRefusals, ItemTextsMustFitGbk) {
  std::vector<uint8_t> table;
  std::string error;
  json items = {{"kind", "items"},
                {"records", json::array({json::object(), {{"name", "Snow ☃ Globe"}}})}};
  EXPECT_FALSE(BuildDatabaseFromJson(items, table, &error));
  EXPECT_NE(error.find("name holds a character GBK cannot hold"), std::string::npos) << error;
  items["records"][1]["name"] = "雪球";  // Chinese is fine
  EXPECT_TRUE(BuildDatabaseFromJson(items, table, &error)) << error;
}

TEST(WriterRefusals, RoleRecordsRefuseUnknownFieldsAndNonGbkText) {
  std::vector<NpcRecord> out;
  std::string error;
  EXPECT_FALSE(BuildNpcRecordsFromJson(
      {{"records", json::array({{{"roleName", "Guard"}, {"talkmode", 1}}})}}, out, &error));
  EXPECT_EQ(error, "record 1: unknown field \"talkmode\"");
  EXPECT_FALSE(BuildNpcRecordsFromJson(
      {{"records", json::array({{{"roleName", "Guard"}, {"talkLines", {"Hi ☃"}}}})}}, out, &error));
  EXPECT_NE(error.find("GBK"), std::string::npos) << error;
  EXPECT_FALSE(
      BuildNpcRecordsFromJson({{"records", json::array({{{"roleName", "Gu☃rd"}}})}}, out, &error));
  EXPECT_NE(error.find("\"roleName\" holds a character GBK cannot hold"), std::string::npos)
      << error;
  EXPECT_TRUE(BuildNpcRecordsFromJson(
      {{"records", json::array({{{"roleName", "Guard"}, {"talkLines", {"你好"}}}})}}, out, &error))
      << error;
}

// The binary files end a text at its first zero byte, so "Snow\u0000Globe" would be written as
// "Snow" and the build would report success.
TEST(WriterRefusals, AZeroCharacterInATextIsRefusedNotCutShort) {
  std::string error;
  std::vector<uint8_t> table;
  EXPECT_FALSE(BuildDatabaseFromJson(
      json::parse(R"({"kind": "items", "records": [{"name": "Snow\u0000Globe"}]})"), table,
      &error));
  EXPECT_NE(error.find("name holds a zero character (\\u0000)"), std::string::npos) << error;

  std::vector<NpcRecord> npcs;
  EXPECT_FALSE(BuildNpcRecordsFromJson(json::parse(R"({"records": [{"roleName": "Gu\u0000ard"}]})"),
                                       npcs, &error));
  EXPECT_EQ(error, "record 1: \"roleName\" holds a zero character (\\u0000)");
  EXPECT_FALSE(BuildNpcRecordsFromJson(
      json::parse(R"({"records": [{"roleName": "Guard", "talkLines": ["Hi\u0000"]}]})"), npcs,
      &error));
  EXPECT_EQ(error, "record 1: a talk line holds a zero character (\\u0000)");

  RoleAnimation role;
  EXPECT_FALSE(BuildRoleFromJson(
      json::parse(R"({"states": [{"name": "st\u0000and", "framesPerDirection": 0}]})"), role,
      &error));
  EXPECT_EQ(error, "a state name holds a zero character (\\u0000)");
  EXPECT_FALSE(BuildRoleFromJson(
      json::parse(R"({"states": [{"name": "stand", "framesPerDirection": 1, "width": 8,
                                   "height": 8, "image": "a\u0000_%d_%d.bmp"}]})"),
      role, &error));
  EXPECT_EQ(error, "an image name holds a zero character (\\u0000)");
}

}  // namespace
}  // namespace isora
