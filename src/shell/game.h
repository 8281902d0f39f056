// CGame: the one game object. It owns every subsystem, runs the start-up sequence, the message
// loop and the frames, answers the player's keys and clicks, and is the host of the scripts.
// Its operations are split by concern over several files: game_init (start-up, loop, world
// building), game_frame (modes, fades, the message line), game_world (the play step and the
// roles), game_commands (keys and clicks), game_panels (status panels and dialogs),
// game_side_screens (credits, game over, help, boss key, screenshot, rain, tutorial),
// game_script_host (script commands) and game_save (save and load).
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/game_log.h"
#include "items/item_database.h"
#include "items/skill_database.h"
#include "media/mouse_device.h"
#include "media/music_player.h"
#include "media/platform.h"
#include "media/renderer.h"
#include "media/sound.h"
#include "panels/hand.h"
#include "quests/mission_list.h"
#include "quests/relations.h"
#include "roles/player_growth.h"
#include "save/save_data.h"
#include "save/save_file.h"
#include "script/script_engine.h"
#include "shell/button_latch.h"
#include "shell/fade.h"
#include "shell/failure_report.h"
#include "shell/game_mode.h"
#include "shell/game_rules.h"
#include "shell/game_script_host.h"
#include "shell/map_transition.h"
#include "shell/music_state.h"
#include "shell/rain.h"
#include "shell/sound_bank.h"
#include "ui/ui_host.h"
#include "world/game_map.h"

namespace isora {

class IniFile;
class PanelPlayer;
class Platform;
class ReplayRecorder;
struct GameUi;
struct GameWorld;

// The panels and the roles live behind these, each complete only in the files that use it.
struct GameUiDeleter {
  void operator()(GameUi* ui) const;
};
struct GameWorldDeleter {
  void operator()(GameWorld* world) const;
};

// A ground item as the state dump shows it.
struct GroundItemState {
  int item = 0;
  std::string name;
  int x = 0, y = 0;
  bool highlighted = false;
};

struct GameOptions {
  PixelFormat pixelFormat = PixelFormat::Rgb565;
  bool noSound = false;
  bool trace = false;
  bool dev = false;  // F5 rebuilds the current map from the game folder
};

class CGame : public UiHost {
 public:
  // Creates the databases, renderer, mission list, map, menus and music player; no window and
  // no device yet. The platform (not owned) is the window and the message queue.
  CGame(Platform& platform, const GameOptions& options = {});
  ~CGame() override;
  CGame(const CGame&) = delete;
  CGame& operator=(const CGame&) = delete;

  // Start-up: window, renderer, mouse, sound, databases, game.ini, the four menu INIs. False
  // after a failure has been shown and the window destroyed.
  bool Init();
  // The message loop until kWmQuit; returns its exit code.
  int Run();
  // One pass of the loop: a pending message, else a frame when due, else a wait. False with
  // *exitCode set once kWmQuit has been taken.
  enum class PumpResult { kQuit, kMessage, kFrame, kIdle };
  PumpResult Pump(int* exitCode);
  // What the window procedure does with one message.
  void WindowProc(const Message& msg);
  void Quit();

  // Fades out towards loading `mapName`; a new game makes a fresh player there.
  bool RequestMapChange(const std::string& mapName, int32_t row, int32_t column, int32_t direction,
                        bool newGame);
  bool BuildWorld();
  bool RunScriptFile(const std::string& file, bool quiet);
  void FadeTo(bool fadeOut, GameMode target);

  // One frame of the current mode, then the message line and presentation.
  void Frame();
  void ShowMessage(const std::string& text) override;
  // A sound of the sound folder, once: a bare name gets "sound\" in front; a path that already
  // names the folder (as the growth rules give them) is used as it stands.
  void PlaySound(const std::string& file) override;

  bool LoadMap(const std::string& path);
  void LoadTiles();
  bool CreatePlayer(const std::string& file, int32_t x, int32_t y, int32_t direction);

  // Commands.
  int OnKeyDown(int virtualKey);
  void OnLButtonDown();
  void OnRButtonDown();

  // Save and load.
  int SaveGame(int slot);
  int RequestLoad(int slot);
  int LoadGame();
  void ShowSlotList(bool loading);

  // Side screens.
  bool ShowCredits();
  void ShowGameOver();
  void ShowHelp();
  void BossKey();
  bool TakeScreenshot();
  void StartRain();
  void DrawRain(int surface);
  void ShowTutorialPanel();

