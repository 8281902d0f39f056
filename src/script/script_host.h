// The game as a script sees it: one operation per script command that reaches the game state.
// The game object implements it; tools and tests use a recording host. Texts are GBK bytes,
// passed exactly as the script's argument readings give them. Numbers never arrive as -1: the
// engine fails the command before calling the host.
#pragma once

#include <cstdint>
#include <string>

namespace isora {

class ScriptHost {
 public:
  virtual ~ScriptHost() = default;

  // Map requests: the script waits until the new map stands (the game clears the wait). A
  // negative row or column means the map's default start cell.
  virtual void LoadInitialMap(const std::string& map, int32_t row, int32_t column,
                              int32_t direction) = 0;
  virtual void ChangeMap(const std::string& map, int32_t row, int32_t column,
                         int32_t direction) = 0;

  // Dialogs: the script waits until the player clicks them away. For a question the game keeps
  // answerVariable and, when the player answers, stores 1 (Yes) or 0 (No) into it with
  // ScriptEngine::SetVariable before clearing the wait. portrait "NULL" means none.
  virtual void Say(const std::string& speaker, const std::string& text,
                   const std::string& portrait) = 0;
  virtual void Ask(const std::string& speaker, const std::string& text, const std::string& portrait,
                   const std::string& answerVariable) = 0;

  // Missions. kind is at most 2 (the engine refuses larger kinds); a duplicate name is the
  // mission list's to report, and the script goes on.
  virtual void AddMission(const std::string& name, const std::string& description, int32_t kind,
                          const std::string& target, int32_t required, int32_t autoComplete,
                          int32_t completionFlag) = 0;
  // 0 in progress, 1 completed now, 2 completed before, 3 completed now with the flag, 4 none.
  virtual int32_t CheckMission(const std::string& name) = 0;
  // Objectives reached so far, 0 when there is no such mission.
  virtual int32_t GetMissionObjCount(const std::string& name) = 0;

  // Non-player roles of the current map. ShowNPCTalk returns true when a talk started (the
  // script then waits for it); false when there is no such role or it has nothing to say.
  virtual bool ShowNPCTalk(const std::string& roleName) = 0;
  virtual void AddNPC(const std::string& roleName, int32_t row, int32_t column) = 0;
  virtual void DelNPC(const std::string& roleName) = 0;
  virtual void DelAllNPCInMap() = 0;
  virtual void SetNPCAttack(const std::string& roleName) = 0;
  // 1 when map equals the current map's name exactly, else 0.
  virtual int32_t CmpMapName(const std::string& map) = 0;

  // The player's attributes, each change with its own cap and floor.
  virtual void AddHP(int32_t amount) = 0;
  virtual void SubHP(int32_t amount) = 0;
  virtual void AddMP(int32_t amount) = 0;
  virtual void SubMP(int32_t amount) = 0;
  virtual void AddHPLimit(int32_t amount) = 0;
  virtual void SubHPLimit(int32_t amount) = 0;
  virtual void AddMPLimit(int32_t amount) = 0;
  virtual void SubMPLimit(int32_t amount) = 0;
  virtual void AddMoney(int32_t amount) = 0;
  virtual void SubMoney(int32_t amount) = 0;
  virtual void AddExp(int32_t amount) = 0;
  virtual void SubExp(int32_t amount) = 0;
  virtual void AddAttack(int32_t amount) = 0;
  virtual void SubAttack(int32_t amount) = 0;
  virtual void AddDefence(int32_t amount) = 0;
  virtual void SubDefence(int32_t amount) = 0;
  virtual void AddHitRate(int32_t amount) = 0;
  virtual void SubHitRate(int32_t amount) = 0;
  virtual void AddMoral(int32_t amount) = 0;
  virtual void SubMoral(int32_t amount) = 0;
  virtual int32_t GetMoral() = 0;
  virtual int32_t GetMoney() = 0;

  // Relations and progress tables.
  virtual void AddHonor(const std::string& text) = 0;
  virtual void AddNote(const std::string& text) = 0;
  virtual void AddFaction(const std::string& faction) = 0;
  virtual void RemoveFaction(const std::string& faction) = 0;
  virtual void AddFactionEnmity(const std::string& faction, int32_t amount) = 0;
  virtual void SubFactionEnmity(const std::string& faction, int32_t amount) = 0;
  virtual void AddGirlLove(const std::string& person, int32_t amount) = 0;
  virtual void SubGirlLove(const std::string& person, int32_t amount) = 0;
  // 0 when the person has no entry (and none is created).
  virtual int32_t GetGirlLove(const std::string& person) = 0;
  // 0 when the key is absent.
  virtual int32_t GetVIPInfo(const std::string& key) = 0;
  virtual void SetVIPInfo(const std::string& key, int32_t value) = 0;

  // Skills and items of the player.
  virtual void AddSkill(const std::string& skill) = 0;
  virtual void RemoveSkill(const std::string& skill) = 0;
  virtual void AddPlayerItem(const std::string& item, int32_t count) = 0;
  virtual void RemovePlayerItem(const std::string& item, int32_t count) = 0;

  // Sound, messages and side screens. PlayMusic and PlaySound receive the file as written; an
  // empty file name means nothing is played.
  virtual void PlayMusic(const std::string& file) = 0;
  virtual void PlaySound(const std::string& file) = 0;
  virtual void ShowTip(const std::string& text) = 0;
  virtual void Rain() = 0;
  virtual void GameOver() = 0;
  virtual void ShowTutorial() = 0;
};

}  // namespace isora
