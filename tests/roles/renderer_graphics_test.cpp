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

}  // namespace
}  // namespace isora::test
