#include "ui/rich_text.h"

#include <gtest/gtest.h>

#include "foundation/gbk.h"
#include "support/switches.h"
#include "ui/hint_box.h"
#include "ui/talk_page.h"
#include "ui/text_box.h"

namespace isora {
namespace {

constexpr ColorRef kRed = MakeColorRef(255, 0, 0);
constexpr ColorRef kDefault = MakeColorRef(1, 2, 3);

RichLayout Lay(const std::string& text, int lineChars, int firstLine = 0, int maxLines = -1) {
  return LayoutRichText({text}, RichTextRules{lineChars, kDefault, false}, firstLine, maxLines);
}

TEST(RichText, ColourMarkupSwitchesAndEndsWithoutNesting) {
  RichLayout l = Lay("<2Axe/> of fire", 40);
  ASSERT_EQ(l.pieces.size(), 2u);
  EXPECT_EQ(l.pieces[0].text, "Axe");
  EXPECT_EQ(l.pieces[0].color, kRed);
  EXPECT_EQ(l.pieces[1].text, " of fire");
  EXPECT_EQ(l.pieces[1].color, kDefault);
  // A second "<" replaces the colour; "/>" always returns to the default.
  l = Lay("<2a<5b/>c", 40);
  ASSERT_EQ(l.pieces.size(), 3u);
  EXPECT_EQ(l.pieces[1].color, MakeColorRef(255, 255, 0));
  EXPECT_EQ(l.pieces[2].color, kDefault);
  // A "/" without ">" is an ordinary byte; a non-digit after "<" falls back to the default.
  EXPECT_EQ(RichLines(Lay("a/b", 40))[0], "a/b");
  l = Lay("<xAB", 40);
  ASSERT_EQ(l.pieces.size(), 1u);
  EXPECT_EQ(l.pieces[0].color, kDefault);
  EXPECT_EQ(RichTextColor('8', 0), MakeColorRef(127, 127, 127));
  EXPECT_EQ(RichTextColor('1', kDefault), 0u);
}

TEST(RichText, TwoByteCharactersWrapWholeAtTheLimit) {
  std::string text;
  for (int i = 0; i < 30; ++i) text += Gbk(u8"字");
  ASSERT_EQ(text.size(), 60u);
  for (int lineChars : {19, 20}) {
    auto lines = RichLines(Lay(text, lineChars));
    ASSERT_EQ(lines.size(), 3u) << lineChars;
    for (const auto& line : lines) EXPECT_EQ(line.size(), 20u) << lineChars;
  }
  auto lines = RichLines(Lay(text, 21));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].size(), 22u);
  EXPECT_EQ(lines[1].size(), 22u);
  EXPECT_EQ(lines[2].size(), 16u);
}

TEST(RichText, LinesBreakByBytesInsideWordsUnlessWholeWordsAreAsked) {
  EXPECT_EQ(RichLines(Lay("gain experience by fighting", 12)),
            (std::vector<std::string>{"gain experie", "nce by fight", "ing"}));
  // A word ending exactly at the limit breaks after itself, not before.
  test::ScopedSwitches switches;
  EXPECT_EQ(RichLines(Lay("abc defgh ij", 9)), (std::vector<std::string>{"abc defgh", " ij"}));
  EXPECT_EQ(RichLines(Lay("gain experience by fighting", 12)),
            (std::vector<std::string>{"gain ", "experience ", "by fighting"}));
  EXPECT_EQ(RichLines(Lay("kill the enemy.", 10)),
            (std::vector<std::string>{"kill the ", "enemy."}));
  // Longer than a line: broken by bytes as before.
  EXPECT_EQ(RichLines(Lay("a unbreakableword", 8)),
            (std::vector<std::string>{"a unbrea", "kablewor", "d"}));
  // A coloured word moves whole; two-byte text still breaks by character.
  EXPECT_EQ(RichLines(Lay("see <2dragon/> now", 7)),
            (std::vector<std::string>{"see ", "dragon ", "now"}));
  std::string gbk;
  for (int i = 0; i < 5; ++i) gbk += Gbk(u8"字");
  EXPECT_EQ(RichLines(Lay("ab" + gbk, 6)).size(), 2u);
}

