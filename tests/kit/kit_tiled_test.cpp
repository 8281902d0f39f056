// Tiled maps as Tiled saves them: TMX and TSX against their JSON twins (the same map bytes),
// every layer data encoding, group layers, templates, typed properties, layer names in any
// case; what the game cannot use is warned about, and what it cannot take is refused by name.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "demo/demo_paths.h"
#include "kit_runner.h"
#include "lib/demo_tiled.h"
#include "lib/map_writer.h"
#include "lib/tiled_reader.h"
#include "tiled_writer.h"

namespace isora {
namespace {

using json = nlohmann::json;
using kit_test::RunKit;
using kit_test::TmxOptions;
using kit_test::WriteTmx;

class KitTiled : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RunKit("new game").status, 0);
    tmj_ = json::parse(test::ReadFile("game/maps/village.tmj"));
    ASSERT_TRUE(Import("game/maps/village.tmj", twin_)) << error_;
  }

  // Imports a map file as `map import-tiled` does, into the map file's bytes.
  bool Import(const std::string& path, std::vector<uint8_t>& bytes) {
    json desc;
    warnings_.clear();
    if (!demo::ImportTiledFile(path, desc, &error_, &warnings_)) return false;
    MapFileData map;
    if (!BuildMapFromJson(desc, "village.map", map, &error_)) return false;
    bytes = WriteMapFile(map);
    return true;
  }

  // Writes the map as JSON under a new name and imports it.
  bool ImportJson(const json& tmj, std::vector<uint8_t>& bytes) {
    test::WriteFile("game/maps/variant.tmj", tmj.dump(1));
    return Import("game/maps/variant.tmj", bytes);
  }

  ::testing::AssertionResult Refused(const json& tmj, const std::string& words) {
    std::vector<uint8_t> bytes;
    if (ImportJson(tmj, bytes)) return ::testing::AssertionFailure() << "imported";
    if (error_.find(words) == std::string::npos)
      return ::testing::AssertionFailure() << "refused with: " << error_;
    return ::testing::AssertionSuccess();
  }

  json& Layer(json& tmj, const std::string& name) {
    for (json& l : tmj["layers"])
      if (l["name"] == name) return l;
    throw std::runtime_error("no layer " + name);
  }

  json tmj_;
  std::vector<uint8_t> twin_;
  std::string error_;
  std::vector<std::string> warnings_;
  kit_test::KitFolder dir_;
};

TEST_F(KitTiled, TmxWithExternalTsxGivesTheSameMapAsItsJsonTwin) {
  WriteTmx(tmj_, "game/maps", "village");
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(Import("game/maps/village.tmx", bytes)) << error_;
  EXPECT_EQ(bytes, twin_);
  EXPECT_TRUE(warnings_.empty());
  // Inline tilesets too.
  TmxOptions inl;
  inl.externalTilesets = false;
  WriteTmx(tmj_, "game/maps", "inline", inl);
  ASSERT_TRUE(Import("game/maps/inline.tmx", bytes)) << error_;
  EXPECT_EQ(bytes, twin_);
}

TEST_F(KitTiled, EveryLayerDataEncodingReadsTheSameTiles) {
  for (const auto& [encoding, compression] :
       std::vector<std::pair<std::string, std::string>>{{"base64", ""},
                                                        {"base64", "zlib"},
                                                        {"base64", "gzip"},
                                                        {"base64", "zstd"},
                                                        {"xml", ""}}) {
    TmxOptions o;
    o.encoding = encoding;
    o.compression = compression;
    WriteTmx(tmj_, "game/maps", "enc", o);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(Import("game/maps/enc.tmx", bytes))
        << encoding << " " << compression << ": " << error_;
    EXPECT_EQ(bytes, twin_) << encoding << " " << compression;
  }
  // The JSON format stores base64 the same way.
  json b64 = tmj_;
  for (json& l : b64["layers"])
    if (l["type"] == "tilelayer") {
      l["data"] = kit_test::EncodeLayer(l["data"], "zstd");
      l["encoding"] = "base64";
      l["compression"] = "zstd";
    }
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ImportJson(b64, bytes)) << error_;
  EXPECT_EQ(bytes, twin_);
}

TEST_F(KitTiled, DamagedLayerDataIsRefusedNamingTheLayerAndTheCodec) {
  json bad = tmj_;
  Layer(bad, "ground")["data"] = kit_test::Base64({1, 2, 3, 4, 5});
  Layer(bad, "ground")["encoding"] = "base64";
  Layer(bad, "ground")["compression"] = "zlib";
  EXPECT_TRUE(Refused(bad, "layer \"ground\": the zlib data does not inflate to 256 tiles"));
  Layer(bad, "ground")["compression"] = "lz4";
  EXPECT_TRUE(Refused(bad, "unknown compression \"lz4\""));
  Layer(bad, "ground")["compression"] = "";
  EXPECT_TRUE(Refused(bad, "the data holds 1 tiles, not 256"));
  Layer(bad, "ground")["data"] = "AAAA*AAA";
  EXPECT_TRUE(Refused(bad, "stray character"));
}

