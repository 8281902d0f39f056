// Saving to a slot, the slot list, and loading a slot through ModeLoadingGame (checked, nothing
// changed yet) and ModeRestoreGame (the world rebuilt from it).
#pragma once

#include <vector>

#include "roles/player_growth.h"
#include "save/save_data.h"
#include "save/save_file.h"
#include "shell/game_mode.h"

namespace isora {

class CGame;
class Role;

class GameSaves {
 public:
  // The game (not owned) owns this and outlives it.
  explicit GameSaves(CGame& game) : game_(game) {}

  // The slot after the six that the game writes itself on every map change (autosave).
  static constexpr int kAutosaveSlot = kSaveSlots + 1;

  // 1 when the slot was written; 0 without a player, for a slot out of range, or while the
  // hero is dead or dying (then the player is told).
  int SaveGame(int slot);
  // Writes the autosave slot without a word on the message line.
  bool Autosave();
  bool AutosaveExists() const;
  // The save or load panel with each slot's label.
  void ShowSlotList(bool loading);
  // Checks the whole slot file and its map, then asks for the load; 0 (and a message) when
  // the file is damaged or its map is missing, so a bad save never half-loads.
  int RequestLoad(int slot);
  // A load from the main menu, which starts a new game session.
  bool LoadFromMainMenu(int slot) {
    modeBeforeLoadPanel_ = ModeMainMenu;
    return RequestLoad(slot) != 0;
  }
  // From the death screen: the autosave loads as from the main menu, where a failure leads.
  bool ContinueFromAutosave() { return LoadFromMainMenu(kAutosaveSlot); }
  // ModeRestoreGame: loads the requested slot, or goes back where the load was asked from.
  void RestoreStep();

 private:
  int WriteSlot(int slot, bool tell);
  int LoadGame();
  void RestorePlayer(const AttributeSnapshot& snapshot);
  // Moves a player whose feet stand on a blocked cell or off the cells to the nearest open one.
  void StandOnOpenGround(Role& player);
  std::vector<SavedRole> LivingRoles() const;

  CGame& game_;
  int loadSlot_ = 0;
  GameMode modeBeforeLoadPanel_ = ModeMainMenu;
};

}  // namespace isora
