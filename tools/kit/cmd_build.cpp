// isora-kit build, check, new and art: making a game of one's own from a source folder.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>

#include "foundation/file_io.h"
#include "foundation/ini_file.h"
#include "kit/kit.h"
#include "kit/template_files.h"
#include "lib/art_files.h"
#include "lib/demo_art.h"
#include "lib/demo_builder.h"
#include "lib/game_check.h"
#include "lib/game_pictures.h"
#include "lib/json_source.h"

namespace isora::kit {

namespace fs = std::filesystem;

namespace {

constexpr const char* kBuildUsage =
    "usage: isora-kit build SRC OUT [--store] [--no-check]\n"
    "\n"
    "Checks the game source SRC (see isora-kit check) and, when it has no errors, writes the\n"
    "complete game into OUT: game.ini, data\\ (packages, tables, role animations, cursor),\n"
    "map\\, sound\\, music\\ and empty saves\\ and screenshot\\ folders. Files under OUT's data,\n"
    "map, sound and music folders that this build did not write (maps and role files of an\n"
    "earlier build) are removed; saves and screenshots are kept. The same sources always give\n"
    "the same bytes. --store keeps package members uncompressed; --no-check skips the check.\n";

constexpr const char* kCheckUsage =
    "usage: isora-kit check SRC [--json]\n"
    "\n"
    "Checks a game source folder without building it and reports every problem as\n"
    "FILE:LINE: error|warning: what, then the counts; the exit status is 1 when there is an\n"
    "error. It finds: scripts named by roles, map cells and scripts.ini that do not exist; start\n"
    "and script maps that no map source builds; animation files, portraits, item pictures, skill\n"
    "icons and effect frames, and INI pictures that no pack holds; item, skill, role and mission\n"
    "names in scripts that no table or AddMission defines; tile types not in tiles.ini and tile\n"
    "numbers beyond a type's pictures; start cells outside their map or on blocked cells; exits\n"
    "to maps that do not exist; every script's mistakes (as isora-kit script check); unknown\n"
    "fields and syntax errors in the JSON sources; characters GBK cannot hold; a title too wide\n"
    "for the title screen; hand-drawn pictures that replace nothing.\n";

constexpr const char* kNewUsage =
    "usage: isora-kit new DIR\n"
    "\n"
    "Writes a small, complete game source into DIR (which must not exist or be empty): one\n"
    "map made in Tiled, a person who talks, a monster, items, a start script, the panels and\n"
    "the parameters of every picture and sound. Build it with isora-kit build DIR OUT.\n";

constexpr const char* kArtUsage =
    "usage: isora-kit art list SRC\n"
    "\n"
    "Lists every picture the build of SRC packs, one per line as the file that would replace\n"
    "it: art/<pack>/<member>.png (or .bmp), marked \"(hand-drawn)\" when SRC has that file.\n";

int PrintCheck(const demo::CheckReport& report, bool asJson) {
  if (asJson) {
    nlohmann::json out = nlohmann::json::array();
    for (const auto& i : report.issues)
      out.push_back({{"file", i.file},
                     {"line", i.line},
                     {"severity", i.error ? "error" : "warning"},
                     {"message", i.message}});
    std::printf("%s\n",
                nlohmann::json{
                    {"issues", out}, {"errors", report.Errors()}, {"warnings", report.Warnings()}}
                    .dump(2)
                    .c_str());
  } else {
    std::fputs(report.Format().c_str(), stdout);
  }
  return report.Errors() ? 1 : 0;
}

int RunCheck(const std::vector<std::string>& args) {
  if (args.empty() || WantsHelp(args)) {
    std::fputs(kCheckUsage, args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  bool asJson = false;
  std::vector<std::string> plain;
  for (const auto& a : args) {
    if (a == "--json") {
      asJson = true;
    } else if (!a.empty() && a[0] == '-') {
      return Fail("unknown option " + a);
    } else {
      plain.push_back(a);
    }
  }
  if (plain.size() != 1) return Fail("check needs one source folder");
  return PrintCheck(demo::CheckGameSource(plain[0]), asJson);
}

}  // namespace

int BuildGame(const std::string& source, const std::string& out, bool compress, bool check,
              const char* what) {
  if (check) {
    const demo::CheckReport report = demo::CheckGameSource(source);
    if (report.Errors()) {
      std::fputs(report.Format().c_str(), stderr);
      return Fail(std::string("the ") + what + " was not built: its source has errors");
    }
    // Warnings are worth seeing but do not stop the build.
    for (const auto& i : report.issues) {
      std::string where = i.file;
      if (i.line) where += ':' + std::to_string(i.line);
      std::fprintf(stderr, "%s: warning: %s\n", where.c_str(), i.message.c_str());
    }
  }
  demo::DemoBuildOptions options;
  options.sourceDir = source;
  options.outDir = out;
  options.compress = compress;
  const auto start = std::chrono::steady_clock::now();
  demo::FileSet files;
  std::vector<std::string> removed;
  std::string error;
  if (!demo::BuildDemo(options, &files, &error, &removed)) return Fail(error);
  size_t bytes = 0;
  for (const auto& [name, data] : files) bytes += data.size();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  for (const auto& r : removed) std::printf("removed stale %s\n", r.c_str());
  std::printf("%s built in %s: %zu files, %zu bytes, %.1f s\n", what, out.c_str(), files.size(),
              bytes, seconds);
  return 0;
}

namespace {

int RunBuild(const std::vector<std::string>& args) {
  if (args.empty() || WantsHelp(args)) {
    std::fputs(kBuildUsage, args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  bool compress = true, check = true;
  std::vector<std::string> plain;
  for (const auto& a : args) {
    if (a == "--store") {
      compress = false;
    } else if (a == "--no-check") {
      check = false;
    } else if (!a.empty() && a[0] == '-') {
      return Fail("unknown option " + a);
    } else {
      plain.push_back(a);
    }
  }
  if (plain.size() != 2) return Fail("build needs a source folder and an output folder");
  return BuildGame(plain[0], plain[1], compress, check, "game");
}

int RunNew(const std::vector<std::string>& args) {
  if (args.empty() || WantsHelp(args)) {
    std::fputs(kNewUsage, args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  if (args.size() != 1 || args[0].empty() || args[0][0] == '-')
    return Fail("new needs one folder (see --help)");
  const fs::path dir(args[0]);
  std::error_code ec;
  // Never write over someone's files.
  if (fs::exists(dir, ec) && !(fs::is_directory(dir, ec) && fs::is_empty(dir, ec)))
    return Fail(args[0] + " already exists and is not empty");
  for (const TemplateFile& f : TemplateFiles()) {
    const fs::path path = dir / std::string(f.path);
    fs::create_directories(path.parent_path(), ec);
    if (ec) return Fail("cannot create " + path.parent_path().string() + ": " + ec.message());
    if (!WriteFileAtomic(path.string(),
                         {reinterpret_cast<const uint8_t*>(f.text.data()), f.text.size()}))
      return Fail("cannot write " + path.string());
  }
  std::printf("new game source written to %s (%zu files)\n", args[0].c_str(),
              TemplateFiles().size());
  std::printf("build it:  isora-kit build %s OUT\nplay it:   isora --data OUT\n", args[0].c_str());
  return 0;
}

int RunArtList(const std::vector<std::string>& args) {
  if (args.size() != 2) return Fail("art list needs a source folder");
  const fs::path src(args[1]);
  demo::JsonSource art, skills, roles;
  std::string error;
  for (auto [rel, doc] : {std::pair<const char*, demo::JsonSource*>{"art/art.json", &art},
                          {"data/skills.json", &skills},
                          {"roles/roles.json", &roles}}) {
    auto bytes = ReadFileBytes((src / rel).string(), size_t{64} << 20);
    if (!bytes) return Fail("cannot read " + (src / rel).string());
    if (!demo::ParseJsonSource(std::string(bytes->begin(), bytes->end()), *doc, &error))
      return Fail((src / rel).string() + ": " + error);
  }
  demo::ArtOverrides overrides;
  overrides.Load(src.string());
  std::vector<demo::PictureName> names;
  try {
    names = demo::GeneratedPictureNames(art.doc, skills.doc, roles.doc);
  } catch (const std::exception& e) {
    return Fail(std::string("a picture source has a value of the wrong type: ") + e.what());
  }
  // The ground tiles tiles.ini asks for are pictures of the game whether a style draws them or
  // only hand-drawn files make them.
  if (auto bytes = ReadFileBytes((src / "ini" / "tiles.ini").string(), size_t{1} << 20)) {
    std::string game;
    demo::SourceTextToGame(std::string(bytes->begin(), bytes->end()), game);
    IniFile tiles;
    tiles.LoadBytes(std::vector<uint8_t>(game.begin(), game.end()));
    for (const auto& type : demo::TileTypesOf(tiles))
      for (const std::string& member : demo::TileMembers(type)) names.push_back({"tiles", member});
  }
  std::set<std::string> listed;
  for (auto [word, member] : names) {
    std::replace(member.begin(), member.end(), '\\', '/');
    const std::string rel = "art/" + word + "/" + member.substr(0, member.rfind('.'));
    if (!listed.insert(rel).second) continue;
    std::optional<std::vector<uint8_t>> drawn;
    std::string why;
    const bool handmade = !overrides.Find(word, member, drawn, &why) || drawn;
    std::printf("%s.png%s\n", rel.c_str(), handmade ? "  (hand-drawn)" : "");
  }
  // Hand-drawn files that replace none of these add pictures of their own.
  for (const std::string& rel : overrides.Unused())
    std::printf("%s  (hand-drawn, adds a picture)\n", rel.c_str());
  return 0;
}

int RunArt(const std::vector<std::string>& args) {
  return RunSubcommand("art", kArtUsage, args, {{"list", RunArtList}});
}

}  // namespace

ISORA_KIT_COMMAND("build", "build a game folder from a game source (checks it first)", RunBuild);
ISORA_KIT_COMMAND("check", "check a game source for broken references, by file and line", RunCheck);
ISORA_KIT_COMMAND("new", "write a small, complete new game source to start from", RunNew);
ISORA_KIT_COMMAND("art", "list the pictures a game source can replace with hand-drawn files",
                  RunArt);

}  // namespace isora::kit
