// What a running script reports to tools that watch it: each command that reached the game,
// with its evaluated arguments, and each log text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace isora {

enum class ArgKind : uint8_t { kInt, kStr, kVar };

struct ScriptValue {
  ArgKind kind = ArgKind::kInt;
  int32_t number = 0;  // kInt
  std::string text;    // kStr: the string reading; kVar: the variable's name
};

struct ScriptCall {
  std::string name;
  std::vector<ScriptValue> args;
  bool storesResult = false;
  int32_t result = 0;  // the value stored into the last (variable) argument
};

class ScriptObserver {
 public:
  virtual ~ScriptObserver() = default;
  // A command that reaches the game, after the game has carried it out.
  virtual void OnCall(const ScriptCall& call) { (void)call; }
  // A text the engine wrote to its log.
  virtual void OnLog(const std::string& text) { (void)text; }
};

}  // namespace isora
