#include "lib/recording_host.h"

#include <algorithm>

#include "roles/attributes.h"
#include "script/script_engine.h"

namespace isora {

void RecordingHost::LoadInitialMap(const std::string& map, int32_t, int32_t, int32_t) {
  // A new game starts with empty missions and relation lists.
  mapName = map;
  roles.clear();
  missions.Clear();
  relations.ResetForNewGame();
}

void RecordingHost::ChangeMap(const std::string& map, int32_t, int32_t, int32_t) {
  mapName = map;
  roles.clear();
}

void RecordingHost::Ask(const std::string&, const std::string&, const std::string&,
                        const std::string& variable) {
  answerVariable = variable;
}

void RecordingHost::AddMission(const std::string& name, const std::string& description,
                               int32_t kind, const std::string& target, int32_t required,
                               int32_t autoComplete, int32_t completionFlag) {
  if (!missions.Add(name, description, kind, target, required, autoComplete, completionFlag) ||
      kind != kMissionCollect)
    return;
  // Pieces already carried count at once, for every mission with that target.
  auto it = bag.find(target);
  int32_t have = it == bag.end() ? 0 : it->second;
  for (int32_t i = 0; i < have; ++i) missions.ReportGained(target, false);
}

bool RecordingHost::ShowNPCTalk(const std::string& roleName) {
  return std::find(roles.begin(), roles.end(), roleName) != roles.end();
}

void RecordingHost::AddNPC(const std::string& roleName, int32_t, int32_t) {
  roles.push_back(roleName);
}

void RecordingHost::DelNPC(const std::string& roleName) { std::erase(roles, roleName); }

void RecordingHost::AddMoney(int32_t amount) { money = SatAdd(money, amount); }
void RecordingHost::SubMoney(int32_t amount) { money = std::max(0, SatSub(money, amount)); }
void RecordingHost::AddMoral(int32_t amount) { moral = SatAdd(moral, amount); }
void RecordingHost::SubMoral(int32_t amount) { moral = SatSub(moral, amount); }

int32_t RecordingHost::BagPieces() const {
  int32_t total = 0;
  for (const auto& [name, count] : bag) total += count;
  return total;
}

void RecordingHost::AddPlayerItem(const std::string& item, int32_t count) {
  int32_t room = bagCapacity - BagPieces();
  for (int32_t i = 0; i < count && i < room; ++i) {
    ++bag[item];
    missions.ReportGained(item, true);
  }
}

void RecordingHost::RemovePlayerItem(const std::string& item, int32_t count) {
  auto it = bag.find(item);
  for (int32_t i = 0; i < count && it != bag.end() && it->second > 0; ++i) {
    --it->second;
    missions.ReportLost(item);
  }
}

std::string FormatScriptCall(const ScriptCall& call) {
  std::string line = call.name + "(";
  for (size_t i = 0; i < call.args.size(); ++i) {
    if (i) line += ", ";
    const ScriptValue& v = call.args[i];
    line += v.kind == ArgKind::kInt ? std::to_string(v.number) : "\"" + v.text + "\"";
  }
  line += ")";
  if (call.storesResult) line += " -> " + std::to_string(call.result);
  return line;
}

namespace {

class Recorder : public ScriptObserver {
 public:
  explicit Recorder(ScriptRunResult& result) : result_(result) {}
  void OnCall(const ScriptCall& call) override { result_.output += FormatScriptCall(call) + "\n"; }
  void OnLog(const std::string& text) override {
    result_.log += text;
    if (text.empty() || text.back() != '\n') result_.log += "\n";
  }

 private:
  ScriptRunResult& result_;
};

}  // namespace

ScriptRunResult RunScriptRecorded(ScriptEngine& engine, RecordingHost& host,
                                  std::span<const int32_t> answers) {
  ScriptRunResult result;
  Recorder recorder(result);
  ScriptObserver* previous = engine.Observer();
  engine.SetObserver(&recorder);
  size_t nextAnswer = 0;
  if (!engine.Run()) {
    result.status = ScriptRunResult::kLoadFailed;
    result.output += "load failed\n";
  } else {
    // Every wait moves the script on by a line, so this ends.
    while (!engine.IsFinished()) {
      if (engine.IsWaiting()) {
        result.output += "wait\n";
        if (!host.answerVariable.empty()) {
          int32_t answer = nextAnswer < answers.size() ? answers[nextAnswer++] : 1;
          engine.SetVariable(host.answerVariable, answer);
          host.answerVariable.clear();
        }
        engine.SetWaiting(0);
      }
      engine.Resume();
    }
    result.status = engine.EndedByError() ? ScriptRunResult::kFailed : ScriptRunResult::kFinished;
    result.output += result.status == ScriptRunResult::kFailed ? "failed\n" : "finished\n";
  }
  engine.SetObserver(previous);
  return result;
}

}  // namespace isora
