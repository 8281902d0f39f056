// The game as the scripts see it: each game-state command passed on to the player, the roles of
// the map, the missions or the progress tables.
#include "shell/game_script_host.h"

#include "foundation/win_format.h"
#include "script/script_engine.h"
#include "shell/game_ui.h"
#include "shell/game_ui_bridge.h"
#include "shell/game_world.h"

namespace isora {

bool CGame::RunScriptFile(const std::string& file, bool quiet) {
  auto engine = std::make_unique<ScriptEngine>();
  engine->Create(file, scriptHost_, scriptPackage_, log_.Path());
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
      failure_.Report(platform_, log_, texts_.Get(TextId::kScriptFailed),
                      scriptPackage_.empty() ? file : scriptPackage_ + "::" + file,
                      MessageBoxIcon::None, texts_.Get(TextId::kErrorCaption));
      Quit();
    }
    return false;
  }
  if (raw->IsFinished()) script_.reset();
  return true;
}

void GameScriptHost::LoadInitialMap(const std::string& map, int32_t row, int32_t column,
                                    int32_t direction) {
  game_.RequestMapChange(map, row, column, direction, true);
}

void GameScriptHost::ChangeMap(const std::string& map, int32_t row, int32_t column,
                               int32_t direction) {
  game_.RequestMapChange(map, row, column, direction, false);
}

void GameScriptHost::Say(const std::string& speaker, const std::string& text,
                         const std::string& portrait) {
  game_.ui_->talkDialog = std::make_unique<QuestionDialog>(game_.renderer_, &game_);
  game_.ui_->talkDialog->ShowTalk(game_.cameraX_, game_.cameraY_, speaker, text, portrait);
  game_.Trace("Say:ShowTalk()\n");
  game_.mode_ = ModeTalk;
}

void GameScriptHost::Ask(const std::string& speaker, const std::string& text,
                         const std::string& portrait, const std::string& answerVariable) {
  game_.answerVariable_ = answerVariable;
  game_.ui_->talkDialog = std::make_unique<QuestionDialog>(game_.renderer_, &game_);
  game_.ui_->talkDialog->ShowQuestion(game_.cameraX_, game_.cameraY_, speaker, text, portrait);
  game_.mode_ = ModeTalk;
}

void GameScriptHost::ShowTutorial() { game_.screens_.ShowTutorialPanel(); }

void GameScriptHost::AddMission(const std::string& name, const std::string& description,
                                int32_t kind, const std::string& target, int32_t required,
                                int32_t autoComplete, int32_t completionFlag) {
  if (!game_.missionList_.Add(name, description, kind, target, required, autoComplete,
                              completionFlag)) {
    return;
  }
  if (kind != kMissionCollect || !game_.HasPlayer()) return;
  int item = game_.itemDb_.FindItemByName(target);
  if (item <= 0) return;
  int carried = game_.world_->player->Growth().GetBag().CountById(item);
  for (int i = 0; i < carried; ++i) game_.missionList_.ReportGained(target, false);
}

int32_t GameScriptHost::CheckMission(const std::string& name) {
  return game_.missionList_.Check(name);
}

int32_t GameScriptHost::GetMissionObjCount(const std::string& name) {
  return game_.missionList_.ObjectiveCount(name);
}

bool GameScriptHost::ShowNPCTalk(const std::string& roleName) {
  if (!game_.HasPlayer()) return false;
  for (int i = 1; i <= game_.world_->NpcCount(); ++i) {
    CRoleNPC* npc = game_.world_->Npc(i);
    if (!npc || npc->RoleName() != roleName) continue;
    if (npc->Talk(game_.cameraX_, game_.cameraY_, game_.world_->talk)) {
      game_.talkTarget_ = i;
      return true;
    }
    return false;
  }
  return false;
}

void GameScriptHost::AddNPC(const std::string& roleName, int32_t row, int32_t column) {
  if (!game_.HasPlayer()) return;
  game_.world_->placement.player = game_.world_->player.get();
  game_.world_->npcs.AddRoleByName(roleName, row, column, game_.map_, game_.world_->placement);
}

void GameScriptHost::DelNPC(const std::string& roleName) {
  if (!game_.HasPlayer()) return;
  if (CRoleNPC* selected = game_.world_->Npc(game_.selectedNpc_);
      selected && selected->RoleName() == roleName) {
    game_.selectedNpc_ = -1;
  }
  game_.world_->npcs.RemoveByName(roleName, game_.world_->player.get());
}

void GameScriptHost::DelAllNPCInMap() {
  if (!game_.world_) return;
  if (game_.world_->player) game_.world_->player->ForgetFightTarget();
  game_.world_->npcs.Clear();
  game_.selectedNpc_ = -1;
}

void GameScriptHost::SetNPCAttack(const std::string& roleName) {
  if (!game_.HasPlayer()) return;
  for (int i = 1; i <= game_.world_->NpcCount(); ++i) {
    CRoleNPC* npc = game_.world_->Npc(i);
    if (npc && npc->RoleName() == roleName) npc->SetHostile(true, game_.world_->player.get());
  }
}

int32_t GameScriptHost::CmpMapName(const std::string& map) {
  return game_.mapInfo_.MapName() == map ? 1 : 0;
}

namespace {
template <typename F>
void WithGrowth(GameWorld* world, F f) {
  if (world && world->player) f(world->player->Growth());
}
}  // namespace

