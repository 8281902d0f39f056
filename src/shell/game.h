// CGame: the one game object. It owns every subsystem, runs the start-up sequence, the message
// loop and the frames, and answers the player's keys and clicks. Its concerns have their own
// types (GameBags, SideScreens, GameSaves, GameScriptHost, GameUi, GameWorld); its own
// operations are in game_init, game_frame, game_commands, game_roles and game_world*.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/enhancements.h"
#include "foundation/game_log.h"
#include "foundation/game_texts.h"
#include "items/item_database.h"
#include "items/skill_database.h"
#include "media/mouse_device.h"
#include "media/music_player.h"
#include "media/platform.h"
#include "media/renderer.h"
#include "panels/hand.h"
#include "quests/mission_list.h"
#include "quests/relations.h"
#include "shell/button_latch.h"
#include "shell/combat_feedback.h"
#include "shell/fade.h"
#include "shell/failure_report.h"
#include "shell/frame_clock.h"
#include "shell/game_bags.h"
#include "shell/game_mode.h"
#include "shell/game_options.h"
#include "shell/game_saves.h"
#include "shell/game_script_host.h"
#include "shell/map_transition.h"
#include "shell/music_state.h"
#include "shell/rain.h"
#include "shell/side_screens.h"
#include "shell/sound_bank.h"
#include "ui/ui_host.h"
#include "world/game_map.h"

namespace isora {

class CRoleNPC;
class PanelPlayer;
class ReplayRecorder;
class ScriptEngine;
struct GameUi;
struct GameWorld;

class CGame : public UiHost {
 public:
  // Creates the databases, renderer, mission list, map, menus and music player; no window and
  // no device yet. The platform (not owned) is the window and the message queue.
  CGame(Platform& platform, const GameOptions& options = {});
  ~CGame() override;

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

  // Commands.
  int OnKeyDown(int virtualKey);
  void OnLButtonDown();
  void StartRain();
  void DrawRain(int surface);

  // UiHost (also what the roles' growth reports to).
  void Beep() override;
  void ItemUsedUp(const std::string& itemName);
  void RoleKilled(const std::string& roleName, bool enemy);
  void RoleHit(const Role& target, int amount);
  Point CursorPos() const override;
  bool PlayHoverSound() override;

  // Writes the input of this session as a replay (not owned; null for none).
  void SetRecorder(ReplayRecorder* recorder) { recorder_ = recorder; }

  // The edit loop's ways in, called after Init: a new game on a map cell (-1, -1: the map's
  // start cell) without main.gsp; a saved game. Both skip the splash.
  void StartOnMap(const std::string& map, int32_t row, int32_t column);
  bool StartFromSlot(int slot);
  // --dev, F5: the INI package (panels, texts, script indexes), the current map, its roles and
  // the tiles again from the game folder, the player kept. Scripts are read on every run.
  void ReloadForDevelopment();

  // Read access for the state dump, the replay runner and tests.
  GameMode Mode() const { return mode_; }
  void SetMode(GameMode mode) { mode_ = mode; }
  Renderer& GetRenderer() { return renderer_; }
  GameMap& Map() { return map_; }
  MissionList& Missions() { return missionList_; }
  Relations& Progress() { return relations_; }
  // The engine's own texts, with the game's strings.ini applied.
  const GameTexts& Texts() const { return texts_; }
  ScriptEngine* Script() { return script_.get(); }
  // The commands the scripts give, for tests to give them too.
  GameScriptHost& Scripting() { return scriptHost_; }
  SideScreens& Screens() { return screens_; }
  const ItemDatabase& Items() const { return itemDb_; }
  const SkillDatabase& Skills() const { return skillDb_; }
  const isora::Rain& RainState() const { return rain_; }
  int32_t FramesRun() const { return clock_.FramesRun(); }
  const Fade& Fading() const { return fade_; }
  const Hand& CursorHand() const { return hand_; }
  Hand& CursorHand() { return hand_; }
  const std::string& MapPath() const { return mapPath_; }
  const std::string& IniPackage() const { return iniPackage_; }
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

