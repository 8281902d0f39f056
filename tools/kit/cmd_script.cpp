// isora-kit script: run a script against a recording host, or check scripts for mistakes.
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "foundation/clock.h"
#include "foundation/game_log.h"
#include "foundation/gbk.h"
#include "foundation/number_text.h"
#include "kit/kit.h"
#include "lib/command_reference.h"
#include "lib/demo_builder.h"
#include "lib/recording_host.h"
#include "quests/mission_list.h"
#include "script/script_check.h"
#include "script/script_engine.h"
#include "script/script_lines.h"

namespace isora::kit {

namespace {

const char kUsage[] =
    "usage: isora-kit script run [--source] FILE|PKG::MEMBER [--answers 1,0,...] [--clock T]\n"
    "              [--vip NAME=N] [--item NAME=COUNT] [--mission NAME[=open|completed|done]]\n"
    "              [--money N] [--moral N]\n"
    "       isora-kit script check [--source] FILE|PKG::MEMBER...\n"
    "\n"
    "run    runs the script against a recording game and prints one line per command that\n"
    "       reaches the game: Name(arg, ...) with integers in decimal and texts and variable\n"
    "       names in double quotes (bytes unchanged), ' -> N' for the value a command stores,\n"
    "       'wait' after a command that waits (it is resumed at once; a question takes the next\n"
    "       --answers value, 1 when none is left), and finally 'finished', 'failed' or\n"
    "       'load failed'. The engine's log texts go to stderr as UTF-8. --clock fixes the\n"
    "       calendar time (seconds since 1970) that GetRandomNum seeds from.\n"
    "       --source: see check.\n"
    "       The recording game starts empty (money 0, moral 50); seed the state a branch needs\n"
    "       (each may be repeated): --vip sets a remembered value (GetVIPInfo), --item puts\n"
    "       pieces in the bag, --mission adds a mission that CheckMission reports as open (0),\n"
    "       completed now (1) or completed before (2), --money and --moral set those values.\n"
    "check  loads each script as the game would and reports mistakes by file line; the exit\n"
    "       status is 1 when any error is found. --source reads editable UTF-8 sources with\n"
    "       LF line ends and converts them as the demo build does before checking.\n"
    "commands  prints the command reference (docs/script-commands.md) made from the engine's\n"
    "       command table.\n";

bool ParseInt(const std::string& text, int64_t* out) {
  const std::optional<int64_t> n = ParseNumber<int64_t>(text);
  if (n) *out = *n;
  return n.has_value();
}

// "NAME=VALUE" into its two halves; the name may hold blanks, the value is after the last '='.
bool SplitSeed(const std::string& text, std::string* name, std::string* value) {
  const size_t eq = text.rfind('=');
  if (eq == std::string::npos || eq == 0) return false;
  *name = text.substr(0, eq);
  *value = text.substr(eq + 1);
  return true;
}

// Applies one seeding option to the host; false with *error on a malformed value.
bool Seed(const std::string& option, const std::string& text, RecordingHost& host,
          std::string* error) {
  std::string name, value;
  int64_t number = 0;
  if (option == "--money" || option == "--moral") {
    if (!ParseInt(text, &number)) return *error = "bad " + option + " value '" + text + "'", false;
    (option == "--money" ? host.money : host.moral) = static_cast<int32_t>(number);
    return true;
  }
  if (option == "--mission") {
    name = text;
    value = "open";
    SplitSeed(text, &name, &value);
    Mission m;
    m.name = Utf8ToGbk(name);
    m.kind = 2;  // any kill: the state is set directly
    m.required = 1;
    if (value == "completed") {
      m.count = 1;
    } else if (value == "done") {
      m.count = 1;
      m.done = 1;
    } else if (value != "open") {
      return *error = "--mission " + text + ": the state is open, completed or done", false;
    }
    std::vector<Mission> list = host.missions.Missions();
    list.push_back(m);
    host.missions.SetMissions(std::move(list));
    return true;
  }
  if (!SplitSeed(text, &name, &value) || !ParseInt(value, &number))
    return *error = option + " wants NAME=NUMBER, not '" + text + "'", false;
  if (option == "--vip") {
    host.relations.SetVip(Utf8ToGbk(name), static_cast<int32_t>(number));
  } else {
    host.bag[Utf8ToGbk(name)] += static_cast<int32_t>(number);
  }
  return true;
}

int RunCommandRun(const std::vector<std::string>& args) {
  std::optional<std::string> input;
  RecordingHost host;
  std::vector<int32_t> answers;
  std::optional<int64_t> clock;
  bool source = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--answers" && i + 1 < args.size()) {
      std::string list = args[++i];
      size_t from = 0;
      while (from <= list.size()) {
        size_t comma = list.find(',', from);
        std::string item = list.substr(from, comma == std::string::npos ? comma : comma - from);
        int64_t v = 0;
        if (!ParseInt(item, &v)) return Fail("bad --answers value '" + item + "'");
        answers.push_back(static_cast<int32_t>(v));
        if (comma == std::string::npos) break;
        from = comma + 1;
      }
    } else if (a == "--source") {
      source = true;
    } else if ((a == "--vip" || a == "--item" || a == "--mission" || a == "--money" ||
                a == "--moral") &&
               i + 1 < args.size()) {
      std::string error;
      if (!Seed(a, args[++i], host, &error)) return Fail(error);
    } else if (a == "--clock" && i + 1 < args.size()) {
      int64_t v = 0;
      if (!ParseInt(args[++i], &v)) return Fail("bad --clock value '" + args[i] + "'");
      clock = v;
    } else if (!a.empty() && a[0] == '-') {
      return Fail("unknown option " + a);
    } else if (input) {
      return Fail("script run takes one script");
    } else {
      input = a;
    }
  }
  if (!input) return Fail("script run needs a script (see --help)");

