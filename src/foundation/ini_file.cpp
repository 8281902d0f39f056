#include "foundation/ini_file.h"

#include <climits>
#include <cstring>

#include "foundation/file_io.h"
#include "foundation/package_file.h"

namespace isora {
namespace {

constexpr uint8_t kCr = 13, kLf = 10, kTab = 9;

// The section header line is bounded by the 256-byte formatting buffer of the original writer.
constexpr size_t kMaxSectionName = 250;

}  // namespace

bool IniFile::Load(std::string_view name, std::string_view packagePath) {
  text_.clear();
  sectionStarts_.clear();
  PackageFile package;
  if (package.Open(packagePath) && package.Find(name)) {
    if (auto bytes = package.ReadAll()) {
      package.Close();
      return LoadBytes(*bytes);
    }
  }
  MarkFailed();
  return false;
}

bool IniFile::LoadFile(std::string_view name) {
  text_.clear();
  sectionStarts_.clear();
  path_ = name;
  auto bytes = ReadFileBytes(NativePath(name));
  if (!bytes || bytes->empty()) {
    MarkFailed();
    return false;
  }
  text_ = std::move(*bytes);
  failed_ = 0;
  RebuildIndex();
  return true;
}

bool IniFile::LoadBytes(std::span<const uint8_t> bytes) {
  text_.assign(bytes.begin(), bytes.end());
  failed_ = 0;
  RebuildIndex();
  return true;
}

void IniFile::MarkFailed() {
  text_.assign(1, 0);
  failed_ = 1;
  RebuildIndex();
}

void IniFile::RebuildIndex() {
  sectionStarts_.clear();
  for (size_t i = 0; i < text_.size(); ++i) {
    if (text_[i] == '[' && (i == 0 || text_[i - 1] == kLf))
      sectionStarts_.push_back(static_cast<int32_t>(i + 1));
  }
}

size_t IniFile::NextLine(size_t p) const {
  if (p >= text_.size()) return p;
  const void* lf = std::memchr(text_.data() + p, kLf, text_.size() - p);
  if (!lf) return text_.size();
  return static_cast<size_t>(static_cast<const uint8_t*>(lf) - text_.data()) + 1;
}

bool IniFile::SectionNameIs(size_t offset, std::string_view name) const {
  size_t end = offset;
  while (end < text_.size()) {
    uint8_t c = text_[end];
    if (c == ';' || c == kCr || c == kTab || c == ']' || c == kLf) break;
    ++end;
  }
  return std::string_view(reinterpret_cast<const char*>(text_.data()) + offset, end - offset) ==
         name;
}

int64_t IniFile::FindSection(std::string_view name) const {
  for (int32_t start : sectionStarts_)
    if (SectionNameIs(static_cast<size_t>(start), name)) return start;
  return -1;
}

int64_t IniFile::FindKey(size_t sectionOffset, std::string_view key) const {
  const size_t end = text_.size();
  for (size_t p = NextLine(sectionOffset); p < end; p = NextLine(p)) {
    // A bare LF also ends the token, so files with LF line ends read as a maintainer expects
    // rather than running one line's key into the next.
    size_t q = p;
    while (q < end) {
      uint8_t c = text_[q];
      if (c == kCr || c == '=' || c == ';' || c == kLf) break;
      ++q;
    }
    std::string_view token(reinterpret_cast<const char*>(text_.data()) + p, q - p);
    if (token != key) continue;
    if (q >= end) return static_cast<int64_t>(end);
    return static_cast<int64_t>(text_[q] == kLf ? q : q + 1);
  }
  return -1;
}

size_t IniFile::ValueEnd(size_t start) const {
  size_t q = start;
  while (q < text_.size()) {
    uint8_t c = text_[q];
    if (c == ';' || c == kCr || c == kTab || c == ']' || c == kLf) break;
    ++q;
  }
  return q;
}

std::string IniFile::GetString(std::string_view section, std::string_view key) const {
  int64_t s = FindSection(section);
  if (s < 0) return {};
  int64_t v = FindKey(static_cast<size_t>(s), key);
  if (v < 0) return {};
  size_t start = static_cast<size_t>(v);
  return std::string(reinterpret_cast<const char*>(text_.data()) + start, ValueEnd(start) - start);
}

bool IniFile::HasKey(std::string_view section, std::string_view key) const {
  int64_t s = FindSection(section);
  return s >= 0 && FindKey(static_cast<size_t>(s), key) >= 0;
}

int32_t IniFile::GetInt(std::string_view section, std::string_view key) const {
  std::string s = GetString(section, key);
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  // Out-of-range numbers saturate as strtol does, instead of overflowing.
  int64_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    v = v * 10 + (s[i] - '0');
    if (v > int64_t{INT32_MAX} + 1) v = int64_t{INT32_MAX} + 1;
  }
  if (negative) v = -v;
  if (v > INT32_MAX) v = INT32_MAX;
  return static_cast<int32_t>(v);
}

