// isora-kit replay check: plays a replay against a game folder and checks its "# expect" lines,
// so a game's makers can keep regression tests beside its sources.
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "foundation/file_io.h"
#include "foundation/paths.h"
#include "kit/kit.h"
#include "lib/json_read.h"
#include "lib/replay_expect.h"

namespace isora::kit {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: isora-kit replay check FILE --data DIR [--keep WORK] [--max-frames N]\n"
    "                                [--program ISORA] [--in-place]\n"
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
    "the shots in WORK; --max-frames stops a run that never quits. The isora program beside\n"
    "the kit (or in its build tree) plays the replay; --program names another.\n"
    "\n"
    "--in-place plays the game folder itself instead of a copy, as a player would: saves and\n"
    "the log go where the game puts them (into DIR when it can be written, else the player's\n"
    "data folder). Without --data it plays the game the program finds by itself (the installed\n"
    "or built demo).\n";

// The isora program of the same build: beside the kit when installed, or in the build tree's
// src folder.
std::string FindProgram() {
  std::error_code ec;
#ifdef _WIN32
  std::wstring buffer(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return {};
  buffer.resize(n);
  const fs::path exe(buffer);
  const char* name = "isora.exe";
#else
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  const char* name = "isora";
#endif
  for (const fs::path& p :
       {exe.parent_path() / name, exe.parent_path().parent_path() / "src" / name})
    if (fs::is_regular_file(p, ec)) return p.string();
  return {};
}

// Runs argv in folder dir with stdout and stderr into log; its exit status, or -1.
int Spawn(const std::vector<std::string>& argv, const std::string& dir, const std::string& log) {
#ifdef _WIN32
  std::string command = "cd /d \"" + dir + "\" &&";
  for (const auto& a : argv) command += " \"" + a + "\"";
  command += " > \"" + log + "\" 2>&1";
  // cmd.exe drops the outer quotes of a line that starts with one.
  return std::system(("\"" + command + "\"").c_str());
#else
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int failed = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) < 0 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
#endif
}

// A new scratch folder under the system's temporary folder.
bool MakeScratchFolder(fs::path& out) {
#ifdef _WIN32
  std::error_code ec;
  for (int i = 0; i < 10000; ++i) {
    out = fs::temp_directory_path(ec) / ("isora-replay-" + std::to_string(i));
    if (fs::create_directory(out, ec)) return true;
  }
  return false;
#else
  std::string pattern = (fs::temp_directory_path() / "isora-replay-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return false;
  out = pattern;
  return true;
#endif
}

struct TempDir {
  fs::path path;
  bool keep = false;
  ~TempDir() {
    std::error_code ec;
    if (!keep && !path.empty()) fs::remove_all(path, ec);
  }
};

int RunReplayCheck(const std::vector<std::string>& args) {
  std::string file, data, keep, program;
  long long maxFrames = 0;
  bool inPlace = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--in-place") {
      inPlace = true;
    } else if (args[i] == "--data" && i + 1 < args.size()) {
      data = args[++i];
    } else if (args[i] == "--keep" && i + 1 < args.size()) {
      keep = args[++i];
    } else if (args[i] == "--program" && i + 1 < args.size()) {
      program = args[++i];
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
  if (file.empty() || (data.empty() && !inPlace))
    return Fail("replay check needs FILE and --data DIR");
  auto bytes = ReadFileBytes(file);
  if (!bytes) return Fail("cannot read " + file);
  const std::string text(bytes->begin(), bytes->end());
  // The state dumps the replay asks for: "@<frame> state <path>". What a replay writes or the
  // kit reads back stays inside the work folder.
  std::vector<std::string> statePaths;
  {
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
      std::istringstream words(line);
      std::string frame, kind, path;
      if (!(words >> frame >> kind >> path) || frame[0] != '@') continue;
      if (kind != "state" && kind != "shot") continue;
      if (const PathEscape e = CheckInsidePath(path); e != PathEscape::kNone)
        return Fail(file + ":" + std::to_string(number) + ": " + kind + " path " + path + " " +
                    PathEscapeText(e) + "; it must stay inside the output folder");
      if (kind == "state") statePaths.push_back(path);
    }
  }
  std::vector<replay::ReplayExpectation> expectations;
  std::string error;
  if (!replay::ParseExpectations(text, &expectations, &error)) return Fail(file + ": " + error);
  std::error_code ec;
  if (!data.empty() && !fs::is_regular_file(fs::path(data) / "game.ini", ec))
    return Fail(data + " is not a game folder (no game.ini); build one with isora-kit build");

  // A scratch copy of the game, so saves the replay makes do not touch the real ones (in place:
  // a work folder for the dumps and shots alone).
  TempDir work;
  if (!keep.empty()) {
    work.path = fs::absolute(keep);
    work.keep = true;
    if (!inPlace) fs::remove_all(work.path / "game", ec);
    fs::create_directories(work.path, ec);
  } else {
    if (!MakeScratchFolder(work.path)) return Fail("cannot create a scratch folder");
  }
  fs::path game = work.path / "game";
  if (inPlace) {
    game = data.empty() ? fs::path() : fs::absolute(data, ec);
  } else {
    fs::create_directories(game, ec);
    for (const auto& e : fs::directory_iterator(data, ec)) {
      const std::string name = e.path().filename().string();
      if (name == "saves" || name == "screenshot") continue;
      fs::copy(e.path(), game / name, fs::copy_options::recursive, ec);
      if (ec) return Fail("cannot copy " + e.path().string() + ": " + ec.message());
    }
    fs::create_directories(game / "saves", ec);
    fs::create_directories(game / "screenshot", ec);
  }

  // The isora program plays it: dumps and shots named relative to the work folder land there.
  const std::string isora = program.empty() ? FindProgram() : program;
  if (isora.empty())
    return Fail("cannot find the isora program beside isora-kit; give --program PATH");
  const std::string replayPath = fs::absolute(file, ec).string();
  const std::string log = (work.path / "isora.log").string();
  std::vector<std::string> argv = {isora,      "--headless", "--replay",
                                   replayPath, "--out",      work.path.string()};
  if (!game.empty()) {
    argv.push_back("--data");
    argv.push_back(game.string());
  }
  if (maxFrames > 0) {
    argv.push_back("--max-frames");
    argv.push_back(std::to_string(maxFrames));
  }
  const int exitCode = Spawn(argv, work.path.string(), log);
  if (exitCode < 0) return Fail("cannot run " + isora);
  if (auto text = ReadFileBytes(log); text && !text->empty())
    std::fwrite(text->data(), 1, text->size(), stderr);
  if (exitCode == 2) return Fail(file + ": the isora program refused the replay (see above)");
  if (exitCode == 1)
    return Fail("the game in " + (data.empty() ? "the program's own folder" : data) +
                " did not start (see above)");

  std::map<std::string, nlohmann::json> dumps;
  for (const std::string& name : statePaths) {
    auto dump = ReadFileBytes((work.path / name).string());
    if (!dump) continue;
    nlohmann::json doc;
    std::string ignored;
    const std::string_view text(reinterpret_cast<const char*>(dump->data()), dump->size());
    if (demo::ParseJson(text, doc, &ignored)) dumps[name] = std::move(doc);
  }
  // 4: a world-named event found nothing or a wait timed out (said above).
  int failed = exitCode == 4 ? 1 : 0;
  for (const auto& e : expectations) {
    std::string why = replay::CheckExpectation(e, [&](const std::string& name) {
      auto it = dumps.find(name);
      return it == dumps.end() ? nullptr : &it->second;
    });
    if (why.empty()) continue;
    ++failed;
    std::printf("%s:%d: failed: %s\n", file.c_str(), e.line, why.c_str());
  }
  std::printf("%s: %zu expectations, %d failed; the game ended with status %d\n", file.c_str(),
              expectations.size(), failed, exitCode);
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
