#include "lib/json_source.h"

#include <gtest/gtest.h>

#include "lib/demo_tiled.h"
#include "lib/tiled_reader.h"

namespace isora::demo {
namespace {

TEST(JsonSource, ValuesKeepTheLineTheyStartOn) {
  JsonSource src;
  std::string error;
  ASSERT_TRUE(ParseJsonSource(
      "{\n \"records\": [\n  {\"name\": \"a\"},\n  {\n   \"name\": \"b\"}]}", src, &error))
      << error;
  EXPECT_EQ(src.LineOf("/records/0/name"), 3);
  EXPECT_EQ(src.LineOf("/records/1/name"), 5);
  EXPECT_EQ(src.LineOf("/records/1/missing"), 4);  // the nearest enclosing value
}

// Found by fuzzing the JSON content sources: a number beyond a double ("1e400") threw an
// exception the reader did not catch, and the kit ended on std::terminate. It is now refused
// like any syntax error, with the number's place.
TEST(JsonSource, NumberTooLargeForADoubleIsRefusedWithItsPlace) {
  JsonSource src;
  std::string error;
  EXPECT_FALSE(ParseJsonSource("{\n \"records\": [\n  {\"price\": 1e400}]}", src, &error));
  EXPECT_EQ(src.errorLine, 3);
  EXPECT_NE(error.find("line 3, column 13"), std::string::npos) << error;
  EXPECT_NE(error.find("1e400"), std::string::npos) << error;
  // A syntax error still names its own place.
  EXPECT_FALSE(ParseJsonSource("{\n \"a\": [1,\n}", src, &error));
  EXPECT_EQ(src.errorLine, 3);
}

// The same number in a Tiled JSON map escaped the Tiled reader's error report.
TEST(JsonSource, TiledMapWithANumberTooLargeIsRefusedNotThrown) {
  nlohmann::json out;
  std::string error;
  std::vector<std::string> warnings;
  EXPECT_FALSE(ParseTiledMap("{\"type\": \"map\", \"width\": 1e400}", "/nonexistent", out,
                             &warnings, &error));
  EXPECT_NE(error.find("neither a TMX map nor valid JSON"), std::string::npos) << error;
}

// Found by fuzzing: a TMX width of 85555555555555555 became a double that was converted to int
// (undefined behaviour) when the map's size was read. Sizes, first gids and tile ids are now read
// by JsonInt, which never converts a float no int can hold.
TEST(JsonSource, TiledNumbersNoIntCanHoldAreNotConverted) {
  const nlohmann::json j = nlohmann::json::parse(
      R"({"huge": 8.5555555555555555e16, "whole": 64.0, "cut": -3.75, "big": 9223372036854775807,
          "unsigned": 18446744073709551615, "small": -9223372036854775807, "text": "7",
          "nan": null})");
  EXPECT_EQ(JsonInt(j, "huge", -1), -1);
  EXPECT_EQ(JsonInt(j, "whole", -1), 64);
  EXPECT_EQ(JsonInt(j, "cut", 0), -3);
  EXPECT_EQ(JsonInt(j, "big", 0), INT32_MAX);
  EXPECT_EQ(JsonInt(j, "unsigned", 0), INT32_MAX);
  EXPECT_EQ(JsonInt(j, "small", 0), INT32_MIN);
  EXPECT_THROW(JsonInt(j, "text", 5), nlohmann::json::type_error);  // reported as a wrong type
  EXPECT_THROW(JsonInt(j, "nan", 5), nlohmann::json::type_error);
  EXPECT_EQ(JsonInt(j, "absent", 5), 5);
  EXPECT_EQ(JsonInt(nlohmann::json::array(), "huge", 5), 5);

  nlohmann::json out;
  std::string error;
  std::vector<std::string> warnings;
  const std::string tmx =
      R"(<?xml version="1.0" encoding="UTF-8"?><map version="1.10" orientation="isometric" )"
      R"(width="85555555555555555" height="8" tilewidth="64" tileheight="32" infinite="0">)"
      R"(<layer id="1" name="ground" width="8" height="8"><data encoding="csv">1</data></layer>)"
      R"(</map>)";
  ParseTiledMap(tmx, "/nonexistent", out, &warnings, &error);  // a sanitizer build checks it
  EXPECT_FALSE(out.is_null());

  // Found by a later campaign: the same for a tileset's first gid and a layer's size, read by
  // the importer (firstgid="3.33e78").
  const nlohmann::json map = nlohmann::json::parse(R"({
      "type": "map", "orientation": "isometric", "width": 2, "height": 2, "tilewidth": 64,
      "tileheight": 32, "tilesets": [{"firstgid": 3.33e78, "name": "far"}],
      "layers": [{"type": "tilelayer", "name": "ground", "width": 2.0e300, "height": 2,
                  "data": [1, 1, 1, 1]}]})");
  nlohmann::json desc;
  TiledContext context;
  context.baseDir = "/nonexistent";
  error.clear();
  EXPECT_FALSE(TiledToMapJson(map, context, desc, &error, &warnings));
  EXPECT_EQ(error, "layer ground is not 2x2") << error;
}

}  // namespace
}  // namespace isora::demo
