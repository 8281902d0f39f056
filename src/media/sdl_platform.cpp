#include "media/sdl_platform.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "foundation/file_io.h"
#include "foundation/gbk.h"
#include "foundation/stop_signals.h"
#include "media/ani_reader.h"
#include "media/sdl_handles.h"
#include "media/window_frame.h"
#include "media/window_manager.h"

namespace isora {

namespace {

struct KeyPair {
  SDL_Keycode sdl;
  int vk;
};

// Keys the game or its players use, beyond letters, digits and F1..F12.
constexpr KeyPair kKeys[] = {
    {SDLK_BACKSPACE, kVkBack}, {SDLK_TAB, kVkTab},
    {SDLK_RETURN, kVkReturn},  {SDLK_KP_ENTER, kVkReturn},
    {SDLK_LSHIFT, kVkShift},   {SDLK_RSHIFT, kVkShift},
    {SDLK_LCTRL, kVkControl},  {SDLK_RCTRL, kVkControl},
    {SDLK_LALT, kVkMenu},      {SDLK_RALT, kVkMenu},
    {SDLK_PAUSE, kVkPause},    {SDLK_ESCAPE, kVkEscape},
    {SDLK_SPACE, kVkSpace},    {SDLK_PAGEUP, kVkPrior},
    {SDLK_PAGEDOWN, kVkNext},  {SDLK_END, kVkEnd},
    {SDLK_HOME, kVkHome},      {SDLK_LEFT, kVkLeft},
    {SDLK_UP, kVkUp},          {SDLK_RIGHT, kVkRight},
    {SDLK_DOWN, kVkDown},      {SDLK_PRINTSCREEN, kVkSnapshot},
    {SDLK_INSERT, kVkInsert},  {SDLK_DELETE, kVkDelete},
};

SDL_Keycode SdlFromVirtualKey(int vk) {
  if (vk >= kVkA && vk <= kVkA + 25) return SDLK_a + (vk - kVkA);
  if (vk >= kVk0 && vk <= kVk0 + 9) return SDLK_0 + (vk - kVk0);
  if (vk >= kVkF1 && vk <= kVkF12) return SDLK_F1 + (vk - kVkF1);
  for (const KeyPair& k : kKeys)
    if (k.vk == vk) return k.sdl;
  return SDLK_UNKNOWN;
}

// SDL's game controller buttons in the order of PadButton (the triggers come from axes).
constexpr SDL_GameControllerButton kSdlPadButtons[] = {
    SDL_CONTROLLER_BUTTON_A,
    SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_BACK,
    SDL_CONTROLLER_BUTTON_GUIDE,
    SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_LEFTSTICK,
    SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
    SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_DPAD_UP,
    SDL_CONTROLLER_BUTTON_DPAD_DOWN,
    SDL_CONTROLLER_BUTTON_DPAD_LEFT,
    SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
};

// A trigger counts as pressed past half way, with a margin so a resting finger does not chatter.
constexpr int kTriggerPress = 16384, kTriggerRelease = 12288;
// Stick values are reported in steps of this much: finer motion is noise to the game and would
// only fill recordings.
constexpr int kAxisStep = 512;

int64_t PackPoint(int x, int y) {
  return (static_cast<int64_t>(y & 0xFFFF) << 16) | static_cast<int64_t>(x & 0xFFFF);
}

}  // namespace

#ifndef __EMSCRIPTEN__
// Whether the renderer draws on the CPU: SDL's own software renderer, or a GL driver whose
// rasteriser is software (as on machines and virtual machines without a GPU).
// `what` names the renderer (and the GL driver's rasteriser) for the trace.
static bool RendersInSoftware(SDL_Renderer* renderer, std::string* what) {
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(renderer, &info) != 0) return false;
  *what = info.name ? info.name : "";
  if (info.flags & SDL_RENDERER_SOFTWARE) return true;
  if (what->rfind("opengl", 0) != 0 || !SDL_GL_GetCurrentContext()) return false;
  using GetString = const unsigned char* (*)(unsigned int);
  auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  if (!getString) return false;
  constexpr unsigned int kGlRenderer = 0x1F01;
  const unsigned char* text = getString(kGlRenderer);
  const std::string gl = text ? reinterpret_cast<const char*>(text) : "";
  *what += " on " + gl;
  for (const char* soft : {"llvmpipe", "softpipe", "Software Rasterizer", "SWR", "lavapipe"})
    if (gl.find(soft) != std::string::npos) return true;
  return false;
}
#endif

