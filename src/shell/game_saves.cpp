// Saving to a slot, the slot list, and loading through ModeLoadingGame and ModeRestoreGame.
#include "shell/game_saves.h"

#include "foundation/file_io.h"
#include "foundation/win_format.h"
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

}  // namespace

int GameSaves::SaveGame(int slot) {
  if (slot < 1 || slot > kSaveSlots || !game_.HasPlayer()) return 0;
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
  if (!WriteSaveFile(SlotFile(slot), data)) {
    game_.log_.WriteText(WinFormat("Saving %s failed.", SaveSlotPath(slot).c_str()));
    return 0;
  }
  game_.Trace("save ok...\n");
  game_.ShowMessage(game_.texts_.Get(TextId::kGameSaved));
  return 1;
}

void GameSaves::ShowSlotList(bool loading) {
  std::array<std::string, kSaveSlots> labels;
  for (int i = 0; i < kSaveSlots; ++i) labels[i] = SaveSlotLabel(SlotFile(i + 1));
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
  if (slot < 1 || slot > kSaveSlots) return 0;
  SaveData data;
  // The whole file is checked before anything changes, so a bad save never half-loads.
  if (!ReadSaveFile(SlotFile(slot), data, &game_.log_)) {
    if (IsValidSaveSlot(SlotFile(slot))) game_.ShowMessage(game_.texts_.Get(TextId::kSaveDamaged));
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
  return 1;
}

void GameSaves::RestorePlayer(const AttributeSnapshot& snapshot) {
  if (!game_.HasPlayer()) return;
  Role& p = *game_.world_->player;
  p.Growth().Restore(snapshot);
  p.Growth().GetBag().SetItems(&game_.itemDb_);
  p.SetPlace(snapshot.place);
  p.SelectSkill(snapshot.skillId, snapshot.skillLevel);
  SelectPanelSkill(game_, snapshot.skillId);
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
