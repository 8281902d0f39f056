// The panels: creating and loading them, drawing them in their modes, the talk dialogs the
// scripts open, the tutorial panel and what the panels ask of the game.
#include "shell/game_ui.h"

#include "media/platform.h"
#include "shell/game.h"

namespace isora {

void GameUiDeleter::operator()(GameUi* ui) const { delete ui; }

void CGame::ConstructPanels() { ui_.reset(new GameUi(renderer_, this)); }

void CGame::DestroyPanels() { ui_.reset(); }

bool CGame::LoadMenuPanels() {
  const char* pkg = iniPackage_.c_str();
  return ui_->gameMenu.LoadGameMenu("menu.ini", pkg) &&
         ui_->mainMenu.LoadMainMenu("mainmenu.ini", pkg) &&
         ui_->messageDialog.Load("dlg.ini", pkg) && ui_->savePanel.Load("savepanel.ini", pkg);
}

void CGame::DrawMainMenu() {
  ui_->mainMenu.UpdateHover();
  ui_->mainMenu.Draw();
}

void CGame::DrawTalkDialog() {
  if (!ui_->talkDialog) return;
  ui_->talkDialog->UpdateHover();
  ui_->talkDialog->Draw();
}

void CGame::DrawGameMenu() {
  ui_->gameMenu.UpdateHover();
  ui_->gameMenu.Draw();
}

void CGame::DrawSavePanel() {
  ui_->savePanel.UpdateHover();
  ui_->savePanel.Draw();
}

void CGame::DrawMessageDialog() {
  ui_->messageDialog.UpdateHover();
  ui_->messageDialog.Draw();
}

void CGame::SetMessageDialog(const std::string& title, std::vector<std::string> lines) {
  ui_->messageDialog.SetTexts({title}, std::move(lines));
}

void CGame::SetSlotTexts(const std::string& title,
                         const std::array<std::string, kSaveSlots>& labels) {
  ui_->savePanel.SetSlotTexts(title, labels);
}

Point CGame::CursorPos() const { return platform_.GetCursorPos(); }

bool CGame::PlayHoverSound() {
  if (!hoverSound_) return false;
  hoverSound_->Play(0);
  return true;
}

void CGame::Beep() { Trace("beep\n"); }

}  // namespace isora
