// The isora program: the game in a window, or headless driven by a replay.
#include <cstdio>
#include <filesystem>
#include <memory>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

#include <map>
#endif

#include "foundation/crash_report.h"
#include "foundation/file_io.h"
#include "foundation/game_log.h"
#include "foundation/gbk.h"
#include "foundation/stop_signals.h"
#include "foundation/system_hooks.h"
#include "foundation/user_folders.h"
#include "isora_version.h"
#include "media/headless_platform.h"
#include "media/sdl_platform.h"
#include "shell/game.h"
#include "shell/game_rules.h"
#include "shell/headless_runner.h"
#include "shell/options.h"
#include "shell/replay.h"
#include "shell/settings.h"

using namespace isora;

namespace {

// Message boxes of a headless run go to stderr as they would have been shown.
void ReportBoxes(const HeadlessPlatform& platform) {
  for (const auto& box : platform.MessageBoxes()) {
    std::fprintf(stderr, "[%s] %s\n", GbkToUtf8(box.caption).c_str(), GbkToUtf8(box.text).c_str());
  }
}

// A failure that ended the game, with the file to blame, for whoever started the program.
int ReportFailure(const CGame& game, int exitCode) {
  if (!game.Failure().Failed()) return exitCode;
  std::fprintf(stderr, "isora: %s\n", GbkToUtf8(game.Failure().Line()).c_str());
  return exitCode != 0 ? exitCode : game.Failure().ExitStatus();
}

// A failure before the game's window opens: a player who started a windowed game from the
// desktop sees it in a box where the system offers one; a headless run only prints it.
int FailBeforeWindow(const ProgramOptions& options, const std::string& text, int exitCode) {
  if (options.headless) {
    std::fputs(text.c_str(), stderr);
  } else {
    ShowStartupFailure(text);
  }
  return exitCode;
}

// The edit loop's ways in (--start, --load-slot, --skip-splash), once the game has started.
bool EnterGame(CGame& game, const ProgramOptions& options) {
  if (!options.startMap.empty()) {
    game.StartOnMap(options.startMap, options.startRow, options.startColumn);
  } else if (options.loadSlot) {
    if (!game.StartFromSlot(options.loadSlot)) {
      std::fprintf(stderr, "isora: save slot %d cannot be loaded\n", options.loadSlot);
      return false;
    }
  } else if (options.skipSplash) {
    SkipSplash();
  }
  return true;
}

int RunHeadlessProgram(const ProgramOptions& options, const std::vector<ReplayEvent>& events) {
  HeadlessPlatform platform;
  // Trace text goes out as it comes with --trace; otherwise nobody reads it and it is not kept,
  // nor are the presented frames.
  platform.SetDebugWanted(false);
  platform.SetKeepFrames(false);
  if (options.trace)
    platform.SetDebugSink([](const std::string& text) { std::fputs(text.c_str(), stderr); });
  Hooks::Set(&platform);
  GameOptions gameOptions{options.pixelFormat, true, options.trace, options.dev};
  int exitCode = 0;
#ifdef __EMSCRIPTEN__
  const double started = emscripten_get_now();
  double initialised = started;
  int64_t frames = 0;
#endif
  {
    CGame game(platform, gameOptions);
    if (!game.Init()) {
      platform.MessageBox("Initialize application failed.", "Error", MessageBoxIcon::Error);
      ReportBoxes(platform);
      ReportFailure(game, 1);
      Hooks::Set(nullptr);
      return 1;
    }
    if (!EnterGame(game, options)) {
      ReportBoxes(platform);
      Hooks::Set(nullptr);
      return 1;
    }
#ifdef __EMSCRIPTEN__
    initialised = emscripten_get_now();
#endif
    HeadlessRunResult r = RunHeadless(game, platform, events, options.maxFrames, options.outDir);
#ifdef __EMSCRIPTEN__
    frames = r.frames;
#endif
    for (const std::string& error : r.errors) {
      std::fprintf(stderr, "isora: %s: not written: %s\n", options.replayFile.c_str(),
                   error.c_str());
    }
    for (const std::string& why : r.failures) std::fprintf(stderr, "isora: %s\n", why.c_str());
    exitCode = !r.failures.empty() ? 4 : r.errors.empty() ? r.exitCode : 3;
    ReportBoxes(platform);
    exitCode = ReportFailure(game, exitCode);
  }
  Hooks::Set(nullptr);
#ifdef __EMSCRIPTEN__
  // The page reads the dumps the run wrote and compares the frame cost with the native build.
  const double finished = emscripten_get_now();
  EM_ASM(
      {
        if (Module.onHeadlessDone) Module.onHeadlessDone($0, $1, $2, $3);
      },
      exitCode, static_cast<double>(frames), initialised - started, finished - initialised);
#endif
  return exitCode;
}

#ifdef __EMSCRIPTEN__
// The game in a page. The browser owns the loop: each turn of it handles the pending messages
// and at most one frame, then returns. Saves live in IndexedDB (the page mounts it on the saves
// folder) and are written back when they change; a screenshot is offered as a download.
class WebGame {
 public:
  explicit WebGame(const ProgramOptions& options)
      : platform_(SdlPlatformOptions{false, false, 1, options.trace}),
        game_(platform_, GameOptions{options.pixelFormat, options.noSound, options.trace}) {}

