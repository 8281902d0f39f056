#include "shell/options.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <vector>

#include "foundation/file_io.h"
#include "foundation/number_text.h"
#include "isora_version.h"
#include "save/save_file.h"

namespace isora {

namespace {

// "town.map" or "town.map:12,30": a map file and an optional cell.
bool ParseStart(const std::string& text, ProgramOptions* o, std::string* error) {
  const size_t colon = text.rfind(':');
  o->startMap = text.substr(0, colon);
  if (o->startMap.empty()) return *error = "--start needs a map file", false;
  if (colon == std::string::npos) return true;
  const std::string cell = text.substr(colon + 1);
  int row = -1, column = -1;
  char tail = 0;
  if (std::sscanf(cell.c_str(), "%d,%d%c", &row, &column, &tail) != 2 || row < 0 || column < 0) {
    *error = "--start takes MAP or MAP:ROW,COLUMN, not " + text;
    return false;
  }
  o->startRow = row;
  o->startColumn = column;
  return true;
}

}  // namespace

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
         "  --out DIR             the folder the replay's shots and dumps go to (default: here)\n"
         "  --record FILE         write the input events of this session to FILE\n"
         "  --max-frames N        headless: stop after N frames\n"
         "  --start MAP[:ROW,COL] a new game on map\\MAP at that cell (default: the map's start\n"
         "                        cell), without the splash, the menu or main.gsp\n"
         "  --load-slot N         start from save slot N (1 to 6)\n"
         "  --skip-splash         straight to the main menu\n"
         "  --dev                 F5 reloads the INI package (panels, texts, script indexes),\n"
         "                        the current map, its roles and the tile table from the game\n"
         "                        folder, keeping the player as they are\n"
         "  --save-dir DIR        saves, screenshots and the log go to DIR (default: the game\n"
         "                        folder when writable, else $XDG_DATA_HOME/isora/<game>)\n"
         "  --log-stderr          also write GameEngine.log entries to stderr in UTF-8\n"
         "  --version             the program's version\n"
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
    } else if (a == "--out") {
      if (!need(i)) return false;
      o->outDir = args[++i];
    } else if (a == "--record") {
      if (!need(i)) return false;
      o->recordFile = args[++i];
    } else if (a == "--max-frames") {
      if (!need(i)) return false;
      const std::optional<int64_t> frames = ParseNumber<int64_t>(args[++i]);
      o->maxFrames = frames.value_or(-1);
      if (o->maxFrames < 0) {
        *error = "--max-frames takes a number";
        return false;
      }
    } else if (a == "--start") {
      if (!need(i)) return false;
      if (!ParseStart(args[++i], o, error)) return false;
    } else if (a == "--load-slot") {
      if (!need(i)) return false;
      const std::string& v = args[++i];
      if (v.size() != 1 || v[0] < '1' || v[0] > '0' + kSaveSlots) {
        *error = "--load-slot takes a slot from 1 to " + std::to_string(kSaveSlots);
        return false;
      }
      o->loadSlot = v[0] - '0';
    } else if (a == "--skip-splash") {
      o->skipSplash = true;
    } else if (a == "--dev") {
      o->dev = true;
    } else if (a == "--save-dir") {
      if (!need(i)) return false;
      o->saveDir = args[++i];
    } else if (a == "--log-stderr") {
      o->logStderr = true;
    } else if (a == "--help" || a == "-h") {
      o->help = true;
    } else if (a == "--version") {
      o->version = true;
    } else {
      *error = "unknown option " + a;
      return false;
    }
  }
  if (!o->startMap.empty() && o->loadSlot) {
    *error = "--start and --load-slot cannot be used together";
    return false;
  }
  if (!o->replayFile.empty() && !o->headless) {
    *error = "--replay needs --headless";
    return false;
  }
  return true;
}

std::vector<std::string> StartOptionWords(const ProgramOptions& o) {
  std::vector<std::string> words;
  if (o.skipSplash) words.push_back("--skip-splash");
  if (!o.startMap.empty()) {
    words.push_back("--start");
    std::string start = o.startMap;
    if (o.startRow >= 0)
      start.append(":")
          .append(std::to_string(o.startRow))
          .append(",")
          .append(std::to_string(o.startColumn));
    words.push_back(start);
  }
  if (o.loadSlot) {
    words.push_back("--load-slot");
    words.push_back(std::to_string(o.loadSlot));
  }
  if (o.dev) words.push_back("--dev");
  return words;
}

bool ReplayOptionWords(const std::string& text, std::vector<std::string>* words,
                       std::string* error) {
  std::istringstream in(text);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::istringstream parts(line);
    std::string hash, key;
    if (!(parts >> hash >> key) || hash != "#" || key != "options") continue;
    // A replay comes from anyone: it may choose how play starts, never where files go.
    std::vector<std::string> found;
    for (std::string w; parts >> w;) found.push_back(w);
    ProgramOptions parsed;
    std::string why;
    if (!ParseProgramOptions(found, &parsed, &why) || StartOptionWords(parsed) != found) {
      *error = "line " + std::to_string(number) +
               ": \"# options\" may hold only --skip-splash, --start MAP[:ROW,COL], "
               "--load-slot N and --dev, in that order" +
               (why.empty() ? std::string() : " (" + why + ")");
      return false;
    }
    words->insert(words->end(), found.begin(), found.end());
  }
  return true;
}

std::string DefaultDataDir(const std::string& programFolder, const EnvironmentLookup& env) {
  namespace fs = std::filesystem;
  if (auto value = env("ISORA_DATA"); value && !value->empty()) return *value;
  const fs::path dir(programFolder);
  std::vector<fs::path> candidates = {dir / ".." / "demo", dir / "demo", dir / ".." / ".." / "demo",
                                      dir / kInstalledDemoFromProgram};
  // XDG's data folders; relative entries are to be ignored.
  auto xdg = [&](const std::string& base) {
    if (!base.empty() && base.front() == '/') candidates.push_back(fs::path(base) / "isora/demo");
  };
  if (auto home = env("XDG_DATA_HOME"); home && !home->empty()) {
    xdg(*home);
  } else if (auto userHome = env("HOME"); userHome && !userHome->empty()) {
    xdg(*userHome + "/.local/share");
  }
  auto dirs = env("XDG_DATA_DIRS");
  std::string list = dirs && !dirs->empty() ? *dirs : "/usr/local/share/:/usr/share/";
  for (size_t start = 0; start <= list.size();) {
    const size_t colon = std::min(list.find(':', start), list.size());
    xdg(list.substr(start, colon - start));
    start = colon + 1;
  }
  std::error_code ec;
  for (const fs::path& c : candidates) {
    if (fs::is_regular_file(c / "game.ini", ec)) return fs::weakly_canonical(c, ec).string();
  }
  return {};
}

std::string DefaultDataDir(const std::string& programPath) {
  namespace fs = std::filesystem;
  std::string folder = ProgramFolder();
  if (folder.empty()) {
    std::error_code ec;
    folder = fs::absolute(programPath, ec).parent_path().string();
  }
  return DefaultDataDir(folder, ProcessEnvironment());
}

}  // namespace isora
