// The player's controls beyond the mouse: the key table through the player's bindings, the
// game controller (sticks, buttons, the cursor it moves) and the options screen, with the
// settings they change. CGame hands it its keys, its pad messages and a step each frame.
#pragma once

#include <array>
#include <string>

#include "media/platform.h"
#include "shell/game_mode.h"
#include "shell/key_bindings.h"
#include "shell/settings.h"

namespace isora {

class CGame;
class OptionsPanel;

// What a pad's sticks and buttons are doing, as its messages told it.
struct PadState {
  std::array<int, kPadAxisCount> axes{};
  std::array<bool, kPadButtonCount> down{};
  int padsOpen = 0;
  bool walking = false;  // the left stick is sending the hero somewhere
};

// Stick travel below this is the stick at rest.
constexpr int kStickDeadZone = 8000;
// The right stick at full travel moves the cursor this many pixels a frame.
constexpr int kCursorSpeed = 16;
// The left stick sends the hero toward a point this far away, running past kRunTravel.
constexpr int kStickReach = 96;
constexpr int kRunTravel = 26000;
// How far the act button looks for someone in front of the hero.
constexpr int kActReach = 200;

struct GameControls {
  GameControls(CGame& game, Platform& platform, std::string settingsFile);

  // After the game's INIs: reads the settings, applies them, and offers the options screen on
  // both menus when the game has options.ini.
  void Start(const std::string& iniPackage);
  // Volumes, the window, path-finding, as the settings say.
  void Apply();
  bool Save();

  // The key table (CGame::OnKeyDown) and one command of it.
  void OnKey(int virtualKey);
  void RunAction(ControlAction action, int virtualKey);
  // kUmPad* messages.
  void OnPadMessage(const Message& msg);
  // Once a frame before it is drawn: the sticks.
  void Step();

  // The options screen.
  bool OptionsOffered() const { return optionsOffered; }
  void OpenOptions(GameMode back);
  void CloseOptions();
  void OptionsClick(bool right);
  void DrawOptions();

  CGame& game;
  Platform& platform;
  std::string settingsFile;
  Settings settings;
  PadState pad;
  bool optionsOffered = false;
  GameMode optionsBack = ModeMainMenu;
  // The binding that waits for a key or a pad button, kNone when none does.
  ControlAction awaiting = ControlAction::kNone;
  bool awaitingPad = false;

 private:
  OptionsPanel& Panel();
  void RunPadAction(ControlAction action);
  void LeftClick();
  void RightClick();
  void Act();
  void CycleSkill(int step);
  void MoveCursor();
  void WalkByStick();
  void StepOption(int row, int step);
  void TakeKey(int virtualKey, bool shift);
  void TakePad(PadButton button);
  void ShowOptionValues();
  void Refused(const std::string& why);
};

}  // namespace isora
