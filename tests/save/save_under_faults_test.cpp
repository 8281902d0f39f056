// Saves under faults: the process killed at random moments while it saves, a folder it may not
// write, a disk that is full. The slot always holds the old save or the new one, whole.
//
// ISORA_SAVE_KILLS sets the number of kills (CI: 200; scripts/campaign-save-kills: thousands).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>

#include "save/save_file.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

using namespace test;

// A save of some size (about 0.5 MB of notes), told apart by its kill count.
SaveData Save(int32_t mark) {
  SaveData d;
  d.timeStamp = "2026/12/7-23:0:" + std::to_string(mark % 60);
  d.player.x = 1500;
  d.player.y = 700;
  d.bag = {{1, 3}, {0, 1}};
  d.innerBags = {std::nullopt, std::nullopt};
  for (int i = 0; i < 2000; ++i)
    d.notes.push_back("note " + std::to_string(mark) + ":" + std::to_string(i));
  d.killCount = mark;
  return d;
}

// Runs `child` in a forked process; its exit status.
template <typename F>
int InChild(F child) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(child());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class SaveUnderFaults : public TempDirTest {
 protected:
  std::string Slot() const { return (tempDir_.Path() / "saves" / "1.sav").string(); }
};

TEST_F(SaveUnderFaults, KilledWhileSavingTheSlotHoldsTheOldOrTheNewSaveWhole) {
  const char* env = std::getenv("ISORA_SAVE_KILLS");
  const int kills = env && *env ? std::atoi(env) : 200;
  ASSERT_TRUE(WriteSaveFile(Slot(), Save(0)));
  std::mt19937 rng(2026);
  int torn = 0, tmpLeft = 0;
  int32_t last = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int k = 1; k <= kills; ++k) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      // Save over and over, each save a new mark, until killed.
      for (int32_t mark = last + 1;; ++mark) WriteSaveFile(Slot(), Save(mark));
    }
    ::usleep(static_cast<useconds_t>(rng() % 30000));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    SaveData back;
    if (!ReadSaveFile(Slot(), back)) {
      ++torn;
      continue;
    }
    // The old save or a newer one, each whole.
    EXPECT_GE(back.killCount, last);
    EXPECT_EQ(back, Save(back.killCount));
    last = back.killCount;
    tmpLeft += std::filesystem::exists(Slot() + ".tmp");
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(torn, 0);
  std::cout << "[save kills] " << kills << " kills in " << seconds << " s, " << last
            << " saves completed, " << tmpLeft << " times a temporary file was left, " << torn
            << " torn slots\n";
  // A temporary file left by a kill is replaced by the next save.
  ASSERT_TRUE(WriteSaveFile(Slot(), Save(last + 1)));
  EXPECT_FALSE(std::filesystem::exists(Slot() + ".tmp"));
}

TEST_F(SaveUnderFaults, AFullDiskFailsTheSaveAndKeepsTheOldOne) {
  ASSERT_TRUE(WriteSaveFile(Slot(), Save(1)));
  // The child may write no file larger than 4 KB: a disk that fills up during the save.
  const int status = InChild([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    return WriteSaveFile(Slot(), Save(2)) ? 1 : 0;
  });
  EXPECT_EQ(status, 0) << "the save must report its failure";
  SaveData back;
  ASSERT_TRUE(ReadSaveFile(Slot(), back));
  EXPECT_EQ(back, Save(1));
  EXPECT_FALSE(std::filesystem::exists(Slot() + ".tmp"));
}

TEST_F(SaveUnderFaults, AReadOnlyFolderFailsTheSaveAndKeepsTheOldOne) {
  ASSERT_TRUE(WriteSaveFile(Slot(), Save(1)));
  const std::filesystem::path folder = tempDir_.Path() / "saves";
  // The test folder is the owner's alone; the child must reach the saves folder to be refused
  // by it.
  std::filesystem::permissions(
      tempDir_.Path(), std::filesystem::perms::group_exec | std::filesystem::perms::others_exec,
      std::filesystem::perm_options::add);
  std::filesystem::permissions(
      folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                  std::filesystem::perms::group_read | std::filesystem::perms::others_read |
                  std::filesystem::perms::group_exec | std::filesystem::perms::others_exec);
  // The superuser writes anywhere: the child gives that up first.
  const int status = InChild([&] {
    if (::geteuid() == 0 && ::setuid(65534) != 0) return 2;
    return WriteSaveFile(Slot(), Save(2)) ? 1 : 0;
  });
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
  EXPECT_EQ(status, 0) << "the save must report its failure";
  SaveData back;
  ASSERT_TRUE(ReadSaveFile(Slot(), back));
  EXPECT_EQ(back, Save(1));
}

}  // namespace
}  // namespace isora
