#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <string>

#include "foundation/crash_report.h"
#include "foundation/file_io.h"
#include "foundation/game_log.h"
#include "foundation/gbk.h"
#include "support/fixed_clock.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

using test::Exists;
using test::InstalledClock;
using test::ReadFile;
using test::TempDirTest;

class GameLogTest : public TempDirTest {
 protected:
  InstalledClock clock_;
  void SetTime() {
    // 2003-07-09 20:30:05.007 UTC
    clock_.Set(1057782605, 7);
  }
};

TEST_F(GameLogTest, EntryFormatUsesTheLocalTimeAndCrLf) {
  SetTime();
  GameLog log("GameEngine.log", false);
  log.Write("abc");
  EXPECT_EQ(ReadFile("GameEngine.log"), "(2003/7/9  20:30:5:7)----->abc\r\n");
}

TEST_F(GameLogTest, TruncationWritesTheHeaderAndWritersShareTheFile) {
  SetTime();
  GameLog first("GameEngine.log", true);
  first.Write("one %d", 1);
  GameLog second("GameEngine.log", true);  // empties the file again
  GameLog reader("GameEngine.log", false);
  second.Write("two");
  reader.Write("line\nbreak");
  EXPECT_EQ(ReadFile("GameEngine.log"),
            "\t\t..::Game Log::..\r\n"
            "(2003/7/9  20:30:5:7)----->two\r\n"
            "(2003/7/9  20:30:5:7)----->line\r\nbreak\r\n");
}

TEST_F(GameLogTest, MissingFileIsCreatedWithoutHeader) {
  SetTime();
  GameLog log("new.log");
  EXPECT_FALSE(Exists("new.log"));
  log.Write("%s=%d", "x", -3);
  EXPECT_EQ(ReadFile("new.log"), "(2003/7/9  20:30:5:7)----->x=-3\r\n");
}

TEST_F(GameLogTest, LongMessagesAreCutAt1023Characters) {
  SetTime();
  GameLog log("GameEngine.log");
  log.WriteText(std::string(1500, 'x'));
  std::string text = ReadFile("GameEngine.log");
  std::string prefix = "(2003/7/9  20:30:5:7)----->";
  EXPECT_EQ(text, prefix + std::string(1023, 'x') + "\r\n");
}

TEST_F(GameLogTest, UnwritableLogIsSilent) {
  GameLog log("no/such/dir/GameEngine.log", true);
  log.Write("dropped");
  EXPECT_FALSE(Exists("no"));
}

TEST_F(GameLogTest, RedirectTakesEntriesInsteadOfTheFile) {
  std::vector<std::string> seen;
  GameLog::Redirect([&](const std::string& m) { seen.push_back(m); });
  GameLog log("GameEngine.log", true);
  log.Write("a%d", 1);
  GameLog::Redirect(nullptr);
  EXPECT_EQ(seen, std::vector<std::string>{"a1"});
  EXPECT_FALSE(Exists("GameEngine.log"));
}

std::string ExpectedReport(uint32_t code, const char* address, const char* flags) {
  char codeText[9];
  std::snprintf(codeText, sizeof codeText, "%08X", code);
  return Gbk(u8"异常发生代码 : 0x") + codeText + "\r\r\n" + Gbk(u8"异常发生地址 : 0x") + address +
         "\r\r\n" + Gbk(u8"异常发生标志 : 0x") + flags + "\r\r\n";
}

TEST(CrashReport, TextHasThreeLinesOfEightUpperCaseDigits) {
  EXPECT_EQ(CrashReportText(0xC0000005, 0x4012ab, 0),
            ExpectedReport(0xC0000005, "004012AB", "00000000"));
}

// Runs `crash` in a child process with the handler installed; returns the signal that ended it.
int CrashChild(void (*crash)()) {
  pid_t pid = fork();
  if (pid == 0) {
    SetCrashReportFolder(GameFolder());  // as the program does once it knows its game folder
    InstallCrashHandler();
    crash();
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

class CrashReportDisk : public TempDirTest {};

TEST_F(CrashReportDisk, FatalSignalWritesTheReportThenRunsTheDefaultAction) {
  EXPECT_EQ(CrashChild([] { std::raise(SIGFPE); }), SIGFPE);
  std::string report = ReadFile("exceptionLog.log");
  ASSERT_EQ(report.size(), ExpectedReport(0, "00000000", "00000000").size());
  EXPECT_EQ(report.substr(0, report.find("\r\r\n")), Gbk(u8"异常发生代码 : 0x") + "C0000090");
  EXPECT_EQ(report.substr(report.size() - 13), "0x00000000\r\r\n");

  EXPECT_EQ(CrashChild([] { std::abort(); }), SIGABRT);
  report = ReadFile("exceptionLog.log");
  EXPECT_EQ(report.substr(0, report.find("\r\r\n")), Gbk(u8"异常发生代码 : 0x") + "40000015");
  EXPECT_EQ(report.substr(report.size() - 13), "0x00000001\r\r\n");
}

TEST_F(CrashReportDisk, AccessViolationReportsTheFaultingCode) {
  // A page with no access rights: a real fault that no sanitizer reports first.
  EXPECT_EQ(CrashChild([] {
              void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
              *static_cast<volatile int*>(page) = 1;
            }),
            SIGSEGV);
  std::string report = ReadFile("exceptionLog.log");
  EXPECT_EQ(report.substr(0, report.find("\r\r\n")), Gbk(u8"异常发生代码 : 0x") + "C0000005");
  size_t lines = 0;
  for (size_t p = 0; (p = report.find("\r\r\n", p)) != std::string::npos; p += 3) ++lines;
  EXPECT_EQ(lines, 3u);
}

TEST(Clock, LocalTimeFollowsTheMachinesZoneAcrossMidnight) {
  // A zone three hours east of UTC: the local date and hour are those of UTC + 3, day included.
  std::string previous = std::getenv("TZ") ? std::getenv("TZ") : "";
  setenv("TZ", "UTC-3", 1);
  tzset();
  SystemTime local;
  int64_t before = 0, after = 1;
  for (int tries = 0; tries < 5 && before != after; ++tries) {
    before = Clock::CalendarTime();
    local = Clock::LocalNow();
    after = Clock::CalendarTime();
  }
  SystemTime expected = Clock::FromCalendar(before + 3 * 3600);
  EXPECT_EQ(local.year, expected.year);
  EXPECT_EQ(local.month, expected.month);
  EXPECT_EQ(local.day, expected.day);
  EXPECT_EQ(local.hour, expected.hour);
  EXPECT_EQ(local.minute, expected.minute);
  EXPECT_LT(local.hour, 24);
  if (previous.empty()) {
    unsetenv("TZ");
  } else {
    setenv("TZ", previous.c_str(), 1);
  }
  tzset();
}

}  // namespace
}  // namespace isora
