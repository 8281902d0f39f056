// The screens beside play: credits, the game-over result, help, the boss key, the death
// screen, screenshots and the tutorial panel.
#pragma once

#include <cstdint>
#include <string>

#include "media/surface.h"
#include "shell/game_mode.h"

namespace isora {

class CGame;

class SideScreens {
 public:
  // The game (not owned) owns this and outlives it.
  explicit SideScreens(CGame& game) : game_(game) {}

  // False when credit.ini cannot be read.
  bool ShowCredits();
  // The score and the title it earns, over a grey copy of the view.
  void ShowGameOver();
  void ShowHelp();
  void BossKey();
  // F9 again, Esc or a click: back to the screen the boss key covered, as it was.
  void LeaveBossKey();
  void DeathScreen();
  // A JPEG of the screen in the game folder's screenshot folder, named by the local time.
  bool TakeScreenshot();

  void ShowTutorialPanel();
  void DrawTutorial();
  // True when the cursor is over the tutorial panel (its hover is updated).
  bool TutorialClaims();
  bool CursorClaimedByTutorial() const;

 private:
  friend class GameStateDump;

  CGame& game_;
  // What the last screens produced, for the state dump.
  int32_t lastScore_ = 0;
  std::string lastTitle_;
  std::string lastScreenshot_;
  // What the boss key covered: the saved view and the way back of the screen under it.
  Surface underBossKey_;
  GameMode targetUnderBossKey_ = ModePlay;
};

}  // namespace isora
