#include "script/script_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/gbk.h"
#include "foundation/random_generator.h"
#include "foundation/win_format.h"
#include "lib/package_writer.h"
#include "lib/recording_host.h"
#include "script/script_observer.h"
#include "support/fixed_clock.h"
#include "support/recording_hooks.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

std::string Crlf(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

class Capture : public ScriptObserver {
 public:
  void OnCall(const ScriptCall& call) override { calls.push_back(FormatScriptCall(call)); }
  void OnLog(const std::string& text) override { logs.push_back(text); }
  std::vector<std::string> calls;
  std::vector<std::string> logs;
};

class ScriptEngineTest : public ::testing::Test {
 protected:
  int Start(const std::string& text) {
    engine_.CreateFromText("test.gsp", host_, text);
    engine_.SetObserver(&capture_);
    return engine_.Run();
  }
  // Clears a wait as the game does and resumes.
  void Continue() {
    ASSERT_EQ(engine_.IsWaiting(), 1);
    engine_.SetWaiting(0);
    EXPECT_EQ(engine_.Resume(), 1);
  }

  RecordingHost host_;
  ScriptEngine engine_;
  Capture capture_;
};

TEST_F(ScriptEngineTest, AScriptOfCommentsRunsIntoItsEndAtOnce) {
  EXPECT_EQ(Start("// nothing here\r\n\r\n   \r\n"), 1);
  EXPECT_EQ(engine_.IsFinished(), 1);
  EXPECT_FALSE(engine_.EndedByError());
  EXPECT_TRUE(capture_.logs.empty());
}

TEST_F(ScriptEngineTest, RunningPastTheLastLineEndsTheScript) {
  EXPECT_EQ(Start(Crlf({"AddMoney(5)", "AddMoney(6)"})), 1);
  EXPECT_EQ(engine_.IsFinished(), 1);
  EXPECT_FALSE(engine_.EndedByError());
  EXPECT_EQ(host_.money, 11);
}

TEST_F(ScriptEngineTest, SayWaitsAndResumeStartsAtTheNextLine) {
  EXPECT_EQ(Start(Crlf({"  Say(\"Li\",\"Hi\",NULL)", "AddMoney(3)", "Say(Li,\"Bye\",NULL)",
                        "AddMoney(4)", "end", "AddMoney(100)"})),
            1);
  EXPECT_EQ(engine_.IsFinished(), 0);
  EXPECT_EQ(engine_.CurrentLine(), 1);
  EXPECT_EQ(host_.money, 0);
  Continue();
  EXPECT_EQ(host_.money, 3);
  EXPECT_EQ(engine_.CurrentLine(), 3);
  Continue();
  EXPECT_EQ(engine_.IsFinished(), 1);
  EXPECT_EQ(host_.money, 7);
  EXPECT_EQ(capture_.calls,
            (std::vector<std::string>{"Say(\"Li\", \"Hi\", \"NULL\")", "AddMoney(3)",
                                      "Say(\"Li\", \"Bye\", \"NULL\")", "AddMoney(4)"}));
}

TEST_F(ScriptEngineTest, LineLengthLimitIs248BeforeBlanksAreRemoved) {
  std::string tip = "ShowTip(\"" + std::string(248 - 4 - 11, 'x') + "\")";
  EXPECT_EQ(Start(Crlf({("    " + tip).c_str(), "end"})), 1);
  EXPECT_EQ(capture_.calls.size(), 1u);

  ScriptEngine longer;
  longer.CreateFromText("t", host_, Crlf({("     " + tip).c_str(), "end"}));
  EXPECT_EQ(longer.Run(), 0);
}

TEST_F(ScriptEngineTest, MoreThan150LinesIsRefusedWithALogLine) {
  std::string text;
  for (int i = 0; i < 151; ++i) text += "Rain\r\n";
  EXPECT_EQ(Start(text), 0);
  ASSERT_EQ(capture_.logs.size(), 1u);
  EXPECT_EQ(capture_.logs[0], "ERROR:script test.gsp has more than 150 lines.");
  EXPECT_TRUE(capture_.calls.empty());

  ScriptEngine full;
  text.resize(text.size() - 6);
  full.CreateFromText("t", host_, text);
  EXPECT_EQ(full.Run(), 1);
}

TEST_F(ScriptEngineTest, BlockErrorsFailRunWithTheirTexts) {
  EXPECT_EQ(Start(Crlf({"Rain", "endif", "end"})), 0);
  ASSERT_EQ(capture_.logs.size(), 1u);
  EXPECT_EQ(capture_.logs[0],
            "ERROR:The counts of if/else/endif is out of the range of the stack,or there is an "
            "unwanted /'endif/'");
  EXPECT_TRUE(capture_.calls.empty());  // nothing runs when pairing fails

  ScriptEngine open;
  open.CreateFromText("t", host_, Crlf({"if(1)", "Rain", "end"}));
  open.SetObserver(&capture_);
  EXPECT_EQ(open.Run(), 0);
  EXPECT_EQ(capture_.logs.back(), "ERROR:The counts of 'if'/'else' and 'endif' are not in pairs.");
}

TEST_F(ScriptEngineTest, MissingParenReportsLineZeroAndCommandErrorsLineOne) {
  EXPECT_EQ(Start(Crlf({"Say(\"a\",\"b\"", "end"})), 1);
  EXPECT_TRUE(engine_.IsFinished());
  EXPECT_TRUE(engine_.EndedByError());
  ASSERT_EQ(capture_.logs.size(), 1u);
  EXPECT_EQ(capture_.logs[0],
            "error 0 line:script command error,a script command must contain ')'.");

  ScriptEngine bad;
  Capture badLog;
  bad.CreateFromText("t", host_, Crlf({"Say(5,\"b\",NULL)", "end"}));
  bad.SetObserver(&badLog);
  EXPECT_EQ(bad.Run(), 1);
  ASSERT_EQ(badLog.logs.size(), 1u);
  EXPECT_EQ(badLog.logs[0],
            WinFormat(Gbk(u8"脚本第 %d 行错误:第 %d 个参数必须是字符串\n").c_str(), 1, 1));
}

TEST_F(ScriptEngineTest, UnknownCommandStopsTheScript) {
  EXPECT_EQ(Start(Crlf({"AddMoney(1)", "else ", "AddMoney(2)", "end"})), 1);
  EXPECT_TRUE(engine_.EndedByError());
  EXPECT_EQ(host_.money, 1);
  ASSERT_EQ(capture_.logs.size(), 1u);
  EXPECT_EQ(capture_.logs[0],
            WinFormat(Gbk(u8"第 %d 行错误：不存在脚本指令%s\n").c_str(), 2, "else "));
}

TEST_F(ScriptEngineTest, TooManyArgumentsFailTheLine) {
  std::string line = "AddMoney(1";
  for (int i = 0; i < 29; ++i) line += ",1";
  line += ")";
  EXPECT_EQ(Start(Crlf({line.c_str(), "end"})), 1);
  EXPECT_TRUE(engine_.EndedByError());
  EXPECT_EQ(host_.money, 0);
  ASSERT_EQ(capture_.logs.size(), 1u);
  EXPECT_NE(capture_.logs[0].find("at most 29 arguments"), std::string::npos) << capture_.logs[0];
}

TEST_F(ScriptEngineTest, MissingArgumentsReadAsEmptyText) {
  // An older line's arguments never leak into a shorter line.
  EXPECT_EQ(Start(Crlf({"Say(\"a\",\"b\",NULL)", "Say(\"a\",\"b\")", "end"})), 1);
  Continue();
  EXPECT_TRUE(engine_.EndedByError());
  ASSERT_EQ(capture_.logs.size(), 1u);
  EXPECT_EQ(capture_.logs[0],
            WinFormat(Gbk(u8"脚本第 %d 行错误:第 %d 个参数必须是字符串\n").c_str(), 2, 3));
  ASSERT_EQ(capture_.calls.size(), 1u);

  ScriptEngine money;
  money.CreateFromText("t", host_, Crlf({"AddMoney()", "end"}));
  EXPECT_EQ(money.Run(), 1);
  EXPECT_TRUE(money.EndedByError());
}

TEST_F(ScriptEngineTest, IfElseBranchesOnVariables) {
  EXPECT_EQ(Start(Crlf({"SetInt(a,2)", "if(a==2)", "  AddMoney(1)", "  if(a>5)", "    AddMoney(10)",
                        "  else", "    AddMoney(100)", "  endif", "else", "  AddMoney(1000)",
                        "endif", "SetInt(a,0)", "if(a)", "AddMoney(5000)", "endif", "end"})),
            1);
  EXPECT_FALSE(engine_.EndedByError());
  EXPECT_EQ(host_.money, 101);
  EXPECT_EQ(engine_.LookupVariable("a"), 0);
  EXPECT_EQ(engine_.Variables().size(), 1u);
}

TEST_F(ScriptEngineTest, SetIntWithAFailedValueEndsTheScript) {
  EXPECT_EQ(Start(Crlf({"SetInt(a,0-1)", "AddMoney(1)", "end"})), 1);
  EXPECT_TRUE(engine_.EndedByError());
  EXPECT_FALSE(engine_.HasVariable("a"));
  EXPECT_EQ(host_.money, 0);
}

TEST_F(ScriptEngineTest, ExitInsideAnIfEndsTheScript) {
  EXPECT_EQ(Start(Crlf({"if(1)", "exit", "endif", "AddMoney(1)", "end"})), 1);
  EXPECT_EQ(engine_.IsFinished(), 1);
  EXPECT_FALSE(engine_.EndedByError());
  EXPECT_EQ(host_.money, 0);
}

TEST_F(ScriptEngineTest, ElseWithParenthesesHasNoBlockAndFails) {
  // "else()" is no else line, so the if pairs with the endif and the else runs as a command.
  EXPECT_EQ(Start(Crlf({"if(1)", "AddMoney(1)", "else()", "AddMoney(2)", "endif", "end"})), 1);
  EXPECT_TRUE(engine_.EndedByError());
  EXPECT_EQ(host_.money, 1);
  ASSERT_EQ(capture_.logs.size(), 1u);
  EXPECT_NE(capture_.logs[0].find("'else' must stand alone"), std::string::npos);
}

TEST_F(ScriptEngineTest, AskNeedsAnExistingVariableAndTakesTheAnswer) {
  EXPECT_EQ(Start(Crlf({"Ask(Li,\"Go?\",NULL,ans)", "end"})), 1);
  EXPECT_TRUE(engine_.EndedByError());
  EXPECT_TRUE(host_.answerVariable.empty());  // the dialog never opened
  EXPECT_TRUE(capture_.logs.empty());

  ScriptEngine e;
  e.CreateFromText("t", host_,
                   Crlf({"SetInt(ans,7)", "Ask(Li,\"Go?\",NULL,ans)", "if(ans==0)", "AddMoney(9)",
                         "endif", "end"}));
  EXPECT_EQ(e.Run(), 1);
  EXPECT_EQ(host_.answerVariable, "ans");
  EXPECT_EQ(e.SetVariable(host_.answerVariable, 0), 1);
  e.SetWaiting(0);
  e.Resume();
  EXPECT_TRUE(e.IsFinished());
  EXPECT_EQ(host_.money, 9);
}

TEST_F(ScriptEngineTest, AddMissionRefusesKindsAboveTwo) {
  EXPECT_EQ(Start(Crlf({"Rain", "AddMission(m,\"d\",3,apple,1,0,0)", "end"})), 1);
  EXPECT_TRUE(engine_.EndedByError());
  EXPECT_EQ(host_.missions.Count(), 0);
  ASSERT_EQ(capture_.logs.size(), 1u);
  EXPECT_EQ(capture_.logs[0],
            WinFormat(Gbk(u8"脚本第 %d 行错误：第 3 个参数的取值应在0与2之间\n").c_str(), 2));

  ScriptEngine e;
  e.CreateFromText("t", host_, Crlf({"AddMission(m,\"d\",0-2,apple,1,0,0)", "end"}));
  EXPECT_EQ(e.Run(), 1);
  EXPECT_FALSE(e.EndedByError());
  ASSERT_EQ(host_.missions.Count(), 1);
  EXPECT_EQ(host_.missions.Missions()[0].kind, -2);
}

TEST_F(ScriptEngineTest, ResultCommandsStoreIntoTheirVariable) {
  EXPECT_EQ(Start(Crlf({"SetInt(r,0)", "AddMission(m,\"d\",0,apple,2,0,0)",
                        "AddPlayerItem(apple,2)", "CheckMission(m,r)", "SetInt(first,r)",
                        "CheckMission(m,r)", "GetMoney(nope)", "end"})),
            1);
  EXPECT_TRUE(engine_.EndedByError());  // the last result variable does not exist
  EXPECT_EQ(engine_.LookupVariable("first"), 1);
  EXPECT_EQ(engine_.LookupVariable("r"), 2);
  EXPECT_EQ(capture_.calls.back(), "CheckMission(\"m\", \"r\") -> 2");
}

TEST_F(ScriptEngineTest, GetRandomNumStoresTheSecondDrawOfAClockSeededGenerator) {
  test::InstalledClock clock(1234567);
  EXPECT_EQ(Start(Crlf({"SetInt(r,5)", "GetRandomNum(1,r)", "SetInt(one,r)", "GetRandomNum(1000,r)",
                        "end"})),
            1);
  EXPECT_EQ(engine_.LookupVariable("one"), 0);
  RandomGenerator g;
  g.Seed(0);
  int32_t first = g.Draw(1000);
  int32_t second = g.Draw(1000);
  EXPECT_EQ(engine_.LookupVariable("r"), second);
  EXPECT_NE(first, second);
}

TEST_F(ScriptEngineTest, ShowNPCTalkWaitsOnlyWhenATalkStarts) {
  EXPECT_EQ(Start(Crlf({"ShowNPCTalk(Wang)", "AddNPC(Wang,3,4)", "ShowNPCTalk(Wang)", "AddMoney(1)",
                        "end"})),
            1);
  EXPECT_EQ(engine_.IsWaiting(), 1);
  EXPECT_EQ(engine_.CurrentLine(), 3);
  Continue();
  EXPECT_EQ(host_.money, 1);
}

TEST_F(ScriptEngineTest, OnlyTheNewGameDirectionMayReadAsTheFailureValue) {
  EXPECT_EQ(Start(Crlf({"LoadInitialMap(a.map,1,2,nodir)", "ChangeMap(b.map,1,2,nodir)", "end"})),
            1);
  EXPECT_EQ(capture_.calls, std::vector<std::string>{"LoadInitialMap(\"a.map\", 1, 2, -1)"});
  Continue();
  EXPECT_TRUE(engine_.EndedByError());
  EXPECT_EQ(host_.mapName, "a.map");
}

class ScriptPackageTest : public test::TempDirTest {};

TEST_F(ScriptPackageTest, LoadsFromThePackageAndReportsAMissingScript) {
  PackageWriter writer;
  std::string text = Crlf({"AddMoney(8)", "end"});
  ASSERT_TRUE(writer.AddFile("talk.gsp", std::vector<uint8_t>(text.begin(), text.end()), true));
  test::WriteFile("script.vdk", writer.Build());

  RecordingHost host;
  ScriptEngine engine;
  engine.Create("talk.gsp", host, "script.vdk");
  EXPECT_EQ(engine.Run(), 1);
  EXPECT_EQ(host.money, 8);

  test::RecordingHooks hooks;
  ScriptEngine missing;
  missing.Create("nothere.gsp", host, "script.vdk");
  EXPECT_EQ(missing.Run(), 0);
  ASSERT_EQ(hooks.debugOutput.size(), 1u);
  EXPECT_EQ(hooks.debugOutput[0], "can not fine script:nothere.gsp\n");
  std::string log = test::ReadFile("GameEngine.log");
  EXPECT_NE(log.find(")----->can not find script file:nothere.gsp in vdk file."),
            std::string::npos);
}

}  // namespace
}  // namespace isora
