// isora-kit script run seeded with the state a branch needs, and script check naming lines
// both as the file and as the game's log counts them.
#include <gtest/gtest.h>

#include "kit_runner.h"

namespace isora {
namespace {

using kit_test::RunKit;

constexpr const char* kBranches =
    "SetInt(v,0)\n"
    "GetVIPInfo(gate open,v)\n"
    "if(v==1)\n"
    "ShowTip(\"open\")\n"
    "endif\n"
    "CheckMission(Wolves,v)\n"
    "if(v==2)\n"
    "ShowTip(\"done before\")\n"
    "endif\n"
    "GetMoney(v)\n"
    "GetMissionObjCount(Wolves,v)\n"
    "RemovePlayerItem(Red Potion,2)\n"
    "GetMoral(v)\n"
    "end\n";

TEST(KitScriptRun, SeedsNamedValuesItemsMissionsMoneyAndMoral) {
  kit_test::KitFolder dir;
  test::WriteFile("b.gsp", kBranches);
  kit_test::KitResult r = RunKit("script run --source b.gsp");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.find("ShowTip"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("CheckMission(\"Wolves\", \"v\") -> 4"), std::string::npos) << r.out;

  r = RunKit(
      "script run --source b.gsp --vip 'gate open=1' --mission Wolves=done --money 75 "
      "--item 'Red Potion=3' --moral 5");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("GetVIPInfo(\"gate open\", \"v\") -> 1\nShowTip(\"open\")"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("CheckMission(\"Wolves\", \"v\") -> 2\nShowTip(\"done before\")"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("GetMoney(\"v\") -> 75"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("GetMoral(\"v\") -> 5"), std::string::npos) << r.out;

  r = RunKit("script run --source b.gsp --mission Wolves=completed");
  EXPECT_NE(r.out.find("CheckMission(\"Wolves\", \"v\") -> 1"), std::string::npos) << r.out;
  r = RunKit("script run --source b.gsp --mission Wolves=finished");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("open, completed or done"), std::string::npos) << r.err;
  r = RunKit("script run --source b.gsp --item 'Red Potion'");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("--item wants NAME=NUMBER"), std::string::npos) << r.err;
}

TEST(KitScriptCheck, NamesTheLineAsTheGameLogCountsIt) {
  kit_test::KitFolder dir;
  test::WriteFile("c.gsp", "// a comment\n\nSetInt(a,1)\nif (a==1)\nend\n");
  const kit_test::KitResult r = RunKit("script check --source c.gsp");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            "c.gsp:4: error: unknown command 'if ' (blanks are part of the name) (the game's log "
            "calls it line 2)\n");
}

}  // namespace
}  // namespace isora
