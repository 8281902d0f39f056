// The panels CGame owns, kept apart from game.h so that only the files that work with panels
// see the interface headers.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "items/item_database.h"
#include "items/skill_database.h"
#include "panels/pack_panel.h"
#include "panels/player_panel.h"
#include "panels/save_panel.h"
#include "shell/game_controls.h"
#include "ui/dialog_panel.h"
#include "ui/menu_panel.h"
#include "ui/options_panel.h"
#include "ui/picture_pager.h"
#include "ui/talk_dialog.h"

namespace isora {

class GameLog;
class Renderer;
class UiHost;

struct GameUi {
  GameUi(Renderer& renderer, UiHost* host)
      : gameMenu(renderer, host),
        mainMenu(renderer, host),
        messageDialog(renderer, host),
        savePanel(renderer, host),
        optionsPanel(renderer, host) {}

  // The game menu, the main menu, the message dialog and the save panel from their INIs; a
  // button its INI leaves unclickable is logged with its panel, section and key.
  bool LoadMenus(const std::string& iniPackage, GameLog& log);
  // Logs each button the panel's INI left unclickable, as "Panel <iniName>: <problem>".
  static void LogIniProblems(const char* iniName, const WidgetContainer& panel, GameLog& log);
  // A panel's hover from the cursor, then the panel.
  template <typename Panel>
  static void HoverAndDraw(Panel& panel) {
    panel.UpdateHover();
    panel.Draw();
  }
  void DrawTalkDialog();

  MenuPanel gameMenu;
  MenuPanel mainMenu;
  DialogPanel messageDialog;
  SavePanel savePanel;
  std::unique_ptr<QuestionDialog> talkDialog;
  std::unique_ptr<PicturePager> tutorialPanel;
  std::unique_ptr<PlayerPanel> playerPanel;
  std::array<std::unique_ptr<PackPanel>, 2> packPanels;
  OptionsPanel optionsPanel;
  // The bindings, the pad and the options screen's settings (made with the game).
  std::unique_ptr<GameControls> controls;
};

}  // namespace isora
