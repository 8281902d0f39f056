#include "media/sdl_platform.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "lib/ani_writer.h"
#include "media/virtual_pad.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

TEST(SdlPlatformTest, KeysMapToWindowsVirtualKeys) {
  // SDL key codes of printable keys are their characters.
  EXPECT_EQ(SdlPlatform::VirtualKeyFromSdl('a'), 0x41);
  EXPECT_EQ(SdlPlatform::VirtualKeyFromSdl('z'), 0x5A);
  EXPECT_EQ(SdlPlatform::VirtualKeyFromSdl('7'), 0x37);
  EXPECT_EQ(SdlPlatform::VirtualKeyFromSdl(27), kVkEscape);
  EXPECT_EQ(SdlPlatform::VirtualKeyFromSdl('\r'), kVkReturn);
  EXPECT_EQ(SdlPlatform::VirtualKeyFromSdl(' '), kVkSpace);
  EXPECT_EQ(SdlPlatform::VirtualKeyFromSdl((1 << 30) | 58), kVkF1);   // SDLK_F1
  EXPECT_EQ(SdlPlatform::VirtualKeyFromSdl((1 << 30) | 69), kVkF12);  // SDLK_F12
  EXPECT_EQ(SdlPlatform::VirtualKeyFromSdl('`'), 0);
}

// Sets an environment variable for one scope (unset when value is null), then restores it.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(SdlPlatform, NoWindowSystemFailsAtOnceInsteadOfRunningUnseen) {
  ScopedEnv display("DISPLAY", nullptr), wayland("WAYLAND_DISPLAY", nullptr),
      driver("SDL_VIDEODRIVER", nullptr);
  SdlPlatform platform;
  EXPECT_FALSE(platform.Init());
  EXPECT_NE(platform.SdlError().find("no window system"), std::string::npos) << platform.SdlError();
  EXPECT_FALSE(platform.CreateGameWindow("Game"));
}

// SDL's dummy video driver gives a real window object without a display.
class SdlDummyTest : public test::TempDirTest {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    // SDL passes a pad's input only to the focused window, and the dummy driver's never is.
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    ASSERT_TRUE(platform_.Init()) << platform_.SdlError();
    ASSERT_TRUE(platform_.CreateGameWindow("Game")) << platform_.SdlError();
  }
  SdlPlatform platform_;
};

TEST_F(SdlDummyTest, PresentsBothPixelFormats) {
  Surface back(640, 480);
  back.Fill(0xF81F);
  EXPECT_TRUE(platform_.Present(back));
  Surface back555(640, 480, PixelFormat::Rgb555);
  EXPECT_TRUE(platform_.Present(back555));
  EXPECT_TRUE(platform_.HasWindow());
}

TEST_F(SdlDummyTest, TheWindowShowsEachFrameAfterOnlyPartsChanged) {
  Surface back(640, 480);
  back.Fill(0x001F);  // blue
  ASSERT_TRUE(platform_.Present(back));
  back.Fill(Rect{100, 50, 140, 60}, 0xF800);  // red
  back.Set(639, 479, 0x07E0);                 // green
  ASSERT_TRUE(platform_.Present(back));
  const struct {
    Point at;
    uint32_t color;
  } expected[] = {{{0, 0}, 0x0000FF},    {{100, 50}, 0xFF0000}, {{139, 59}, 0xFF0000},
                  {{140, 59}, 0x0000FF}, {{99, 55}, 0x0000FF},  {{639, 479}, 0x00FF00}};
  for (const auto& e : expected) EXPECT_EQ(platform_.ShownColor(e.at.x, e.at.y), e.color);
}

TEST_F(SdlDummyTest, MessagesPostedFromAnotherThreadWakeTheLoop) {
  std::thread poster([this] {
    platform_.PostMessage(kUmGraphNotify);
    platform_.PostMessage(kWmClose);
  });
  Message m;
  ASSERT_TRUE(platform_.GetMessage(&m));
  EXPECT_EQ(m.message, kUmGraphNotify);
  ASSERT_TRUE(platform_.GetMessage(&m));
  EXPECT_EQ(m.message, kWmClose);
  poster.join();
  platform_.DestroyGameWindow();
  EXPECT_FALSE(platform_.HasWindow());
  ASSERT_TRUE(platform_.GetMessage(&m));
  EXPECT_EQ(m.message, kWmDestroy);
  platform_.PostQuitMessage(0);
  EXPECT_FALSE(platform_.GetMessage(&m));
}