TEST_F(KitTiled, GroupLayersAreReadThroughAndTheirOffsetsWarnedAbout) {
  json grouped = tmj_;
  json group = {{"id", 7}, {"name", "Things"}, {"type", "group"}, {"layers", json::array()}};
  json rest = json::array();
  for (json& l : grouped["layers"])
    (l["type"] == "objectgroup" ? group["layers"] : rest).push_back(l);
  rest.push_back(group);
  grouped["layers"] = rest;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ImportJson(grouped, bytes)) << error_;
  EXPECT_EQ(bytes, twin_);
  EXPECT_TRUE(warnings_.empty());
  WriteTmx(grouped, "game/maps", "grouped");
  ASSERT_TRUE(Import("game/maps/grouped.tmx", bytes)) << error_;
  EXPECT_EQ(bytes, twin_);

  grouped["layers"].back()["offsetx"] = 16;
  ASSERT_TRUE(ImportJson(grouped, bytes)) << error_;
  ASSERT_EQ(warnings_.size(), 2u);
  EXPECT_NE(warnings_[0].find("layer \"Things/objects\" is offset by (16"), std::string::npos)
      << warnings_[0];
}

TEST_F(KitTiled, ObjectTemplatesGiveTheirClassAndProperties) {
  // Every oak becomes an instance of a TX template; the roles use a TJ template for the wolf.
  test::WriteFile("game/maps/oak.tx",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<template>\n"
                  " <object type=\"oak\">\n  <point/>\n </object>\n</template>\n");
  test::WriteFile("game/maps/wolf.tj",
                  R"({"type": "template", "object": {"name": "Wolf", "point": true,
                      "properties": [{"name": "note", "type": "string", "value": "x"}]}})");
  json templated = tmj_;
  for (json& o : Layer(templated, "objects")["objects"])
    if (o["type"] == "oak") {
      o.erase("type");
      o["template"] = "oak.tx";
    }
  for (json& o : Layer(templated, "roles")["objects"])
    if (o["name"] == "Wolf") {
      o.erase("name");
      o["template"] = "wolf.tj";
    }
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ImportJson(templated, bytes)) << error_;
  EXPECT_EQ(bytes, twin_);
  WriteTmx(templated, "game/maps", "templated");
  ASSERT_TRUE(Import("game/maps/templated.tmx", bytes)) << error_;
  EXPECT_EQ(bytes, twin_);
  // A template that is not there is named.
  Layer(templated, "objects")["objects"][0]["template"] = "pine.tx";
  EXPECT_TRUE(Refused(templated, "pine.tx"));
}

TEST_F(KitTiled, PropertiesAreReadByTheirDeclaredTypeAndLayerNamesInAnyCase) {
  json typed = tmj_;
  for (json& p : typed["properties"])
    if (p["name"] == "startX") p = {{"name", "startX"}, {"type", "float"}, {"value", 8.0}};
  for (json& p : typed["tilesets"][2]["properties"])
    if (p["name"] == "blocked") p["value"] = "true";
  Layer(typed, "ground")["name"] = "Ground";
  Layer(typed, "roles")["name"] = "Roles";
  Layer(typed, "objects")["name"] = "OBJECTS";
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ImportJson(typed, bytes)) << error_;
  EXPECT_EQ(bytes, twin_);
  // Half a cell is no cell.
  for (json& p : typed["properties"])
    if (p["name"] == "startX") p["value"] = 8.5;
  EXPECT_TRUE(Refused(typed, "start cell"));
}

