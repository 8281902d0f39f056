// The game's own font file, data\seguibk.ttf, is used for its texts while the game lives.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "demo_session.h"
#include "media/font.h"

namespace isora::e2e {
namespace {

// The first talk page of a new game, as shown.
std::vector<uint16_t> FirstTalkPage() {
  DemoSession d;
  EXPECT_TRUE(d.ToMainMenu());
  d.Click(320, 254);
  EXPECT_TRUE(d.UntilMode("ModeTalk", 600));
  d.Step(3);
  const Surface& frame = d.platform.LastFrame();
  std::vector<uint16_t> pixels;
  for (int y = 0; y < frame.Height(); ++y) {
    for (int x = 0; x < frame.Width(); ++x) pixels.push_back(frame.At(x, y));
  }
  return pixels;
}

// An installed face renamed into the family the game asks for ("Segoe UI"): the family names
// in the name table are overwritten in place, same length, so every offset still holds.
std::string RenamedFace(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::string bytes(std::istreambuf_iterator<char>(in), {});
  auto replace = [&](const std::string& from, const std::string& to) {
    for (size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at)) {
      bytes.replace(at, to.size(), to);
    }
  };
  replace("DejaVu Sans", "Segoe UI Bk");
  replace(std::string("\0D\0e\0j\0a\0V\0u\0 \0S\0a\0n\0s", 22),
          std::string("\0S\0e\0g\0o\0e\0 \0U\0I\0 \0B\0k", 22));
  return bytes;
}

TEST(GameFont, TheGamesOwnFontDrawsItsTextsWhileTheGameLives) {
  const std::string system = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  if (!std::filesystem::exists(system)) GTEST_SKIP() << "no DejaVu font installed";
  const std::filesystem::path font = std::filesystem::path(DemoFolder()) / "data" / "seguibk.ttf";
  std::vector<uint16_t> without = FirstTalkPage();
  std::ofstream(font, std::ios::binary) << RenamedFace(system);
  std::vector<uint16_t> with = FirstTalkPage();
  std::filesystem::remove(font);
  ASSERT_EQ(with.size(), without.size());
  EXPECT_NE(with, without);
  // The game removed its font when it ended: the family is found among the installed ones.
  EXPECT_EQ(Font::Create("Segoe UI", 18, 400)->FilePath().find("seguibk"), std::string::npos);
}

}  // namespace
}  // namespace isora::e2e
