// One INI text held exactly as its bytes stand, answering lookups by scanning the bytes on every
// call. Loaded from a plain file or from a member of a resource package; editable in place and
// written back byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace isora {

class IniFile {
 public:
  IniFile() = default;
  // Constructs and loads (packagePath may be null: a plain file).
  IniFile(const char* name, const char* packagePath);
  virtual ~IniFile() = default;

  // From a package member when packagePath is given (name relative to the package root, with
  // backslashes), else from the plain file `name` (a game path). False, with the document a
  // single zero byte and IsFailed() true, when nothing was loaded.
  bool Load(const char* name, const char* packagePath);
  // Loads from bytes already in memory, exactly as a package member load does.
  bool LoadBytes(const std::vector<uint8_t>& bytes);
  bool IsFailed() const { return failed_ != 0; }

  // The value of key in section, scanned by the format's rules; empty when missing.
  std::string GetString(const char* section, const char* key) const;
  // atoi of GetString.
  int32_t GetInt(const char* section, const char* key) const;

  bool AddSection(const char* section);
  bool SetValue(const char* section, const char* key, const char* value);
  // Writes the bytes to path, or to the remembered plain-file path when null.
  bool Save(const char* path = nullptr) const;
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
