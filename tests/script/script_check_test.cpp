#include "script/script_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/gbk.h"

namespace isora {
namespace {

std::string Crlf(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// "line: error|warning: message" per issue, for readable failures.
std::vector<std::string> Check(const std::string& text) {
  std::vector<std::string> out;
  for (const ScriptIssue& issue : CheckScript(text))
    out.push_back(std::to_string(issue.fileLine) + (issue.error ? ": error: " : ": warning: ") +
                  issue.message);
  return out;
}

bool Has(const std::vector<std::string>& issues, const std::string& prefix,
         const std::string& part) {
  for (const auto& issue : issues)
    if (issue.starts_with(prefix) && issue.find(part) != std::string::npos) return true;
  return false;
}

TEST(ScriptCheckTest, ACleanScriptPasses) {
  std::string text = Crlf({"// greeting", "SetInt(ans,0)", "SetInt(n,0)",
                           "Say(Li,\"" + Gbk(u8"你好\\d朋友") + "\",\"face\\li.bmp\")",
                           "Ask(Li,\"Stay?\",NULL,ans)", "if(ans==1)", "  GetMoney(n)",
                           "  if(n>=100)", "    SubMoney(100)", "  else", "    exit", "  endif",
                           "endif", "Rain()", "GameOver", "end"});
  EXPECT_EQ(Check(text), std::vector<std::string>{});
}

TEST(ScriptCheckTest, FindsEachMistakeWithItsFileLine) {
  std::string text = Crlf({"SetInt(a,1)",         // 1
                           "",                    // 2
                           "if(a == 1)",          // 3 blanks are part of the operands
                           "  Say(Li,5,NULL)",    // 4 a number where a text is needed
                           "  ShowTip( hello)",   // 5 unquoted text starting with a blank
                           "  AddMoney(\"10\")",  // 6 text where a number is needed
                           "else ",               // 7 not an else line: unknown command
                           "endif",               // 8
                           "endif",               // 9 endif without if
                           "Frobnicate(1)",       // 10 unknown command
                           "GetMoney(cash)",      // 11 variable never created
                           "AddMission(m,\"d\",3,apple,1,0,0)",           // 12 kind above 2
                           "ShowTip(\"" + std::string(250, 'x') + "\")",  // 13 too long
                           "Say(Li,\"a\"",                                // 14 missing ")"
                           "AddMoney(-5)",                                // 15 leading minus
                           "Rain"});                                      // 16 no end
  std::vector<std::string> issues = Check(text);
  EXPECT_TRUE(Has(issues, "3: error", "variable 'a ' is not created"))
      << ::testing::PrintToString(issues);
  EXPECT_TRUE(Has(issues, "3: error", "blanks are part of names"));
  EXPECT_TRUE(Has(issues, "4: error", "argument 2 must be quoted"));
  EXPECT_TRUE(Has(issues, "5: error", "argument 1 must be quoted"));
  EXPECT_TRUE(Has(issues, "6: error", "argument 1 is a quoted text; a number is needed"));
  EXPECT_TRUE(Has(issues, "7: error", "unknown command 'else '"));
  EXPECT_TRUE(Has(issues, "9: error", "endif without a matching if"));
  EXPECT_TRUE(Has(issues, "10: error", "unknown command 'Frobnicate'"));
  EXPECT_TRUE(Has(issues, "11: error", "variable 'cash' is not created by SetInt"));
  EXPECT_TRUE(Has(issues, "12: error", "must be 0, 1 or 2"));
  EXPECT_TRUE(Has(issues, "13: error", "limit is 248"));
  EXPECT_TRUE(Has(issues, "14: error", "missing ')'"));
  EXPECT_TRUE(Has(issues, "15: error", "negative numbers are written 0-5"));
  EXPECT_TRUE(Has(issues, "16: error", "does not end with an end or exit line"));
  EXPECT_FALSE(Has(issues, "1:", ""));
  EXPECT_FALSE(Has(issues, "8:", ""));
}

TEST(ScriptCheckTest, OpenBlocksAndLateVariables) {
  std::vector<std::string> issues =
      Check(Crlf({"if(1)", "  Ask(Li,\"Go?\",NULL,ans)", "  SetInt(ans,0)", "else()", "end"}));
  EXPECT_TRUE(Has(issues, "1: error", "if is never closed by an endif"));
  EXPECT_TRUE(Has(issues, "2: error", "variable 'ans' is not created by SetInt before it is used"));
  EXPECT_TRUE(Has(issues, "4: error", "else must stand alone"));
  EXPECT_EQ(Check(Crlf({"else", "end"})).size(), 1u);
  EXPECT_TRUE(Has(Check(Crlf({"else", "end"})), "1: error", "else without a matching if"));
}

TEST(ScriptCheckTest, StoreCapacityAndLineEnds) {
  std::string text;
  for (int i = 0; i < 150; ++i) text += "Rain\r\n";
  EXPECT_TRUE(Has(Check(text + "// fits\r\n\r\n"), "150: error", "does not end"));
  std::vector<std::string> issues = Check(text + "end\r\n");
  EXPECT_TRUE(Has(issues, "151: error", "more than 150 command lines (151)"));

  issues = Check("Rain\nend\n");
  EXPECT_TRUE(Has(issues, "1: error", "bare line feed"));
  EXPECT_TRUE(Has(issues, "1: error", "unknown command 'Rain\\nend\\n'"));
  EXPECT_TRUE(Has(issues, "1: error", "does not end")) << ::testing::PrintToString(issues);
}

TEST(ScriptCheckTest, ArgumentCountsAndSuspiciousTexts) {
  std::vector<std::string> issues =
      Check(Crlf({"Say(Li,\"Hello, friend\",NULL)", "AddHP()", "Rain()", "ShowTip(\"abc)", "end"}));
  EXPECT_TRUE(Has(issues, "1: warning", "extra argument"));
  EXPECT_TRUE(Has(issues, "1: error", "argument 3 must be quoted"));
  EXPECT_TRUE(Has(issues, "2: error", "argument 1 is empty"));
  EXPECT_FALSE(Has(issues, "3:", ""));
  EXPECT_TRUE(Has(issues, "4: warning", "no closing quote"));
  EXPECT_TRUE(Has(Check(Crlf({"Rain() // soon, maybe", "end"})), "1: error",
                  "a comma after ')' starts another argument"));
  EXPECT_TRUE(Has(Check(Crlf({"SetInt(a,1)", "if(a!=1)", "endif", "end"})), "2: error",
                  "variable 'a!' is not created"));
}

}  // namespace
}  // namespace isora
