// External Tiled files: the input is an external tileset (TSX or TSJ) and object template (TX
// or TJ) at once, named by a fixed map in each of the two map formats, merged and imported.
// The file sits in one folder per fuzzing process, removed when the process ends.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "lib/demo_tiled.h"
#include "lib/tiled_reader.h"

namespace {

struct ScratchDir {
  std::string path;
  ScratchDir() {
    char name[] = "/tmp/isora-fuzz-tiled-XXXXXX";
    if (mkdtemp(name)) path = name;
  }
  ~ScratchDir() {
    std::error_code ec;
    if (!path.empty()) std::filesystem::remove_all(path, ec);
  }
};

const char kTmx[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<map version=\"1.10\" orientation=\"isometric\" width=\"2\" height=\"2\" tilewidth=\"64\" "
    "tileheight=\"32\">\n"
    " <tileset firstgid=\"1\" source=\"ext\"/>\n"
    " <layer id=\"1\" name=\"ground\" width=\"2\" height=\"2\"><data encoding=\"csv\">1,2,3,4"
    "</data></layer>\n"
    " <objectgroup id=\"2\" name=\"objects\"><object id=\"1\" template=\"ext\" x=\"10\" "
    "y=\"20\"/></objectgroup>\n"
    "</map>\n";

const char kTmj[] =
    "{\"type\":\"map\",\"orientation\":\"isometric\",\"width\":2,\"height\":2,\"tilewidth\":64,"
    "\"tileheight\":32,\"tilesets\":[{\"firstgid\":1,\"source\":\"ext\"}],\"layers\":["
    "{\"type\":\"tilelayer\",\"name\":\"ground\",\"width\":2,\"height\":2,\"data\":[1,2,3,4]},"
    "{\"type\":\"objectgroup\",\"name\":\"objects\",\"objects\":[{\"id\":1,\"template\":\"ext\","
    "\"x\":10,\"y\":20}]}]}";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ScratchDir dir;
  if (dir.path.empty()) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  // The files may name others by absolute path; keep the fuzzer off devices and the system.
  for (const char* p : {"/dev", "/proc", "/sys", ".."})
    if (text.find(p) != std::string::npos) return 0;
  FILE* f = std::fopen((dir.path + "/ext").c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  for (const char* map : {kTmx, kTmj}) {
    nlohmann::json tmj, desc;
    std::vector<std::string> warnings;
    std::string error;
    if (!isora::demo::ParseTiledMap(map, dir.path, tmj, &warnings, &error)) continue;
    isora::demo::TiledContext context;
    context.baseDir = "/nonexistent";
    isora::demo::TiledToMapJson(tmj, context, desc, &error, &warnings);
  }
  return 0;
}
