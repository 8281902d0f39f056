// isora-kit export: a game source made ready to give to players, with the program that plays it.
#include <cctype>
#include <cstdio>
#include <filesystem>

#include "foundation/environment.h"
#include "foundation/file_io.h"
#include "kit/kit.h"

#ifndef _WIN32
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace isora::kit {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: isora-kit export SRC OUT --linux | --windows | --web [--program PATH]\n"
    "                        [--web-dist DIR]\n"
    "\n"
    "Checks and builds the game source SRC and puts it beside the program that plays it:\n"
    "  --linux    OUT is a folder (or OUT.tar.gz a tarball) with isora, isora-kit, the game\n"
    "             in a folder named after SRC, and `play`, which starts it. The programs are\n"
    "             this kit's own build; they need the libraries the build linked.\n"
    "  --windows  OUT.zip holds a folder with isora.exe, the game and play.bat. isora.exe is\n"
    "             --program, or build/windows-dist/isora.exe of the build tree this kit is in\n"
    "             (scripts/build-windows makes it).\n"
    "  --web      OUT is the static page folder with the game instead of the demo. The page\n"
    "             is --web-dist, or build/web-dist of this kit's build tree (scripts/build-web\n"
    "             makes it); the game is packed with emscripten's file packager.\n"
    "OUT must not exist yet, or be an empty folder.\n";

// This kit's own folder (build/release/tools in a build tree).
fs::path KitFolder() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path() : self.parent_path();
}