  // Status panels.
  bool OpenStatusPanel(int n);
  void ShowAttributePanel();
  void ShowNotePanel();
  void ShowHonourPanel();
  void ShowMissionPanel();

  // UiHost (also what the roles' growth reports to).
  void Beep() override;
  void ItemUsedUp(const std::string& itemName);
  void RoleKilled(const std::string& roleName);
  Point CursorPos() const override;
  bool PlayHoverSound() override;

  // Writes the input of this session as a replay (not owned; null for none).
  void SetRecorder(ReplayRecorder* recorder) { recorder_ = recorder; }

  // The edit loop's ways in, called after Init: a new game on a map cell (-1, -1: the map's
  // start cell) without main.gsp; a saved game. Both skip the splash.
  void StartOnMap(const std::string& map, int32_t row, int32_t column);
  bool StartFromSlot(int slot);
  // --dev, F5: the current map, its roles and the tile table again from the game folder, the
  // player where they stand. Scripts are read afresh on every run anyway.
  void ReloadForDevelopment();

  // Read access for the state dump, the replay runner and tests.
  GameMode Mode() const { return mode_; }
  void SetMode(GameMode mode) { mode_ = mode; }
  Renderer& GetRenderer() { return renderer_; }
  GameMap& Map() { return map_; }
  MissionList& Missions() { return missionList_; }
  Relations& Progress() { return relations_; }
  ScriptEngine* Script() { return script_.get(); }
  // The commands the scripts give, for tests to give them too.
  GameScriptHost& Scripting() { return scriptHost_; }
  const ItemDatabase& Items() const { return itemDb_; }
  const SkillDatabase& Skills() const { return skillDb_; }
  const isora::Rain& RainState() const { return rain_; }
  int32_t FramesRun() const { return framesRun_; }
  const Fade& Fading() const { return fade_; }
  const Hand& CursorHand() const { return hand_; }
  Hand& CursorHand() { return hand_; }
  const std::string& MapPath() const { return mapPath_; }
  const std::string& IniPackage() const { return iniPackage_; }
  std::vector<GroundItemState> GroundItemStates() const;
  GameUi& Ui() { return *ui_; }
  // The player as the player panel sees it.
  PanelPlayer& PanelPlayerRef();
  GameWorld& World() { return *world_; }
  // The player's attributes; the defaults before the first game.
  Attributes PlayerAttributes() const;
  bool HasPlayer() const;
  AttributeSnapshot PlayerSnapshot() const;
  GameLog& Log() { return log_; }
  const FailureReport& Failure() const { return failure_; }

  // The log path rule: the working directory followed by "\GameEngine.log", without a second
  // separator when the directory is a root ("C:\" or "/").
  static std::string LogPathFor(const std::string& workingDir);

 private:
  friend class GameStateDump;
  friend class GameScriptHost;

  bool ReadGameIni();
  void ConstructPanels();
  void DestroyPanels();
  bool LoadMenuPanels();
  void DrawMainMenu();
  void DrawTalkDialog();
  void DrawGameMenu();
  void DrawSavePanel();
  void DrawMessageDialog();
  void DrawPlayerPanel();
  void DrawBags();
  void SetMessageDialog(const std::string& title, std::vector<std::string> lines);
  void SetSlotTexts(const std::string& title, const std::array<std::string, kSaveSlots>& labels);
  void CopyGroundToBackBuffer();
  bool DrawPicturePath(const std::string& path, int surface, int x, int y);
  bool OpenStatusScreen(const std::string& title, std::vector<std::string> lines);
  void HideBags();
  void RestorePlayer(const AttributeSnapshot& snapshot);
  void ConstructWorld();
  bool PlaceMapRoles();
  void ClearGroundItems();
  Point TilePixel(int32_t row, int32_t column) const;
  void PlacePlayerOnTile(int32_t row, int32_t column, int32_t direction);
  bool DrawRole();
  void DeathScreen();
  void HoverInfo(Point cursor);
  void HandleDeadRole(int index);
  void OnLeftHeld();
  void OnRightHeld();
  void DropHeldItem();
  // What the player can spend, and a panel click's money applied through the player's growth
  // (its floor and cap); answers the click's answer.
  int32_t PlayerMoney();
  int ApplyClick(const PanelClick& click);
  int RoleUnderPoint(int mx, int my);
  bool ObjectLayerTransparentAt(int mx, int my);
  void DrawGroundItems(const Rect& area);
  void HoverGroundItem(int mx, int my);
  void AddGroundItem(int item, int x, int y);
  void TalkClick();
  void BagClick();
  void CloseBagsByEsc();
  void OpenGameMenu();
  void OpenBag(int cell);
  void OpenSellPanel();
  void UseBagCell(int cell);
  bool SelectSkillByKey(int key);
  void LevelUpPlayer();
  void ClosePlayerPanelPopups();
  // The player panel's part of a left click; true when the click ends there.
  bool PlayerPanelLeftClick();
  void DrawTutorial();
  bool TutorialClaims();
  bool CursorClaimedByTutorial() const;
  bool CursorOnPlayerPanel() const;
  // The kind of the role talked to last; -1 when there is none.
  int TalkTargetKind();
  void WorldRightClick();
  void StandPlayer();
  std::vector<SavedRole> LivingRoles() const;
  void RecordInput(const Message& msg);
  // --no-sound silences the music as well as the effects.
  bool MusicOn() const { return !options_.noSound; }
  void DestroyWindow();
  void Trace(const std::string& text);

