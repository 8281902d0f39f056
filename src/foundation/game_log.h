// GameEngine.log: timestamped lines appended by every subsystem. Each write opens, appends and
// closes the file, so several writers can share it.
#pragma once

#include <functional>
#include <string>

namespace isora {

class GameLog {
 public:
  // Truncating empties the file and writes the header line "\t\t..::Game Log::..".
  explicit GameLog(std::string path = "GameEngine.log", bool truncate = false);

  // Formats with the wsprintf rules (WinFormat), cuts the text at 1023 characters and appends
  // "(%d/%d/%d  %d:%d:%d:%d)----->%s" with the local date and time. Line feeds are written
  // as CR LF on every platform. Failures to open the file are silent.
  void Write(const char* format, ...);
  // Appends an already formatted text as one entry (no % interpretation).
  void WriteText(const std::string& message);

  const std::string& Path() const { return path_; }

  // Tools that must not leave log files behind send every entry's message here instead (the
  // header line is dropped). An empty function restores writing to the files.
  static void Redirect(std::function<void(const std::string& message)> sink);
  // Also hands every entry's message to mirror after it is written (the file keeps its bytes);
  // the program's --log-stderr. An empty function stops it.
  static void Mirror(std::function<void(const std::string& message)> mirror);

 private:
  std::string path_;
};

// Writes text to a file in the manner of a Windows text-mode stream: every LF becomes CR LF.
void AppendTextMode(const std::string& path, const std::string& text, bool truncate);

}  // namespace isora
