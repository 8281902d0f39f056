#include "script/script_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace isora {
namespace {

std::vector<std::string> Stored(std::string_view text) {
  std::vector<std::string> out;
  for (auto& line : SplitScriptText(text)) out.push_back(line.text);
  return out;
}

TEST(ScriptTextTest, BlanksCommentsAndIndentation) {
  EXPECT_TRUE(Stored("// only a comment\r\n\r\n   \r\n\t// another\r\n").empty());
  EXPECT_EQ(Stored("\t  if(a)\r\n  else \r\n/x\r\n  //y\r\n"),
            (std::vector<std::string>{"if(a)\n", "else \n", "/x\n"}));
}

TEST(ScriptTextTest, PiecesEndAtCarriageReturnsAndSkipTheNextByte) {
  EXPECT_EQ(Stored("a\r\nb"), (std::vector<std::string>{"a\n", "b\n"}));
  // The byte after a carriage return is dropped whatever it is.
  EXPECT_EQ(Stored("a\rXb\r\n"), (std::vector<std::string>{"a\n", "b\n"}));
  EXPECT_EQ(Stored("a\r"), (std::vector<std::string>{"a\n"}));
  // Bare line feeds do not end a piece.
  EXPECT_EQ(Stored("a\nb\r\n"), (std::vector<std::string>{"a\nb\n"}));
  // The text ends at its first zero byte.
  EXPECT_EQ(Stored(std::string_view("a\r\nb\0c\r\n", 9)), (std::vector<std::string>{"a\n", "b\n"}));
}

TEST(ScriptTextTest, FileLineNumbersCountEveryLineBreak) {
  auto lines = SplitScriptText("// c\r\n\r\nRain\r\n\n  end\r\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].fileLine, 3);
  EXPECT_EQ(lines[1].text, "\n  end\n");  // the bare LF stays inside the piece
}

TEST(ScriptTextTest, TheLengthLimitCountsLeadingBlanks) {
  std::string ok = std::string(4, ' ') + std::string(244, 'x');
  std::string over = std::string(5, ' ') + std::string(244, 'x');
  auto lines = SplitScriptText(ok + "\r\n" + over + "\r\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_FALSE(lines[0].tooLong);
  EXPECT_EQ(lines[0].text.size(), 245u);
  EXPECT_TRUE(lines[1].tooLong);
  EXPECT_EQ(lines[1].rawLength, 249u);
}

TEST(SplitCommandTest, NamesAndArgumentsAreTakenExactly) {
  SplitCommand c = SplitCommandLine("Say(\"Li\", \"a)b\",NULL) trailing\n");
  EXPECT_EQ(c.error, LineSplitError::kNone);
  EXPECT_EQ(c.name, "Say");
  EXPECT_EQ(c.arguments, (std::vector<std::string>{"\"Li\"", " \"a)b\"", "NULL"}));

  c = SplitCommandLine("Rain()\n");
  EXPECT_EQ(c.name, "Rain");
  EXPECT_EQ(c.arguments, (std::vector<std::string>{""}));

  c = SplitCommandLine("endif\n");
  EXPECT_EQ(c.name, "endif");
  EXPECT_TRUE(c.arguments.empty());

  c = SplitCommandLine("else \n");
  EXPECT_EQ(c.name, "else ");
}

TEST(SplitCommandTest, MissingCloseParenAndArgumentBounds) {
  EXPECT_EQ(SplitCommandLine("Say(\"a\",\"b\"\n").error, LineSplitError::kNoClosingParen);
  // A ")" before the last comma does not end the last argument.
  EXPECT_EQ(SplitCommandLine("f(a),b\n").error, LineSplitError::kNoClosingParen);

  std::string args29 = "f(1";
  for (int i = 2; i <= 29; ++i) args29 += ",1";
  SplitCommand c = SplitCommandLine(args29 + ")\n");
  EXPECT_EQ(c.error, LineSplitError::kNone);
  EXPECT_EQ(c.arguments.size(), 29u);
  EXPECT_EQ(SplitCommandLine(args29 + ",1)\n").error, LineSplitError::kTooManyArguments);

  c = SplitCommandLine("ShowTip(\"" + std::string(230, 'x') + "\")\n");
  EXPECT_TRUE(c.cut);
  EXPECT_EQ(c.arguments[0].size(), kMaxArgumentChars);
}

std::vector<std::string> Lines(std::initializer_list<const char*> list) {
  return std::vector<std::string>(list.begin(), list.end());
}

TEST(BlockTableTest, PairsNestedBlocksWithTheOuterElse) {
  BlockTable t = BuildBlockTable(Lines({"if(a)\n", "if(b)\n", "endif\n", "else\n", "endif\n"}));
  ASSERT_EQ(t.error, BlockError::kNone);
  ASSERT_EQ(t.blocks.size(), 2u);
  EXPECT_EQ(t.blocks[0].ifLine, 1);
  EXPECT_EQ(t.blocks[0].elseLine, -1);
  EXPECT_EQ(t.blocks[0].endifLine, 2);
  EXPECT_EQ(t.blocks[1].ifLine, 0);
  EXPECT_EQ(t.blocks[1].elseLine, 3);
  EXPECT_EQ(t.blocks[1].endifLine, 4);

  t = BuildBlockTable(Lines({"if(a)\n", "else\n", "if(b)\n", "else\n", "endif\n", "endif\n"}));
  ASSERT_EQ(t.error, BlockError::kNone);
  EXPECT_EQ(t.blocks[0].elseLine, 3);
  EXPECT_EQ(t.blocks[1].elseLine, 1);
}

TEST(BlockTableTest, OnlyExactElseAndEndifLinesCount) {
  BlockTable t = BuildBlockTable(Lines({"if(a)\n", "else \n", "endif\n"}));
  ASSERT_EQ(t.error, BlockError::kNone);
  EXPECT_EQ(t.blocks[0].elseLine, -1);
  EXPECT_EQ(BuildBlockTable(Lines({"if(a)\n", "endif()\n"})).error, BlockError::kPairs);
  EXPECT_EQ(BuildBlockTable(Lines({"if (a)\n", "endif\n"})).error, BlockError::kStack);
}

TEST(BlockTableTest, StackAndPairsErrors) {
  BlockTable t = BuildBlockTable(Lines({"Rain\n", "endif\n"}));
  EXPECT_EQ(t.error, BlockError::kStack);
  EXPECT_EQ(t.errorLine, 1);
  t = BuildBlockTable(Lines({"if(a)\n", "Rain\n"}));
  EXPECT_EQ(t.error, BlockError::kPairs);
  EXPECT_EQ(t.openLines, (std::vector<int32_t>{0}));
  EXPECT_EQ(BuildBlockTable(Lines({"else\n"})).error, BlockError::kPairs);
  EXPECT_EQ(BuildBlockTable(Lines({"if(a)\n", "else\n", "else\n", "endif\n"})).error,
            BlockError::kPairs);

  std::vector<std::string> deep(256, "if(1)\n");
  t = BuildBlockTable(deep);
  EXPECT_EQ(t.error, BlockError::kStack);
  EXPECT_EQ(t.errorLine, 255);
}

TEST(BlockTableTest, ABareEndStopsTheScan) {
  EXPECT_EQ(BuildBlockTable(Lines({"end\n", "if(a)\n"})).error, BlockError::kNone);
  EXPECT_EQ(BuildBlockTable(Lines({"end()\n", "if(a)\n"})).error, BlockError::kPairs);
}

}  // namespace
}  // namespace isora
