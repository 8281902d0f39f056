#include "media/headless_platform.h"

#include "foundation/file_io.h"
#include "foundation/stop_signals.h"
#include "media/ani_reader.h"

namespace isora {

HeadlessPlatform::HeadlessPlatform() {
  clock_.calendar = 946684800;  // 2000-01-01 00:00:00 UTC
  clock_.utc = Clock::FromCalendar(clock_.calendar, 0);
  previousClock_ = Clock::SetSource(&clock_);
}

HeadlessPlatform::~HeadlessPlatform() { Clock::SetSource(previousClock_); }

bool HeadlessPlatform::CreateGameWindow(const std::string& title) {
  window_ = true;
  title_ = title;
  return true;
}

void HeadlessPlatform::DestroyGameWindow() {
  if (!window_) return;
  window_ = false;
  PostMessage(kWmDestroy);
}

bool HeadlessPlatform::PeekMessage(Message* msg, bool remove) {
  if (TakeStopRequest()) PostMessage(Message{kWmClose, 0, 0});
  std::lock_guard<std::mutex> lock(mutex_);
  if (queue_.empty()) return false;
  if (msg) *msg = queue_.front();
  if (remove) queue_.pop_front();
  return true;
}

bool HeadlessPlatform::GetMessage(Message* msg) {
  Message m;
  while (!PeekMessage(&m, true)) clock_.Advance(1);
  if (msg) *msg = m;
  return m.message != kWmQuit;
}

void HeadlessPlatform::WaitMessage() {
  if (PendingMessages() == 0) clock_.Advance(1);
}

void HeadlessPlatform::WaitMessageFor(uint32_t ms) {
  if (PendingMessages() == 0) clock_.Advance(ms);
}

void HeadlessPlatform::PostMessage(const Message& msg) {
  std::lock_guard<std::mutex> lock(mutex_);
  queue_.push_back(msg);
}

size_t HeadlessPlatform::PendingMessages() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queue_.size();
}

void HeadlessPlatform::SetCursorPos(int x, int y) { cursor_ = Point{x, y}; }

int HeadlessPlatform::ShowCursor(bool show) { return cursorCounter_ += show ? 1 : -1; }

bool HeadlessPlatform::LoadAnimatedCursor(const std::string& gamePath) {
  auto bytes = ReadFileBytes(NativePath(gamePath), size_t{16} << 20);
  AnimatedCursor cursor;
  animatedCursor_ = bytes && ParseAni(*bytes, &cursor);
  return animatedCursor_;
}

int16_t HeadlessPlatform::GetKeyState(int virtualKey) const {
  if (virtualKey == kVkLButton) return buttons_[0] ? int16_t(-128) : 0;
  if (virtualKey == kVkRButton) return buttons_[1] ? int16_t(-128) : 0;
  if (virtualKey < 0 || virtualKey > 255) return 0;
  return keys_[virtualKey] ? int16_t(-128) : 0;
}

bool HeadlessPlatform::IsMouseButtonDown(MouseButton button) const {
  return buttons_[static_cast<int>(button)];
}

bool HeadlessPlatform::Present(const Surface& shown) {
  const Surface& backBuffer = FrameToShow(shown);
  ++presents_;
  if (!keepFrames_) return true;
  if (lastFrame_.Width() != backBuffer.Width() || lastFrame_.Height() != backBuffer.Height() ||
      lastFrame_.Format() != backBuffer.Format())
    lastFrame_ = Surface(backBuffer.Width(), backBuffer.Height(), backBuffer.Format());
  lastFrame_.BltFast(0, 0, backBuffer, backBuffer.Bounds(), kBltNoColorKey);
  return true;
}

void HeadlessPlatform::MessageBox(const std::string& text, const std::string& caption,
                                  MessageBoxIcon icon) {
  boxes_.push_back({text, caption, icon});
}

void HeadlessPlatform::DebugOutput(const std::string& text) {
  if (debugSink_) debugSink_(text);
  if (!debugWanted_) return;
  if (debug_.size() == kDebugLinesKept) debug_.pop_front();
  debug_.push_back(text);
}

void HeadlessPlatform::InjectMouseMove(int x, int y) {
  cursor_ = Point{x, y};
  PostMessage(kWmMouseMove, 0, (static_cast<int64_t>(y & 0xFFFF) << 16) | (x & 0xFFFF));
}

void HeadlessPlatform::InjectButton(MouseButton button, bool down) {
  buttons_[static_cast<int>(button)] = down;
  uint32_t msg = 0;
  if (button == MouseButton::Left) msg = down ? kWmLButtonDown : kWmLButtonUp;
  if (button == MouseButton::Right) msg = down ? kWmRButtonDown : kWmRButtonUp;
  if (msg)
    PostMessage(msg, 0, (static_cast<int64_t>(cursor_.y & 0xFFFF) << 16) | (cursor_.x & 0xFFFF));
}

void HeadlessPlatform::InjectKeyDown(int virtualKey) {
  PostMessage(kWmKeyDown, static_cast<uint32_t>(virtualKey));
}

void HeadlessPlatform::InjectPadButton(PadButton button, bool down) {
  PostMessage(down ? kUmPadButtonDown : kUmPadButtonUp, static_cast<uint32_t>(button));
}

void HeadlessPlatform::InjectPadAxis(PadAxis axis, int value) {
  PostMessage(kUmPadAxis, static_cast<uint32_t>(axis),
              value < -32768  ? -32768
              : value > 32767 ? 32767
                              : value);
}

void HeadlessPlatform::InjectPadConnected(bool connected, int padsOpen) {
  PostMessage(kUmPadConnected, connected ? 1 : 0, padsOpen);
}

void HeadlessPlatform::SetKeyDown(int virtualKey, bool down) {
  if (virtualKey >= 0 && virtualKey <= 255) keys_[virtualKey] = down;
}

void HeadlessPlatform::SetFocus(bool focus) {
  focus_ = focus;
  PostMessage(kWmActivateApp, focus ? 1 : 0);
}

}  // namespace isora
