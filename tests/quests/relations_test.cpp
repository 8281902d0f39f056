#include "quests/relations.h"

#include <gtest/gtest.h>

#include "foundation/gbk.h"
#include "support/recording_hooks.h"

namespace isora {
namespace {

class RelationsTest : public ::testing::Test {
 protected:
  test::RecordingHooks hooks;
  std::vector<std::string> shown;
  Relations rel{[this](const std::string& t) { shown.push_back(t); }};
};

TEST_F(RelationsTest, FeudAtFiftyWithMessageAndNote) {
  rel.ChangeEnmity("Wolves", 45, true);
  EXPECT_TRUE(shown.empty());
  rel.ChangeEnmity("Wolves", 5, true);
  EXPECT_EQ(rel.GetEnmity("Wolves"), 50);
  EXPECT_EQ(shown, std::vector<std::string>{Gbk(u8"我与Wolves结怨，以后可要多多提防")});
  ASSERT_EQ(rel.notes.size(), 1u);
  EXPECT_EQ(
      rel.notes[0],
      "* " + Gbk(u8"我与<2Wolves/>结怨，现在Wolves的人见到我就会来找我的麻烦，以后可要多多提防了"));
  rel.ChangeEnmity("Wolves", 10, true);
  EXPECT_EQ(rel.GetEnmity("Wolves"), 60);
  EXPECT_EQ(shown.size(), 1u);
  EXPECT_EQ(hooks.debugOutput.back(), "Wolves's enmity:60\n");
}

TEST_F(RelationsTest, PeaceBelowFifty) {
  rel.ChangeEnmity("Wolves", 55, true);
  shown.clear();
  rel.ChangeEnmity("Wolves", 10, false);
  EXPECT_EQ(rel.GetEnmity("Wolves"), 45);
  EXPECT_EQ(shown, std::vector<std::string>{Gbk(u8"我与Wolves和解，不过最近还是少去惹他们为好")});
  EXPECT_EQ(rel.notes[0], "* " + Gbk(u8"我与<2Wolves/>和解，不用再担心Wolves的人见我就找我的麻烦，"
                                     u8"不过最近还是少去惹他们为好"));
  rel.ChangeEnmity("Wolves", 10, false);
  EXPECT_EQ(shown.size(), 1u);
}

TEST_F(RelationsTest, FactionsJoinOnceAndLeaveAnEmptyEntry) {
  EXPECT_EQ(rel.JoinFaction("Guild"), 1);
  EXPECT_EQ(rel.JoinFaction("Guild"), 0);
  EXPECT_EQ(rel.LeaveFaction("Guild"), 1);
  EXPECT_EQ(rel.LeaveFaction("Guild"), 0);
  EXPECT_EQ(rel.JoinFaction("Guild"), 1);
  EXPECT_EQ(rel.playerFactions, (std::vector<std::string>{"", "Guild"}));
}

TEST_F(RelationsTest, ReadsNeverCreateEntries) {
  EXPECT_EQ(rel.GetLove("Ann"), 0);
  EXPECT_EQ(rel.GetVip("flag"), 0);
  EXPECT_EQ(rel.GetEnmity("Wolves"), 0);
  EXPECT_TRUE(rel.loveDegrees.empty());
  EXPECT_TRUE(rel.vipInfo.empty());
  EXPECT_TRUE(rel.factionEnmity.empty());
  rel.ChangeLove("Ann", 5, false);
  EXPECT_EQ(rel.GetLove("Ann"), -5);
  EXPECT_EQ(hooks.debugOutput.back(), "Ann's love degree:-5\n");
  rel.SetVip("flag", 3);
  EXPECT_EQ(rel.GetVip("flag"), 3);
}

TEST_F(RelationsTest, NotesNewestFirstHonoursInOrder) {
  rel.AddNote("A");
  rel.AddNote("B");
  EXPECT_EQ(rel.notes, (std::vector<std::string>{"* B", "* A"}));
  rel.AddHonour("first");
  rel.AddHonour("second");
  EXPECT_EQ(rel.honours, (std::vector<std::string>{"first", "second"}));
  rel.ChangeLove("Ann", 1, true);
  rel.ResetForNewGame();
  EXPECT_TRUE(rel.notes.empty());
  EXPECT_TRUE(rel.loveDegrees.empty());
}

TEST_F(RelationsTest, TablesAreOrderedByBytes) {
  rel.SetVip("b", 1);
  rel.SetVip("\xC4\xE3", 2);  // high bytes sort after ASCII
  rel.SetVip("a", 3);
  std::vector<std::string> keys;
  for (const auto& [k, v] : rel.vipInfo) keys.push_back(k);
  EXPECT_EQ(keys, (std::vector<std::string>{"a", "b", "\xC4\xE3"}));
}

}  // namespace
}  // namespace isora
