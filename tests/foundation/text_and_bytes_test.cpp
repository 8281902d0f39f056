#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <optional>

#include "foundation/byte_io.h"
#include "foundation/file_io.h"
#include "foundation/gbk.h"
#include "foundation/number_text.h"
#include "foundation/win_format.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

using test::Exists;
using test::ReadFile;
using test::TempDir;
using test::TempDirTest;
using test::WriteFile;

TEST(ParseNumber, TakesTheWholeTextOrNothing) {
  const std::pair<const char*, std::optional<int>> cases[] = {{"0", 0},
                                                              {"42", 42},
                                                              {"-7", -7},
                                                              {"2147483647", INT_MAX},
                                                              {"-2147483648", INT_MIN},
                                                              {"2147483648", {}},
                                                              {"", {}},
                                                              {"-", {}},
                                                              {"abc", {}},
                                                              {"12x", {}},
                                                              {" 1", {}},
                                                              {"+1", {}}};
  for (const auto& [text, want] : cases) EXPECT_EQ(ParseNumber<int>(text), want) << text;
  EXPECT_EQ(ParseNumber<int>("ff", 16), 255);
  EXPECT_EQ(ParseNumber<uint8_t>("256"), std::nullopt);
}

TEST(Gbk, ConvertsBothWays) {
  EXPECT_EQ(Utf8ToGbk("abc"), "abc");
  EXPECT_EQ(Utf8ToGbk(u8"中文"), "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(GbkToUtf8("\xD6\xD0\xCE\xC4!"), "中文!");
  EXPECT_EQ(Utf8ToGbk(u8"a😀b"), "a?b");          // outside GBK
  EXPECT_EQ(GbkToUtf8("\xD6"), "\xEF\xBF\xBD");  // a lead byte without its partner
  EXPECT_EQ(GbkToUnicode("a\xD6\xD0"), std::u32string(U"a中"));
  EXPECT_EQ(GbkToUnicode("\x81\x20x").size(), 2u);  // the invalid pair still takes two bytes
}

TEST(Gbk, LiteralsAreConvertedOnceAndKept) {
  const std::string& a = Gbk(u8"无法打开文件%s");
  const std::string& b = Gbk(u8"无法打开文件%s");
  EXPECT_EQ(&a, &b);
  EXPECT_EQ(a, Utf8ToGbk(u8"无法打开文件%s"));
}

TEST(WinFormat, OnlyTheWsprintfConversions) {
  EXPECT_EQ(WinFormat("%d|%5d|%-4d|%05d|%u", -3, 42, 7, -12, 4000000000u),
            "-3|   42|7   |-0012|4000000000");
  EXPECT_EQ(WinFormat("%x %X %#x %08X", 255, 255, 255, 0xABCu), "ff FF 0xff 00000ABC");
  EXPECT_EQ(WinFormat("%s %.2s %c %%", "text", "abc", 'z'), "text ab z %");
  EXPECT_EQ(WinFormat("%f"), "f");  // no floating point: the letter is printed
}

TEST(ByteReader, BoundsCheckedLittleEndian) {
  const uint8_t data[] = {1, 2, 3, 4, 5, 'a', 'b', 0, 'z'};
  ByteReader r(data, sizeof data);
  EXPECT_EQ(r.U32(), 0x04030201u);
  EXPECT_EQ(r.U8(), 5);
  EXPECT_EQ(r.FixedString(4), "ab");
  EXPECT_TRUE(r.Ok());
  EXPECT_EQ(r.U16(), 0);  // only one byte left
  EXPECT_FALSE(r.Ok());
  EXPECT_EQ(r.Remaining(), 0u);
  EXPECT_TRUE(r.Bytes(5).empty());
}

TEST(ByteWriter, FixedStringsKeepTheirTerminator) {
  ByteWriter w;
  w.FixedString("abcdef", 4);
  w.I16(-2);
  w.PatchU32(0, 0x44434241);
  EXPECT_EQ(std::vector<uint8_t>(w.Data()), (std::vector<uint8_t>{'A', 'B', 'C', 'D', 0xFE, 0xFF}));
}

class FilesTest : public TempDirTest {};

TEST_F(FilesTest, NativePathFallsBackToCaseInsensitiveMatches) {
  WriteFile("Data/Items.ITM", "x");
  const std::string folder = tempDir_.Path().string();
  EXPECT_EQ(NativePath("data\\items.itm"), folder + "/Data/Items.ITM");
  EXPECT_EQ(NativePath("Data/Items.ITM"), folder + "/Data/Items.ITM");
  EXPECT_EQ(NativePath("data\\missing.itm"), folder + "/data/missing.itm");
  EXPECT_EQ(NativePath(""), "");
}

TEST_F(FilesTest, GamePathsResolveAgainstTheGameFolderNotTheWorkingDirectory) {
  const std::filesystem::path cwd = std::filesystem::current_path();
  WriteFile("Game/Maps/Town.map", "m");
  WriteFile("elsewhere.txt", "e");
  {
    TempDir inner;  // a nested folder takes over, and gives the outer one back when done
    EXPECT_EQ(GameFolder(), inner.Path().string());
    EXPECT_EQ(NativePath("x.ini"), inner.Path().string() + "/x.ini");
  }
  SetGameFolder((tempDir_.Path() / "Game" / "").string());  // a trailing separator is dropped
  EXPECT_EQ(GameFolder(), (tempDir_.Path() / "Game").string());
  EXPECT_EQ(NativePath("maps\\town.map"), GameFolder() + "/Maps/Town.map");
  EXPECT_EQ(ReadFileBytes(NativePath("MAPS/TOWN.MAP")), std::vector<uint8_t>{'m'});
  // Absolute paths outside the folder open nothing: game paths come from the game's files.
  const std::string outside = (tempDir_.Path() / "elsewhere.txt").string();
  EXPECT_EQ(NativePath(outside), "");
  SetGameFolder((tempDir_.Path() / "game").string());
  EXPECT_FALSE(ReadFileBytes(NativePath("maps/town.map")));
  // The working directory is never the base while a folder is set, and never changes.
  EXPECT_EQ(GameFolderOrWorkingFolder(), GameFolder());
  EXPECT_EQ(std::filesystem::current_path(), cwd);
}

TEST_F(FilesTest, WholeFileReadAndAtomicWrite) {
  std::vector<uint8_t> bytes{0, 1, 2, 255};
  ASSERT_TRUE(WriteFileAtomic(NativePath("f.bin"), bytes));
  EXPECT_EQ(ReadFileBytes(NativePath("f.bin")), bytes);
  EXPECT_FALSE(Exists("f.bin.tmp"));
  EXPECT_FALSE(ReadFileBytes(NativePath("f.bin"), 3));  // larger than allowed
  EXPECT_FALSE(ReadFileBytes(NativePath("none")));
  EXPECT_FALSE(WriteFileAtomic(NativePath("none/f.bin"), bytes));
}

TEST_F(FilesTest, StaleTemporaryLinkIsReplacedNeverFollowed) {
  namespace fs = std::filesystem;
  const std::vector<uint8_t> bytes{7, 8, 9};
  const std::vector<uint8_t> keep{'k', 'e', 'e', 'p'};
  WriteFile("game.ini", "keep");
  fs::create_symlink("game.ini", test::InFolder("1.sav.tmp"));
  ASSERT_TRUE(WriteFileAtomic(NativePath("1.sav"), bytes));
  EXPECT_EQ(ReadFileBytes(NativePath("game.ini")), keep);
  EXPECT_EQ(ReadFileBytes(NativePath("1.sav")), bytes);
  EXPECT_FALSE(fs::is_symlink(test::InFolder("1.sav")));

  // A temporary that cannot be replaced fails the write and leaves the old file whole.
  WriteFile("2.sav", "keep");
  fs::create_directory(test::InFolder("2.sav.tmp"));
  EXPECT_FALSE(WriteFileAtomic(NativePath("2.sav"), bytes));
  EXPECT_EQ(ReadFileBytes(NativePath("2.sav")), keep);
}

TEST(CutGbkTest, NeverSplitsACharacter) {
  EXPECT_EQ(CutGbk("abcdef", 4), "abcd");
  EXPECT_EQ(CutGbk("ab", 4), "ab");
  EXPECT_EQ(CutGbk("a\xC4\xE3\xBA\xC3", 4), "a\xC4\xE3");
  EXPECT_EQ(CutGbk("a\xC4\xE3\xBA\xC3", 5), "a\xC4\xE3\xBA\xC3");
}

}  // namespace
}  // namespace isora
