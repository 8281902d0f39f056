#include "script/script_check.h"

#include <algorithm>
#include <set>

#include "script/expression.h"
#include "script/script_commands.h"
#include "script/script_lines.h"

namespace isora {

namespace {

// Control characters in names would break the one-issue-per-line report.
std::string Printable(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (static_cast<unsigned char>(c) < 0x20) {
      out += '?';
    } else {
      out += c;
    }
  }
  return out;
}

class Checker {
 public:
  explicit Checker(std::string_view text) : text_(text) {}

  std::vector<ScriptIssue> Run() {
    CheckLineEnds();
    std::vector<SourceLine> lines = SplitScriptText(text_);
    std::vector<std::string> stored;
    for (size_t i = 0; i < lines.size(); ++i) {
      const SourceLine& line = lines[i];
      if (line.tooLong)
        Error(line.fileLine, "line is " + std::to_string(line.rawLength) +
                                 " characters long; the limit is " + std::to_string(kMaxLineChars));
      if (i == static_cast<size_t>(kMaxScriptLines))
        Error(line.fileLine, "more than " + std::to_string(kMaxScriptLines) + " command lines (" +
                                 std::to_string(lines.size()) + "); the game refuses the script");
      stored.push_back(line.text);
    }
    CheckBlocks(lines, stored);
    std::string lastName;
    for (const SourceLine& line : lines) lastName = CheckLine(line);
    if (lastName != "end" && lastName != "exit")
      Error(lines.empty() ? 0 : lines.back().fileLine,
            "the script does not end with an end or exit line");
    std::stable_sort(issues_.begin(), issues_.end(),
                     [](const auto& a, const auto& b) { return a.fileLine < b.fileLine; });
    return std::move(issues_);
  }

 private:
  void Error(int line, std::string message) { issues_.push_back({line, true, std::move(message)}); }
  void Warning(int line, std::string message) {
    issues_.push_back({line, false, std::move(message)});
  }

  // One report per kind of stray line end: a source with LF line ends would otherwise give an
  // error on every line.
  void CheckLineEnds() {
    int line = 1, bareLf = 0, firstLf = 0, bareCr = 0, firstCr = 0;
    for (size_t i = 0; i < text_.size() && text_[i] != '\0'; ++i) {
      if (text_[i] == '\r') {
        if (i + 1 < text_.size() && text_[i + 1] == '\n') {
          ++i;
        } else if (i + 1 < text_.size() && bareCr++ == 0) {
          firstCr = line;
        }
        ++line;
      } else if (text_[i] == '\n') {
        if (bareLf++ == 0) firstLf = line;
        ++line;
      }
    }
    if (bareLf)
      Error(firstLf, std::to_string(bareLf) +
                         " line(s) end with a bare line feed; the game only breaks lines at CR LF");
    if (bareCr)
      Error(firstCr, std::to_string(bareCr) +
                         " carriage return(s) without a line feed; the game drops the byte after "
                         "each");
  }

  void CheckBlocks(const std::vector<SourceLine>& lines, const std::vector<std::string>& stored) {
    BlockTable table = BuildBlockTable(stored);
    if (table.error == BlockError::kStack) {
      const std::string& text = stored[table.errorLine];
      Error(lines[table.errorLine].fileLine,
            text == "endif\n"
                ? "endif without a matching if"
                : "if/else blocks nested deeper than " + std::to_string(kBlockStackDepth));
    }
    for (int32_t open : table.openLines) {
      Error(lines[open].fileLine, stored[open].starts_with("if(")
                                      ? "if is never closed by an endif"
                                      : "else without a matching if/endif");
    }
  }

  // Checks one stored line; returns its command name.
  std::string CheckLine(const SourceLine& line) {
    int at = line.fileLine;
    SplitCommand split = SplitCommandLine(line.text);
    if (split.error == LineSplitError::kNoClosingParen) {
      size_t lastComma = line.text.rfind(',');
      bool closedEarlier = lastComma != std::string::npos && line.text.find(')') < lastComma;
      Error(at, closedEarlier ? "missing ')' after the last argument (a comma after ')' starts "
                                "another argument)"
                              : "missing ')' after the last argument");
      return split.name;
    }
    if (split.error == LineSplitError::kTooManyArguments) {
      Error(at, "more than " + std::to_string(kMaxArguments) + " arguments");
      return split.name;
    }
    if (split.cut)
      Warning(at, "a text longer than " + std::to_string(kMaxArgumentChars) + " characters is cut");
    const CommandSpec* spec = FindCommand(split.name);
    if (!spec) {
      std::string message = "unknown command '" + Printable(split.name) + "'";
      if (split.name.find_first_of(" \t") != std::string::npos)
        message += " (blanks are part of the name)";
      Error(at, message);
      return split.name;
    }
    if ((spec->name == "else" || spec->name == "endif") &&
        line.text != std::string(spec->name) + "\n")
      Error(at, std::string(spec->name) + " must stand alone on its line, without blanks or ()");
    CheckArguments(*spec, split.arguments, at);
    return split.name;
  }

