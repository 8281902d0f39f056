#include "shell/dev_reload.h"

#include "foundation/ini_file.h"
#include "panels/player_panel.h"
#include "shell/game.h"
#include "shell/game_rules.h"
#include "shell/game_ui.h"
#include "shell/game_ui_bridge.h"

namespace isora {

std::string IniPackageProblem() {
  IniFile top;
  if (!top.Load("game.ini", nullptr)) return "game.ini cannot be read";
  const std::string package = Field30(top.GetString("MDfile", "ini"));
  if (package.empty()) return "game.ini names no INI package ([MDfile] ini)";
  IniFile inner;
  if (!inner.Load("game.ini", package)) return package + "::game.ini cannot be read";
  return {};
}

bool ReloadPanels(CGame& game, std::string* why) {
  GameUi& ui = game.Ui();
  if (!ui.LoadMenus(game.IniPackage(), game.Log())) {
    *why = "a menu INI of " + game.IniPackage() + " cannot be read";
    return false;
  }
  if (game.CursorHand().Holds()) {
    *why = "the player panel and the bags are kept while an item is in hand";
    return false;
  }
  // New panels are loaded aside and replace the old ones only when all of them could be.
  auto oldPlayer = std::move(ui.playerPanel);
  auto oldPacks = std::move(ui.packPanels);
  RecreatePlayerPanels(game);
  if (!LoadPlayerPanels(game)) {
    ui.playerPanel = std::move(oldPlayer);
    ui.packPanels = std::move(oldPacks);
    *why = "playerpanel.ini or packpanel.ini of " + game.IniPackage() + " cannot be read";
    return false;
  }
  if (game.HasPlayer()) SelectPanelSkill(game, game.PanelPlayerRef().CurrentSkill().id);
  return true;
}

}  // namespace isora
