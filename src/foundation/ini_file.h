// One INI text held exactly as its bytes stand, answering lookups by scanning the bytes on every
// call. Loaded from a plain file or from a member of a resource package; editable in place and
// written back byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace isora {

class IniFile {
 public:
  IniFile() = default;
  virtual ~IniFile() = default;

  // Both loads return false, with the document a single zero byte and IsFailed() true, when
  // nothing was loaded.
  // From the member `name` (relative to the package root, with backslashes) of a package.
  bool Load(std::string_view name, std::string_view packagePath);
  // From the plain file at a game path.
  bool LoadFile(std::string_view path);
  // No package: the plain file, as callers that pass a null package mean.
  bool Load(std::string_view name, std::nullptr_t) { return LoadFile(name); }
  // Loads from bytes already in memory, exactly as a package member load does.
  bool LoadBytes(std::span<const uint8_t> bytes);
  bool IsFailed() const { return failed_ != 0; }

  // The value of key in section, scanned by the format's rules; empty when missing.
  std::string GetString(std::string_view section, std::string_view key) const;
  // atoi of GetString.
  int32_t GetInt(std::string_view section, std::string_view key) const;
  // Whether the section holds the key at all (GetString cannot tell a missing key from an
  // empty value).
  bool HasKey(std::string_view section, std::string_view key) const;

  bool AddSection(std::string_view section);
  bool SetValue(std::string_view section, std::string_view key, std::string_view value);
  // Writes the bytes to path, or to the remembered plain-file path when path is empty.
  bool Save(std::string_view path = {}) const;
  void Clear();

  // The document bytes and section index, as held.
  const std::vector<uint8_t>& Text() const { return text_; }
  int32_t Length() const { return static_cast<int32_t>(text_.size()); }
  int32_t SectionCount() const { return static_cast<int32_t>(sectionStarts_.size()); }
  const std::string& RememberedPath() const { return path_; }

 private:
  void MarkFailed();
  void RebuildIndex();
  size_t NextLine(size_t p) const;
  bool SectionNameIs(size_t offset, std::string_view name) const;
  // Offset just after the header's '[', or -1.
  int64_t FindSection(std::string_view name) const;
  // Start of the key's value, or -1; scans to the end of the document, past later headers.
  int64_t FindKey(size_t sectionOffset, std::string_view key) const;
  size_t ValueEnd(size_t start) const;
  size_t InsertionPoint(size_t sectionOffset) const;

  std::string path_;
  std::vector<uint8_t> text_;
  std::vector<int32_t> sectionStarts_;
  uint8_t failed_ = 0;
};

}  // namespace isora
