// A stand-in game for running scripts outside the game: it keeps just enough state that
// queries answer consistently (money, moral, the relation tables and missions by their real
// rules, bag counts, the map name and the roles added), and a runner that prints every command
// that reaches it.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "quests/mission_list.h"
#include "quests/relations.h"
#include "script/script_host.h"
#include "script/script_observer.h"

namespace isora {

class ScriptEngine;

class RecordingHost : public ScriptHost {
 public:
  RecordingHost() { missions.SetLog(&quietLog_); }

  void LoadInitialMap(const std::string& map, int32_t row, int32_t column,
                      int32_t direction) override;
  void ChangeMap(const std::string& map, int32_t row, int32_t column, int32_t direction) override;
  void Say(const std::string&, const std::string&, const std::string&) override {}
  void Ask(const std::string& speaker, const std::string& text, const std::string& portrait,
           const std::string& answerVariable) override;
  void AddMission(const std::string& name, const std::string& description, int32_t kind,
                  const std::string& target, int32_t required, int32_t autoComplete,
                  int32_t completionFlag) override;
  int32_t CheckMission(const std::string& name) override { return missions.Check(name); }
  int32_t GetMissionObjCount(const std::string& name) override {
    return missions.ObjectiveCount(name);
  }
  bool ShowNPCTalk(const std::string& roleName) override;
  void AddNPC(const std::string& roleName, int32_t row, int32_t column) override;
  void DelNPC(const std::string& roleName) override;
  void DelAllNPCInMap() override { roles.clear(); }
  void SetNPCAttack(const std::string&) override {}
  int32_t CmpMapName(const std::string& map) override { return map == mapName ? 1 : 0; }
  void AddHP(int32_t) override {}
  void SubHP(int32_t) override {}
  void AddMP(int32_t) override {}
  void SubMP(int32_t) override {}
  void AddHPLimit(int32_t) override {}
  void SubHPLimit(int32_t) override {}
  void AddMPLimit(int32_t) override {}
  void SubMPLimit(int32_t) override {}
  void AddMoney(int32_t amount) override;
  void SubMoney(int32_t amount) override;
  void AddExp(int32_t) override {}
  void SubExp(int32_t) override {}
  void AddAttack(int32_t) override {}
  void SubAttack(int32_t) override {}
  void AddDefence(int32_t) override {}
  void SubDefence(int32_t) override {}
  void AddHitRate(int32_t) override {}
  void SubHitRate(int32_t) override {}
  void AddMoral(int32_t amount) override;
  void SubMoral(int32_t amount) override;
  int32_t GetMoral() override { return moral; }
  int32_t GetMoney() override { return money; }
  void AddHonor(const std::string& text) override { relations.AddHonour(text); }
  void AddNote(const std::string& text) override { relations.AddNote(text); }
  void AddFaction(const std::string& faction) override { relations.JoinFaction(faction); }
  void RemoveFaction(const std::string& faction) override { relations.LeaveFaction(faction); }
  void AddFactionEnmity(const std::string& faction, int32_t amount) override {
    relations.ChangeEnmity(faction, amount, true);
  }
  void SubFactionEnmity(const std::string& faction, int32_t amount) override {
    relations.ChangeEnmity(faction, amount, false);
  }
  void AddGirlLove(const std::string& person, int32_t amount) override {
    relations.ChangeLove(person, amount, true);
  }
  void SubGirlLove(const std::string& person, int32_t amount) override {
    relations.ChangeLove(person, amount, false);
  }
  int32_t GetGirlLove(const std::string& person) override { return relations.GetLove(person); }
  int32_t GetVIPInfo(const std::string& key) override { return relations.GetVip(key); }
  void SetVIPInfo(const std::string& key, int32_t value) override { relations.SetVip(key, value); }
  void AddSkill(const std::string&) override {}
  void RemoveSkill(const std::string&) override {}
  void AddPlayerItem(const std::string& item, int32_t count) override;
  void RemovePlayerItem(const std::string& item, int32_t count) override;
  void PlayMusic(const std::string&) override {}
  void PlaySound(const std::string&) override {}
  void ShowTip(const std::string&) override {}
  void Rain() override {}
  void GameOver() override {}
  void ShowTutorial() override {}

  int32_t money = 0;
  int32_t moral = 50;
  std::string mapName;
  std::vector<std::string> roles;
  // Pieces per item name. The bag holds at most bagCapacity pieces in all; as in the game, a
  // piece that does not fit ends the gift.
  std::map<std::string, int32_t> bag;
  int32_t bagCapacity = 100;
  MissionList missions;
  Relations relations;
  // The variable the last question answers into; empty once answered.
  std::string answerVariable;

 private:
  int32_t BagPieces() const;

  // Runs outside the game leave no GameEngine.log behind.
  GameLog quietLog_{""};
};

// One printed line for a command that reached the game: Name(arg, arg) [-> result].
std::string FormatScriptCall(const ScriptCall& call);

struct ScriptRunResult {
  std::string output;  // one line per command, "wait" after each wait, then the end line
  std::string log;     // the engine's log texts, in order
  enum Status { kFinished, kFailed, kLoadFailed } status = kFinished;
};

// Runs a created engine to its end against the host: each wait is cleared at once, and a
// question takes the next of `answers` (1 once they run out).
ScriptRunResult RunScriptRecorded(ScriptEngine& engine, RecordingHost& host,
                                  std::span<const int32_t> answers);

}  // namespace isora
