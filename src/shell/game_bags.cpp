// The player panel and the two bag panels: creating them, drawing them, their clicks, opening a
// bag, the sell panel and the status panel buttons.
#include "foundation/win_format.h"
#include "items/sub_bag.h"
#include "shell/game.h"
#include "shell/game_ui.h"
#include "shell/game_ui_bridge.h"

namespace isora {

void ShowRoleTalk(CGame& game, const std::string& speaker, const std::string& line,
                  const std::string& portrait, int x, int y) {
  GameUi& ui = game.Ui();
  ui.talkDialog = std::make_unique<QuestionDialog>(game.GetRenderer(), &game);
  ui.talkDialog->ShowTalk(x, y, speaker, line, portrait);
  game.SetMode(ModeTalk);
}

void RecreatePlayerPanels(CGame& game) {
  GameUi& ui = game.Ui();
  PanelPlayer& player = game.PanelPlayerRef();
  ui.playerPanel = std::make_unique<PlayerPanel>(game.Items(), game.Skills(), player,
                                                 game.CursorHand(), game.GetRenderer(), &game);
  for (auto& pack : ui.packPanels) {
    pack = std::make_unique<PackPanel>(game.Items(), &player.Growth(), game.GetRenderer(), &game);
  }
}

bool LoadPlayerPanels(CGame& game) {
  GameUi& ui = game.Ui();
  const char* pkg = game.IniPackage().c_str();
  return ui.playerPanel && ui.playerPanel->Load("playerpanel.ini", pkg) &&
         ui.packPanels[0]->Load("packpanel.ini", pkg, 0) &&
         ui.packPanels[1]->Load("packpanel.ini", pkg, 1);
}

void SelectPanelSkill(CGame& game, int skillId) {
  if (game.Ui().playerPanel) game.Ui().playerPanel->ShowSkillIcon(skillId);
}

void CGame::DrawPlayerPanel() {
  if (!ui_->playerPanel) return;
  ui_->playerPanel->FollowHand();
  ui_->playerPanel->UpdateHover();
  ui_->playerPanel->Draw();
}

void CGame::DrawBags() {
  PlayerPanel* panel = ui_->playerPanel.get();
  if (!panel) return;
  const bool panelHolds = hand_.Holds();
  if (!panelHolds) DrawPlayerPanel();
  auto draw = [&](PackPanel& p) {
    if (!p.IsShown()) return;
    p.UpdateHover();
    p.Draw();
    p.DrawTooltips();
  };
  if (ui_->packPanels[0]->TakenItem() != 0) {
    draw(*ui_->packPanels[1]);
    draw(*ui_->packPanels[0]);
  } else {
    draw(*ui_->packPanels[0]);
    draw(*ui_->packPanels[1]);
  }
  if (panelHolds) DrawPlayerPanel();
}

void CGame::HideBags() {
  for (auto& p : ui_->packPanels) {
    if (p) p->Hide();
  }
}

void CGame::ClosePlayerPanelPopups() {
  if (ui_->playerPanel) ui_->playerPanel->CloseSkillIcons();
}

bool CGame::PlayerPanelLeftClick() {
  PlayerPanel* panel = ui_->playerPanel.get();
  if (!panel) return false;
  const int answer = ApplyClick(panel->LeftClick(PlayerMoney()));
  hand_.Settle();
  if (answer != kElementOutside) {
    if (answer >= kElementFirstSkillIcon || (answer >= 1 && answer <= 5)) leftButtonUp_ = false;
    return OpenStatusPanel(answer);
  }
  if (hand_.Holds()) {
    DropHeldItem();
    panel->DropPickedBag();
    leftButtonUp_ = false;
    StandPlayer();
    return true;
  }
  return false;
}

bool CGame::OpenStatusPanel(int n) {
  if (mode_ == ModeBags) {
    if (n < 6) return false;
  } else if (hand_.Holds() && n < 6) {
    return false;
  }
  if (n == openPanel_ && n < 5) {
    PlaySound("button_click.wav");
    mode_ = ModePlay;
    openPanel_ = 0;
    return true;
  }
  if (n >= 1 && n <= 5) {
    PlaySound("button_click.wav");
    openPanel_ = n;
  }
  switch (n) {
    case 1:
      ShowAttributePanel();
      break;
    case 2:
      ShowNotePanel();
      break;
    case 3:
      ShowHonourPanel();
      break;
    case 4:
      ShowMissionPanel();
      break;
    case 5:
      OpenGameMenu();
      break;
    case -2:
      return false;
    default:
      break;
  }
  if (n >= 6 && n <= 18) {
    for (auto& p : ui_->packPanels) p->ClearTaken();
  }
  return true;
}

void CGame::BagClick() {
  PlayerPanel* panel = ui_->playerPanel.get();
  if (!panel) return;
  int answers[2] = {kPackOutside, kPackOutside};
  for (int i = 0; i < 2; ++i) {
    if (ui_->packPanels[i]->IsShown()) {
      answers[i] = ApplyClick(ui_->packPanels[i]->Click(hand_, PlayerMoney(), &missionList_));
    }
  }
  const int panelAnswer = ApplyClick(panel->LeftClick(PlayerMoney()));
  const bool hit =
      answers[0] != kPackOutside || answers[1] != kPackOutside || panelAnswer != kElementOutside;
  if (hit) {
    hand_.Settle();
    int bag = answers[0] != kPackOutside ? 0 : (answers[1] != kPackOutside ? 1 : -1);
    if (bag < 0) {
      OpenStatusPanel(panelAnswer);
      panel->FollowHand();
      return;
    }
    int a = answers[bag];
    if (a == -1) return;
    if (a == 0) {
      ui_->packPanels[bag]->Hide();
      if (!ui_->packPanels[1 - bag]->IsShown()) {
        sellMode_ = false;
        mode_ = ModePlay;
      }
      leftButtonUp_ = false;
      return;
    }
    ui_->packPanels[1 - bag]->ClearTaken();
    panel->FollowHand();
    return;
  }
  if (hand_.Holds() && ui_->packPanels[0]->TakenItem() == 0 &&
      ui_->packPanels[1]->TakenItem() == 0) {
    DropHeldItem();
    for (auto& p : ui_->packPanels) p->ClearTaken();
    panel->DropPickedBag();
  }
}

int32_t CGame::PlayerMoney() { return PanelPlayerRef().Growth().Attrs().money; }

int CGame::ApplyClick(const PanelClick& click) {
  PlayerGrowth& growth = PanelPlayerRef().Growth();
  if (click.money > 0) growth.ChangeMoney('+', click.money);
  if (click.money < 0) growth.ChangeMoney('-', -click.money);
  return click.answer;
}

void CGame::CloseBagsByEsc() {
  HideBags();
  for (auto& p : ui_->packPanels) {
    if (p->TakenItem() != 0) {
      p->ClearTaken();
      hand_.Clear();
    }
  }
  if (ui_->playerPanel) ui_->playerPanel->FollowHand();
  sellMode_ = false;
  // A held item taken from the player panel itself stays on the cursor.
  hand_.FreeForWorld();
  mode_ = ModePlay;
}

void CGame::UseBagCell(int cell) {
  PlayerGrowth& growth = PanelPlayerRef().Growth();
  int type = growth.UseItem(cell);
  if (type >= 5 && type <= 7) OpenBag(cell);
}

void CGame::OpenBag(int cell) {
  if (mode_ == ModeStatusPanel) return;
  Bag& bag = PanelPlayerRef().Growth().GetBag();
  SubBag* sub = nullptr;
  if (cell >= 0 && cell < bag.CellCount()) {
    Trace("get bag2\n");
    sub = bag.SubBagAt(cell);
  } else {
    Trace("get bag1\n");
  }
  if (!sub) return;
  Trace("show bag pack1\n");
  int size = sub->CellCount() >= 25 ? 2 : (sub->CellCount() >= 16 ? 1 : 0);
  int chosen = !ui_->packPanels[0]->IsShown() ? 0 : (!ui_->packPanels[1]->IsShown() ? 1 : -1);
  if (chosen < 0) return;
  PackPanel& other = *ui_->packPanels[1 - chosen];
  if (other.IsShown() && other.ShownBag() == sub) return;
  Trace("show bag pack2\n");
  if (mode_ != ModeBags) ComposeView(kSurfaceTemp);
  ui_->packPanels[chosen]->ShowBag(size, sub, "My Bag");
  mode_ = ModeBags;
}

void CGame::OpenSellPanel() {
  int kind = TalkTargetKind();
  if (kind <= 3) return;
  if (mode_ != ModeBags) ComposeView(kSurfaceTemp);
  ui_->packPanels[1]->ShowShop(2, kind - 4, "Sell Items");
  Trace(WinFormat("sell item type=%d\n", kind - 3));
  mode_ = ModeBags;
  sellMode_ = true;
}

void CGame::OnRButtonDown() {
  if (mode_ != ModePlay && mode_ != ModeStatusPanel && mode_ != ModeBags) return;
  if (!hand_.WorldFree() || !ui_->playerPanel || !HasPlayer()) return;
  RightClickResult r = ui_->playerPanel->RightClick();
  if (r.cell >= 0) {
    if (r.itemType >= 5 && r.itemType <= 7) {
      OpenBag(r.cell);
    } else {
      Trace(WinFormat("right click3:itype=%d\n", r.itemType));
    }
    return;
  }
  if (r.cell == kElementNothing) return;
  WorldRightClick();
}

bool CGame::CursorOnPlayerPanel() const {
  return ui_->playerPanel && ui_->playerPanel->CursorOnPanel();
}

}  // namespace isora
