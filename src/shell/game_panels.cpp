// The four status panels and the view capture under every panel screen.
#include "foundation/win_format.h"
#include "shell/game.h"

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

bool CGame::OpenStatusScreen(const std::string& title, std::vector<std::string> lines) {
  if (sellMode_) return false;
  ComposeView(kSurfaceTemp);
  HideBags();
  SetMessageDialog(title, std::move(lines));
  statusTitle_ = title;
  mode_ = ModeStatusPanel;
  return true;
}

void CGame::ShowAttributePanel() {
  OpenStatusScreen(texts_.Get(TextId::kAttributeTitle), AttributeLines(PlayerAttributes(), texts_));
}

void CGame::ShowNotePanel() {
  OpenStatusScreen(texts_.Get(TextId::kNoteTitle),
                   OrEmptyLine(relations_.notes, texts_.Get(TextId::kNoteEmpty)));
}

void CGame::ShowHonourPanel() {
  OpenStatusScreen(texts_.Get(TextId::kHonourTitle),
                   OrEmptyLine(relations_.honours, texts_.Get(TextId::kHonourEmpty)));
}

void CGame::ShowMissionPanel() {
  OpenStatusScreen(texts_.Get(TextId::kMissionTitle), missionList_.PanelLines());
}

}  // namespace isora
