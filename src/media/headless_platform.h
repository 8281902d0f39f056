// A platform with no window for tests, benchmarks and headless replays: a virtual clock that
// moves only when told to, injected input, and message boxes and debugger output recorded.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "media/platform.h"

namespace isora {

class HeadlessPlatform : public Platform {
 public:
  struct RecordedMessageBox {
    std::string text, caption;
    MessageBoxIcon icon;
  };

  // Installs the virtual clock (ticks 0, 2000-01-01 00:00:00.000 UTC) as the Clock source for
  // the platform's lifetime.
  HeadlessPlatform();
  ~HeadlessPlatform() override;

  bool CreateGameWindow(const std::string& title) override;
  void DestroyGameWindow() override;
  bool HasWindow() const override { return window_; }

  bool PeekMessage(Message* msg, bool remove) override;
  // With an empty queue, advances the virtual clock 1 ms at a time until a message arrives
  // (another thread may post one), so a loop that waits never hangs.
  bool GetMessage(Message* msg) override;
  // Returns at once; with an empty queue it moves the virtual clock on by 1 ms.
  void WaitMessage() override;
  // Moves the virtual clock on by `ms` unless a message is waiting.
  void WaitMessageFor(uint32_t ms) override;
  void PostMessage(const Message& msg) override;
  using Platform::PostMessage;
  size_t PendingMessages() const;

  Point GetCursorPos() const override { return cursor_; }
  void SetCursorPos(int x, int y) override;
  int ShowCursor(bool show) override;
  bool LoadAnimatedCursor(const std::string& gamePath) override;

  int16_t GetKeyState(int virtualKey) const override;
  bool IsMouseButtonDown(MouseButton button) const override;
  bool HasFocus() const override { return focus_; }

  void SetDisplayMode(const DisplayMode& mode) override { display_ = mode; }
  DisplayMode GetDisplayMode() const override { return display_; }

  bool Present(const Surface& backBuffer) override;
  // The last presented frame (with the video over it while one shows; a copy, kept unless
  // SetKeepFrames(false): a game run headless for itself has nobody to look at it) and the
  // number of presents.
  const Surface& LastFrame() const { return lastFrame_; }
  void SetKeepFrames(bool keep) { keepFrames_ = keep; }
  int PresentCount() const { return presents_; }

  void MessageBox(const std::string& text, const std::string& caption,
                  MessageBoxIcon icon) override;
  // Trace text is kept as the last kDebugLinesKept lines, and handed to the sink as it comes
  // when one is set. With SetDebugWanted(false) and no sink, callers are told nobody listens.
  void DebugOutput(const std::string& text) override;
  bool DebugOutputWanted() const override { return debugWanted_ || debugSink_ != nullptr; }
  void SetDebugWanted(bool wanted) { debugWanted_ = wanted; }
  void SetDebugSink(std::function<void(const std::string&)> sink) { debugSink_ = std::move(sink); }
  static constexpr size_t kDebugLinesKept = 4096;
  const std::vector<RecordedMessageBox>& MessageBoxes() const { return boxes_; }
  const std::deque<std::string>& DebugLines() const { return debug_; }

  // Input injection. Each queues the window message the real window would send and updates
  // the held state the way the window system would.
  void InjectMouseMove(int x, int y);
  void InjectButton(MouseButton button, bool down);
  void InjectKeyDown(int virtualKey);
  void SetKeyDown(int virtualKey, bool down);  // held state only, no message (e.g. Shift)
  void SetFocus(bool focus);                   // queues kWmActivateApp
  void InjectClose() { PostMessage(kWmClose); }
  // A game controller's button, stick and plugging, as the real window reports them.
  void InjectPadButton(PadButton button, bool down);
  void InjectPadAxis(PadAxis axis, int value);
  void InjectPadConnected(bool connected, int padsOpen);

  void AdvanceTime(uint32_t ms) { clock_.Advance(ms); }

 private:
  FixedClock clock_;
  ClockSource* previousClock_ = nullptr;
  mutable std::mutex mutex_;
  std::deque<Message> queue_;
  bool window_ = false;
  std::string title_;
  Point cursor_{320, 240};
  int cursorCounter_ = 0;
  bool animatedCursor_ = false;
  bool focus_ = true;
  bool buttons_[3] = {false, false, false};
  bool keys_[256] = {};
  DisplayMode display_;
  Surface lastFrame_;
  bool keepFrames_ = true;
  int presents_ = 0;
  std::vector<RecordedMessageBox> boxes_;
  std::deque<std::string> debug_;
  bool debugWanted_ = true;
  std::function<void(const std::string&)> debugSink_;
};

}  // namespace isora
