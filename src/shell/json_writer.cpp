#include "shell/json_writer.h"

#include <cmath>
#include <cstdio>

#include "foundation/gbk.h"

namespace isora {

void JsonWriter::Indent() {
  out_ += '\n';
  out_.append(first_.size() * 2, ' ');
}

void JsonWriter::Separate() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (first_.empty()) return;
  if (!first_.back()) out_ += ',';
  first_.back() = false;
  Indent();
}

void JsonWriter::BeginObject() {
  Separate();
  out_ += '{';
  first_.push_back(true);
}

void JsonWriter::EndObject() {
  bool empty = first_.back();
  first_.pop_back();
  if (!empty) Indent();
  out_ += '}';
}

void JsonWriter::BeginArray() {
  Separate();
  out_ += '[';
  first_.push_back(true);
}

void JsonWriter::EndArray() {
  bool empty = first_.back();
  first_.pop_back();
  if (!empty) Indent();
  out_ += ']';
}

JsonWriter& JsonWriter::Key(std::string_view name) {
  Separate();
  out_ += '"';
  out_ += name;
  out_ += "\": ";
  afterKey_ = true;
  return *this;
}

void JsonWriter::String(std::string_view gbk) {
  Separate();
  std::string utf8 = GbkToUtf8(gbk);
  out_ += '"';
  for (unsigned char c : utf8) {
    switch (c) {
      case '"':
        out_ += "\\\"";
        break;
      case '\\':
        out_ += "\\\\";
        break;
      case '\n':
        out_ += "\\n";
        break;
      case '\r':
        out_ += "\\r";
        break;
      case '\t':
        out_ += "\\t";
        break;
      default:
        if (c < 0x20) {
          char buf[8];
          snprintf(buf, sizeof buf, "\\u%04x", c);
          out_ += buf;
        } else {
          out_ += static_cast<char>(c);
        }
    }
  }
  out_ += '"';
}

void JsonWriter::Int(int64_t value) {
  Separate();
  out_ += std::to_string(value);
}

void JsonWriter::Bool(bool value) {
  Separate();
  out_ += value ? "true" : "false";
}

void JsonWriter::Double(double value) {
  Separate();
  if (!std::isfinite(value)) {
    out_ += "null";
    return;
  }
  char buf[32];
  snprintf(buf, sizeof buf, "%.6g", value);
  out_ += buf;
}

void JsonWriter::Null() {
  Separate();
  out_ += "null";
}

}  // namespace isora