// Runs a program and waits; its exit status, or -1 when it could not run.
int Run(const std::vector<std::string>& argv, const fs::path& dir) {
#ifdef _WIN32
  (void)argv;
  (void)dir;
  return -1;
#else
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int failed = posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (failed || waitpid(pid, &status, 0) < 0 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
#endif
}

bool WriteText(const fs::path& path, const std::string& text, bool executable) {
  if (!WriteFileAtomic(path.string(), {reinterpret_cast<const uint8_t*>(text.data()), text.size()}))
    return false;
  std::error_code ec;
  if (executable)
    fs::permissions(path, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add, ec);
  return !ec;
}

// The game folder's name in the package: the source folder's, kept to safe characters.
std::string GameName(const std::string& source) {
  std::error_code ec;
  std::string name = fs::weakly_canonical(source, ec).filename().string();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') c = '_';
  return name.empty() || name == "_" ? "game" : name;
}

bool CopyProgram(const fs::path& from, const fs::path& to, std::string* error) {
  std::error_code ec;
  if (!fs::is_regular_file(from, ec)) return *error = "no program " + from.string(), false;
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  if (ec) return *error = "cannot copy " + from.string() + ": " + ec.message(), false;
  return true;
}

// A scratch folder beside out, removed when it goes out of scope.
struct Stage {
  fs::path path;
  explicit Stage(const fs::path& out) : path(out.string() + ".export-stage") {
    std::error_code ec;
    fs::remove_all(path, ec);
    fs::create_directories(path, ec);
  }
  ~Stage() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

// The built game with what a player's copy must not hold (saves, screenshots, logs).
int BuildShipped(const std::string& source, const fs::path& game) {
  const int status = BuildGame(source, game.string(), true, true, "game");
  std::error_code ec;
  for (const char* extra : {"saves", "screenshot", "GameEngine.log", "exceptionLog.log"})
    fs::remove_all(game / extra, ec);
  return status;
}

int ExportLinux(const std::string& source, const fs::path& out, const std::string& name,
                const std::string& program) {
  const bool tarball = out.string().ends_with(".tar.gz");
  Stage stage(out);
  const fs::path folder = tarball ? stage.path / name : out;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) return Fail("cannot create " + folder.string() + ": " + ec.message());
  if (const int status = BuildShipped(source, folder / name)) return status;
  std::string error;
  // The program beside this kit when installed, else the build tree's.
  const fs::path kit = KitFolder();
  fs::path isora = program.empty() ? kit / "isora" : fs::path(program);
  if (program.empty() && !fs::is_regular_file(isora, ec))
    isora = kit.parent_path() / "src" / "isora";
  if (!CopyProgram(isora, folder / "isora", &error) ||
      !CopyProgram(kit / "isora-kit", folder / "isora-kit", &error))
    return Fail(error);
  if (!WriteText(folder / "play",
                 "#!/bin/sh\n# Plays " + name +
                     ": the isora beside this file, with the game.\n"
                     "here=\"$(cd \"$(dirname \"$0\")\" && pwd)\"\n"
                     "exec \"$here/isora\" --data \"$here/" +
                     name + "\" \"$@\"\n",
                 true))
    return Fail("cannot write " + (folder / "play").string());
  if (tarball &&
      Run({"tar", "-czf", fs::absolute(out).string(), "--owner=0", "--group=0", name}, stage.path))
    return Fail("tar could not write " + out.string());
  std::printf("exported %s for Linux to %s\n", name.c_str(), out.string().c_str());
  return 0;
}

int ExportWindows(const std::string& source, const fs::path& out, const std::string& name,
                  const std::string& program) {
  if (!out.string().ends_with(".zip")) return Fail("--windows writes a .zip; name OUT so");
  const fs::path exe = program.empty()
                           ? KitFolder().parent_path().parent_path() / "windows-dist" / "isora.exe"
                           : fs::path(program);
  std::error_code ec;
  if (!fs::is_regular_file(exe, ec))
    return Fail("no " + exe.string() + "; build it with scripts/build-windows or give --program");
  Stage stage(out);
  const fs::path folder = stage.path / name;
  fs::create_directories(folder, ec);
  if (const int status = BuildShipped(source, folder / name)) return status;
  std::string error;
  if (!CopyProgram(exe, folder / "isora.exe", &error)) return Fail(error);
  // The Windows kit, when it was built beside the program, tests the game there too.
  CopyProgram(exe.parent_path() / "isora-kit.exe", folder / "isora-kit.exe", &error);
  if (!WriteText(folder / "play.bat",
                 "@rem Plays " + name +
                     ": isora.exe beside this file, with the game.\r\n"
                     "@start \"\" \"%~dp0isora.exe\" --data \"%~dp0" +
                     name + "\" %*\r\n",
                 false))
    return Fail("cannot write play.bat");
  if (Run({"zip", "-qr", "-X", fs::absolute(out).string(), name}, stage.path))
    return Fail("zip could not write " + out.string() + " (apt-get install zip)");
  std::printf("exported %s for Windows to %s\n", name.c_str(), out.string().c_str());
  return 0;
}

int ExportWeb(const std::string& source, const fs::path& out, const std::string& dist) {
  const fs::path page =
      dist.empty() ? KitFolder().parent_path().parent_path() / "web-dist" : fs::path(dist);
  std::error_code ec;
  for (const char* file : {"index.html", "page.js", "page.css", "isora.js", "isora.wasm"})
    if (!fs::is_regular_file(page / file, ec))
      return Fail("no " + (page / file).string() +
                  "; build the page with scripts/build-web or give --web-dist");
  const auto root = EnvironmentValue("ISORA_WEB_EMSCRIPTEN");
  const fs::path packager = fs::path(root && !root->empty() ? *root : "/usr/share/emscripten") /
                            "tools" / "file_packager.py";
  const fs::path font = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
  if (!fs::is_regular_file(packager, ec)) return Fail("no " + packager.string() + " (emscripten)");
  if (!fs::is_regular_file(font, ec)) return Fail("no " + font.string() + " (fonts-wqy-microhei)");
  Stage stage(out);
  // The page plays the game it finds at /demo.
  if (const int status = BuildShipped(source, stage.path / "demo")) return status;
  fs::create_directories(stage.path / "fonts", ec);
  fs::create_directories(out, ec);
  for (const char* file : {"index.html", "page.js", "page.css", "isora.js", "isora.wasm"})
    fs::copy_file(page / file, out / file, fs::copy_options::overwrite_existing, ec);
  fs::copy_file(font, stage.path / "fonts" / font.filename(), ec);
  if (ec) return Fail("cannot copy the page and its font: " + ec.message());
  const fs::path target = fs::absolute(out);
  if (Run({"python3", packager.string(), (target / "isora.data").string(), "--preload",
           "demo@/demo", "fonts@/fonts", "--js-output=" + (target / "data.js").string()},
          stage.path))
    return Fail("emscripten's file packager failed");
  std::printf("exported the game for the web to %s\n", out.string().c_str());
  return 0;
}

int RunExport(const std::vector<std::string>& args) {
  if (args.empty() || WantsHelp(args)) {
    std::fputs(kUsage, args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  std::vector<std::string> plain;
  std::string target, program, dist;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--linux" || a == "--windows" || a == "--web") {
      if (!target.empty()) return Fail("export makes one of --linux, --windows, --web at a time");
      target = a;
    } else if ((a == "--program" || a == "--web-dist") && i + 1 < args.size()) {
      (a == "--program" ? program : dist) = args[++i];
    } else if (!a.empty() && a[0] == '-') {
      return Fail("unknown option " + a);
    } else {
      plain.push_back(a);
    }
  }
  if (plain.size() != 2 || target.empty())
    return Fail("export needs SRC, OUT and one of --linux, --windows, --web (see --help)");
  const fs::path out(plain[1]);
  std::error_code ec;
  // Never write over someone's files.
  if (fs::exists(out, ec) && !(fs::is_directory(out, ec) && fs::is_empty(out, ec)))
    return Fail(plain[1] + " already exists");
  const std::string name = GameName(plain[0]);
  if (target == "--linux") return ExportLinux(plain[0], out, name, program);
  if (target == "--windows") return ExportWindows(plain[0], out, name, program);
  return ExportWeb(plain[0], out, dist);
}

}  // namespace

ISORA_KIT_COMMAND("export", "a game ready to give to players: Linux folder, Windows zip, web page",
                  RunExport);

}  // namespace isora::kit
