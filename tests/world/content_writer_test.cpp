#include <gtest/gtest.h>

#include "lib/map_writer.h"
#include "lib/role_writer.h"

namespace isora::test {
namespace {

using nlohmann::json;

TEST(MapWriterTest, BuildsCellsFromDefaultsLegendRowsAndOverrides) {
  json src = json::parse(R"({
    "name": "Field", "size": 3, "origin": [500, 40], "start": [1, 2], "music": "f.mid",
    "defaults": {"tileType": 4, "tile": 13},
    "legend": {".": {}, "#": {"passable": 0, "tileType": 9}},
    "rows": ["..#", "...", "#.."],
    "cells": [{"row": 1, "column": 1, "script": 5, "exit": 6, "tileX": 3}],
    "objects": [{"sourceX": 1, "sourceY": 2, "x": 3, "y": 4, "width": 5, "height": 6,
                 "pieces": [[7, 8]]}],
    "placements": [{"record": 2, "row": 0, "column": 1}]
  })");
  MapFileData map;
  std::string error;
  ASSERT_TRUE(BuildMapFromJson(src, "field.map", map, &error)) << error;
  EXPECT_EQ(map.header.MapFile(), "field.map");
  EXPECT_EQ(map.header.StartY(), 2);
  ASSERT_EQ(map.cells.size(), 9u);
  const MapCell& c02 = map.cells[2];
  EXPECT_EQ(c02.passable, 0);
  EXPECT_EQ(c02.tileType, 9);
  EXPECT_EQ(c02.tileX, 3 * 64);  // tile 13 from the defaults
  EXPECT_EQ(c02.tileY, 32);
  EXPECT_EQ(c02.x, 500 - 64 - 32);
  EXPECT_EQ(c02.y, 40 + 32);
  const MapCell& c11 = map.cells[4];
  EXPECT_EQ(c11.scriptId, 5);
  EXPECT_EQ(c11.exitId, 6);
  EXPECT_EQ(c11.tileX, 3);
  EXPECT_EQ(c11.passable, 1);

