// Start-up failures end with their message box and the window destroyed.
#include <fstream>

#include "demo_session.h"
#include "support/temp_dir.h"

namespace isora::e2e {
namespace {

// A game folder that shares the demo's data but has its own plain game.ini.
struct Folder {
  explicit Folder(const std::string& gameIni) {
    const std::string& demo = DemoFolder();
    for (const char* sub : {"data", "map", "sound", "music"}) {
      std::filesystem::create_directory_symlink(std::filesystem::path(demo) / sub,
                                                test::InFolder(sub));
    }
    std::ofstream(test::InFolder("game.ini")) << gameIni;
  }
  test::TempDir dir;
};

std::vector<std::string> InitBoxes(bool* ok) {
  HeadlessPlatform platform;
  SystemHooks* previous = Hooks::Set(&platform);
  std::vector<std::string> boxes;
  {
    CGame game(platform, GameOptions{PixelFormat::Rgb565, true, false});
    *ok = game.Init();
    for (const auto& b : platform.MessageBoxes()) boxes.push_back(b.caption + ": " + b.text);
    EXPECT_EQ(platform.HasWindow(), *ok);
  }
  Hooks::Set(previous);
  return boxes;
}

TEST(StartupFailures, PlainGameIniWithoutTheIniPackage) {
  DemoFolder();
  Folder f("[MDfile]\r\nscript=data\\script.epk\r\n");
  bool ok = true;
  std::vector<std::string> boxes = InitBoxes(&ok);
  EXPECT_FALSE(ok);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Error: Load game.ini failed!");
}

TEST(StartupFailures, IniPackageWithoutGameIni) {
  DemoFolder();
  Folder f("[MDfile]\r\nini=data\\script.epk\r\n");
  bool ok = true;
  std::vector<std::string> boxes = InitBoxes(&ok);
  EXPECT_FALSE(ok);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Error: Load game.ini failed!");
}

TEST(StartupFailures, MissingItemDatabase) {
  test::TempDir dir;
  bool ok = true;
  std::vector<std::string> boxes = InitBoxes(&ok);
  EXPECT_FALSE(ok);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Error: Load item database failed!");
}

}  // namespace
}  // namespace isora::e2e
