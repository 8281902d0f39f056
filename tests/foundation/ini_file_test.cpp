#include "foundation/ini_file.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace isora {
namespace {

using test::ReadFile;
using test::TempDirTest;
using test::WriteFile;

IniFile FromText(const std::string& text) {
  IniFile ini;
  ini.LoadBytes(std::vector<uint8_t>(text.begin(), text.end()));
  return ini;
}

std::string TextOf(const IniFile& ini) { return std::string(ini.Text().begin(), ini.Text().end()); }

TEST(IniFileLookup, KeyScanRunsPastTheNextSection) {
  IniFile ini = FromText("[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
  EXPECT_EQ(ini.GetString("A", "y"), "2");
  EXPECT_EQ(ini.GetString("B", "x"), "");
  EXPECT_EQ(ini.GetString("A", "x"), "1");
  EXPECT_EQ(ini.SectionCount(), 2);
}

TEST(IniFileLookup, KeyTokenKeepsSpaces) {
  IniFile ini = FromText("[S]\r\nx =5\r\nw = 10\r\n");
  EXPECT_EQ(ini.GetInt("S", "x"), 0);
  EXPECT_EQ(ini.GetInt("S", "x "), 5);
  EXPECT_EQ(ini.GetString("S", "w "), " 10");
  EXPECT_EQ(ini.GetInt("S", "w "), 10);
}

TEST(IniFileLookup, ValueStopsAtCommentTabAndBracket) {
  IniFile ini = FromText(
      "[S]\r\nname=Hero;title\r\ntabbed=\tHero\r\nbgpic=ui\\back.bmp ; comment\r\nodd=a]b\r\n");
  EXPECT_EQ(ini.GetString("S", "name"), "Hero");
  EXPECT_EQ(ini.GetString("S", "tabbed"), "");
  EXPECT_EQ(ini.GetString("S", "bgpic"), "ui\\back.bmp ");
  EXPECT_EQ(ini.GetString("S", "odd"), "a");
}

TEST(IniFileLookup, KeyLineWithoutEquals) {
  IniFile ini = FromText("[S]\r\nK;note\r\nBare\r\nLast");
  EXPECT_EQ(ini.GetString("S", "K"), "note");
  EXPECT_EQ(ini.GetString("S", "Bare"), "");
  EXPECT_EQ(ini.GetString("S", "Last"), "");
  EXPECT_EQ(ini.GetString("S", "Missing"), "");
}

TEST(IniFileLookup, SectionHeadersOnlyAtLineStart) {
  IniFile ini = FromText(" [X]\r\na=1\r\nb=[Y]\r\n[Panel ]\r\nc=3\r\n[panel]\r\nd=4\r\n");
  EXPECT_EQ(ini.SectionCount(), 2);
  EXPECT_EQ(ini.GetString("X", "a"), "");
  EXPECT_EQ(ini.GetString("Y", "a"), "");
  EXPECT_EQ(ini.GetString("Panel", "c"), "");
  EXPECT_EQ(ini.GetString("Panel ", "c"), "3");
  EXPECT_EQ(ini.GetString("panel", "d"), "4");
  EXPECT_EQ(ini.GetString("Panel", "d"), "");
}

TEST(IniFileLookup, SectionNameStopsAtCommentAndTab) {
  IniFile ini = FromText("[Main;old]\r\na=1\r\n[Tabbed\tx]\r\nb=2\r\n");
  EXPECT_EQ(ini.GetString("Main", "a"), "1");
  EXPECT_EQ(ini.GetString("Tabbed", "b"), "2");
}

TEST(IniFileLookup, FirstOfDuplicateSectionsWins) {
  IniFile ini = FromText("[S]\r\na=1\r\n[S]\r\na=2\r\n");
  EXPECT_EQ(ini.GetString("S", "a"), "1");
}

TEST(IniFileLookup, LineFeedOnlyFilesReadLineByLine) {
  IniFile ini = FromText("[S]\na=1\nb=2\nc\nd=4");
  EXPECT_EQ(ini.GetString("S", "a"), "1");
  EXPECT_EQ(ini.GetString("S", "b"), "2");
  EXPECT_EQ(ini.GetString("S", "c"), "");
  EXPECT_EQ(ini.GetString("S", "d"), "4");
}

TEST(IniFileLookup, GetIntFollowsAtoi) {
  IniFile ini =
      FromText("[N]\r\na= -12x\r\nb=+7\r\nc=abc\r\nd=99999999999\r\ne=-99999999999\r\nf=\r\n");
  EXPECT_EQ(ini.GetInt("N", "a"), -12);
  EXPECT_EQ(ini.GetInt("N", "b"), 7);
  EXPECT_EQ(ini.GetInt("N", "c"), 0);
  EXPECT_EQ(ini.GetInt("N", "d"), INT32_MAX);
  EXPECT_EQ(ini.GetInt("N", "e"), INT32_MIN);
  EXPECT_EQ(ini.GetInt("N", "f"), 0);
  EXPECT_EQ(ini.GetInt("Missing", "a"), 0);
}

TEST(IniFileEdit, AddSection) {
  IniFile ini = FromText("[A]\r\nx=1\r\n");
  EXPECT_FALSE(ini.AddSection("A"));
  EXPECT_EQ(TextOf(ini), "[A]\r\nx=1\r\n");
  EXPECT_TRUE(ini.AddSection("B"));
  EXPECT_EQ(TextOf(ini), "[A]\r\nx=1\r\n\r\n[B]\r\n");
  EXPECT_EQ(ini.SectionCount(), 2);
}

TEST(IniFileEdit, SetValueOnMissingSectionAppends) {
  IniFile ini = FromText("[A]\r\nx=1\r\n");
  EXPECT_TRUE(ini.SetValue("S", "K", "V"));
  EXPECT_EQ(TextOf(ini), "[A]\r\nx=1\r\n\r\n[S]\r\nK=V\r\n");
  EXPECT_EQ(ini.GetString("S", "K"), "V");
}

TEST(IniFileEdit, SetValueReplacesOnlyTheValueBytes) {
  IniFile ini = FromText("[A]\r\nx=1 ;keep\r\ny=2\r\n");
  ini.SetValue("A", "x", "12345");
  EXPECT_EQ(TextOf(ini), "[A]\r\nx=12345;keep\r\ny=2\r\n");
  ini.SetValue("A", "x", "");
  EXPECT_EQ(TextOf(ini), "[A]\r\nx=;keep\r\ny=2\r\n");
  EXPECT_EQ(ini.GetString("A", "y"), "2");
}

TEST(IniFileEdit, SetValueInsertsAfterTheLineEndingTheKeyBlock) {
  IniFile ini = FromText("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
  ini.SetValue("A", "z", "3");
  EXPECT_EQ(TextOf(ini), "[A]\r\nx=1\r\n\r\nz=3\r\n[B]\r\ny=2\r\n");
  EXPECT_EQ(ini.GetString("B", "y"), "2");

  IniFile comment = FromText("[A]\r\nx=1\r\n//end\r\n[B]\r\n");
  comment.SetValue("A", "z", "3");
  EXPECT_EQ(TextOf(comment), "[A]\r\nx=1\r\n//end\r\nz=3\r\n[B]\r\n");
}

TEST(IniFileEdit, SetValueWithoutBlankLineScansPastHeaders) {
  IniFile ini = FromText("[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
  ini.SetValue("A", "z", "3");
  EXPECT_EQ(TextOf(ini), "[A]\r\nx=1\r\n[B]\r\ny=2\r\nz=3\r\n");
  EXPECT_EQ(ini.GetString("A", "z"), "3");
}

TEST(IniFileEdit, SetValueAfterUnterminatedLastLineKeepsThatLine) {
  IniFile ini = FromText("[A]\r\nx=1");
  ini.SetValue("A", "y", "2");
  EXPECT_EQ(ini.GetString("A", "x"), "1");
  EXPECT_EQ(ini.GetString("A", "y"), "2");
}

TEST(IniFileEdit, SetValueOnKeyLineWithoutSeparator) {
  IniFile crlf = FromText("[A]\r\nK\r\nL;note\r\n");
  crlf.SetValue("A", "K", "v");
  crlf.SetValue("A", "L", "w");
  EXPECT_EQ(TextOf(crlf), "[A]\r\nK\rv\nL;w\r\n");  // the value goes where the scan reads it
  EXPECT_EQ(crlf.GetString("A", "K"), "v");

  IniFile bare = FromText("[A]\nK\nM");
  bare.SetValue("A", "K", "v");
  bare.SetValue("A", "M", "w");
  EXPECT_EQ(TextOf(bare), "[A]\nK=v\nM=w");
  EXPECT_EQ(bare.GetString("A", "K"), "v");
  EXPECT_EQ(bare.GetString("A", "M"), "w");
}

TEST(IniFileEdit, LongSectionNameIsBoundedAndNotDuplicated) {
  std::string name(300, 's');
  IniFile ini;
  EXPECT_TRUE(ini.AddSection(name));
  EXPECT_FALSE(ini.AddSection(name));
  EXPECT_EQ(ini.Length(), 250 + 6);
}

TEST(IniFileEdit, ClearReleasesEverything) {
  IniFile ini = FromText("[A]\r\nx=1\r\n");
  ini.Clear();
  EXPECT_EQ(ini.Length(), 0);
  EXPECT_EQ(ini.SectionCount(), 0);
  EXPECT_EQ(ini.GetString("A", "x"), "");
}

class IniFileDisk : public TempDirTest {};

TEST_F(IniFileDisk, LoadKeepsExactBytes) {
  const std::string text = "[A]\r\nx=1\r\n;c\r\n";
  WriteFile("a.ini", text);
  IniFile ini;
  ini.LoadFile("a.ini");
  EXPECT_FALSE(ini.IsFailed());
  EXPECT_EQ(TextOf(ini), text);
  EXPECT_EQ(ini.RememberedPath(), "a.ini");
}

TEST_F(IniFileDisk, MissingAndEmptyFilesFail) {
  WriteFile("empty.ini", "");
  for (const char* name : {"empty.ini", "missing.ini"}) {
    IniFile ini;
    EXPECT_FALSE(ini.LoadFile(name)) << name;
    EXPECT_TRUE(ini.IsFailed());
    EXPECT_EQ(ini.Length(), 1);
    EXPECT_EQ(ini.Text()[0], 0);
    EXPECT_EQ(ini.GetString("A", "x"), "");
  }
}

TEST_F(IniFileDisk, ReloadReplacesTextAndClearsFailure) {
  WriteFile("a.ini", "[A]\r\nx=1\r\n");
  IniFile ini;
  ini.LoadFile("missing.ini");
  EXPECT_TRUE(ini.IsFailed());
  EXPECT_TRUE(ini.LoadFile("a.ini"));
  EXPECT_FALSE(ini.IsFailed());
  EXPECT_EQ(ini.GetInt("A", "x"), 1);
}

TEST_F(IniFileDisk, SaveWritesTheDocumentByteForByte) {
  WriteFile("a.ini", "[A]\r\nx=1\r\n");
  IniFile ini;
  ini.LoadFile("a.ini");
  ini.SetValue("A", "x", "2");
  ini.SetValue("B", "y", "3");
  EXPECT_TRUE(ini.Save());
  EXPECT_EQ(ReadFile("a.ini"), "[A]\r\nx=2\r\n\r\n[B]\r\ny=3\r\n");
  EXPECT_TRUE(ini.Save("copy.ini"));
  EXPECT_EQ(ReadFile("copy.ini"), ReadFile("a.ini"));
  EXPECT_FALSE(ini.Save("no/such/dir/x.ini"));
}

TEST_F(IniFileDisk, NamesAreViewsAndAnEmptyPackagePathIsNoPlainFile) {
  WriteFile("a.ini", "[Main]\r\nx=1\r\n");
  IniFile ini;
  EXPECT_FALSE(ini.Load("a.ini", std::string()));  // a package path that names no package
  EXPECT_TRUE(ini.IsFailed());
  EXPECT_TRUE(ini.Load("a.ini", nullptr));  // no package at all: the plain file
  // Section and key need not be terminated strings.
  const std::string_view line = "Main=x;";
  EXPECT_EQ(ini.GetInt(line.substr(0, 4), line.substr(5, 1)), 1);
  EXPECT_TRUE(ini.SetValue(line.substr(0, 4), line.substr(5, 1), line.substr(0, 2)));
  EXPECT_EQ(ini.GetString("Main", "x"), "Ma");
}

TEST_F(IniFileDisk, SaveWithoutAnyPathFails) {
  IniFile ini;
  ini.SetValue("A", "x", "1");
  EXPECT_FALSE(ini.Save());
}

}  // namespace
}  // namespace isora
