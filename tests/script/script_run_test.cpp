// Whole scripts through the recording host, read as `isora-kit script run` prints them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/gbk.h"
#include "foundation/win_format.h"
#include "lib/recording_host.h"
#include "script/script_engine.h"
#include "support/fixed_clock.h"

namespace isora {
namespace {

std::string Crlf(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

ScriptRunResult RunText(const std::string& text, std::vector<int32_t> answers = {}) {
  RecordingHost host;
  ScriptEngine engine;
  engine.CreateFromText("test.gsp", host, text);
  return RunScriptRecorded(engine, host, answers);
}

class NewGameScriptTest : public ::testing::Test {
 protected:
  const std::string welcome_ = Gbk(u8"欢迎来到小镇");
  const std::string script_ = Crlf(
      {"// new game", "LoadInitialMap(\"start.map\",0-2,0-2,5)", "SetInt(ans,0)", "SetInt(m,0)",
       "Say(Li,\"" + welcome_ + "\",\"face\\li.bmp\")", "Ask(Li,\"Help me?\",NULL,ans)", "if(ans)",
       "  AddMoney(150)", "  SubMoney(20)", "  GetMoney(m)", "else", "  SubMoral(5)", "endif",
       "GetMoral(m)", "CmpMapName(start.map,m)", "Rain()", "PlayMusic(\"\")", "exit"});
  const std::string head_ = "LoadInitialMap(\"start.map\", -2, -2, 5)\nwait\nSay(\"Li\", \"" +
                            welcome_ +
                            "\", \"face\\li.bmp\")\nwait\nAsk(\"Li\", \"Help me?\", \"NULL\", "
                            "\"ans\")\nwait\n";
};

TEST_F(NewGameScriptTest, AnswerYesTakesTheIfBranch) {
  ScriptRunResult run = RunText(script_);
  EXPECT_EQ(run.status, ScriptRunResult::kFinished);
  EXPECT_EQ(run.output, head_ +
                            "AddMoney(150)\nSubMoney(20)\nGetMoney(\"m\") -> 130\n"
                            "GetMoral(\"m\") -> 50\nCmpMapName(\"start.map\", \"m\") -> 1\n"
                            "Rain()\nPlayMusic(\"\")\nfinished\n");
  EXPECT_EQ(run.log, "");
}

TEST_F(NewGameScriptTest, AnswerNoTakesTheElseBranch) {
  ScriptRunResult run = RunText(script_, {0});
  EXPECT_EQ(run.output, head_ +
                            "SubMoral(5)\nGetMoral(\"m\") -> 45\n"
                            "CmpMapName(\"start.map\", \"m\") -> 1\nRain()\nPlayMusic(\"\")\n"
                            "finished\n");
}

TEST(ScriptRunTest, AFailingCommandPrintsNothingAndTheRunEndsFailed) {
  ScriptRunResult run = RunText(Crlf({"AddMoney(5)", "Say(Li,5,NULL)", "AddMoney(6)", "end"}));
  EXPECT_EQ(run.status, ScriptRunResult::kFailed);
  EXPECT_EQ(run.output, "AddMoney(5)\nfailed\n");
  EXPECT_EQ(run.log, WinFormat(Gbk(u8"脚本第 %d 行错误:第 %d 个参数必须是字符串\n").c_str(), 2, 2));
}

TEST(ScriptRunTest, UnpairedBlocksFailTheLoad) {
  ScriptRunResult run = RunText(Crlf({"if(1)", "Rain", "end"}));
  EXPECT_EQ(run.status, ScriptRunResult::kLoadFailed);
  EXPECT_EQ(run.output, "load failed\n");
  EXPECT_EQ(run.log, "ERROR:The counts of 'if'/'else' and 'endif' are not in pairs.\n");
}

TEST(ScriptRunTest, CollectMissionCountsCarriedPiecesAndAutoChecks) {
  ScriptRunResult run = RunText(Crlf(
      {"SetInt(r,0)", "AddPlayerItem(apple,1)", "AddMission(m1,\"Get apples\",0,apple,2,1,1)",
       "GetMissionObjCount(m1,r)", "AddPlayerItem(apple,1)", "CheckMission(m1,r)",
       "RemovePlayerItem(apple,5)", "GetMissionObjCount(m1,r)", "CheckMission(nope,r)", "end"}));
  EXPECT_EQ(run.output,
            "AddPlayerItem(\"apple\", 1)\n"
            "AddMission(\"m1\", \"Get apples\", 0, \"apple\", 2, 1, 1)\n"
            "GetMissionObjCount(\"m1\", \"r\") -> 1\n"
            "AddPlayerItem(\"apple\", 1)\n"
            "CheckMission(\"m1\", \"r\") -> 2\n"
            "RemovePlayerItem(\"apple\", 5)\n"
            "GetMissionObjCount(\"m1\", \"r\") -> -2\n"
            "CheckMission(\"nope\", \"r\") -> 4\n"
            "finished\n");
}

TEST(ScriptRunTest, RelationsAndRandomNumbersAnswerConsistently) {
  test::InstalledClock clock(86400);
  ScriptRunResult run = RunText(
      Crlf({"SetInt(v,0)", "AddGirlLove(Mei,7)", "SubGirlLove(Mei,2)", "GetGirlLove(Mei,v)",
            "GetGirlLove(Lan,v)", "SetVIPInfo(door,3)", "GetVIPInfo(door,v)", "GetRandomNum(1,v)",
            "AddNPC(Wang,1,2)", "ShowNPCTalk(Wang)", "DelNPC(Wang)", "ShowNPCTalk(Wang)", "end"}));
  EXPECT_EQ(run.output,
            "AddGirlLove(\"Mei\", 7)\nSubGirlLove(\"Mei\", 2)\nGetGirlLove(\"Mei\", \"v\") -> 5\n"
            "GetGirlLove(\"Lan\", \"v\") -> 0\nSetVIPInfo(\"door\", 3)\n"
            "GetVIPInfo(\"door\", \"v\") -> 3\nGetRandomNum(1, \"v\") -> 0\n"
            "AddNPC(\"Wang\", 1, 2)\nShowNPCTalk(\"Wang\")\nwait\nDelNPC(\"Wang\")\n"
            "ShowNPCTalk(\"Wang\")\nfinished\n");
}

}  // namespace
}  // namespace isora

namespace isora {
namespace {

TEST(ScriptRunTest, HugeItemCountsStopWhenTheBagIsFull) {
  RecordingHost host;
  host.bagCapacity = 5;
  ScriptEngine engine;
  engine.CreateFromText(
      "t", host,
      Crlf({"SetInt(r,0)", "AddMission(m,\"d\",2,\"\",3,0,0)", "AddPlayerItem(apple,2000000000)",
            "GetMissionObjCount(m,r)", "RemovePlayerItem(apple,2000000000)", "end"}));
  ScriptRunResult run = RunScriptRecorded(engine, host, {});
  EXPECT_EQ(run.status, ScriptRunResult::kFinished);
  EXPECT_EQ(engine.LookupVariable("r"), 5);
  EXPECT_EQ(host.bag["apple"], 0);
}

}  // namespace
}  // namespace isora
