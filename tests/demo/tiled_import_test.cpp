// Importing Tiled maps: the axis convention, layers, objects, placements and properties reach
// the map file, and maps the format cannot hold are refused with a reason.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "demo_paths.h"
#include "foundation/file_io.h"
#include "lib/demo_builder.h"
#include "lib/demo_objects.h"
#include "lib/demo_tiled.h"
#include "lib/map_writer.h"
#include "media/bmp_reader.h"
#include "world/map_file.h"

namespace isora::demo {
namespace {

using json = nlohmann::json;

json Prop(const std::string& name, const json& value) {
  return {{"name", name}, {"type", value.is_string() ? "string" : "int"}, {"value", value}};
}

// A small 4x4 map: two ground tilesets (grass type 1, water type 3 and blocked) and the ids
// tileset; layer values are given per Tiled (x, y).
struct TinyMap {
  static constexpr int kN = 4;
  json ground = json::array(), block = json::array(), script = json::array(), exit = json::array();
  json objects = json::array(), roles = json::array();
  json props = json::array(
      {Prop("name", "Tiny"), Prop("music", "tiny.wav"), Prop("startX", 1), Prop("startY", 2)});
  TinyMap() {
    for (int i = 0; i < kN * kN; ++i) {
      ground.push_back(1);
      block.push_back(0);
      script.push_back(0);
      exit.push_back(0);
    }
  }
  static int At(int x, int y) { return y * kN + x; }
  json Build() const {
    auto layer = [](const char* name, const json& data) {
      return json{
          {"name", name}, {"type", "tilelayer"}, {"width", kN}, {"height", kN}, {"data", data}};
    };
    return {
        {"orientation", "isometric"},
        {"width", kN},
        {"height", kN},
        {"tilewidth", 64},
        {"tileheight", 32},
        {"properties", props},
        {"tilesets",
         json::array({{{"firstgid", 1},
                       {"name", "grass"},
                       {"tilecount", 12},
                       {"properties", json::array({Prop("tileType", 1)})}},
                      {{"firstgid", 13},
                       {"name", "water"},
                       {"tilecount", 6},
                       {"properties",
                        json::array({Prop("tileType", 3),
                                     {{"name", "blocked"}, {"type", "bool"}, {"value", true}}})}},
                      {{"firstgid", 19}, {"name", "ids"}, {"tilecount", 100}}})},
        {"layers",
         json::array({layer("ground", ground),
                      layer("block", block),
                      layer("script", script),
                      layer("exit", exit),
                      {{"name", "objects"}, {"type", "objectgroup"}, {"objects", objects}},
                      {{"name", "roles"}, {"type", "objectgroup"}, {"objects", roles}}})}};
  }
};

ObjectCatalog Catalog() {
  ObjectCatalog c;
  std::string error;
  json src = {
      {"objects",
       json::array(
           {{{"name", "rock"}, {"size", {64, 48}}, {"footprint", {1, 1}}},
            {{"name", "hut"}, {"size", {128, 100}}, {"footprint", {2, 2}}, {"base", "grass"}},
            {{"name", "flowers"}, {"size", {64, 32}}, {"blocks", false}}})}};
  EXPECT_TRUE(ParseObjectCatalog(src, c, &error)) << error;
  return c;
}

json RoleRecords() { return json::array({{{"roleName", "Guard"}}, {{"roleName", "Wolf"}}}); }

bool Import(const TinyMap& m, MapFileData& out, std::string* error) {
  ObjectCatalog catalog = Catalog();
  json roles = RoleRecords();
  TiledContext context;
  context.objects = &catalog;
  context.roles = &roles;
  json desc;
  if (!TiledToMapJson(m.Build(), context, desc, error)) return false;
  MapFileData built;
  if (!BuildMapFromJson(desc, "tiny.map", built, error)) return false;
  // Through the file format and back, as the game reads it.
  return ParseMapFile(WriteMapFile(built), out, error);
}

const MapCell& CellOf(const MapFileData& m, int row, int column) {
  return m.cells[column + row * m.header.N()];
}

TEST(TiledImport, TiledXIsTheRowAndLayersFillTheCells) {
  TinyMap m;
  m.ground[TinyMap::At(3, 1)] = 1 + 11;  // grass picture 11
  m.ground[TinyMap::At(0, 3)] = 13 + 2;  // water picture 2
  m.block[TinyMap::At(2, 0)] = 19;       // any ids tile blocks
  m.script[TinyMap::At(1, 1)] = 19 + 7;  // script id 7
  m.exit[TinyMap::At(3, 3)] = 19 + 2;    // exit id 2
  MapFileData map;
  std::string error;
  ASSERT_TRUE(Import(m, map, &error)) << error;
  EXPECT_EQ(map.header.N(), 4);
  EXPECT_EQ(map.header.MapName(), "Tiny");
  EXPECT_EQ(map.header.MapFile(), "tiny.map");
  EXPECT_EQ(map.header.MusicName(), "tiny.wav");
  EXPECT_EQ(map.header.StartX(), 1);
  EXPECT_EQ(map.header.StartY(), 2);

  const MapCell& grass = CellOf(map, 3, 1);
  EXPECT_EQ(grass.tileType, 1);
  EXPECT_EQ(grass.tileX, 64);  // picture 11 sits at column 1, row 1 of its tile picture
  EXPECT_EQ(grass.tileY, 32);
  EXPECT_EQ(grass.passable, 1);
  const MapCell& water = CellOf(map, 0, 3);
  EXPECT_EQ(water.tileType, 3);
  EXPECT_EQ(water.tileX, 128);
  EXPECT_EQ(water.passable, 0) << "the water tileset is marked blocked";
  EXPECT_EQ(CellOf(map, 2, 0).passable, 0);
  EXPECT_EQ(CellOf(map, 1, 1).scriptId, 7);
  EXPECT_EQ(CellOf(map, 3, 3).exitId, 2);
  EXPECT_EQ(CellOf(map, 3, 3).passable, 1);
  // Cell boxes follow the isometric layout around the top corner (N * 32, 0).
  EXPECT_EQ(CellOf(map, 0, 0).x, 4 * 32 - 32);
  EXPECT_EQ(CellOf(map, 0, 0).y, 0);
  EXPECT_EQ(CellOf(map, 3, 1).x, 4 * 32 + 32 * 2 - 32);
  EXPECT_EQ(CellOf(map, 3, 1).y, 16 * 4);
}

TEST(TiledImport, ObjectsStandOnTheirCellAndBlockTheirFootprint) {
  TinyMap m;
  // Points in Tiled's iso object space: 32 units per cell along each axis.
  m.objects.push_back({{"class", "hut"}, {"x", 1 * 32 + 10}, {"y", 1 * 32 + 20}});
  m.objects.push_back({{"type", "rock"}, {"x", 0 * 32 + 16}, {"y", 3 * 32 + 16}});
  m.objects.push_back({{"name", "flowers"}, {"x", 3 * 32 + 1}, {"y", 0 * 32 + 1}});
  MapFileData map;
  std::string error;
  ASSERT_TRUE(Import(m, map, &error)) << error;
  for (auto [r, c] : {std::pair{1, 1}, {1, 2}, {2, 1}, {2, 2}, {0, 3}})
    EXPECT_EQ(CellOf(map, r, c).passable, 0) << r << "," << c;
  EXPECT_EQ(CellOf(map, 3, 0).passable, 1) << "flowers do not block";
  ASSERT_EQ(map.objects.size(), 3u);
  ObjectCatalog catalog = Catalog();
  const ObjectKind* hut = catalog.Find("hut");
  const MapObject* hutObject = nullptr;
  for (const auto& o : map.objects)
    if (o.sourceX == hut->sourceX && o.sourceY == hut->sourceY) hutObject = &o;
  ASSERT_NE(hutObject, nullptr);
  EXPECT_EQ(hutObject->width, 128);
  EXPECT_EQ(hutObject->height, 100);
  // A 2x2 footprint on ground style: four ground pieces, each copied onto its cell's box.
  ASSERT_EQ(hutObject->PieceCount(), 4);
  std::set<std::pair<int, int>> boxes;
  for (int i = 0; i < 4; ++i) {
    const auto& p = hutObject->pieces[i];
    boxes.insert(
        {p.x + hutObject->x - hutObject->sourceX, p.y + hutObject->y - hutObject->sourceY});
  }
  for (auto [r, c] : {std::pair{1, 1}, {1, 2}, {2, 1}, {2, 2}})
    EXPECT_TRUE(boxes.count({CellOf(map, r, c).x, CellOf(map, r, c).y})) << r << "," << c;
  // Painting order: the nearer (lower) picture comes later.
  for (size_t i = 1; i < map.objects.size(); ++i)
    EXPECT_LE(map.objects[i - 1].y + map.objects[i - 1].height,
              map.objects[i].y + map.objects[i].height);
}

TEST(TiledImport, RolesArePlacedByNameOrRecord) {
  TinyMap m;
  m.roles.push_back({{"name", "Wolf"}, {"x", 2 * 32 + 16}, {"y", 1 * 32 + 16}});
  m.roles.push_back({{"name", "Guard"}, {"x", 0 * 32 + 5}, {"y", 0 * 32 + 5}});
  m.roles.push_back({{"name", "anyone"},
                     {"x", 3 * 32 + 5},
                     {"y", 3 * 32 + 5},
                     {"properties", json::array({Prop("record", 2)})}});
  MapFileData map;
  std::string error;
  ASSERT_TRUE(Import(m, map, &error)) << error;
  ASSERT_EQ(map.placements.size(), 3u);
  EXPECT_EQ(map.placements[0].recordNumber, 2);
  EXPECT_EQ(map.placements[0].row, 2);
  EXPECT_EQ(map.placements[0].column, 1);
  EXPECT_EQ(map.placements[1].recordNumber, 1);
  EXPECT_EQ(map.placements[2].recordNumber, 2);
  EXPECT_EQ(map.placements[2].row, 3);
}

TEST(TiledImport, RefusesMapsTheGameCannotHold) {
  std::string error;
  MapFileData map;
  auto refused = [&](TinyMap m, const std::function<void(json&)>& spoil) {
    ObjectCatalog catalog = Catalog();
    json roles = RoleRecords();
    TiledContext context{"", &catalog, &roles};
    json tmj = m.Build(), desc;
    spoil(tmj);
    error.clear();
    return !TiledToMapJson(tmj, context, desc, &error) && !error.empty();
  };
  TinyMap m;
  EXPECT_TRUE(refused(m, [](json& t) { t["orientation"] = "orthogonal"; }));
  EXPECT_TRUE(refused(m, [](json& t) { t["tilewidth"] = 32; }));
  EXPECT_TRUE(refused(m, [](json& t) { t["height"] = 5; }));
  EXPECT_TRUE(refused(m, [](json& t) {
    t["width"] = 51;
    t["height"] = 51;
  }));
  EXPECT_TRUE(refused(m, [](json& t) { t["layers"].erase(0); }));             // no ground
  EXPECT_TRUE(refused(m, [](json& t) { t["layers"][0]["data"] = "eJzt"; }));  // compressed data
  EXPECT_TRUE(
      refused(m, [](json& t) { t["layers"][0]["data"][0] = 19; }));  // ids tile on the ground
  EXPECT_TRUE(refused(m, [](json& t) { t["properties"] = json::array(); }));  // no start cell
  TinyMap unknown;
  unknown.objects.push_back({{"class", "castle"}, {"x", 16}, {"y", 16}});
  EXPECT_TRUE(refused(unknown, [](json&) {}));
  EXPECT_NE(error.find("castle"), std::string::npos);
  TinyMap stranger;
  stranger.roles.push_back({{"name", "Nobody"}, {"x", 16}, {"y", 16}});
  EXPECT_TRUE(refused(stranger, [](json&) {}));
  TinyMap outside;
  outside.roles.push_back({{"name", "Wolf"}, {"x", 4 * 32 + 1}, {"y", 16}});
  EXPECT_TRUE(refused(outside, [](json&) {}));
}

TEST(ObjectCatalog, PicturesStandOnTheFootprintOfTheirCell) {
  ObjectCatalog c = Catalog();
  // A 1x1 object's single footprint box is exactly its cell's box, wherever it stands.
  const ObjectKind* rock = c.Find("rock");
  ASSERT_NE(rock, nullptr);
  for (auto [r, c2] : {std::pair{0, 0}, {5, 9}, {49, 49}}) {
    PixelPoint at = PlaceObject(*rock, r, c2, 1600, 0);
    PixelPoint box = FootprintBoxes(*rock).at(0);
    EXPECT_EQ(at.x + box.x, 1600 + 32 * (r - c2) - 32);
    EXPECT_EQ(at.y + box.y, 16 * (r + c2));
  }
  // Pictures are laid side by side in obj.bmp.
  EXPECT_EQ(c.Find("rock")->sourceX, 0);
  EXPECT_EQ(c.Find("hut")->sourceX, 64);
  EXPECT_EQ(c.sheetWidth, 64 + 128 + 64);
  EXPECT_EQ(c.sheetHeight, 100);
}

TEST(ObjectCatalog, RefusesBadEntries) {
  ObjectCatalog c;
  std::string error;
  EXPECT_FALSE(ParseObjectCatalog(json::object(), c, &error));
  EXPECT_FALSE(ParseObjectCatalog({{"objects", json::array({{{"name", "x"}, {"size", {0, 10}}}})}},
                                  c, &error));
  EXPECT_FALSE(ParseObjectCatalog({{"objects", json::array({{{"name", "x"}, {"size", {64, 32}}},
                                                            {{"name", "x"}, {"size", {64, 32}}}})}},
                                  c, &error));
  // Ground pieces must lie inside the picture.
  EXPECT_FALSE(ParseObjectCatalog(
      {{"objects", json::array({{{"name", "x"}, {"size", {64, 20}}, {"base", "grass"}}})}}, c,
      &error));
  // More than fits in obj.bmp.
  json many = json::array();
  for (int i = 0; i < 40; ++i)
    many.push_back({{"name", "big" + std::to_string(i)}, {"size", {1024, 100}}});
  EXPECT_FALSE(ParseObjectCatalog({{"objects", many}}, c, &error));
  // Found by fuzzing: a flag given as a text ended the program with an uncaught exception.
  for (const char* flag : {"blocks", "front", "base", "style"}) {
    error.clear();
    EXPECT_FALSE(ParseObjectCatalog(
        {{"objects", json::array({{{"name", "x"}, {"size", {64, 32}}, {flag, json::array()}}})}}, c,
        &error));
    EXPECT_EQ(error.rfind("object catalogue: a value of the wrong type: ", 0), 0u) << error;
  }
}

}  // namespace
}  // namespace isora::demo

