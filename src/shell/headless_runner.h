// Runs the game without a window: the virtual clock moves 41 ms per frame and input comes from
// a replay. Shots and state dumps are written when the replay asks for them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/replay.h"

namespace isora {

class CGame;
class HeadlessPlatform;

struct HeadlessRunResult {
  int exitCode = 0;
  int64_t frames = 0;
  std::vector<std::string> errors;    // files that could not be written, each with the reason
  std::vector<std::string> failures;  // world-named events that found nothing or timed out
};

// Plays the events against a game whose Init has succeeded. The run ends when the game quits;
// after the last event (or at maxFrames when above 0) the window is closed for it. Shots and
// dumps are written inside outFolder (empty: the working folder); a path that would leave it,
// or a link on the way, is refused and listed in errors.
HeadlessRunResult RunHeadless(CGame& game, HeadlessPlatform& platform,
                              const std::vector<ReplayEvent>& events, int64_t maxFrames = 0,
                              const std::string& outFolder = {});

// The game state as JSON (mode, map, camera, player, roles, ground items, missions, relations,
// message line, script, rain, kills).
std::string DumpGameState(CGame& game);

}  // namespace isora
