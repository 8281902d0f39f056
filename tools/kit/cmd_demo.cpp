// isora-kit demo: builds the demo game folder from content/demo.
#include <cstdio>
#include <filesystem>

#include "kit/kit.h"
#include "lib/demo_builder.h"

namespace isora::kit {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: isora-kit demo build OUT [--source DIR] [--store]\n"
    "       isora-kit demo tilesets DIR [--source DIR]\n"
    "\n"
    "build     isora-kit build content/demo OUT: checks the demo's source and writes the\n"
    "          complete demo game into OUT (see isora-kit build --help).\n"
    "          --store keeps package members uncompressed.\n"
    "tilesets  writes the tileset pictures Tiled shows for the demo maps into DIR/tilesets\n"
    "          (content/demo/maps for editing the maps in place).\n"
    "\n"
    "--source names the content folder; by default content/demo is looked for in the current\n"
    "folder, its parents and the folders above the program.\n";

std::string FindSource() {
  std::error_code ec;
  std::vector<fs::path> starts{fs::current_path(ec)};
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) starts.push_back(exe.parent_path());
  for (fs::path p : starts)
    for (; !p.empty(); p = p.parent_path()) {
      if (fs::is_directory(p / "content" / "demo", ec)) return (p / "content" / "demo").string();
      if (p == p.parent_path()) break;
    }
  return {};
}

int RunDemo(const std::vector<std::string>& args) {
  if (args.empty() || WantsHelp(args)) {
    std::printf("%s", kUsage);
    return args.empty() ? 2 : 0;
  }
  std::vector<std::string> plain;
  demo::DemoBuildOptions options;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--store") {
      options.compress = false;
    } else if (args[i] == "--source") {
      if (i + 1 >= args.size()) return Fail("--source needs a folder");
      options.sourceDir = args[++i];
    } else {
      plain.push_back(args[i]);
    }
  }
  if (plain.size() != 1) return Fail("demo " + args[0] + " needs one output folder");
  if (options.sourceDir.empty()) options.sourceDir = FindSource();
  if (options.sourceDir.empty()) return Fail("cannot find content/demo; give --source DIR");
  std::string error;
  if (args[0] == "tilesets") {
    if (!demo::WriteTilesetPictures(options.sourceDir, plain[0], &error)) return Fail(error);
    std::printf("tilesets written to %s/tilesets\n", plain[0].c_str());
    return 0;
  }
  if (args[0] != "build") return Fail("unknown demo command " + args[0]);
  return BuildGame(options.sourceDir, plain[0], options.compress, true, "demo");
}

}  // namespace

ISORA_KIT_COMMAND("demo", "build the demo game from content/demo", RunDemo);

}  // namespace isora::kit
