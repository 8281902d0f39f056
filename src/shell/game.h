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
#include "script/script_host.h"
#include "shell/fade.h"
#include "shell/game_mode.h"
#include "shell/map_transition.h"
#include "shell/music_state.h"
#include "shell/rain.h"
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

class CGame : public ScriptHost, public UiHost {
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
  // The number part of a tile picture's name: padded with zeros to the width of the last
  // number when pad is set.
  static std::string TileNumberText(int number, int lastNumber, bool pad);

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

  // ScriptHost.
  void LoadInitialMap(const std::string& map, int32_t row, int32_t column,
                      int32_t direction) override;
  void ChangeMap(const std::string& map, int32_t row, int32_t column, int32_t direction) override;
  void Say(const std::string& speaker, const std::string& text,
           const std::string& portrait) override;
  void Ask(const std::string& speaker, const std::string& text, const std::string& portrait,
           const std::string& answerVariable) override;
  void AddMission(const std::string& name, const std::string& description, int32_t kind,
                  const std::string& target, int32_t required, int32_t autoComplete,
                  int32_t completionFlag) override;
  int32_t CheckMission(const std::string& name) override;
  int32_t GetMissionObjCount(const std::string& name) override;
  bool ShowNPCTalk(const std::string& roleName) override;
  void AddNPC(const std::string& roleName, int32_t row, int32_t column) override;
  void DelNPC(const std::string& roleName) override;
  void DelAllNPCInMap() override;
  void SetNPCAttack(const std::string& roleName) override;
  int32_t CmpMapName(const std::string& map) override;
  void AddHP(int32_t amount) override;
  void SubHP(int32_t amount) override;
  void AddMP(int32_t amount) override;
  void SubMP(int32_t amount) override;
  void AddHPLimit(int32_t amount) override;
  void SubHPLimit(int32_t amount) override;
  void AddMPLimit(int32_t amount) override;
  void SubMPLimit(int32_t amount) override;
  void AddMoney(int32_t amount) override;
  void SubMoney(int32_t amount) override;
  void AddExp(int32_t amount) override;
  void SubExp(int32_t amount) override;
  void AddAttack(int32_t amount) override;
  void SubAttack(int32_t amount) override;
  void AddDefence(int32_t amount) override;
  void SubDefence(int32_t amount) override;
  void AddHitRate(int32_t amount) override;
  void SubHitRate(int32_t amount) override;
  void AddMoral(int32_t amount) override;
  void SubMoral(int32_t amount) override;
  int32_t GetMoral() override;
  int32_t GetMoney() override;
  void AddHonor(const std::string& text) override;
  void AddNote(const std::string& text) override;
  void AddFaction(const std::string& faction) override;
  void RemoveFaction(const std::string& faction) override;
  void AddFactionEnmity(const std::string& faction, int32_t amount) override;
  void SubFactionEnmity(const std::string& faction, int32_t amount) override;
  void AddGirlLove(const std::string& person, int32_t amount) override;
  void SubGirlLove(const std::string& person, int32_t amount) override;
  int32_t GetGirlLove(const std::string& person) override;
  int32_t GetVIPInfo(const std::string& key) override;
  void SetVIPInfo(const std::string& key, int32_t value) override;
  void AddSkill(const std::string& skill) override;
  void RemoveSkill(const std::string& skill) override;
  void AddPlayerItem(const std::string& item, int32_t count) override;
  void RemovePlayerItem(const std::string& item, int32_t count) override;
  void PlayMusic(const std::string& file) override;
  void ShowTip(const std::string& text) override;
  void Rain() override;
  void GameOver() override;
  void ShowTutorial() override;

  // UiHost (also what the roles' growth reports to).
  void Beep() override;
  void ItemUsedUp(const std::string& itemName);
  void RoleKilled(const std::string& roleName);
  Point CursorPos() const override;
  bool PlayHoverSound() override;

  // Writes the input of this session as a replay (not owned; null for none).
  void SetRecorder(ReplayRecorder* recorder) { recorder_ = recorder; }

