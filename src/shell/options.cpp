#include "shell/options.h"

#include <filesystem>

#include "foundation/environment.h"

namespace isora {

const char* ProgramUsage() {
  return "usage: isora [options]\n"
         "  --data DIR            game folder (default: the demo built with the program)\n"
         "  --fullscreen          start full screen (Alt+Enter toggles)\n"
         "  --scale N             window size in multiples of 640x480 (1 to 8)\n"
         "  --pixel-format 555    draw in 5-5-5 instead of 5-6-5\n"
         "  --no-sound            no sound effects and no music\n"
         "  --trace               debugger output to stderr\n"
         "  --headless            no window: virtual clock, input from --replay\n"
         "  --replay FILE         play input events from FILE (with --headless)\n"
         "  --record FILE         write the input events of this session to FILE\n"
         "  --max-frames N        headless: stop after N frames\n"
         "  --help                this text\n";
}

bool ParseProgramOptions(const std::vector<std::string>& args, ProgramOptions* o,
                         std::string* error) {
  auto need = [&](size_t i) {
    if (i + 1 >= args.size()) {
      *error = args[i] + " needs a value";
      return false;
    }
    return true;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--data") {
      if (!need(i)) return false;
      o->dataDir = args[++i];
    } else if (a == "--fullscreen") {
      o->fullscreen = true;
    } else if (a == "--scale") {
      if (!need(i)) return false;
      const std::string& v = args[++i];
      if (v.size() != 1 || v[0] < '1' || v[0] > '8') {
        *error = "--scale takes a number from 1 to 8";
        return false;
      }
      o->scale = v[0] - '0';
    } else if (a == "--pixel-format") {
      if (!need(i)) return false;
      const std::string& v = args[++i];
      if (v == "555") {
        o->pixelFormat = PixelFormat::Rgb555;
      } else if (v == "565") {
        o->pixelFormat = PixelFormat::Rgb565;
      } else {
        *error = "--pixel-format takes 555 or 565";
        return false;
      }
    } else if (a == "--no-sound") {
      o->noSound = true;
    } else if (a == "--trace") {
      o->trace = true;
    } else if (a == "--headless") {
      o->headless = true;
    } else if (a == "--replay") {
      if (!need(i)) return false;
      o->replayFile = args[++i];
    } else if (a == "--record") {
      if (!need(i)) return false;
      o->recordFile = args[++i];
    } else if (a == "--max-frames") {
      if (!need(i)) return false;
      char* end = nullptr;
      o->maxFrames = std::strtoll(args[++i].c_str(), &end, 10);
      if (*end != '\0' || o->maxFrames < 0) {
        *error = "--max-frames takes a number";
        return false;
      }
    } else if (a == "--help" || a == "-h") {
      o->help = true;
    } else {
      *error = "unknown option " + a;
      return false;
    }
  }
  if (!o->replayFile.empty() && !o->headless) {
    *error = "--replay needs --headless";
    return false;
  }
  return true;
}

std::string DefaultDataDir(const std::string& programPath) {
  namespace fs = std::filesystem;
  if (auto env = EnvironmentValue("ISORA_DATA"); env && !env->empty()) return *env;
  std::error_code ec;
  fs::path exe = fs::canonical("/proc/self/exe", ec);
  if (ec) exe = fs::absolute(programPath, ec);
  fs::path dir = exe.parent_path();
  for (const fs::path& c : {dir / ".." / "demo", dir / "demo", dir / ".." / ".." / "demo"}) {
    if (fs::exists(c / "game.ini", ec)) return fs::weakly_canonical(c, ec).string();
  }
  return {};
}

}  // namespace isora
