// The window and everything the game asks of the operating system: the message queue (with
// Windows message numbers and virtual-key codes), tick count and UTC time, the cursor, key
// state, message boxes, debugger output and the presentation of the back buffer.
// SdlPlatform shows a real window; HeadlessPlatform has none, a virtual clock and injected input.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/clock.h"
#include "foundation/system_hooks.h"
#include "media/pad.h"
#include "media/surface.h"
#include "media/video_window.h"

namespace isora {

// Window messages.
constexpr uint32_t kWmNull = 0x0000;
constexpr uint32_t kWmDestroy = 0x0002;
constexpr uint32_t kWmClose = 0x0010;
constexpr uint32_t kWmQuit = 0x0012;
constexpr uint32_t kWmActivateApp = 0x001C;  // wParam 1 active, 0 inactive
constexpr uint32_t kWmKeyDown = 0x0100;      // wParam virtual-key code
constexpr uint32_t kWmMouseMove = 0x0200;    // lParam: x | y << 16 (640×480 coordinates)
constexpr uint32_t kWmLButtonDown = 0x0201;
constexpr uint32_t kWmLButtonUp = 0x0202;
constexpr uint32_t kWmRButtonDown = 0x0204;
constexpr uint32_t kWmRButtonUp = 0x0205;
constexpr uint32_t kWmUser = 0x0400;
constexpr uint32_t kUmGraphNotify = 0x0499;  // the music player's completion notification
constexpr uint32_t kUmSetGame = 0x0501;
// Game controllers: wParam the PadButton; for kUmPadAxis the PadAxis, lParam its value
// (-32768..32767); kUmPadConnected wParam 1 when a pad came, 0 when one went, lParam the number
// of pads open afterwards.
constexpr uint32_t kUmPadButtonDown = 0x0510;
constexpr uint32_t kUmPadButtonUp = 0x0511;
constexpr uint32_t kUmPadAxis = 0x0512;
constexpr uint32_t kUmPadConnected = 0x0513;

// Virtual-key codes.
constexpr int kVkLButton = 0x01;
constexpr int kVkRButton = 0x02;
constexpr int kVkBack = 0x08;
constexpr int kVkTab = 0x09;
constexpr int kVkReturn = 0x0D;
constexpr int kVkShift = 0x10;
constexpr int kVkControl = 0x11;
constexpr int kVkMenu = 0x12;  // Alt
constexpr int kVkPause = 0x13;
constexpr int kVkEscape = 0x1B;
constexpr int kVkSpace = 0x20;
constexpr int kVkPrior = 0x21;
constexpr int kVkNext = 0x22;
constexpr int kVkEnd = 0x23;
constexpr int kVkHome = 0x24;
constexpr int kVkLeft = 0x25;
constexpr int kVkUp = 0x26;
constexpr int kVkRight = 0x27;
constexpr int kVkDown = 0x28;
constexpr int kVkSnapshot = 0x2C;
constexpr int kVkInsert = 0x2D;
constexpr int kVkDelete = 0x2E;
constexpr int kVk0 = 0x30;  // '0'..'9' are 0x30..0x39
constexpr int kVkA = 0x41;  // 'A'..'Z' are 0x41..0x5A
constexpr int kVkNumpad0 = 0x60;
constexpr int kVkF1 = 0x70;  // F1..F12 are 0x70..0x7B
constexpr int kVkF2 = 0x71;
constexpr int kVkF4 = 0x73;
constexpr int kVkF8 = 0x77;
constexpr int kVkF9 = 0x78;
constexpr int kVkF11 = 0x7A;
constexpr int kVkF12 = 0x7B;

struct Message {
  uint32_t message = kWmNull;
  uint32_t wParam = 0;
  int64_t lParam = 0;
};

// Mouse button numbers for IsMouseButtonDown.
enum class MouseButton { Left = 0, Right = 1, Middle = 2 };

// How the window shows the 640×480 screen.
struct DisplayMode {
  bool fullscreen = false;
  int scale = 1;              // window size in multiples of 640×480 (windowed)
  bool integerScale = false;  // scale by whole multiples only
  bool operator==(const DisplayMode&) const = default;
};

// The platform. It is also the game's SystemHooks: install it with Hooks::Set(&platform) so
// message boxes and debugger output go through it.
class Platform : public SystemHooks {
 public:
  static constexpr int kScreenWidth = isora::kScreenWidth;
  static constexpr int kScreenHeight = isora::kScreenHeight;

