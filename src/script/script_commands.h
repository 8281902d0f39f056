// The command set: names in dispatch order, their argument kinds, and what each does through
// the ScriptHost.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "script/script_observer.h"

namespace isora {

class ScriptEngine;
class ScriptHost;

enum class CommandOutcome { kGoOn, kWait, kEnd, kFail };

struct CommandContext {
  ScriptEngine& engine;
  ScriptHost& host;
  std::vector<ScriptValue> args;  // one per argument kind, read in order
  int32_t result = 0;             // for result-storing commands

  int32_t Int(size_t i) const { return args[i].number; }
  const std::string& Str(size_t i) const { return args[i].text; }
};

using CommandHandler = CommandOutcome (*)(CommandContext&);

struct CommandSpec {
  std::string_view name;
  // One letter per argument: i an integer reading, d an integer reading passed on even when it
  // is the failure value, s a string reading, v a string naming an existing variable.
  std::string_view kinds;
  // False for the commands the engine keeps to itself (blocks, SetInt, exit, end).
  bool reachesGame;
  // The last argument is a variable that receives `result`.
  bool storesResult;
  CommandHandler run;
};

// Every command, in the order names are compared.
std::span<const CommandSpec> CommandTable();
// The first command of that exact name, or null.
const CommandSpec* FindCommand(std::string_view name);
ArgKind KindOf(char letter);

// Reads the current line's arguments as the command wants them, runs it, stores its result and
// reports it to the engine's observer. A bad argument fails the command before it runs.
CommandOutcome RunCommand(const CommandSpec& spec, ScriptEngine& engine, ScriptHost& host);

}  // namespace isora
