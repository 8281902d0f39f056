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
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "foundation/paths.h"

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

bool GamePathAllowed(std::string_view gamePath) {
  if (Folder().empty() || gamePath.empty()) return true;
  if (CheckInsidePath(gamePath) == PathEscape::kNone) return true;
  // The game builds absolute paths to its own files (the log); those stay allowed.
  std::string slashed(gamePath);
#ifndef _WIN32
  for (char& c : slashed)
    if (c == '\\') c = '/';
#endif
  if (!fs::path(slashed).is_absolute()) return false;
  return PathInside(slashed, Folder()) ||
         (!PlayerFolderSetting().empty() && PathInside(slashed, PlayerFolderSetting()));
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
  if (!GamePathAllowed(gamePath)) return {};
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

#ifdef _WIN32
std::FILE* OpenRegularFile(const std::string& path) {
  const DWORD a = ::GetFileAttributesA(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES || (a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
    return nullptr;
  return std::fopen(path.c_str(), "rb");
}
#else
std::FILE* OpenRegularFile(const std::string& path) {
  // Non-blocking, so a FIFO in a file's place answers at once; fstat then turns it away.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* f = ::fdopen(fd, "rb");
  if (!f) ::close(fd);
  return f;
}
#endif

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path, size_t maxBytes) {
  FILE* f = OpenRegularFile(path);
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

namespace {

bool Refuse(std::string* why, std::string text) {
  if (why) *why = std::move(text);
  return false;
}

// The folder components and the file name of a relative path that stays inside.
bool SplitInside(std::string_view relative, std::vector<std::string>* folders, std::string* name,
                 std::string* why) {
  auto tidy = TidyInsidePath(relative);
  if (!tidy) {
    const PathEscape e = CheckInsidePath(relative);
    return Refuse(why, std::string(relative) + " " +
                           (e == PathEscape::kNone ? "names no file" : PathEscapeText(e)));
  }
  size_t start = 0;
  for (size_t slash; (slash = tidy->find('/', start)) != std::string::npos; start = slash + 1)
    folders->push_back(tidy->substr(start, slash - start));
  *name = tidy->substr(start);
  return true;
}

}  // namespace

#ifdef _WIN32
namespace {

bool WriteThroughTemp(const std::string& path, std::span<const uint8_t> bytes) {
  std::string tmp = path + ".tmp";
  // A temporary file left by an earlier crash goes first, and the new one is created afresh.
  ::DeleteFileA(tmp.c_str());
  HANDLE h = ::CreateFileA(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
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

constexpr DWORD kNotPlain =
    FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;

}  // namespace

bool WriteFileInside(const std::string& folder, std::string_view relative,
                     std::span<const uint8_t> bytes, bool makeFolders, std::string* why) {
  std::vector<std::string> folders;
  std::string name;
  if (!SplitInside(relative, &folders, &name, why)) return false;
  // Windows has no openat: each folder is looked at before it is used, which is as near as it
  // offers to refusing junctions and links below the trusted folder.
  std::string dir = folder.empty() ? std::string(".") : folder;
  for (const std::string& part : folders) {
    dir += "\\" + part;
    DWORD a = ::GetFileAttributesA(dir.c_str());
    if (a == INVALID_FILE_ATTRIBUTES && makeFolders && ::CreateDirectoryA(dir.c_str(), nullptr))
      a = ::GetFileAttributesA(dir.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return Refuse(why, dir + " is missing");
    if (!(a & FILE_ATTRIBUTE_DIRECTORY) || (a & FILE_ATTRIBUTE_REPARSE_POINT))
      return Refuse(why, dir + " is a link or not a folder");
  }
  const std::string path = dir + "\\" + name;
  const DWORD a = ::GetFileAttributesA(path.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & kNotPlain))
    return Refuse(why, path + " is a link or not a regular file");
  if (!WriteThroughTemp(path, bytes)) return Refuse(why, "cannot write " + path);
  return true;
}

bool AppendToFile(const std::string& path, std::string_view bytes, bool truncate,
                  std::string* why) {
  HANDLE h =
      ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Refuse(why, "cannot open " + path);
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(h, &info) || (info.dwFileAttributes & kNotPlain) ||
      info.nNumberOfLinks > 1 || ::GetFileType(h) != FILE_TYPE_DISK) {
    ::CloseHandle(h);
    return Refuse(why, path + " is a link or not a regular file");
  }
  bool ok = truncate ? ::SetEndOfFile(h) != 0
                     : ::SetFilePointer(h, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER;
  DWORD n = 0;
  ok = ok && ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
       n == bytes.size();
  ok = ::CloseHandle(h) && ok;
  return ok || Refuse(why, "cannot write " + path);
}
#else
namespace {

// Owns a descriptor.
struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

bool WriteFileInside(const std::string& folder, std::string_view relative,
                     std::span<const uint8_t> bytes, bool makeFolders, std::string* why) {
  std::vector<std::string> folders;
  std::string name;
  if (!SplitInside(relative, &folders, &name, why)) return false;
  const std::string base = folder.empty() ? std::string(".") : folder;
  Fd dir(::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.fd < 0) return Refuse(why, "cannot open the folder " + base);
  std::string shown = base;
  // Each step holds the folder it entered, so nothing swapped in meanwhile can redirect it.
  for (const std::string& part : folders) {
    shown += "/" + part;
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int next = ::openat(dir.fd, part.c_str(), flags);
    if (next < 0 && errno == ENOENT && makeFolders && ::mkdirat(dir.fd, part.c_str(), 0755) == 0)
      next = ::openat(dir.fd, part.c_str(), flags);
    if (next < 0)
      return Refuse(why,
                    errno == ENOENT ? shown + " is missing" : shown + " is a link or not a folder");
    ::close(dir.fd);
    dir.fd = next;
  }
  const std::string path = shown + "/" + name;
  struct stat st;
  if (::fstatat(dir.fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(st.st_mode))
    return Refuse(why, path + " is a link or not a regular file");
  const std::string tmp = name + ".tmp";
  // A temporary file left by an earlier crash goes first, and the new one is created afresh:
  // a stale link there must never lead the write to another file.
  ::unlinkat(dir.fd, tmp.c_str(), 0);
  Fd out(::openat(dir.fd, tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (out.fd < 0) return Refuse(why, "cannot create " + path + ".tmp");
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(out.fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  bool ok = done == bytes.size() && ::fsync(out.fd) == 0;
  ok = ::close(out.fd) == 0 && ok;
  out.fd = -1;
  if (!ok || ::renameat(dir.fd, tmp.c_str(), dir.fd, name.c_str()) != 0) {
    ::unlinkat(dir.fd, tmp.c_str(), 0);
    return Refuse(why, "cannot write " + path);
  }
  // The rename itself reaches the disk only with its folder.
  ::fsync(dir.fd);
  return true;
}

bool AppendToFile(const std::string& path, std::string_view bytes, bool truncate,
                  std::string* why) {
  // O_NOFOLLOW: a link is refused, not followed; O_NONBLOCK: a FIFO cannot hold the game up.
  // Emptying waits until the file is known to be the game's own.
  const int flags =
      O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (truncate ? 0 : O_APPEND);
  Fd fd(::open(path.c_str(), flags, 0644));
  if (fd.fd < 0) return Refuse(why, errno == ELOOP ? path + " is a link" : "cannot open " + path);
  struct stat st;
  if (::fstat(fd.fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink > 1)
    return Refuse(why, path + " is not a regular file of its own");
  if (truncate && ::ftruncate(fd.fd, 0) != 0) return Refuse(why, "cannot empty " + path);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd.fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return Refuse(why, "cannot write " + path);
    done += static_cast<size_t>(n);
  }
  return true;
}
#endif

bool WriteFileAtomic(const std::string& path, std::span<const uint8_t> bytes) {
  const fs::path p(path);
  return WriteFileInside(p.parent_path().string(), p.filename().string(), bytes);
}

bool MakeFolders(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return std::filesystem::is_directory(folder, ec);
}

}  // namespace isora
