#include "script/script_engine.h"

#include "foundation/game_log.h"
#include "foundation/gbk.h"
#include "foundation/package_file.h"
#include "foundation/system_hooks.h"
#include "foundation/win_format.h"
#include "script/script_commands.h"
#include "script/script_host.h"
#include "script/script_observer.h"

namespace isora {

ScriptEngine::ScriptEngine() = default;
ScriptEngine::~ScriptEngine() = default;

void ScriptEngine::Create(const std::string& scriptName, ScriptHost& game,
                          const std::string& packagePath, const std::string& logPath) {
  scriptName_ = scriptName;
  game_ = &game;
  logPath_ = logPath;
  package_ = std::make_unique<PackageFile>();
  if (!package_->Open(packagePath)) package_.reset();
}

void ScriptEngine::CreateFromText(const std::string& scriptName, ScriptHost& game, std::string text,
                                  const std::string& logPath) {
  scriptName_ = scriptName;
  game_ = &game;
  logPath_ = logPath;
  text_ = std::move(text);
}

void ScriptEngine::Log(const std::string& text) {
  if (!logPath_.empty()) GameLog(logPath_).WriteText(text);
  if (observer_) observer_->OnLog(text);
}

bool ScriptEngine::Load() {
  std::string text;
  if (text_) {
    text = *text_;
  } else {
    std::optional<std::vector<uint8_t>> bytes;
    if (!package_ || !(bytes = package_->ReadMember(scriptName_))) {
      Hooks::DebugOutput(WinFormat("can not fine script:%s\n", scriptName_.c_str()));
      Log(WinFormat("can not find script file:%s in vdk file.", scriptName_.c_str()));
      return false;
    }
    text.assign(bytes->begin(), bytes->end());
  }
  lines_.clear();
  for (SourceLine& line : SplitScriptText(text)) {
    if (line.tooLong) return false;
    // The store holds 150 lines; a longer script is refused rather than overrunning it.
    if (static_cast<int>(lines_.size()) >= kMaxScriptLines) {
      Log(WinFormat("ERROR:script %s has more than %d lines.", scriptName_.c_str(),
                    kMaxScriptLines));
      return false;
    }
    lines_.push_back(std::move(line.text));
  }
  return true;
}

int ScriptEngine::Run() {
  if (!game_ || !Load()) return 0;
  BlockTable table = BuildBlockTable(lines_);
  if (table.error == BlockError::kStack) {
    Log("ERROR:The counts of if/else/endif is out of the range of the stack,or there is an "
        "unwanted /'endif/'");
    return 0;
  }
  if (table.error == BlockError::kPairs) {
    Log("ERROR:The counts of 'if'/'else' and 'endif' are not in pairs.");
    return 0;
  }
  blocks_ = std::move(table.blocks);
  Execute();
  return 1;
}

int ScriptEngine::Resume() {
  if (game_ && !finished_) Execute();
  return 1;
}

void ScriptEngine::Execute() {
  for (;;) {
    // Past the last stored line there is nothing left to run: the script has ended.
    if (currentLine_ < 0 || currentLine_ >= static_cast<int32_t>(lines_.size())) {
      finished_ = 1;
      return;
    }
    LineResult result = ExecuteLine();
    if (result != LineResult::kGoOn) {
      finished_ = 1;
      endedByError_ = result == LineResult::kFail;
      return;
    }
    int wasWaiting = waiting_;
    ++currentLine_;
    if (wasWaiting == 1) return;
  }
}

ScriptEngine::LineResult ScriptEngine::ExecuteLine() {
  SplitCommand split = SplitCommandLine(lines_[currentLine_]);
  if (split.error == LineSplitError::kNoClosingParen) {
    Log(WinFormat("error %d line:script command error,a script command must contain ')'.",
                  currentLine_));
    return LineResult::kFail;
  }
  if (split.error == LineSplitError::kTooManyArguments) {
    Log(
        WinFormat("error %d line:script command error,a script command can have at most %d "
                  "arguments.",
                  currentLine_, kMaxArguments));
    return LineResult::kFail;
  }
  arguments_[0] = std::move(split.name);
  argumentCount_ = static_cast<int>(split.arguments.size());
  for (int i = 1; i <= kMaxArguments; ++i)
    arguments_[i] = i <= argumentCount_ ? std::move(split.arguments[i - 1]) : std::string();

  const CommandSpec* spec = FindCommand(arguments_[0]);
  if (!spec) {
    Log(WinFormat(Gbk(u8"第 %d 行错误：不存在脚本指令%s\n").c_str(), currentLine_ + 1,
                  arguments_[0].c_str()));
    return LineResult::kFail;
  }
  switch (RunCommand(*spec, *this, *game_)) {
    case CommandOutcome::kGoOn:
      return LineResult::kGoOn;
    case CommandOutcome::kWait:
      waiting_ = 1;
      return LineResult::kGoOn;
    case CommandOutcome::kEnd:
      return LineResult::kEnd;
    case CommandOutcome::kFail:
      break;
  }
  return LineResult::kFail;
}

const std::string& ScriptEngine::ArgumentText(int n) const {
  static const std::string kEmpty;
  if (n < 1 || n > kMaxArguments) return kEmpty;
  return arguments_[n];
}

int32_t ScriptEngine::EvaluateArgument(int n) const {
  return EvaluateExpression(ArgumentText(n), variables_);
}

std::string ScriptEngine::StringArgument(int n) {
  std::optional<std::string> value = ReadStringText(ArgumentText(n));
  if (value) return *value;
  Log(WinFormat(Gbk(u8"脚本第 %d 行错误:第 %d 个参数必须是字符串\n").c_str(), currentLine_ + 1, n));
  return std::string(kInvalidString);
}

bool ScriptEngine::SkipFalseIf() {
  for (const BlockRecord& block : blocks_) {
    if (block.ifLine == currentLine_) {
      currentLine_ = block.elseLine >= 0 ? block.elseLine : block.endifLine;
      return true;
    }
  }
  Log(WinFormat("error %d line:'if' has no matching 'endif'.", currentLine_));
  return false;
}

bool ScriptEngine::SkipElse() {
  for (const BlockRecord& block : blocks_) {
    if (block.elseLine == currentLine_) {
      currentLine_ = block.endifLine;
      return true;
    }
  }
  // "else()" runs as an else but block pairing only knows the bare form.
  Log(WinFormat("error %d line:'else' must stand alone on its line to match an 'if'.",
                currentLine_));
  return false;
}

}  // namespace isora
