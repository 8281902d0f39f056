// The real window through SDL2: the 640×480 back buffer in an RGB565 streaming texture, scaled
// to the window with its aspect kept, or where the driver draws on the CPU anyway, converted
// straight into the window's own buffer; SDL events turned into the game's window messages.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "media/platform.h"

namespace isora {

struct SdlPlatformOptions {
  bool fullscreen = false;    // --fullscreen; Alt+Enter toggles either way
  bool integerScale = false;  // scale by whole multiples only
  int windowScale = 1;        // initial window size in multiples of 640×480
  bool trace = false;         // --trace: debugger output goes to stderr
};

class SdlPlatformImpl;

class SdlPlatform : public Platform {
 public:
  explicit SdlPlatform(const SdlPlatformOptions& options = {});
  ~SdlPlatform() override;

  // Initialises SDL's video and event systems; false (with SdlError()) when no display exists.
  bool Init();
  const std::string& SdlError() const;

  bool CreateGameWindow(const std::string& title) override;
  void DestroyGameWindow() override;
  bool HasWindow() const override;

  bool PeekMessage(Message* msg, bool remove) override;
  bool GetMessage(Message* msg) override;
  void WaitMessage() override;
  void WaitMessageFor(uint32_t ms) override;
  void PostMessage(const Message& msg) override;
  using Platform::PostMessage;

  Point GetCursorPos() const override;
  void SetCursorPos(int x, int y) override;
  int ShowCursor(bool show) override;
  bool LoadAnimatedCursor(const std::string& gamePath) override;

  int16_t GetKeyState(int virtualKey) const override;
  bool IsMouseButtonDown(MouseButton button) const override;
  bool HasFocus() const override;

  // Presents the frame and advances the animated cursor.
  bool Present(const Surface& backBuffer) override;
  void ToggleFullscreen();
  void SetDisplayMode(const DisplayMode& mode) override;
  DisplayMode GetDisplayMode() const override;
  // The colour (0xRRGGBB) the window's surface shows at a point of the 640×480 screen, when
  // the frame is drawn there (a window drawn on the CPU); nothing otherwise.
  std::optional<uint32_t> ShownColor(int x, int y) const;
  // Game controllers open now (they open when plugged in and close when pulled out).
  int PadsOpen() const;

  // A modal message box (GBK text shown as UTF-8); stderr when no display is available.
  void MessageBox(const std::string& text, const std::string& caption,
                  MessageBoxIcon icon) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  void DebugOutput(const std::string& text) override;
  bool DebugOutputWanted() const override;

  // SDL key code to Windows virtual-key code (0 when the game has no use for the key).
  static int VirtualKeyFromSdl(int sdlKeycode);

 private:
  std::unique_ptr<SdlPlatformImpl> impl_;
};

// Reports a failure that ends the program before its window opens: on stderr and, on Windows,
// in a message box too, since a game started from Explorer has no console to read it in.
void ShowStartupFailure(const std::string& text);

}  // namespace isora