TEST_F(KitTiled, WhatTheGameCannotUseIsWarnedAboutByName) {
  json odd = tmj_;
  Layer(odd, "ground")["data"][0] = 0x80000001u;  // flipped horizontally
  Layer(odd, "ground")["data"][1] = 0x20000002u;  // flipped anti-diagonally
  odd["layers"].push_back({{"id", 9},
                           {"name", "Decor"},
                           {"type", "tilelayer"},
                           {"width", 16},
                           {"height", 16},
                           {"data", json::array()}});
  odd["layers"].push_back(
      {{"id", 10}, {"name", "script"}, {"type", "objectgroup"}, {"objects", json::array()}});
  odd["layers"].push_back(
      {{"id", 11}, {"name", "sky"}, {"type", "imagelayer"}, {"visible", false}});
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ImportJson(odd, bytes)) << error_;
  std::string all;
  for (const auto& w : warnings_) all += w + "\n";
  EXPECT_NE(all.find("layer ground: 2 flipped or rotated tile(s)"), std::string::npos) << all;
  EXPECT_NE(all.find("layer Decor (tilelayer) is not used by the game"), std::string::npos) << all;
  EXPECT_NE(all.find("layer script is a objectgroup; the game reads \"script\" only from a tile "
                     "layer"),
            std::string::npos)
      << all;
  EXPECT_NE(all.find("layer \"sky\" is hidden"), std::string::npos) << all;
  // The kit prints them.
  test::WriteFile("game/maps/odd.tmj", odd.dump());
  const kit_test::KitResult r = RunKit("map import-tiled game/maps/odd.tmj odd.map");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("warning: layer Decor"), std::string::npos) << r.err;
}

TEST_F(KitTiled, TilesetsAndCataloguesOutsideTheProjectOrNotFilesAreNotOpened) {
  ASSERT_EQ(mkfifo("game/maps/fifo.tsj", 0644), 0);
  const std::pair<const char*, const char*> cases[] = {
      {"/etc/passwd", "tileset /etc/passwd lies outside the map's project"},
      {"../../outside.tsj", "tileset ../../outside.tsj lies outside the map's project"},
      {"fifo.tsj", "cannot read"},  // at once, not once a writer comes
  };
  for (const auto& [source, words] : cases) {
    json m = tmj_;
    m["tilesets"][0] = {{"firstgid", 1}, {"source", source}};
    EXPECT_TRUE(Refused(m, words));
  }
  json m = tmj_;
  for (json& p : m["properties"])
    if (p["name"] == "roleCatalog") p["value"] = "/etc/passwd";
  EXPECT_TRUE(Refused(m, "roleCatalog /etc/passwd lies outside"));
  // Climbing inside the project stays ordinary.
  EXPECT_EQ(demo::MapRelativePath("game/maps", "../data/npc.json"), "game/data/npc.json");
  EXPECT_FALSE(demo::MapRelativePath("game/maps/sub", "../../data/npc.json"));
}

TEST_F(KitTiled, MapsTheGameCannotTakeAreRefusedNamingWhy) {
  for (const char* orientation : {"orthogonal", "staggered", "hexagonal"}) {
    json m = tmj_;
    m["orientation"] = orientation;
    EXPECT_TRUE(
        Refused(m, std::string("the map is ") + orientation + "; the game's maps are isometric"));
  }
  json m = tmj_;
  m["tilewidth"] = 32;
  EXPECT_TRUE(Refused(m, "the map's tiles are 32x32; the game's are 64x32"));
  m = tmj_;
  m["infinite"] = true;
  EXPECT_TRUE(Refused(m, "the map is infinite"));
  m = tmj_;
  m["width"] = m["height"] = 60;
  EXPECT_TRUE(Refused(m, "the map is 60x60 cells; the game's maps are square, at most 50x50"));
  m = tmj_;
  m["tilesets"][0].erase("properties");
  EXPECT_TRUE(Refused(m, "tileset \"grass\", which has no int property \"tileType\""));
  m = tmj_;
  m["properties"].erase(2);
  EXPECT_TRUE(Refused(m, "the map has no start cell"));
  m = tmj_;
  Layer(m, "ground")["name"] = "floor";
  EXPECT_TRUE(Refused(m, "no tile layer named \"ground\""));

  // Well-formed files of another kind say what they are.
  WriteTmx(tmj_, "game/maps", "village");
  std::vector<uint8_t> bytes;
  EXPECT_FALSE(Import("game/maps/grass.tsx", bytes));
  EXPECT_NE(error_.find("a Tiled tileset (TSX), not a map"), std::string::npos) << error_;
  test::WriteFile("game/maps/pic.svg", "<?xml version=\"1.0\"?>\n<svg width=\"1\"/>\n");
  EXPECT_FALSE(Import("game/maps/pic.svg", bytes));
  EXPECT_NE(error_.find("root element is <svg>"), std::string::npos) << error_;
  test::WriteFile("game/maps/broken.tmx", "<map orientation=\"isometric\">\n<layer>\n</map>\n");
  EXPECT_FALSE(Import("game/maps/broken.tmx", bytes));
  EXPECT_NE(error_.find("not well-formed XML: line"), std::string::npos) << error_;
  test::WriteFile("game/maps/ts.tsj", R"({"type": "tileset", "name": "x"})");
  EXPECT_FALSE(Import("game/maps/ts.tsj", bytes));
  EXPECT_NE(error_.find("a Tiled tileset (TSJ), not a map"), std::string::npos) << error_;
}

