#include "lib/json_source.h"

#include <cstring>
#include <utility>

#include "lib/json_read.h"

namespace isora::demo {

namespace {

// Walks text already accepted by the parser, recording where each value starts. It only has
// to tell values apart, not check them. The parser bounded the nesting, so the recursion is
// bounded; the pointers it keeps are bounded in total too, since a long key above many values
// would otherwise be stored once per value. Past the budget, values take the line of the
// nearest recorded enclosing value.
class LineWalker {
 public:
  LineWalker(const std::string& text, std::map<std::string, int>& lines)
      : text_(text), lines_(lines) {}

  void Walk() { Value(""); }

 private:
  void Blanks() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\n') {
        ++line_;
      } else if (c != ' ' && c != '\t' && c != '\r') {
        break;
      }
      ++pos_;
    }
  }

  std::string String() {
    std::string out;
    ++pos_;  // opening quote
    while (pos_ < text_.size() && text_[pos_] != '"') {
      if (text_[pos_] == '\\' && pos_ + 1 < text_.size()) {
        const char e = text_[++pos_];
        // Keys with escapes other than these are rare; they keep the escaped letter.
        out += e == 'n' ? '\n' : e == 't' ? '\t' : e;
      } else {
        out += text_[pos_];
      }
      ++pos_;
    }
    ++pos_;  // closing quote
    return out;
  }

  void Value(const std::string& pointer) {
    Blanks();
    if (pos_ >= text_.size()) return;
    if (kept_ + pointer.size() <= kPointerBudget) {
      kept_ += pointer.size();
      lines_[pointer] = line_;
    }
    const char c = text_[pos_];
    if (c == '{') {
      ++pos_;
      for (;;) {
        Blanks();
        if (pos_ >= text_.size() || text_[pos_] == '}') break;
        if (text_[pos_] == ',') {
          ++pos_;
          continue;
        }
        const std::string key = String();
        Blanks();
        if (pos_ < text_.size() && text_[pos_] == ':') ++pos_;
        Value(pointer + "/" + PointerToken(key));
      }
      ++pos_;
    } else if (c == '[') {
      ++pos_;
      size_t index = 0;
      for (;;) {
        Blanks();
        if (pos_ >= text_.size() || text_[pos_] == ']') break;
        if (text_[pos_] == ',') {
          ++pos_;
          continue;
        }
        Value(pointer + "/" + std::to_string(index++));
      }
      ++pos_;
    } else if (c == '"') {
      String();
    } else {
      while (pos_ < text_.size() && !std::strchr(",]} \t\r\n", text_[pos_])) ++pos_;
    }
  }

  static constexpr size_t kPointerBudget = size_t{32} << 20;
  const std::string& text_;
  std::map<std::string, int>& lines_;
  size_t kept_ = 0;
  size_t pos_ = 0;
  int line_ = 1;
};

}  // namespace

std::string PointerToken(const std::string& key) {
  std::string out;
  for (char c : key) {
    if (c == '~') {
      out += "~0";
    } else if (c == '/') {
      out += "~1";
    } else {
      out += c;
    }
  }
  return out;
}

int JsonSource::LineOf(const std::string& pointer) const {
  std::string p = pointer;
  for (;;) {
    auto it = lines.find(p);
    if (it != lines.end()) return it->second;
    const size_t slash = p.rfind('/');
    if (slash == std::string::npos) return 1;
    p.resize(slash);
  }
}

namespace {

// "line L, column C" of a byte offset, counting characters, not bytes, as people do.
std::pair<int, int> PlaceOf(const std::string& text, size_t at) {
  if (at > text.size()) at = text.size();
  int line = 1, column = 1;
  for (size_t i = 0; i < at; ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      ++column;
    }
  }
  return {line, column};
}

}  // namespace

bool ParseJsonSource(const std::string& text, JsonSource& out, std::string* error) {
  out.lines.clear();
  auto fail = [&](size_t at, const std::string& what) {
    const auto [line, column] = PlaceOf(text, at);
    out.errorLine = line;
    if (error)
      *error = "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + what;
    return false;
  };
  try {
    out.doc = ParseJson<nlohmann::json>(text);
  } catch (const JsonTooDeep& e) {
    return fail(e.byte, "nested deeper than " + std::to_string(kMaxJsonDepth) + " levels");
  } catch (const nlohmann::json::parse_error& e) {
    std::string what = e.what();
    // "[json.exception.parse_error.101] parse error at line 1, column 2: syntax error ..."
    const size_t colon = what.find(": ", what.find("parse error"));
    if (colon != std::string::npos) what = what.substr(colon + 2);
    // The parser counts bytes; people count lines and columns.
    return fail(e.byte > 0 ? e.byte - 1 : 0, what);
  } catch (const nlohmann::json::exception& e) {
    // A number beyond a double ("1e400") is refused without a place: find the number.
    std::string what = e.what();
    const size_t bracket = what.find("] ");
    if (bracket != std::string::npos) what = what.substr(bracket + 2);
    size_t at = 0;
    const size_t open = what.find('\''), close = what.rfind('\'');
    if (open != std::string::npos && close > open) {
      const size_t found = text.find(what.substr(open + 1, close - open - 1));
      if (found != std::string::npos) at = found;
    }
    return fail(at, what);
  }
  LineWalker(text, out.lines).Walk();
  return true;
}

}  // namespace isora::demo
