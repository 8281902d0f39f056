// Saving to a slot, the slot list, and loading through ModeLoadingGame and ModeRestoreGame.
#include "foundation/file_io.h"
#include "foundation/win_format.h"
#include "save/save_file.h"
#include "save/save_state.h"
#include "shell/game.h"

namespace isora {

namespace {

// The slot file as a native path beside the program.
std::string SlotFile(int slot) { return NativePath(SaveSlotPath(slot)); }

}  // namespace

int CGame::SaveGame(int slot) {
  if (slot < 1 || slot > kSaveSlots || !HasPlayer()) return 0;
  SaveData data;
  data.timeStamp = FormatSaveTimeStamp(platform_.LocalTime());
  data.mapHeader = mapInfo_.bytes;
  data.roles = LivingRoles();
  StorePlayer(PlayerSnapshot(), data);
  StoreRelations(relations_, data);
  StoreMissions(missionList_, data);
  data.killCount = killedEnemies_;
  data.rainFlag = rain_.Falling() ? 1 : 0;
  for (const std::string& line : SaveProgressTrace(data)) Trace(line);
  if (!WriteSaveFile(SlotFile(slot), data)) {
    log_.WriteText(WinFormat("Saving %s failed.", SaveSlotPath(slot).c_str()));
    return 0;
  }
  Trace("save ok...\n");
  ShowMessage(texts_.Get(TextId::kGameSaved));
  return 1;
}

void CGame::ShowSlotList(bool loading) {
  std::array<std::string, kSaveSlots> labels;
  for (int i = 0; i < kSaveSlots; ++i) labels[i] = SaveSlotLabel(SlotFile(i + 1));
  if (loading) {
    modeBeforeLoadPanel_ = mode_;
    fade_.SetTarget(mode_);
    SetSlotTexts(texts_.Get(TextId::kLoadTitle), labels);
    mode_ = ModeLoadPanel;
  } else {
    SetSlotTexts(texts_.Get(TextId::kSaveTitle), labels);
    mode_ = ModeSavePanel;
  }
}

int CGame::RequestLoad(int slot) {
  if (slot < 1 || slot > kSaveSlots) return 0;
  SaveData data;
  // The whole file is checked before anything changes, so a bad save never half-loads.
  if (!ReadSaveFile(SlotFile(slot), data, &log_)) {
    if (IsValidSaveSlot(SlotFile(slot))) ShowMessage(texts_.Get(TextId::kSaveDamaged));
    return 0;
  }
  if (!ReadFileBytes(NativePath("map\\" + data.MapFile()))) {
    log_.WriteText("The map of the saved game is missing: map\\" + data.MapFile());
    ShowMessage(texts_.Get(TextId::kSaveMapMissing));
    return 0;
  }
  loadSlot_ = slot;
  mode_ = ModeLoadingGame;
  return 1;
}

void CGame::RestoreStep() {
  if (LoadGame() == 0) {
    ShowMessage(texts_.Get(TextId::kSaveNotLoaded));
    mode_ = modeBeforeLoadPanel_;
    fade_.MarkShown();
  }
}

int CGame::LoadGame() {
  SaveData data;
  if (!ReadSaveFile(SlotFile(loadSlot_), data, &log_)) return 0;
  AttributeSnapshot snapshot = LoadPlayer(data, &itemDb_);

  transition_ = MapTransition{data.MapFile(), -1, -1, data.player.direction,
                              modeBeforeLoadPanel_ == ModeMainMenu};
  if (!BuildWorld()) return 1;  // BuildWorld has reported the failure and closes the game
  scriptHost_.DelAllNPCInMap();
  RestorePlayer(snapshot);

  LoadRelations(data, relations_);
  missionList_.Clear();
  LoadMissions(data, missionList_);
  killedEnemies_ = data.killCount;
  Trace(WinFormat("e_killCount=%d,e_brain=%d\n", data.killCount, data.rainFlag));
  rain_.Stop();
  if (data.rainFlag) StartRain();
  for (const SavedRole& role : data.roles) {
    CellIndex cell = map_.CellAt(role.x, role.y);
    scriptHost_.AddNPC(role.name, cell.row + 1, cell.column + 1);
  }
  return 1;
}

}  // namespace isora
