// The game source checker: finds, before anything is built, every reference the game would
// trip over at play time (a missing script, map, picture, animation, item, skill, person or
// mission; a tile the tile table cannot draw; a start cell in a wall) and every source the build
// would refuse or quietly mangle (JSON syntax, unknown fields, characters GBK cannot hold),
// each with its file and line.
#pragma once

#include <string>
#include <vector>

namespace isora::demo {

struct CheckIssue {
  std::string file;  // relative to the source folder, "/" separated
  int line = 0;      // 1-based; 0 for the whole file
  bool error = true;
  std::string message;
};

struct CheckReport {
  std::vector<CheckIssue> issues;  // by file, then line
  int Errors() const;
  int Warnings() const;
  // One line per issue, "file:line: error: message", then the counts.
  std::string Format() const;
};

// Checks the game source folder (the layout of content/demo).
CheckReport CheckGameSource(const std::string& sourceDir);

}  // namespace isora::demo
