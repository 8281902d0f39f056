#include "media/window_manager.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

namespace isora {

#if defined(SDL_VIDEO_DRIVER_X11) && !defined(__EMSCRIPTEN__)

namespace {

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// The X functions, from the Xlib SDL has loaded already: the game itself links no X library.
struct Xlib {
  void* library = SDL_LoadObject("libX11.so.6");
  decltype(&XInternAtom) internAtom = Find<decltype(&XInternAtom)>("XInternAtom");
  decltype(&XGetWindowProperty) getProperty =
      Find<decltype(&XGetWindowProperty)>("XGetWindowProperty");
  decltype(&XFree) xfree = Find<decltype(&XFree)>("XFree");
  decltype(&XSync) sync = Find<decltype(&XSync)>("XSync");
  decltype(&XSetErrorHandler) setErrorHandler =
      Find<decltype(&XSetErrorHandler)>("XSetErrorHandler");

  ~Xlib() {
    if (library) SDL_UnloadObject(library);
  }
  template <typename F>
  F Find(const char* name) const {
    return library ? reinterpret_cast<F>(SDL_LoadFunction(library, name)) : nullptr;
  }
  bool Ready() const { return internAtom && getProperty && xfree && sync && setErrorHandler; }

  // The window named by `w`'s _NET_SUPPORTING_WM_CHECK, or 0.
  Window Named(Display* d, Window w, Atom check) const {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Window named = 0;
    if (getProperty(d, w, check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data) ==
            Success &&
        type == XA_WINDOW && format == 32 && count == 1)
      named = *reinterpret_cast<Window*>(data);
    if (data) xfree(data);
    return named;
  }
};

}  // namespace

bool WindowManaged(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
    return true;
  const Xlib x;
  if (!x.Ready()) return true;
  Display* d = info.info.x11.display;
  const Atom check = x.internAtom(d, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  // A running window manager names a window of its own on the root window, and that window
  // names itself; one that has gone may have left the first name behind, pointing at nothing.
  const Window wm = x.Named(d, DefaultRootWindow(d), check);
  if (!wm) return false;
  x.sync(d, False);
  auto old = x.setErrorHandler(IgnoreXError);
  const bool managed = x.Named(d, wm, check) == wm;
  x.sync(d, False);
  x.setErrorHandler(old);
  return managed;
}

#else

bool WindowManaged(SDL_Window*) { return true; }

#endif

}  // namespace isora
