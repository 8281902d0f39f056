// ScriptEngine: loads one script from the script package, pairs its if/else/endif lines and runs
// it line after line until a command makes it wait for the game or the script ends.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "script/expression.h"
#include "script/script_lines.h"

namespace isora {

class PackageFile;
class ScriptHost;
class ScriptObserver;

class ScriptEngine {
 public:
  ScriptEngine();
  ~ScriptEngine();
  ScriptEngine(const ScriptEngine&) = delete;
  ScriptEngine& operator=(const ScriptEngine&) = delete;

  // Records the name and opens the engine's own reader on the script package. logPath empty
  // means no log file (observers still see the texts).
  void Create(const std::string& scriptName, ScriptHost& game, const std::string& packagePath,
              const std::string& logPath = "GameEngine.log");
  // The same engine on a script text already in memory (tools and tests).
  void CreateFromText(const std::string& scriptName, ScriptHost& game, std::string text,
                      const std::string& logPath = "");

  // Loads, pairs the blocks and executes until waiting or ended. 1 when loading and pairing
  // succeeded (even when a command then ended the script with an error), 0 otherwise.
  int Run();
  // Executes from the current line until waiting or ended; always 1.
  int Resume();
  int IsFinished() const { return finished_; }
  void SetWaiting(int value) { waiting_ = value; }
  int IsWaiting() const { return waiting_; }
  // True when the script ended by an error rather than by end, exit or its last line.
  bool EndedByError() const { return endedByError_; }

  const std::string& ScriptName() const { return scriptName_; }
  int32_t CurrentLine() const { return currentLine_; }
  const std::vector<std::string>& Lines() const { return lines_; }

  // Variables (Ask answers arrive through SetVariable).
  int32_t LookupVariable(std::string_view name) const { return variables_.LookupVariable(name); }
  int SetVariable(std::string_view name, int32_t value) {
    return variables_.SetVariable(name, value);
  }
  void AddVariable(std::string_view name, int32_t value) { variables_.AddVariable(name, value); }
  bool HasVariable(std::string_view name) const { return variables_.Has(name); }
  const std::vector<ScriptVariable>& Variables() const { return variables_.All(); }

  // Readings of the current line's argument slots (1 to 29); a missing argument reads as empty
  // text. StringArgument logs a bad text and returns kInvalidString.
  int32_t EvaluateArgument(int n) const;
  std::string StringArgument(int n);

  // Control flow for the block commands: a false if, and an else reached from its if branch.
  // False when the line belongs to no block.
  bool SkipFalseIf();
  bool SkipElse();

  // Writes a text to the log (and to the observer).
  void Log(const std::string& text);
  void SetObserver(ScriptObserver* observer) { observer_ = observer; }
  ScriptObserver* Observer() const { return observer_; }

 private:
  enum class LineResult { kGoOn, kEnd, kFail };
  bool Load();
  void Execute();
  LineResult ExecuteLine();
  const std::string& ArgumentText(int n) const;

  std::unique_ptr<PackageFile> package_;
  std::optional<std::string> text_;
  ScriptHost* game_ = nullptr;
  VariableTable variables_;
  std::vector<BlockRecord> blocks_;
  int32_t currentLine_ = 0;
  std::string logPath_;
  std::vector<std::string> lines_;
  std::array<std::string, kMaxArguments + 1> arguments_;
  int argumentCount_ = 0;
  int finished_ = 0;
  int waiting_ = 0;
  bool endedByError_ = false;
  std::string scriptName_;
  ScriptObserver* observer_ = nullptr;
};

}  // namespace isora