class SdlPlatformImpl {
 public:
  SdlPlatformOptions options;
  std::string error;
  // Declared before every handle, so it shuts down after all of them are destroyed; the
  // texture and renderer likewise go before the window they belong to.
  sdl::Subsystem video;
  // Game controllers, when SDL can read any; the pads open are keyed by joystick instance.
  sdl::Subsystem pads;
  std::map<SDL_JoystickID, sdl::ControllerPtr> controllers;
  int axes[kPadAxisCount] = {};
  bool triggers[2] = {};
  sdl::WindowPtr window;
  sdl::RendererPtr renderer;
  sdl::TexturePtr texture;
  Uint32 textureFormat = 0;
  std::mutex mutex;
  std::deque<Message> queue;
  Uint32 wakeEvent = 0;
  Point cursor{320, 240};
  int cursorCounter = 0;
  bool focus = true;
  // The animated cursor: one SDL cursor per frame, stepped by time.
  std::vector<sdl::CursorPtr> frames;
  AnimatedCursor animation;
  size_t step = 0;
  uint32_t stepStart = 0;
  sdl::CursorPtr arrow;
  // Presentation. Where rendering is done in software anyway (SDL's software renderer, or a
  // GL driver that rasterises on the CPU), the frame goes straight onto the window's surface:
  // no texture upload, no clear, no second copy; only the parts that changed since the frame
  // shown are converted and sent to the window system. A frame identical to the one shown is
  // not presented again unless the window asks to be redrawn.
  bool windowSurface = false;
  SDL_Rect view{0, 0, Platform::kScreenWidth, Platform::kScreenHeight};
  ShownFrame shown;
  // The window surface the shown frame is on: a new one (the window resized) starts blank.
  SDL_Surface* shownOn = nullptr;
  int shownOnWidth = 0, shownOnHeight = 0;
  std::vector<SDL_Rect> updates;
  bool cursorHiddenForVideo = false;
  // Full screen done by the game itself: with no window manager to ask, the window is moved
  // and sized over the display.
  bool ownFullscreen = false;

  bool Ready() const { return video.Ready(); }

  void Push(const Message& m) {
    std::lock_guard<std::mutex> lock(mutex);
    queue.push_back(m);
  }

  void FreeCursors() {
    // The shown cursor is switched away from the frames before they are freed.
    if (window) SDL_SetCursor(arrow ? arrow.get() : SDL_GetDefaultCursor());
    frames.clear();
    animation = AnimatedCursor{};
  }

  void AnimateCursor() {
    if (frames.empty() || animation.steps.empty()) return;
    uint32_t now = SDL_GetTicks();
    const auto& s = animation.steps[step];
    if (now - stepStart < static_cast<uint32_t>(AnimatedCursor::JiffiesToMs(s.jiffies))) return;
    step = (step + 1) % animation.steps.size();
    stepStart = now;
    SDL_SetCursor(frames[animation.steps[step].frame].get());
  }

