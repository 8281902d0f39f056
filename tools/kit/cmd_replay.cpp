// isora-kit replay check: plays a replay against a game folder and checks its "# expect" lines,
// so a game's makers can keep regression tests beside its sources.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>

#include "foundation/file_io.h"
#include "foundation/gbk.h"
#include "foundation/system_hooks.h"
#include "kit/kit.h"
#include "lib/replay_expect.h"
#include "media/headless_platform.h"
#include "shell/game.h"
#include "shell/headless_runner.h"
#include "shell/replay.h"

namespace isora::kit {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: isora-kit replay check FILE --data DIR [--keep WORK] [--max-frames N]\n"
    "\n"
    "Plays the replay FILE (the format of isora --replay and --record) without a window\n"
    "against a copy of the game folder DIR (its saves are not touched), then checks every\n"
    "expectation line of the file:\n"
    "\n"
    "  # expect <dump.json> <json-pointer> <op> <value>\n"
    "\n"
    "where dump.json is written by an '@<frame> state dump.json' line of the replay, op is\n"
    "== != < <= > >= (value is JSON), has (a text the dumped text contains, an element of the\n"
    "dumped array or a key of the dumped object) or same (value names another dump that holds\n"
    "an equal value at the same pointer). Prints one line per failed expectation and a count;\n"
    "the exit status is 1 when one fails. --keep WORK keeps the game copy, the state dumps and\n"
    "the shots in WORK; --max-frames stops a run that never quits.\n";

struct TempDir {
  fs::path path;
  bool keep = false;
  ~TempDir() {
    std::error_code ec;
    if (!keep && !path.empty()) fs::remove_all(path, ec);
  }
};

int RunReplayCheck(const std::vector<std::string>& args) {
  std::string file, data, keep;
  long long maxFrames = 0;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--data" && i + 1 < args.size()) {
      data = args[++i];
    } else if (args[i] == "--keep" && i + 1 < args.size()) {
      keep = args[++i];
    } else if (args[i] == "--max-frames" && i + 1 < args.size()) {
      maxFrames = std::atoll(args[++i].c_str());
    } else if (!args[i].empty() && args[i][0] == '-') {
      return Fail("unknown option " + args[i]);
    } else if (file.empty()) {
      file = args[i];
    } else {
      return Fail("replay check takes one replay file");
    }
  }
  if (file.empty() || data.empty()) return Fail("replay check needs FILE and --data DIR");
  auto bytes = ReadFileBytes(file);
  if (!bytes) return Fail("cannot read " + file);
  const std::string text(bytes->begin(), bytes->end());
  std::vector<ReplayEvent> events;
  std::vector<replay::ReplayExpectation> expectations;
  std::string error;
  if (!ParseReplay(text, &events, &error)) return Fail(file + ": " + error);
  if (!replay::ParseExpectations(text, &expectations, &error)) return Fail(file + ": " + error);
  std::error_code ec;
  if (!fs::is_regular_file(fs::path(data) / "game.ini", ec))
    return Fail(data + " is not a game folder (no game.ini); build one with isora-kit build");

  // A scratch copy of the game, so saves the replay makes do not touch the real ones.
  TempDir work;
  if (!keep.empty()) {
    work.path = fs::absolute(keep);
    work.keep = true;
    fs::remove_all(work.path / "game", ec);
    fs::create_directories(work.path, ec);
  } else {
    std::string pattern = (fs::temp_directory_path() / "isora-replay-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return Fail("cannot create a scratch folder");
    work.path = pattern;
  }
  const fs::path game = work.path / "game";
  fs::create_directories(game, ec);
  for (const auto& e : fs::directory_iterator(data, ec)) {
    const std::string name = e.path().filename().string();
    if (name == "saves" || name == "screenshot") continue;
    fs::copy(e.path(), game / name, fs::copy_options::recursive, ec);
    if (ec) return Fail("cannot copy " + e.path().string() + ": " + ec.message());
  }
  fs::create_directories(game / "saves", ec);
  fs::create_directories(game / "screenshot", ec);
  for (ReplayEvent& ev : events)
    if (!ev.path.empty()) ev.path = (work.path / ev.path).string();

  // The game resolves its files against the folder it runs in, as the isora program does.
  const fs::path here = fs::current_path(ec);
  if (chdir(game.c_str()) != 0) return Fail("cannot enter " + game.string());
  HeadlessPlatform platform;
  Hooks::Set(&platform);
  int exitCode = 0;
  bool started = true;
  std::vector<std::string> unwritten;
  {
    CGame g(platform, GameOptions{PixelFormat::Rgb565, true, false});
    if (!g.Init()) {
      started = false;
    } else {
      HeadlessRunResult r = RunHeadless(g, platform, events, maxFrames);
      exitCode = r.exitCode;
      unwritten = r.errors;
    }
  }
  for (const auto& box : platform.MessageBoxes())
    std::fprintf(stderr, "[%s] %s\n", GbkToUtf8(box.caption).c_str(), GbkToUtf8(box.text).c_str());
  Hooks::Set(nullptr);
  if (chdir(here.c_str()) != 0) return Fail("cannot return to " + here.string());
  if (!started) return Fail("the game in " + data + " did not start");
  for (const auto& p : unwritten) std::fprintf(stderr, "isora-kit: cannot write %s\n", p.c_str());

  std::map<std::string, nlohmann::json> dumps;
  for (const ReplayEvent& ev : events) {
    if (ev.kind != ReplayEvent::Kind::kState) continue;
    auto dump = ReadFileBytes(ev.path);
    if (!dump) continue;
    auto doc = nlohmann::json::parse(dump->begin(), dump->end(), nullptr, false);
    if (!doc.is_discarded()) dumps[fs::relative(ev.path, work.path, ec).generic_string()] = doc;
  }
  int failed = 0;
  for (const auto& e : expectations) {
    std::string why = replay::CheckExpectation(e, [&](const std::string& name) {
      auto it = dumps.find(name);
      return it == dumps.end() ? nullptr : &it->second;
    });
    if (why.empty()) continue;
    ++failed;
    std::printf("%s:%d: failed: %s\n", file.c_str(), e.line, why.c_str());
  }
  std::printf("%s: %zu expectations, %d failed; the game ended with status %d after the replay\n",
              file.c_str(), expectations.size(), failed, exitCode);
  if (expectations.empty()) std::printf("%s: warning: no '# expect' lines\n", file.c_str());
  return failed ? 1 : 0;
}

int RunReplay(const std::vector<std::string>& args) {
  return RunSubcommand("replay", kUsage, args, {{"check", RunReplayCheck}});
}

}  // namespace

ISORA_KIT_COMMAND("replay", "play a replay against a game folder and check its expectations",
                  RunReplay);

}  // namespace isora::kit
