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
  const bool loaded = ui.playerPanel && ui.playerPanel->Load("playerpanel.ini", pkg) &&
                      ui.packPanels[0]->Load("packpanel.ini", pkg, 0) &&
                      ui.packPanels[1]->Load("packpanel.ini", pkg, 1);
  // Both bag panels read the same buttons; the first one's problems stand for both.
  if (ui.playerPanel) GameUi::LogIniProblems("playerpanel.ini", *ui.playerPanel, game.Log());
  if (ui.packPanels[0]) GameUi::LogIniProblems("packpanel.ini", *ui.packPanels[0], game.Log());
  return loaded;
}

void SelectPanelSkill(CGame& game, int skillId) {
  if (game.Ui().playerPanel) game.Ui().playerPanel->ShowSkillIcon(skillId);
}

void GameBags::DrawPlayerPanel() {
  if (!game_.ui_->playerPanel) return;
  game_.ui_->playerPanel->FollowHand();
  game_.ui_->playerPanel->UpdateHover();
  game_.ui_->playerPanel->Draw();
}

void GameBags::DrawBags() {
  PlayerPanel* panel = game_.ui_->playerPanel.get();
  if (!panel) return;
  const bool panelHolds = game_.hand_.Holds();
  if (!panelHolds) DrawPlayerPanel();
  auto draw = [&](PackPanel& p) {
    if (!p.IsShown()) return;
    p.UpdateHover();
    p.Draw();
    p.DrawTooltips();
  };
  if (game_.ui_->packPanels[0]->TakenItem() != 0) {
    draw(*game_.ui_->packPanels[1]);
    draw(*game_.ui_->packPanels[0]);
  } else {
    draw(*game_.ui_->packPanels[0]);
    draw(*game_.ui_->packPanels[1]);
  }
  if (panelHolds) DrawPlayerPanel();
}

void GameBags::HideBags() {
  for (auto& p : game_.ui_->packPanels) {
    if (p) p->Hide();
  }
}

void GameBags::ClosePlayerPanelPopups() {
  if (game_.ui_->playerPanel) game_.ui_->playerPanel->CloseSkillIcons();
}

bool GameBags::PlayerPanelLeftClick() {
  PlayerPanel* panel = game_.ui_->playerPanel.get();
  if (!panel) return false;
  const int answer = ApplyClick(panel->LeftClick(PlayerMoney()));
  game_.hand_.Settle();
  if (answer != kElementOutside) {
    if (answer >= kElementFirstSkillIcon || (answer >= 1 && answer <= 5))
      game_.leftButtonUp_ = false;
    return OpenStatusPanel(answer);
  }
  if (game_.hand_.Holds()) {
    game_.DropHeldItem();
    panel->DropPickedBag();
    game_.leftButtonUp_ = false;
    game_.StandPlayer();
    return true;
  }
  return false;
}

bool GameBags::OpenStatusPanel(int n) {
  if (game_.mode_ == ModeBags) {
    if (n < 6) return false;
  } else if (game_.hand_.Holds() && n < 6) {
    return false;
  }
  if (n == openPanel_ && n < 5) {
    game_.PlaySound("button_click.wav");
    game_.mode_ = ModePlay;
    openPanel_ = 0;
    return true;
  }
  if (n >= 1 && n <= 5) {
    game_.PlaySound("button_click.wav");
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
      game_.OpenGameMenu();
      break;
    case -2:
      return false;
    default:
      break;
  }
  if (n >= 6 && n <= 18) {
    for (auto& p : game_.ui_->packPanels) p->ClearTaken();
  }
  return true;
}

void GameBags::BagClick() {
  PlayerPanel* panel = game_.ui_->playerPanel.get();
  if (!panel) return;
  int answers[2] = {kPackOutside, kPackOutside};
  for (int i = 0; i < 2; ++i) {
    if (game_.ui_->packPanels[i]->IsShown()) {
      answers[i] = ApplyClick(
          game_.ui_->packPanels[i]->Click(game_.hand_, PlayerMoney(), &game_.missionList_));
    }
  }
  const int panelAnswer = ApplyClick(panel->LeftClick(PlayerMoney()));
  const bool hit =
      answers[0] != kPackOutside || answers[1] != kPackOutside || panelAnswer != kElementOutside;
  if (hit) {
    game_.hand_.Settle();
    int bag = answers[0] != kPackOutside ? 0 : (answers[1] != kPackOutside ? 1 : -1);
    if (bag < 0) {
      OpenStatusPanel(panelAnswer);
      panel->FollowHand();
      return;
    }
    int a = answers[bag];
    if (a == -1) return;
    if (a == 0) {
      game_.ui_->packPanels[bag]->Hide();
      if (!game_.ui_->packPanels[1 - bag]->IsShown()) {
        sellMode_ = false;
        game_.mode_ = ModePlay;
      }
      game_.leftButtonUp_ = false;
      return;
    }
    game_.ui_->packPanels[1 - bag]->ClearTaken();
    panel->FollowHand();
    return;
  }
  if (game_.hand_.Holds() && game_.ui_->packPanels[0]->TakenItem() == 0 &&
      game_.ui_->packPanels[1]->TakenItem() == 0) {
    game_.DropHeldItem();
    for (auto& p : game_.ui_->packPanels) p->ClearTaken();
    panel->DropPickedBag();
  }
}

