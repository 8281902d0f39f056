// The isora program's edit loop, run as a content maker runs it: a new game straight onto a map
// cell, a save slot that is not there, the main menu without the splash, the log on stderr.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "kit_runner.h"

namespace isora {
namespace {

namespace fs = std::filesystem;

std::string ProgramPath() {
  return (fs::canonical("/proc/self/exe").parent_path().parent_path() / "src" / "isora").string();
}

class EditLoop : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(ProgramPath()));
    ASSERT_EQ(kit_test::RunKit("new game").status, 0);
    ASSERT_EQ(kit_test::RunKit("build game out").status, 0);
    test::WriteFile("r.replay", "@12 state s.json\n@12 quit\n");
  }

  // Runs isora headless with the replay and more options; its exit status.
  int Run(const std::string& options) {
    const std::string command = "'" + ProgramPath() + "' --headless --data out --replay r.replay " +
                                options + " >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  nlohmann::json Dump() { return nlohmann::json::parse(test::ReadFile("s.json")); }

  test::TempDir dir_;
};

TEST_F(EditLoop, StartPutsANewGameOnTheCellWithoutTheStartScript) {
  ASSERT_EQ(Run("--start village.map:3,4"), 0) << test::ReadFile("err.txt");
  nlohmann::json s = Dump();
  EXPECT_EQ(s["mode"], "ModePlay");
  EXPECT_EQ(s["map"]["file"], "village.map");
  // A role placed on a cell stands one row and one column up from it.
  EXPECT_EQ(s["player"]["row"], 2);
  EXPECT_EQ(s["player"]["column"], 3);
  EXPECT_EQ(s["player"]["money"], 0);  // main.gsp gives 50
  EXPECT_TRUE(s["script"].is_null());

  ASSERT_EQ(Run("--start village.map"), 0);
  s = Dump();
  EXPECT_EQ(s["player"]["row"], 7);  // the map's start cell, (8, 8)
  EXPECT_EQ(s["player"]["column"], 7);
}

TEST_F(EditLoop, SkipSplashOpensTheMainMenuAndAMissingSlotIsSaid) {
  ASSERT_EQ(Run("--skip-splash"), 0);
  EXPECT_EQ(Dump()["mode"], "ModeMainMenu");
  EXPECT_EQ(Run("--load-slot 2"), 1);
  EXPECT_NE(test::ReadFile("err.txt").find("save slot 2 cannot be loaded"), std::string::npos)
      << test::ReadFile("err.txt");
}

TEST_F(EditLoop, LogStderrMirrorsTheLogAsUtf8AndKeepsTheFile) {
  // A map that is not there is logged.
  EXPECT_EQ(Run("--start nowhere.map --log-stderr"), 0);
  const std::string err = test::ReadFile("err.txt");
  const std::string log = test::ReadFile("out/GameEngine.log");
  ASSERT_FALSE(log.empty());
  EXPECT_NE(err.find("nowhere.map"), std::string::npos) << err;
  EXPECT_NE(log.find("nowhere.map"), std::string::npos) << log;
  Run("--start nowhere.map");
  EXPECT_EQ(test::ReadFile("err.txt").find("nowhere.map"), std::string::npos);
}

}  // namespace
}  // namespace isora
