#include "foundation/file_io.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace isora {
namespace fs = std::filesystem;

namespace {

std::string& Folder() {
  static std::string folder;
  return folder;
}

std::string& PlayerFolderSetting() {
  static std::string folder;
  return folder;
}

std::string Absolute(std::string_view folder) {
  std::error_code ec;
  fs::path absolute = folder.empty() ? fs::path() : fs::absolute(fs::path(folder), ec);
  std::string out = ec ? std::string(folder) : absolute.lexically_normal().string();
  // "/a/b/" and "/a/b" name the same folder; paths are joined with one separator.
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Saves, screenshots and logs are the player's, not the game's: relative paths to them (slash
// form) go to the player folder.
bool IsPlayerPath(std::string_view path) {
  while (path.starts_with("./")) path.remove_prefix(2);
  size_t slash = path.find('/');
  std::string_view first = path.substr(0, slash);
  if (slash != std::string_view::npos)
    return SameName(first, "saves") || SameName(first, "screenshot");
  return SameName(path, "GameEngine.log") || SameName(path, "exceptionLog.log");
}

}  // namespace

void SetPlayerFolder(std::string_view folder) { PlayerFolderSetting() = Absolute(folder); }

std::string PlayerFolder() {
  return PlayerFolderSetting().empty() ? GameFolderOrWorkingFolder() : PlayerFolderSetting();
}

void SetGameFolder(std::string_view folder) { Folder() = Absolute(folder); }

const std::string& GameFolder() { return Folder(); }

std::string GameFolderOrWorkingFolder() {
  if (!Folder().empty()) return Folder();
  std::error_code ec;
  fs::path cwd = fs::current_path(ec);
  return ec ? std::string(".") : cwd.string();
}

std::string ProgramFolder() {
#if defined(_WIN32)
  std::string name(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameA(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0) return {};
    if (n < name.size()) {
      name.resize(n);
      break;
    }
    if (name.size() >= (1u << 15)) return {};  // longer than any Windows path
    name.resize(name.size() * 2);
  }
  return fs::path(name).parent_path().string();
#elif defined(__EMSCRIPTEN__)
  return {};
#else
  std::error_code ec;
  const fs::path exe = fs::canonical("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
#endif
}

std::string NativePath(std::string_view gamePath) {
  std::string path(gamePath);
  for (char& c : path)
    if (c == '\\') c = '/';
  const bool player = !PlayerFolderSetting().empty() && IsPlayerPath(path);
  const std::string& base = player ? PlayerFolderSetting() : Folder();
#ifdef _WIN32
  // Windows takes either slash and matches names without regard to case already.
  const bool relative = !path.empty() && path[0] != '/' && !fs::path(path).is_absolute();
  if (relative && !base.empty()) path = base + "/" + path;
  return path;
#else
  const bool relative = !path.empty() && path[0] != '/';
  // Only the part below the game folder is matched case-insensitively; the folder is as given.
  fs::path resolved = !relative ? fs::path("/") : base.empty() ? fs::path() : fs::path(base);
  if (relative && !base.empty()) path = base + (base == "/" ? "" : "/") + path;
  std::error_code ec;
  if (gamePath.empty() || fs::exists(path, ec)) return path;

  // Walk the components, matching case-insensitively where the exact name is missing.
  size_t start = relative ? (base.empty() ? 0 : base.size() + (base == "/" ? 0 : 1)) : 1;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") {
      if (end == path.size()) break;
      continue;
    }
    fs::path exact = resolved / part;
    if (!fs::exists(exact, ec)) {
      fs::path dir = resolved.empty() ? fs::path(".") : resolved;
      bool found = false;
      for (fs::directory_iterator it(dir, ec), last; !ec && it != last; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (strcasecmp(name.c_str(), part.c_str()) == 0) {
          exact = resolved / name;
          found = true;
          break;
        }
      }
      if (!found) return path;
    }
    resolved = exact;
    if (end == path.size()) break;
  }
  return resolved.string();
#endif
}

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path, size_t maxBytes) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::nullopt;
  std::vector<uint8_t> data;
  if (std::fseek(f, 0, SEEK_END) == 0) {
    long size = std::ftell(f);
    if (size < 0 || static_cast<unsigned long>(size) > maxBytes) {
      std::fclose(f);
      return std::nullopt;
    }
    std::rewind(f);
    data.resize(static_cast<size_t>(size));
    size_t got = data.empty() ? 0 : std::fread(data.data(), 1, data.size(), f);
    data.resize(got);
  }
  bool bad = std::ferror(f) != 0;
  std::fclose(f);
  if (bad) return std::nullopt;
  return data;
}

#ifdef _WIN32
bool WriteFileAtomic(const std::string& path, std::span<const uint8_t> bytes) {
  std::string tmp = path + ".tmp";
  // A temporary file left by an earlier crash goes first, and the new one is created afresh.
  ::DeleteFileA(tmp.c_str());
  HANDLE h = ::CreateFileA(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  size_t done = 0;
  bool ok = true;
  while (ok && done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD n = 0;
    ok = ::WriteFile(h, bytes.data() + done, chunk, &n, nullptr) && n > 0;
    done += n;
  }
  ok = ok && ::FlushFileBuffers(h);
  ok = ::CloseHandle(h) && ok;
  // Unlike rename(), this replaces an existing slot file in one step.
  ok = ok &&
       ::MoveFileExA(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) ::DeleteFileA(tmp.c_str());
  return ok;
}
#else
bool WriteFileAtomic(const std::string& path, std::span<const uint8_t> bytes) {
  std::string tmp = path + ".tmp";
  // A temporary file left by an earlier crash goes first, and the new one is created afresh:
  // a stale link there must never lead the write to another file.
  ::unlink(tmp.c_str());
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      ::close(fd);
      ::unlink(tmp.c_str());
      return false;
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    ::unlink(tmp.c_str());
    return false;
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return false;
  }
  // The rename itself reaches the disk only with its folder.
  std::string folder = std::filesystem::path(path).parent_path().string();
  int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}
#endif

bool MakeFolders(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return std::filesystem::is_directory(folder, ec);
}

}  // namespace isora
