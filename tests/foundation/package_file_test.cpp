#include "foundation/package_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/byte_io.h"
#include "foundation/gbk.h"
#include "foundation/ini_file.h"
#include "support/raw_package.h"
#include "support/recording_hooks.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

using test::RawEntry;
using test::RawPackage;
using test::ReadFile;
using test::RecordingHooks;
using test::TempDirTest;
using test::WriteFile;

// MSB-first bit packing for hand-written compressed streams.
class Bits {
 public:
  void Put(uint32_t value, int n) {
    for (int i = n - 1; i >= 0; --i) {
      if (used_ % 8 == 0) bytes_.push_back(0);
      if ((value >> i) & 1) bytes_.back() |= static_cast<uint8_t>(0x80 >> (used_ % 8));
      ++used_;
    }
  }
  void Literal(uint8_t b) {
    Put(0, 1);
    Put(b, 8);
  }
  std::vector<uint8_t> bytes_;

 private:
  size_t used_ = 0;
};

std::vector<uint8_t> Chunk(const std::vector<uint8_t>& stream) {
  ByteWriter w;
  w.U16(static_cast<uint16_t>(stream.size()));
  w.Bytes(stream);
  return w.Take();
}

TEST(DecodeChunk, LengthTwoCopyAfterOneLiteralUsesNoPositionBits) {
  Bits b;
  b.Literal('a');
  b.Put(0b10, 2);  // copy, k = 0: length 2; w = 0, so no position bits
  ASSERT_EQ(b.bytes_.size(), 2u);
  uint8_t out[3];
  ASSERT_TRUE(DecodeChunk(b.bytes_.data(), b.bytes_.size(), out, 3));
  EXPECT_EQ(std::string(out, out + 3), "aaa");
}

TEST(DecodeChunk, GammaLengthsAndAbsolutePositions) {
  Bits b;
  for (char c : std::string("abcde")) b.Literal(static_cast<uint8_t>(c));
  // Copy of length 2^2 + 3 + 1 = 8 from position 1, with w = 3 after five bytes.
  b.Put(1, 1);
  b.Put(0b110, 3);
  b.Put(3, 2);
  b.Put(1, 3);
  // Copy of length 3 (k = 1, v = 0) from position 12; 13 bytes so far gives w = 4.
  b.Put(1, 1);
  b.Put(0b10, 2);
  b.Put(0, 1);
  b.Put(12, 4);
  std::vector<uint8_t> out(16);
  ASSERT_TRUE(DecodeChunk(b.bytes_.data(), b.bytes_.size(), out.data(), out.size()));
  EXPECT_EQ(std::string(out.begin(), out.end()), "abcdebcdebcdeeee");
}

TEST(DecodeChunk, RefusesDamagedStreams) {
  uint8_t out[64];
  {
    Bits b;  // copy before anything was produced
    b.Put(0b10, 2);
    EXPECT_FALSE(DecodeChunk(b.bytes_.data(), b.bytes_.size(), out, 2));
  }
  {
    Bits b;  // position beyond the bytes produced: 2 bytes, w = 1, position 1 is fine, 3 is not
    b.Literal('x');
    b.Literal('y');
    b.Put(1, 1);
    b.Put(0b10, 2);
    b.Put(0, 1);
    b.Put(1, 1);
    EXPECT_TRUE(DecodeChunk(b.bytes_.data(), b.bytes_.size(), out, 5));
    Bits c;
    c.Literal('x');
    c.Literal('y');
    c.Literal('z');
    c.Put(0b10, 2);
    c.Put(3, 2);  // w = 2 after three bytes; position 3 is not produced yet
    EXPECT_FALSE(DecodeChunk(c.bytes_.data(), c.bytes_.size(), out, 5));
  }
  {
    Bits b;  // copy running past the chunk's output size
    b.Literal('x');
    b.Put(0b110, 3);
    b.Put(1, 1);
    EXPECT_FALSE(DecodeChunk(b.bytes_.data(), b.bytes_.size(), out, 4));
  }
  {
    Bits b;  // input runs out before the output is complete
    b.Literal('x');
    EXPECT_FALSE(DecodeChunk(b.bytes_.data(), b.bytes_.size(), out, 3));
  }
  {
    std::vector<uint8_t> ones(16, 0xFF);  // a length prefix longer than any chunk
    ones[0] = 0x00;
    ones[1] = 0x7F;
    EXPECT_FALSE(DecodeChunk(ones.data(), ones.size(), out, 64));
  }
  EXPECT_FALSE(DecodeChunk(nullptr, 0, out, 65537));
  EXPECT_TRUE(DecodeChunk(nullptr, 0, out, 0));
}

