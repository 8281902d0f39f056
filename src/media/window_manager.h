// Whether a window manager looks after the game's window: on X, going full screen is a request
// to it, and with none running nobody carries it out.
#pragma once

struct SDL_Window;

namespace isora {

// False only for a window on an X display that no window manager runs on (a bare Xvfb, a kiosk
// session). There SDL's full screen changes nothing but SDL's own idea of the window's size.
bool WindowManaged(SDL_Window* window);

}  // namespace isora
