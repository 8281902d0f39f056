#include "script/expression.h"

#include <gtest/gtest.h>

#include <string>

namespace isora {
namespace {

class ExpressionTest : public ::testing::Test {
 protected:
  int32_t Eval(std::string_view text) const { return EvaluateExpression(text, vars_); }
  void Set(const std::string& name, int32_t value) {
    if (!vars_.SetVariable(name, value)) vars_.AddVariable(name, value);
  }
  VariableTable vars_;
};

TEST_F(ExpressionTest, NumbersReadTheirLeadingDigitsAndOtherTextIsAVariable) {
  Set("x7", 42);
  EXPECT_EQ(Eval("7"), 7);
  EXPECT_EQ(Eval("07"), 7);
  EXPECT_EQ(Eval("7x"), 7);
  EXPECT_EQ(Eval("12abc"), 12);
  EXPECT_EQ(Eval("x7"), 42);
  EXPECT_EQ(Eval("nothing"), kScriptFailure);  // unknown variables fail silently
  EXPECT_EQ(Eval(""), kScriptFailure);
}

TEST_F(ExpressionTest, DecimalOperandsThatDoNotFit32BitsFail) {
  EXPECT_EQ(Eval("2147483647"), 2147483647);
  EXPECT_EQ(Eval("2147483648"), kScriptFailure);
  EXPECT_EQ(Eval("99999999999999999999"), kScriptFailure);
  EXPECT_EQ(Eval("1+2147483648"), kScriptFailure);
}

TEST_F(ExpressionTest, ComparisonsAndAssignmentForms) {
  Set("a", 2);
  Set("b", 3);
  EXPECT_EQ(Eval("a<b"), 1);
  EXPECT_EQ(Eval("a>b"), 0);
  EXPECT_EQ(Eval("a<>b"), 1);
  EXPECT_EQ(Eval("a<=b"), 1);
  EXPECT_EQ(Eval("a>=b"), 0);
  EXPECT_EQ(Eval("a==b"), 0);
  EXPECT_EQ(Eval("a=b"), 3);
}

TEST_F(ExpressionTest, CompoundOperatorsComputeButStoreNothing) {
  Set("a", 5);
  EXPECT_EQ(Eval("a+=2"), 7);
  EXPECT_EQ(vars_.LookupVariable("a"), 5);
}

struct OperatorCase {
  const char* text;
  int32_t value;
};

TEST_F(ExpressionTest, EveryOperatorOfTheTable) {
  const OperatorCase cases[] = {
      {"6*7", 42},  {"7/2", 3},  {"7%3", 1},     {"7+2", 9},   {"7-9", -2}, {"1<<4", 16},
      {"64>>3", 8}, {"2<3", 1},  {"3<=3", 1},    {"3>2", 1},   {"2>=3", 0}, {"3==3", 1},
      {"3<>3", 0},  {"6&3", 2},  {"6^3", 5},     {"6|3", 7},   {"2&&0", 0}, {"2&&5", 1},
      {"0||0", 0},  {"0||9", 1}, {"4=9", 9},     {"4+=9", 13}, {"4-=3", 1}, {"4*=3", 12},
      {"9/=2", 4},  {"9%=4", 1}, {"64>>=2", 16}, {"1<<=3", 8}, {"6&=3", 2}, {"6^=3", 5},
      {"6|=3", 7},
  };
  for (const auto& c : cases) EXPECT_EQ(Eval(c.text), c.value) << c.text;
}

TEST_F(ExpressionTest, ShiftCountsAreTakenMod32AndRightShiftsKeepTheSign) {
  Set("n", -16);
  EXPECT_EQ(Eval("1<<33"), 2);
  EXPECT_EQ(Eval("n>>2"), -4);
  EXPECT_EQ(Eval("1<<31"), INT32_MIN);
}

TEST_F(ExpressionTest, OneOperatorPerExpression) {
  Set("a", 2);
  Set("b", 3);
  Set("c", 11);
  // The operator text runs from the first operator character to the last one.
  EXPECT_EQ(Eval("0-8>>1"), 1);
  EXPECT_EQ(Eval("a*b+c"), 11);
  EXPECT_EQ(Eval("0-1"), kScriptFailure);
  // A leading minus leaves an empty left operand, which is an unknown variable.
  EXPECT_EQ(Eval("-5"), kScriptFailure);
}

TEST_F(ExpressionTest, BlanksArePartOfOperands) {
  Set("a", 1);
  EXPECT_EQ(Eval("a==1"), 1);
  EXPECT_EQ(Eval("a == 1"), kScriptFailure);
  Set("a ", 1);
  EXPECT_EQ(Eval("a == 1"), kScriptFailure);  // " 1" is a variable name too
}

TEST_F(ExpressionTest, DivisionByZeroFails) {
  EXPECT_EQ(Eval("5/0"), kScriptFailure);
  EXPECT_EQ(Eval("5%0"), kScriptFailure);
  EXPECT_EQ(Eval("5/=0"), kScriptFailure);
  EXPECT_EQ(Eval("5%=0"), kScriptFailure);
  EXPECT_EQ(ApplyOperator(241, INT32_MIN, -1), INT32_MIN);
  EXPECT_EQ(ApplyOperator(242, INT32_MIN, -1), 0);
}

TEST_F(ExpressionTest, ArithmeticWrapsAt32Bits) {
  EXPECT_EQ(Eval("2147483647+1"), INT32_MIN);
  EXPECT_EQ(Eval("65536*65536"), 0);
}

TEST(SplitExpressionTest, OperatorEndBeforeStartTakesTheRestAsOperator) {
  ExpressionParts parts = SplitExpression("a=b<c");
  ASSERT_TRUE(parts.hasOperator);
  EXPECT_EQ(parts.left, "a=b");
  EXPECT_EQ(parts.op, "<c");
  EXPECT_EQ(parts.right, "b<c");
  EXPECT_EQ(OperatorCode(parts.op), -1);
  VariableTable vars;
  EXPECT_EQ(EvaluateExpression("0-7%2", vars), 7);  // operator "%2", right operand "7%2"
}

TEST(VariableTableTest, SetOnlyOverwritesExistingVariables) {
  VariableTable vars;
  EXPECT_EQ(vars.SetVariable("a", 3), 0);
  EXPECT_FALSE(vars.Has("a"));
  vars.AddVariable("a", 3);
  vars.AddVariable("B", 4);
  EXPECT_EQ(vars.SetVariable("a", 9), 1);
  EXPECT_EQ(vars.LookupVariable("a"), 9);
  EXPECT_EQ(vars.LookupVariable("A"), kScriptFailure);  // case-sensitive
  ASSERT_EQ(vars.All().size(), 2u);
  EXPECT_EQ(vars.All()[1].name, "B");
}

TEST(StringReadingTest, QuotedBareAndRejectedTexts) {
  EXPECT_EQ(ReadStringText("\"Hello\""), "Hello");
  EXPECT_EQ(ReadStringText("Hello"), "Hello");
  EXPECT_EQ(ReadStringText("\"\""), "");
  EXPECT_EQ(ReadStringText("\""), "");  // a lone quote never reads past itself
  EXPECT_EQ(ReadStringText("\"abc"), "ab");
  EXPECT_EQ(ReadStringText("\"5 coins\""), "5 coins");
  EXPECT_FALSE(ReadStringText("5"));
  EXPECT_FALSE(ReadStringText(""));
  EXPECT_FALSE(ReadStringText(" Hello"));
  EXPECT_FALSE(ReadStringText("\xC4\xE3"));  // GBK text must be quoted
}

}  // namespace
}  // namespace isora
