// Game folders, saves and replays may come from strangers: path text from them stays inside
// its folder, and nothing the game writes goes through a link or into a FIFO.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "foundation/crash_report.h"
#include "foundation/file_io.h"
#include "foundation/game_log.h"
#include "foundation/paths.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDirTest;
using test::WriteFile;

TEST(PathText, EveryWayOutOfAFolderIsRefusedOnEveryPlatform) {
  const std::pair<PathEscape, std::vector<const char*>> cases[] = {
      {PathEscape::kNone, {"saves/1.sav", ".\\map\\town.map", "a//b.json"}},
      {PathEscape::kEmpty, {"", "dumps/"}},
      {PathEscape::kAbsolute, {"/any/path", "\\Windows\\x"}},
      {PathEscape::kDrive, {"C:\\x.bmp", "C:x.bmp", "a.json:stream"}},
      {PathEscape::kNetwork, {"\\\\host\\share\\x.epk", "//?/C:/x", "out/CON.json", "lpt1"}},
      {PathEscape::kParent, {"..\\..\\victim\\e.map", "a/../../b", "a/.. /b", "..."}},
      {PathEscape::kControl, {"a\nb"}}};
  for (const auto& [expected, paths] : cases)
    for (const char* path : paths) EXPECT_EQ(CheckInsidePath(path), expected) << path;
  EXPECT_EQ(CheckInsidePath(std::string_view("a\0b", 3)), PathEscape::kControl);
  for (const char* plain : {"town.map", "ESC.pmg", "a b.wav"}) EXPECT_TRUE(IsPlainName(plain));
  for (const char* bad : {".", "..", "../../ESC.map", "sub/x.wav", "x\\y.wav", "C:x", ""})
    EXPECT_FALSE(IsPlainName(bad)) << bad;
  EXPECT_NE(PlainNameProblem("../x.wav").find("climbs out"), std::string::npos);
}

TEST(PathText, FilesAMapNamesMayClimbOnlyWithinTheirProject) {
  EXPECT_EQ(JoinInside("/p", "/p/maps", "../tilesets/a.tsx"), "/p/tilesets/a.tsx");
  EXPECT_EQ(JoinInside("/p", "/p/maps", "..\\maps\\.\\b.tsx"), "/p/maps/b.tsx");
  for (const char* out : {"../../etc/passwd", "/etc/passwd", "C:/x.tsx", "\\\\host\\s\\a.tsx"})
    EXPECT_FALSE(JoinInside("/p", "/p/maps", out)) << out;
  EXPECT_FALSE(JoinInside("p", "p/maps", "../../x"));
  EXPECT_TRUE(PathInside("/p/a/../b", "/p/"));
  EXPECT_FALSE(PathInside("/pq/a", "/p"));
}

class UntrustedGameFolder : public TempDirTest {
 protected:
  // A file of the player's outside the game folder, which nothing may change.
  fs::path Victim() {
    const fs::path victim = fs::path(tempDir_.Path()).parent_path() /
                            (tempDir_.Path().filename().string() + std::to_string(victims_.size()));
    std::ofstream(victim) << "keep";
    victims_.push_back(victim);
    return victim;
  }
  ~UntrustedGameFolder() override {
    for (const auto& v : victims_) fs::remove_all(v);
  }
  void ExpectVictimsKept() {
    for (const fs::path& v : victims_)
      EXPECT_TRUE(!fs::is_regular_file(v) || ReadFile(v.string()) == "keep") << v;
  }
  std::vector<fs::path> victims_;
};

TEST_F(UntrustedGameFolder, GamePathsThatLeaveTheFolderOpenNothing) {
  const fs::path victim = Victim();
  // A save naming ..\..\victim\e.map, game.ini naming a share: no path comes back.
  for (const std::string& path :
       {"map\\..\\..\\" + victim.filename().string(), std::string("\\\\host\\share\\x.epk"),
        victim.string(), std::string("C:\\x.epk")}) {
    EXPECT_EQ(NativePath(path), "") << path;
    EXPECT_FALSE(ReadFileBytes(NativePath(path))) << path;
  }
  // The game's own absolute paths inside its folder still resolve.
  WriteFile("GameEngine.log", "x");
  EXPECT_EQ(NativePath(GameFolder() + "/GameEngine.log"), GameFolder() + "/GameEngine.log");
}

TEST_F(UntrustedGameFolder, LinksAndFifosInPlaceOfTheLogAndCrashReportAreNotWrittenThrough) {
  for (const char* name : {"GameEngine.log", "exceptionLog.log"}) {
    const fs::path victim = Victim();
    fs::create_symlink(victim, tempDir_.Path() / name);
  }
  GameLog(GameFolder() + "/GameEngine.log", true).Write("entry");
  pid_t pid = fork();
  if (pid == 0) {
    SetCrashReportFolder(GameFolder());
    InstallCrashHandler();
    std::raise(SIGFPE);
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  // A hard link and a FIFO are refused too, the FIFO without waiting for a reader.
  fs::remove(tempDir_.Path() / "GameEngine.log");
  fs::create_hard_link(Victim(), tempDir_.Path() / "GameEngine.log");
  GameLog("GameEngine.log", false).Write("entry");
  ASSERT_EQ(mkfifo((tempDir_.Path() / "data.itm").c_str(), 0644), 0);
  EXPECT_FALSE(ReadFileBytes(NativePath("data.itm")));
  EXPECT_FALSE(AppendToFile(NativePath("data.itm"), "x", false));
  ExpectVictimsKept();
}

TEST_F(UntrustedGameFolder, ASavesFolderThatIsALinkDoesNotCarryWritesOut) {
  const fs::path elsewhere = Victim().string() + "-dir";
  fs::create_directory(elsewhere);
  victims_.push_back(elsewhere);
  fs::create_directory_symlink(elsewhere, tempDir_.Path() / "saves");
  fs::create_directory(tempDir_.Path() / "screenshot");
  fs::create_symlink(Victim(), tempDir_.Path() / "screenshot" / "1.jpg");
  ASSERT_EQ(mkfifo((tempDir_.Path() / "screenshot" / "2.jpg").c_str(), 0644), 0);
  const std::vector<uint8_t> bytes = {1, 2, 3};
  std::string why;
  for (const char* path : {"saves/1.sav", "screenshot/1.jpg", "screenshot/2.jpg", "../x.sav"}) {
    EXPECT_FALSE(WriteFileInside(GameFolder(), path, bytes, true, &why)) << path;
    EXPECT_FALSE(why.empty()) << path;
  }
  EXPECT_TRUE(fs::is_empty(elsewhere));
  // A stale temporary file that is a link is replaced, not followed.
  fs::create_symlink(Victim(), tempDir_.Path() / "screenshot" / "3.jpg.tmp");
  EXPECT_TRUE(WriteFileInside(GameFolder(), "screenshot/3.jpg", bytes, true, &why)) << why;
  EXPECT_TRUE(WriteFileInside(GameFolder(), "new/4.sav", bytes, true, &why)) << why;
  EXPECT_EQ(ReadFile("new/4.sav"), "\1\2\3");
  ExpectVictimsKept();
}

}  // namespace
}  // namespace isora
