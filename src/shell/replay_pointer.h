// Replay events named in world terms resolve here, at the frame they run: where on the screen
// a role, a map cell or an item is now (the camera may have scrolled since the replay was
// written), and whether the game state meets a waited-for condition.
#pragma once

#include <string>

#include "media/surface.h"
#include "shell/replay.h"

namespace isora {

class CGame;

class ReplayPointer {
 public:
  // The screen point of a kPointRole, kPointCell or kPointItem event; false with *error when
  // the target is not there or not on the screen.
  static bool Resolve(CGame& game, const ReplayEvent& ev, Point* screen, std::string* error);
};

}  // namespace isora
