#include <gtest/gtest.h>

#include "lib/ani_writer.h"
#include "media/ani_reader.h"
#include "media/headless_platform.h"
#include "media/jpeg_writer.h"
#include "media/mouse_device.h"
#include "media/renderer.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

TEST(HeadlessPlatformTest, MessagesComeOutInTheOrderTheyHappened) {
  HeadlessPlatform p;
  ASSERT_TRUE(p.CreateGameWindow("Game"));
  p.InjectMouseMove(100, 200);
  p.InjectButton(MouseButton::Left, true);
  p.InjectButton(MouseButton::Left, false);
  p.InjectKeyDown(kVkF1);
  p.InjectButton(MouseButton::Right, true);
  p.SetFocus(false);
  p.PostMessage(kUmGraphNotify);
  p.InjectClose();
  const uint32_t expected[] = {kWmMouseMove,   kWmLButtonDown, kWmLButtonUp,   kWmKeyDown,
                               kWmRButtonDown, kWmActivateApp, kUmGraphNotify, kWmClose};
  Message m;
  ASSERT_TRUE(p.PeekMessage(&m, false));
  EXPECT_EQ(m.message, kWmMouseMove);
  EXPECT_EQ(p.PendingMessages(), 8u);  // peeking without removing leaves it
  for (uint32_t e : expected) {
    ASSERT_TRUE(p.GetMessage(&m));
    EXPECT_EQ(m.message, e);
    if (e == kWmKeyDown) {
      EXPECT_EQ(m.wParam, 0x70u);
    } else if (e == kWmLButtonDown) {
      EXPECT_EQ(m.lParam, (200 << 16) | 100);
    } else if (e == kWmActivateApp) {
      EXPECT_EQ(m.wParam, 0u);
    }
  }
  EXPECT_FALSE(p.PeekMessage(&m, true));
  p.DestroyGameWindow();
  p.PostQuitMessage(3);
  ASSERT_TRUE(p.GetMessage(&m));
  EXPECT_EQ(m.message, kWmDestroy);
  EXPECT_FALSE(p.GetMessage(&m));
  EXPECT_EQ(m.wParam, 3u);
}

TEST(HeadlessPlatformTest, VirtualClockCursorKeysAndRecords) {
  uint32_t before;
  {
    HeadlessPlatform p;
    EXPECT_EQ(p.TickCount(), 0u);
    p.AdvanceTime(41);
    EXPECT_EQ(p.TickCount(), 41u);
    EXPECT_EQ(Clock::TickCount(), 41u);  // the whole game sees the virtual clock
    EXPECT_EQ(p.SystemTimeUtc().year, 2000);
    p.WaitMessage();  // nothing queued: time moves on instead of hanging
    EXPECT_EQ(p.TickCount(), 42u);
    p.WaitMessageFor(30);  // the wait until the next frame passes on the virtual clock
    EXPECT_EQ(p.TickCount(), 72u);
    p.PostMessage(kWmUser);
    p.WaitMessageFor(30);  // a waiting message ends the wait at once
    EXPECT_EQ(p.TickCount(), 72u);
    ASSERT_TRUE(p.PeekMessage(nullptr, true));
    p.SetCursorPos(320, 195);
    EXPECT_EQ(p.GetCursorPos(), (Point{320, 195}));
    EXPECT_EQ(p.ShowCursor(false), -1);
    EXPECT_EQ(p.ShowCursor(true), 0);
    EXPECT_EQ(p.GetKeyState(kVkShift), 0);
    p.SetKeyDown(kVkShift, true);
    EXPECT_LT(p.GetKeyState(kVkShift), 0);
    p.MessageBox("Load game.ini failed!", "Error", MessageBoxIcon::Error);
    p.DebugOutput("UM_GRAPHNOTIFY!\n");
    ASSERT_EQ(p.MessageBoxes().size(), 1u);
    EXPECT_EQ(p.MessageBoxes()[0].caption, "Error");
    EXPECT_EQ(p.DebugLines().back(), "UM_GRAPHNOTIFY!\n");
    before = Clock::TickCount();
  }
  EXPECT_NE(Clock::TickCount(), before);  // the real clock is back
}

