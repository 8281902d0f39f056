// A small streaming JSON writer for the state dump. Texts given to it are GBK bytes and come out
// as UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace isora {

class JsonWriter {
 public:
  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  // The next member's name inside an object.
  JsonWriter& Key(std::string_view name);
  void String(std::string_view gbk);
  void Int(int64_t value);
  void Bool(bool value);
  void Double(double value);
  void Null();

  // Shorthands for a member.
  void Member(std::string_view name, std::string_view gbk) { Key(name).String(gbk); }
  void Member(std::string_view name, const char* gbk) { Key(name).String(gbk); }
  void Member(std::string_view name, const std::string& gbk) { Key(name).String(gbk); }
  void Member(std::string_view name, int64_t v) { Key(name).Int(v); }
  void Member(std::string_view name, int32_t v) { Key(name).Int(v); }
  void Member(std::string_view name, bool v) { Key(name).Bool(v); }

  const std::string& Text() const { return out_; }

 private:
  void Separate();
  void Indent();
  std::string out_;
  std::vector<bool> first_;
  bool afterKey_ = false;
};

}  // namespace isora