class PackageFileTest : public TempDirTest {
 protected:
  PackageFileTest() { PackageFile::ForgetReportedFailures(); }
  RecordingHooks hooks_;
};

TEST_F(PackageFileTest, TreeLookupsAreBreadthFirstAndCaseSensitive) {
  std::vector<uint8_t> data = {'h', 'i', '!', 'x', 'y'};
  // Root: dir a, file tiles.ini. Then a's entries: dir b, file c.ini. Then b's: file d.
  auto pkg = RawPackage(2,
                        {{"a", 2, 0, 0, 1},
                         {"tiles.ini", 3, 3, 0, 0},
                         {"b", 1, 0, 0, 1},
                         {"c.ini", 2, 2, 3, 0},
                         {"d", 1, 1, 0, 0}},
                        data);
  WriteFile("p.vdk", pkg);

  PackageFile file;
  ASSERT_TRUE(file.Open("p.vdk"));
  EXPECT_EQ(file.GetSize(), -1);
  ASSERT_TRUE(file.Find("a\\c.ini"));
  EXPECT_EQ(file.Current()->FullPath(), "root\\a\\c.ini");
  auto text = [](const std::optional<std::vector<uint8_t>>& bytes) {
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("(failed)");
  };
  EXPECT_EQ(text(file.ReadMember("a\\c.ini")), "xy");
  EXPECT_EQ(text(file.ReadMember("tiles.ini")), "hi!");
  EXPECT_EQ(text(file.ReadMember("a\\b\\d")), "h");

  EXPECT_FALSE(file.Find("Tiles.ini"));
  EXPECT_FALSE(file.Find("x\\c.ini"));
  EXPECT_FALSE(file.Find("a\\missing"));
  EXPECT_EQ(file.Current()->FullPath(), "root\\a\\b\\d");  // left as it was
  // A buffer larger than the member gets the bytes at its front; a short one gets nothing.
  ASSERT_TRUE(file.Find("tiles.ini"));
  std::vector<uint8_t> roomy(5, '-');
  ASSERT_TRUE(file.Read(roomy));
  EXPECT_EQ(std::string(roomy.begin(), roomy.end()), "hi!--");
  std::vector<uint8_t> small(2, '-');
  EXPECT_FALSE(file.Read(small));
  EXPECT_EQ(std::string(small.begin(), small.end()), "--");
  EXPECT_NE(ReadFile("GameEngine.log").find("cvdk:buffer for root\\tiles.ini is smaller"),
            std::string::npos);
  // A directory is not a member to read, even an empty one.
  EXPECT_FALSE(file.ReadMember("a\\b"));
  EXPECT_FALSE(file.ReadMember("a"));
  EXPECT_TRUE(hooks_.messageBoxes.empty());
  file.Close();
  EXPECT_FALSE(file.Find("tiles.ini"));
  EXPECT_EQ(file.GetSize(), -1);
}