TEST(HeadlessPlatformTest, FlipPresentsTheBackBuffer) {
  test::TempDir dir;
  HeadlessPlatform p;
  Renderer r;
  ASSERT_TRUE(r.Init(&p));
  r.GetSurface(kSurfaceBackBuffer)->Fill(0x1234);
  ASSERT_TRUE(r.Flip());
  EXPECT_EQ(p.PresentCount(), 1);
  EXPECT_EQ(p.LastFrame().At(639, 479), 0x1234);
  // Without kept frames presents are still counted; the copy stays the last one kept.
  p.SetKeepFrames(false);
  r.GetSurface(kSurfaceBackBuffer)->Fill(0x4321);
  ASSERT_TRUE(r.Flip());
  EXPECT_EQ(p.PresentCount(), 2);
  EXPECT_EQ(p.LastFrame().At(639, 479), 0x1234);
}

TEST(HeadlessPlatformTest, TraceTextIsBoundedAndToldWhetherAnyoneListens) {
  HeadlessPlatform p;
  EXPECT_TRUE(p.DebugOutputWanted());
  for (size_t i = 0; i < HeadlessPlatform::kDebugLinesKept + 10; ++i)
    p.DebugOutput(std::to_string(i) + "\n");
  ASSERT_EQ(p.DebugLines().size(), HeadlessPlatform::kDebugLinesKept);
  EXPECT_EQ(p.DebugLines().front(), "10\n");  // the oldest went first
  EXPECT_EQ(p.DebugLines().back(), std::to_string(HeadlessPlatform::kDebugLinesKept + 9) + "\n");
  // Nobody listening: nothing kept, and callers may skip formatting.
  p.SetDebugWanted(false);
  EXPECT_FALSE(p.DebugOutputWanted());
  p.DebugOutput("dropped\n");
  EXPECT_NE(p.DebugLines().back(), "dropped\n");
  // A sink streams every line as it comes.
  std::string streamed;
  p.SetDebugSink([&](const std::string& text) { streamed += text; });
  EXPECT_TRUE(p.DebugOutputWanted());
  p.DebugOutput("a\n");
  p.DebugOutput("b\n");
  EXPECT_EQ(streamed, "a\nb\n");
}

TEST(JpegWriterTest, TheScreenshotIsEncodedInOnePassAsTheSameBaselineFile) {
  Surface back(640, 480);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) back.Set(x, y, static_cast<uint16_t>(x * 97 + y * 31));
  std::vector<uint8_t> fast, reference;
  ASSERT_TRUE(EncodeScreenshot(back, 75, &fast));
  ASSERT_TRUE(EncodeJpeg(640, 480, ScreenshotPixels(back), 75, &reference));
  ASSERT_GT(fast.size(), 100u);
  EXPECT_EQ(std::string(fast.begin() + 6, fast.begin() + 10), "JFIF");
  // The same quantisation tables and frame header as the two-pass encoding.
  auto segment = [](const std::vector<uint8_t>& jpg, uint8_t marker) {
    for (size_t i = 2; i + 4 < jpg.size();) {
      const size_t length = (jpg[i + 2] << 8) | jpg[i + 3];
      if (jpg[i + 1] == marker)
        return std::vector<uint8_t>(jpg.begin() + i, jpg.begin() + i + 2 + length);
      i += 2 + length;
    }
    return std::vector<uint8_t>{};
  };
  EXPECT_FALSE(segment(fast, 0xC0).empty());
  EXPECT_EQ(segment(fast, 0xC0), segment(reference, 0xC0));
  EXPECT_EQ(segment(fast, 0xDB), segment(reference, 0xDB));
  // The fast transform changes the coded data only slightly.
  EXPECT_NEAR(static_cast<double>(fast.size()), static_cast<double>(reference.size()),
              reference.size() * 0.1);
  EXPECT_FALSE(EncodeScreenshot(Surface(), 75, &fast));
}

