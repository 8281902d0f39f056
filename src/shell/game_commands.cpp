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
    default:
      break;
  }
}

int CGame::OnKeyDown(int key) {
  if (mode_ == ModeFade) return 1;
  if (key == kVkEscape) {
    switch (mode_) {
      case ModePlay:
        OpenGameMenu();
        break;
      case ModeGameMenu:
      case ModeLoadPanel:
        mode_ = fade_.Target();
        break;
      case ModeBossKey:
        screens_.LeaveBossKey();
        break;
      case ModeSavePanel:
      case ModeHelp:
        mode_ = ModePlay;
        break;
      case ModeStatusPanel:
        mode_ = ModePlay;
        bags_.ClosePanel();
        break;
      case ModeBags:
        bags_.CloseBagsByEsc();
        break;
      default:
        break;
    }
    return 1;
  }
  if (key == kVkF11) {
    Trace("Start to screen shot\n");
    screens_.TakeScreenshot();
    return 1;
  }
  if (key == kVkF9) {
    if (mode_ == ModeBossKey) {
      screens_.LeaveBossKey();
    } else {
      Trace("Press F9\n");
      screens_.BossKey();
    }
    return 1;
  }
  constexpr int kDevReloadKey = kVkF1 + 4;  // F5
  if (key == kDevReloadKey && options_.dev && mode_ == ModePlay) {
    ReloadForDevelopment();
    return 1;
  }
  if (mode_ != ModePlay && mode_ != ModeStatusPanel && mode_ != ModeBags) return 1;
  if (!HasPlayer()) return 1;
  if (SelectSkillByKey(key)) return 1;
  if (key >= kVk0 + 1 && key <= kVk0 + 9) {
    bags_.UseBagCell(key - kVk0 - 1);
  } else if (key >= kVkF1 && key <= kVkF4) {
    bags_.OpenStatusPanel(key - kVkF1 + 1);
  } else if (key == kVkF8 && platform_.GetKeyState(kVkShift) < 0) {
    LevelUpPlayer();
  }
  return 1;
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
      musicState_.Restart();
      FadeTo(true, ModeMainMenu);
      renderer_.ClearCache(kOrdinaryPictures);
      renderer_.ClearCache(kKeptPictures);
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
      if (slot >= 1 && slot <= kSaveSlots) {
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
