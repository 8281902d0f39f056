// Where the demo's sources are, for the demo tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace isora::demo_test {

// ISORA_SOURCE_DIR when set (CTest sets it); else the tree this file is in, found from its
// compiled path or, when that is relative (ccache builds), from the test program's folder.
inline std::string DemoSourceDir() {
  namespace fs = std::filesystem;
  if (const char* root = std::getenv("ISORA_SOURCE_DIR"); root && *root)
    return (fs::path(root) / "content" / "demo").string();
  std::error_code ec;
  const fs::path fromFile = fs::path(__FILE__).parent_path() / ".." / ".." / "content" / "demo";
  if (fromFile.is_absolute() && fs::is_directory(fromFile, ec))
    return fromFile.lexically_normal().string();
  for (fs::path p = fs::read_symlink("/proc/self/exe", ec).parent_path(); !p.empty();
       p = p.parent_path()) {
    if (fs::is_directory(p / "content" / "demo", ec)) return (p / "content" / "demo").string();
    if (p == p.parent_path()) break;
  }
  return fromFile.lexically_normal().string();
}

}  // namespace isora::demo_test
