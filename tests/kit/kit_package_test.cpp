// isora-kit pack / unpack / ls / cat / ini get, run as a content maker runs them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/gbk.h"
#include "support/raw_package.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

namespace fs = std::filesystem;
using test::Exists;
using test::InFolder;
using test::ReadFile;
using test::TempDirTest;
using test::WriteFile;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

// The kit sits beside the tests in the build tree: <build>/tools/isora-kit.
std::string KitPath() {
  return (fs::canonical("/proc/self/exe").parent_path().parent_path() / "tools" / "isora-kit")
      .string();
}

Result Kit(const std::string& args) {
  Result r;
  // The kit runs in the test's folder; the test process itself never changes directory.
  std::string command = "cd '" + GameFolder() + "' && '";
  command.append(KitPath()).append("' ").append(args).append(" 2>kit.err");
  FILE* p = popen(command.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int status = pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.err = ReadFile("kit.err");
  return r;
}

class KitPackage : public TempDirTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(KitPath())) << "isora-kit is not built: " << KitPath();
  }
};

TEST_F(KitPackage, PackedFolderReadsBackByteExact) {
  std::string big;
  for (int i = 0; i < 70000; ++i) big += static_cast<char>(i * 7 % 13 + 'a');
  WriteFile("src/game.ini", "[Main]\r\nname=Hero;x\r\n[B]\r\nk=v\r\n");
  WriteFile("src/data/big.bin", big);
  WriteFile("src/data/empty.bin", "");
  WriteFile("src/脚本/开始.gsp", "Say(1)\r\n");
  for (const char* mode : {"", " --store"}) {
    ASSERT_EQ(Kit(std::string("pack src p.vdk") + mode).status, 0);
    Result cat = Kit("cat p.vdk 'data\\big.bin'");
    EXPECT_EQ(cat.status, 0);
    EXPECT_EQ(cat.out, big);
    EXPECT_EQ(Kit("cat p.vdk '脚本\\开始.gsp'").out, "Say(1)\r\n");
    fs::remove_all(InFolder("out"));
    ASSERT_EQ(Kit("unpack p.vdk out").status, 0);
    for (const char* f : {"game.ini", "data/big.bin", "data/empty.bin", "脚本/开始.gsp"})
      EXPECT_EQ(ReadFile(std::string("out/") + f), ReadFile(std::string("src/") + f)) << f;
  }
}

TEST_F(KitPackage, LsListsEveryEntry) {
  WriteFile("src/a/b.txt", std::string(1000, 'b'));
  ASSERT_EQ(Kit("pack src p.vdk").status, 0);
  Result ls = Kit("ls p.vdk");
  EXPECT_EQ(ls.status, 0);
  EXPECT_NE(ls.out.find("dir "), std::string::npos);
  EXPECT_NE(ls.out.find("1000 z  a\\b.txt"), std::string::npos) << ls.out;
  Result json = Kit("ls p.vdk --json");
  EXPECT_NE(json.out.find("\"path\": \"a\\\\b.txt\""), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"compressed\": true"), std::string::npos);
  EXPECT_NE(json.out.find("\"unpacked\": 1000"), std::string::npos);
}

TEST_F(KitPackage, IniGetPrintsTheValueAsTheGameReadsIt) {
  WriteFile("src/game.ini", "[Main]\r\nname=Hero;x\r\n[B]\r\nk=v\r\n");
  ASSERT_EQ(Kit("pack src p.vdk").status, 0);
  EXPECT_EQ(Kit("ini get 'p.vdk::game.ini' Main name").out, "Hero\n");
  EXPECT_EQ(Kit("ini get src/game.ini Main k").out, "v\n");  // the scan runs past [B]
  Result missing = Kit("ini get src/game.ini B name");
  EXPECT_EQ(missing.status, 0);
  EXPECT_EQ(missing.out, "\n");
  EXPECT_NE(Kit("ini get nofile.ini Main name").status, 0);
  EXPECT_NE(Kit("ini get 'p.vdk::none.ini' Main name").status, 0);
}

TEST_F(KitPackage, UnpackRefusesPathsLeavingTheFolder) {
  std::vector<std::vector<uint8_t>> evil = {
      test::RawPackage(1, {{"..", 2, 2, 0}}, {1, 2}),
      test::RawPackage(1, {{".", 2, 2, 0}}, {1, 2}),
      test::RawPackage(1, {{"../x", 2, 2, 0}}, {1, 2}),
      test::RawPackage(2, {{"ok", 2, 2, 0}, {"a", 1, 0, 0, 1}, {"..", 1, 0, 0, 1}, {"x", 2, 2, 0}},
                       {1, 2}),
  };
  for (size_t i = 0; i < evil.size(); ++i) {
    WriteFile("evil.vdk", evil[i]);
    Result r = Kit("unpack evil.vdk out/in");
    EXPECT_NE(r.status, 0) << i;
    EXPECT_NE(r.err.find("would leave"), std::string::npos) << r.err;
    EXPECT_FALSE(Exists("out")) << i;
    EXPECT_FALSE(Exists("x")) << i;
  }
}

TEST_F(KitPackage, ErrorsGoToStderrWithNonZeroStatus) {
  for (const char* word : {"pack", "unpack", "ls", "cat", "ini"}) {
    Result help = Kit(std::string(word) + " --help");
    EXPECT_EQ(help.status, 0) << word;
    EXPECT_NE(help.out.find("usage: isora-kit"), std::string::npos) << word;
    Result bad = Kit(word);
    EXPECT_NE(bad.status, 0) << word;
    EXPECT_TRUE(bad.out.empty()) << word;
    EXPECT_NE(bad.err.find("isora-kit:"), std::string::npos) << word;
  }
  WriteFile("junk.vdk", "not a package");
  Result junk = Kit("ls junk.vdk");
  EXPECT_NE(junk.status, 0);
  EXPECT_NE(junk.err.find("不是合法的Vastel游戏数据包文件"), std::string::npos) << junk.err;
  EXPECT_NE(Kit("cat junk.vdk x").status, 0);
  EXPECT_NE(Kit("pack missing out.vdk").status, 0);
  EXPECT_FALSE(Exists("GameEngine.log"));
}

}  // namespace
}  // namespace isora