  // A video that hides the cursor hides it whatever the game's display counter says; when it
  // goes the counter decides again.
  void HideCursorForVideo(bool hide) {
    if (hide == cursorHiddenForVideo || !Ready()) return;
    cursorHiddenForVideo = hide;
    SDL_ShowCursor(!hide && cursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
  }

  // Where the screen is shown in the window as it is now: the frame is drawn there next.
  Rect WindowView() const {
    int w = Platform::kScreenWidth, h = Platform::kScreenHeight;
    if (window) SDL_GetWindowSize(window.get(), &w, &h);
    return ViewIn(w, h, options.integerScale);
  }

  Point ToLogical(int wx, int wy) const {
    float lx = static_cast<float>(wx), ly = static_cast<float>(wy);
    if (renderer) SDL_RenderWindowToLogical(renderer.get(), wx, wy, &lx, &ly);
    if (windowSurface) {
      const Rect v = WindowView();
      lx = static_cast<float>(wx - v.left) * Platform::kScreenWidth / v.Width();
      ly = static_cast<float>(wy - v.top) * Platform::kScreenHeight / v.Height();
    }
    int x = static_cast<int>(lx), y = static_cast<int>(ly);
    x = x < 0 ? 0 : (x >= Platform::kScreenWidth ? Platform::kScreenWidth - 1 : x);
    y = y < 0 ? 0 : (y >= Platform::kScreenHeight ? Platform::kScreenHeight - 1 : y);
    return Point{x, y};
  }

  bool PresentOnWindowSurface(const Surface& back) {
    SDL_Surface* target = SDL_GetWindowSurface(window.get());
    if (!target) return false;
    if (target != shownOn || target->w != shownOnWidth || target->h != shownOnHeight) {
      shown.Forget();
      shownOn = target;
      shownOnWidth = target->w;
      shownOnHeight = target->h;
    }
    const std::vector<Rect>& changed = shown.Take(back);
    if (changed.empty()) return true;
    const bool ok = DrawOnWindowSurface(back, changed, target);
    // What the window shows is not known after a failure: the next frame goes whole.
    if (!ok) shown.Forget();
    return ok;
  }

  bool DrawOnWindowSurface(const Surface& back, const std::vector<Rect>& changed,
                           SDL_Surface* target) {
    const int w = std::min(back.Width(), Platform::kScreenWidth);
    const int h = std::min(back.Height(), Platform::kScreenHeight);
    // The 640×480 screen scaled to fit the window, centred, as the renderer's logical size does.
    const Rect v = ViewIn(target->w, target->h, options.integerScale);
    view = SDL_Rect{v.left, v.top, v.Width(), v.Height()};
    const bool whole = changed.size() == 1 && changed[0] == back.Bounds();
    const Uint32 targetFormat = target->format->format;
    if (view.w == w && view.h == h && !SDL_MUSTLOCK(target) &&
        (targetFormat == SDL_PIXELFORMAT_RGB888 || targetFormat == SDL_PIXELFORMAT_ARGB8888)) {
      // Unscaled onto 32-bit pixels, the common case: each changed rectangle is converted
      // straight into the window's buffer and only those are sent.
      if (whole && (view.w != target->w || view.h != target->h)) SDL_FillRect(target, nullptr, 0);
      updates.clear();
      for (const Rect& c : changed) {
        const Rect r = c.Intersect(Rect{0, 0, w, h});
        if (r.Empty()) continue;
        for (int y = r.top; y < r.bottom; ++y) {
          auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(target->pixels) +
                                                  static_cast<size_t>(view.y + y) * target->pitch);
          ExpandRowTo8888(shown.Row(y) + r.left, row + view.x + r.left, r.Width(), back.Format());
        }
        updates.push_back(SDL_Rect{view.x + r.left, view.y + r.top, r.Width(), r.Height()});
      }
      if (whole) return SDL_UpdateWindowSurface(window.get()) == 0;
      return updates.empty() || SDL_UpdateWindowSurfaceRects(window.get(), updates.data(),
                                                             static_cast<int>(updates.size())) == 0;
    }
    // Scaled, or onto other pixels: SDL converts the whole frame.
    const Uint32 format =
        back.Format() == PixelFormat::Rgb565 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB555;
    SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint16_t*>(back.Pixels()), w,
                                                            h, 16, back.Pitch() * 2, format);
    if (!frame) return false;
    if (view.w != target->w || view.h != target->h) SDL_FillRect(target, nullptr, 0);
    SDL_Rect area = view;
    const bool ok =
        (view.w == w && view.h == h ? SDL_BlitSurface(frame, nullptr, target, &area)
                                    : SDL_BlitScaled(frame, nullptr, target, &area)) == 0;
    SDL_FreeSurface(frame);
    return ok && SDL_UpdateWindowSurface(window.get()) == 0;
  }

  bool Fullscreen() const {
    return ownFullscreen ||
           (window && (SDL_GetWindowFlags(window.get()) & SDL_WINDOW_FULLSCREEN_DESKTOP));
  }

  // The window at the chosen size, as far as it fits the desktop, centred on its display when
  // its size changes.
  void SizeWindow() {
    const int display = std::max(0, SDL_GetWindowDisplayIndex(window.get()));
    SDL_Rect usable{0, 0, Platform::kScreenWidth, Platform::kScreenHeight};
    int scale = options.windowScale;
    if (SDL_GetDisplayUsableBounds(display, &usable) == 0)
      scale = FittingScale(scale, usable.w, usable.h);
    int w = 0, h = 0;
    SDL_GetWindowSize(window.get(), &w, &h);
    if (w == Platform::kScreenWidth * scale && h == Platform::kScreenHeight * scale) return;
    SDL_SetWindowSize(window.get(), Platform::kScreenWidth * scale,
                      Platform::kScreenHeight * scale);
    SDL_SetWindowPosition(window.get(), SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                          SDL_WINDOWPOS_CENTERED_DISPLAY(display));
  }

  void SetFullscreen(bool full) {
    // Whatever happens, the window's pixels are not the frame kept as shown any more.
    shown.Forget();
    if (!window || full == Fullscreen()) return;
    const int display = std::max(0, SDL_GetWindowDisplayIndex(window.get()));
    SDL_Rect bounds;
    if (full && !WindowManaged(window.get()) && SDL_GetDisplayBounds(display, &bounds) == 0) {
      ownFullscreen = true;
      SDL_SetWindowPosition(window.get(), bounds.x, bounds.y);
      SDL_SetWindowSize(window.get(), bounds.w, bounds.h);
      return;
    }
    if (full) {
      SDL_SetWindowFullscreen(window.get(), SDL_WINDOW_FULLSCREEN_DESKTOP);
      return;
    }
    if (!ownFullscreen) SDL_SetWindowFullscreen(window.get(), 0);
    ownFullscreen = false;
    SizeWindow();
  }

  void ToggleFullscreen() { SetFullscreen(!Fullscreen()); }

  void PadAdded(int deviceIndex) {
    sdl::ControllerPtr pad(SDL_GameControllerOpen(deviceIndex));
    if (!pad) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad.get()));
    if (controllers.count(id)) return;
    controllers[id] = std::move(pad);
    Push({kUmPadConnected, 1, static_cast<int64_t>(controllers.size())});
  }

  void PadRemoved(SDL_JoystickID id) {
    if (controllers.erase(id) == 0) return;
    // Whatever the pad held is let go, so no stick or button stays pushed.
    for (int a = 0; a < kPadAxisCount; ++a) PadAxisMoved(a, 0);
    for (int t = 0; t < 2; ++t) PadTrigger(t, 0);
    Push({kUmPadConnected, 0, static_cast<int64_t>(controllers.size())});
  }

  void PadAxisMoved(int axis, int value) {
    value = value / kAxisStep * kAxisStep;
    if (axes[axis] == value) return;
    axes[axis] = value;
    Push({kUmPadAxis, static_cast<uint32_t>(axis), value});
  }

  void PadTrigger(int trigger, int value) {
    const bool down = triggers[trigger] ? value > kTriggerRelease : value >= kTriggerPress;
    if (down == triggers[trigger]) return;
    triggers[trigger] = down;
    const auto button =
        static_cast<uint32_t>(trigger == 0 ? PadButton::kLeftTrigger : PadButton::kRightTrigger);
    Push({down ? kUmPadButtonDown : kUmPadButtonUp, button, 0});
  }

  void TranslatePad(const SDL_Event& e) {
    switch (e.type) {
      case SDL_CONTROLLERDEVICEADDED:
        PadAdded(e.cdevice.which);
        break;
      case SDL_CONTROLLERDEVICEREMOVED:
        PadRemoved(e.cdevice.which);
        break;
      case SDL_CONTROLLERBUTTONDOWN:
      case SDL_CONTROLLERBUTTONUP:
        for (size_t i = 0; i < std::size(kSdlPadButtons); ++i) {
          if (kSdlPadButtons[i] != e.cbutton.button) continue;
          Push({e.type == SDL_CONTROLLERBUTTONDOWN ? kUmPadButtonDown : kUmPadButtonUp,
                static_cast<uint32_t>(i), 0});
        }
        break;
      case SDL_CONTROLLERAXISMOTION:
        switch (e.caxis.axis) {
          case SDL_CONTROLLER_AXIS_LEFTX:
            PadAxisMoved(static_cast<int>(PadAxis::kLeftX), e.caxis.value);
            break;
          case SDL_CONTROLLER_AXIS_LEFTY:
            PadAxisMoved(static_cast<int>(PadAxis::kLeftY), e.caxis.value);
            break;
          case SDL_CONTROLLER_AXIS_RIGHTX:
            PadAxisMoved(static_cast<int>(PadAxis::kRightX), e.caxis.value);
            break;
          case SDL_CONTROLLER_AXIS_RIGHTY:
            PadAxisMoved(static_cast<int>(PadAxis::kRightY), e.caxis.value);
            break;
          case SDL_CONTROLLER_AXIS_TRIGGERLEFT:
            PadTrigger(0, e.caxis.value);
            break;
          case SDL_CONTROLLER_AXIS_TRIGGERRIGHT:
            PadTrigger(1, e.caxis.value);
            break;
          default:
            break;
        }
        break;
      default:
        break;
    }
  }

  void ApplyDisplayMode(const DisplayMode& mode) {
    options.fullscreen = mode.fullscreen;
    options.windowScale = mode.scale < 1 ? 1 : mode.scale;
    options.integerScale = mode.integerScale;
    if (!window) return;
#ifndef __EMSCRIPTEN__
    SetFullscreen(mode.fullscreen);
    if (!mode.fullscreen) SizeWindow();
#endif
    if (renderer) {
      SDL_RenderSetIntegerScale(renderer.get(), mode.integerScale ? SDL_TRUE : SDL_FALSE);
      SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, mode.integerScale ? "nearest" : "linear");
      if (texture)
        SDL_SetTextureScaleMode(texture.get(),
                                mode.integerScale ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    }
    shown.Forget();
  }

  void Translate(const SDL_Event& e) {
    if (e.type >= SDL_CONTROLLERAXISMOTION && e.type <= SDL_CONTROLLERDEVICEREMAPPED) {
      TranslatePad(e);
      return;
    }
    switch (e.type) {
      case SDL_QUIT:
        Push({kWmClose, 0, 0});
        break;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
            e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
            e.window.event == SDL_WINDOWEVENT_RESTORED || e.window.event == SDL_WINDOWEVENT_SHOWN)
          shown.Forget();
        if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED && !focus) {
          focus = true;
          Push({kWmActivateApp, 1, 0});
        } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST && focus) {
          focus = false;
          Push({kWmActivateApp, 0, 0});
        }
        break;
      case SDL_KEYDOWN: {
        SDL_Keycode k = e.key.keysym.sym;
        if ((k == SDLK_RETURN || k == SDLK_KP_ENTER) && (e.key.keysym.mod & KMOD_ALT)) {
          if (!e.key.repeat) ToggleFullscreen();
          break;
        }
        int vk = SdlPlatform::VirtualKeyFromSdl(k);
        if (vk) Push({kWmKeyDown, static_cast<uint32_t>(vk), 0});
        break;
      }
      case SDL_MOUSEMOTION:
        cursor = ToLogical(e.motion.x, e.motion.y);
        Push({kWmMouseMove, 0, PackPoint(cursor.x, cursor.y)});
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        cursor = ToLogical(e.button.x, e.button.y);
        bool down = e.type == SDL_MOUSEBUTTONDOWN;
        uint32_t msg = 0;
        if (e.button.button == SDL_BUTTON_LEFT) msg = down ? kWmLButtonDown : kWmLButtonUp;
        if (e.button.button == SDL_BUTTON_RIGHT) msg = down ? kWmRButtonDown : kWmRButtonUp;
        if (msg) Push({msg, 0, PackPoint(cursor.x, cursor.y)});
        break;
      }
      default:
        break;
    }
  }

  void Pump() {
    if (!Ready()) return;
    if (TakeStopRequest()) Push({kWmClose, 0, 0});
    SDL_Event e;
    while (SDL_PollEvent(&e)) Translate(e);
    AnimateCursor();
  }

  bool Pop(Message* msg, bool remove) {
    std::lock_guard<std::mutex> lock(mutex);
    if (queue.empty()) return false;
    if (msg) *msg = queue.front();
    if (remove) queue.pop_front();
    return true;
  }

  // Waits up to a short while for an event (posted messages wake it through wakeEvent).
  void WaitBriefly() {
#ifdef __EMSCRIPTEN__
    // A page never blocks: the browser's own loop brings the next event.
    Pump();
    return;
#endif
    if (!Ready()) {
      SDL_Delay(10);
      return;
    }
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, 20)) Translate(e);
    Pump();
  }
};

