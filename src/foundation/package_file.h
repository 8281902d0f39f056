// Resource packages ("VDK1"): a directory tree of members stored plain or compressed in
// independent chunks. The game only reads them; the kit's writer makes them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/game_log.h"

namespace isora {

// One 24-byte directory record as read.
struct PackageEntry {
  uint32_t storedSize = 0;  // file: bytes occupied; directory: number of entries
  uint32_t unpackedSize = 0;
  uint32_t offset = 0;  // from the data base
  uint8_t kind = 0;     // 1 = directory
  uint8_t compressed = 0;
  uint16_t unused14 = 0;
  uint32_t nameLength = 0;
  uint32_t unused20 = 0;
  bool IsDirectory() const { return kind == 1; }
};

// A node keeps its own name only: full paths per node would cost memory quadratic in the
// depth of a hostile tree. Children are keyed by name, which orders them as their full paths.
struct PackageNode {
  std::string name;  // "root" for the root
  const PackageNode* parent = nullptr;
  PackageEntry entry;
  std::map<std::string, std::unique_ptr<PackageNode>, std::less<>> children;

  // "root", "root\\data", "root\\data\\items.itm"
  std::string FullPath() const;
};

// Bounds on a directory tree, checked while it is read: folders inside folders, and the bytes
// of every member's full path together (what listing the package costs).
constexpr int kMaxPackageDepth = 64;
constexpr uint64_t kMaxPackagePathBytes = uint64_t{16} << 20;

class PackageFile {
 public:
  PackageFile();
  ~PackageFile();

  // Reads the header and the whole directory tree; false on failure, with a log line and, the
  // first time a package fails in a session, a message box.
  bool Open(std::string_view path);
  // A new session: the next failure of any package shows its box again.
  static void ForgetReportedFailures();
  // Selects the member at a backslash path relative to the root.
  bool Find(std::string_view name);
  // Unpacked size of the current member, -1 when none or when the package cannot hold it.
  int32_t GetSize() const;
  // Reads the current member's unpacked bytes into the front of out, which must hold at least
  // the member's unpacked size. False for a directory, a short buffer or damaged data.
  bool Read(std::span<uint8_t> out);
  // The current member's unpacked bytes; empty optional on any failure.
  std::optional<std::vector<uint8_t>> ReadAll();
  // Find, then ReadAll.
  std::optional<std::vector<uint8_t>> ReadMember(std::string_view name);
  void Close();
  // Closes the file handle that reads keep open between members (the directory stays); the
  // next read opens it again.
  void CloseHandle();

  const PackageNode* Root() const { return root_.get(); }
  const PackageNode* Current() const { return current_; }
  uint32_t DataBase() const { return dataBase_; }
  const std::string& Path() const { return path_; }

 private:
  // False for a file member whose sizes the package cannot hold (checked before anyone
  // allocates for it).
  bool Plausible(const PackageEntry& e) const;
  void LogDamagedMember() const;

  // The package file stays open from the first member read until Open, Close or CloseHandle,
  // so reading many members does not open and measure the file for each.
  class Handle;
  std::unique_ptr<Handle> handle_;
  int64_t handleSize_ = -1;

  const PackageNode* current_ = nullptr;
  std::unique_ptr<PackageNode> root_;
  std::string path_;
  uint32_t dataBase_ = 0;
  uint64_t fileSize_ = 0;
  mutable GameLog log_;
};

// Decodes one compressed chunk into exactly outSize bytes (at most 65,536). False when the
// stream is damaged: it runs out of input, or a copy reaches past the bytes produced or past
// outSize. Never reads or writes out of bounds.
bool DecodeChunk(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize);

}  // namespace isora
