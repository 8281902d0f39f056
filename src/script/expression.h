// Argument readings of script lines: integer expressions with at most one operator, string
// readings, and the script's integer variables.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace isora {

// Every integer reading returns this on failure, and every command treats it as a failure.
constexpr int32_t kScriptFailure = -1;
// A failed string reading; a command receiving it fails.
inline constexpr std::string_view kInvalidString = "\n";

// The characters that can start or end an operator, in the order they are searched for.
inline constexpr std::string_view kOperatorChars = "*/%+-<>^|&=";

// The operator's code (its high four bits give its precedence class), -1 when the text is
// not an operator.
int OperatorCode(std::string_view op);

// Applies an operator code to two operand values with 32-bit wrap-around. Division and
// remainder by zero give the failure value; an unknown code gives b.
int32_t ApplyOperator(int code, int32_t a, int32_t b);

// The pieces of an expression text as the evaluator cuts it.
struct ExpressionParts {
  bool hasOperator = false;
  std::string_view left;  // the whole text when there is no operator
  std::string_view op;
  std::string_view right;
};
ExpressionParts SplitExpression(std::string_view text);

// True when an operand text is read as a decimal number rather than a variable name.
inline bool IsNumberOperand(std::string_view text) {
  return !text.empty() && text[0] >= '0' && text[0] <= '9';
}
// The value of a decimal operand: digits up to the first non-digit; the failure value when
// they do not fit 32 bits.
int32_t DecimalOperand(std::string_view text);

struct ScriptVariable {
  int32_t value = 0;
  std::string name;
};

// A script's variables in creation order; names compare exactly.
class VariableTable {
 public:
  // The variable's value, or the failure value when there is none.
  int32_t LookupVariable(std::string_view name) const;
  // Overwrites an existing variable: 1; 0 and nothing changed when there is none.
  int SetVariable(std::string_view name, int32_t value);
  void AddVariable(std::string_view name, int32_t value);
  bool Has(std::string_view name) const { return Find(name) != nullptr; }
  const std::vector<ScriptVariable>& All() const { return variables_; }

 private:
  const ScriptVariable* Find(std::string_view name) const;
  std::vector<ScriptVariable> variables_;
};

// The integer reading of an argument text, or the failure value.
int32_t EvaluateExpression(std::string_view text, const VariableTable& variables);

// The string reading of an argument text: quoted text without its quotes, a bare word starting
// with an ASCII letter unchanged; nothing for any other text (the caller logs and substitutes
// kInvalidString).
std::optional<std::string> ReadStringText(std::string_view text);

}  // namespace isora
