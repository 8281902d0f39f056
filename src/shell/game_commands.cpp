// The player's keys and left clicks, by mode.
#include "foundation/win_format.h"
#include "script/script_engine.h"
#include "shell/game.h"
#include "shell/game_ui.h"
#include "shell/replay.h"

namespace isora {

void CGame::RecordInput(const Message& msg) {
  if (!recorder_) return;
  const int64_t frame = clock_.FramesRun();
  Point c = platform_.GetCursorPos();
  switch (msg.message) {
    case kWmMouseMove:
      recorder_->Move(frame, c.x, c.y);
      break;
    case kWmLButtonDown:
    case kWmLButtonUp:
    case kWmRButtonDown:
    case kWmRButtonUp:
      recorder_->Move(frame, c.x, c.y);
      recorder_->Button(frame, msg.message == kWmLButtonDown || msg.message == kWmLButtonUp,
                        msg.message == kWmLButtonDown || msg.message == kWmRButtonDown);
      break;
    case kWmKeyDown:
      recorder_->Key(frame, static_cast<int>(msg.wParam), platform_.GetKeyState(kVkShift) < 0);
      break;
    case kUmPadButtonDown:
    case kUmPadButtonUp:
      recorder_->PadButton(frame, static_cast<int>(msg.wParam), msg.message == kUmPadButtonDown);
      break;
    case kUmPadAxis:
      recorder_->PadAxis(frame, static_cast<int>(msg.wParam), static_cast<int>(msg.lParam));
      break;
    case kUmPadConnected:
      recorder_->PadConnected(frame, msg.wParam != 0, static_cast<int>(msg.lParam));
      break;
    default:
      break;
  }
}

int CGame::OnKeyDown(int key) {
  const bool unbound =
      ui_->controls->settings.bindings.ActionForKey(key, false) == ControlAction::kNone;
  if (unbound && key == kVkTab && mode_ == ModePlay && Enhanced().On(Enhancement::kMinimap)) {
    minimapHidden_ = !minimapHidden_;
    return 1;
  }
  if (key == kVkEscape && mode_ == ModeFrozen && saves_.AutosaveExists()) {
    LeaveDeathScreen();
    return 1;
  }
  ui_->controls->OnKey(key);
  return 1;
}

void CGame::LeaveDeathScreen() {
  musicState_.Restart();
  FadeTo(true, ModeMainMenu);
  renderer_.ClearCache(kOrdinaryPictures);
  renderer_.ClearCache(kKeptPictures);
}

void GameControls::OnKey(int key) {
  if (game.mode_ == ModeFade) return;
  const bool shift = platform.GetKeyState(kVkShift) < 0;
  if (game.mode_ == ModeOptions && awaiting != ControlAction::kNone) {
    if (!awaitingPad || key == kVkEscape) TakeKey(key, shift);
    return;
  }
  RunAction(settings.bindings.ActionForKey(key, shift), key);
}

// The key table, by command: a key the player bound to a command does what the game's own key
// for it did. `key` is the key pressed (0 for a pad button), for the skills' own keys.
void GameControls::RunAction(ControlAction action, int key) {
  CGame& g = game;
  if (g.mode_ == ModeFade) return;
  if (action == ControlAction::kMenu) {
    switch (g.mode_) {
      case ModePlay:
        g.OpenGameMenu();
        break;
      case ModeGameMenu:
      case ModeLoadPanel:
        g.mode_ = g.fade_.Target();
        break;
      case ModeBossKey:
        g.screens_.LeaveBossKey();
        break;
      case ModeSavePanel:
      case ModeHelp:
        g.mode_ = ModePlay;
        break;
      case ModeStatusPanel:
        g.mode_ = ModePlay;
        g.bags_.ClosePanel();
        break;
      case ModeBags:
        g.bags_.CloseBagsByEsc();
        break;
      case ModeOptions:
        CloseOptions();
        break;
      default:
        break;
    }
    return;
  }
  if (action == ControlAction::kScreenshot) {
    g.Trace("Start to screen shot\n");
    g.screens_.TakeScreenshot();
    return;
  }
  if (action == ControlAction::kBossKey) {
    if (g.mode_ == ModeBossKey) {
      g.screens_.LeaveBossKey();
    } else {
      g.Trace("Press F9\n");
      g.screens_.BossKey();
    }
    return;
  }
  constexpr int kDevReloadKey = kVkF1 + 4;  // F5
  if (key == kDevReloadKey && g.options_.dev && g.mode_ == ModePlay) {
    g.ReloadForDevelopment();
    return;
  }
  if (g.mode_ != ModePlay && g.mode_ != ModeStatusPanel && g.mode_ != ModeBags) return;
  if (!g.HasPlayer()) return;
  if (key != 0 && g.SelectSkillByKey(key)) return;
  if (action >= ControlAction::kBag1 && action <= ControlAction::kBag9) {
    g.bags_.UseBagCell(static_cast<int>(action) - static_cast<int>(ControlAction::kBag1));
  } else if (action >= ControlAction::kPanel1 && action <= ControlAction::kPanel4) {
    g.bags_.OpenStatusPanel(static_cast<int>(action) - static_cast<int>(ControlAction::kPanel1) +
                            1);
  } else if (action == ControlAction::kLevelUp) {
    g.LevelUpPlayer();
  }
}

void CGame::OnLButtonDown() {
  if (mode_ == ModePlay && ui_->tutorialPanel) {
    int answer = ui_->tutorialPanel->OnClick();
    if (answer == kPagerExit) {
      ui_->tutorialPanel.reset();
      Trace("delete m_pTutorialPanel\n");
      leftButtonUp_ = false;
    }
    if (answer >= -1) return;
  }
  if ((mode_ == ModePlay || mode_ == ModeStatusPanel) && HasPlayer()) {
    if (bags_.PlayerPanelLeftClick()) return;
  }
  switch (mode_) {
    case ModeFade:
      fade_.SkipPictureFadeIn();
      break;
    case ModeFrozen:
      // With an autosave the death screen offers it: a click loads it, Esc leaves.
      if (saves_.AutosaveExists()) {
        saves_.ContinueFromAutosave();
        break;
      }
      LeaveDeathScreen();
      break;
    case ModeTalk:
      TalkClick();
      break;
    case ModeGameMenu:
      switch (ui_->gameMenu.OnClick()) {
        case kMenuBack:
          mode_ = ModePlay;
          leftButtonUp_ = false;
          break;
        case kMenuSave:
          saves_.ShowSlotList(false);
          break;
        case kMenuLoad:
          mode_ = ModePlay;
          saves_.ShowSlotList(true);
          break;
        case kMenuHelp:
          screens_.ShowHelp();
          break;
        case kMenuOptions:
          ui_->controls->OpenOptions(ModeGameMenu);
          break;
        case kMenuExit:
          musicState_.Restart();
          FadeTo(true, ModeMainMenu);
          ui_->tutorialPanel.reset();
          renderer_.ClearCache(kOrdinaryPictures);
          renderer_.ClearCache(kKeptPictures);
          break;
        default:
          break;
      }
      break;
    case ModeMainMenu:
      switch (ui_->mainMenu.OnClick()) {
        case kMainStart:
          if (!RunScriptFile("main.gsp", true)) RequestMapChange("main.map", -1, -1, 5, true);
          break;
        case kMainLoad:
          saves_.ShowSlotList(true);
          break;
        case kMainAbout:
          screens_.ShowCredits();
          break;
        case kMainExit:
          FadeTo(true, ModeQuit);
          break;
        case kMainOptions:
          ui_->controls->OpenOptions(ModeMainMenu);
          break;
        default:
          break;
      }
      break;
    case ModeStatusPanel:
      if (ui_->messageDialog.OnClick() == kDialogExit) {
        mode_ = ModePlay;
        leftButtonUp_ = false;
        bags_.ClosePanel();
      }
      break;
    case ModeSavePanel: {
      int slot = ui_->savePanel.OnClick();
      if (slot >= 1 && slot <= kSaveSlots) {
        saves_.SaveGame(slot);
        mode_ = ModePlay;
        leftButtonUp_ = false;
      } else if (slot == 0) {
        mode_ = ModePlay;
        leftButtonUp_ = false;
      }
      break;
    }
    case ModeLoadPanel: {
      int slot = ui_->savePanel.OnClick();
      if (slot >= 1 && slot <= GameSaves::kAutosaveSlot) {
        if (saves_.RequestLoad(slot)) {
          renderer_.ClearCache(kOrdinaryPictures);
          ui_->tutorialPanel.reset();
        }
      } else if (slot == 0) {
        leftButtonUp_ = false;
        mode_ = fade_.Target();
      }
      break;
    }
    case ModeHelp:
      if (ui_->messageDialog.OnClick() == kDialogExit) {
        mode_ = ModePlay;
        leftButtonUp_ = false;
      }
      break;
    case ModeCredits:
      FadeTo(true, ModeMainMenu);
      break;
    case ModeGameOver:
      musicState_.Restart();
      FadeTo(true, ModeMainMenu);
      renderer_.ClearCache(kOrdinaryPictures);
      renderer_.ClearCache(kKeptPictures);
      break;
    case ModeBossKey:
      screens_.LeaveBossKey();
      break;
    case ModeBags:
      bags_.BagClick();
      break;
    case ModeOptions:
      ui_->controls->OptionsClick(false);
      break;
    default:
      break;
  }
}

void CGame::TalkClick() {
  leftButtonUp_ = false;
  if (!ui_->talkDialog) {
    mode_ = ModePlay;
    return;
  }
  int answer = ui_->talkDialog->OnClick();
  if (answer == kAnswerMissed) return;
  mode_ = ModePlay;
  ui_->talkDialog.reset();
  if (script_) {
    if ((answer == kAnswerNo || answer == kAnswerYes) && !answerVariable_.empty()) {
      script_->SetVariable(answerVariable_, answer);
    }
    script_->SetWaiting(0);
  } else {
    bags_.OpenSellPanel();
  }
}

void CGame::OpenGameMenu() {
  ComposeView(kSurfaceTemp);
  bags_.HideBags();
  bags_.ClosePlayerPanelPopups();
  fade_.SetTarget(ModePlay);
  mode_ = ModeGameMenu;
}

}  // namespace isora
