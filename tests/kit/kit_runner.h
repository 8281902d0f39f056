// Runs the built isora-kit as a content maker does, and edits a game source in place.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace isora::kit_test {

struct KitResult {
  int status = -1;
  std::string out;
  std::string err;
};

// The kit sits beside the tests in the build tree: <build>/tools/isora-kit.
inline std::string KitPath() {
  return (std::filesystem::canonical("/proc/self/exe").parent_path().parent_path() / "tools" /
          "isora-kit")
      .string();
}

// The game program of the same build tree: <build>/src/isora.
inline std::string GamePath() {
  return (std::filesystem::path(KitPath()).parent_path().parent_path() / "src/isora").string();
}

// A scratch folder that is also the working folder while it lives: the kit, unlike the game,
// works on paths relative to where it is run, and these tests run it as a person would.
class KitFolder {
 public:
  KitFolder() : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(test::InFolder("."));
  }
  ~KitFolder() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
  }
  KitFolder(const KitFolder&) = delete;
  KitFolder& operator=(const KitFolder&) = delete;

 private:
  test::TempDir dir_;
  std::filesystem::path previous_;
};

inline KitResult RunKit(const std::string& args) {
  KitResult r;
  // The kit runs in the test's own folder, as a person would run it there.
  const std::string folder = test::InFolder(".").lexically_normal().string();
  const std::string err = (std::filesystem::path(folder) / "kit.err").string();
  std::string command = "cd '" + folder + "' && '";
  command.append(KitPath()).append("' ").append(args).append(" 2>'").append(err).append("'");
  FILE* p = popen(command.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int status = pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.err = test::ReadFile(err);
  return r;
}

// Replaces the first occurrence of from in the file; fails the test when it is not there.
inline void Edit(const std::string& path, const std::string& from, const std::string& to) {
  std::string text = test::ReadFile(path);
  const size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << path << " does not hold " << from;
  text.replace(at, from.size(), to);
  test::WriteFile(path, text);
}

// The 1-based line of the first occurrence of needle in the file (0: not found).
inline int LineOf(const std::string& path, const std::string& needle) {
  const std::string text = test::ReadFile(path);
  const size_t at = text.find(needle);
  if (at == std::string::npos) return 0;
  int line = 1;
  for (size_t i = 0; i < at; ++i) line += text[i] == '\n';
  return line;
}

}  // namespace isora::kit_test
