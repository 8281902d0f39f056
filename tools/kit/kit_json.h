// Reading the JSON sources the kit builds from.
#pragma once

#include <exception>
#include <nlohmann/json.hpp>
#include <string>

#include "foundation/file_io.h"

namespace isora::kit {

// Parses a JSON file into out (nlohmann::json or ordered_json). False with *error naming the
// file when it cannot be read or parsed.
template <class Json>
bool ReadJsonFile(const std::string& path, Json& out, std::string* error) {
  // Read whole first: a FIFO or a device in a source's place is refused, not waited on.
  auto bytes = ReadFileBytes(path, size_t{64} << 20);
  if (!bytes) {
    *error = "cannot read " + path;
    return false;
  }
  try {
    out = Json::parse(bytes->begin(), bytes->end());
  } catch (const std::exception& e) {
    *error = path + ": " + e.what();
    return false;
  }
  return true;
}

}  // namespace isora::kit
