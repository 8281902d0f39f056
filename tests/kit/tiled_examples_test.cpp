// Real Tiled files from public example sets (tests/kit/tiled_examples, with their sources and
// licences), imported with `isora-kit map import-tiled` as a content maker would: maps of other
// orientations and sizes are refused by name, and an isometric one imports once it is given the
// game's layers and properties.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "demo/demo_paths.h"
#include "kit_runner.h"

namespace isora {
namespace {

namespace fs = std::filesystem;
using kit_test::KitResult;
using kit_test::RunKit;

class TiledExamples : public testing::Test {
 protected:
  void SetUp() override {
    const fs::path examples =
        fs::path(demo_test::DemoSourceDir()) / ".." / ".." / "tests" / "kit" / "tiled_examples";
    ASSERT_TRUE(fs::is_directory(examples)) << examples;
    fs::copy(examples, test::InFolder("examples"), fs::copy_options::recursive);
  }

  // Imports examples/<file>; the kit's result.
  KitResult Import(const std::string& file) {
    return RunKit("map import-tiled 'examples/" + file + "' out.map");
  }

  ::testing::AssertionResult Refused(const std::string& file, const std::string& words) {
    const KitResult r = Import(file);
    if (r.status != 1) return ::testing::AssertionFailure() << file << ": status " << r.status;
    if (r.err.find("isora-kit: examples/" + file + ": " + words) == std::string::npos)
      return ::testing::AssertionFailure() << file << " refused with: " << r.err;
    if (fs::exists(test::InFolder("out.map")))
      return ::testing::AssertionFailure() << file << ": a map was written";
    return ::testing::AssertionSuccess();
  }

  kit_test::KitFolder dir_;
};

TEST_F(TiledExamples, MapsOfOtherOrientationsAreRefusedNamingTheOrientation) {
  const std::string why = "; the game's maps are isometric";
  EXPECT_TRUE(Refused("cocos2d-x/orthogonal-test5-csv.tmx", "the map is orthogonal" + why));
  EXPECT_TRUE(Refused("cocos2d-x/test-staggered.tmx", "the map is staggered" + why));
  EXPECT_TRUE(Refused("cocos2d-x/hexagonal-mini-odd-y.tmx", "the map is hexagonal" + why));
  // An image-collection tileset in TSX and object templates (one naming its tileset as
  // "../objs.tsx") are all read before the orientation is looked at: a missing one would be
  // named instead. Its parallax and hidden layers are warned about.
  EXPECT_TRUE(Refused("sticker-knight/sandbox.tmx", "the map is orthogonal" + why));
  const KitResult r = Import("sticker-knight/sandbox.tmx");
  EXPECT_NE(r.err.find("layer \"parallax clouds\" has a parallax factor"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("layer \"bounds\" is hidden in Tiled"), std::string::npos) << r.err;
  fs::remove(test::InFolder("examples/sticker-knight/templates/hero.tx"));
  EXPECT_TRUE(Refused("sticker-knight/sandbox.tmx",
                      "cannot read examples/sticker-knight/templates/hero.tx"));
}

TEST_F(TiledExamples, IsometricMapsTheGameCannotTakeAreRefusedNamingWhy) {
  EXPECT_TRUE(Refused("cocos2d-x/iso-test.tmx",
                      "the map is 64x64 cells; the game's maps are square, at most 50x50"));
  EXPECT_TRUE(
      Refused("cocos2d-x/tile_iso_offset.tmx", "the map's tiles are 100x50; the game's are 64x32"));
  // Isometric with the game's tile size, but none of its layers or properties.
  EXPECT_TRUE(
      Refused("cocos2d-x/iso-test-vertexz.tmx", "the map has no tile layer named \"ground\""));
  const KitResult r = Import("cocos2d-x/iso-test-vertexz.tmx");
  EXPECT_NE(r.err.find("warning: layer Grass (tilelayer) is not used by the game"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("warning: layer Trees (tilelayer) is not used by the game"),
            std::string::npos)
      << r.err;
}

TEST_F(TiledExamples, AnIsometricMapImportsOnceGivenTheGamesLayersAndProperties) {
  // What a content maker changes in Tiled: the layers renamed to the game's, the tileset's
  // tiles.ini type, the start cell. The file keeps its DOCTYPE, its gzip-compressed layers and
  // its engine-specific layer properties.
  const std::string file = "examples/cocos2d-x/iso-test-vertexz.tmx";
  kit_test::Edit(file, "<layer name=\"Grass\"", "<layer name=\"ground\"");
  kit_test::Edit(file, "<layer name=\"Trees\"", "<layer name=\"block\"");
  kit_test::Edit(file, "  <image source=\"iso-test.png\"/>",
                 "  <properties>\n   <property name=\"tileType\" type=\"int\" value=\"7\"/>\n"
                 "  </properties>\n  <image source=\"iso-test.png\"/>");
  kit_test::Edit(file, "tileheight=\"32\">",
                 "tileheight=\"32\">\n <properties>\n"
                 "  <property name=\"startX\" type=\"int\" value=\"2\"/>\n"
                 "  <property name=\"startY\" type=\"int\" value=\"3\"/>\n </properties>");
  KitResult r = Import("cocos2d-x/iso-test-vertexz.tmx");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "out.map: 900 cells, 0 objects, 0 role placements\n");
  EXPECT_EQ(r.err, "");

  r = RunKit("map info out.map --json --cells");
  ASSERT_EQ(r.status, 0) << r.err;
  const nlohmann::json info = nlohmann::json::parse(r.out);
  EXPECT_EQ(info["size"], 30);
  EXPECT_EQ(info["start"], nlohmann::json::array({2, 3}));
  // The file's grass layer holds 260 tiles (a border and a square in one corner); the other
  // cells are empty and keep the default type. Its 35 trees block their cells.
  EXPECT_EQ(info["blockedCells"], 35);
  int grass = 0;
  for (const auto& cell : info["cells"]) {
    if (cell["tileType"] == 7) ++grass;
    if (cell["row"] == 15 && cell["column"] == 15) {
      EXPECT_EQ(cell["tileType"], 1);
    }
    if (cell["row"] == 29 && cell["column"] == 29) {
      EXPECT_EQ(cell["passable"], 0);
    }
    if (cell["row"] == 20 && cell["column"] == 20) {
      EXPECT_EQ(cell["tileType"], 7);
      EXPECT_EQ(cell["passable"], 1);
    }
  }
  EXPECT_EQ(grass, 260);
}

}  // namespace
}  // namespace isora
