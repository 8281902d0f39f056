// A failure that ends the game (a start-up step, a map that cannot be built, a script the shell
// depended on): its message box, a log line naming the file that failed, and what the program
// says on stderr and in its exit status once the window has gone.
#pragma once

#include <string>

#include "foundation/system_hooks.h"

namespace isora {

class GameLog;
class Platform;

class FailureReport {
 public:
  // Shows `text` in a message box (captioned "Error" unless the game names its caption) and
  // logs "<text> (<file>)" (the bare text when no file is to blame). The first failure is kept.
  void Report(Platform& platform, GameLog& log, const std::string& text, const std::string& file,
              MessageBoxIcon icon = MessageBoxIcon::None, const std::string& caption = "Error");

  bool Failed() const { return !line_.empty(); }
  // The logged line (GBK).
  const std::string& Line() const { return line_; }
  // The process's status once the game has ended.
  int ExitStatus() const { return Failed() ? 1 : 0; }

 private:
  std::string line_;
};

}  // namespace isora