TEST_F(PackageFileTest, ReadsKeepTheFileOpenUntilLetGo) {
  std::vector<uint8_t> data = {'h', 'i', '!', 'x', 'y'};
  WriteFile("k.vdk", RawPackage(2, {{"one", 3, 3, 0, 0}, {"two", 2, 2, 3, 0}}, data));
  PackageFile file;
  ASSERT_TRUE(file.Open("k.vdk"));
  ASSERT_TRUE(file.ReadMember("one"));
  // The handle of the first read serves the next ones, even with the file gone from its folder.
  std::filesystem::remove(test::InFolder("k.vdk"));
  auto two = file.ReadMember("two");
  ASSERT_TRUE(two);
  EXPECT_EQ(std::string(two->begin(), two->end()), "xy");
  EXPECT_TRUE(hooks_.messageBoxes.empty());
  // Let go, the next read opens the file again, which is no longer there.
  file.CloseHandle();
  EXPECT_FALSE(file.ReadMember("one"));
  EXPECT_EQ(hooks_.messageBoxes.size(), 1u);
}

TEST_F(PackageFileTest, EmptyRootOpens) {
  WriteFile("e.vdk", RawPackage(0, {}));
  PackageFile file;
  ASSERT_TRUE(file.Open("e.vdk"));
  EXPECT_FALSE(file.Find("anything"));
  EXPECT_FALSE(file.Find(""));
}

TEST_F(PackageFileTest, MissingFileAndWrongMagicShowMessageBoxes) {
  PackageFile file;
  EXPECT_FALSE(file.Open("none.vdk"));
  ASSERT_EQ(hooks_.messageBoxes.size(), 1u);
  EXPECT_EQ(hooks_.messageBoxes[0].text, Gbk(u8"无法打开文件none.vdk"));
  EXPECT_EQ(hooks_.messageBoxes[0].icon, MessageBoxIcon::Error);
  WriteFile("bad.vdk", "VDK2\0\0\0\0\0\0\0\0");
  EXPECT_FALSE(file.Open("bad.vdk"));
  ASSERT_EQ(hooks_.messageBoxes.size(), 2u);
  EXPECT_EQ(hooks_.messageBoxes[1].text,
            Gbk(u8"bad.vdk不是合法的Vastel游戏数据包文件，打开失败。"));
  WriteFile("short.vdk", "VDK");
  EXPECT_FALSE(file.Open("short.vdk"));
  EXPECT_EQ(hooks_.messageBoxes.size(), 3u);
}

size_t CountOf(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1)) ++n;
  return n;
}

TEST_F(PackageFileTest, AnUnreadablePackageShowsOneBoxPerSessionAndLogsEveryFailure) {
  // A missing picture pack used to show a modal box for every picture read from it: thousands
  // in a few seconds of play.
  WriteFile("bad.vdk", std::string("VDK2\0\0\0\0\0\0\0\0", 12));
  PackageFile file;
  for (int i = 0; i < 40; ++i) {
    EXPECT_FALSE(file.Open("gone.vdk"));
    EXPECT_FALSE(file.Open("bad.vdk"));
  }
  ASSERT_EQ(hooks_.messageBoxes.size(), 2u);
  EXPECT_EQ(hooks_.messageBoxes[0].text, Gbk(u8"无法打开文件gone.vdk"));
  EXPECT_EQ(hooks_.messageBoxes[1].text,
            Gbk(u8"bad.vdk不是合法的Vastel游戏数据包文件，打开失败。"));
  const std::string log = ReadFile("GameEngine.log");
  EXPECT_EQ(CountOf(log, "cvdk:cannot open gone.vdk."), 40u) << log;
  EXPECT_EQ(CountOf(log, "cvdk:not a package: bad.vdk."), 40u) << log;

  // A package that goes away between reads counts as the same package.
  WriteFile("p.vdk", RawPackage(1, {{"m", 1, 1, 0, 0}}, {'x'}));
  ASSERT_TRUE(file.Open("p.vdk"));
  std::filesystem::remove(test::InFolder("p.vdk"));
  ASSERT_TRUE(file.Find("m"));
  for (int i = 0; i < 5; ++i) {
    uint8_t byte = 0;
    EXPECT_FALSE(file.Read({&byte, 1}));
  }
  EXPECT_EQ(hooks_.messageBoxes.size(), 3u);
  EXPECT_EQ(CountOf(ReadFile("GameEngine.log"), "cvdk:cannot open p.vdk."), 5u);

  // A new session tells the player again.
  PackageFile::ForgetReportedFailures();
  EXPECT_FALSE(file.Open("gone.vdk"));
  EXPECT_EQ(hooks_.messageBoxes.size(), 4u);
}

