// The title screen's main menu (mainmenu.ini) and the in-game menu (menu.ini): a background and
// a fixed list of buttons; a click only reports which button was hit.
#pragma once

#include "ui/widget_container.h"

namespace isora {

// The options button comes last on both menus, and only when the INI gives it.
enum MainMenuButton : int {
  kMainStart = 0,
  kMainLoad = 1,
  kMainAbout = 2,
  kMainExit = 3,
  kMainOptions = 4,
};
enum GameMenuButton : int {
  kMenuBack = 0,
  kMenuSave = 1,
  kMenuLoad = 2,
  kMenuHelp = 3,
  kMenuExit = 4,
  kMenuOptions = 5,
};

class MenuPanel : public WidgetContainer {
 public:
  using WidgetContainer::WidgetContainer;

  // Main menu: at (0, 0), absolute button positions, type 2 buttons with their "text1"
  // picture. False, building nothing, when the INI does not load.
  bool LoadMainMenu(const char* iniName, const char* packagePath);
  // In-game menu: panel position from the INI, buttons offset from it, no second pictures.
  bool LoadGameMenu(const char* iniName, const char* packagePath);
  // The last button in list order under the cursor, or -1.
  int OnClick();
};

}  // namespace isora
