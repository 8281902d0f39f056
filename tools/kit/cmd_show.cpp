// isora-kit show-bmp: shows a picture in a real game window with Latin and Chinese text and the
// animated cursor, to check pictures and the platform layer by eye.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/file_io.h"
#include "foundation/gbk.h"
#include "foundation/number_text.h"
#include "foundation/system_hooks.h"
#include "foundation/win_format.h"
#include "kit/kit.h"
#include "lib/ani_writer.h"
#include "media/bmp_reader.h"
#include "media/renderer.h"
#include "media/sdl_platform.h"

namespace isora::kit {
namespace {

void Help() {
  std::printf(
      "usage: isora-kit show-bmp FILE|PKG::MEMBER [options]\n"
      "Opens a 640x480 game window showing the picture, sample text and the animated cursor.\n"
      "  --cursor FILE.ani  cursor to use (default data/cursor.ani, else a built-in one)\n"
      "  --seconds N        close after N seconds (default: when the window is closed)\n"
      "  --fullscreen       start full screen (Alt+Enter toggles)\n"
      "  --scale N          window size in multiples of 640x480\n"
      "  --pixel-format 555 draw in 5-5-5 instead of 5-6-5\n");
}

// A small spinning pointer: an arrow whose tip colour cycles, four frames at 1/6 s.
std::vector<uint8_t> BuiltInCursor() {
  const uint32_t tips[] = {0xFFFF4040, 0xFFFFD040, 0xFF40FF60, 0xFF40A0FF};
  std::vector<CursorFrame> frames;
  for (uint32_t tip : tips) {
    CursorFrame f;
    f.width = f.height = 32;
    f.argb.assign(32 * 32, 0);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x <= y * 2 / 3; ++x) {
        bool edge = x == 0 || x == y * 2 / 3 || y == 19;
        f.argb[y * 32 + x] = edge ? 0xFF000000 : (y < 8 ? tip : 0xFFFFFFFF);
      }
    frames.push_back(f);
  }
  return WriteAni(frames, {0, 1, 2, 3}, {10, 10, 10, 10});
}

int RunShow(const std::vector<std::string>& args) {
  if (WantsHelp(args) || args.empty()) {
    Help();
    return args.empty() ? 2 : 0;
  }
  std::string input, cursorPath;
  double seconds = 0;
  SdlPlatformOptions options;
  PixelFormat format = PixelFormat::Rgb565;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> std::string { return i + 1 < args.size() ? args[++i] : ""; };
    if (a == "--cursor") {
      cursorPath = value();
    } else if (a == "--seconds") {
      seconds = std::atof(value().c_str());
    } else if (a == "--fullscreen") {
      options.fullscreen = true;
    } else if (a == "--scale") {
      const std::string text = value();
      const std::optional<int> scale = ParseNumber<int>(text);
      if (!scale) return Fail("--scale takes a whole number, not '" + text + "'");
      options.windowScale = *scale;
    } else if (a == "--pixel-format") {
      format = value() == "555" ? PixelFormat::Rgb555 : PixelFormat::Rgb565;
    } else if (a == "--trace") {
      options.trace = true;
    } else if (input.empty()) {
      input = a;
    } else {
      return Fail("unexpected argument " + a);
    }
  }
  std::string error;
  auto bytes = ReadInput(input, &error);
  if (!bytes) return Fail(error);
  BmpInfo info;
  if (!ParseBmp(*bytes, &info, &error)) return Fail(input + ": " + error);

  SdlPlatform platform(options);
  if (!platform.Init() || !platform.CreateGameWindow("Game"))
    return Fail("cannot open a window: " + platform.SdlError() +
                ".\nRun it under a virtual display:  xvfb-run -a isora-kit show-bmp ...");
  SystemHooks* previousHooks = Hooks::Set(&platform);

  std::string tempCursor;
  if (cursorPath.empty() && std::filesystem::exists(NativePath("data/cursor.ani")))
    cursorPath = "data/cursor.ani";
  if (cursorPath.empty()) {
    tempCursor = (std::filesystem::temp_directory_path() / "isora-show-cursor.ani").string();
    WriteOutput(tempCursor, BuiltInCursor(), &error);
    cursorPath = tempCursor;
  }
  bool animated = platform.LoadAnimatedCursor(cursorPath);
  platform.ShowCursor(true);

  Renderer renderer(format);
  if (!renderer.Init(&platform)) {
    Hooks::Set(previousHooks);
    return Fail("cannot initialise the renderer");
  }
  Surface& back = *renderer.GetSurface(kSurfaceBackBuffer);
  const std::string title =
      input + WinFormat("  %dx%d, %d bits", info.Width(), info.Height(), info.bitCount);
  const std::string chinese = Gbk(u8"你好，世界！图片、文字和光标。");

  const uint32_t start = platform.TickCount();
  uint32_t lastFrame = 0;
  Message m;
  bool running = true;
  while (running) {
    while (platform.PeekMessage(&m, true)) {
      if (m.message == kWmClose || (m.message == kWmKeyDown && m.wParam == kVkEscape))
        running = false;
    }
    uint32_t now = platform.TickCount();
    if (seconds > 0 && now - start >= seconds * 1000) running = false;
    if (now - lastFrame <= 40) {
      platform.WaitMessage();
      continue;
    }
    lastFrame = now;
    back.Fill(PackPixel(format, 0x20, 0x28, 0x38));
    DrawBmp(*bytes, back, (640 - info.Width()) / 2, (480 - info.Height()) / 2);
    Point p = platform.GetCursorPos();
    renderer.Blend50(kSurfaceBackBuffer, Rect{0, 0, 640, 56}, true);
    renderer.DrawText(title, 320, 6, kSurfaceBackBuffer, kTaCenter, 0xFFFFFF);
    renderer.DrawText(chinese, 320, 28, kSurfaceBackBuffer, kTaCenter, 0x40E0FF);
    renderer.DrawText(WinFormat("(%d,%d)%s", p.x, p.y, animated ? "" : "  arrow cursor"), 8, 456,
                      kSurfaceBackBuffer, kTaLeft, 0xAAE3FF);
    renderer.Flip();
  }
  renderer.Release();
  Hooks::Set(previousHooks);
  if (!tempCursor.empty()) std::filesystem::remove(tempCursor);
  return 0;
}

}  // namespace

ISORA_KIT_COMMAND("show-bmp", "show a picture in a game window (text, animated cursor)", RunShow);

}  // namespace isora::kit