TEST_F(PackageFileTest, DirectoryPastTheEndFailsWithALogLine) {
  auto whole = RawPackage(2, {{"a.ini", 1, 1, 0, 0}, {"b.ini", 1, 1, 0, 0}});
  for (size_t cut : {size_t{12 + 10}, size_t{12 + 25}, whole.size() - 1}) {
    WriteFile("cut.vdk", std::vector<uint8_t>(whole.begin(), whole.begin() + cut));
    PackageFile file;
    EXPECT_FALSE(file.Open("cut.vdk")) << cut;
    EXPECT_EQ(file.Root(), nullptr);
  }
  // A directory claiming four billion entries is refused before anything is allocated.
  WriteFile("huge.vdk", RawPackage(0xFFFFFFFF, {{"a", 0xFFFFFFFF, 0, 0, 1}}));
  PackageFile file;
  EXPECT_FALSE(file.Open("huge.vdk"));
  // A name length beyond the file.
  auto longName = RawPackage(1, {{"a", 0, 0, 0, 0}});
  longName[12 + 16] = 0xFF;
  longName[12 + 19] = 0x7F;
  WriteFile("name.vdk", longName);
  EXPECT_FALSE(file.Open("name.vdk"));
  EXPECT_NE(ReadFile("GameEngine.log").find("runs past the end of the file"), std::string::npos);
  EXPECT_TRUE(hooks_.messageBoxes.empty());
}

// A 1 MB chain of 40,000 folders once took 3.5 GB: every node kept its full path, twice.
TEST_F(PackageFileTest, DeepPackageFoldersAreRefusedBeforeTheyCostMemory) {
  const struct {
    int depth;
    size_t nameBytes;
    const char* logged;  // null: opens
  } cases[] = {{kMaxPackageDepth - 1, 1, nullptr},
               {kMaxPackageDepth, 1, "nests folders too deeply,open failed."},
               {40000, 1, "nests folders too deeply,open failed."},
               {kMaxPackageDepth - 1, 9000, "holds too many path bytes,open failed."}};
  for (const auto& c : cases) {
    std::vector<RawEntry> entries;
    for (int i = 0; i < c.depth; ++i)
      entries.push_back({std::string(c.nameBytes, 'd'), i + 1 < c.depth ? 1u : 0u, 0, 0, 1});
    WriteFile("deep.vdk", RawPackage(1, entries));
    PackageFile file;
    EXPECT_EQ(file.Open("deep.vdk"), c.logged == nullptr) << c.depth;
    const bool logged = c.logged && ReadFile("GameEngine.log").find(c.logged) != std::string::npos;
    EXPECT_EQ(logged, c.logged != nullptr);
  }
}

TEST_F(PackageFileTest, ShortMemberReadIsLogged) {
  auto pkg = RawPackage(1, {{"m", 100, 100, 40, 0}});
  WriteFile("s.vdk", pkg);
  PackageFile file;
  ASSERT_TRUE(file.Open("s.vdk"));
  ASSERT_TRUE(file.Find("m"));
  EXPECT_EQ(file.GetSize(), -1);  // the file cannot hold it: nobody allocates for it
  std::vector<uint8_t> out(100);
  EXPECT_FALSE(file.Read(out));
  const std::string log = ReadFile("GameEngine.log");
  EXPECT_NE(log.find("cvdk:read error.read size do not equal real size."), std::string::npos);
  // A cut-short package names itself: the member's path alone does not say which file it is.
  EXPECT_NE(log.find("cvdk:member root\\m of s.vdk is damaged."), std::string::npos) << log;
}

