// The frame: the step of each mode, the transitions, the splash sequence and the message line.
#include "foundation/enhancements.h"
#include "foundation/win_format.h"
#include "media/platform.h"
#include "roles/player_growth.h"
#include "shell/dev_reload.h"
#include "shell/game.h"
#include "shell/game_ui.h"
#include "shell/message_line_place.h"
#include "shell/screen_drawing.h"

namespace isora {

namespace {

int gSplashIndex = 0;

constexpr ColorRef kNoticeColor = 0x023EDA;
constexpr std::array<Point, 4> kNoticeOutline = {Point{-1, 0}, Point{1, 0}, Point{0, -1},
                                                 Point{0, 1}};

}  // namespace

const char* GameModeName(int32_t mode) {
  static const char* kNames[] = {
      "ModeSplash",      "ModeFade",      "ModeMainMenu",   "ModePlay",       "ModeTalk",
      "ModeGameMenu",    "ModeSavePanel", "ModeLoadPanel",  "ModeCredits",    "ModeStatusPanel",
      "ModeBags",        "ModeIdle",      "ModeFrozen",     "ModeGameOver",   "ModeQuit",
      "ModeHelp",        "ModeBossKey",   "ModeLoadingMap", "ModeBuildWorld", "ModeLoadingGame",
      "ModeRestoreGame", "ModeOptions"};
  if (mode < 0 || mode > ModeOptions) return "Mode?";
  return kNames[mode];
}

int32_t SplashIndex() { return gSplashIndex; }
void ResetSplashIndex() { gSplashIndex = 0; }
void SkipSplash() { gSplashIndex = 5; }
void CGame::StartOnMap(const std::string& map, int32_t row, int32_t column) {
  SkipSplash();
  platform_.ShowCursor(true);
  RequestMapChange(map, row, column, 5, 1);
}

bool CGame::StartFromSlot(int slot) {
  SkipSplash();
  platform_.ShowCursor(true);
  return saves_.LoadFromMainMenu(slot);
}

void CGame::ReloadForDevelopment() {
  if (mode_ != ModePlay || !HasPlayer()) return;
  // The INI package first: game.ini's settings, the map and script indexes, the engine's texts
  // and the panels. A package that cannot be read leaves everything as it was.
  if (const std::string problem = IniPackageProblem(); !problem.empty()) {
    log_.WriteText("Reloading the INI package failed: " + problem);
    ShowMessage("Reloading the INI package failed: " + problem);
  } else {
    log_.WriteText("Reloading " + iniPackage_ + " from the game folder");
    ReadGameIni();
    // Panel pictures too may have changed in their package.
    renderer_.ClearCache(kKeptPictures);
    std::string why;
    if (!ReloadPanels(*this, &why)) log_.WriteText(why);
  }
  const RolePlace place = PlayerSnapshot().place;
  const CellIndex cell = map_.CellAt(place.x, place.y);
  log_.WriteText("Reloading map\\" + mapInfo_.MapFile() + " from the game folder");
  // A role placed on a cell stands one row and one column up from it.
  RequestMapChange(mapInfo_.MapFile(), cell.row + 1, cell.column + 1, place.direction, 0);
}

void CGame::Frame() {
  skipPresent_ = false;
  messageLineDrawn_ = false;
  switch (mode_) {
    case ModeSplash:
      SplashStep();
      break;
    case ModeFade:
      FadeStep();
      break;
    case ModeMainMenu:
      StartMusicOnce(musicState_.ScreenFile(MusicScreen::kStart));
      GameUi::HoverAndDraw(ui_->mainMenu);
      TransitionCheck();
      break;
    case ModePlay:
      PlayStep();
      break;
    case ModeTalk:
      SavedScreenStep();
      ui_->DrawTalkDialog();
      break;
    case ModeGameMenu:
      SavedScreenStep();
      GameUi::HoverAndDraw(ui_->gameMenu);
      break;
    case ModeSavePanel:
    case ModeLoadPanel:
      SavedScreenStep();
      GameUi::HoverAndDraw(ui_->savePanel);
      break;
    case ModeCredits:
      StartMusicOnce(musicState_.ScreenFile(MusicScreen::kCredits));
      CopyGroundToBackBuffer(renderer_);
      TransitionCheck();
      break;
    case ModeStatusPanel:
      SavedScreenStep();
      GameUi::HoverAndDraw(ui_->messageDialog);
      bags_.DrawPlayerPanel();
      break;
    case ModeBags:
      SavedScreenStep();
      bags_.DrawBags();
      break;
    case ModeIdle:
      break;
    case ModeGameOver:
      StartMusicOnce(musicState_.ScreenFile(MusicScreen::kEnd));
      CopyGroundToBackBuffer(renderer_);
      TransitionCheck();
      break;
    case ModeQuit:
      Quit();
      break;
    case ModeHelp:
      SavedScreenStep();
      GameUi::HoverAndDraw(ui_->messageDialog);
      break;
    case ModeLoadingMap:
      DrawNotice(texts_.Get(TextId::kLoadingMap));
      mode_ = ModeBuildWorld;
      break;
    case ModeBuildWorld:
      BuildWorld();
      autosaveDue_ = Enhanced().On(Enhancement::kAutosave);
      break;
    case ModeLoadingGame:
      DrawNotice(texts_.Get(TextId::kLoadingGame));
      mode_ = ModeRestoreGame;
      break;
    case ModeRestoreGame:
      saves_.RestoreStep();
      break;
    case ModeOptions:
      ui_->controls->DrawOptions();
      break;
    case ModeFrozen:
    case ModeBossKey:
    default:
      SavedScreenStep();
      break;
  }
  if (skipPresent_) return;
  if (!Enhanced().On(Enhancement::kMessageLinePlaced)) {
    // The line goes over whatever the screen is and counts down on every screen.
    DrawMessageLine();
    if (!renderer_.Flip()) renderer_.RestoreAll();
    return;
  }
  switch (MessageLinePlaceFor(mode_, fade_.Target())) {
    case MessageLinePlace::kOverScreen:
      if (!messageLineDrawn_) DrawMessageLine();
      break;
    case MessageLinePlace::kCleared:
      renderer_.SetMessageLine({}, 0);
      break;
    case MessageLinePlace::kUnderPanel:
    case MessageLinePlace::kHidden:
      break;
  }
  if (!renderer_.Flip()) renderer_.RestoreAll();
}

void CGame::SavedScreenStep() {
  Surface* back = renderer_.GetSurface(kSurfaceBackBuffer);
  Surface* saved = renderer_.GetSurface(kSurfaceTemp);
  if (back && saved) back->BltFast(0, 0, *saved, kScreenRect, kBltNoColorKey);
  if (Enhanced().On(Enhancement::kMessageLinePlaced) &&
      MessageLinePlaceFor(mode_, fade_.Target()) == MessageLinePlace::kUnderPanel)
    DrawMessageLine();
}

void CGame::TransitionCheck() {
  if (!fade_.Shown()) FadeTo(false, mode_);
}

void CGame::StartMusicOnce(const std::string& file) {
  musicState_.StartScreenMusic(music_, &platform_, file, MusicOn());
}

void CGame::FadeTo(bool fadeOut, GameMode target) {
  Surface* back = renderer_.GetSurface(kSurfaceBackBuffer);
  Surface* saved = renderer_.GetSurface(kSurfaceTemp);
  if (back && saved) saved->BltFast(0, 0, *back, kScreenRect, kBltNoColorKey);
  fade_.Start(fadeOut, target);
  mode_ = ModeFade;
  skipPresent_ = true;
}

void CGame::FadeStep() {
  Surface* back = renderer_.GetSurface(kSurfaceBackBuffer);
  Surface* saved = renderer_.GetSurface(kSurfaceTemp);
  if (back && saved) {
    const Rect& source = fade_.Source();
    int x = (kScreenWidth - source.Width()) / 2;
    int y = (kScreenHeight - source.Height()) / 2;
    back->BltFast(x, y, *saved, source, kBltSrcColorKey);
  }
  if (Enhanced().On(Enhancement::kScaledFades))
    renderer_.FadeTowardBlack(kSurfaceBackBuffer, kScreenRect, fade_.Level());
  else if (fade_.Level() > 0)
    renderer_.Darken(kSurfaceBackBuffer, kScreenRect, fade_.Level());
  if (fade_.Advance()) {
    ++gSplashIndex;
    mode_ = fade_.Target();
  }
}

void CGame::SplashStep() {
  if (gSplashIndex >= 5) {
    platform_.ShowCursor(true);
    platform_.SetCursorPos(320, 195);
    mode_ = ModeMainMenu;
    return;
  }
  const std::string& pic = splashPictures_[gSplashIndex];
  if (pic.empty() || pic == "null") {
    ++gSplashIndex;
    return;
  }
  Trace(WinFormat("bgindex=%d,pic path=%s\n", gSplashIndex, pic.c_str()));
  ShowSplashPicture(pic, ModeSplash);
}

void CGame::ShowSplashPicture(const std::string& path, GameMode returnMode) {
  int pack = 0;
  std::string member;
  Size size;
  if (SplitPicturePath(path, &pack, &member)) size = renderer_.GetPictureSize(pack, member);
  if (size.cx <= 0 || size.cy <= 0) {
    ++gSplashIndex;
    mode_ = returnMode;
    return;
  }
  renderer_.DrawPictureTo(pack, member, kSurfaceTemp, 0, 0, false);
  fade_.StartPicture(Rect{0, 0, std::min(size.cx, kScreenWidth), std::min(size.cy, kScreenHeight)},
                     returnMode);
  mode_ = ModeFade;
}

void CGame::DrawNotice(const std::string& text) {
  Surface* back = renderer_.GetSurface(kSurfaceBackBuffer);
  if (back) back->Fill(0);
  std::array<Point, 4> outline;
  for (int i = 0; i < 4; ++i) {
    outline[i] = Point{320 + kNoticeOutline[i].x, 240 + kNoticeOutline[i].y};
  }
  DrawOutlined(renderer_, text, 320, 240, kSurfaceBackBuffer, outline, kWhite, kNoticeColor);
}

void CGame::DrawMessageLine() {
  messageLineDrawn_ = true;
  if (renderer_.MessageCountdown() <= 0) return;
  const std::string& text = renderer_.MessageText();
  Size ext = renderer_.TextExtent(text);
  int x = (630 - ext.cx) / 2;
  int y = (365 - ext.cy) / 2;
  renderer_.Blend50(kSurfaceBackBuffer, Rect{x, y, x + ext.cx + 10, y + ext.cy + 5}, true);
  renderer_.DrawText(text, 320, y + 2, kSurfaceBackBuffer, kTaCenter, kWhite);
  renderer_.SetMessageCountdown(renderer_.MessageCountdown() - 1);
}

void CGame::ShowMessage(const std::string& text) {
  std::string t = ExpandCommaEscapes(text);
  std::string line = renderer_.MessageText();
  if (renderer_.MessageCountdown() <= 0 || line.find(t) != std::string::npos) {
    line = t;
  } else if (line.size() + t.size() > 77) {
    line = t;
  } else {
    line += "  " + t;
  }
  renderer_.SetMessageLine(line, 70);
}

void CGame::PlaySound(const std::string& file) {
  if (file.empty()) return;
  std::string path = file;
  bool inFolder =
      file.size() > 6 && (file.compare(0, 6, "sound\\") == 0 || file.compare(0, 6, "sound/") == 0);
  if (!inFolder) path = "sound\\" + file;
  lastSound_ = path;
  if (effectSounds_) effectSounds_->Play(path);
}

bool CGame::RequestMapChange(const std::string& mapName, int32_t row, int32_t column,
                             int32_t direction, bool newGame) {
  transition_ = MapTransition{mapName, row, column, direction, newGame};
  FadeTo(true, ModeLoadingMap);
  return true;
}

}  // namespace isora