 private:
  friend class GameStateDump;
  friend class ReplayPointer;
  friend class GameScriptHost;
  friend class GameBags;
  friend class SideScreens;
  friend class GameSaves;
  friend struct GameControls;

  bool ReadGameIni();
  // Whether the packaged game.ini turns a switch on, before the game has read it.
  bool GameAsksFor(Enhancement e) const;
  // Puts the game's switches, with the player's choices over them, in effect.
  void ApplySwitches();
  bool LoadMap(const std::string& path);
  void LoadTiles();
  bool CreatePlayer(const std::string& file, int32_t x, int32_t y, int32_t direction);
  void ConstructWorld();
  bool PlaceMapRoles();
  void PlacePlayerOnTile(int32_t row, int32_t column, int32_t direction);
  bool DrawRole();
  void HoverInfo(Point cursor);
  void HandleDeadRole(int index);
  void OnLeftHeld();
  void LeaveDeathScreen();
  // The monster target lock keeps the held button on, while it lives.
  CRoleNPC* LockedTarget();
  void OnRightHeld();
  void DropHeldItem();
  int RoleUnderPoint(int mx, int my);
  void TalkClick();
  void OpenGameMenu();
  bool SelectSkillByKey(int key);
  void LevelUpPlayer();
  // The kind of the role talked to last; -1 when there is none.
  int TalkTargetKind();
  void WorldRightClick();
  void StandPlayer();
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
  void ComposeView(int surface);
  void PlayStep();
  void DrawWorldMinimap();

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
  std::unique_ptr<MouseDevice> mouse_;  // made by Init
  GameScriptHost scriptHost_{*this};
  GameBags bags_{*this};
  SideScreens screens_{*this};
  GameSaves saves_{*this};
  std::unique_ptr<ScriptEngine> script_;
  // A script replaced while one of its own commands runs stays alive until the next frame, so
  // the engine never runs on after being freed.
  std::unique_ptr<ScriptEngine> retiredScript_;
  // The panels and the roles, complete only in the files that use them.
  std::unique_ptr<GameUi> ui_;
  std::unique_ptr<GameWorld> world_;
  ReplayRecorder* recorder_ = nullptr;

  int32_t wanderCounter_ = 100;
  int32_t talkTarget_ = 0;
  bool active_ = true;
  std::string iniPackage_, scriptPackage_;
  int32_t killedEnemies_ = 0;
  std::array<std::string, 5> splashPictures_;
  // The behaviours beyond the classic ones that game.ini asks for.
  Enhancements gameSwitches_;
  Relations relations_;
  GameTexts texts_;
  Fade fade_;
  isora::Rain rain_;
  MusicState musicState_;
  FailureReport failure_;
  ButtonLatch buttonLatch_;
  CombatFeedback feedback_;
  // The id of the monster a held left button is locked on (target lock), -1 when none.
  int lockedNpc_ = -1;
  // No sound device, to be told on the message line when play starts (quietNoAudio).
  bool noSoundNote_ = false;
  bool minimapHidden_ = false;  // Tab hides and shows the minimap
  // An autosave is due on the first play frame of a map the hero walked or was sent to.
  bool autosaveDue_ = false;
  // Play has gone on since the last save or load (closing the window then asks to save).
  bool progressSinceSave_ = false;
  MapTransition transition_;
  Hand hand_;
  int32_t selectedNpc_ = -1;
  bool leftButtonUp_ = true;
  MapHeader mapInfo_;
  std::string mapPath_;
  std::string workingDir_;
  Rect viewRect_ = kScreenRect;
  int32_t cameraX_ = 0, cameraY_ = 0;
  std::string answerVariable_;
  GameMode mode_ = ModeSplash;

  // Loop state.
  FrameClock clock_;
  bool gameRegistered_ = false;
  bool skipPresent_ = false;
  bool messageLineDrawn_ = false;
  // The last sound played (for the state dump) and the cell whose script ran last.
  std::string lastSound_;
  CellIndex lastTriggerCell_;
};

}  // namespace isora
