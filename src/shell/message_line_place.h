// Where the message line goes on each screen. It belongs to play: drawn over the play screen,
// under the panels opened over it (so a panel's own text is never covered), kept but not drawn
// behind the boss-key picture, and emptied on every screen outside play (the menu, the credits,
// the result and death screens, and a fade that leads to one of them), so that a message from
// the game never waits on the main menu.
#pragma once

#include "shell/game_mode.h"

namespace isora {

enum class MessageLinePlace {
  kOverScreen,  // drawn after the mode's step
  kUnderPanel,  // drawn on the saved screen, before the panel
  kHidden,      // not drawn; the countdown waits
  kCleared,     // emptied
};

// The place for a frame of `mode`; a fade takes the place of its `fadeTarget`.
MessageLinePlace MessageLinePlaceFor(GameMode mode, GameMode fadeTarget);

}  // namespace isora
