// Makes resource packages ("VDK1") for the kit and the tests: directories written breadth-first
// as the reader builds its tree, members stored plain or compressed in 0xC000-byte chunks.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace isora {

class PackageWriter {
 public:
  PackageWriter();
  ~PackageWriter();
  PackageWriter(PackageWriter&&) noexcept;
  PackageWriter& operator=(PackageWriter&&) noexcept;

  // Adds a member at a backslash path ("data\\items.itm"), creating its parent directories.
  // Compressed members that would not shrink are stored plain. False, with *error set, for an
  // empty or "."/".." component, a name clash with a file or directory, or a member too large
  // for the format.
  bool AddFile(const std::string& memberPath, std::span<const uint8_t> bytes, bool compress,
               std::string* error = nullptr);
  // Adds an (empty) directory and its parents; an existing directory is fine.
  bool AddDirectory(const std::string& memberPath, std::string* error = nullptr);

  // The whole package (AddFile already refused anything the 32-bit offsets cannot reach).
  std::vector<uint8_t> Build() const;

 private:
  struct Node;
  Node* Walk(const std::string& memberPath, bool lastIsFile, std::string* error);

  std::unique_ptr<Node> root_;
  uint64_t dataBytes_ = 0;
};

// Packs every file and folder under dir. Member names are the file names, converted from
// UTF-8 to GBK when they hold other characters. Nothing on failure, with *error set.
std::optional<std::vector<uint8_t>> PackDirectory(const std::string& dir, bool compress,
                                                  std::string* error = nullptr);

}  // namespace isora
