// Small files that once cost the kit gigabytes or its stack, each refused by name.
#include <gtest/gtest.h>

#include "kit_runner.h"

namespace isora {
namespace {

TEST(KitAmplification, DeepJsonDeepGroupsAndTemplateCopiesAreRefusedNotACrash) {
  kit_test::KitFolder dir;
  ASSERT_EQ(kit_test::RunKit("new game").status, 0);
  const std::string map = R"({"type":"map","width":4,"height":4,"tilewidth":64,"layers":[)";
  std::string groups;  // 65 inside one another
  for (int i = 0; i < 130; ++i) groups += i < 65 ? R"({"type":"group","layers":[)" : "]}";
  std::string props = R"({"type":"template","object":{"properties":[)", objects;
  for (int i = 0; i < 4000; ++i) props += R"({"name":"p)" + std::to_string(i) + R"("},)";
  test::WriteFile("big.tj", props + "{}]}}");
  // 60 objects of 4,001 values each pass the 200,000 values templates may copy.
  for (int i = 0; i < 60; ++i) objects += R"({"template":"big.tj"},)";
  const std::string cases[][4] = {
      {"game/data/items.json",
       "{\"records\": " + std::string(60000, '[') + std::string(60000, ']') + "}", "check game",
       "items.json:1: error: not valid JSON: line 1, column 268: nested deeper than 256 levels"},
      {"save.json", "{\"m\": " + std::string(100000, '[') + std::string(100000, ']') + "}",
       "save build save.json s", "save.json: nested deeper than 256 levels at byte 262"},
      {"g.tmj", map + groups + "]}", "map import-tiled g.tmj m", "more than 64 groups"},
      {"t.tmj", map + R"({"type":"objectgroup","objects":[)" + objects + "{}]}]}",
       "map import-tiled t.tmj m", "object templates copy more than 200000 values"},
  };
  for (const auto& c : cases) {
    test::WriteFile(c[0], c[1]);
    const kit_test::KitResult r = kit_test::RunKit(c[2]);
    EXPECT_EQ(r.status, 1) << c[2];
    EXPECT_NE((r.out + r.err).find(c[3]), std::string::npos) << c[2] << ": " << r.err;
  }
}

}  // namespace
}  // namespace isora
