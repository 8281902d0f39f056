#include "foundation/game_texts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "foundation/gbk.h"
#include "foundation/ini_file.h"

namespace isora {
namespace {

IniFile Strings(const std::string& utf8Body) {
  std::string gbk = Utf8ToGbk("[strings]\r\n" + utf8Body);
  IniFile ini;
  ini.LoadBytes(std::span(reinterpret_cast<const uint8_t*>(gbk.data()), gbk.size()));
  return ini;
}

TEST(GameTexts, BuiltInTextsAreTheDesignedBytesUnderStableUniqueNames) {
  GameTexts texts;
  EXPECT_EQ(texts.Get(TextId::kFeudMessage), Gbk(u8"我与%s结怨，以后可要多多提防"));
  EXPECT_EQ(texts.Get(TextId::kPeaceNote),
            Gbk(u8"我与<2%s/>和解，不用再担心%s的人见我就找我的麻烦，不过最近还是少去惹他们为好"));
  EXPECT_EQ(texts.Get(TextId::kMpTooLow), "My MP is not enough, I cann't use current skill now.");
  EXPECT_EQ(texts.Get(TextId::kNoteEmpty), "");
  std::set<std::string> names;
  for (const TextEntry& e : GameTexts::Entries()) {
    EXPECT_TRUE(names.insert(e.name).second) << e.name;
    EXPECT_EQ(GameTexts::Find(e.name), &e);
  }
  EXPECT_EQ(names.size(), static_cast<size_t>(TextId::kCount));
  EXPECT_EQ(GameTexts::Find("message.no_such_text"), nullptr);
}

TEST(GameTexts, ReplacementsTakeTheirPlaceAndTheRestStayBuiltIn) {
  GameTexts texts;
  std::vector<std::string> refused =
      texts.Load(Strings("message.feud=The %s are my enemies now.\r\n"
                         "result.stats=Lv %d Atk %d Def %d\\nHit %d HP %d MP %d Kills %d\r\n"
                         "panel.honour_empty=Deeds fill this page.\r\n"
                         "message.bag_full=\r\n"));
  EXPECT_TRUE(refused.empty());
  EXPECT_EQ(texts.Get(TextId::kFeudMessage), "The %s are my enemies now.");
  EXPECT_EQ(texts.Get(TextId::kResultStats), "Lv %d Atk %d Def %d\nHit %d HP %d MP %d Kills %d");
  EXPECT_EQ(texts.Get(TextId::kHonourEmpty), "Deeds fill this page.");
  EXPECT_EQ(texts.Get(TextId::kBagFull), "My bag is full.");  // empty: kept
  EXPECT_EQ(texts.Get(TextId::kFeudNote), GameTexts::BuiltIn(TextId::kFeudNote));
  texts.Reset();
  EXPECT_EQ(texts.Get(TextId::kFeudMessage), GameTexts::BuiltIn(TextId::kFeudMessage));
}

// A replacement that reads other values than the game passes would print garbage or read a
// number as a text; it is refused, named, and the built-in text stays.
TEST(GameTexts, ReplacementsWithOtherValuesAreRefused) {
  GameTexts texts;
  std::vector<std::string> refused =
      texts.Load(Strings("message.feud=%d enemies\r\n"      // a number for the faction's name
                         "note.feud=only once: %s\r\n"      // one name where the game gives two
                         "message.game_saved=Saved %s\r\n"  // a value where there is none
                         "result.score=Score: %5d points (100%%)\r\n"  // width and %% are fine
                         "message.level_up=Up!\r\n"));
  ASSERT_EQ(refused.size(), 3u);
  EXPECT_EQ(refused[0].rfind("message.game_saved:", 0), 0u) << refused[0];
  EXPECT_EQ(refused[1].rfind("message.feud:", 0), 0u) << refused[1];
  EXPECT_EQ(refused[2].rfind("note.feud:", 0), 0u) << refused[2];
  EXPECT_EQ(texts.Get(TextId::kFeudMessage), GameTexts::BuiltIn(TextId::kFeudMessage));
  EXPECT_EQ(texts.Get(TextId::kGameSaved), "Game Data Saved.");
  EXPECT_EQ(texts.Get(TextId::kResultScore), "Score: %5d points (100%%)");
  EXPECT_EQ(texts.Get(TextId::kLevelUp), "Up!");
}

TEST(GameTexts, ConversionsAndLineBreaksReadWholeGbkCharacters) {
  EXPECT_EQ(FormatConversions("a %s b %-3d c %% d %ld"), "sdd");
  EXPECT_EQ(FormatConversions("100%"), "%");
  // 乗 is 0x81 0x5C in GBK: its second byte is a backslash, which must not start "\n".
  const std::string table = Gbk(u8"乗");
  ASSERT_EQ(table.size(), 2u);
  ASSERT_EQ(table[1], '\\');
  GameTexts texts;
  texts.Load(Strings(reinterpret_cast<const char*>(u8"message.level_up=乗n\\n乗\r\n")));
  EXPECT_EQ(texts.Get(TextId::kLevelUp), table + "n\n" + table);
  // A GBK character whose second byte is '%' cannot be: trail bytes start at 0x40. But a lead
  // byte before "%s" must not swallow the conversion.
  EXPECT_EQ(FormatConversions(Gbk(u8"我与%s结怨")), "s");
}

}  // namespace
}  // namespace isora
