// Failures that end the game.
#include "shell/failure_report.h"

#include "foundation/game_log.h"
#include "media/platform.h"

namespace isora {

void FailureReport::Report(Platform& platform, GameLog& log, const std::string& text,
                           const std::string& file, MessageBoxIcon icon,
                           const std::string& caption) {
  std::string line = file.empty() ? text : text + " (" + file + ")";
  log.WriteText(line);
  if (line_.empty()) line_ = line;
  platform.MessageBox(text, caption, icon);
}

}  // namespace isora