  bool Start() {
    if (!platform_.Init()) {
      std::fprintf(stderr, "isora: no canvas (%s)\n", platform_.SdlError().c_str());
      return false;
    }
    Hooks::Set(&platform_);
    if (!game_.Init()) {
      platform_.MessageBox("Initialize application failed.", "Error", MessageBoxIcon::Error);
      return false;
    }
    game_.WindowProc(Message{kUmSetGame, 0, 0});
    screenshots_ = Listing("screenshot");
    saves_ = Listing("saves");
    return true;
  }

  // One turn of the browser's loop; false once the game has quit (*exitCode set).
  bool Turn(int* exitCode) {
    for (int i = 0; i < kMessagesPerTurn; ++i) {
      CGame::PumpResult r = game_.Pump(exitCode);
      if (r == CGame::PumpResult::kQuit) return false;
      if (r != CGame::PumpResult::kMessage) break;
    }
    const double now = emscripten_get_now();
    if (now - lastWatch_ >= kWatchMs) {
      lastWatch_ = now;
      WatchFolders();
    }
    return true;
  }

  void Finish() {
    WatchFolders();
    Hooks::Set(nullptr);
  }

 private:
  static constexpr int kMessagesPerTurn = 256;
  static constexpr double kWatchMs = 500;
  using FolderListing = std::map<std::string, std::pair<uintmax_t, int64_t>>;

  // Name → (size, modification time) of the files of a folder of the game.
  static FolderListing Listing(const char* folder) {
    FolderListing out;
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::path(GameFolder()) / folder;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
      if (!e.is_regular_file(ec)) continue;
      auto when = e.last_write_time(ec).time_since_epoch().count();
      out[e.path().filename().string()] = {e.file_size(ec), static_cast<int64_t>(when)};
    }
    return out;
  }

  void WatchFolders() {
    FolderListing shots = Listing("screenshot");
    for (const auto& [name, info] : shots) {
      if (screenshots_.count(name)) continue;
      const std::string path = (std::filesystem::path(GameFolder()) / "screenshot" / name).string();
      EM_ASM(
          {
            if (Module.offerDownload) Module.offerDownload(UTF8ToString($0));
          },
          path.c_str());
    }
    screenshots_ = std::move(shots);
    FolderListing saves = Listing("saves");
    if (saves != saves_) {
      saves_ = std::move(saves);
      EM_ASM({
        if (Module.storeSaves) Module.storeSaves();
      });
    }
  }