TEST_F(SdlDummyTest, CursorCounterAndAnimatedCursorFile) {
  EXPECT_EQ(platform_.ShowCursor(false), -1);
  EXPECT_EQ(platform_.ShowCursor(true), 0);
  CursorFrame f;
  f.argb.assign(32 * 32, 0xFFFFFFFF);
  test::WriteFile("data/cursor.ani", WriteAni({f, f}));
  // The dummy driver has no cursors to make, so only the file side is checked here: a good
  // file must not crash or hang, a damaged or missing one falls back to the arrow.
  platform_.LoadAnimatedCursor("data\\cursor.ani");
  test::WriteFile("data/bad.ani", std::string("RIFF\x04\0\0\0ACON", 12));
  EXPECT_FALSE(platform_.LoadAnimatedCursor("data\\bad.ani"));
  EXPECT_FALSE(platform_.LoadAnimatedCursor("data\\none.ani"));
  Point p = platform_.GetCursorPos();
  EXPECT_GE(p.x, 0);
  EXPECT_LT(p.x, 640);
}

// The pad messages the platform has queued after SDL has seen the pad's new state.
std::vector<Message> PadMessages(SdlPlatform& platform) {
  std::vector<Message> out;
  Message m;
  for (int i = 0; i < 20 && out.empty(); ++i) {
    if (i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    while (platform.PeekMessage(&m, true)) {
      if (m.message >= kUmPadButtonDown && m.message <= kUmPadConnected) out.push_back(m);
    }
  }
  return out;
}

TEST_F(SdlDummyTest, AVirtualPadIsPluggedPressedPushedAndPulled) {
  VirtualPad pad;
  ASSERT_TRUE(pad.Attach()) << pad.Error();
  std::vector<Message> m = PadMessages(platform_);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, kUmPadConnected);
  EXPECT_EQ(m[0].wParam, 1u);
  EXPECT_EQ(m[0].lParam, 1);
  EXPECT_EQ(platform_.PadsOpen(), 1);

  ASSERT_TRUE(pad.SetButton(PadButton::kA, true));
  m = PadMessages(platform_);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, kUmPadButtonDown);
  EXPECT_EQ(m[0].wParam, static_cast<uint32_t>(PadButton::kA));
  ASSERT_TRUE(pad.SetButton(PadButton::kA, false));
  m = PadMessages(platform_);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, kUmPadButtonUp);

  // Every button arrives as itself.
  for (int b = 0; b < kPadButtonCount; ++b) {
    if (b == static_cast<int>(PadButton::kGuide)) continue;  // some systems keep it
    ASSERT_TRUE(pad.SetButton(static_cast<PadButton>(b), true));
    m = PadMessages(platform_);
    ASSERT_FALSE(m.empty()) << PadButtonName(static_cast<PadButton>(b));
    EXPECT_EQ(m.back().message, kUmPadButtonDown);
    EXPECT_EQ(m.back().wParam, static_cast<uint32_t>(b))
        << PadButtonName(static_cast<PadButton>(b));
    pad.SetButton(static_cast<PadButton>(b), false);
    PadMessages(platform_);
  }

  // Sticks come in steps; a change inside one step says nothing.
  ASSERT_TRUE(pad.SetAxis(PadAxis::kRightY, -20000));
  m = PadMessages(platform_);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, kUmPadAxis);
  EXPECT_EQ(m[0].wParam, static_cast<uint32_t>(PadAxis::kRightY));
  EXPECT_EQ(m[0].lParam, -20000 / 512 * 512);
  pad.SetAxis(PadAxis::kRightY, -20001);
  EXPECT_TRUE(PadMessages(platform_).empty());

  // Pulled out with a stick pushed: the stick is let go, then the pad is gone.
  pad.Detach();
  m = PadMessages(platform_);
  ASSERT_FALSE(m.empty());
  EXPECT_EQ(m.front().message, kUmPadAxis);
  EXPECT_EQ(m.front().lParam, 0);
  EXPECT_EQ(m.back().message, kUmPadConnected);
  EXPECT_EQ(m.back().wParam, 0u);
  EXPECT_EQ(m.back().lParam, 0);
  EXPECT_EQ(platform_.PadsOpen(), 0);

  // And plugged in again.
  ASSERT_TRUE(pad.Attach()) << pad.Error();
  m = PadMessages(platform_);
  ASSERT_FALSE(m.empty());
  EXPECT_EQ(m.back().message, kUmPadConnected);
  EXPECT_EQ(m.back().wParam, 1u);
}

