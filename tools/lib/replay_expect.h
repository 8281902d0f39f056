// Shared by isora-kit replay check and the replay tests.
// What a replay file expects of the state dumps it asks for, written in the file as comments so
// the file stays a plain replay:
//
//   # expect <dump.json> <json-pointer> <op> <value>
//
// op is one of == != < <= > >= (value is JSON), has (value is JSON: a text the dumped text
// contains, an element of the dumped array, or a key of the dumped object), or same (value is
// another dump of the same replay, which holds an equal value at the same pointer).
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "lib/json_read.h"

namespace isora::replay {

struct ReplayExpectation {
  std::string dump;
  std::string pointer;
  std::string op;
  std::string value;
  int line = 0;
};

inline std::string FormatExpectation(const ReplayExpectation& e) {
  return "expect " + e.dump + " " + e.pointer + " " + e.op + " " + e.value;
}

// Reads every "# expect" line; false with *error on the first malformed one.
inline bool ParseExpectations(const std::string& text, std::vector<ReplayExpectation>* out,
                              std::string* error) {
  std::istringstream in(text);
  std::string line;
  int number = 0;
  static const char* const kOps[] = {"==", "!=", "<", "<=", ">", ">=", "has", "same"};
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("# expect ", 0) != 0) continue;
    std::istringstream words(line.substr(9));
    ReplayExpectation e;
    e.line = number;
    words >> e.dump >> e.pointer >> e.op;
    std::getline(words >> std::ws, e.value);
    bool known = false;
    for (const char* op : kOps) known |= e.op == op;
    if (e.dump.empty() || e.pointer.empty() || e.pointer[0] != '/' || !known || e.value.empty() ||
        (e.op != "same" && (!nlohmann::json::accept(e.value) ||
                            demo::FindTooDeep(e.value) != std::string_view::npos))) {
      *error = "line " + std::to_string(number) + ": bad expectation: " + line;
      return false;
    }
    out->push_back(e);
  }
  return true;
}

// Empty when the expectation holds, otherwise what was found. `dump` gives a state dump by its
// file name, or null when there is none.
inline std::string CheckExpectation(
    const ReplayExpectation& e,
    const std::function<const nlohmann::json*(const std::string&)>& dump) {
  using nlohmann::json;
  const json* doc = dump(e.dump);
  if (!doc) return "no dump " + e.dump;
  const json::json_pointer pointer(e.pointer);
  if (!doc->contains(pointer)) return e.dump + " has nothing at " + e.pointer;
  const json& actual = (*doc)[pointer];
  json expected;
  if (e.op == "same") {
    const json* other = dump(e.value);
    if (!other) return "no dump " + e.value;
    if (!other->contains(pointer)) return e.value + " has nothing at " + e.pointer;
    expected = (*other)[pointer];
  } else {
    expected = demo::ParseJson<json>(e.value);
  }
  bool ok = false;
  if (e.op == "==" || e.op == "same") {
    ok = actual == expected;
  } else if (e.op == "!=") {
    ok = actual != expected;
  } else if (e.op == "has") {
    if (actual.is_string() && expected.is_string()) {
      ok = actual.get<std::string>().find(expected.get<std::string>()) != std::string::npos;
    } else if (actual.is_array()) {
      for (const json& element : actual) ok |= element == expected;
    } else if (actual.is_object() && expected.is_string()) {
      ok = actual.contains(expected.get<std::string>());
    }
  } else if (actual.is_number() && expected.is_number()) {
    const double a = actual.get<double>(), b = expected.get<double>();
    ok = e.op == "<" ? a < b : e.op == "<=" ? a <= b : e.op == ">" ? a > b : a >= b;
  }
  if (ok) return {};
  return FormatExpectation(e) + ": found " + actual.dump() +
         (e.op == "same" ? " against " + expected.dump() : std::string());
}

}  // namespace isora::replay