bool IniFile::AddSection(std::string_view section) {
  std::string_view name = section;
  if (name.size() > kMaxSectionName) name = name.substr(0, kMaxSectionName);
  if (FindSection(name) >= 0) return false;
  std::string line = "\r\n[" + std::string(name) + "]\r\n";
  text_.insert(text_.end(), line.begin(), line.end());
  RebuildIndex();
  return true;
}

size_t IniFile::InsertionPoint(size_t sectionOffset) const {
  size_t p = NextLine(sectionOffset);
  while (p < text_.size()) {
    uint8_t c = text_[p];
    if (c == kCr || c == kLf || c == kTab || c == ' ' || c == '/' || c == 0xFD || c == 0xFF)
      return p;
    p = NextLine(p);
  }
  return text_.size();
}

bool IniFile::SetValue(std::string_view sectionName, std::string_view keyText,
                       std::string_view valueText) {
  int64_t s = FindSection(sectionName);
  if (s >= 0) {
    int64_t v = FindKey(static_cast<size_t>(s), keyText);
    if (v >= 0) {
      size_t start = static_cast<size_t>(v);
      size_t end = ValueEnd(start);
      // A key line ended by a bare LF or the end of the text has no separator; without one the
      // new value would run into the key.
      bool bare = (start >= text_.size() || text_[start] == kLf) &&
                  !(start > 0 && (text_[start - 1] == '=' || text_[start - 1] == ';' ||
                                  text_[start - 1] == kCr));
      std::string replacement = bare ? "=" : "";
      replacement += valueText;
      text_.erase(text_.begin() + static_cast<ptrdiff_t>(start),
                  text_.begin() + static_cast<ptrdiff_t>(end));
      text_.insert(text_.begin() + static_cast<ptrdiff_t>(start), replacement.begin(),
                   replacement.end());
      RebuildIndex();
      return true;
    }
  } else {
    AddSection(sectionName);
    s = FindSection(sectionName.substr(0, kMaxSectionName));
    if (s < 0) s = static_cast<int64_t>(text_.size());
  }

  size_t at = NextLine(InsertionPoint(static_cast<size_t>(s)));
  std::string line = std::string(keyText) + "=" + std::string(valueText) + "\r\n";
  // A last line without a line end would otherwise swallow the new key into its value.
  if (at == text_.size() && at > 0 && text_[at - 1] != kLf) line.insert(0, "\r\n");
  text_.insert(text_.begin() + static_cast<ptrdiff_t>(at), line.begin(), line.end());
  RebuildIndex();
  return true;
}

bool IniFile::Save(std::string_view path) const {
  std::string target = path.empty() ? path_ : std::string(path);
  if (target.empty()) return false;
  return WriteFileAtomic(NativePath(target), text_);
}

void IniFile::Clear() {
  text_.clear();
  text_.shrink_to_fit();
  sectionStarts_.clear();
  sectionStarts_.shrink_to_fit();
}

}  // namespace isora
