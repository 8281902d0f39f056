// A fresh temporary directory that becomes the game folder for a test, so files the code reads
// and writes by game path (GameEngine.log, saves\...) land there. The process's working
// directory is never changed. Removed afterwards, and the previous game folder restored.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/file_io.h"

namespace isora::test {

class TempDir {
 public:
  TempDir() {
    std::filesystem::path base = std::filesystem::temp_directory_path();
    std::string pattern = (base / "isora-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    previous_ = GameFolder();
    SetGameFolder(path_.string());
  }
  ~TempDir() {
    SetGameFolder(previous_);
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::string previous_;
};

// A test's native path: relative ones are taken inside the game folder (the temporary
// directory), exactly as written, without the game's case-insensitive matching.
inline std::filesystem::path InFolder(const std::filesystem::path& path) {
  if (path.is_absolute() || GameFolder().empty()) return path;
  return std::filesystem::path(GameFolder()) / path;
}

// Whole-file helpers for tests (relative paths resolve inside the game folder).
inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::filesystem::path p = InFolder(path);
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  WriteFile(path, std::string(bytes.begin(), bytes.end()));
}
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(InFolder(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
inline bool Exists(const std::string& path) { return std::filesystem::exists(InFolder(path)); }

// A fixture whose every test runs inside its own fresh temporary directory.
class TempDirTest : public ::testing::Test {
 protected:
  TempDir tempDir_;
};

}  // namespace isora::test