TEST(RichText, CommaSwallowsTheNextByte) {
  EXPECT_EQ(RichLines(Lay("A, B", 40))[0], "A,B");
  EXPECT_EQ(RichLines(Lay("A,,B", 40))[0], "A,B");
  // "\d" becomes a comma and a blank, which the comma rule then hides.
  EXPECT_EQ(RichLines(Lay(RewriteCommaEscapes("one\\dtwo"), 40))[0], "one,two");
  EXPECT_EQ(RewriteTalkEscapes("a\\nb\\dc"), "a \nb, c");
}

TEST(RichText, LineFeedsAndParagraphsStartNewLines) {
  RichLayout l = LayoutRichText({"ab\ncd", "", "ef"}, RichTextRules{10, 0, false});
  EXPECT_EQ(RichLines(l), (std::vector<std::string>{"ab", "cd", "ef"}));
  // A paragraph ending exactly at the wrap adds no empty line.
  l = LayoutRichText({"abcd", "ef"}, RichTextRules{4, 0, false});
  EXPECT_EQ(RichLines(l), (std::vector<std::string>{"abcd", "ef"}));
}

TEST(RichText, ScrollingShowsLinesFromFirstLineAndSetsCompleteOnlyAtTheEnd) {
  std::vector<std::string> paras = {"l0", "l1", "l2", "l3", "l4"};
  RichTextRules rules{10, 0, false};
  RichLayout l = LayoutRichText(paras, rules, 2, 3);
  EXPECT_EQ(RichLines(l), (std::vector<std::string>{"l2", "l3", "l4"}));
  EXPECT_TRUE(l.complete);
  paras.push_back("l5");
  l = LayoutRichText(paras, rules, 2, 3);
  EXPECT_EQ(RichLines(l), (std::vector<std::string>{"l2", "l3", "l4"}));
  EXPECT_FALSE(l.complete);
  EXPECT_TRUE(LayoutRichText(paras, rules, 3, 3).complete);
}

TEST(RichText, DamagedTextNeverRunsPastItsEnd) {
  // A lead byte or "<" as the last byte, and a zero line width, stay in bounds and finish.
  std::string tail = "ab";
  tail += static_cast<char>(0xB0);
  EXPECT_TRUE(Lay(tail, 10).complete);
  EXPECT_TRUE(Lay("ab<", 10).complete);
  EXPECT_EQ(RichLines(Lay("abc", 0)).size(), 3u);
}

TEST(RichText, TalkPageSlashEndsColourWhateverFollows) {
  RichLayout l = LayoutRichText({"<2ab/xcd"}, RichTextRules{64, 0, true});
  ASSERT_EQ(l.pieces.size(), 2u);
  EXPECT_EQ(l.pieces[0].text, "ab");
  EXPECT_EQ(l.pieces[1].text, "cd");
  EXPECT_EQ(l.pieces[1].color, 0u);
  // The working copy stops at 255 bytes and never keeps half a character.
  std::string longText(254, 'a');
  longText += Gbk(u8"字");
  EXPECT_EQ(TalkPage::WorkingText(longText).size(), 254u);
}

TEST(HintBox, PlacementKeepsTheBoxOnScreen) {
  const int w = 150, h = 20;
  HintPlacement p = PlaceHint(2, 100, w, h, 3);
  EXPECT_EQ(p.box.left, 4 - 3);
  EXPECT_EQ(p.textX, 4 + w / 2 + 2);
  p = PlaceHint(600, 100, w, h, 3);
  EXPECT_EQ(p.box.right, 635 - w + w + 3);
  EXPECT_EQ(p.box.right - 3, 635);
  p = PlaceHint(100, 100, w, h, 3);
  EXPECT_EQ(p.box, (Rect{97, 100, 253, 164}));
  // Too low: moved up so that it ends above the bottom edge.
  p = PlaceHint(100, 460, w, h, 3);
  EXPECT_EQ(p.box.top, 473 - 60);
  Rect tip = PlaceLineTip(630, 470, 5, 8, 18);
  EXPECT_EQ(tip.right, 635);
  EXPECT_EQ(tip.bottom, 475);
}

}  // namespace
}  // namespace isora
