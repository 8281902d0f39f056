// The Tiled reader (TMX or JSON, every layer encoding) and the importer on what it accepts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "lib/demo_tiled.h"
#include "lib/tiled_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // External tilesets and templates are read from files; keep the fuzzer off devices.
  if (text.find("/dev") != std::string::npos) return 0;
  nlohmann::json tmj, desc;
  std::vector<std::string> warnings;
  std::string error;
  if (!isora::demo::ParseTiledMap(text, "/nonexistent", tmj, &warnings, &error)) return 0;
  isora::demo::TiledContext context;
  context.baseDir = "/nonexistent";
  isora::demo::TiledToMapJson(tmj, context, desc, &error, &warnings);
  return 0;
}
