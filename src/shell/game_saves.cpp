// Saving to a slot, the slot list, and loading through ModeLoadingGame and ModeRestoreGame.
#include "shell/game_saves.h"

#include "foundation/file_io.h"
#include "foundation/win_format.h"
#include "save/save_checks.h"
#include "save/save_file.h"
#include "save/save_state.h"
#include "shell/game.h"
#include "shell/game_ui.h"
#include "shell/game_ui_bridge.h"
#include "shell/game_world.h"

namespace isora {

namespace {

// The slot file as a native path beside the program.
std::string SlotFile(int slot) { return NativePath(SaveSlotPath(slot)); }

// The same below the player folder, in the case the folder's files already have ("Saves").
std::string SlotBelowPlayerFolder(int slot) {
  const std::string native = SlotFile(slot), base = PlayerFolder() + "/";
  return native.starts_with(base) ? native.substr(base.size()) : SaveSlotPath(slot);
}

}  // namespace

int GameSaves::SaveGame(int slot) {
  if (slot < 1 || slot > kSaveSlots) return 0;
  return WriteSlot(slot, true);
}

bool GameSaves::Autosave() { return WriteSlot(kAutosaveSlot, false) != 0; }

bool GameSaves::AutosaveExists() const {
  return Enhanced().On(Enhancement::kAutosave) && IsValidSaveSlot(SlotFile(kAutosaveSlot));
}

int GameSaves::WriteSlot(int slot, bool tell) {
  if (!game_.HasPlayer()) return 0;
  // A hero who is dead or dying would only die again once loaded: the save is refused and the
  // slot keeps what it had.
  const Role& hero = *game_.world_->player;
  if (hero.IsDead() || hero.State() == RoleStateKind::kDie || hero.Attrs().hp <= 0) {
    if (tell) game_.ShowMessage(game_.texts_.Get(TextId::kCannotSaveDying));
    return 0;
  }
  SaveData data;
  data.timeStamp = FormatSaveTimeStamp(game_.platform_.LocalTime());
  data.mapHeader = game_.mapInfo_.bytes;
  data.roles = LivingRoles();
  StorePlayer(game_.PlayerSnapshot(), data);
  StoreRelations(game_.relations_, data);
  StoreMissions(game_.missionList_, data);
  data.killCount = game_.killedEnemies_;
  data.rainFlag = game_.rain_.Falling() ? 1 : 0;
  for (const std::string& line : SaveProgressTrace(data)) game_.Trace(line);
  // The saves folder is entered without following a link: a saves folder that points
  // elsewhere must not carry the player's saves (or anyone's files) out of the player folder.
  std::string why;
  if (!WriteFileInside(PlayerFolder(), SlotBelowPlayerFolder(slot), EncodeSave(data), true, &why)) {
    game_.log_.WriteText(WinFormat("Saving %s failed.", SaveSlotPath(slot).c_str()));
    game_.log_.WriteText(why);
    // The slot keeps its old save; the player must know this one was not written.
    game_.ShowMessage(game_.texts_.Get(TextId::kGameNotSaved));
    return 0;
  }
  game_.Trace("save ok...\n");
  if (tell) game_.ShowMessage(game_.texts_.Get(TextId::kGameSaved));
  game_.progressSinceSave_ = false;
  return 1;
}

void GameSaves::ShowSlotList(bool loading) {
  std::vector<std::string> labels;
  for (int i = 0; i < kSaveSlots; ++i) labels.push_back(SaveSlotLabel(SlotFile(i + 1)));
  // The autosave is offered for loading only.
  if (loading && Enhanced().On(Enhancement::kAutosave))
    labels.push_back(game_.texts_.Get(TextId::kAutosaveLabel) + ": " +
                     SaveSlotLabel(SlotFile(kAutosaveSlot)));
  if (loading) {
    modeBeforeLoadPanel_ = game_.mode_;
    game_.fade_.SetTarget(game_.mode_);
    game_.ui_->savePanel.SetSlotTexts(game_.texts_.Get(TextId::kLoadTitle), labels);
    game_.mode_ = ModeLoadPanel;
  } else {
    game_.ui_->savePanel.SetSlotTexts(game_.texts_.Get(TextId::kSaveTitle), labels);
    game_.mode_ = ModeSavePanel;
  }
}

int GameSaves::RequestLoad(int slot) {
  const bool autosave = slot == kAutosaveSlot && Enhanced().On(Enhancement::kAutosave);
  if ((slot < 1 || slot > kSaveSlots) && !autosave) return 0;
  SaveData data;
  // The whole file is checked before anything changes, so a bad save never half-loads.
  if (!ReadSaveFile(SlotFile(slot), data, &game_.log_)) {
    if (IsValidSaveSlot(SlotFile(slot))) game_.ShowMessage(game_.texts_.Get(TextId::kSaveDamaged));
    return 0;
  }
  if (const SaveCheck check = CheckSaveValues(data, game_.itemDb_, game_.skillDb_);
      !check.refusal.empty()) {
    game_.log_.WriteText("load save file " + SaveSlotPath(slot) + " refused: " + check.refusal);
    game_.ShowMessage(game_.texts_.Get(TextId::kSaveDamaged));
    return 0;
  }
  if (!ReadFileBytes(NativePath("map\\" + data.MapFile()))) {
    game_.log_.WriteText("The map of the saved game is missing: map\\" + data.MapFile());
    game_.ShowMessage(game_.texts_.Get(TextId::kSaveMapMissing));
    return 0;
  }
  loadSlot_ = slot;
  game_.mode_ = ModeLoadingGame;
  return 1;
}

void GameSaves::RestoreStep() {
  if (LoadGame() == 0) {
    game_.ShowMessage(game_.texts_.Get(TextId::kSaveNotLoaded));
    game_.mode_ = modeBeforeLoadPanel_;
    game_.fade_.MarkShown();
  }
}

int GameSaves::LoadGame() {
  SaveData data;
  if (!ReadSaveFile(SlotFile(loadSlot_), data, &game_.log_)) return 0;
  const SaveCheck check = CheckSaveValues(data, game_.itemDb_, game_.skillDb_);
  if (!check.refusal.empty()) return 0;  // changed on disk since RequestLoad looked
  for (const std::string& line : check.corrections)
    game_.log_.WriteText("load save file " + SaveSlotPath(loadSlot_) + ": " + line);
  AttributeSnapshot snapshot = LoadPlayer(data, &game_.itemDb_);

  game_.transition_ = MapTransition{data.MapFile(), -1, -1, data.player.direction,
                                    modeBeforeLoadPanel_ == ModeMainMenu};
  if (!game_.BuildWorld()) return 1;  // BuildWorld has reported the failure and closes the game
  game_.scriptHost_.DelAllNPCInMap();
  RestorePlayer(snapshot);

  LoadRelations(data, game_.relations_);
  game_.missionList_.Clear();
  LoadMissions(data, game_.missionList_);
  game_.killedEnemies_ = data.killCount;
  game_.Trace(WinFormat("e_killCount=%d,e_brain=%d\n", data.killCount, data.rainFlag));
  game_.rain_.Stop();
  if (data.rainFlag) game_.StartRain();
  for (const SavedRole& role : data.roles) {
    CellIndex cell = game_.map_.CellAt(role.x, role.y);
    game_.scriptHost_.AddNPC(role.name, cell.row + 1, cell.column + 1);
  }
  if (!check.corrections.empty()) game_.ShowMessage(game_.texts_.Get(TextId::kSaveCorrected));
  return 1;
}

void GameSaves::RestorePlayer(const AttributeSnapshot& snapshot) {
  if (!game_.HasPlayer()) return;
  Role& p = *game_.world_->player;
  p.Growth().Restore(snapshot);
  p.Growth().GetBag().SetItems(&game_.itemDb_);
  p.SetPlace(snapshot.place);
  StandOnOpenGround(p);
  p.SelectSkill(snapshot.skillId, snapshot.skillLevel);
  SelectPanelSkill(game_, snapshot.skillId);
}

void GameSaves::StandOnOpenGround(Role& player) {
  const GameMap& map = game_.map_;
  const Point feet{player.X(), player.Y() + kRoleFeet};
  if (map.IsPassableAt(feet.x, feet.y)) return;
  // A save made on ground the map now blocks (or edited by hand) would hold the hero there for
  // good: he goes to the middle of the nearest open cell.
  const MapCell* best = nullptr;
  int64_t bestDistance = INT64_MAX;
  for (const MapCell& c : map.Cells()) {
    if (!c.passable) continue;
    const int64_t dx = c.x + 32 - feet.x, dy = c.y + 16 - feet.y;
    const int64_t d = dx * dx + dy * dy;
    if (d < bestDistance && map.IsPassableAt(c.x + 32, c.y + 16)) {
      bestDistance = d;
      best = &c;
    }
  }
  if (!best) return;
  game_.log_.WriteText(
      WinFormat("The saved place (%d, %d) is blocked; the player stands at (%d, %d).", player.X(),
                player.Y(), best->x + 32, best->y + 16 - kRoleFeet));
  player.SetPlace(RolePlace{best->x + 32, best->y + 16 - kRoleFeet, player.Direction()});
  player.SetTarget(player.X(), player.Y());
}

std::vector<SavedRole> GameSaves::LivingRoles() const {
  std::vector<SavedRole> roles;
  if (!game_.world_) return roles;
  for (const auto& e : game_.world_->npcs.Entries()) {
    if (!e.role || e.role->IsDead()) continue;
    roles.push_back(SavedRole{e.role->RoleName(), e.role->X(), e.role->Y()});
  }
  return roles;
}

}  // namespace isora
