// The isora program: the game in a window, or headless driven by a replay.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "foundation/crash_report.h"
#include "foundation/file_io.h"
#include "foundation/gbk.h"
#include "foundation/system_hooks.h"
#include "media/headless_platform.h"
#include "media/sdl_platform.h"
#include "shell/game.h"
#include "shell/headless_runner.h"
#include "shell/options.h"
#include "shell/replay.h"

using namespace isora;

namespace {

// Message boxes of a headless run go to stderr as they would have been shown.
void ReportBoxes(const HeadlessPlatform& platform) {
  for (const auto& box : platform.MessageBoxes()) {
    std::fprintf(stderr, "[%s] %s\n", GbkToUtf8(box.caption).c_str(), GbkToUtf8(box.text).c_str());
  }
}

int RunHeadlessProgram(const ProgramOptions& options, const std::vector<ReplayEvent>& events) {
  HeadlessPlatform platform;
  Hooks::Set(&platform);
  GameOptions gameOptions{options.pixelFormat, true, options.trace};
  int exitCode = 0;
  {
    CGame game(platform, gameOptions);
    if (!game.Init()) {
      platform.MessageBox("Initialize application failed.", "Error", MessageBoxIcon::Error);
      ReportBoxes(platform);
      Hooks::Set(nullptr);
      return 1;
    }
    HeadlessRunResult r = RunHeadless(game, platform, events, options.maxFrames);
    for (const std::string& path : r.errors) {
      std::fprintf(stderr, "isora: cannot write %s\n", path.c_str());
    }
    exitCode = r.errors.empty() ? r.exitCode : 3;
  }
  ReportBoxes(platform);
  if (options.trace) {
    for (const std::string& line : platform.DebugLines()) std::fputs(line.c_str(), stderr);
  }
  Hooks::Set(nullptr);
  return exitCode;
}

int RunWindowed(const ProgramOptions& options) {
  SdlPlatformOptions sdlOptions;
  sdlOptions.fullscreen = options.fullscreen;
  sdlOptions.windowScale = options.scale;
  sdlOptions.trace = options.trace;
  SdlPlatform platform(sdlOptions);
  if (!platform.Init()) {
    std::fprintf(stderr,
                 "isora: no display (%s).\n"
                 "Run it under a virtual display:  xvfb-run -a isora ...\n"
                 "or without a window:             isora --headless --replay FILE\n",
                 platform.SdlError().c_str());
    return 1;
  }
  Hooks::Set(&platform);
  int exitCode = 0;
  {
    CGame game(platform, GameOptions{options.pixelFormat, options.noSound, options.trace});
    ReplayRecorder recorder;
    if (!options.recordFile.empty()) {
      if (!recorder.Open(options.recordFile)) {
        std::fprintf(stderr, "isora: cannot write %s\n", options.recordFile.c_str());
      } else {
        game.SetRecorder(&recorder);
      }
    }
    if (game.Init()) {
      exitCode = game.Run();
    } else {
      platform.MessageBox("Initialize application failed.", "Error", MessageBoxIcon::Error);
      exitCode = 1;
    }
    if (recorder.IsOpen()) recorder.Quit(game.FramesRun());
  }
  Hooks::Set(nullptr);
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  InstallCrashHandler();
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
  // Every file named on the command line or in the replay is relative to where the program
  // was started, not to the game folder it runs in.
  auto absolute = [](std::string& path) {
    char cwd[4096];
    const std::filesystem::path p(path);
    if (!path.empty() && !p.has_root_directory() && !p.has_root_name() && getcwd(cwd, sizeof cwd)) {
      path = std::string(cwd) + "/" + path;
    }
  };
  absolute(options.recordFile);
  std::vector<ReplayEvent> events;
  if (!options.replayFile.empty()) {
    auto bytes = ReadFileBytes(options.replayFile);
    if (!bytes) {
      std::fprintf(stderr, "isora: cannot read replay %s\n", options.replayFile.c_str());
      return 2;
    }
    if (!ParseReplay(std::string(bytes->begin(), bytes->end()), &events, &error)) {
      std::fprintf(stderr, "isora: %s: %s\n", options.replayFile.c_str(), error.c_str());
      return 2;
    }
    for (ReplayEvent& ev : events) absolute(ev.path);
  }
  std::string data = options.dataDir.empty() ? DefaultDataDir(argv[0]) : options.dataDir;
  if (data.empty()) {
    std::fprintf(stderr,
                 "isora: no game folder. Build the demo (isora-kit demo build DIR) and pass "
                 "--data DIR.\n");
    return 2;
  }
  if (chdir(data.c_str()) != 0) {
    std::fprintf(stderr, "isora: cannot enter the game folder %s\n", data.c_str());
    return 2;
  }
  return options.headless ? RunHeadlessProgram(options, events) : RunWindowed(options);
}
