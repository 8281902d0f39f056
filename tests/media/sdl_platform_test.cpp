#include "media/sdl_platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "lib/ani_writer.h"
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

}  // namespace
}  // namespace isora
