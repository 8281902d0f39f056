// Reading the JSON sources the kit builds from.
#pragma once

#include <string>

#include "foundation/file_io.h"
#include "lib/json_read.h"

namespace isora::kit {

// Parses a JSON file into out (nlohmann::json or ordered_json). False with *error naming the
// file when it cannot be read or parsed, or nests too deeply.
template <class Json>
bool ReadJsonFile(const std::string& path, Json& out, std::string* error) {
  // Read whole first: a FIFO or a device in a source's place is refused, not waited on.
  auto bytes = ReadFileBytes(path, size_t{64} << 20);
  if (!bytes) {
    *error = "cannot read " + path;
    return false;
  }
  const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
  return demo::ParseJson(text, out, error, path);
}

}  // namespace isora::kit