SdlPlatform::SdlPlatform(const SdlPlatformOptions& options)
    : impl_(std::make_unique<SdlPlatformImpl>()) {
  impl_->options = options;
}

// The handles in the implementation free themselves, the subsystem last.
SdlPlatform::~SdlPlatform() {
  if (impl_->Ready()) impl_->FreeCursors();
}

bool SdlPlatform::Init() {
  if (impl_->Ready()) return true;
  if (!impl_->video.Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS)) {
    impl_->error = SDL_GetError();
    return false;
  }
  // With no window system SDL falls back to a driver that shows nothing, and the game would run
  // on unseen. Those drivers are only taken when asked for by name (SDL_VIDEODRIVER).
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  if (driver && !(asked && *asked) &&
      (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
       std::strcmp(driver, "evdev") == 0)) {
    impl_->video.Quit();
    impl_->error = "no window system: neither DISPLAY nor WAYLAND_DISPLAY leads to one";
    return false;
  }
  // A machine without controller support still plays with mouse and keys.
  if (impl_->pads.Init(SDL_INIT_GAMECONTROLLER)) {
    SDL_GameControllerEventState(SDL_ENABLE);
  } else {
    DebugOutput(std::string("no game controllers: ") + SDL_GetError() + "\n");
  }
  impl_->wakeEvent = SDL_RegisterEvents(1);
  impl_->arrow.reset(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW));
  return true;
}

