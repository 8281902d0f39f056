// The player panel, the two bag panels, the shop and the four status panels: drawing them,
// their clicks, and opening and closing them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace isora {

class CGame;
struct PanelClick;

class GameBags {
 public:
  // The game (not owned) owns this and outlives it.
  explicit GameBags(CGame& game) : game_(game) {}

  void DrawPlayerPanel();
  // The bag panels over the view, the one taking an item from the other on top.
  void DrawBags();
  void HideBags();
  void ClosePlayerPanelPopups();
  // The player panel's part of a left click; true when the click ends there.
  bool PlayerPanelLeftClick();
  bool CursorOnPlayerPanel() const;
  // A left click while the bags are open.
  void BagClick();
  void CloseBagsByEsc();
  // The bag slot keys: use the item, or open it when it is a bag.
  void UseBagCell(int cell);
  void OpenBag(int cell);
  void OpenSellPanel();
  void OnRButtonDown();

  // The status panel buttons: 1 attributes, 2 notes, 3 honours, 4 missions, 5 the game menu;
  // a second press on an open one closes it.
  bool OpenStatusPanel(int n);
  void ShowAttributePanel();
  void ShowNotePanel();
  void ShowHonourPanel();
  void ShowMissionPanel();

  int32_t OpenPanel() const { return openPanel_; }
  void ClosePanel() { openPanel_ = 0; }

 private:
  friend class GameStateDump;

  bool OpenStatusScreen(const std::string& title, std::vector<std::string> lines);
  // What the player can spend, and a panel click's money applied through the player's growth
  // (its floor and cap); answers the click's answer.
  int32_t PlayerMoney();
  int ApplyClick(const PanelClick& click);

  CGame& game_;
  bool sellMode_ = false;
  int32_t openPanel_ = 0;
  std::string statusTitle_;
};

}  // namespace isora