  void CheckArguments(const CommandSpec& spec, const std::vector<std::string>& args, int at) {
    size_t want = spec.kinds.size();
    bool emptyParens = want == 0 && args.size() == 1 && args[0].empty();
    if (args.size() < want) {
      Error(at, std::string(spec.name) + " needs " + std::to_string(want) + " argument" +
                    (want == 1 ? "" : "s") + ", the line gives " + std::to_string(args.size()));
    } else if (args.size() > want && !emptyParens) {
      Warning(at, std::to_string(args.size() - want) + " extra argument(s) ignored" +
                      " (a comma inside a text is written \\d)");
    }
    std::optional<std::string> created;
    for (size_t i = 0; i < want && i < args.size(); ++i) {
      int n = static_cast<int>(i) + 1;
      ArgKind kind = KindOf(spec.kinds[i]);
      if (kind == ArgKind::kInt) {
        CheckExpression(args[i], n, at);
        if (spec.name == "AddMission" && n == 3 && IsNumberOperand(args[i]) &&
            DecimalOperand(args[i]) > 2 && !SplitExpression(args[i]).hasOperator)
          Error(at, "argument 3 (the mission kind) must be 0, 1 or 2");
        continue;
      }
      std::optional<std::string> text = CheckString(args[i], n, at);
      if (!text) continue;
      if (kind == ArgKind::kVar) RequireVariable(*text, n, at);
      if (spec.name == "SetInt" && n == 1) created = std::move(text);
    }
    // The variable exists from the next line on (its own value expression cannot use it).
    if (created) known_.insert(*created);
  }

  std::optional<std::string> CheckString(const std::string& arg, int n, int at) {
    std::optional<std::string> text = ReadStringText(arg);
    if (!text) {
      Error(at, "argument " + std::to_string(n) +
                    (arg.empty() ? " is empty; a text is needed"
                                 : " must be quoted: texts that start with a digit, a blank or a "
                                   "non-ASCII character are written in double quotes"));
      return std::nullopt;
    }
    if (arg.size() >= 2 && arg[0] == '"' && arg.back() != '"')
      Warning(at, "argument " + std::to_string(n) +
                      " has no closing quote; its last character is dropped");
    return text;
  }

  void CheckExpression(const std::string& arg, int n, int at) {
    std::string where = "argument " + std::to_string(n);
    if (arg.empty()) {
      Error(at, where + " is empty; a number is needed");
      return;
    }
    if (arg[0] == '"') {
      Error(at, where + " is a quoted text; a number is needed");
      return;
    }
    ExpressionParts parts = SplitExpression(arg);
    if (parts.hasOperator && OperatorCode(parts.op) < 0)
      Warning(at, where + ": '" + std::string(parts.op) +
                      "' is not an operator, so the value is that of the right operand "
                      "(one operator per expression; inequality is <>)");
    if (parts.hasOperator && parts.left.empty()) {
      Error(at, where + ": nothing before the operator (negative numbers are written 0-5)");
      CheckOperand(parts.right, where, at);
      return;
    }
    CheckOperand(parts.left, where, at);
    if (parts.hasOperator) CheckOperand(parts.right, where, at);
  }

  void CheckOperand(std::string_view operand, const std::string& where, int at) {
    if (IsNumberOperand(operand)) {
      if (DecimalOperand(operand) == kScriptFailure)
        Error(at, where + ": " + std::string(operand) + " does not fit 32 bits");
      return;
    }
    if (operand.empty()) {
      Error(at, where + ": an operand is missing");
      return;
    }
    RequireVariable(std::string(operand), 0, at, where);
  }

  void RequireVariable(const std::string& name, int n, int at, std::string where = {}) {
    if (known_.count(name)) return;
    if (where.empty()) where = "argument " + std::to_string(n);
    std::string message =
        where + ": variable '" + Printable(name) + "' is not created by SetInt before it is used";
    if (name.find_first_of(" \t") != std::string::npos) message += " (blanks are part of names)";
    Error(at, message);
  }

  std::string_view text_;
  std::vector<ScriptIssue> issues_;
  std::set<std::string, std::less<>> known_;
};

}  // namespace

std::vector<ScriptIssue> CheckScript(std::string_view text) { return Checker(text).Run(); }

}  // namespace isora
