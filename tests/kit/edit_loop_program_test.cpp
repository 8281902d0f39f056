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

class EditLoop : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kit_test::GamePath()));
    ASSERT_EQ(kit_test::RunKit("new game").status, 0);
    ASSERT_EQ(kit_test::RunKit("build game out").status, 0);
    test::WriteFile("r.replay", "@40 state s.json\n@40 quit\n");
  }

  // Runs isora headless with the replay and more options; its exit status.
  int Run(const std::string& options) {
    std::string command = "'";
    command.append(kit_test::GamePath())
        .append("' --headless --data out --replay r.replay ")
        .append(options)
        .append(" >out.txt 2>err.txt");
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  nlohmann::json Dump() { return nlohmann::json::parse(test::ReadFile("s.json")); }

  kit_test::KitFolder dir_;
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

TEST_F(EditLoop, AReplayPlaysWithTheStartOptionsItWasRecordedWith) {
  test::WriteFile("r.replay",
                  "# isora replay\n# options --start village.map:3,4\n@40 state s.json\n");
  ASSERT_EQ(Run(""), 0) << test::ReadFile("err.txt");
  EXPECT_EQ(Dump()["player"]["row"], 2);
  // The command line wins over the file.
  ASSERT_EQ(Run("--start village.map:6,8"), 0) << test::ReadFile("err.txt");
  EXPECT_EQ(Dump()["player"]["row"], 5);
  // replay check plays it the same way.
  const kit_test::KitResult r = kit_test::RunKit("replay check r.replay --data out --program '" +
                                                 kit_test::GamePath() + "' --keep k");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(nlohmann::json::parse(test::ReadFile("k/s.json"))["player"]["row"], 2);
  test::WriteFile("r.replay", "# options --save-dir /tmp\n@40 quit\n");
  EXPECT_EQ(Run(""), 2);
  EXPECT_NE(test::ReadFile("err.txt").find("may hold only"), std::string::npos);
}

// The template must be winnable as it stands: its wolves fight back when hit, one at a time,
// rather than a pack killing a fresh hero at once (each bite does at least 5).
TEST_F(EditLoop, FourTemplateWolvesDoNotKillAFreshHeroIn200Frames) {
  std::string wolves;
  for (auto [x, y] : {std::pair{272, 240}, {240, 272}, {304, 272}, {272, 304}})
    wolves += "{\"name\": \"Wolf\", \"point\": true, \"x\": " + std::to_string(x) +
              ", \"y\": " + std::to_string(y) + "},\n";
  kit_test::Edit("game/maps/village.tmj", "    {\n     \"id\": 21,",
                 wolves + "    {\n     \"id\": 21,");
  ASSERT_EQ(kit_test::RunKit("build game out").status, 0);
  test::WriteFile("r.replay", "@230 state s.json\n@230 quit\n");
  ASSERT_EQ(Run("--start village.map:9,9"), 0) << test::ReadFile("err.txt");
  const nlohmann::json s = Dump();
  int wolvesSeen = 0;
  for (const auto& npc : s["npcs"]) wolvesSeen += npc["name"] == "Wolf";
  EXPECT_EQ(wolvesSeen, 5);
  EXPECT_EQ(s["mode"], "ModePlay");
  EXPECT_EQ(s["player"]["hp"], s["player"]["maxHp"]);
}

// A quest test in world terms: the wolf and the cell are found where they are on the screen at
// that frame, and the replay waits for the fight instead of counting frames.
TEST_F(EditLoop, WorldNamedEventsFindTheWolfAndTheCellAndWaitForTheFight) {
  test::WriteFile("r.replay",
                  "# options --start village.map:4,12\n"
                  "@0 wait 200 /npcs/1/name == \"Wolf\"\n"
                  "@1 point role Wolf\n@1 ldown\n@2 wait 600 /player/exp > 0\n@3 lup\n"
                  "@3 state won.json\n@3 quit\n");
  ASSERT_EQ(Run(""), 0) << test::ReadFile("err.txt");
  const nlohmann::json won = nlohmann::json::parse(test::ReadFile("won.json"));
  EXPECT_EQ(won["player"]["exp"], 30);
  EXPECT_GT(won["player"]["hp"].get<int>(), 0);  // the template is winnable
  EXPECT_GT(won["frame"].get<int>(), 20);        // it waited for the fight
  // A click on a named cell walks the hero onto it (he stands on the cell the dump names).
  test::WriteFile("r.replay",
                  "# options --start village.map:6,8\n@50 point cell 7 9\n@50 ldown\n@51 lup\n"
                  "@52 wait 200 /player/row == 7\n@70 state s.json\n@70 quit\n");
  ASSERT_EQ(Run(""), 0) << test::ReadFile("err.txt");
  EXPECT_EQ(Dump()["player"]["column"], 9);
  // What is not there, or does not come in time, fails the run and says which line.
  for (const std::string line : {"@1 point role Dragon\n", "@1 point item Moon Pie\n",
                                 "@1 point cell 200 200\n", "@1 wait 20 /player/exp > 0\n"}) {
    test::WriteFile("r.replay", "# options --start village.map:4,12\n" + line + "@30 quit\n");
    EXPECT_EQ(Run(""), 4) << line;
    EXPECT_NE(test::ReadFile("err.txt").find("line 2: "), std::string::npos)
        << test::ReadFile("err.txt");
  }
  const kit_test::KitResult r =
      kit_test::RunKit("replay check r.replay --data out --program '" + kit_test::GamePath() + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("did not hold within 20 frames (it is 0)"), std::string::npos) << r.err;
}

TEST_F(EditLoop, LogStderrMirrorsTheLogAsUtf8AndKeepsTheFile) {
  // A map that is not there is logged by name.
  Run("--start nowhere.map --log-stderr");
  const std::string err = test::ReadFile("err.txt");
  const std::string log = test::ReadFile("out/GameEngine.log");
  EXPECT_NE(err.find("Cannot load the map map\\nowhere.map (missing or damaged)\n"),
            std::string::npos)
      << err;
  EXPECT_NE(log.find("----->Cannot load the map map\\nowhere.map (missing or damaged)\r\n"),
            std::string::npos)
      << log;
  Run("--start nowhere.map");
  EXPECT_EQ(test::ReadFile("err.txt").find("Cannot load the map"), std::string::npos);
}

TEST_F(EditLoop, DevF5LoadsTheMapAgainAndKeepsThePlayerWhereTheyStand) {
  // Walk two cells, then F5.
  test::WriteFile("r.replay",
                  "@45 move 384 304\n@45 ldown\n@46 lup\n@100 state a.json\n@101 key F5\n"
                  "@160 state s.json\n@160 quit\n");
  ASSERT_EQ(Run("--start village.map:6,8 --dev"), 0) << test::ReadFile("err.txt");
  const nlohmann::json before = nlohmann::json::parse(test::ReadFile("a.json"));
  const nlohmann::json after = Dump();
  EXPECT_EQ(after["mode"], "ModePlay");
  EXPECT_EQ(after["player"]["row"], before["player"]["row"]);
  EXPECT_EQ(after["player"]["column"], before["player"]["column"]);
  EXPECT_NE(before["player"]["row"], 5);  // it did walk
  const std::string log = test::ReadFile("out/GameEngine.log");
  EXPECT_NE(log.find("Reloading map\\village.map from the game folder"), std::string::npos);
  size_t loads = 0;
  for (size_t at = log.find("Start to load map"); at != std::string::npos;
       at = log.find("Start to load map", at + 1))
    ++loads;
  EXPECT_EQ(loads, 2u);
  // Without --dev, F5 does nothing.
  std::filesystem::remove("out/GameEngine.log");
  ASSERT_EQ(Run("--start village.map:6,8"), 0);
  EXPECT_EQ(test::ReadFile("out/GameEngine.log").find("Reloading"), std::string::npos);
}

}  // namespace
}  // namespace isora
