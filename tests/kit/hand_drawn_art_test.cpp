// Hand-drawn pictures: what check accepts the build packs, and what the build packs check
// accepts, for files that replace a generated picture and for files that add one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "foundation/package_file.h"
#include "kit_runner.h"
#include "lib/art_files.h"
#include "lib/game_check.h"
#include "lib/game_pictures.h"
#include "media/bmp_reader.h"

namespace isora {
namespace {

using kit_test::Edit;
using kit_test::RunKit;

std::vector<uint8_t> SolidPng(uint32_t argb, int w = 64, int h = 32) {
  return demo::EncodePngArgb(w, h, std::vector<uint32_t>(static_cast<size_t>(w) * h, argb));
}

// The member's pixels (0xRRGGBB), empty when the package lacks it.
std::vector<uint32_t> Member(const std::string& package, const std::string& member) {
  PackageFile file;
  std::vector<uint32_t> argb;
  int w = 0, h = 0;
  if (!file.Open(package)) return argb;
  if (auto bytes = file.ReadMember(member)) DecodeBmpArgb(*bytes, &argb, &w, &h);
  for (uint32_t& p : argb) p &= 0xFFFFFF;
  return argb;
}

class HandDrawnArt : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(RunKit("new game").status, 0); }

  // A fourth tile type, "moss", that no style of art.json draws.
  static void AddMossType(int pictures) {
    Edit("game/ini/tiles.ini", "count=3", "count=4");
    test::WriteFile("game/ini/tiles.ini", test::ReadFile("game/ini/tiles.ini") +
                                              "\n[4]\npiccount=2\n前缀=moss\n起始数=0\n"
                                              "末尾数=1\n补位=false\n");
    for (int i = 0; i < pictures; ++i)
      test::WriteFile("game/art/tiles/4/moss" + std::to_string(i) + ".png", SolidPng(0xFF12AB34));
  }

  kit_test::KitFolder dir_;
};

TEST_F(HandDrawnArt, AnItemPictureNoGeneratorDrawsIsPacked) {
  test::WriteFile("game/art/items/moonberry.png", SolidPng(0xFF8020C0, 32, 32));
  Edit("game/data/items.json", "\"picture\": \"pelt.bmp\"", "\"picture\": \"moonberry.bmp\"");
  const demo::CheckReport report = demo::CheckGameSource("game");
  EXPECT_EQ(report.issues.size(), 0u) << report.Format();
  ASSERT_EQ(RunKit("build game out").status, 0);
  const std::vector<uint32_t> pixels = Member("out/data/items.epk", "moonberry.bmp");
  ASSERT_EQ(pixels.size(), 32u * 32u);
  EXPECT_EQ(pixels[0], 0x8020C0u);
  // Without the file, both say the picture is missing.
  std::filesystem::remove("game/art/items/moonberry.png");
  EXPECT_EQ(demo::CheckGameSource("game").Errors(), 1);
  EXPECT_EQ(RunKit("build game out2").status, 1);
}

TEST_F(HandDrawnArt, ArtListWorksOnTheTemplateAndNamesTilesAndAddedPictures) {
  test::WriteFile("game/art/items/moonberry.png", SolidPng(0xFF8020C0, 32, 32));
  test::WriteFile("game/art/tiles/1/grass00.png", SolidPng(0xFF102030));
  const kit_test::KitResult r = RunKit("art list game");
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* line :
       {"art/ui/menu_bg.png\n", "art/tiles/obj.png\n", "art/tiles/1/grass00.png  (hand-drawn)\n",
        "art/tiles/2/path8.png\n", "art/items/moonberry.png  (hand-drawn, adds a picture)\n"})
    EXPECT_NE(r.out.find(line), std::string::npos) << line;
  if (const char* root = std::getenv("ISORA_SOURCE_DIR")) {
    EXPECT_EQ(RunKit("art list '" + std::string(root) + "/content/demo'").status, 0);
  }
}

TEST_F(HandDrawnArt, TilesOfANewTypeAreNoFalseWarningAndArePacked) {
  AddMossType(2);
  const demo::CheckReport report = demo::CheckGameSource("game");
  EXPECT_EQ(report.issues.size(), 0u) << report.Format();
  ASSERT_EQ(RunKit("build game out").status, 0);
  EXPECT_EQ(Member("out/data/tiles.epk", "4\\moss1.bmp").at(0), 0x12AB34u);
  // One of the two pictures missing is an error naming it, before the build refuses.
  std::filesystem::remove("game/art/tiles/4/moss1.png");
  const demo::CheckReport partial = demo::CheckGameSource("game");
  EXPECT_EQ(partial.Errors(), 1) << partial.Format();
  EXPECT_NE(partial.Format().find("art/tiles/4/moss1.png"), std::string::npos) << partial.Format();
}

TEST_F(HandDrawnArt, AnObjectBaseOnAHandDrawnTileTypeIsDrawnWithItsPicture) {
  AddMossType(2);
  Edit("game/art/objects.json", "\"blocks\": true,", "\"blocks\": true, \"base\": \"moss\",");
  EXPECT_EQ(demo::CheckGameSource("game").issues.size(), 0u);
  ASSERT_EQ(RunKit("build game out").status, 0);
  const std::vector<uint32_t> sheet = Member("out/data/tiles.epk", "obj.bmp");
  EXPECT_GT(std::count(sheet.begin(), sheet.end(), 0x12AB34u), 64 * 16);
  // A base that names nothing would be a grey box.
  Edit("game/art/objects.json", "\"base\": \"moss\"", "\"base\": \"mud\"");
  const demo::CheckReport report = demo::CheckGameSource("game");
  EXPECT_EQ(report.Errors(), 1) << report.Format();
  EXPECT_NE(report.Format().find("base \"mud\""), std::string::npos) << report.Format();
}

// Soft edges: below the threshold a pixel is the key, with no tint of its colour left.
TEST(HandDrawnPng, AlphaBelowTheThresholdBecomesTheKey) {
  const struct {
    uint32_t argb;
    int keyAlpha;
    uint32_t want;
  } cases[] = {
      {0x00FF80FF, 128, 0xFF00FF}, {0x7FFF80FF, 128, 0xFF00FF}, {0x80FF80FF, 128, 0xFF80FF},
      {0xFE123456, 255, 0xFF00FF}, {0xFF123456, 255, 0x123456}, {0x01123456, 1, 0x123456},
  };
  for (const auto& c : cases) {
    BmpImage image;
    std::string error;
    ASSERT_TRUE(demo::DecodePng(SolidPng(c.argb, 2, 2), image, &error, c.keyAlpha)) << error;
    EXPECT_EQ(image.At(1, 1), c.want) << std::hex << c.argb << " at " << std::dec << c.keyAlpha;
  }
}

TEST_F(HandDrawnArt, KeyAlphaOfArtJsonIsCheckedAndUsed) {
  test::WriteFile("game/art/items/moonberry.png", SolidPng(0xC08020C0, 32, 32));
  Edit("game/data/items.json", "\"picture\": \"pelt.bmp\"", "\"picture\": \"moonberry.bmp\"");
  Edit("game/art/art.json", "{", "{\n  \"keyAlpha\": 300,");
  EXPECT_EQ(demo::CheckGameSource("game").Errors(), 1);
  Edit("game/art/art.json", "\"keyAlpha\": 300", "\"keyAlpha\": 255");
  ASSERT_EQ(RunKit("build game out").status, 0);
  EXPECT_EQ(Member("out/data/items.epk", "moonberry.bmp").at(0), 0xFF00FFu);
}

}  // namespace
}  // namespace isora