// The screenshot converts and subsamples by itself; any slip in its arithmetic, its rounding or
// the way it repeats edge pixels would change the coded bytes against the encoder's own pass.
TEST(JpegWriterTest, TheOnePassScreenshotHasTheBytesOfTheEncodersOwnConversion) {
  uint32_t seed = 12345;
  for (auto [w, h] :
       {std::pair{640, 480}, {1, 1}, {17, 33}, {30, 18}, {33, 16}, {16, 31}, {2, 3}, {47, 1}}) {
    Surface back(w, h);
    // Smooth areas, hard edges and noise, so every coefficient path of the coder is used.
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        seed = seed * 1103515245 + 12345;
        uint16_t p = static_cast<uint16_t>(x * 97 + y * 31);
        if ((x / 8 + y / 8) % 3 == 1) p = static_cast<uint16_t>(seed >> 16);
        if ((x / 5 + y / 7) % 4 == 2) p = 0xF81F;
        back.Set(x, y, p);
      }
    std::vector<uint8_t> fast, reference;
    ASSERT_TRUE(EncodeScreenshot(back, 75, &fast)) << w << "x" << h;
    ASSERT_TRUE(EncodeJpeg(w, h, ScreenshotPixels(back), 75, &reference, true));
    EXPECT_EQ(fast, reference) << w << "x" << h;
  }
  // The caller's vector is reused: a second shot of another picture is not mixed with the first.
  Surface a(200, 200), b(64, 64);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x) a.Set(x, y, static_cast<uint16_t>((x * 7919) ^ (y * 104729)));
  b.Fill(0xFFFF);
  std::vector<uint8_t> out, expected;
  ASSERT_TRUE(EncodeScreenshot(a, 75, &out));
  ASSERT_TRUE(EncodeScreenshot(b, 75, &out));
  ASSERT_TRUE(EncodeJpeg(64, 64, ScreenshotPixels(b), 75, &expected, true));
  EXPECT_EQ(out, expected);
  EXPECT_EQ(out[out.size() - 2], 0xFF);
  EXPECT_EQ(out.back(), 0xD9);  // ends with the end-of-image marker, nothing after it
}

TEST(MouseDeviceTest, ButtonsReadOnlyWhileTheWindowHasTheFocus) {
  HeadlessPlatform p;
  MouseDevice mouse;
  EXPECT_EQ(mouse.Create(nullptr, true, false, true), MouseDevice::kErrNoWindow);
  ASSERT_EQ(mouse.Create(&p, true, false, true), 0);
  EXPECT_FALSE(mouse.IsLeftDown());
  p.InjectButton(MouseButton::Left, true);
  p.InjectButton(MouseButton::Right, true);
  EXPECT_TRUE(mouse.IsLeftDown());
  EXPECT_TRUE(mouse.IsRightDown());
  p.SetFocus(false);
  EXPECT_FALSE(mouse.IsLeftDown());
  EXPECT_FALSE(mouse.IsRightDown());
  EXPECT_FALSE(mouse.IsAcquired());
  p.SetFocus(true);
  EXPECT_TRUE(mouse.IsLeftDown());  // the first poll re-acquires
  EXPECT_TRUE(mouse.IsAcquired());
  mouse.Release();
  EXPECT_FALSE(mouse.IsLeftDown());
}

CursorFrame Arrow(uint32_t color, int hotX) {
  CursorFrame f;
  f.width = f.height = 32;
  f.hotspotX = hotX;
  f.hotspotY = 1;
  f.argb.assign(32 * 32, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x <= y; ++x) f.argb[y * 32 + x] = color;
  return f;
}

