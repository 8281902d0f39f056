// Where the demo's sources are, for the demo tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace isora::demo_test {

inline std::string DemoSourceDir() {
  if (const char* root = std::getenv("ISORA_SOURCE_DIR"); root && *root)
    return (std::filesystem::path(root) / "content" / "demo").string();
  return (std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "content" / "demo")
      .lexically_normal()
      .string();
}

}  // namespace isora::demo_test
