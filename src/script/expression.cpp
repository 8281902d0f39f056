#include "script/expression.h"

#include <algorithm>
#include <limits>

namespace isora {

namespace {

struct OperatorEntry {
  std::string_view text;
  int code;
};

// Operator codes: the high nibble orders the operators by precedence class, the compound
// assignments share the class of "=".
enum Operator : int {
  kMul = 240,
  kDiv = 241,
  kMod = 242,
  kAdd = 224,
  kSub = 225,
  kShl = 208,
  kShr = 209,
  kLess = 192,
  kLessEqual = 193,
  kGreater = 194,
  kGreaterEqual = 195,
  kEqual = 176,
  kNotEqual = 177,
  kBitAnd = 160,
  kBitXor = 144,
  kBitOr = 128,
  kAnd = 112,
  kOr = 96,
  kAssign = 80,
  kAddAssign = 81,
  kSubAssign = 82,
  kMulAssign = 83,
  kDivAssign = 84,
  kModAssign = 85,
  kShrAssign = 86,
  kShlAssign = 87,
  kAndAssign = 88,
  kXorAssign = 89,
  kOrAssign = 90,
};

constexpr OperatorEntry kOperators[] = {
    {"*", kMul},         {"/", kDiv},         {"%", kMod},           {"+", kAdd},
    {"-", kSub},         {"<<", kShl},        {">>", kShr},          {"<", kLess},
    {"<=", kLessEqual},  {">", kGreater},     {">=", kGreaterEqual}, {"==", kEqual},
    {"<>", kNotEqual},   {"&", kBitAnd},      {"^", kBitXor},        {"|", kBitOr},
    {"&&", kAnd},        {"||", kOr},         {"=", kAssign},        {"+=", kAddAssign},
    {"-=", kSubAssign},  {"*=", kMulAssign},  {"/=", kDivAssign},    {"%=", kModAssign},
    {">>=", kShrAssign}, {"<<=", kShlAssign}, {"&=", kAndAssign},    {"^=", kXorAssign},
    {"|=", kOrAssign},
};

int32_t Wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

int32_t Divide(int32_t a, int32_t b) {
  if (b == 0) return kScriptFailure;
  if (a == std::numeric_limits<int32_t>::min() && b == -1) return a;
  return a / b;
}

int32_t Remainder(int32_t a, int32_t b) {
  if (b == 0) return kScriptFailure;
  if (b == -1) return 0;
  return a % b;
}

int32_t ShiftLeft(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) << (static_cast<uint32_t>(b) & 31));
}

int32_t ShiftRight(int32_t a, int32_t b) { return a >> (static_cast<uint32_t>(b) & 31); }

int32_t ReadOperand(std::string_view text, const VariableTable& variables) {
  if (IsNumberOperand(text)) return DecimalOperand(text);
  return variables.LookupVariable(text);
}

}  // namespace

int OperatorCode(std::string_view op) {
  for (const auto& entry : kOperators)
    if (entry.text == op) return entry.code;
  return -1;
}

int32_t ApplyOperator(int code, int32_t a, int32_t b) {
  switch (code) {
    case kMul:
    case kMulAssign:
      return Wrap(int64_t{a} * b);
    case kDiv:
    case kDivAssign:
      return Divide(a, b);
    case kMod:
    case kModAssign:
      return Remainder(a, b);
    case kAdd:
    case kAddAssign:
      return Wrap(int64_t{a} + b);
    case kSub:
    case kSubAssign:
      return Wrap(int64_t{a} - b);
    case kShl:
    case kShlAssign:
      return ShiftLeft(a, b);
    case kShr:
    case kShrAssign:
      return ShiftRight(a, b);
    case kLess:
      return a < b;
    case kLessEqual:
      return a <= b;
    case kGreater:
      return a > b;
    case kGreaterEqual:
      return a >= b;
    case kEqual:
      return a == b;
    case kNotEqual:
      return a != b;
    case kBitAnd:
    case kAndAssign:
      return a & b;
    case kBitXor:
    case kXorAssign:
      return a ^ b;
    case kBitOr:
    case kOrAssign:
      return a | b;
    case kAnd:
      return a != 0 && b != 0;
    case kOr:
      return a != 0 || b != 0;
    default:
      return b;
  }
}

ExpressionParts SplitExpression(std::string_view text) {
  ExpressionParts parts;
  size_t start = std::string_view::npos;
  for (char c : kOperatorChars) {
    start = text.find(c);
    if (start != std::string_view::npos) break;
  }
  if (start == std::string_view::npos) {
    parts.left = text;
    return parts;
  }
  size_t end = std::string_view::npos;
  for (auto it = kOperatorChars.rbegin(); it != kOperatorChars.rend(); ++it) {
    end = text.rfind(*it);
    if (end != std::string_view::npos) break;
  }
  parts.hasOperator = true;
  parts.left = text.substr(0, start);
  parts.op = end >= start ? text.substr(start, end - start + 1) : text.substr(start);
  parts.right = text.substr(end + 1);
  return parts;
}

int32_t DecimalOperand(std::string_view text) {
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value > std::numeric_limits<int32_t>::max()) return kScriptFailure;
  }
  return static_cast<int32_t>(value);
}

int32_t VariableTable::LookupVariable(std::string_view name) const {
  const ScriptVariable* v = Find(name);
  return v ? v->value : kScriptFailure;
}

int VariableTable::SetVariable(std::string_view name, int32_t value) {
  for (auto& v : variables_) {
    if (v.name == name) {
      v.value = value;
      return 1;
    }
  }
  return 0;
}

void VariableTable::AddVariable(std::string_view name, int32_t value) {
  variables_.push_back({value, std::string(name)});
}

const ScriptVariable* VariableTable::Find(std::string_view name) const {
  auto it = std::find_if(variables_.begin(), variables_.end(),
                         [&](const ScriptVariable& v) { return v.name == name; });
  return it == variables_.end() ? nullptr : &*it;
}

int32_t EvaluateExpression(std::string_view text, const VariableTable& variables) {
  ExpressionParts parts = SplitExpression(text);
  if (!parts.hasOperator) return ReadOperand(parts.left, variables);
  int32_t a = ReadOperand(parts.left, variables);
  int32_t b = ReadOperand(parts.right, variables);
  if (a == kScriptFailure || b == kScriptFailure) return kScriptFailure;
  return ApplyOperator(OperatorCode(parts.op), a, b);
}

std::optional<std::string> ReadStringText(std::string_view text) {
  if (!text.empty() && text[0] == '"') {
    // A lone quote has no closing quote to drop: it reads as empty text.
    if (text.size() < 2) return std::string();
    return std::string(text.substr(1, text.size() - 2));
  }
  if (!text.empty() && ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z')))
    return std::string(text);
  return std::nullopt;
}

}  // namespace isora