namespace isora::demo {
namespace {

// The demo's own maps: what the .tmj holds is what the map file describes.
TEST(TiledImport, DemoMapsRoundTripThroughTheMapFile) {
  for (const char* name : {"town", "wild", "crypt"}) {
    SCOPED_TRACE(name);
    const std::string path = demo_test::DemoSourceDir() + "/maps/" + name + ".tmj";
    json tmj, desc;
    std::string error;
    ASSERT_TRUE(ReadJsonFile(path, tmj, &error)) << error;
    ASSERT_TRUE(ImportTiledFile(path, desc, &error)) << error;
    MapFileData built, read;
    ASSERT_TRUE(BuildMapFromJson(desc, "x.map", built, &error)) << error;
    ASSERT_TRUE(ParseMapFile(WriteMapFile(built), read, &error)) << error;
    json info = MapToJson(read, true);
    size_t objects = 0, roles = 0, scripts = 0, exits = 0;
    for (const auto& layer : tmj["layers"]) {
      if (layer["name"] == "objects") objects = layer["objects"].size();
      if (layer["name"] == "roles") roles = layer["objects"].size();
      if (layer["name"] == "script" || layer["name"] == "exit")
        for (const auto& v : layer["data"])
          (layer["name"] == "script" ? scripts : exits) += v.get<int>() != 0;
    }
    EXPECT_EQ(read.objects.size(), objects);
    EXPECT_EQ(read.placements.size(), roles);
    size_t scriptCells = 0, exitCells = 0;
    for (const auto& c : read.cells) {
      scriptCells += c.scriptId != 0;
      exitCells += c.exitId != 0;
    }
    EXPECT_EQ(scriptCells, scripts);
    EXPECT_EQ(exitCells, exits);
    EXPECT_EQ(read.header.MapName(), desc["name"].get<std::string>());
    EXPECT_EQ(info.dump(), MapToJson(built, true).dump()) << "the file keeps everything";
  }
}

}  // namespace
}  // namespace isora::demo

