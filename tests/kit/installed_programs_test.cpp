// What an installed game is checked with: the programs' versions, and a replay played on the
// game folder itself, where a player's saves and log land as they would in play.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>

#include "isora_version.h"
#include "kit_runner.h"

namespace isora {
namespace {

namespace fs = std::filesystem;

// stdout of a program run with one argument, and its exit status.
std::pair<std::string, int> Output(const std::string& program, const char* argument) {
  std::string command = "'";
  command.append(program).append("' ").append(argument);
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return {out, -1};
  char buf[256];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int status = pclose(p);
  return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(InstalledPrograms, BothProgramsPrintTheProjectVersion) {
  auto [game, gameStatus] = Output(kit_test::GamePath(), "--version");
  EXPECT_EQ(gameStatus, 0);
  EXPECT_EQ(game, std::string("isora ") + kIsoraVersion + "\n");
  auto [kit, kitStatus] = Output(kit_test::KitPath(), "--version");
  EXPECT_EQ(kitStatus, 0);
  EXPECT_EQ(kit, std::string("isora-kit ") + kIsoraVersion + "\n");
}

TEST(InstalledPrograms, ReplayCheckInPlacePlaysTheGameFolderItself) {
  kit_test::KitFolder dir;
  ASSERT_EQ(kit_test::RunKit("new game").status, 0);
  ASSERT_EQ(kit_test::RunKit("build game out").status, 0);
  test::WriteFile("r.replay",
                  "@290 key F11\n@300 state s.json\n@300 quit\n"
                  "# expect s.json /mode == \"ModeMainMenu\"\n");
  // A copy by default: the game folder is left as it was.
  kit_test::KitResult r = kit_test::RunKit("replay check r.replay --data out --keep work");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("1 expectations, 0 failed"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(test::InFolder("out/GameEngine.log")));
  EXPECT_TRUE(fs::exists(test::InFolder("work/game/GameEngine.log")));
  // In place: the log and the screenshot are the game folder's own; the dumps stay in WORK,
  // and the game folder is not removed from a WORK that holds it.
  r = kit_test::RunKit("replay check r.replay --data out --keep out --in-place");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("1 expectations, 0 failed"), std::string::npos) << r.out;
  EXPECT_TRUE(fs::exists(test::InFolder("out/GameEngine.log")));
  EXPECT_FALSE(fs::is_empty(test::InFolder("out/screenshot")));
  EXPECT_TRUE(fs::exists(test::InFolder("out/s.json")));
  EXPECT_TRUE(fs::exists(test::InFolder("out/game.ini")));
  // A failed expectation is still a failure in place.
  test::WriteFile("r.replay",
                  "@40 state s.json\n@40 quit\n# expect s.json /mode == \"ModePlay\"\n");
  r = kit_test::RunKit("replay check r.replay --data out --in-place");
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  // Without --data, in place only.
  r = kit_test::RunKit("replay check r.replay");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("needs FILE and --data DIR"), std::string::npos) << r.err;
}

TEST(InstalledPrograms, ReplayOutputsOutsideTheOutputFolderAreRefusedByLine) {
  kit_test::KitFolder dir;
  test::WriteFile("r.replay", "@1 ldown\n@5 shot ../escaped.bmp\n@6 quit\n");
  const kit_test::KitResult r = kit_test::RunKit("replay check r.replay --data nowhere");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("r.replay:2: shot path ../escaped.bmp climbs out"), std::string::npos)
      << r.err;
  const std::string args = "--headless --replay '" + test::InFolder("r.replay").string() + "' 2>&1";
  auto [out, status] = Output(kit_test::GamePath(), args.c_str());
  EXPECT_EQ(status, 2);
  EXPECT_NE(out.find("line 2: shot path ../escaped.bmp climbs out"), std::string::npos) << out;
}

}  // namespace
}  // namespace isora
