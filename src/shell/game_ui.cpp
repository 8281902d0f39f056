// The panels: creating and loading them, drawing them in their modes, the talk dialogs the
// scripts open, the tutorial panel and what the panels ask of the game.
#include "shell/game_ui.h"

#include "foundation/game_log.h"
#include "media/platform.h"
#include "shell/game.h"

namespace isora {

bool GameUi::LoadMenus(const std::string& iniPackage, GameLog& log) {
  const char* pkg = iniPackage.c_str();
  const bool loaded = gameMenu.LoadGameMenu("menu.ini", pkg) &&
                      mainMenu.LoadMainMenu("mainmenu.ini", pkg) &&
                      messageDialog.Load("dlg.ini", pkg) && savePanel.Load("savepanel.ini", pkg);
  const std::pair<const char*, const WidgetContainer*> panels[] = {{"menu.ini", &gameMenu},
                                                                   {"mainmenu.ini", &mainMenu},
                                                                   {"dlg.ini", &messageDialog},
                                                                   {"savepanel.ini", &savePanel}};
  for (const auto& [name, panel] : panels) LogIniProblems(name, *panel, log);
  return loaded;
}

void GameUi::LogIniProblems(const char* iniName, const WidgetContainer& panel, GameLog& log) {
  for (const std::string& problem : panel.iniProblems)
    log.WriteText(std::string("Panel ") + iniName + ": " + problem);
}

void GameUi::DrawTalkDialog() {
  if (talkDialog) HoverAndDraw(*talkDialog);
}

Point CGame::CursorPos() const { return platform_.GetCursorPos(); }

bool CGame::PlayHoverSound() {
  if (!hoverSound_) return false;
  hoverSound_->Play(0);
  return true;
}

void CGame::Beep() { Trace("beep\n"); }

}  // namespace isora
