// JSON content sources read with the place of every value, so a checker can say "file:line".
#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <string>

namespace isora::demo {

// A parsed JSON source: the document, and the 1-based line of every value by its JSON pointer
// ("" for the root, "/records/3/name" for a field). A line of a value is where the value
// starts; for object members that is the line of the key's value.
struct JsonSource {
  nlohmann::json doc;
  std::map<std::string, int> lines;
  int errorLine = 0;  // the line of a syntax error

  // The line of the value at pointer, or of its nearest enclosing value; 1 when unknown.
  int LineOf(const std::string& pointer) const;
};

// Parses text; false with *error "line L, column C: what" on a syntax error.
bool ParseJsonSource(const std::string& text, JsonSource& out, std::string* error);

// Escapes a member name for a JSON pointer ("~" to "~0", "/" to "~1").
std::string PointerToken(const std::string& key);

}  // namespace isora::demo
