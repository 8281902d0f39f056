// What the command line chooses for a game object.
#pragma once

#include "media/surface.h"

namespace isora {

struct GameOptions {
  PixelFormat pixelFormat = PixelFormat::Rgb565;
  bool noSound = false;
  bool trace = false;
  bool dev = false;  // F5 reloads the INI package and the current map
};

}  // namespace isora
