// Not a timing: plays every replay of tests/e2e/replays headless and prints a hash of every
// presented frame and of the final state dump, one line per replay. Run it on two builds and
// compare the output to show that a change to the drawing left every frame as it was:
//   bench_frame_hashes [DATA_DIR [REPLAY_DIR]] > hashes.txt
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "foundation/crand.h"
#include "foundation/file_io.h"
#include "foundation/system_hooks.h"
#include "media/headless_platform.h"
#include "save/save_file.h"
#include "shell/game.h"
#include "shell/game_rules.h"
#include "shell/headless_runner.h"
#include "shell/replay.h"

namespace isora {
namespace {

uint64_t Fnv(uint64_t h, const void* data, size_t n) {
  const auto* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
  return h;
}

// Counts presents and folds each presented frame into a running hash.
class HashingPlatform : public HeadlessPlatform {
 public:
  bool Present(const Surface& back) override {
    for (int y = 0; y < back.Height(); ++y) hash = Fnv(hash, back.Row(y), back.Width() * 2u);
    ++frames;
    return HeadlessPlatform::Present(back);
  }
  uint64_t hash = 1469598103934665603ull;
  int frames = 0;
};

int Run(const std::string& data, const std::string& replays) {
  std::vector<std::filesystem::path> files;
  for (const auto& e : std::filesystem::directory_iterator(replays))
    if (e.path().extension() == ".replay") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / "isora-frame-hashes";
  std::filesystem::create_directories(scratch);
  SetGameFolder(data);
  for (const auto& file : files) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<ReplayEvent> events;
    std::string error;
    if (!ParseReplay(text.str(), &events, &error)) {
      std::printf("%s: %s\n", file.filename().c_str(), error.c_str());
      continue;
    }
    // Dumps and shots go to a scratch folder; the final dump is hashed too.
    for (ReplayEvent& ev : events)
      if (!ev.path.empty()) ev.path = std::filesystem::path(ev.path).filename().string();
    for (int slot = 1; slot <= kSaveSlots; ++slot)
      std::filesystem::remove(NativePath("saves/" + std::to_string(slot) + ".sav"));
    HashingPlatform platform;
    platform.SetDebugWanted(false);
    platform.SetKeepFrames(false);
    SystemHooks* previous = Hooks::Set(&platform);
    CRand::Srand(1);
    ResetSplashIndex();
    uint64_t state = 0;
    {
      CGame game(platform, GameOptions{PixelFormat::Rgb565, true, false});
      if (game.Init()) RunHeadless(game, platform, events, 0, scratch.string());
      const std::string dump = DumpGameState(game);
      state = Fnv(1469598103934665603ull, dump.data(), dump.size());
    }
    Hooks::Set(previous);
    std::printf("%-24s frames %6d  frame hash %016llx  state hash %016llx\n",
                file.filename().c_str(), platform.frames,
                static_cast<unsigned long long>(platform.hash),
                static_cast<unsigned long long>(state));
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace
}  // namespace isora

int main(int argc, char** argv) {
  return isora::Run(argc > 1 ? argv[1] : ISORA_DEMO_DIR, argc > 2 ? argv[2] : ISORA_REPLAY_DIR);
}
