// Where isora looks for a game when it is given no --data: a build tree's demo, the installed
// demo beside the program, the XDG data folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "isora_version.h"
#include "shell/options.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

namespace fs = std::filesystem;

EnvironmentLookup Env(std::map<std::string, std::string> values) {
  return [values](const char* name) -> std::optional<std::string> {
    auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
  };
}

// A folder with a game.ini in it, as a game folder is found by.
fs::path MakeGame(const fs::path& folder) {
  test::WriteFile((folder / "game.ini").string(), "[game]\n");
  return fs::canonical(folder);
}

class DefaultGameFolder : public testing::Test {
 protected:
  test::TempDir dir_;
  fs::path root_ = dir_.Path();
};

TEST_F(DefaultGameFolder, InstalledProgramFindsTheDemoInstalledBesideIt) {
  fs::create_directories(root_ / "prefix/bin");
  const fs::path demo = MakeGame(root_ / "prefix" / "bin" / kInstalledDemoFromProgram);
  EXPECT_EQ(demo, fs::canonical(root_ / "prefix/share/isora/demo"));
  const auto empty = Env({{"XDG_DATA_DIRS", "/nonexistent"}});
  EXPECT_EQ(DefaultDataDir((root_ / "prefix/bin").string(), empty), demo.string());
  // A build tree's demo (<build>/demo beside <build>/src/isora) comes first.
  fs::create_directories(root_ / "build/src");
  const fs::path built = MakeGame(root_ / "build/demo");
  MakeGame(root_ / "build/share/isora/demo");
  EXPECT_EQ(DefaultDataDir((root_ / "build/src").string(), empty), built.string());
  // ISORA_DATA wins over both, used as given.
  EXPECT_EQ(DefaultDataDir((root_ / "build/src").string(),
                           Env({{"ISORA_DATA", "/some/game"}, {"XDG_DATA_DIRS", "/x"}})),
            "/some/game");
}

TEST_F(DefaultGameFolder, XdgDataFoldersAreSearchedInOrderAndRelativeOnesIgnored) {
  fs::create_directories(root_ / "elsewhere/bin");
  const std::string program = (root_ / "elsewhere/bin").string();
  const fs::path user = MakeGame(root_ / "user/isora/demo");
  const fs::path system1 = MakeGame(root_ / "sys1/isora/demo");
  const fs::path system2 = MakeGame(root_ / "sys2/isora/demo");
  const std::string dirs = "relative/dir:" + (root_ / "nothing").string() + ":" +
                           (root_ / "sys1").string() + "/:" + (root_ / "sys2").string();
  EXPECT_EQ(DefaultDataDir(program, Env({{"XDG_DATA_HOME", (root_ / "user").string()},
                                         {"XDG_DATA_DIRS", dirs}})),
            user.string());
  EXPECT_EQ(DefaultDataDir(program, Env({{"XDG_DATA_DIRS", dirs}})), system1.string());
  // $HOME/.local/share stands in for an unset XDG_DATA_HOME.
  const fs::path home = MakeGame(root_ / "home/.local/share/isora/demo");
  EXPECT_EQ(
      DefaultDataDir(program, Env({{"HOME", (root_ / "home").string()}, {"XDG_DATA_DIRS", dirs}})),
      home.string());
  // A folder without game.ini (the player's own saves folder is also isora/demo) is no game.
  fs::remove(home / "game.ini");
  fs::create_directories(home / "saves");
  EXPECT_EQ(
      DefaultDataDir(program, Env({{"HOME", (root_ / "home").string()}, {"XDG_DATA_DIRS", dirs}})),
      system1.string());
  EXPECT_EQ(
      DefaultDataDir(program, Env({{"XDG_DATA_HOME", "relative"},
                                   {"XDG_DATA_DIRS", "relative:" + (root_ / "nothing").string()}})),
      "");
}

TEST(ProgramVersion, VersionIsAnOptionOfItsOwnAndIsNumbered) {
  ProgramOptions o;
  std::string error;
  ASSERT_TRUE(ParseProgramOptions({"--version"}, &o, &error)) << error;
  EXPECT_TRUE(o.version);
  EXPECT_NE(std::string(ProgramUsage()).find("--version"), std::string::npos);
  // major.minor.patch, as CMake's project VERSION gives it
  int major = -1, minor = -1, patch = -1;
  char tail = 0;
  EXPECT_EQ(std::sscanf(kIsoraVersion, "%d.%d.%d%c", &major, &minor, &patch, &tail), 3)
      << kIsoraVersion;
}

}  // namespace
}  // namespace isora