  // Frame parts.
  void SavedScreenStep();
  void TransitionCheck();
  void FadeStep();
  void SplashStep();
  void ShowSplashPicture(const std::string& path, GameMode returnMode);
  void DrawMessageLine();
  void DrawNotice(const std::string& text);
  void StartMusicOnce(const std::string& file);
  void DrawOutlined(const std::string& text, int x, int y, int surface,
                    const std::array<Point, 4>& outline, ColorRef outlineColor, ColorRef color);
  void ComposeView(int surface);
  void PlayStep();
  void RestoreStep();

  Platform& platform_;
  GameOptions options_;

  // Owned collaborators, in the order the constructor creates them.
  ItemDatabase itemDb_;
  SkillDatabase skillDb_;
  Renderer renderer_;
  MissionList missionList_;
  GameMap map_;
  MusicPlayer music_;
  GameLog log_;
  std::unique_ptr<SoundBank> effectSounds_;
  std::unique_ptr<SoundBuffer> hoverSound_;
  MouseDevice mouse_;
  GameScriptHost scriptHost_{*this};
  std::unique_ptr<ScriptEngine> script_;
  // A script replaced while one of its own commands runs stays alive until the next frame, so
  // the engine never runs on after being freed.
  std::unique_ptr<ScriptEngine> retiredScript_;
  std::unique_ptr<GameUi, GameUiDeleter> ui_;
  std::unique_ptr<GameWorld, GameWorldDeleter> world_;
  ReplayRecorder* recorder_ = nullptr;

  int32_t wanderCounter_ = 100;
  int32_t talkTarget_ = 0;
  bool active_ = true;
  std::string iniPackage_, scriptPackage_;
  int32_t killedEnemies_ = 0;
  std::array<std::string, 5> splashPictures_;
  Relations relations_;
  Fade fade_;
  isora::Rain rain_;
  MusicState musicState_;
  FailureReport failure_;
  ButtonLatch buttonLatch_;
  MapTransition transition_;
  Hand hand_;
  int32_t selectedNpc_ = -1;
  bool sellMode_ = false;
  int32_t openPanel_ = 0;
  bool leftButtonUp_ = true;
  MapHeader mapInfo_;
  std::string mapPath_;
  std::string workingDir_;
  Rect viewRect_ = kScreenRect;
  int32_t framesPerSecond_ = 0;
  int32_t cameraX_ = 0, cameraY_ = 0;
  std::string answerVariable_;
  GameMode mode_ = ModeSplash;

  // Loop state.
  uint32_t lastFrameTick_ = 0;
  uint32_t rateMark_ = 0;
  int32_t frameCounter_ = 0;
  int32_t framesRun_ = 0;
  bool gameRegistered_ = false;
  bool skipPresent_ = false;

  // What the last side screens produced, for the state dump.
  int32_t lastScore_ = 0;
  std::string lastTitle_;
  std::string lastScreenshot_;
  std::string lastSound_;
  std::string statusTitle_;
  CellIndex lastTriggerCell_;

  // Loading a saved game.
  int32_t loadSlot_ = 0;
  GameMode modeBeforeLoadPanel_ = ModeMainMenu;
};

}  // namespace isora