TEST(AniReaderTest, FramesStepsAndRates) {
  auto file = WriteAni({Arrow(0xFFFF0000, 0), Arrow(0xFF00FF00, 3)}, {0, 1, 1}, {5, 10, 20});
  AnimatedCursor c;
  std::string error;
  ASSERT_TRUE(ParseAni(file, &c, &error)) << error;
  ASSERT_EQ(c.frames.size(), 2u);
  EXPECT_EQ(c.frames[1].hotspotX, 3);
  EXPECT_EQ(c.frames[1].hotspotY, 1);
  EXPECT_EQ(c.frames[0].argb[15 * 32], 0xFFFF0000u);
  EXPECT_EQ(c.frames[0].argb[31], 0u);  // transparent by the mask
  ASSERT_EQ(c.steps.size(), 3u);
  EXPECT_EQ(c.steps[2].frame, 1);
  EXPECT_EQ(c.steps[2].jiffies, 20);
  EXPECT_EQ(AnimatedCursor::JiffiesToMs(6), 100);
  // Without a sequence every frame is one step at the header's rate.
  ASSERT_TRUE(ParseAni(WriteAni({Arrow(0xFFFFFFFF, 0)}), &c, &error));
  ASSERT_EQ(c.steps.size(), 1u);
  EXPECT_EQ(c.steps[0].jiffies, 10);
}

TEST(AniReaderTest, DamagedCursorsAreRefused) {
  auto good = WriteAni({Arrow(0xFFFF0000, 0), Arrow(0xFF00FF00, 3)}, {0, 1}, {5, 5});
  AnimatedCursor c;
  for (size_t cut : {size_t{0}, size_t{11}, size_t{40}, good.size() / 2, good.size() - 3}) {
    std::vector<uint8_t> shorter(good.begin(), good.begin() + cut);
    EXPECT_FALSE(ParseAni(shorter, &c)) << cut;
  }
  auto badSeq = WriteAni({Arrow(0xFFFF0000, 0)}, {0, 5}, {});
  EXPECT_FALSE(ParseAni(badSeq, &c));
  HeadlessPlatform p;
  EXPECT_FALSE(p.LoadAnimatedCursor("data/missing.ani"));
}

TEST(JpegWriterTest, ScreenshotPixelsAndBaselineJfif) {
  Surface back(640, 480);
  back.Fill(0xF81F);
  back.Set(1, 0, 0x07E0);
  auto bgr = ScreenshotPixels(back);
  ASSERT_EQ(bgr.size(), 640u * 480 * 3);
  // 0xF81F: blue (p*8)%256 = 0xF8, green (p/8)%256 = 0x03, red (p/256)%256 = 0xF8.
  EXPECT_EQ(bgr[0], 0xF8);
  EXPECT_EQ(bgr[1], 0x03);
  EXPECT_EQ(bgr[2], 0xF8);
  EXPECT_EQ(bgr[3], 0x00);
  EXPECT_EQ(bgr[4], 0xFC);
  EXPECT_EQ(bgr[5], 0x07);
  std::vector<uint8_t> jpg;
  ASSERT_TRUE(EncodeJpeg(640, 480, bgr, 75, &jpg));
  ASSERT_GT(jpg.size(), 100u);
  EXPECT_EQ(jpg[0], 0xFF);
  EXPECT_EQ(jpg[1], 0xD8);
  EXPECT_EQ(std::string(jpg.begin() + 6, jpg.begin() + 10), "JFIF");
  // Baseline frame (SOF0) with 2×2 luma sampling and 1×1 chroma.
  size_t sof = 0;
  for (size_t i = 0; i + 1 < jpg.size(); ++i)
    if (jpg[i] == 0xFF && jpg[i + 1] == 0xC0) {
      sof = i;
      break;
    }
  ASSERT_NE(sof, 0u);
  EXPECT_EQ((jpg[sof + 5] << 8) | jpg[sof + 6], 480);
  EXPECT_EQ((jpg[sof + 7] << 8) | jpg[sof + 8], 640);
  EXPECT_EQ(jpg[sof + 9], 3);
  EXPECT_EQ(jpg[sof + 11], 0x22);
  EXPECT_EQ(jpg[sof + 14], 0x11);
  EXPECT_FALSE(EncodeJpeg(640, 480, std::vector<uint8_t>(10), 75, &jpg));
  test::TempDir dir;
  // folder is not created
  EXPECT_FALSE(WriteJpeg(test::InFolder("screenshot/none/1.jpg").string(), 640, 480, bgr));
  EXPECT_TRUE(WriteJpeg(test::InFolder("shot.jpg").string(), 640, 480, bgr));
  EXPECT_TRUE(test::Exists("shot.jpg"));
}

}  // namespace
}  // namespace isora