TEST_F(SdlDummyTest, TheDisplayModeChangesAtOnce) {
  const DisplayMode start = platform_.GetDisplayMode();
  EXPECT_FALSE(start.fullscreen);
  platform_.SetDisplayMode(DisplayMode{false, 2, true});
  EXPECT_EQ(platform_.GetDisplayMode(), (DisplayMode{false, 2, true}));
  Surface back(640, 480);
  EXPECT_TRUE(platform_.Present(back));
  platform_.SetDisplayMode(DisplayMode{false, 0, false});
  EXPECT_EQ(platform_.GetDisplayMode().scale, 1) << "no window smaller than the screen";
}

// The point the game is told of for the pointer at pixel (x, y) of the window.
Point PointerAt(SdlPlatform& platform, int x, int y) {
  SDL_Event e{};
  e.motion = {SDL_MOUSEMOTION, 0, 0, 0, 0, x, y, 0, 0};
  SDL_PushEvent(&e);
  for (Message m; platform.PeekMessage(&m, true);)
    if (m.message == kWmMouseMove) return Point{int(m.lParam & 0xFFFF), int(m.lParam >> 16)};
  return Point{-1, -1};
}

TEST_F(SdlDummyTest, WindowSize3xIsClampedToTheDesktopAndKeptAsChosen) {
  // The dummy driver's desktop is 1024×768: once the screen fits, from options or at start.
  platform_.SetDisplayMode(DisplayMode{false, 3, false});
  SdlPlatform started(SdlPlatformOptions{false, false, 3, false});
  ASSERT_TRUE(started.CreateGameWindow("Game"));
  for (SdlPlatform* p : {&platform_, &started}) {
    EXPECT_EQ(p->GetDisplayMode().scale, 3);
    ASSERT_TRUE(p->Present(Surface(640, 480)));
    EXPECT_EQ(PointerAt(*p, 639, 479), (Point{639, 479}));
  }
}

TEST_F(SdlDummyTest, AltEnterLeavesTheViewAndTheMouseMatchingTheWindow) {
  Surface back(640, 480);
  back.Fill(0x001F);
  back.Set(100, 200, 0xF800);
  ASSERT_TRUE(platform_.Present(back));
  // Full screen is the 1024×768 desktop: the screen scaled by 1.6.
  const struct {
    bool full;
    Point pixel;
  } steps[] = {{true, {160, 320}}, {false, {100, 200}}, {true, {160, 320}}, {false, {100, 200}}};
  for (const auto& s : steps) {
    SDL_Event e{};
    e.key = {SDL_KEYDOWN, 0, 0, SDL_PRESSED,
             0,           0, 0, {SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT, 0}};
    SDL_PushEvent(&e);
    PointerAt(platform_, 0, 0);
    EXPECT_EQ(platform_.GetDisplayMode().fullscreen, s.full);
    ASSERT_TRUE(platform_.Present(back));  // the same frame, drawn whole in the new window
    EXPECT_EQ(platform_.ShownColor(100, 200), 0xFF0000u);
    EXPECT_EQ(platform_.ShownColor(639, 479), 0x0000FFu);
    EXPECT_EQ(PointerAt(platform_, s.pixel.x, s.pixel.y), (Point{100, 200}));
  }
}

}  // namespace
}  // namespace isora
