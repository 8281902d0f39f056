// The command line of the isora program.
#pragma once

#include <string>
#include <vector>

#include "foundation/user_folders.h"
#include "media/surface.h"

namespace isora {

struct ProgramOptions {
  std::string dataDir;  // empty: the built demo
  bool fullscreen = false;
  int scale = 0;  // 0: not given, the settings decide
  PixelFormat pixelFormat = PixelFormat::Rgb565;
  bool noSound = false;
  bool trace = false;
  bool headless = false;
  std::string replayFile;
  std::string recordFile;
  std::string outDir;       // headless: where the replay's shots and dumps go (empty: here)
  long long maxFrames = 0;  // headless: stop after this many frames (0: no limit)
  // The edit loop: start on a map cell, or from a save slot, without the start-up screens.
  std::string startMap;                 // empty: the main menu as usual
  int startRow = -1, startColumn = -1;  // -1: the map's own start cell
  int loadSlot = 0;                     // 1..kSaveSlots; 0: none
  bool skipSplash = false;
  bool dev = false;        // F5 reloads the INI package and the current map
  std::string saveDir;     // saves, screenshots and the log (empty: see ChoosePlayerFolder)
  bool logStderr = false;  // GameEngine.log entries also go to stderr in UTF-8
  bool help = false;
  bool version = false;
};

// Parses argv; false with *error on a bad option.
bool ParseProgramOptions(const std::vector<std::string>& args, ProgramOptions* options,
                         std::string* error);
const char* ProgramUsage();

// The options that change how play starts (--skip-splash, --start, --load-slot, --dev), as
// command-line words: a recording keeps them in its "# options" line.
std::vector<std::string> StartOptionWords(const ProgramOptions& options);
// The words of a replay's "# options" line (none when it has no such line); false with *error
// when the line holds anything but the start options, which is all a replay may choose.
bool ReplayOptionWords(const std::string& replayText, std::vector<std::string>* words,
                       std::string* error);

// The game folder to use when --data is not given, the first that holds a game.ini of:
// ISORA_DATA; the demo of a build tree (<bin>/../demo, <bin>/demo, <bin>/../../demo); the
// installed demo beside the program (<bin>/../share/isora/demo for an install in the usual
// places); isora/demo in each XDG data folder ($XDG_DATA_HOME, then $XDG_DATA_DIRS, by default
// /usr/local/share and /usr/share). Empty when none exists.
std::string DefaultDataDir(const std::string& programFolder, const EnvironmentLookup& env);

// The same for the running program, found through the system (else programPath), with the
// process's environment.
std::string DefaultDataDir(const std::string& programPath);

}  // namespace isora
