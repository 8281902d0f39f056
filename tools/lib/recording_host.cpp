#include "lib/recording_host.h"

#include <algorithm>

#include "script/script_engine.h"

namespace isora {

void RecordingHost::LoadInitialMap(const std::string& map, int32_t, int32_t, int32_t) {
  // A new game starts with empty relations and missions.
  mapName = map;
  roles.clear();
  missions.clear();
  love.clear();
}

void RecordingHost::ChangeMap(const std::string& map, int32_t, int32_t, int32_t) {
  mapName = map;
  roles.clear();
}

void RecordingHost::Ask(const std::string&, const std::string&, const std::string&,
                        const std::string& variable) {
  answerVariable = variable;
}

RecordingHost::MissionEntry* RecordingHost::FindMission(const std::string& name) {
  for (auto& m : missions)
    if (m.name == name) return &m;
  return nullptr;
}

int32_t RecordingHost::CheckStatus(MissionEntry& mission) {
  if (mission.done == 1) return 2;
  if (mission.count < mission.required) return 0;
  mission.done = 1;
  mission.count = 0;
  return mission.completionFlag == 1 ? 3 : 1;
}

void RecordingHost::ReportGained(const std::string& name) {
  for (auto& m : missions) {
    const std::string& seen = m.kind == 2 ? std::string() : name;
    if (m.target != seen) continue;
    ++m.count;
    if (m.autoCheck) CheckStatus(m);
  }
}

void RecordingHost::AddMission(const std::string& name, const std::string&, int32_t kind,
                               const std::string& target, int32_t required, int32_t autoComplete,
                               int32_t completionFlag) {
  if (FindMission(name)) return;
  missions.push_back({name, target, kind, required, 0, autoComplete, completionFlag, 0});
  if (kind != 0) return;
  // Pieces already carried count at once, for every mission with that target.
  auto it = bag.find(target);
  int32_t have = it == bag.end() ? 0 : it->second;
  for (int32_t i = 0; i < have; ++i) {
    for (auto& m : missions) {
      if (m.target != target) continue;
      ++m.count;
      if (m.autoCheck) CheckStatus(m);
    }
  }
}

int32_t RecordingHost::CheckMission(const std::string& name) {
  MissionEntry* m = FindMission(name);
  return m ? CheckStatus(*m) : 4;
}

int32_t RecordingHost::GetMissionObjCount(const std::string& name) {
  MissionEntry* m = FindMission(name);
  return m ? m->count : 0;
}

bool RecordingHost::ShowNPCTalk(const std::string& roleName) {
  return std::find(roles.begin(), roles.end(), roleName) != roles.end();
}

void RecordingHost::AddNPC(const std::string& roleName, int32_t, int32_t) {
  roles.push_back(roleName);
}

void RecordingHost::DelNPC(const std::string& roleName) { std::erase(roles, roleName); }

void RecordingHost::SubMoney(int32_t amount) { money = std::max(0, money - amount); }

int32_t RecordingHost::GetGirlLove(const std::string& person) {
  auto it = love.find(person);
  return it == love.end() ? 0 : it->second;
}

int32_t RecordingHost::GetVIPInfo(const std::string& key) {
  auto it = vip.find(key);
  return it == vip.end() ? 0 : it->second;
}

void RecordingHost::AddPlayerItem(const std::string& item, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    ++bag[item];
    ReportGained(item);
  }
}

void RecordingHost::RemovePlayerItem(const std::string& item, int32_t count) {
  auto it = bag.find(item);
  for (int32_t i = 0; i < count && it != bag.end() && it->second > 0; ++i) {
    --it->second;
    for (auto& m : missions)
      if (m.target == item) --m.count;
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
