// Golden images of the main screens, compared at a quarter of their size with a small tolerance
// (fonts and art may move a pixel; a screen that lost a panel or a layer does not pass).
// ISORA_UPDATE_GOLDEN=1 writes the pictures instead of comparing.
#include <cstdio>
#include <fstream>

#include "demo_session.h"
#include "shell/game_ui.h"

namespace isora::e2e {
namespace {

constexpr int kScale = 4;
constexpr int kW = 640 / kScale, kH = 480 / kScale;

std::filesystem::path GoldenDir() {
  if (const char* root = std::getenv("ISORA_SOURCE_DIR"); root && *root) {
    return std::filesystem::path(root) / "tests" / "e2e" / "golden";
  }
  return std::filesystem::path(__FILE__).parent_path() / "golden";
}

// The back buffer averaged over 4 x 4 blocks, RGB.
std::vector<uint8_t> Reduce(const Surface& s) {
  std::vector<uint8_t> out(static_cast<size_t>(kW) * kH * 3);
  for (int by = 0; by < kH; ++by) {
    for (int bx = 0; bx < kW; ++bx) {
      int sum[3] = {0, 0, 0};
      for (int y = 0; y < kScale; ++y) {
        for (int x = 0; x < kScale; ++x) {
          Rgb8 c = UnpackPixel(s.Format(), s.At(bx * kScale + x, by * kScale + y));
          sum[0] += c.r;
          sum[1] += c.g;
          sum[2] += c.b;
        }
      }
      for (int i = 0; i < 3; ++i) {
        out[(static_cast<size_t>(by) * kW + bx) * 3 + i] =
            static_cast<uint8_t>(sum[i] / (kScale * kScale));
      }
    }
  }
  return out;
}

void CheckGolden(DemoSession& d, const std::string& name) {
  const Surface* back = d.game->GetRenderer().GetSurface(kSurfaceBackBuffer);
  ASSERT_NE(back, nullptr);
  std::vector<uint8_t> got = Reduce(*back);
  std::filesystem::path path = GoldenDir() / (name + ".ppm");
  std::string header = "P6\n" + std::to_string(kW) + " " + std::to_string(kH) + "\n255\n";
  if (const char* update = std::getenv("ISORA_UPDATE_GOLDEN"); update && *update == '1') {
    std::filesystem::create_directories(GoldenDir());
    std::ofstream out(path, std::ios::binary);
    out << header;
    out.write(reinterpret_cast<const char*>(got.data()), static_cast<std::streamsize>(got.size()));
    return;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << "no golden " << path << " (ISORA_UPDATE_GOLDEN=1 writes it)";
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), header.size() + got.size()) << path;
  ASSERT_EQ(bytes.compare(0, header.size(), header), 0);
  int64_t total = 0;
  int far = 0;
  for (size_t i = 0; i < got.size(); ++i) {
    int diff = std::abs(static_cast<int>(got[i]) - static_cast<uint8_t>(bytes[header.size() + i]));
    total += diff;
    if (diff > 64) ++far;
  }
  double mean = static_cast<double>(total) / static_cast<double>(got.size());
  EXPECT_LT(mean, 6.0) << name;
  EXPECT_LT(far, static_cast<int>(got.size() / 50)) << name;
}

TEST(Golden, MainMenu) {
  DemoSession d;
  ASSERT_TRUE(d.ToMainMenu());
  d.Move(600, 460);
  d.Step(30);
  CheckGolden(d, "main_menu");
}

TEST(Golden, PlayFrameTalkStatusShopAndDeath) {
  DemoSession d;
  ASSERT_TRUE(d.NewGame());
  d.Click(498, 80);
  d.Move(630, 10);
  d.Step(3);
  CheckGolden(d, "play");

  d.Key(kVkF1);
  d.Step();
  CheckGolden(d, "status_panel");
  d.Key(kVkF1);

  d.game->Scripting().ShowNPCTalk("Greta");
  d.Step();
  CheckGolden(d, "talk");
  d.Click(320, 240);
  d.Move(630, 10);
  d.Step();
  ASSERT_EQ(d.State()["mode"], "ModeBags");
  CheckGolden(d, "shop");
  d.Key(kVkEscape);

  d.game->Scripting().SubHP(100000);
  ASSERT_TRUE(d.UntilMode("ModeFrozen", 300));
  d.Step();
  CheckGolden(d, "death");
}

}  // namespace
}  // namespace isora::e2e