TEST_F(PackageFileTest, ImplausibleSizesAreRefused) {
  // Plain member whose sizes disagree; compressed member claiming more than its chunks can hold.
  auto pkg =
      RawPackage(2, {{"plain", 2, 4000, 0, 0}, {"packed", 4, 0x7FFFFFFF, 0, 0, 1}}, {0, 0, 0, 0});
  WriteFile("i.vdk", pkg);
  PackageFile file;
  ASSERT_TRUE(file.Open("i.vdk"));
  ASSERT_TRUE(file.Find("plain"));
  EXPECT_EQ(file.GetSize(), -1);
  ASSERT_TRUE(file.Find("packed"));
  EXPECT_EQ(file.GetSize(), -1);
  EXPECT_FALSE(file.ReadMember("packed"));
}

TEST_F(PackageFileTest, CompressedMembersSplitIntoChunksAt0xC000) {
  // 0xC001 bytes: one full chunk of 'a' (literal, then one copy of 0xBFFF), then one of 'b'.
  Bits first;
  first.Literal('a');
  // length 0xBFFF = 2^15 + v + 1 with v = 0x3FFE; w = 0 after one byte.
  first.Put(1, 1);
  first.Put(0xFFFE, 16);  // fifteen ones then the zero
  first.Put(0x3FFE, 15);
  Bits second;
  second.Literal('b');
  std::vector<uint8_t> stored = Chunk(first.bytes_);
  auto c2 = Chunk(second.bytes_);
  stored.insert(stored.end(), c2.begin(), c2.end());

  auto pkg = RawPackage(1, {{"m", static_cast<uint32_t>(stored.size()), 0xC001, 0, 0, 1}}, stored);
  WriteFile("c.vdk", pkg);

  PackageFile file;
  ASSERT_TRUE(file.Open("c.vdk"));
  std::vector<uint8_t> out = file.ReadMember("m").value_or(std::vector<uint8_t>());
  ASSERT_EQ(out.size(), 0xC001u);
  EXPECT_EQ(std::string(out.begin(), out.end() - 1), std::string(0xC000, 'a'));
  EXPECT_EQ(out.back(), 'b');

  // Without the second chunk the unpacked size no longer matches: a logged failure.
  auto cutPkg = pkg;
  cutPkg.resize(pkg.size() - c2.size());
  cutPkg[12] = static_cast<uint8_t>(first.bytes_.size() + 2);
  cutPkg[13] = static_cast<uint8_t>((first.bytes_.size() + 2) >> 8);
  WriteFile("c.vdk", cutPkg);
  ASSERT_TRUE(file.Open("c.vdk"));
  EXPECT_FALSE(file.ReadMember("m"));
  EXPECT_NE(ReadFile("GameEngine.log").find("cvdk:member root\\m of c.vdk is damaged."),
            std::string::npos);
}

TEST_F(PackageFileTest, IniLoadsFromAPackageMember) {
  std::string text = "[S]\r\nk=v\r\n";
  auto pkg = RawPackage(
      1,
      {{"tiles.ini", static_cast<uint32_t>(text.size()), static_cast<uint32_t>(text.size()), 0, 0}},
      std::vector<uint8_t>(text.begin(), text.end()));
  WriteFile("ini.vdk", pkg);

  IniFile ini;
  ini.Load("tiles.ini", "ini.vdk");
  EXPECT_FALSE(ini.IsFailed());
  EXPECT_EQ(ini.Length(), static_cast<int32_t>(text.size()));
  EXPECT_EQ(ini.GetString("S", "k"), "v");
  EXPECT_TRUE(ini.RememberedPath().empty());
  EXPECT_FALSE(ini.Save());

  IniFile missing;
  missing.Load("Tiles.ini", "ini.vdk");
  EXPECT_TRUE(missing.IsFailed());
  EXPECT_EQ(missing.Length(), 1);
  IniFile noPackage;
  noPackage.Load("tiles.ini", "none.vdk");
  EXPECT_TRUE(noPackage.IsFailed());
  EXPECT_EQ(hooks_.messageBoxes.size(), 1u);
}

}  // namespace
}  // namespace isora
