// The four status panels and the view capture under every panel screen.
#include "foundation/win_format.h"
#include "shell/game.h"
#include "shell/game_bags.h"
#include "shell/game_ui.h"

namespace isora {

void CGame::ComposeView(int surface) {
  Surface* dst = renderer_.GetSurface(surface);
  if (!dst) return;
  const Surface* ground = renderer_.GetSurface(kSurfaceGround);
  const Surface* layer3 = renderer_.GetSurface(kSurfaceLayer3);
  const Surface* layer4 = renderer_.GetSurface(kSurfaceLayer4);
  if (ground) dst->BltFast(0, 0, *ground, viewRect_, kBltNoColorKey);
  if (layer3)
    dst->BltFast(0, 0, *layer3, renderer_.OnSurface(kSurfaceLayer3, viewRect_), kBltSrcColorKey);
  if (layer4) dst->BltFast(0, 0, *layer4, viewRect_, kBltSrcColorKey);
  if (rain_.Falling()) DrawRain(surface);
}

std::vector<std::string> AttributeLines(const Attributes& a, const GameTexts& texts) {
  auto line = [&](TextId id) { return texts.Get(id).c_str(); };
  return {WinFormat(line(TextId::kAttributeLevel), a.level),
          WinFormat(line(TextId::kAttributeAttack), a.attack),
          WinFormat(line(TextId::kAttributeDefence), a.defence),
          WinFormat(line(TextId::kAttributeHitRate), a.hitRate),
          WinFormat(line(TextId::kAttributeMoral), a.moral),
          WinFormat(line(TextId::kAttributeHp), a.hp, a.maxHp),
          WinFormat(line(TextId::kAttributeMp), a.mp, a.maxMp)};
}

namespace {
// An empty list shows the game's word on what fills it, when it has one.
std::vector<std::string> OrEmptyLine(std::vector<std::string> lines, const std::string& empty) {
  if (lines.empty() && !empty.empty()) lines.push_back(empty);
  return lines;
}
}  // namespace

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
  OpenStatusScreen(game_.texts_.Get(TextId::kAttributeTitle),
                   AttributeLines(game_.PlayerAttributes(), game_.texts_));
}

void GameBags::ShowNotePanel() {
  OpenStatusScreen(game_.texts_.Get(TextId::kNoteTitle),
                   OrEmptyLine(game_.relations_.notes, game_.texts_.Get(TextId::kNoteEmpty)));
}

void GameBags::ShowHonourPanel() {
  OpenStatusScreen(game_.texts_.Get(TextId::kHonourTitle),
                   OrEmptyLine(game_.relations_.honours, game_.texts_.Get(TextId::kHonourEmpty)));
}

void GameBags::ShowMissionPanel() {
  OpenStatusScreen(game_.texts_.Get(TextId::kMissionTitle), game_.missionList_.PanelLines());
}

}  // namespace isora