const std::string& SdlPlatform::SdlError() const { return impl_->error; }

bool SdlPlatform::CreateGameWindow(const std::string& title) {
  if (!Init()) return false;
  if (impl_->window) return true;
  const SdlPlatformOptions& o = impl_->options;
  int scale = o.windowScale < 1 ? 1 : o.windowScale;
#ifdef __EMSCRIPTEN__
  // The canvas keeps 640×480; the page scales it to the window with crisp pixels. The software
  // renderer puts the frame on a 2D canvas as is: no WebGL needed, colours exactly as drawn.
  scale = 1;
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  Uint32 flags = 0;
#else
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, o.integerScale ? "nearest" : "linear");
  // Shown once it is full screen if asked, which depends on what looks after it.
  Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN;
  SDL_Rect usable;
  if (SDL_GetDisplayUsableBounds(0, &usable) == 0) scale = FittingScale(scale, usable.w, usable.h);
#endif
  sdl::WindowPtr window(SDL_CreateWindow(GbkToUtf8(title).c_str(), SDL_WINDOWPOS_CENTERED,
                                         SDL_WINDOWPOS_CENTERED, kScreenWidth * scale,
                                         kScreenHeight * scale, flags));
  if (!window) {
    impl_->error = SDL_GetError();
    return false;
  }
  sdl::RendererPtr renderer(SDL_CreateRenderer(window.get(), -1, SDL_RENDERER_ACCELERATED));
  if (!renderer) renderer.reset(SDL_CreateRenderer(window.get(), -1, 0));
  if (!renderer) {
    impl_->error = SDL_GetError();
    return false;
  }
  SDL_RenderSetLogicalSize(renderer.get(), kScreenWidth, kScreenHeight);
  SDL_RenderSetIntegerScale(renderer.get(), o.integerScale ? SDL_TRUE : SDL_FALSE);
  impl_->windowSurface = false;
