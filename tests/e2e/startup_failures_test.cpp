// Start-up failures end with their message box and the window destroyed.
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <fstream>

#include "demo_session.h"
#include "shell/game_rules.h"
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

std::vector<std::string> InitBoxes(bool* ok, std::string* failure = nullptr) {
  HeadlessPlatform platform;
  SystemHooks* previous = Hooks::Set(&platform);
  std::vector<std::string> boxes;
  {
    CGame game(platform, GameOptions{PixelFormat::Rgb565, true, false});
    *ok = game.Init();
    for (const auto& b : platform.MessageBoxes()) boxes.push_back(b.caption + ": " + b.text);
    if (failure) *failure = game.Failure().Line();
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
  std::string failure;
  std::vector<std::string> boxes = InitBoxes(&ok, &failure);
  EXPECT_FALSE(ok);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Error: Load item database failed!");
  // The log names the file that failed.
  EXPECT_EQ(failure, "Load item database failed! (data\\items.itm)");
  EXPECT_NE(test::ReadFile("GameEngine.log").find(")----->" + failure + "\r\n"), std::string::npos);
}

// Runs the program (after `prefix`, e.g. an env command) with its output in the game folder.
std::string RunProgram(const std::string& args, int* status, const std::string& prefix = "") {
  const std::string out = test::InFolder("program.out").string();
  const std::string command =
      prefix + "'" ISORA_PROGRAM "' " + args + " >'" + out + "' 2>&1 </dev/null";
  int raw = std::system(command.c_str());
  *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return test::ReadFile("program.out");
}

TEST(StartupFailures, TheProgramEndsWithAFailureStatusAndNamesTheFile) {
  test::TempDir dir;
  std::filesystem::create_directory(test::InFolder("game"));
  int status = 0;
  std::string out = RunProgram(
      "--headless --max-frames 5 --data '" + test::InFolder("game").string() + "'", &status);
  EXPECT_NE(status, 0) << out;
  EXPECT_NE(out.find("Load item database failed!"), std::string::npos) << out;
  EXPECT_NE(out.find("data\\items.itm"), std::string::npos) << out;
}

TEST(StartupFailures, WithoutAWindowSystemTheProgramStopsAndSaysHowToRunHeadless) {
  test::TempDir dir;
  int status = 0;
  std::string out = RunProgram("--no-sound --data '" + DemoFolder() + "'", &status,
                               "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 30 ");
  EXPECT_NE(status, 0) << out;
  EXPECT_NE(status, 124) << "still running unseen: " << out;
  EXPECT_NE(out.find("--headless"), std::string::npos) << out;
}

// An unpacked game, its program started through PATH from / with no other game to be found
// (so neither its name as started nor the working folder says where it is), plays its demo.
TEST(StartupFailures, AnUnpackedGameFindsTheDemoBesideTheProgramFromAnyFolder) {
  test::TempDir dir;
  const std::filesystem::path game = test::InFolder("unpacked"), none = test::InFolder("none");
  std::filesystem::create_directories(game);
  std::filesystem::copy_file(ISORA_PROGRAM, game / "isora");
  std::filesystem::copy(DemoFolder(), game / "demo", std::filesystem::copy_options::recursive);
  const std::string command = "cd / && env -u ISORA_DATA PATH=" + game.string() +
                              ":/bin XDG_DATA_HOME=" + none.string() +
                              " XDG_DATA_DIRS=" + none.string() +
                              " isora --headless --max-frames 5 >" + none.string() + ".out 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << test::ReadFile("none.out");
}

TEST(ProgramStop, SigtermEndsAHeadlessGameThroughItsOwnExit) {
  test::TempDir dir;
  test::WriteFile("long.replay", "@1000000 quit\n");
  const std::string out = test::InFolder("program.out").string();
  // The game would run on for a long time; `timeout` passes the TERM on and guards the test.
  const std::string command = "timeout -s KILL 30 '" ISORA_PROGRAM "' --headless --data '" +
                              DemoFolder() + "' --replay '" +
                              test::InFolder("long.replay").string() + "' >'" + out +
                              "' 2>&1 </dev/null & pid=$!; sleep 1; kill -TERM $pid; wait $pid";
  const int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 128 + SIGTERM);
  EXPECT_NE(test::ReadFile("program.out").find("isora: stopped by signal 15"), std::string::npos)
      << test::ReadFile("program.out");
}

TEST(StartupFailures, AFailedShellScriptQuitsWithAFailureStatus) {
  DemoSession d;
  ASSERT_TRUE(d.ok);
  ASSERT_TRUE(d.ToMainMenu());
  EXPECT_FALSE(d.game->RunScriptFile("no_such.gsp", false));
  int exitCode = 0;
  bool quit = false;
  for (int i = 0; i < 1000 && !quit; ++i) {
    CGame::PumpResult r = d.game->Pump(&exitCode);
    if (r == CGame::PumpResult::kQuit) quit = true;
    if (r == CGame::PumpResult::kIdle) d.platform.AdvanceTime(41);
  }
  ASSERT_TRUE(quit);
  EXPECT_EQ(exitCode, 1);
  ASSERT_FALSE(d.platform.MessageBoxes().empty());
  // The box keeps the game's text; the log line adds the script that failed.
  const std::string text = d.platform.MessageBoxes().back().text;
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(d.game->Failure().Line().rfind(text, 0), 0u);
  EXPECT_NE(d.game->Failure().Line().find("no_such.gsp"), std::string::npos);
  EXPECT_NE(test::ReadFile(LogPathFor(GameFolder())).find("no_such.gsp"), std::string::npos);
}

TEST(StartupLog, CreatingTheGameEmptiesTheLogAndWritesItsHeaderOnce) {
  test::TempDir dir;
  test::WriteFile("GameEngine.log", "(2003/7/9  28:30:5:7)----->left from the last run\r\n");
  HeadlessPlatform platform;
  SystemHooks* previous = Hooks::Set(&platform);
  {
    CGame game(platform, GameOptions{PixelFormat::Rgb565, true, false});
    game.Log().WriteText("first entry");
  }
  Hooks::Set(previous);
  std::ifstream in(test::InFolder("GameEngine.log"), std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text.rfind("\t\t..::Game Log::..\r\n(", 0), 0u) << text;
  EXPECT_EQ(text.find("last run"), std::string::npos);
  EXPECT_EQ(text.find("..::Game Log::..", 3), std::string::npos);
  EXPECT_NE(text.find(")----->first entry\r\n"), std::string::npos);
}

}  // namespace
}  // namespace isora::e2e
