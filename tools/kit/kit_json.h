// Reading the JSON sources the kit builds from.
#pragma once

#include <exception>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

namespace isora::kit {

// Parses a JSON file into out (nlohmann::json or ordered_json). False with *error naming the
// file when it cannot be read or parsed.
template <class Json>
bool ReadJsonFile(const std::string& path, Json& out, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read " + path;
    return false;
  }
  try {
    out = Json::parse(in);
  } catch (const std::exception& e) {
    *error = path + ": " + e.what();
    return false;
  }
  return true;
}

}  // namespace isora::kit
