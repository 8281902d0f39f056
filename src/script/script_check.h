// The script linter for content makers: loads a script as the game would and reports, by file
// line, everything that would make the game refuse it or stop it early.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace isora {

struct ScriptIssue {
  int fileLine = 0;  // 0: the whole file
  bool error = true;
  std::string message;
};

std::vector<ScriptIssue> CheckScript(std::string_view text);

}  // namespace isora
