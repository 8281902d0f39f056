// PackageFile on arbitrary bytes: open, then find and read every member of the tree.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/game_log.h"
#include "foundation/package_file.h"
#include "foundation/system_hooks.h"
#include "fuzz_support.h"

namespace {

class QuietHooks : public isora::SystemHooks {
 public:
  void MessageBox(const std::string&, const std::string&, isora::MessageBoxIcon) override {}
  void DebugOutput(const std::string&) override {}
};

void ReadAll(isora::PackageFile& file, const isora::PackageNode& node) {
  for (const auto& [key, child] : node.children) {
    if (child->entry.IsDirectory()) {
      ReadAll(file, *child);
      continue;
    }
    std::string member = child->FullPath().substr(5);  // without "root\"
    (void)file.ReadMember(member);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static QuietHooks hooks;
  static bool once = [] {
    isora::Hooks::Set(&hooks);
    isora::GameLog::Redirect([](const std::string&) {});
    return true;
  }();
  (void)once;
  // The package is read from a file held in memory: nothing is left on disk.
  static isora::fuzz::MemoryFile memory("isora-fuzz-package");
  if (!memory.Set(data, size)) return 0;
  const std::string path = memory.Path();

  isora::PackageFile file;
  if (file.Open(path) && file.Root()) ReadAll(file, *file.Root());
  // The decoder on its own, with the output size taken from the first bytes.
  if (size >= 2) {
    size_t outSize = (data[0] | (size_t{data[1]} << 8)) % 4096;
    std::vector<uint8_t> out(outSize);
    isora::DecodeChunk(data + 2, size - 2, out.data(), outSize);
  }
  return 0;
}
