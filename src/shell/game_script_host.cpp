// The game as the scripts see it: each game-state command passed on to the player, the roles of
// the map, the missions or the progress tables.
#include "foundation/win_format.h"
#include "shell/game_ui_bridge.h"
#include "shell/game_world.h"

namespace isora {

bool CGame::RunScriptFile(const std::string& file, bool quiet) {
  auto engine = std::make_unique<ScriptEngine>();
  engine->Create(file, *this, scriptPackage_, log_.Path());
  // The engine's commands may replace the running script (a map change), so it is installed
  // before it runs.
  ScriptEngine* raw = engine.get();
  retiredScript_ = std::move(script_);
  script_ = std::move(engine);
  int loaded = raw->Run();
  if (script_.get() != raw) return loaded != 0;
  if (loaded == 0) {
    script_.reset();
    if (!quiet) {
      platform_.MessageBox("Executing script failed. More details in GameEngine.log", "Error",
                           MessageBoxIcon::None);
      Quit();
    }
    return false;
  }
  if (raw->IsFinished()) script_.reset();
  return true;
}

void CGame::LoadInitialMap(const std::string& map, int32_t row, int32_t column, int32_t direction) {
  RequestMapChange(map, row, column, direction, true);
}

void CGame::ChangeMap(const std::string& map, int32_t row, int32_t column, int32_t direction) {
  RequestMapChange(map, row, column, direction, false);
}

void CGame::AddMission(const std::string& name, const std::string& description, int32_t kind,
                       const std::string& target, int32_t required, int32_t autoComplete,
                       int32_t completionFlag) {
  if (!missionList_.Add(name, description, kind, target, required, autoComplete, completionFlag)) {
    return;
  }
  if (kind != kMissionCollect || !HasPlayer()) return;
  int item = itemDb_.FindItemByName(target);
  if (item <= 0) return;
  int carried = world_->player->Growth().GetBag().CountById(item);
  for (int i = 0; i < carried; ++i) missionList_.ReportGained(target, false);
}

int32_t CGame::CheckMission(const std::string& name) { return missionList_.Check(name); }

int32_t CGame::GetMissionObjCount(const std::string& name) {
  return missionList_.ObjectiveCount(name);
}

bool CGame::ShowNPCTalk(const std::string& roleName) {
  if (!HasPlayer()) return false;
  for (int i = 1; i <= world_->NpcCount(); ++i) {
    CRoleNPC* npc = world_->Npc(i);
    if (!npc || npc->RoleName() != roleName) continue;
    if (npc->Talk(cameraX_, cameraY_, world_->talk)) {
      talkTarget_ = i;
      return true;
    }
    return false;
  }
  return false;
}

void CGame::AddNPC(const std::string& roleName, int32_t row, int32_t column) {
  if (!HasPlayer()) return;
  world_->placement.player = world_->player.get();
  world_->npcs.AddRoleByName(roleName, row, column, map_, world_->placement);
}

void CGame::DelNPC(const std::string& roleName) {
  if (!HasPlayer()) return;
  if (CRoleNPC* selected = world_->Npc(selectedNpc_);
      selected && selected->RoleName() == roleName) {
    selectedNpc_ = -1;
  }
  world_->npcs.RemoveByName(roleName, world_->player.get());
}

void CGame::DelAllNPCInMap() {
  if (!world_) return;
  if (world_->player) world_->player->ForgetFightTarget();
  world_->npcs.Clear();
  selectedNpc_ = -1;
}

void CGame::SetNPCAttack(const std::string& roleName) {
  if (!HasPlayer()) return;
  for (int i = 1; i <= world_->NpcCount(); ++i) {
    CRoleNPC* npc = world_->Npc(i);
    if (npc && npc->RoleName() == roleName) npc->SetHostile(true, world_->player.get());
  }
}

int32_t CGame::CmpMapName(const std::string& map) { return mapInfo_.MapName() == map ? 1 : 0; }

namespace {
template <typename F>
void WithGrowth(GameWorld* world, F f) {
  if (world && world->player) f(world->player->Growth());
}
}  // namespace

void CGame::AddHP(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeHp('+', a); });
}
void CGame::SubHP(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeHp('-', a); });
}
void CGame::AddMP(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeMp('+', a); });
}
void CGame::SubMP(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeMp('-', a); });
}
void CGame::AddHPLimit(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeMaxHp('+', a); });
}
void CGame::SubHPLimit(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeMaxHp('-', a); });
}
void CGame::AddMPLimit(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeMaxMp('+', a); });
}
void CGame::SubMPLimit(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeMaxMp('-', a); });
}
void CGame::AddMoney(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeMoney('+', a); });
}
void CGame::SubMoney(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeMoney('-', a); });
}
void CGame::AddExp(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeExp('+', a); });
}
void CGame::SubExp(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeExp('-', a); });
}
void CGame::AddAttack(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeAttack('+', a); });
}
void CGame::SubAttack(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeAttack('-', a); });
}
void CGame::AddDefence(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeDefence('+', a); });
}
void CGame::SubDefence(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeDefence('-', a); });
}
void CGame::AddHitRate(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeHitRate('+', a); });
}
void CGame::SubHitRate(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeHitRate('-', a); });
}
void CGame::AddMoral(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeMoral('+', a); });
}
void CGame::SubMoral(int32_t a) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.ChangeMoral('-', a); });
}
int32_t CGame::GetMoral() { return PlayerAttributes().moral; }
int32_t CGame::GetMoney() { return PlayerAttributes().money; }