  SdlPlatform platform_;
  CGame game_;
  FolderListing screenshots_, saves_;
  double lastWatch_ = 0;
};

void WebTurn(void* arg) {
  auto* web = static_cast<WebGame*>(arg);
  int exitCode = 0;
  if (web->Turn(&exitCode)) return;
  emscripten_cancel_main_loop();
  web->Finish();
  delete web;
  EM_ASM(
      {
        if (Module.onGameEnd) Module.onGameEnd($0);
      },
      exitCode);
}

int RunInPage(const ProgramOptions& options) {
  // Owned by the browser's loop from here on; main returns while the game goes on.
  auto* web = new WebGame(options);
  if (!web->Start()) {
    web->Finish();
    delete web;
    EM_ASM({
      if (Module.onGameEnd) Module.onGameEnd(1);
    });
    return 1;
  }
  emscripten_set_main_loop_arg(WebTurn, web, 0, false);
  // Frames are due every 41 ms of the game's clock: poll often rather than at the display's
  // rate, which would round each frame up to three refreshes.
  emscripten_set_main_loop_timing(EM_TIMING_SETTIMEOUT, 1);
  return 0;
}
#endif

// The player's settings file of this game, empty when no settings folder can be named.
std::string SettingsFile() {
  const std::string folder = SettingsFolder(GameFolder(), ProcessEnvironment());
  return folder.empty() ? std::string() : folder + "/settings.ini";
}

int RunWindowed(const ProgramOptions& options) {
  const std::string settingsFile = SettingsFile();
  // The window opens as the settings say, unless the command line says otherwise.
  Settings settings;
  if (!settingsFile.empty()) settings.Load(settingsFile);
  SdlPlatformOptions sdlOptions;
  // --scale 1 is a choice like any other: only a missing --scale leaves the settings' size.
  const bool displayGiven = options.fullscreen || options.scale != 0;
  sdlOptions.fullscreen = displayGiven ? options.fullscreen : settings.display.fullscreen;
  sdlOptions.windowScale = options.scale != 0 ? options.scale : settings.display.scale;
  sdlOptions.integerScale = settings.display.integerScale;
  sdlOptions.trace = options.trace;
  SdlPlatform platform(sdlOptions);
  if (!platform.Init()) {
    return FailBeforeWindow(options,
                            "isora: no display (" + platform.SdlError() +
                                ").\n"
                                "Run it under a virtual display:  xvfb-run -a isora ...\n"
                                "or without a window:             isora --headless --replay FILE\n",
                            1);
  }
  Hooks::Set(&platform);
  int exitCode = 0;
  {
    CGame game(platform, GameOptions{options.pixelFormat, options.noSound, options.trace,
                                     options.dev, settingsFile});
    ReplayRecorder recorder;
    if (!options.recordFile.empty()) {
      if (!recorder.Open(options.recordFile)) {
        std::fprintf(stderr, "isora: cannot write %s\n", options.recordFile.c_str());
      } else {
        game.SetRecorder(&recorder);
        // Played back without them the replay would start elsewhere.
        std::string line = "options";
        for (const std::string& w : StartOptionWords(options)) line += " " + w;
        if (line != "options") recorder.Comment(line);
      }
    }
    if (game.Init()) {
      exitCode = EnterGame(game, options) ? game.Run() : 1;
    } else {
      platform.MessageBox("Initialize application failed.", "Error", MessageBoxIcon::Error);
      exitCode = 1;
    }
    exitCode = ReportFailure(game, exitCode);
    if (recorder.IsOpen()) recorder.Quit(game.FramesRun());
  }
  Hooks::Set(nullptr);
  return exitCode;
}

// A game ended by SIGTERM or SIGINT says so, and ends with the shell's status for it.
int ReportStop(int exitCode) {
  const int signal = LastStopSignal();
  if (signal == 0) return exitCode;
  std::fprintf(stderr, "isora: stopped by signal %d\n", signal);
  return 128 + signal;
}

}  // namespace

