// What the command line chooses for a game object.
#pragma once

#include "media/surface.h"

namespace isora {

struct GameOptions {
  PixelFormat pixelFormat = PixelFormat::Rgb565;
  bool noSound = false;
  bool trace = false;
  bool dev = false;  // F5 rebuilds the current map from the game folder
};

}  // namespace isora