#ifndef __EMSCRIPTEN__
  std::string what;
  if (RendersInSoftware(renderer.get(), &what) && SDL_getenv("ISORA_PRESENT_TEXTURE") == nullptr) {
    // The window's surface cannot be used while a renderer owns the window.
    renderer.reset();
    impl_->windowSurface = true;
    // SDL would otherwise back the window's surface with a texture of that same software GL
    // renderer, and every frame would still be rasterised. X11 has its own surface (shared
    // memory with the server where it can).
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && std::strcmp(driver, "x11") == 0)
      SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  }
  DebugOutput("presenting through " +
              (impl_->windowSurface ? "the window's surface (" + what + " draws on the CPU)"
                                    : what + " from a streaming texture") +
              "\n");
#endif
  impl_->shown.Forget();
  impl_->shownOn = nullptr;
  impl_->window = std::move(window);
  impl_->renderer = std::move(renderer);
  impl_->focus = true;
#ifndef __EMSCRIPTEN__
  impl_->ownFullscreen = false;
  if (o.fullscreen) impl_->SetFullscreen(true);
  SDL_ShowWindow(impl_->window.get());
#endif
  if (!impl_->frames.empty()) SDL_SetCursor(impl_->frames[impl_->animation.steps[0].frame].get());
  return true;
}

void SdlPlatform::DestroyGameWindow() {
  if (!impl_->window) return;
  impl_->texture.reset();
  impl_->renderer.reset();
  impl_->window.reset();
  PostMessage(kWmDestroy);
}

bool SdlPlatform::HasWindow() const { return impl_->window != nullptr; }

bool SdlPlatform::PeekMessage(Message* msg, bool remove) {
  impl_->Pump();
  return impl_->Pop(msg, remove);
}

bool SdlPlatform::GetMessage(Message* msg) {
  Message m;
  for (;;) {
    impl_->Pump();
    if (impl_->Pop(&m, true)) break;
    impl_->WaitBriefly();
  }
  if (msg) *msg = m;
  return m.message != kWmQuit;
}

void SdlPlatform::WaitMessage() {
  impl_->Pump();
  if (impl_->Pop(nullptr, false)) return;
  impl_->WaitBriefly();
}

void SdlPlatform::WaitMessageFor(uint32_t ms) {
  impl_->Pump();
  if (impl_->Pop(nullptr, false) || ms == 0) return;
#ifdef __EMSCRIPTEN__
  return;  // a page never blocks
#else
  if (!impl_->Ready()) {
    SDL_Delay(ms);
    return;
  }
  // SDL sleeps in the window system's event wait; input and posted messages wake it early.
  SDL_Event e;
  if (SDL_WaitEventTimeout(&e, static_cast<int>(ms))) impl_->Translate(e);
  impl_->Pump();
#endif
}

void SdlPlatform::PostMessage(const Message& msg) {
  impl_->Push(msg);
  if (impl_->Ready() && impl_->wakeEvent != static_cast<Uint32>(-1)) {
    // Wakes a thread blocked in WaitMessage; SDL_PushEvent may be called from any thread.
    SDL_Event e{};
    e.type = impl_->wakeEvent;
    SDL_PushEvent(&e);
  }
}

Point SdlPlatform::GetCursorPos() const {
  if (impl_->window) {
    int wx, wy;
    SDL_GetMouseState(&wx, &wy);
    return impl_->ToLogical(wx, wy);
  }
  return impl_->cursor;
}

