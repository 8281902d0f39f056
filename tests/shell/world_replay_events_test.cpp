// Replay events named in world terms: how they read, and the state conditions waits use.
#include <gtest/gtest.h>

#include "shell/replay.h"
#include "shell/state_query.h"

namespace isora {
namespace {

TEST(WorldReplayEvents, ReadWithNamesThatHoldBlanks) {
  std::vector<ReplayEvent> ev;
  std::string error;
  ASSERT_TRUE(
      ParseReplay("@1 point role Town Guard \n@2 point cell 3 40\n"
                  "@3 point item Red Potion\n@4 wait 300 /message/text has \"a, b\"\n",
                  &ev, &error))
      << error;
  ASSERT_EQ(ev.size(), 4u);
  EXPECT_EQ(ev[0].kind, ReplayEvent::Kind::kPointRole);
  EXPECT_EQ(ev[0].name, "Town Guard");
  EXPECT_EQ(ev[1].kind, ReplayEvent::Kind::kPointCell);
  EXPECT_EQ(ev[1].x, 3);
  EXPECT_EQ(ev[1].y, 40);
  EXPECT_EQ(ev[2].name, "Red Potion");
  EXPECT_EQ(ev[3].kind, ReplayEvent::Kind::kWait);
  EXPECT_EQ(ev[3].x, 300);
  EXPECT_EQ(ev[3].name, "/message/text has \"a, b\"");
  for (const char* bad :
       {"@1 point role\n", "@1 point cell 3\n", "@1 point cell 3 4 5\n", "@1 point cell -1 2\n",
        "@1 point npc Wolf\n", "@1 point\n", "@1 wait /player/hp > 3\n", "@1 wait 0 /a == 1\n",
        "@1 wait 10 player/hp > 3\n", "@1 wait 10 /a ~ 1\n", "@1 wait 10 /a == [1]\n",
        "@1 wait 10 /a == \"open\n", "@1 wait 10 /a ==\n"}) {
    std::vector<ReplayEvent> none;
    EXPECT_FALSE(ParseReplay(bad, &none, &error)) << bad;
    EXPECT_EQ(error.rfind("line 1: ", 0), 0u) << error;
  }
}

TEST(WorldReplayEvents, ConditionsReadTheDumpAsJson) {
  const std::string dump =
      R"({"mode": "ModePlay", "player": {"hp": 42, "name": "A \"b\"/c", "skills": [1, 7]},)"
      R"( "npcs": [{"name": "Wolf", "hp": 0.5}, {"name": "Elder", "x~y": true, "a/b": null}],)"
      R"( "empty": {}, "list": []})";
  const struct {
    const char* condition;
    bool holds;
  } cases[] = {
      {"/mode == \"ModePlay\"", true},
      {"/mode != \"ModePlay\"", false},
      {"/player/hp == 42", true},
      {"/player/hp == 42.0", true},
      {"/player/hp < 42", false},
      {"/player/hp <= 42", true},
      {"/player/hp > 41", true},
      {"/player/hp >= 43", false},
      {"/player/name has \"\\\"b\"", true},
      {"/player/name == \"A \\\"b\\\"/c\"", true},
      {"/player/skills has 7", true},
      {"/player/skills has 2", false},
      {"/npcs/1/name == \"Elder\"", true},
      {"/npcs/0/hp < 1", true},
      {"/npcs/2/name == \"Elder\"", false},
      {"/npcs/x/name == \"Elder\"", false},
      {"/npcs/1/x~0y == true", true},
      {"/npcs/1/a~1b == null", true},
      {"/mode < 3", false},
      {"/player/missing == null", false},
      {"/empty/a == 1", false},
      {"/list/0 == 1", false},
  };
  for (const auto& c : cases) {
    StateCondition condition;
    std::string error, found;
    ASSERT_TRUE(ParseStateCondition(c.condition, &condition, &error)) << c.condition << error;
    EXPECT_EQ(StateConditionHolds(condition, dump, &found), c.holds) << c.condition;
  }
  StateCondition condition;
  std::string error, found;
  ASSERT_TRUE(ParseStateCondition("/player/hp > 50", &condition, &error));
  EXPECT_FALSE(StateConditionHolds(condition, dump, &found));
  EXPECT_EQ(found, "42");
  // A damaged or endlessly nested dump is no match, never a crash.
  EXPECT_FALSE(StateConditionHolds(condition, R"({"player": {"hp": )", &found));
  EXPECT_FALSE(StateConditionHolds(condition, std::string(100000, '['), &found));
}

}  // namespace
}  // namespace isora