  MapFileData back;
  ASSERT_TRUE(ParseMapFile(WriteMapFile(map), back, &error)) << error;
  EXPECT_EQ(MapToJson(back, true), MapToJson(map, true));
  EXPECT_EQ(back.objects[0].pieces[0].y, 8);
  EXPECT_EQ(back.placements[0].recordNumber, 2);
}

TEST(MapWriterTest, RefusesBadDescriptions) {
  MapFileData map;
  std::string error;
  for (const char* bad : {
           R"({"size": 2, "rows": ["..", ".x"], "legend": {".": {}}})",
           R"({"size": 2, "rows": [".."]})",
           R"({"size": 2, "cells": [{"row": 2, "column": 0}]})",
           R"({"size": 2, "cells": [{"row": 0, "column": 0, "script": 256}]})",
           R"({"size": -1})",
           R"({"size": 2, "placements": [{"record": 0, "row": 0, "column": 0}]})",
           R"({"size": 2, "objects": [{"pieces": [[1]]}]})",
           R"({"size": "big"})",
       }) {
    error.clear();
    EXPECT_FALSE(BuildMapFromJson(json::parse(bad), "x.map", map, &error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

// The header holds the file name, the name and the music in 20, 32 and 16 bytes. A longer text
// was cut short and the build reported success; a cut file name is one a save cannot find its
// map by again.
TEST(MapWriterTest, HeaderTextsThatWouldBeCutOrChangedAreRefused) {
  MapFileData map;
  std::string error;
  auto build = [&](const json& src, const std::string& file) {
    error.clear();
    return BuildMapFromJson(src, file, map, &error);
  };
  ASSERT_TRUE(build({{"size", 1}, {"name", std::string(31, 'n')}, {"music", std::string(15, 'm')}},
                    std::string(19, 'f')))
      << error;
  EXPECT_EQ(map.header.MapName(), std::string(31, 'n'));
  EXPECT_EQ(map.header.MapFile(), std::string(19, 'f'));
  // Chinese counts two bytes a character, as stored.
  EXPECT_TRUE(build({{"size", 1}, {"name", "小镇"}}, "town.map")) << error;
  EXPECT_EQ(map.header.MapName(), "\xD0\xA1\xD5\xF2");

  EXPECT_FALSE(build({{"size", 1}, {"name", std::string(32, 'n')}}, "x.map"));
  EXPECT_EQ(error, "\"name\" is longer than 31 bytes: " + std::string(32, 'n'));
  EXPECT_FALSE(build({{"size", 1}, {"music", std::string(16, 'm')}}, "x.map"));
  EXPECT_EQ(error, "\"music\" is longer than 15 bytes: " + std::string(16, 'm'));
  EXPECT_FALSE(build({{"size", 1}}, "greenwood_outskirts.map"));
  EXPECT_EQ(error, "the map's file name is longer than 19 bytes: greenwood_outskirts.map");
  EXPECT_FALSE(build({{"size", 1}, {"file", "greenwood_outskirts.map"}}, "x.map"));
  EXPECT_EQ(error, "\"file\" is longer than 19 bytes: greenwood_outskirts.map");
  EXPECT_FALSE(build({{"size", 1}, {"name", "Snow ☃"}}, "x.map"));
  EXPECT_EQ(error, "\"name\" holds a character GBK cannot hold: Snow ☃");
  EXPECT_FALSE(build(json::parse(R"({"size": 1, "name": "a\u0000b"})"), "x.map"));
  EXPECT_EQ(error, "\"name\" holds a zero character (\\u0000)");
}

TEST(RoleWriterTest, StatesNameTheirFramesThreeWays) {
  json src = json::parse(R"({
    "frames": [{"width": 1, "height": 2, "image": "s0"}, {"width": 1, "height": 2, "image": "s1"},
               {"width": 1, "height": 2, "image": "s2"}, {"width": 1, "height": 2, "image": "s3"},
               {"width": 1, "height": 2, "image": "s4"}, {"width": 1, "height": 2, "image": "s5"},
               {"width": 1, "height": 2, "image": "s6"}, {"width": 1, "height": 2, "image": "s7"}],
    "states": [
      {"name": "stand", "framesPerDirection": 1, "firstFrame": 0},
      {"name": "walk", "framesPerDirection": 2, "width": 30, "height": 50, "image": "w{d}_{k}"},
      {"name": "die", "framesPerDirection": 0, "frames": []}
    ]})");
  RoleAnimation anim;
  std::string error;
  ASSERT_TRUE(BuildRoleFromJson(src, anim, &error)) << error;
  ASSERT_EQ(anim.frames.size(), 24u);
  EXPECT_EQ(anim.states[1].firstFrame, 8);
  const int walk = anim.FindState("walk");
  EXPECT_EQ(anim.frames[anim.FrameIndex(walk, 5, 1)].image, "w5_1");
  EXPECT_EQ(anim.frames[anim.FrameIndex(walk, 5, 1)].width, 30);
  EXPECT_EQ(anim.FrameIndex(walk, 9, 0), -1);  // past the table
  EXPECT_EQ(anim.FindState("Walk"), -1);

  auto bytes = WriteRoleAnimation(anim);
  ASSERT_EQ(bytes.size(), kRoleHeaderSize + 3 * kRoleStateSize + 24 * kRoleFrameSize);
  RoleAnimation back;
  ASSERT_TRUE(ParseRoleAnimation(bytes, back, &error)) << error;
  EXPECT_EQ(RoleToJson(back), RoleToJson(anim));

  json bad = json::parse(R"({"states": [{"name": "stand", "framesPerDirection": 1,
                                           "firstFrame": 3}]})");
  EXPECT_FALSE(BuildRoleFromJson(bad, anim, &error));
}

}  // namespace
}  // namespace isora::test
