// The game as the scripts see it: each command passed on to the player, the roles of the map,
// the missions, the progress tables or the screens of the game it belongs to.
#pragma once

#include <cstdint>
#include <string>

#include "script/script_host.h"

namespace isora {

class CGame;

class GameScriptHost : public ScriptHost {
 public:
  // The game (not owned) owns this host and outlives it.
  explicit GameScriptHost(CGame& game) : game_(game) {}

  void LoadInitialMap(const std::string& map, int32_t row, int32_t column,
                      int32_t direction) override;
  void ChangeMap(const std::string& map, int32_t row, int32_t column, int32_t direction) override;
  void Say(const std::string& speaker, const std::string& text,
           const std::string& portrait) override;
  void Ask(const std::string& speaker, const std::string& text, const std::string& portrait,
           const std::string& answerVariable) override;
  void AddMission(const std::string& name, const std::string& description, int32_t kind,
                  const std::string& target, int32_t required, int32_t autoComplete,
                  int32_t completionFlag) override;
  int32_t CheckMission(const std::string& name) override;
  int32_t GetMissionObjCount(const std::string& name) override;
  bool ShowNPCTalk(const std::string& roleName) override;
  void AddNPC(const std::string& roleName, int32_t row, int32_t column) override;
  void DelNPC(const std::string& roleName) override;
  void DelAllNPCInMap() override;
  void SetNPCAttack(const std::string& roleName) override;
  int32_t CmpMapName(const std::string& map) override;
  void AddHP(int32_t amount) override;
  void SubHP(int32_t amount) override;
  void AddMP(int32_t amount) override;
  void SubMP(int32_t amount) override;
  void AddHPLimit(int32_t amount) override;
  void SubHPLimit(int32_t amount) override;
  void AddMPLimit(int32_t amount) override;
  void SubMPLimit(int32_t amount) override;
  void AddMoney(int32_t amount) override;
  void SubMoney(int32_t amount) override;
  void AddExp(int32_t amount) override;
  void SubExp(int32_t amount) override;
  void AddAttack(int32_t amount) override;
  void SubAttack(int32_t amount) override;
  void AddDefence(int32_t amount) override;
  void SubDefence(int32_t amount) override;
  void AddHitRate(int32_t amount) override;
  void SubHitRate(int32_t amount) override;
  void AddMoral(int32_t amount) override;
  void SubMoral(int32_t amount) override;
  int32_t GetMoral() override;
  int32_t GetMoney() override;
  void AddHonor(const std::string& text) override;
  void AddNote(const std::string& text) override;
  void AddFaction(const std::string& faction) override;
  void RemoveFaction(const std::string& faction) override;
  void AddFactionEnmity(const std::string& faction, int32_t amount) override;
  void SubFactionEnmity(const std::string& faction, int32_t amount) override;
  void AddGirlLove(const std::string& person, int32_t amount) override;
  void SubGirlLove(const std::string& person, int32_t amount) override;
  int32_t GetGirlLove(const std::string& person) override;
  int32_t GetVIPInfo(const std::string& key) override;
  void SetVIPInfo(const std::string& key, int32_t value) override;
  void AddSkill(const std::string& skill) override;
  void RemoveSkill(const std::string& skill) override;
  void AddPlayerItem(const std::string& item, int32_t count) override;
  void RemovePlayerItem(const std::string& item, int32_t count) override;
  void PlayMusic(const std::string& file) override;
  void ShowTip(const std::string& text) override;
  void Rain() override;
  void GameOver() override;
  void ShowTutorial() override;
  void PlaySound(const std::string& file) override;

 private:
  CGame& game_;
};

}  // namespace isora
