// Shared pieces of the fuzz targets: hooks that show nothing, a quiet log, and a file held in
// memory for loaders that take a path.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/game_log.h"
#include "foundation/system_hooks.h"

namespace isora::fuzz {

class QuietHooks : public SystemHooks {
 public:
  void MessageBox(const std::string&, const std::string&, MessageBoxIcon) override {}
  void DebugOutput(const std::string&) override {}
};

// Installs the quiet hooks and sends the game log nowhere (once per process).
inline void Quiet() {
  static QuietHooks hooks;
  static const bool once = [] {
    Hooks::Set(&hooks);
    GameLog::Redirect([](const std::string&) {});
    return true;
  }();
  (void)once;
}

// A file that lives in memory only (memfd), so a run leaves nothing on disk whatever ends the
// process. Path() opens it again from the start, as a loader given a path does.
class MemoryFile {
 public:
  explicit MemoryFile(const char* name) : fd_(memfd_create(name, 0)) {}
  ~MemoryFile() {
    if (fd_ >= 0) close(fd_);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  // Replaces the contents; false when the file could not be written.
  bool Set(const uint8_t* data, size_t size) {
    if (fd_ < 0 || ftruncate(fd_, 0) != 0) return false;
    size_t done = 0;
    while (done < size) {
      ssize_t n = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }
  std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

}  // namespace isora::fuzz
