// The screens of the game: what one frame does depends on the current mode.
#pragma once

#include <cstdint>

namespace isora {

enum GameMode : int32_t {
  ModeSplash = 0,
  ModeFade = 1,
  ModeMainMenu = 2,
  ModePlay = 3,
  ModeTalk = 4,
  ModeGameMenu = 5,
  ModeSavePanel = 6,
  ModeLoadPanel = 7,
  ModeCredits = 8,
  ModeStatusPanel = 9,
  ModeBags = 10,
  ModeIdle = 11,
  ModeFrozen = 12,
  ModeGameOver = 13,
  ModeQuit = 14,
  ModeHelp = 15,
  ModeBossKey = 16,
  ModeLoadingMap = 17,
  ModeBuildWorld = 18,
  ModeLoadingGame = 19,
  ModeRestoreGame = 20,
  ModeOptions = 21,  // the options screen, over the screen that opened it
};

// "ModePlay" and so on; "Mode?" outside 0..21.
const char* GameModeName(int32_t mode);

}  // namespace isora