  FixedClock fixed;
  if (clock) {
    fixed.calendar = *clock;
    fixed.utc = Clock::FromCalendar(*clock);
  }
  std::optional<ScopedClock> scoped;
  if (clock) scoped.emplace(&fixed);

  // Log lines of the game-side rules (a duplicate mission, say) go to stderr with the engine's.
  GameLog::Redirect([](const std::string& message) {
    std::string text = GbkToUtf8(message);
    std::fprintf(stderr, "%s%s", text.c_str(), text.ends_with('\n') ? "" : "\n");
  });
  ScriptEngine engine;
  size_t sep = input->find("::");
  if (sep != std::string::npos) {
    engine.Create(input->substr(sep + 2), host, input->substr(0, sep), "");
  } else {
    std::string error;
    auto bytes = ReadInput(*input, &error);
    if (!bytes) return Fail(error);
    std::string text(bytes->begin(), bytes->end());
    if (source && !demo::SourceTextToGame(std::string(text), text))
      return Fail(*input + ": a character has no GBK form");
    engine.CreateFromText(*input, host, text);
  }
  ScriptRunResult result = RunScriptRecorded(engine, host, answers);
  std::fwrite(result.output.data(), 1, result.output.size(), stdout);
  std::string log = GbkToUtf8(result.log);
  std::fwrite(log.data(), 1, log.size(), stderr);
  return result.status == ScriptRunResult::kFinished ? 0 : 1;
}

int RunCommandCheck(const std::vector<std::string>& args) {
  bool source = false;
  std::vector<std::string> files;
  for (const std::string& a : args) {
    if (a == "--source") {
      source = true;
    } else if (!a.empty() && a[0] == '-') {
      return Fail("unknown option " + a);
    } else {
      files.push_back(a);
    }
  }
  if (files.empty()) return Fail("script check needs at least one script (see --help)");
  int errors = 0;
  for (const std::string& file : files) {
    std::string error;
    auto bytes = ReadInput(file, &error);
    if (!bytes) {
      Fail(error);
      ++errors;
      continue;
    }
    std::string text(bytes->begin(), bytes->end());
    if (source && !demo::SourceTextToGame(std::string(text), text)) {
      std::printf("%s: error: a character has no GBK form\n", file.c_str());
      ++errors;
      continue;
    }
    std::vector<ScriptIssue> issues = CheckScript(text);
    // The game's log counts only the lines it stores (no blank or comment lines).
    std::map<int, int> gameLine;
    int stored = 0;
    for (const SourceLine& line : SplitScriptText(text)) gameLine[line.fileLine] = ++stored;
    for (const ScriptIssue& issue : issues) {
      std::string where = file;
      if (issue.fileLine) where += ':' + std::to_string(issue.fileLine);
      std::string note;
      auto it = gameLine.find(issue.fileLine);
      if (it != gameLine.end() && it->second != issue.fileLine)
        note = " (the game's log calls it line " + std::to_string(it->second) + ")";
      std::printf("%s: %s: %s%s\n", where.c_str(), issue.error ? "error" : "warning",
                  GbkToUtf8(issue.message).c_str(), note.c_str());
      if (issue.error) ++errors;
    }
    if (issues.empty()) std::printf("%s: ok\n", file.c_str());
  }
  return errors ? 1 : 0;
}

int RunScriptCommand(const std::vector<std::string>& args) {
  if (args.empty() || WantsHelp(args)) {
    std::fputs(kUsage, args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "run") return RunCommandRun(rest);
  if (args[0] == "check") return RunCommandCheck(rest);
  if (args[0] == "commands") {
    for (const std::string& problem : demo::CommandDocProblems())
      std::fprintf(stderr, "isora-kit: %s\n", problem.c_str());
    std::fputs(demo::CommandReferenceMarkdown().c_str(), stdout);
    return 0;
  }
  return Fail("unknown script command '" + args[0] + "' (see --help)");
}

}  // namespace

ISORA_KIT_COMMAND("script", "run a script against a recording game, or check scripts",
                  RunScriptCommand);

}  // namespace isora::kit
