#include <gtest/gtest.h>

#include "lib/bmp_writer.h"
#include "lib/package_writer.h"
#include "roles/renderer_role_graphics.h"
#include "support/temp_dir.h"

namespace isora::test {
namespace {

class RendererGraphicsTest : public TempDirTest {
 protected:
  void SetUp() override {
    BmpImage image = BmpImage::Filled(3, 2, 0x000000);
    image.Set(1, 0, 0xFF00FF);  // transparent
    image.Set(2, 0, 0xC0FCC0);  // red and blue 24, green 63: already at the caps
    PackageWriter pkg;
    ASSERT_TRUE(pkg.AddFile("hero.bmp", WriteBmp24(image), false));
    WriteFile("role.epk", pkg.Build());
    ASSERT_TRUE(renderer_.Init());
    renderer_.SetPackPath(kPackRole, "role.epk");
    renderer_.GetSurface(kRoleLayer)->Fill(0x1111);
  }
  Renderer renderer_;
  RendererRoleGraphics graphics_{renderer_};
};

TEST_F(RendererGraphicsTest, DrawsKeyedAndBrightensOnlyWhenAsked) {
  Surface& layer = *renderer_.GetSurface(kRoleLayer);
  ASSERT_TRUE(graphics_.DrawPicture(kPackRole, "hero.bmp", true, kRoleLayer, 100, 50, false));
  EXPECT_EQ(layer.At(100, 50), 0x0000);
  EXPECT_EQ(layer.At(101, 50), 0x1111);  // the key leaves the layer alone
  EXPECT_EQ(renderer_.CacheSize(1), 1u);

  ASSERT_TRUE(graphics_.DrawPicture(kPackRole, "hero.bmp", true, kRoleLayer, 200, 50, true));
  EXPECT_EQ(layer.At(200, 50), (7 << 11) | (14 << 5) | 7);
  EXPECT_EQ(layer.At(201, 50), 0x1111);
  EXPECT_EQ(layer.At(202, 50), 0xFFFF);
  EXPECT_EQ(layer.At(0, 0), 0x1111);  // the layer's corner is no scratch area here

  EXPECT_FALSE(graphics_.DrawPicture(kPackRole, "none.bmp", false, kRoleLayer, 0, 0, false));
  EXPECT_EQ(graphics_.PictureSize(kPackRole, "hero.bmp"), (Size{3, 2}));
}

// The role layer follows the view: a role is drawn at its place on the map wherever the view is.
TEST_F(RendererGraphicsTest, RolesLandAtTheirMapPlaceOnTheLayerThatFollowsTheView) {
  renderer_.ClearLayerAroundView(1500, 700);
  Surface& layer = *renderer_.GetSurface(kRoleLayer);
  const Point o = renderer_.SurfaceOrigin(kRoleLayer);
  ASSERT_EQ(o, (Point{1490, 690}));
  ASSERT_TRUE(graphics_.DrawPicture(kPackRole, "hero.bmp", true, kRoleLayer, 1600, 800, false));
  EXPECT_EQ(layer.At(1600 - o.x, 800 - o.y), 0x0000);
  EXPECT_EQ(layer.At(1601 - o.x, 800 - o.y), renderer_.ColorKey());  // cleared, and keyed
  EXPECT_EQ(layer.At(1602 - o.x, 800 - o.y), 0xC7F8);
  // Off the layer (far from the view) nothing is drawn and nothing fails.
  EXPECT_TRUE(graphics_.DrawPicture(kPackRole, "hero.bmp", true, kRoleLayer, 100, 50, true));
  for (int y = 0; y < layer.Height(); y += 5)
    for (int x = 0; x < layer.Width(); x += 5) {
      if (y == 110) continue;  // the row drawn above
      ASSERT_EQ(layer.At(x, y), renderer_.ColorKey()) << x << "," << y;
    }
  // The ground layer is the map's own size: no offset there.
  ASSERT_TRUE(graphics_.DrawPicture(kPackRole, "hero.bmp", true, kGroundLayer, 1600, 800, false));
  EXPECT_EQ(renderer_.GetSurface(kGroundLayer)->At(1602, 800), 0xC7F8);
}

// A role frame: mostly key, as the cache keeps role pictures as runs; `shade` tells versions of
// the same picture apart.
BmpImage SparseFrame(uint32_t shade) {
  BmpImage image = BmpImage::Filled(40, 30, 0xFF00FF);
  for (int y = 2; y < 28; ++y)
    for (int x = 10 + y % 5; x < 16 + y % 7; ++x) image.Set(x, y, shade + static_cast<uint32_t>(x));
  image.Set(39, 29, 0x123456);
  return image;
}

void WriteFramePack(const std::string& path, uint32_t shade) {
  PackageWriter pkg;
  ASSERT_TRUE(pkg.AddFile("a.bmp", WriteBmp24(SparseFrame(shade)), false));
  ASSERT_TRUE(pkg.AddFile("b.bmp", WriteBmp24(BmpImage::Filled(6, 5, shade)), false));
  WriteFile(path, pkg.Build());
}

// Frames drawn by their place in the animation give the pixels of their pictures drawn by name,
// brightened or not, and the pictures of the pack as it is after the caches were cleared.
TEST_F(RendererGraphicsTest, FramesDrawAsTheirPicturesEvenAfterTheCachesAreCleared) {
  WriteFramePack("frames.epk", 0x204060);
  renderer_.SetPackPath(kPackRole, "frames.epk");
  auto animation = std::make_shared<RoleAnimation>();
  for (const char* name : {"a.bmp", "b.bmp", "missing.bmp", "a.bmp"})
    animation->frames.push_back(RoleFrame{0, 40, 30, name});
  Surface& layer = *renderer_.GetSurface(kRoleLayer);
  auto expectSame = [&](bool keep, bool brighten) {
    for (int frame = 0; frame < 4; ++frame) {
      const std::string& name = animation->frames[static_cast<size_t>(frame)].image;
      layer.Fill(0x1111);
      const bool byName = graphics_.DrawPicture(kPackRole, name, keep, kRoleLayer, 5, 7, brighten);
      Surface expected = layer;
      layer.Fill(0x1111);
      ASSERT_EQ(graphics_.DrawFrame(kPackRole, animation, frame, keep, kRoleLayer, 5, 7, brighten),
                byName);
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x)
          ASSERT_EQ(layer.At(x, y), expected.At(x, y)) << frame << " " << x << "," << y;
    }
  };
  for (bool keep : {true, false}) {
    expectSame(keep, false);
    expectSame(keep, false);  // found the second time
    expectSame(keep, true);
  }
  layer.Fill(0x1111);
  ASSERT_TRUE(graphics_.DrawFrame(kPackRole, animation, 0, true, kRoleLayer, 0, 0, false));
  const uint16_t before = layer.At(12, 2);

  // Another pack and both caches emptied: the next draw shows its pictures.
  WriteFramePack("other.epk", 0x802000);
  renderer_.SetPackPath(kPackRole, "other.epk");
  renderer_.ClearCache(kKeptPictures);
  renderer_.ClearCache(kOrdinaryPictures);
  layer.Fill(0x1111);
  ASSERT_TRUE(graphics_.DrawFrame(kPackRole, animation, 0, true, kRoleLayer, 0, 0, false));
  EXPECT_NE(layer.At(12, 2), before);
  for (bool keep : {true, false}) expectSame(keep, false);
}

}  // namespace
}  // namespace isora::test