  ~Platform() override = default;

  // Opens the game window (titled "Game"); false when it cannot be created.
  virtual bool CreateGameWindow(const std::string& title) = 0;
  // Destroys the window and posts kWmDestroy (the game answers with PostQuitMessage).
  virtual void DestroyGameWindow() = 0;
  virtual bool HasWindow() const = 0;
  // Asks the player a yes-or-no question in a box over the window; true for yes. Without a
  // window to ask in (headless runs), nobody is asked and the answer is no.
  virtual bool AskYesNo(const std::string& /*text*/, const std::string& /*caption*/) {
    return false;
  }

  // The message queue. PeekMessage looks without waiting (removing the message when asked);
  // GetMessage waits for one and returns false when it is kWmQuit. Both gather the window
  // system's pending input first. PostMessage may be called from any thread.
  virtual bool PeekMessage(Message* msg, bool remove) = 0;
  virtual bool GetMessage(Message* msg) = 0;
  virtual void WaitMessage() = 0;
  // Waits until a message arrives or `ms` milliseconds pass, whichever comes first: a loop
  // idle until its next frame sleeps through the gap instead of polling.
  virtual void WaitMessageFor(uint32_t ms) = 0;
  virtual void PostMessage(const Message& msg) = 0;
  void PostMessage(uint32_t message, uint32_t wParam = 0, int64_t lParam = 0) {
    PostMessage(Message{message, wParam, lParam});
  }
  void PostQuitMessage(int exitCode) { PostMessage(kWmQuit, static_cast<uint32_t>(exitCode)); }

  // Time: GetTickCount and GetSystemTime (UTC with milliseconds), from the foundation's Clock.
  uint32_t TickCount() const { return Clock::TickCount(); }
  SystemTime SystemTimeUtc() const { return Clock::UtcNow(); }
  SystemTime LocalTime() const { return Clock::LocalNow(); }

  // The cursor in 640×480 screen coordinates (GetCursorPos, SetCursorPos).
  virtual Point GetCursorPos() const = 0;
  virtual void SetCursorPos(int x, int y) = 0;
  // ShowCursor: moves the display counter up or down and returns it; the cursor shows while
  // the counter is 0 or more (it starts at 0).
  virtual int ShowCursor(bool show) = 0;
  // Loads the window's animated cursor (data\cursor.ani, a game path); false, with the arrow
  // kept, when the file is missing or damaged.
  virtual bool LoadAnimatedCursor(const std::string& gamePath) = 0;

  // GetKeyState: negative (high bit set) while the key is down.
  virtual int16_t GetKeyState(int virtualKey) const = 0;
  // Held mouse buttons as the mouse device reads them, whatever the focus.
  virtual bool IsMouseButtonDown(MouseButton button) const = 0;
  // The window has the input focus (is the active application).
  virtual bool HasFocus() const = 0;

  // Changes how the window shows the screen, at once; the platform keeps what it cannot do
  // as it was (a window without a display ignores it).
  virtual void SetDisplayMode(const DisplayMode& mode) = 0;
  virtual DisplayMode GetDisplayMode() const = 0;

  // Shows the 640×480 back buffer in the window; false when it could not be shown. A visible
  // video window covers it.
  virtual bool Present(const Surface& backBuffer) = 0;

  // The video window this window owns (a music file with pictures), shown over the client area
  // while it is visible; null for none. The music player sets it on the game thread.
  void SetVideoWindow(VideoWindow* video) { video_ = video; }
  VideoWindow* GetVideoWindow() const { return video_; }

 protected:
  // What presenting shows: the back buffer itself, or a copy of it with the visible video over
  // it (valid until the next call).
  const Surface& FrameToShow(const Surface& backBuffer);
  // A video is being shown and asks for the cursor to be hidden over it.
  bool VideoHidesCursor() const { return video_ && video_->Visible() && video_->HidesCursor(); }

 private:
  VideoWindow* video_ = nullptr;
  Surface composite_;
};

}  // namespace isora