  // The game-over score and the title it earns from [result] of game.ini.
  static int32_t GameOverScore(const Attributes& attributes, int32_t killedEnemies);
  static std::string ResultTitle(const IniFile& gameIni, int32_t score);
  // "%d%d%d%d%d%d%d.jpg" from the local time.
  static std::string ScreenshotName(const SystemTime& utc);
  static void ResetSplashIndex();
  // The edit loop's ways in, called after Init: the main menu at once; a new game on a map
  // cell (-1, -1: the map's start cell) without main.gsp; a saved game.
  static void SkipSplash();
  void StartOnMap(const std::string& map, int32_t row, int32_t column);
  bool StartFromSlot(int slot);
  // --dev, F5: the current map, its roles and the tile table again from the game folder, the
  // player where they stand. Scripts are read afresh on every run anyway.
  void ReloadForDevelopment();
  // The seven lines of the attribute panel.
  static std::vector<std::string> AttributeLines(const Attributes& attributes);

  // Read access for the state dump, the replay runner and tests.
  GameMode Mode() const { return mode_; }
  void SetMode(GameMode mode) { mode_ = mode; }
  Renderer& GetRenderer() { return renderer_; }
  GameMap& Map() { return map_; }
  const MapHeader& MapInfo() const { return mapInfo_; }
  MissionList& Missions() { return missionList_; }
  Relations& Progress() { return relations_; }
  ScriptEngine* Script() { return script_.get(); }
  const ItemDatabase& Items() const { return itemDb_; }
  const SkillDatabase& Skills() const { return skillDb_; }
  int32_t CameraX() const { return cameraX_; }
  int32_t CameraY() const { return cameraY_; }
  int32_t KilledEnemies() const { return killedEnemies_; }
  const isora::Rain& RainState() const { return rain_; }
  int32_t FramesRun() const { return framesRun_; }
  const Fade& Fading() const { return fade_; }
  static int32_t SplashIndex();
  const Hand& CursorHand() const { return hand_; }
  Hand& CursorHand() { return hand_; }
  int32_t OpenPanel() const { return openPanel_; }
  bool SellMode() const { return sellMode_; }
  const std::string& MapPath() const { return mapPath_; }
  const MusicState& Music() const { return musicState_; }
  const MapTransition& Transition() const { return transition_; }
  const std::string& IniPackage() const { return iniPackage_; }
  const std::string& ScriptPackage() const { return scriptPackage_; }
  const std::array<std::string, 5>& SplashPictures() const { return splashPictures_; }
  int32_t FramesPerSecond() const { return framesPerSecond_; }
  int32_t LastScore() const { return lastScore_; }
  const std::string& LastTitle() const { return lastTitle_; }
  const std::string& LastScreenshot() const { return lastScreenshot_; }
  const std::string& LastSound() const { return lastSound_; }
  std::vector<GroundItemState> GroundItemStates() const;
  GameUi& Ui() { return *ui_; }
  // The player as the player panel sees it.
  PanelPlayer& PanelPlayerRef();
  GameWorld& World() { return *world_; }
  // The player's attributes; the defaults before the first game.
  Attributes PlayerAttributes() const;
  bool HasPlayer() const;
  AttributeSnapshot PlayerSnapshot() const;
  Platform& GetPlatform() { return platform_; }
  GameLog& Log() { return log_; }

  // The log path rule: the working directory followed by "\GameEngine.log", without a second
  // separator when the directory is a root ("C:\" or "/").
  static std::string LogPathFor(const std::string& workingDir);

 private:
  friend class GameStateDump;

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

  // Ground pictures: splits "pack/member" or "pack\member"; false without a separator.
  static bool SplitPicturePath(const std::string& path, int* pack, std::string* member);

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
  std::unique_ptr<SoundBuffer> effectSound_;
  std::unique_ptr<SoundBuffer> hoverSound_;
  MouseDevice mouse_;
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
