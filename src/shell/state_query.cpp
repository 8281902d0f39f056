#include "shell/state_query.h"

#include <cstdlib>
#include <vector>

namespace isora {

namespace {

constexpr int kMaxDepth = 64;

void SkipSpace(std::string_view s, size_t& i) {
  while (i < s.size() && (s[i] == ' ' || s[i] == '\n' || s[i] == '\r' || s[i] == '\t')) ++i;
}

// Moves i past the JSON value that starts there; false on malformed text.
bool SkipValue(std::string_view s, size_t& i, int depth = 0) {
  SkipSpace(s, i);
  if (i >= s.size() || depth > kMaxDepth) return false;
  const char c = s[i];
  if (c == '"') {
    for (++i; i < s.size(); ++i) {
      if (s[i] == '\\') {
        ++i;
      } else if (s[i] == '"') {
        ++i;
        return true;
      }
    }
    return false;
  }
  if (c == '{' || c == '[') {
    const char close = c == '{' ? '}' : ']';
    ++i;
    SkipSpace(s, i);
    if (i < s.size() && s[i] == close) return ++i, true;
    for (;;) {
      if (c == '{') {
        if (!SkipValue(s, i, depth + 1)) return false;  // the key
        SkipSpace(s, i);
        if (i >= s.size() || s[i] != ':') return false;
        ++i;
      }
      if (!SkipValue(s, i, depth + 1)) return false;
      SkipSpace(s, i);
      if (i >= s.size()) return false;
      if (s[i] == close) return ++i, true;
      if (s[i] != ',') return false;
      ++i;
    }
  }
  const size_t start = i;
  while (i < s.size() && s[i] != ',' && s[i] != '}' && s[i] != ']' && s[i] != ' ' && s[i] != '\n' &&
         s[i] != '\r' && s[i] != '\t')
    ++i;
  return i > start;
}

// The text of a JSON string literal without its quotes, escapes resolved for the few the dump
// writes (\" \\ \/ \n \r \t; \u stays as written).
std::string Unquote(std::string_view t) {
  std::string out;
  for (size_t i = 1; i + 1 < t.size(); ++i) {
    if (t[i] == '\\' && i + 2 < t.size()) {
      const char e = t[++i];
      out += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
    } else {
      out += t[i];
    }
  }
  return out;
}

// The elements of an array (or the values of an object) as raw texts.
bool Elements(std::string_view s, std::vector<std::string_view>* out) {
  size_t i = 0;
  SkipSpace(s, i);
  if (i >= s.size() || (s[i] != '[' && s[i] != '{')) return false;
  const bool object = s[i] == '{';
  ++i;
  for (;;) {
    SkipSpace(s, i);
    if (i < s.size() && (s[i] == ']' || s[i] == '}')) return true;
    if (object) {
      if (!SkipValue(s, i)) return false;
      SkipSpace(s, i);
      if (i >= s.size() || s[i] != ':') return false;
      ++i;
    }
    SkipSpace(s, i);
    const size_t start = i;
    if (!SkipValue(s, i)) return false;
    out->push_back(s.substr(start, i - start));
    SkipSpace(s, i);
    if (i < s.size() && s[i] == ',') ++i;
  }
}

// The raw text of the value at the pointer, or false.
bool ValueAt(std::string_view doc, std::string_view pointer, std::string_view* out) {
  std::string_view cur = doc;
  size_t p = 0;
  while (p < pointer.size()) {
    if (pointer[p] != '/') return false;
    const size_t end = std::min(pointer.find('/', p + 1), pointer.size());
    std::string token;
    for (size_t k = p + 1; k < end; ++k) {
      if (pointer[k] == '~' && k + 1 < end && (pointer[k + 1] == '0' || pointer[k + 1] == '1')) {
        token += pointer[++k] == '1' ? '/' : '~';
      } else {
        token += pointer[k];
      }
    }
    p = end;
    size_t i = 0;
    SkipSpace(cur, i);
    if (i >= cur.size()) return false;
    bool found = false;
    if (cur[i] == '{') {
      ++i;
      for (;;) {
        SkipSpace(cur, i);
        if (i >= cur.size() || cur[i] == '}') return false;
        const size_t keyStart = i;
        if (!SkipValue(cur, i)) return false;
        const std::string key = Unquote(cur.substr(keyStart, i - keyStart));
        SkipSpace(cur, i);
        if (i >= cur.size() || cur[i] != ':') return false;
        ++i;
        SkipSpace(cur, i);
        const size_t valueStart = i;
        if (!SkipValue(cur, i)) return false;
        if (key == token) {
          cur = cur.substr(valueStart, i - valueStart);
          found = true;
          break;
        }
        SkipSpace(cur, i);
        if (i < cur.size() && cur[i] == ',') ++i;
      }
    } else if (cur[i] == '[') {
      std::vector<std::string_view> items;
      char* endp = nullptr;
      const long index = std::strtol(token.c_str(), &endp, 10);
      if (token.empty() || *endp || index < 0 || !Elements(cur, &items) ||
          static_cast<size_t>(index) >= items.size())
        return false;
      cur = items[static_cast<size_t>(index)];
      found = true;
    }
    if (!found) return false;
  }
  *out = cur;
  return true;
}

bool IsNumber(std::string_view t, double* v) {
  if (t.empty() || !(t[0] == '-' || (t[0] >= '0' && t[0] <= '9'))) return false;
  const std::string text(t);
  char* end = nullptr;
  *v = std::strtod(text.c_str(), &end);
  return *end == '\0';
}

// Two scalar texts are equal as JSON values (numbers by value, texts by their characters).
bool SameValue(std::string_view a, std::string_view b) {
  double x = 0, y = 0;
  if (IsNumber(a, &x) && IsNumber(b, &y)) return x == y;
  if (!a.empty() && a[0] == '"' && !b.empty() && b[0] == '"') return Unquote(a) == Unquote(b);
  return a == b;
}

}  // namespace

bool ParseStateCondition(std::string_view text, StateCondition* out, std::string* error) {
  size_t i = 0;
  auto word = [&]() {
    SkipSpace(text, i);
    const size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    return std::string(text.substr(start, i - start));
  };
  out->pointer = word();
  out->op = word();
  SkipSpace(text, i);
  out->value = std::string(text.substr(i));
  while (!out->value.empty() && (out->value.back() == ' ' || out->value.back() == '\r'))
    out->value.pop_back();
  static const char* const kOps[] = {"==", "!=", "<", "<=", ">", ">=", "has"};
  bool known = false;
  for (const char* op : kOps) known |= out->op == op;
  size_t end = 0;
  double number = 0;
  const bool scalar =
      !out->value.empty() &&
      ((out->value[0] == '"' && SkipValue(out->value, end) && end == out->value.size()) ||
       IsNumber(out->value, &number) || out->value == "true" || out->value == "false" ||
       out->value == "null");
  if (out->pointer.empty() || out->pointer[0] != '/' || !known || !scalar) {
    *error =
        "a condition is <json-pointer> <op> <value>: op one of == != < <= > >= has, value a "
        "number, a quoted text, true, false or null";
    return false;
  }
  return true;
}

bool StateConditionHolds(const StateCondition& c, std::string_view dump, std::string* found) {
  std::string_view actual;
  if (!ValueAt(dump, c.pointer, &actual)) {
    *found = "nothing";
    return false;
  }
  *found = std::string(actual);
  if (c.op == "==") return SameValue(actual, c.value);
  if (c.op == "!=") return !SameValue(actual, c.value);
  if (c.op == "has") {
    if (!actual.empty() && actual[0] == '"' && !c.value.empty() && c.value[0] == '"')
      return Unquote(actual).find(Unquote(c.value)) != std::string::npos;
    std::vector<std::string_view> items;
    if (!actual.empty() && actual[0] == '[' && Elements(actual, &items))
      for (std::string_view item : items)
        if (SameValue(item, c.value)) return true;
    return false;
  }
  double a = 0, b = 0;
  if (!IsNumber(actual, &a) || !IsNumber(c.value, &b)) return false;
  if (c.op == "<") return a < b;
  if (c.op == "<=") return a <= b;
  if (c.op == ">") return a > b;
  return a >= b;
}

}  // namespace isora
