#include "foundation/file_io.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace isora {
namespace fs = std::filesystem;

std::string NativePath(std::string_view gamePath) {
  std::string path(gamePath);
  for (char& c : path)
    if (c == '\\') c = '/';
  std::error_code ec;
  if (path.empty() || fs::exists(path, ec)) return path;

  // Walk the components, matching case-insensitively where the exact name is missing.
  fs::path resolved = path[0] == '/' ? fs::path("/") : fs::path();
  size_t start = path[0] == '/' ? 1 : 0;
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

}  // namespace isora