int32_t GameBags::PlayerMoney() { return game_.PanelPlayerRef().Growth().Attrs().money; }

int GameBags::ApplyClick(const PanelClick& click) {
  PlayerGrowth& growth = game_.PanelPlayerRef().Growth();
  if (click.money > 0) growth.ChangeMoney('+', click.money);
  if (click.money < 0) growth.ChangeMoney('-', -click.money);
  return click.answer;
}

void GameBags::CloseBagsByEsc() {
  HideBags();
  for (auto& p : game_.ui_->packPanels) {
    if (p->TakenItem() != 0) {
      p->ClearTaken();
      game_.hand_.Clear();
    }
  }
  if (game_.ui_->playerPanel) game_.ui_->playerPanel->FollowHand();
  sellMode_ = false;
  // A held item taken from the player panel itself stays on the cursor.
  game_.hand_.FreeForWorld();
  game_.mode_ = ModePlay;
}

void GameBags::UseBagCell(int cell) {
  PlayerGrowth& growth = game_.PanelPlayerRef().Growth();
  int type = growth.UseItem(cell);
  if (type >= 5 && type <= 7) OpenBag(cell);
}

void GameBags::OpenBag(int cell) {
  if (game_.mode_ == ModeStatusPanel) return;
  Bag& bag = game_.PanelPlayerRef().Growth().GetBag();
  SubBag* sub = nullptr;
  if (cell >= 0 && cell < bag.CellCount()) {
    game_.Trace("get bag2\n");
    sub = bag.SubBagAt(cell);
  } else {
    game_.Trace("get bag1\n");
  }
  if (!sub) return;
  game_.Trace("show bag pack1\n");
  int size = sub->CellCount() >= 25 ? 2 : (sub->CellCount() >= 16 ? 1 : 0);
  int chosen =
      !game_.ui_->packPanels[0]->IsShown() ? 0 : (!game_.ui_->packPanels[1]->IsShown() ? 1 : -1);
  if (chosen < 0) return;
  PackPanel& other = *game_.ui_->packPanels[1 - chosen];
  if (other.IsShown() && other.ShownBag() == sub) return;
  game_.Trace("show bag pack2\n");
  if (game_.mode_ != ModeBags) game_.ComposeView(kSurfaceTemp);
  game_.ui_->packPanels[chosen]->ShowBag(size, sub, game_.texts_.Get(TextId::kBagTitle));
  game_.mode_ = ModeBags;
}

void GameBags::OpenSellPanel() {
  int kind = game_.TalkTargetKind();
  if (kind <= 3) return;
  if (game_.mode_ != ModeBags) game_.ComposeView(kSurfaceTemp);
  game_.ui_->packPanels[1]->ShowShop(2, kind - 4, game_.texts_.Get(TextId::kShopTitle));
  game_.Trace(WinFormat("sell item type=%d\n", kind - 3));
  game_.mode_ = ModeBags;
  sellMode_ = true;
}

void GameBags::OnRButtonDown() {
  if (game_.mode_ != ModePlay && game_.mode_ != ModeStatusPanel && game_.mode_ != ModeBags) return;
  if (!game_.hand_.WorldFree() || !game_.ui_->playerPanel || !game_.HasPlayer()) return;
  RightClickResult r = game_.ui_->playerPanel->RightClick();
  if (r.cell >= 0) {
    if (r.itemType >= 5 && r.itemType <= 7) {
      OpenBag(r.cell);
    } else {
      game_.Trace(WinFormat("right click3:itype=%d\n", r.itemType));
    }
    return;
  }
  if (r.cell == kElementNothing) return;
  game_.WorldRightClick();
}

bool GameBags::CursorOnPlayerPanel() const {
  return game_.ui_->playerPanel && game_.ui_->playerPanel->CursorOnPanel();
}

}  // namespace isora
