// What the command line chooses for a game object.
#pragma once

#include <string>

#include "media/surface.h"

namespace isora {

struct GameOptions {
  PixelFormat pixelFormat = PixelFormat::Rgb565;
  bool noSound = false;
  bool trace = false;
  bool dev = false;  // F5 reloads the INI package and the current map
  // The player's settings file (settings.ini in the game's settings folder); empty: the
  // defaults, and changes are kept for this run only.
  std::string settingsFile = {};
};

}  // namespace isora