void SdlPlatform::SetCursorPos(int x, int y) {
  impl_->cursor = Point{x, y};
  if (!impl_->window) return;
  int wx = x, wy = y;
  if (impl_->renderer) {
    SDL_RenderLogicalToWindow(impl_->renderer.get(), static_cast<float>(x), static_cast<float>(y),
                              &wx, &wy);
  } else if (impl_->windowSurface) {
    // Through the view the frame is shown in, so reading it back gives the same point.
    const Rect v = impl_->WindowView();
    wx = v.left + (2 * x + 1) * v.Width() / (2 * kScreenWidth);
    wy = v.top + (2 * y + 1) * v.Height() / (2 * kScreenHeight);
  } else {
    return;
  }
  SDL_WarpMouseInWindow(impl_->window.get(), wx, wy);
}

int SdlPlatform::ShowCursor(bool show) {
  impl_->cursorCounter += show ? 1 : -1;
  if (impl_->Ready() && !impl_->cursorHiddenForVideo)
    SDL_ShowCursor(impl_->cursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return impl_->cursorCounter;
}

bool SdlPlatform::LoadAnimatedCursor(const std::string& gamePath) {
  if (!Init()) return false;
  impl_->FreeCursors();
  auto bytes = ReadFileBytes(NativePath(gamePath), size_t{16} << 20);
  AnimatedCursor cursor;
  std::string why;
  if (!bytes || !ParseAni(*bytes, &cursor, &why)) {
    DebugOutput("cursor " + gamePath + ": " + (bytes ? why : "cannot read") + "\n");
    return false;
  }
  for (const CursorImage& img : cursor.frames) {
    // The surface only lends the pixels to the cursor being made.
    sdl::SurfacePtr s(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(img.argb.data()),
                                                         img.width, img.height, 32, img.width * 4,
                                                         SDL_PIXELFORMAT_ARGB8888));
    sdl::CursorPtr c(s ? SDL_CreateColorCursor(s.get(), img.hotspotX, img.hotspotY) : nullptr);
    if (!c) {
      impl_->FreeCursors();
      return false;
    }
    impl_->frames.push_back(std::move(c));
  }
  impl_->animation = std::move(cursor);
  impl_->step = 0;
  impl_->stepStart = SDL_GetTicks();
  SDL_SetCursor(impl_->frames[impl_->animation.steps[0].frame].get());
  return true;
}

int16_t SdlPlatform::GetKeyState(int virtualKey) const {
  if (!impl_->Ready()) return 0;
  bool down = false;
  SDL_Keymod mod = SDL_GetModState();
  if (virtualKey == kVkShift) {
    down = mod & KMOD_SHIFT;
  } else if (virtualKey == kVkControl) {
    down = mod & KMOD_CTRL;
  } else if (virtualKey == kVkMenu) {
    down = mod & KMOD_ALT;
  } else if (virtualKey == kVkLButton) {
    down = IsMouseButtonDown(MouseButton::Left);
  } else if (virtualKey == kVkRButton) {
    down = IsMouseButtonDown(MouseButton::Right);
  } else {
    SDL_Keycode k = SdlFromVirtualKey(virtualKey);
    if (k != SDLK_UNKNOWN) {
      int n = 0;
      const Uint8* state = SDL_GetKeyboardState(&n);
      SDL_Scancode sc = SDL_GetScancodeFromKey(k);
      down = sc < n && state[sc];
    }
  }
  return down ? static_cast<int16_t>(-128) : 0;
}

bool SdlPlatform::IsMouseButtonDown(MouseButton button) const {
  if (!impl_->Ready()) return false;
  Uint32 mask = SDL_GetMouseState(nullptr, nullptr);
  switch (button) {
    case MouseButton::Left:
      return mask & SDL_BUTTON_LMASK;
    case MouseButton::Right:
      return mask & SDL_BUTTON_RMASK;
    case MouseButton::Middle:
      return mask & SDL_BUTTON_MMASK;
  }
  return false;
}

bool SdlPlatform::HasFocus() const {
  if (!impl_->window) return false;
  return impl_->focus;
}

bool SdlPlatform::Present(const Surface& gameFrame) {
  impl_->AnimateCursor();
  if (!impl_->window || !gameFrame.Valid()) return false;
  impl_->HideCursorForVideo(VideoHidesCursor());
  const Surface& backBuffer = FrameToShow(gameFrame);
  if (impl_->windowSurface) return impl_->PresentOnWindowSurface(backBuffer);
  if (!impl_->renderer) return false;
  if (impl_->shown.Take(backBuffer).empty()) return true;
  Uint32 format =
      backBuffer.Format() == PixelFormat::Rgb565 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB555;
  if (!impl_->texture || impl_->textureFormat != format) {
    impl_->texture.reset();
    impl_->texture.reset(SDL_CreateTexture(
        impl_->renderer.get(), format, SDL_TEXTUREACCESS_STREAMING, kScreenWidth, kScreenHeight));
    impl_->textureFormat = format;
  }
  SDL_Rect area{0, 0, std::min(backBuffer.Width(), kScreenWidth),
                std::min(backBuffer.Height(), kScreenHeight)};
  if (!impl_->texture || SDL_UpdateTexture(impl_->texture.get(), &area, backBuffer.Pixels(),
                                           backBuffer.Pitch() * 2) != 0) {
    impl_->shown.Forget();  // not shown after all: the next frame is tried whole
    return false;
  }
  SDL_Renderer* renderer = impl_->renderer.get();
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
  SDL_RenderClear(renderer);
  SDL_RenderCopy(renderer, impl_->texture.get(), &area, &area);
  SDL_RenderPresent(renderer);
  return true;
}

