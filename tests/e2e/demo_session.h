// Plays the demo game headless: builds the demo once per test program, runs a CGame on the
// headless platform one frame per 41 ms of virtual time, injects input and reads state dumps.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "foundation/crand.h"
#include "foundation/enhancements.h"
#include "foundation/file_io.h"
#include "foundation/system_hooks.h"
#include "lib/demo_builder.h"
#include "media/headless_platform.h"
#include "save/save_file.h"
#include "shell/game.h"
#include "shell/game_rules.h"
#include "shell/headless_runner.h"
#include "ui/button.h"

namespace isora::e2e {

inline std::string DemoSourceDir() {
  if (const char* root = std::getenv("ISORA_SOURCE_DIR"); root && *root) {
    return (std::filesystem::path(root) / "content" / "demo").string();
  }
  return (std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "content" / "demo")
      .lexically_normal()
      .string();
}

// Builds the demo from `source` into `out`, uncompressed for speed; `removeAtExit` (out when
// empty) goes when the process ends. Empty, with a test failure, when the build fails.
inline std::string BuildDemoInto(const std::string& source, const std::filesystem::path& out,
                                 std::filesystem::path removeAtExit = {}) {
  static std::vector<std::filesystem::path> scratch;
  if (scratch.empty()) {
    std::atexit([] {
      std::error_code ec;
      for (const auto& path : scratch) std::filesystem::remove_all(path, ec);
    });
  }
  scratch.push_back(removeAtExit.empty() ? out : removeAtExit);
  demo::DemoBuildOptions options;
  options.sourceDir = source;
  options.outDir = out.string();
  options.compress = false;
  std::string error;
  if (!demo::BuildDemo(options, nullptr, &error)) {
    ADD_FAILURE() << "demo build failed: " << error;
    return std::string();
  }
  return out.string();
}

// The demo folder, built once into a temporary directory (uncompressed, for speed).
inline const std::string& DemoFolder() {
  static std::string folder = [] {
    return BuildDemoInto(DemoSourceDir(), std::filesystem::temp_directory_path() /
                                              ("isora-e2e-" + std::to_string(::getpid())));
  }();
  return folder;
}

class DemoSession {
 public:
  // `folder`: a built game folder; the demo when empty. `settingsFile`: the player's settings
  // (none when empty). `dev`: as isora --dev.
  explicit DemoSession(PixelFormat format = PixelFormat::Rgb565, const std::string& folder = {},
                       const std::string& settingsFile = {}, bool dev = false, bool sound = false) {
    // The demo is the game folder; the process's working directory stays where it is.
    previousFolder_ = GameFolder();
    SetGameFolder(folder.empty() ? DemoFolder() : folder);
    std::error_code ec;
    for (int slot = 1; slot <= kSaveSlots + 1; ++slot) {  // the six and the autosave
      std::filesystem::remove(NativePath("saves/" + std::to_string(slot) + ".sav"), ec);
    }
    previousHooks_ = Hooks::Set(&platform);
    // Each session starts like a fresh process: rand() seeded with 1, splashes from the first.
    CRand::Srand(1);
    ResetSplashIndex();
    game = std::make_unique<CGame>(platform, GameOptions{format, !sound, false, dev, settingsFile});
    ok = game->Init();
    game->WindowProc(Message{kUmSetGame, 0, 0});
  }
  ~DemoSession() {
    game.reset();
    Hooks::Set(previousHooks_);
    SetGameFolder(previousFolder_);
  }