int main(int argc, char** argv) {
#ifndef __EMSCRIPTEN__
  InstallCrashHandler();  // a page has no signals: a trap stops the module and the page says so
  InstallStopSignals();
#endif
  std::vector<std::string> args(argv + 1, argv + argc);
  ProgramOptions options;
  std::string error;
  if (!ParseProgramOptions(args, &options, &error)) {
    std::fprintf(stderr, "isora: %s\n%s", error.c_str(), ProgramUsage());
    return 2;
  }
  if (options.help) {
    std::fputs(ProgramUsage(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("isora %s\n", kIsoraVersion);
    return 0;
  }
  // Files named on the command line or in the replay are relative to where the program was
  // started; only game paths resolve against the game folder.
  std::vector<ReplayEvent> events;
  if (!options.replayFile.empty()) {
    auto bytes = ReadFileBytes(options.replayFile);
    if (!bytes) {
      std::fprintf(stderr, "isora: cannot read replay %s\n", options.replayFile.c_str());
      return 2;
    }
    const std::string text(bytes->begin(), bytes->end());
    bytes.reset();  // one copy of a long replay at a time
    if (!ParseReplay(text, &events, &error)) {
      std::fprintf(stderr, "isora: %s: %s\n", options.replayFile.c_str(), error.c_str());
      return 2;
    }
    // The start options it was recorded with come first, so the command line still wins.
    std::vector<std::string> words;
    if (!ReplayOptionWords(text, &words, &error)) {
      std::fprintf(stderr, "isora: %s: %s\n", options.replayFile.c_str(), error.c_str());
      return 2;
    }
    if (!words.empty()) {
      words.insert(words.end(), args.begin(), args.end());
      options = ProgramOptions{};
      if (!ParseProgramOptions(words, &options, &error)) {
        std::fprintf(stderr, "isora: %s with the replay's options: %s\n",
                     options.replayFile.c_str(), error.c_str());
        return 2;
      }
    }
  }
  std::error_code ec;
  if (!options.outDir.empty() && !std::filesystem::is_directory(options.outDir, ec)) {
    std::fprintf(stderr, "isora: the output folder %s does not exist\n", options.outDir.c_str());
    return 2;
  }
  std::string data = options.dataDir.empty() ? DefaultDataDir(argv[0]) : options.dataDir;
  if (data.empty()) {
    return FailBeforeWindow(options,
                            "isora: no game folder. Build the demo (isora-kit demo build DIR) "
                            "and pass --data DIR.\n",
                            2);
  }
  if (!std::filesystem::is_directory(data, ec)) {
    return FailBeforeWindow(options, "isora: cannot enter the game folder " + data + "\n", 2);
  }
  SetGameFolder(data);
  const std::string playerFolder =
      ChoosePlayerFolder(GameFolder(), options.saveDir, ProcessEnvironment(), FolderWritable);
  if (playerFolder != GameFolder()) {
    std::filesystem::create_directories(playerFolder, ec);
    if (ec) {
      return FailBeforeWindow(options, "isora: cannot make the save folder " + playerFolder + "\n",
                              2);
    }
    SetPlayerFolder(playerFolder);
  }
  SetCrashReportFolder(PlayerFolder());
  if (options.logStderr) {
    // The log file keeps the game's GBK bytes; the terminal gets them readable.
    GameLog::Mirror([](const std::string& message) {
      const std::string text = GbkToUtf8(message);
      std::fprintf(stderr, "%s%s", text.c_str(), text.ends_with('\n') ? "" : "\n");
    });
  }
#ifdef __EMSCRIPTEN__
  if (!options.headless) return RunInPage(options);
#endif
  return ReportStop(options.headless ? RunHeadlessProgram(options, events) : RunWindowed(options));
}