namespace isora::demo {
namespace {

// Tiled shows the demo maps with the tileset pictures the kit writes; each named picture must
// exist with the size the map declares.
TEST(TiledImport, TilesetPicturesMatchTheMaps) {
  const std::string dir =
      (std::filesystem::temp_directory_path() / ("isora_tilesets_" + std::to_string(::getpid())))
          .string();
  std::string error;
  ASSERT_TRUE(WriteTilesetPictures(demo_test::DemoSourceDir(), dir, &error)) << error;
  for (const char* name : {"town", "wild", "crypt"}) {
    json tmj;
    ASSERT_TRUE(ReadJsonFile(demo_test::DemoSourceDir() + "/maps/" + name + ".tmj", tmj, &error));
    for (const auto& ts : tmj["tilesets"]) {
      auto bytes = ReadFileBytes(dir + "/" + ts["image"].get<std::string>());
      ASSERT_TRUE(bytes) << name << ": " << ts["image"];
      BmpInfo info;
      ASSERT_TRUE(ParseBmp(*bytes, &info)) << ts["image"];
      EXPECT_EQ(info.Width(), ts["imagewidth"].get<int>()) << ts["image"];
      EXPECT_EQ(info.Height(), ts["imageheight"].get<int>()) << ts["image"];
    }
  }
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

}  // namespace
}  // namespace isora::demo