void GameScriptHost::AddHP(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeHp('+', a); });
}
void GameScriptHost::SubHP(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeHp('-', a); });
}
void GameScriptHost::AddMP(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeMp('+', a); });
}
void GameScriptHost::SubMP(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeMp('-', a); });
}
void GameScriptHost::AddHPLimit(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeMaxHp('+', a); });
}
void GameScriptHost::SubHPLimit(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeMaxHp('-', a); });
}
void GameScriptHost::AddMPLimit(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeMaxMp('+', a); });
}
void GameScriptHost::SubMPLimit(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeMaxMp('-', a); });
}
void GameScriptHost::AddMoney(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeMoney('+', a); });
}
void GameScriptHost::SubMoney(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeMoney('-', a); });
}
void GameScriptHost::AddExp(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeExp('+', a); });
}
void GameScriptHost::SubExp(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeExp('-', a); });
}
void GameScriptHost::AddAttack(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeAttack('+', a); });
}
void GameScriptHost::SubAttack(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeAttack('-', a); });
}
void GameScriptHost::AddDefence(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeDefence('+', a); });
}
void GameScriptHost::SubDefence(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeDefence('-', a); });
}
void GameScriptHost::AddHitRate(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeHitRate('+', a); });
}
void GameScriptHost::SubHitRate(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeHitRate('-', a); });
}
void GameScriptHost::AddMoral(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeMoral('+', a); });
}
void GameScriptHost::SubMoral(int32_t a) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.ChangeMoral('-', a); });
}
int32_t GameScriptHost::GetMoral() { return game_.PlayerAttributes().moral; }
int32_t GameScriptHost::GetMoney() { return game_.PlayerAttributes().money; }

void GameScriptHost::AddHonor(const std::string& text) { game_.relations_.AddHonour(text); }
void GameScriptHost::AddNote(const std::string& text) { game_.relations_.AddNote(text); }
void GameScriptHost::AddFaction(const std::string& faction) {
  game_.relations_.JoinFaction(faction);
}
void GameScriptHost::RemoveFaction(const std::string& faction) {
  game_.relations_.LeaveFaction(faction);
}
void GameScriptHost::AddFactionEnmity(const std::string& faction, int32_t amount) {
  game_.relations_.ChangeEnmity(faction, amount, true);
}
void GameScriptHost::SubFactionEnmity(const std::string& faction, int32_t amount) {
  game_.relations_.ChangeEnmity(faction, amount, false);
}
void GameScriptHost::AddGirlLove(const std::string& person, int32_t amount) {
  game_.relations_.ChangeLove(person, amount, true);
}
void GameScriptHost::SubGirlLove(const std::string& person, int32_t amount) {
  game_.relations_.ChangeLove(person, amount, false);
}
int32_t GameScriptHost::GetGirlLove(const std::string& person) {
  return game_.relations_.GetLove(person);
}
int32_t GameScriptHost::GetVIPInfo(const std::string& key) { return game_.relations_.GetVip(key); }
void GameScriptHost::SetVIPInfo(const std::string& key, int32_t value) {
  game_.relations_.SetVip(key, value);
}

void GameScriptHost::AddSkill(const std::string& skill) {
  WithGrowth(game_.world_.get(), [&](PlayerGrowth& g) { g.LearnSkillByName(skill); });
}

void GameScriptHost::RemoveSkill(const std::string& skill) {
  if (!game_.HasPlayer()) return;
  if (game_.world_->player->Growth().ForgetSkillByName(skill)) SelectPanelSkill(game_, 1);
}

void GameScriptHost::AddPlayerItem(const std::string& item, int32_t count) {
  if (!game_.HasPlayer()) return;
  int id = game_.itemDb_.FindItemByName(item);
  if (id <= 0) return;
  Role& player = *game_.world_->player;
  for (int32_t i = 0; i < count; ++i) {
    if (!player.Growth().GetBag().Add(id)) {
      game_.world_->AddGroundItem(game_.itemDb_, id, player.X(), player.Y());
      game_.ShowMessage(
          WinFormat(game_.Texts().Get(TextId::kBagFullDropped).c_str(), item.c_str()));
      return;
    }
    game_.missionList_.ReportGained(item, !Enhanced().On(Enhancement::kKillsOnlyKills));
  }
}

void GameScriptHost::RemovePlayerItem(const std::string& item, int32_t count) {
  if (!game_.HasPlayer()) return;
  int id = game_.itemDb_.FindItemByName(item);
  if (id <= 0) return;
  for (int32_t i = 0; i < count; ++i) {
    if (!game_.world_->player->Growth().GetBag().RemoveById(id)) return;
    game_.missionList_.ReportLost(item);
  }
}

void GameScriptHost::PlayMusic(const std::string& file) {
  if (file.empty()) return;
  std::string path = "music\\" + file;
  if (game_.MusicOn() && game_.music_.Open(&game_.platform_, path))
    game_.music_.Play(&game_.platform_, true);
  game_.musicState_.Played(path);
}

void GameScriptHost::PlaySound(const std::string& file) { game_.PlaySound(file); }

void GameScriptHost::ShowTip(const std::string& text) { game_.ShowMessage(text); }
void GameScriptHost::Rain() { game_.StartRain(); }
void GameScriptHost::GameOver() { game_.screens_.ShowGameOver(); }

void CGame::ItemUsedUp(const std::string& itemName) { missionList_.ReportLost(itemName); }
void CGame::RoleHit(const Role& target, int amount) {
  if (Enhanced().On(Enhancement::kDamageNumbers))
    feedback_.Hit(Point{target.X(), target.Y()}, amount, target.IsPlayer());
}

void CGame::RoleKilled(const std::string& roleName, bool enemy) {
  missionList_.ReportGained(roleName, enemy || !Enhanced().On(Enhancement::kKillsOnlyKills));
}

}  // namespace isora