  // Handles pending messages, then runs frames until `frames` more have run.
  void Step(int frames = 1) {
    int64_t target = game->FramesRun() + frames;
    int exitCode = 0;
    int guard = 0;
    while (game->FramesRun() < target && !quit && ++guard < 1000000) {
      CGame::PumpResult r = game->Pump(&exitCode);
      if (r == CGame::PumpResult::kQuit) quit = true;
      if (r == CGame::PumpResult::kIdle) platform.AdvanceTime(41);
    }
  }
  // Runs frames until the predicate holds on the state dump; false after maxFrames.
  bool Until(const std::function<bool(const nlohmann::json&)>& pred, int maxFrames = 2000) {
    for (int i = 0; i < maxFrames; ++i) {
      if (pred(State())) return true;
      Step();
    }
    return pred(State());
  }
  bool UntilMode(const std::string& mode, int maxFrames = 2000) {
    return Until([&](const nlohmann::json& s) { return s["mode"] == mode; }, maxFrames);
  }
  void Move(int x, int y) { platform.InjectMouseMove(x, y); }
  void Click(int x, int y) {
    Move(x, y);
    platform.InjectButton(MouseButton::Left, true);
    platform.InjectButton(MouseButton::Left, false);
    Step();
  }
  void RightClick(int x, int y) {
    Move(x, y);
    platform.InjectButton(MouseButton::Right, true);
    platform.InjectButton(MouseButton::Right, false);
    Step();
  }
  // Turns one of the game's behaviour switches on or off from here on.
  static void Switch(Enhancement e, bool on) {
    Enhancements now = Enhanced();
    now.Set(e, on);
    SetEnhanced(now);
  }
  // Clicks the centre of a panel button.
  void ClickButton(const Button& b) {
    Click((b.hitRect.left + b.hitRect.right) / 2, (b.hitRect.top + b.hitRect.bottom) / 2);
  }
  void Key(int vk, bool shift = false) {
    if (shift) platform.SetKeyDown(kVkShift, true);
    platform.InjectKeyDown(vk);
    int exitCode = 0;
    while (platform.PendingMessages() > 0) game->Pump(&exitCode);
    if (shift) platform.SetKeyDown(kVkShift, false);
    Step();
  }
  nlohmann::json State() { return nlohmann::json::parse(DumpGameState(*game)); }

  // From the start to the main menu.
  bool ToMainMenu() { return UntilMode("ModeMainMenu", 1000) && (Step(10), true); }
  // Main menu → main.gsp's talks answered (Yes or No) → playing in Willowmere.
  bool NewGame(bool answerYes = true);
  // The screen point of a role found by name (its centre); false when not on screen.
  bool RoleOnScreen(const std::string& name, int* x, int* y, int* index = nullptr);

  HeadlessPlatform platform;
  std::unique_ptr<CGame> game;
  bool ok = false;
  bool quit = false;

 private:
  std::string previousFolder_;
  SystemHooks* previousHooks_ = nullptr;
};

inline bool DemoSession::NewGame(bool answerYes) {
  if (!ToMainMenu()) return false;
  Click(320, 254);
  int answered = 0;
  for (int i = 0; i < 40; ++i) {
    if (!Until(
            [](const nlohmann::json& s) {
              return s["mode"] == "ModeTalk" || s["mode"] == "ModePlay";
            },
            600)) {
      return false;
    }
    nlohmann::json s = State();
    if (s["mode"] == "ModePlay" && s["script"].is_null()) break;
    if (s["mode"] == "ModePlay") {
      Step();
      continue;
    }
    // The question has its buttons at (184, 274) and (391, 274).
    if (answered == 1) {
      Click(answerYes ? 195 : 400, 282);
    } else {
      Click(320, 240);
    }
    ++answered;
    Step(2);
  }
  Step(20);
  return State()["mode"] == "ModePlay";
}

inline bool DemoSession::RoleOnScreen(const std::string& name, int* x, int* y, int* index) {
  nlohmann::json s = State();
  int cx = s["camera"]["x"], cy = s["camera"]["y"];
  for (const auto& n : s["npcs"]) {
    if (n["name"] != name) continue;
    int sx = n["x"].get<int>() - cx, sy = n["y"].get<int>() - cy;
    if (sx < 0 || sy < 0 || sx >= 640 || sy >= 400) continue;
    *x = sx;
    *y = sy;
    if (index) *index = n["index"];
    return true;
  }
  return false;
}

}  // namespace isora::e2e
