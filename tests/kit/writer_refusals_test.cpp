// The table writers refuse what they would otherwise mangle or drop: a character GBK cannot
// hold (it would become "?") and a misspelt role field.
#include <gtest/gtest.h>

#include "lib/db_writer.h"
#include "lib/npc_writer.h"

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

}  // namespace
}  // namespace isora