// The project's templates place exits, script cells and the start as objects, and a role from
// the role template (record 0) by its name: the same map as the tile layers and properties.
TEST_F(KitTiled, TemplateMarkersPlaceExitsScriptCellsTheStartAndRoles) {
  json m = tmj_;
  Layer(m, "exit")["data"][3 * 16 + 2] = 28;    // exit id 1 at cell (2, 3)
  Layer(m, "script")["data"][5 * 16 + 4] = 29;  // script id 2 at cell (4, 5)
  for (json& p : m["properties"])
    if (p["name"] == "startX" || p["name"] == "startY") p["value"] = 6;
  std::vector<uint8_t> byLayers;
  ASSERT_TRUE(ImportJson(m, byLayers)) << error_;

  m = tmj_;
  m["layers"].push_back(
      {{"name", "cells"},
       {"type", "objectgroup"},
       {"objects",
        json::array({{{"id", 90}, {"template", "templates/exit.tx"}, {"x", 80}, {"y", 112}},
                     {{"id", 91},
                      {"template", "templates/script.tx"},
                      {"x", 144},
                      {"y", 176},
                      {"properties", {{{"name", "id"}, {"type", "int"}, {"value", 2}}}}},
                     {{"id", 92}, {"template", "templates/start.tx"}, {"x", 208}, {"y", 208}}})}});
  for (json& p : m["properties"])
    if (p["name"] == "startX" || p["name"] == "startY") p["value"] = 0;
  for (json& o : Layer(m, "roles")["objects"])
    if (o["name"] == "Wolf") o["template"] = "templates/role.tx", o.erase("type");
  std::vector<uint8_t> byObjects;
  ASSERT_TRUE(ImportJson(m, byObjects)) << error_;
  EXPECT_EQ(byObjects, byLayers);

  const struct {
    json object;
    const char* words;
  } refusals[] = {
      {{{"type", "exit"}, {"x", 80}, {"y", 112}}, "the exit object on cell (2, 3) needs an int"},
      {{{"type", "script"},
        {"x", 80},
        {"y", 112},
        {"properties", {{{"name", "id"}, {"type", "int"}, {"value", 256}}}}},
       "from 1 to 255"},
      {{{"type", "start"}, {"x", 8000}, {"y", 112}}, "a start object lies outside the map"},
  };
  for (const auto& r : refusals) {
    m = tmj_;
    m["layers"].push_back(
        {{"name", "cells"}, {"type", "objectgroup"}, {"objects", json::array({r.object})}});
    EXPECT_TRUE(Refused(m, r.words)) << r.words;
  }
}

TEST_F(KitTiled, TheDemoMapsRoundTripThroughTmx) {
  const std::string maps = demo_test::DemoSourceDir() + "/maps";
  for (const char* name : {"town", "crypt"}) {
    std::vector<uint8_t> jsonBytes, tmxBytes;
    json tmj = json::parse(test::ReadFile(maps + "/" + name + ".tmj"));
    ASSERT_TRUE(Import(maps + "/" + name + ".tmj", jsonBytes)) << error_;
    // The TMX lies beside the demo's catalogues, as the .tmj does.
    std::filesystem::create_directories("demo/maps");
    std::filesystem::copy(
        demo_test::DemoSourceDir() + "/art", "demo/art",
        std::filesystem::copy_options::recursive | std::filesystem::copy_options::skip_existing);
    std::filesystem::copy(
        demo_test::DemoSourceDir() + "/data", "demo/data",
        std::filesystem::copy_options::recursive | std::filesystem::copy_options::skip_existing);
    TmxOptions o;
    o.encoding = "base64";
    o.compression = "zlib";
    WriteTmx(tmj, "demo/maps", name, o);
    ASSERT_TRUE(Import(std::string("demo/maps/") + name + ".tmx", tmxBytes)) << error_;
    EXPECT_EQ(tmxBytes, jsonBytes) << name;
  }
}

TEST_F(KitTiled, TheBuildImportsTmxMapsBesideTmjOnes) {
  // The same village as TMX under another map file name: both are built and check clean.
  json copy = tmj_;
  for (json& p : copy["properties"])
    if (p["name"] == "file") p["value"] = "village2.map";
  WriteTmx(copy, "game/maps", "village2");
  const kit_test::KitResult r = RunKit("build game out");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const std::string a = test::ReadFile("out/map/village.map");
  std::string b = test::ReadFile("out/map/village2.map");
  ASSERT_FALSE(b.empty());
  EXPECT_EQ(a.size(), b.size());
}

}  // namespace
}  // namespace isora
