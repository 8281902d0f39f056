#include "lib/package_writer.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <system_error>

#include "foundation/byte_io.h"
#include "foundation/file_io.h"
#include "foundation/gbk.h"
#include "lib/chunk_encoder.h"

namespace isora {
namespace {

constexpr uint64_t kMaxOffset = 0xFFFFFFFFull;

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t end = path.find('\\', start);
    parts.push_back(path.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return parts;
}

}  // namespace

struct PackageWriter::Node {
  bool isDirectory = true;
  bool compressed = false;
  uint32_t unpackedSize = 0;
  std::vector<uint8_t> stored;
  std::map<std::string, std::unique_ptr<Node>> children;  // by name, byte order
};

PackageWriter::PackageWriter() : root_(std::make_unique<Node>()) {}
PackageWriter::~PackageWriter() = default;
PackageWriter::PackageWriter(PackageWriter&&) noexcept = default;
PackageWriter& PackageWriter::operator=(PackageWriter&&) noexcept = default;

PackageWriter::Node* PackageWriter::Walk(const std::string& memberPath, bool lastIsFile,
                                         std::string* error) {
  std::vector<std::string> parts = SplitPath(memberPath);
  Node* node = root_.get();
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& name = parts[i];
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos) {
      SetError(error, "bad member path '" + memberPath + "'");
      return nullptr;
    }
    bool last = i + 1 == parts.size();
    auto it = node->children.find(name);
    if (last && lastIsFile) {
      if (it != node->children.end()) {
        SetError(error, "member '" + memberPath + "' added twice");
        return nullptr;
      }
      auto child = std::make_unique<Node>();
      child->isDirectory = false;
      Node* raw = child.get();
      node->children.emplace(name, std::move(child));
      return raw;
    }
    if (it == node->children.end()) {
      it = node->children.emplace(name, std::make_unique<Node>()).first;
    } else if (!it->second->isDirectory) {
      SetError(error, "'" + name + "' in '" + memberPath + "' is a file, not a directory");
      return nullptr;
    }
    node = it->second.get();
  }
  return node;
}

bool PackageWriter::AddFile(const std::string& memberPath, std::span<const uint8_t> bytes,
                            bool compress, std::string* error) {
  if (bytes.size() > 0x7FFFFFFF) {
    SetError(error, "member '" + memberPath + "' is too large for a package");
    return false;
  }
  std::vector<uint8_t> packed;
  bool useCompressed = false;
  if (compress && !bytes.empty()) {
    packed = CompressMember(bytes);
    useCompressed = packed.size() < bytes.size();
  }
  uint64_t storedSize = useCompressed ? packed.size() : bytes.size();
  if (dataBytes_ + storedSize > kMaxOffset) {
    SetError(error, "package would pass 4 GiB at '" + memberPath + "'");
    return false;
  }
  Node* node = Walk(memberPath, true, error);
  if (!node) return false;
  node->compressed = useCompressed;
  node->unpackedSize = static_cast<uint32_t>(bytes.size());
  if (useCompressed) {
    node->stored = std::move(packed);
  } else {
    node->stored.assign(bytes.begin(), bytes.end());
  }
  dataBytes_ += storedSize;
  return true;
}

bool PackageWriter::AddDirectory(const std::string& memberPath, std::string* error) {
  return Walk(memberPath, false, error) != nullptr;
}

std::vector<uint8_t> PackageWriter::Build() const {
  // The directory first, breadth-first, as the reader's queue takes it; then the data in the
  // same order.
  ByteWriter dir;
  std::vector<const Node*> files;
  dir.Bytes("VDK1", 4);
  size_t basePos = dir.Size();
  dir.U32(0);
  dir.U32(static_cast<uint32_t>(root_->children.size()));
  uint64_t offset = 0;
  std::deque<const Node*> queue{root_.get()};
  while (!queue.empty()) {
    const Node* node = queue.front();
    queue.pop_front();
    for (const auto& [name, child] : node->children) {
      if (child->isDirectory) {
        dir.U32(static_cast<uint32_t>(child->children.size()));
        dir.U32(0);
        dir.U32(0);
        dir.U8(1);
        dir.U8(0);
        queue.push_back(child.get());
      } else {
        dir.U32(static_cast<uint32_t>(child->stored.size()));
        dir.U32(child->unpackedSize);
        dir.U32(static_cast<uint32_t>(offset));
        dir.U8(0);
        dir.U8(child->compressed ? 1 : 0);
        offset += child->stored.size();
        files.push_back(child.get());
      }
      dir.U16(0);
      dir.U32(static_cast<uint32_t>(name.size()));
      dir.U32(0);
      dir.Bytes(name.data(), name.size());
      dir.U8(0);
    }
  }
  dir.PatchU32(basePos, static_cast<uint32_t>(dir.Size()));
  std::vector<uint8_t> out = dir.Take();
  out.reserve(out.size() + offset);
  for (const Node* f : files) out.insert(out.end(), f->stored.begin(), f->stored.end());
  return out;
}

std::optional<std::vector<uint8_t>> PackDirectory(const std::string& dir, bool compress,
                                                  std::string* error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) {
    SetError(error, "'" + dir + "' is not a directory");
    return std::nullopt;
  }
  // Sorted, so the same folder always gives the same package.
  std::vector<fs::path> paths;
  for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    paths.push_back(it->path());
  if (ec) {
    SetError(error, "cannot list '" + dir + "': " + ec.message());
    return std::nullopt;
  }
  std::sort(paths.begin(), paths.end());

  PackageWriter writer;
  for (const fs::path& p : paths) {
    std::string member;
    for (const auto& part : fs::relative(p, dir, ec)) {
      std::string name = part.string();
      std::string gbk = Utf8ToGbk(name);
      if (GbkToUtf8(gbk) != name || gbk.find('\\') != std::string::npos) {
        SetError(error,
                 "file name '" + p.string() + "' cannot be a member name (GBK only, no backslash)");
        return std::nullopt;
      }
      member += (member.empty() ? "" : "\\") + gbk;
    }
    if (fs::is_directory(p, ec)) {
      if (!writer.AddDirectory(member, error)) return std::nullopt;
      continue;
    }
    if (!fs::is_regular_file(p, ec)) continue;
    auto bytes = ReadFileBytes(p.string(), kMaxOffset);
    if (!bytes) {
      SetError(error, "cannot read '" + p.string() + "'");
      return std::nullopt;
    }
    if (!writer.AddFile(member, *bytes, compress, error)) return std::nullopt;
  }
  return writer.Build();
}

}  // namespace isora
