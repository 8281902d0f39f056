// Where the player's files go: XDG folders per game, the read-only game folder, --save-dir.
#include "foundation/user_folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "foundation/file_io.h"
#include "foundation/game_log.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

namespace fs = std::filesystem;

EnvironmentLookup Env(std::map<std::string, std::string> vars) {
  return [vars](const char* name) -> std::optional<std::string> {
    auto it = vars.find(name);
    if (it == vars.end()) return std::nullopt;
    return it->second;
  };
}

TEST(UserFolders, FollowXdgVariablesThenHome) {
  auto xdg = Env({{"XDG_CONFIG_HOME", "/x/cfg"}, {"XDG_DATA_HOME", "/x/data"}, {"HOME", "/h"}});
  EXPECT_EQ(SettingsFolder("/usr/share/isora/demo", xdg), "/x/cfg/isora/demo");
  EXPECT_EQ(UserDataFolder("/usr/share/isora/demo/", xdg), "/x/data/isora/demo");

  auto home = Env({{"HOME", "/h"}});
  EXPECT_EQ(SettingsFolder("/g/demo", home), "/h/.config/isora/demo");
  EXPECT_EQ(UserDataFolder("/g/demo", home), "/h/.local/share/isora/demo");

  // Empty or relative XDG values are ignored, as the XDG rules say.
  auto relative = Env({{"XDG_CONFIG_HOME", "cfg"}, {"XDG_DATA_HOME", ""}, {"HOME", "/h"}});
  EXPECT_EQ(SettingsFolder("/g/demo", relative), "/h/.config/isora/demo");
  EXPECT_EQ(UserDataFolder("/g/demo", relative), "/h/.local/share/isora/demo");

  EXPECT_EQ(UserDataFolder("/g/demo", Env({})), "");
  EXPECT_EQ(SettingsFolder("/g/demo", Env({{"HOME", "relative"}})), "");
}

TEST(UserFolders, GameNameIsOneSafeComponent) {
  EXPECT_EQ(GameFolderName("/games/My Game!"), "My_Game_");
  EXPECT_EQ(GameFolderName("/games/demo/"), "demo");
  EXPECT_EQ(GameFolderName("/"), "game");
  EXPECT_EQ(GameFolderName(".."), "game");
}

TEST(UserFolders, ChoosesSaveDirThenWritableGameFolderThenUserData) {
  auto env = Env({{"HOME", "/h"}});
  auto writable = [](const std::string&) { return true; };
  auto readOnly = [](const std::string&) { return false; };
  EXPECT_EQ(ChoosePlayerFolder("/g/demo", "/mine", env, readOnly), "/mine");
  EXPECT_EQ(ChoosePlayerFolder("/g/demo", "", env, writable), "/g/demo");
  EXPECT_EQ(ChoosePlayerFolder("/g/demo", "", env, readOnly), "/h/.local/share/isora/demo");
  // Nowhere else to go: the game folder, where saving fails as it would have.
  EXPECT_EQ(ChoosePlayerFolder("/g/demo", "", Env({}), readOnly), "/g/demo");
}

class PlayerFolderTest : public test::TempDirTest {
 protected:
  void TearDown() override {
    SetPlayerFolder("");
    for (const char* sub : {"game", "game/saves"})
      fs::permissions(tempDir_.Path() / sub, fs::perms::owner_all, fs::perm_options::add, ec_);
  }
  std::error_code ec_;
};

TEST_F(PlayerFolderTest, WritableProbeLeavesNothingAndSeesReadOnlyFolders) {
  const fs::path game = tempDir_.Path() / "game";
  fs::create_directories(game / "saves");
  EXPECT_TRUE(FolderWritable(game.string()));
  EXPECT_EQ(std::distance(fs::directory_iterator(game), fs::directory_iterator()), 1);
  EXPECT_FALSE(FolderWritable((game / "missing").string()));
  test::WriteFile("game/file", "x");
  EXPECT_FALSE(FolderWritable((game / "file").string()));

  // Permissions bind everyone but root, who needs a read-only mount to be stopped.
  if (::geteuid() != 0) {
    fs::permissions(game / "saves", fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_FALSE(FolderWritable(game.string()));
    fs::permissions(game / "saves", fs::perms::owner_write, fs::perm_options::add);
    fs::permissions(game, fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_FALSE(FolderWritable(game.string()));
  }
}

TEST_F(PlayerFolderTest, PlayerFilesResolveInThePlayerFolderAndGameDataDoesNot) {
  const std::string game = GameFolder();
  const std::string player = (tempDir_.Path() / "player").string();
  EXPECT_EQ(NativePath("saves\\1.sav"), game + "/saves/1.sav");
  EXPECT_EQ(PlayerFolder(), game);

  SetPlayerFolder(player + "/");
  EXPECT_EQ(PlayerFolder(), player);
  EXPECT_EQ(NativePath("saves\\1.sav"), player + "/saves/1.sav");
  EXPECT_EQ(NativePath("Screenshot\\s1.jpg"), player + "/Screenshot/s1.jpg");
  EXPECT_EQ(NativePath("GameEngine.log"), player + "/GameEngine.log");
  EXPECT_EQ(NativePath("ini\\game.ini"), game + "/ini/game.ini");
  EXPECT_EQ(NativePath("savesx\\1.sav"), game + "/savesx/1.sav");
  EXPECT_EQ(NativePath("saves.ini"), game + "/saves.ini");

  // The log written by game path lands in the player folder.
  fs::create_directories(player);
  GameLog("GameEngine.log").WriteText("hello");
  EXPECT_TRUE(fs::exists(fs::path(player) / "GameEngine.log"));
  EXPECT_FALSE(fs::exists(fs::path(game) / "GameEngine.log"));
}

}  // namespace
}  // namespace isora