void CGame::AddHonor(const std::string& text) { relations_.AddHonour(text); }
void CGame::AddNote(const std::string& text) { relations_.AddNote(text); }
void CGame::AddFaction(const std::string& faction) { relations_.JoinFaction(faction); }
void CGame::RemoveFaction(const std::string& faction) { relations_.LeaveFaction(faction); }
void CGame::AddFactionEnmity(const std::string& faction, int32_t amount) {
  relations_.ChangeEnmity(faction, amount, true);
}
void CGame::SubFactionEnmity(const std::string& faction, int32_t amount) {
  relations_.ChangeEnmity(faction, amount, false);
}
void CGame::AddGirlLove(const std::string& person, int32_t amount) {
  relations_.ChangeLove(person, amount, true);
}
void CGame::SubGirlLove(const std::string& person, int32_t amount) {
  relations_.ChangeLove(person, amount, false);
}
int32_t CGame::GetGirlLove(const std::string& person) { return relations_.GetLove(person); }
int32_t CGame::GetVIPInfo(const std::string& key) { return relations_.GetVip(key); }
void CGame::SetVIPInfo(const std::string& key, int32_t value) { relations_.SetVip(key, value); }

void CGame::AddSkill(const std::string& skill) {
  WithGrowth(world_.get(), [&](PlayerGrowth& g) { g.LearnSkillByName(skill); });
}

void CGame::RemoveSkill(const std::string& skill) {
  if (!HasPlayer()) return;
  if (world_->player->Growth().ForgetSkillByName(skill)) SelectPanelSkill(*this, 1);
}

void CGame::AddPlayerItem(const std::string& item, int32_t count) {
  if (!HasPlayer()) return;
  int id = itemDb_.FindItemByName(item);
  if (id <= 0) return;
  Role& player = *world_->player;
  for (int32_t i = 0; i < count; ++i) {
    if (!player.Growth().GetBag().Add(id)) {
      AddGroundItem(id, player.X(), player.Y());
      ShowMessage(WinFormat("My bag is full, %s fell down onto the ground.", item.c_str()));
      return;
    }
    missionList_.ReportGained(item, true);
  }
}

void CGame::RemovePlayerItem(const std::string& item, int32_t count) {
  if (!HasPlayer()) return;
  int id = itemDb_.FindItemByName(item);
  if (id <= 0) return;
  for (int32_t i = 0; i < count; ++i) {
    if (!world_->player->Growth().GetBag().RemoveById(id)) return;
    missionList_.ReportLost(item);
  }
}

void CGame::PlayMusic(const std::string& file) {
  if (file.empty()) return;
  std::string path = "music\\" + file;
  if (MusicOn() && music_.Open(&platform_, path)) music_.Play(&platform_, true);
  musicState_.Played(path);
}

void CGame::ShowTip(const std::string& text) { ShowMessage(text); }
void CGame::Rain() { StartRain(); }
void CGame::GameOver() { ShowGameOver(); }

void CGame::ItemUsedUp(const std::string& itemName) { missionList_.ReportLost(itemName); }
void CGame::RoleKilled(const std::string& roleName) { missionList_.ReportGained(roleName, true); }

}  // namespace isora
