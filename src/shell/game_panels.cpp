// The four status panels and the view capture under every panel screen.
#include "foundation/win_format.h"
#include "shell/game.h"
#include "shell/game_ui.h"
#include "shell/game_bags.h"

namespace isora {

void CGame::ComposeView(int surface) {
  Surface* dst = renderer_.GetSurface(surface);
  if (!dst) return;
  const Surface* ground = renderer_.GetSurface(kSurfaceGround);
  const Surface* layer3 = renderer_.GetSurface(kSurfaceLayer3);
  const Surface* layer4 = renderer_.GetSurface(kSurfaceLayer4);
  if (ground) dst->BltFast(0, 0, *ground, viewRect_, kBltNoColorKey);
  if (layer3) dst->BltFast(0, 0, *layer3, viewRect_, kBltSrcColorKey);
  if (layer4) dst->BltFast(0, 0, *layer4, viewRect_, kBltSrcColorKey);
  if (rain_.Falling()) DrawRain(surface);
}

std::vector<std::string> AttributeLines(const Attributes& a) {
  return {
      WinFormat("Level: <9%d/>", a.level),          WinFormat("Attack: <9%d/>", a.attack),
      WinFormat("Defence: <9%d/>", a.defence),      WinFormat("Hit rate: <9%d/>", a.hitRate),
      WinFormat("Moral: <9%d/>", a.moral),          WinFormat("HP: <9%d/>/<9%d/>", a.hp, a.maxHp),
      WinFormat("MP: <9%d/>/<9%d/>", a.mp, a.maxMp)};
}

bool GameBags::OpenStatusScreen(const std::string& title, std::vector<std::string> lines) {
  if (sellMode_) return false;
  game_.ComposeView(kSurfaceTemp);
  HideBags();
  game_.ui_->messageDialog.SetTexts({title}, std::move(lines));
  statusTitle_ = title;
  game_.mode_ = ModeStatusPanel;
  return true;
}

void GameBags::ShowAttributePanel() {
  OpenStatusScreen("<3Attribute/>", AttributeLines(game_.PlayerAttributes()));
}

void GameBags::ShowNotePanel() { OpenStatusScreen("<3Note/>", game_.relations_.notes); }

void GameBags::ShowHonourPanel() { OpenStatusScreen("<3Honour/>", game_.relations_.honours); }

void GameBags::ShowMissionPanel() { OpenStatusScreen("<3My Mission/>", game_.missionList_.PanelLines()); }

}  // namespace isora
