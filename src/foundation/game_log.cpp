#include "foundation/game_log.h"

#include <cstdarg>
#include <cstdio>
#include <set>

#include "foundation/clock.h"
#include "foundation/file_io.h"
#include "foundation/win_format.h"

namespace isora {
namespace {
std::function<void(const std::string&)>& Sink() {
  static std::function<void(const std::string&)> sink;
  return sink;
}
std::function<void(const std::string&)>& MirrorSink() {
  static std::function<void(const std::string&)> mirror;
  return mirror;
}
}  // namespace

void GameLog::Mirror(std::function<void(const std::string& message)> mirror) {
  MirrorSink() = std::move(mirror);
}

void GameLog::Redirect(std::function<void(const std::string& message)> sink) {
  Sink() = std::move(sink);
}

void AppendTextMode(const std::string& path, const std::string& text, bool truncate) {
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  std::string why;
  if (AppendToFile(NativePath(path), out, truncate, &why)) return;
  // A log that is a link (say, to a file of the player's) is refused, never followed; say so
  // once, since the log itself cannot, and play on.
  static std::set<std::string> told;
  if (!why.empty() && !why.starts_with("cannot") && told.insert(path).second)
    std::fprintf(stderr, "isora: the log is not written: %s\n", why.c_str());
}

GameLog::GameLog(std::string path, bool truncate) : path_(std::move(path)) {
  if (path_.size() > 254) path_.resize(254);  // the path field holds 255 bytes
  if (truncate && !Sink()) AppendTextMode(path_, "\t\t..::Game Log::..\n", true);
}

void GameLog::Write(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string message = VWinFormat(format, args);
  va_end(args);
  WriteText(message);
}

void GameLog::WriteText(const std::string& message) {
  std::string text = message.size() > 1023 ? message.substr(0, 1023) : message;
  // The formatted text ends at its first zero byte, as the C buffer did.
  if (auto z = text.find('\0'); z != std::string::npos) text.resize(z);
  if (Sink()) {
    Sink()(text);
    return;
  }
  SystemTime t = Clock::LocalNow();
  char head[96];
  std::snprintf(head, sizeof head, "(%d/%d/%d  %d:%d:%d:%d)----->", t.year, t.month, t.day, t.hour,
                t.minute, t.second, t.millisecond);
  AppendTextMode(path_, std::string(head) + text + "\n", false);
  if (MirrorSink()) MirrorSink()(text);
}

}  // namespace isora