void SdlPlatform::ToggleFullscreen() { impl_->ToggleFullscreen(); }

void SdlPlatform::SetDisplayMode(const DisplayMode& mode) { impl_->ApplyDisplayMode(mode); }

DisplayMode SdlPlatform::GetDisplayMode() const {
  DisplayMode mode{impl_->options.fullscreen, impl_->options.windowScale,
                   impl_->options.integerScale};
  if (impl_->window) mode.fullscreen = impl_->Fullscreen();
  return mode;
}

std::optional<uint32_t> SdlPlatform::ShownColor(int x, int y) const {
  const SDL_Rect& v = impl_->view;
  if (!impl_->windowSurface || !impl_->shownOn || x < 0 || y < 0 || x >= kScreenWidth ||
      y >= kScreenHeight)
    return std::nullopt;
  SDL_Surface* s = SDL_GetWindowSurface(impl_->window.get());
  if (s != impl_->shownOn || s->format->BytesPerPixel != 4) return std::nullopt;
  const int wx = v.x + x * v.w / kScreenWidth, wy = v.y + y * v.h / kScreenHeight;
  const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) +
                                                      static_cast<size_t>(wy) * s->pitch);
  Uint8 r, g, b;
  SDL_GetRGB(row[wx], s->format, &r, &g, &b);
  return static_cast<uint32_t>(r << 16 | g << 8 | b);
}

int SdlPlatform::PadsOpen() const { return static_cast<int>(impl_->controllers.size()); }

void SdlPlatform::MessageBox(const std::string& text, const std::string& caption,
                             MessageBoxIcon icon) {
  std::string title = GbkToUtf8(caption.empty() ? std::string("Error") : caption);
  std::string body = GbkToUtf8(text);
  Uint32 flags = icon == MessageBoxIcon::Error     ? SDL_MESSAGEBOX_ERROR
                 : icon == MessageBoxIcon::Warning ? SDL_MESSAGEBOX_WARNING
                                                   : SDL_MESSAGEBOX_INFORMATION;
  // The box's own loop sees no messages: a stop signal while it waits ends the process.
  ModalWait modal;
  if (!impl_->Ready() ||
      SDL_ShowSimpleMessageBox(flags, title.c_str(), body.c_str(), impl_->window.get()) != 0)
    std::fprintf(stderr, "[%s] %s\n", title.c_str(), body.c_str());
}

bool SdlPlatform::AskYesNo(const std::string& text, const std::string& caption) {
  if (!impl_->Ready()) return false;
  const std::string title = GbkToUtf8(caption), body = GbkToUtf8(text);
  const SDL_MessageBoxButtonData buttons[] = {{SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
                                              {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"}};
  const SDL_MessageBoxData box{SDL_MESSAGEBOX_INFORMATION,
                               impl_->window.get(),
                               title.c_str(),
                               body.c_str(),
                               2,
                               buttons,
                               nullptr};
  ModalWait modal;
  int answer = 0;
  return SDL_ShowMessageBox(&box, &answer) == 0 && answer == 1;
}

void SdlPlatform::DebugOutput(const std::string& text) {
  if (impl_->options.trace) std::fputs(text.c_str(), stderr);
}

bool SdlPlatform::DebugOutputWanted() const { return impl_->options.trace; }

int SdlPlatform::VirtualKeyFromSdl(int sdlKeycode) {
  SDL_Keycode k = sdlKeycode;
  if (k >= SDLK_a && k <= SDLK_z) return kVkA + (k - SDLK_a);
  if (k >= SDLK_0 && k <= SDLK_9) return kVk0 + (k - SDLK_0);
  if (k >= SDLK_F1 && k <= SDLK_F12) return kVkF1 + (k - SDLK_F1);
  if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return kVkNumpad0 + 1 + (k - SDLK_KP_1);
  if (k == SDLK_KP_0) return kVkNumpad0;
  for (const KeyPair& p : kKeys)
    if (p.sdl == k) return p.vk;
  return 0;
}

void ShowStartupFailure(const std::string& text) {
  std::fputs(text.c_str(), stderr);
#ifdef _WIN32
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Isora", text.c_str(), nullptr);
#endif
}

}  // namespace isora
