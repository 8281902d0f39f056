// Start-up, configuration, the message loop and shutdown.

#include <new>

#include "foundation/enhancements.h"
#include "foundation/file_io.h"
#include "foundation/ini_file.h"
#include "foundation/package_file.h"
#include "media/font.h"
#include "media/platform.h"
#include "script/script_engine.h"
#include "shell/game.h"
#include "shell/game_rules.h"
#include "shell/game_ui.h"
#include "shell/game_world.h"

namespace isora {

namespace {

constexpr const char* kGameFontFile = "data\\seguibk.ttf";

}  // namespace

std::string Field30(const std::string& value) { return value.substr(0, 29); }

std::string LogPathFor(const std::string& workingDir) {
  if (!workingDir.empty() && (workingDir.back() == '\\' || workingDir.back() == '/')) {
    return workingDir + "GameEngine.log";
  }
  char sep = workingDir.find('\\') != std::string::npos ? '\\' : '/';
  return workingDir + sep + "GameEngine.log";
}

CGame::CGame(Platform& platform, const GameOptions& options)
    : platform_(platform),
      options_(options),
      renderer_(options.pixelFormat),
      map_(&log_),
      workingDir_(PlayerFolder()) {
  // The game's writer starts each run with an empty log and its header; the mission list shares it.
  log_ = GameLog(LogPathFor(workingDir_), true);
  missionList_.SetLog(&log_);
  // Each game is a session: a package that cannot be read shows its box once in it.
  PackageFile::ForgetReportedFailures();
  relations_.SetMessageFn([this](const std::string& text) { ShowMessage(text); });
  relations_.SetTexts(&texts_);
  effectSounds_ = std::make_unique<SoundBank>();
  ui_.reset(new GameUi(renderer_, this));
  ui_->controls = std::make_unique<GameControls>(*this, platform_, options_.settingsFile);
  ConstructWorld();
}

CGame::~CGame() {
  SetEnhanced(Enhancements{});
  Fonts::RemoveFontResource(kGameFontFile);
  hoverSound_.reset();
  if (mouse_) mouse_->Release();
  mouse_.reset();
  ui_.reset();
  world_.reset();
  if (renderer_.IsInitialized()) renderer_.Release();
  script_.reset();
  effectSounds_.reset();
  ShutdownSound();
  music_.StopAndClose();
}

void CGame::Trace(const std::string& text) { platform_.DebugOutput(text); }

void CGame::DestroyWindow() {
  if (platform_.HasWindow()) platform_.DestroyGameWindow();
}

bool CGame::Init() {
  if (!platform_.CreateGameWindow("Game")) return false;
  if (!platform_.LoadAnimatedCursor("data\\cursor.ani"))
    log_.Write("data\\cursor.ani could not be set as the cursor; the system's cursor is shown.");

  if (!renderer_.Init(&platform_)) {
    failure_.Report(platform_, log_, "Initialize DirectDraw failed!", "");
    renderer_.Release();
    DestroyWindow();
    return false;
  }

  mouse_.reset(new (std::nothrow) MouseDevice);
  const int32_t hr = mouse_ ? mouse_->Create(&platform_, true, false, true) : -1;
  if (hr < 0) {
    log_.WriteText(mouse_ ? "Create Input Device---Mouse...Failed!"
                          : "New DirectInput Device---Mouse...Failed!");
    failure_.Report(platform_, log_, "Initialize DirectInput failed!", "");
    renderer_.Release();
    DestroyWindow();
    return false;
  }
  log_.WriteText("Create Input Device---Mouse...OK!");

  if (options_.noSound) {
    SetSoundEnabled(false);
  } else if (InitSound(&platform_) == 0) {
    // A game may ask to be told on the message line once play starts instead.
    if (GameAsksFor(Enhancement::kQuietNoAudio))
      noSoundNote_ = true;
    else
      platform_.MessageBox("Initialize DirectSound failed!", "error", MessageBoxIcon::None);
    SetSoundEnabled(false);
    ShutdownSound();
  }

  hoverSound_ = std::make_unique<SoundBuffer>();
  if (!IsSoundEnabled() || !hoverSound_->Load("sound\\button_over.wav") ||
      !hoverSound_->HasBuffer()) {
    hoverSound_.reset();
  }
  Trace("init dsound ok.");

  if (!itemDb_.Load("data\\items.itm")) {
    failure_.Report(platform_, log_, "Load item database failed!", "data\\items.itm");
    renderer_.Release();
    DestroyWindow();
    return false;
  }
  if (!skillDb_.Load("data\\skill.skl")) {
    failure_.Report(platform_, log_, "Load skill database failed!", "data\\skill.skl");
    renderer_.Release();
    DestroyWindow();
    return false;
  }
  for (const auto& [file, tail] : {std::pair{"data\\items.itm", itemDb_.IgnoredTail()},
                                   std::pair{"data\\skill.skl", skillDb_.IgnoredTail()}}) {
    if (tail > 0)
      log_.Write("%s ends inside a record: its last %zu bytes are left out.", file, tail);
  }
  if (!ReadGameIni()) {
    failure_.Report(platform_, log_, "Load game.ini failed!",
                    iniPackage_.empty() ? "game.ini" : iniPackage_ + "::game.ini");
    DestroyWindow();
    return false;
  }
  if (!ui_->LoadMenus(iniPackage_, log_)) {
    failure_.Report(platform_, log_, "Load ini files failed!", iniPackage_);
    DestroyWindow();
    return false;
  }
  ui_->controls->Start(iniPackage_);
  platform_.ShowCursor(false);
  // The game's own face, when it ships one, is preferred for as long as the game lives.
  Fonts::AddFontResource(kGameFontFile);
  return true;
}

bool CGame::GameAsksFor(Enhancement e) const {
  IniFile ini;
  if (!ini.Load("game.ini", nullptr)) return false;
  const std::string package = Field30(ini.GetString("MDfile", "ini"));
  ini.Clear();
  return !package.empty() && ini.Load("game.ini", package.c_str()) && ReadEnhancements(ini).On(e);
}

bool CGame::ReadGameIni() {
  IniFile ini;
  if (!ini.Load("game.ini", nullptr)) return false;
  iniPackage_ = Field30(ini.GetString("MDfile", "ini"));
  ini.Clear();
  if (iniPackage_.empty() || !ini.Load("game.ini", iniPackage_.c_str())) return false;
  for (int i = 0; i < 5; ++i) {
    std::string section = "FlashWindow" + std::to_string(i + 1);
    splashPictures_[i] = Field30(ini.GetString(section.c_str(), "pic"));
  }
  musicState_.SetScreenFile(MusicScreen::kStart, Field30(ini.GetString("music", "start")));
  musicState_.SetScreenFile(MusicScreen::kEnd, Field30(ini.GetString("music", "end")));
  static const char* kPackKeys[kPackCount] = {"role", "ui", "face", "items", "skill", "tiles"};
  for (int i = 0; i < kPackCount; ++i) {
    renderer_.SetPackPath(i, Field30(ini.GetString("MDfile", kPackKeys[i])));
  }
  scriptPackage_ = Field30(ini.GetString("MDfile", "script"));
  // [enhanced] <switch>=0/1: the behaviours the game asks for beyond the classic ones.
  gameSwitches_ = ReadEnhancements(ini);
  ApplySwitches();
  ini.Clear();
  map_.LoadIndexes(iniPackage_);
  // A game may give the engine's own texts in its language; without the file they stay built in.
  texts_.Reset();
  IniFile strings;
  if (strings.Load("strings.ini", iniPackage_))
    for (const std::string& refused : texts_.Load(strings))
      log_.WriteText("strings.ini: " + refused);
  return true;
}

void CGame::ApplySwitches() {
  const Enhancements now =
      ui_ && ui_->controls ? ui_->controls->settings.Over(gameSwitches_) : gameSwitches_;
  SetEnhanced(now);
  world_->route.SetEnabled(now.On(Enhancement::kPathFinding));
}

int CGame::Run() {
  WindowProc(Message{kUmSetGame, 0, 0});
  int exitCode = 0;
  for (;;) {
    PumpResult r = Pump(&exitCode);
    if (r == PumpResult::kQuit) return exitCode;
    // The design spins between frames; a real window sleeps until the next frame is due or a
    // message comes, whichever is first (polling every millisecond cost more than the frame).
    if (r == PumpResult::kIdle && active_)
      platform_.WaitMessageFor(clock_.MsUntilDue(platform_.TickCount()));
  }
}

CGame::PumpResult CGame::Pump(int* exitCode) {
  clock_.Tick(platform_.TickCount());
  Message msg;
  if (platform_.PeekMessage(&msg, false)) {
    if (!platform_.GetMessage(&msg)) {
      *exitCode = static_cast<int>(msg.wParam);
      return PumpResult::kQuit;
    }
    WindowProc(msg);
    return PumpResult::kMessage;
  }
  if (active_) {
    uint32_t t = platform_.TickCount();
    if (clock_.FrameDue(t)) {
      // Held-button play follows the cursor between clicks, so a recording keeps it too.
      RecordInput(Message{kWmMouseMove, 0, 0});
      ui_->controls->Step();
      Frame();
      buttonLatch_.Clear();
      clock_.FrameRan(t);
      return PumpResult::kFrame;
    }
    return PumpResult::kIdle;
  }
  platform_.WaitMessage();
  return PumpResult::kIdle;
}

void CGame::WindowProc(const Message& msg) {
  RecordInput(msg);
  switch (msg.message) {
    case kWmDestroy:
      platform_.PostQuitMessage(failure_.ExitStatus());
      return;
    case kWmClose:
      // A game that autosaves asks before play that was never saved is lost.
      if (Enhanced().On(Enhancement::kAutosave) && progressSinceSave_ && HasPlayer() &&
          !world_->player->IsDead() &&
          platform_.AskYesNo(texts_.Get(TextId::kSaveBeforeQuit), "Game"))
        saves_.Autosave();
      DestroyWindow();
      return;
    case kUmSetGame:
      gameRegistered_ = true;
      return;
    case kUmGraphNotify:
      Trace("UM_GRAPHNOTIFY!\n");
      music_.OnGraphNotify();
      return;
    default:
      break;
  }
  if (!gameRegistered_) return;
  switch (msg.message) {
    case kWmActivateApp:
      active_ = msg.wParam != 0;
      break;
    case kWmKeyDown:
      if (mode_ == ModePlay) progressSinceSave_ = true;
      OnKeyDown(static_cast<int>(msg.wParam));
      break;
    case kWmLButtonDown:
      if (mode_ == ModePlay) progressSinceSave_ = true;
      OnLButtonDown();
      if (leftButtonUp_) buttonLatch_.Press(LatchedButton::kLeft);
      break;
    case kWmLButtonUp:
      leftButtonUp_ = true;
      lockedNpc_ = -1;
      break;
    case kWmRButtonDown:
      if (mode_ == ModeOptions) ui_->controls->OptionsClick(true);
      bags_.OnRButtonDown();
      if (mode_ == ModePlay) buttonLatch_.Press(LatchedButton::kRight);
      break;
    case kUmPadButtonDown:
    case kUmPadButtonUp:
    case kUmPadAxis:
    case kUmPadConnected:
      ui_->controls->OnPadMessage(msg);
      break;
    default:
      break;
  }
}

void CGame::Quit() {
  music_.Pause();
  platform_.PostMessage(kWmClose);
}

}  // namespace isora
