// Small files that once cost the kit gigabytes or its stack: deep JSON in every file the kit
// reads, deep Tiled groups, one large template named by many objects, a deep package tree.
// Each is made here, a few kilobytes, and must be refused by name without a crash.
#include <gtest/gtest.h>

#include "kit_runner.h"
#include "lib/game_check.h"
#include "lib/json_read.h"
#include "lib/json_source.h"
#include "lib/tiled_reader.h"
#include "support/raw_package.h"

namespace isora {
namespace {

using kit_test::RunKit;

std::string DeepArrays(int n) { return std::string(n, '[') + std::string(n, ']'); }

std::string DeepGroups(int groups) {
  std::string s = R"({"type":"map","orientation":"isometric","width":4,"height":4,"tilewidth":64,)"
                  R"("tileheight":32,"infinite":false,"tilesets":[],"layers":[)";
  for (int i = 0; i < groups; ++i) s += R"({"type":"group","name":"g","layers":[)";
  for (int i = 0; i < groups; ++i) s += "]}";
  return s + "]}";
}

class KitAmplification : public testing::Test {
 protected:
  kit_test::KitFolder dir_;
};

TEST_F(KitAmplification, DeepJsonIsRefusedByTheOneParserAtItsBound) {
  using demo::kMaxJsonDepth;
  for (int depth : {kMaxJsonDepth, kMaxJsonDepth + 1, 100000}) {
    std::string error;
    nlohmann::ordered_json doc;
    const bool ok = demo::ParseJson(DeepArrays(depth), doc, &error);
    EXPECT_EQ(ok, depth <= kMaxJsonDepth) << depth;
    if (!ok) {
      EXPECT_NE(error.find("nested deeper than 256 levels at byte 257"), std::string::npos);
    }
  }
  // Brackets inside strings are text, not nesting.
  std::string quoted = "[\"" + std::string(1000, '[') + "\\\"\"]";
  EXPECT_EQ(demo::FindTooDeep(quoted), std::string_view::npos);
  // The checker's sources say where, by line and column.
  demo::JsonSource src;
  std::string error;
  EXPECT_FALSE(demo::ParseJsonSource("{\n\"records\": " + DeepArrays(30000) + "}", src, &error));
  EXPECT_EQ(error, "line 2, column 267: nested deeper than 256 levels");
}

TEST_F(KitAmplification, DeepJsonInEveryKitCommandIsRefusedNotACrash) {
  ASSERT_EQ(RunKit("new game").status, 0);
  test::WriteFile("game/data/items.json", "{\"records\": " + DeepArrays(60000) + "}");
  const demo::CheckReport report = demo::CheckGameSource("game");
  EXPECT_NE(report.Format().find("data/items.json:1: error: not valid JSON: line 1, column 268: "
                                 "nested deeper than 256 levels"),
            std::string::npos)
      << report.Format();

  test::WriteFile("save.json", "{\"missions\": " + DeepArrays(100000) + "}");
  test::WriteFile("deep.tmj", DeepGroups(10000));
  test::WriteFile("groups.tmj", DeepGroups(demo::kMaxJsonDepth / 2 - 1));
  const struct {
    const char* args;
    const char* said;
  } cases[] = {
      {"save build save.json out.sav", "nested deeper than 256 levels"},
      {"map import-tiled deep.tmj out.map", "nested deeper than 256 levels"},
      {"map import-tiled groups.tmj out.map", "is nested more than 64 groups deep"},
  };
  for (const auto& c : cases) {
    const kit_test::KitResult r = RunKit(c.args);
    EXPECT_EQ(r.status, 1) << c.args;
    EXPECT_NE(r.err.find(c.said), std::string::npos) << c.args << ": " << r.err;
  }
}

// One template of many properties named by many objects: every object used to read the file
// again and keep its own merged copy, gigabytes from an 11 KB map.
TEST_F(KitAmplification, TemplatesCopyingTooManyValuesAreRefused) {
  nlohmann::json props = nlohmann::json::array();
  for (int i = 0; i < 4000; ++i)
    props.push_back(
        {{"name", std::string(1, 'p').append(std::to_string(i))}, {"type", "int"}, {"value", i}});
  test::WriteFile("big.tj", nlohmann::json{{"type", "template"},
                                           {"object", {{"type", "oak"}, {"properties", props}}}}
                                .dump());
  for (int objects : {40, 60}) {
    nlohmann::json list = nlohmann::json::array();
    for (int i = 0; i < objects; ++i)
      list.push_back({{"id", i + 1},
                      {"x", i},
                      {"y", 0},
                      {"template", "big.tj"},
                      {"properties", {{{"name", "p7"}, {"type", "int"}, {"value", -1}}}}});
    nlohmann::json map = nlohmann::json::parse(DeepGroups(0));
    map["layers"].push_back({{"type", "objectgroup"}, {"name", "objects"}, {"objects", list}});
    nlohmann::json out;
    std::string error;
    const bool ok =
        demo::ParseTiledMap(map.dump(), test::InFolder(".").string(), out, nullptr, &error);
    EXPECT_EQ(ok, objects * 4001 <= 200000) << objects << ": " << error;
    if (!ok) {
      EXPECT_NE(error.find("object templates copy more than 200000 values"), std::string::npos);
      continue;
    }
    // The instance's own value wins; the template's others stay, once each.
    const nlohmann::json& merged = out["layers"][0]["objects"][objects - 1]["properties"];
    ASSERT_EQ(merged.size(), 4000u);
    EXPECT_EQ(merged[7]["value"], -1);
    EXPECT_EQ(merged[8]["value"], 8);
  }
}

TEST_F(KitAmplification, DeepPackageTreesAreRefusedByLs) {
  std::vector<test::RawEntry> entries;
  for (int i = 0; i < 40000; ++i) entries.push_back({"a", i + 1 < 40000 ? 1u : 0u, 0, 0, 1});
  test::WriteFile("deep.epk", test::RawPackage(1, entries));
  const kit_test::KitResult r = RunKit("ls deep.epk");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.out.empty());
}

}  // namespace
}  // namespace isora
