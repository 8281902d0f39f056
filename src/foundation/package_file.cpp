#include "foundation/package_file.h"

#include <cstdio>
#include <cstring>
#include <deque>
#include <set>

#include "foundation/byte_io.h"
#include "foundation/file_io.h"
#include "foundation/gbk.h"
#include "foundation/system_hooks.h"
#include "foundation/win_format.h"

namespace isora {
namespace {

constexpr size_t kHeaderSize = 12;
constexpr size_t kRecordSize = 24;
constexpr uint32_t kChunkOutput = 0xC000;
constexpr size_t kMaxChunkOutput = 65536;

class File {
 public:
  explicit File(std::string_view path) : f_(OpenRegularFile(NativePath(path))) {}
  ~File() {
    if (f_) std::fclose(f_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  bool IsOpen() const { return f_ != nullptr; }
  // Size in bytes, or -1 when it cannot be told.
  int64_t Size() {
    if (std::fseek(f_, 0, SEEK_END) != 0) return -1;
    long size = std::ftell(f_);
    std::rewind(f_);
    return size;
  }
  bool ReadExact(void* dst, size_t n) { return n == 0 || std::fread(dst, 1, n, f_) == n; }
  bool Seek(uint64_t pos) { return std::fseek(f_, static_cast<long>(pos), SEEK_SET) == 0; }

 private:
  FILE* f_;
};

// The packages the player has been told about. A package that cannot be read fails every read
// from it, thousands a minute for a picture pack; one box per package is all the player can use,
// and the log keeps every failure.
std::set<std::string>& ReportedPackages() {
  static std::set<std::string> reported;
  return reported;
}

void ReportUnreadable(const std::string& path, const std::string& box, GameLog& log,
                      const char* why) {
  log.Write("cvdk:%s %s.", why, path.c_str());
  if (ReportedPackages().insert(path).second) Hooks::MessageBox(box, {}, MessageBoxIcon::Error);
}

void ShowCannotOpen(const std::string& path, GameLog& log) {
  ReportUnreadable(path, WinFormat(Gbk(u8"无法打开文件%s").c_str(), path.c_str()), log,
                   "cannot open");
}

PackageEntry ParseRecord(const uint8_t* bytes) {
  ByteReader r(bytes, kRecordSize);
  PackageEntry e;
  e.storedSize = r.U32();
  e.unpackedSize = r.U32();
  e.offset = r.U32();
  e.kind = r.U8();
  e.compressed = r.U8();
  e.unused14 = r.U16();
  e.nameLength = r.U32();
  e.unused20 = r.U32();
  return e;
}

// Bits are taken most significant first. The buffer holds `count` valid bits at its top; past
// the end of the input it is fed zeros, and the caller checks Overrun() once the chunk is done.
class BitReader {
 public:
  BitReader(const uint8_t* in, size_t size) : in_(in), size_(size) {}

  // Makes at least 57 bits available.
  inline void Refill() {
    if (pos_ + 8 <= size_) {
      uint64_t v;
      std::memcpy(&v, in_ + pos_, 8);
      v = __builtin_bswap64(v);
      buf_ |= v >> count_;
      pos_ += (63 - count_) >> 3;
      count_ |= 56;
    } else {
      while (count_ <= 56) {
        uint64_t b = pos_ < size_ ? in_[pos_] : 0;
        buf_ |= b << (56 - count_);
        ++pos_;
        count_ += 8;
      }
    }
  }
  inline uint32_t Peek(unsigned n) const { return n ? static_cast<uint32_t>(buf_ >> (64 - n)) : 0; }
  inline void Drop(unsigned n) {
    buf_ <<= n;
    count_ -= n;
  }
  inline uint32_t Take(unsigned n) {
    uint32_t v = Peek(n);
    Drop(n);
    return v;
  }
  inline uint64_t Top() const { return buf_; }
  bool Overrun() const { return pos_ * 8 - count_ > size_ * 8; }

 private:
  const uint8_t* in_;
  size_t size_;
  size_t pos_ = 0;
  uint64_t buf_ = 0;
  unsigned count_ = 0;
};

inline unsigned PositionBits(size_t produced) {
  return produced <= 1 ? 0u : 64u - static_cast<unsigned>(__builtin_clzll(produced - 1));
}

}  // namespace

bool DecodeChunk(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
  if (outSize > kMaxChunkOutput) return false;
  BitReader bits(in, inSize);
  size_t produced = 0;
  while (produced < outSize) {
    bits.Refill();
    if (bits.Top() >> 63 == 0) {
      // Literals are the common case; take up to six from one refill.
      bits.Drop(1);
      out[produced++] = static_cast<uint8_t>(bits.Take(8));
      int more = 5;
      while (more-- > 0 && produced < outSize && bits.Top() >> 63 == 0) {
        bits.Drop(1);
        out[produced++] = static_cast<uint8_t>(bits.Take(8));
      }
      continue;
    }
    bits.Drop(1);
    // Length prefix: k one-bits then a zero; 2 when k is 0, else 2^k + (k bits) + 1.
    unsigned k = static_cast<unsigned>(__builtin_clzll(~bits.Top() | 1));
    if (k > 16) return false;
    bits.Drop(k + 1);
    size_t length = k == 0 ? 2 : (size_t{1} << k) + bits.Take(k) + 1;
    bits.Refill();
    size_t position = bits.Take(PositionBits(produced));
    // The copy runs byte by byte, so it may overlap the bytes it writes; its source must start
    // inside what this chunk has produced and its end must stay inside the chunk.
    if (position >= produced || length > outSize - produced) return false;
    uint8_t* dst = out + produced;
    const uint8_t* src = out + position;
    size_t distance = produced - position;
    if (distance >= length) {
      std::memcpy(dst, src, length);
    } else if (distance == 1) {
      std::memset(dst, *src, length);
    } else {
      for (size_t j = 0; j < length; ++j) dst[j] = src[j];
    }
    produced += length;
  }
  return !bits.Overrun();
}

class PackageFile::Handle {
 public:
  explicit Handle(std::string_view path) : file(path) {}
  File file;
};

PackageFile::PackageFile() : log_("GameEngine.log", false) {}

void PackageFile::ForgetReportedFailures() { ReportedPackages().clear(); }

PackageFile::~PackageFile() = default;

bool PackageFile::Open(std::string_view packagePath) {
  CloseHandle();
  const std::string path(packagePath);
  File file(path);
  if (!file.IsOpen()) {
    ShowCannotOpen(path, log_);
    return false;
  }
  uint8_t header[kHeaderSize];
  int64_t fileSize = file.Size();
  if (fileSize < 0 || !file.ReadExact(header, kHeaderSize) || std::memcmp(header, "VDK1", 4) != 0) {
    ReportUnreadable(
        path,
        WinFormat(Gbk(u8"%s不是合法的Vastel游戏数据包文件，打开失败。").c_str(), path.c_str()),
        log_, "not a package:");
    return false;
  }
  ByteReader hr(header + 4, 8);
  dataBase_ = hr.U32();
  uint32_t rootCount = hr.U32();
  path_ = path;
  fileSize_ = static_cast<uint64_t>(fileSize);
  Close();

  auto root = std::make_unique<PackageNode>();
  root->name = "root";
  root->entry.storedSize = rootCount;
  root->entry.kind = 1;

  // Nodes dropped as duplicates stay alive until their own entries have been read.
  std::vector<std::unique_ptr<PackageNode>> duplicates;
  struct Pending {
    PackageNode* node;
    int depth;
    uint64_t pathBytes;
  };
  std::deque<Pending> queue{{root.get(), 0, root->name.size()}};
  uint64_t pos = kHeaderSize, allPathBytes = 0;
  std::vector<uint8_t> record(kRecordSize);
  std::string name;
  auto damaged = [&](const char* how) {
    log_.Write("cvdk:directory of %s %s,open failed.", path.c_str(), how);
    return false;
  };
  constexpr const char* kPastEnd = "runs past the end of the file";
  while (!queue.empty()) {
    const Pending parent = queue.front();
    PackageNode* node = parent.node;
    queue.pop_front();
    uint32_t count = node->entry.storedSize;
    // Every entry takes at least 25 bytes, so a count the file cannot hold is refused before
    // anything is allocated for it.
    if (uint64_t{count} * (kRecordSize + 1) > fileSize_ - pos) return damaged(kPastEnd);
    for (uint32_t i = 0; i < count; ++i) {
      if (!file.ReadExact(record.data(), kRecordSize)) return damaged(kPastEnd);
      pos += kRecordSize;
      PackageEntry entry = ParseRecord(record.data());
      uint64_t nameBytes = uint64_t{entry.nameLength} + 1;
      if (nameBytes > fileSize_ - pos) return damaged(kPastEnd);
      name.resize(static_cast<size_t>(nameBytes));
      if (!file.ReadExact(name.data(), name.size())) return damaged(kPastEnd);
      pos += nameBytes;
      // The last byte read is the terminator, whatever it holds; an embedded zero ends the name
      // as it would a C string.
      name.resize(static_cast<size_t>(entry.nameLength));
      if (auto z = name.find('\0'); z != std::string::npos) name.resize(z);

      const uint64_t pathBytes = parent.pathBytes + 1 + name.size();
      allPathBytes += pathBytes;
      if (allPathBytes > kMaxPackagePathBytes) return damaged("holds too many path bytes");
      auto child = std::make_unique<PackageNode>();
      child->name = name;
      child->parent = node;
      child->entry = entry;
      PackageNode* raw = child.get();
      auto [it, inserted] = node->children.try_emplace(name, nullptr);
      if (inserted) {
        it->second = std::move(child);
      } else {
        duplicates.push_back(std::move(child));
      }
      if (entry.IsDirectory()) {
        if (parent.depth + 1 >= kMaxPackageDepth) return damaged("nests folders too deeply");
        queue.push_back({raw, parent.depth + 1, pathBytes});
      }
    }
  }
  root_ = std::move(root);
  return true;
}

std::string PackageNode::FullPath() const {
  size_t size = 0;
  for (const PackageNode* n = this; n; n = n->parent) size += n->name.size() + 1;
  std::string out(size - 1, '\\');
  for (const PackageNode* n = this; n; n = n->parent) {
    size -= n->name.size() + 1;
    out.replace(size, n->name.size(), n->name);
  }
  return out;
}

bool PackageFile::Find(std::string_view name) {
  if (!root_) return false;
  const PackageNode* cur = root_.get();
  for (size_t a = 0;;) {
    const size_t b = name.find('\\', a);
    auto it = cur->children.find(name.substr(a, b == std::string_view::npos ? b : b - a));
    if (it == cur->children.end()) return false;
    cur = it->second.get();
    if (b == std::string_view::npos) break;
    a = b + 1;
  }
  current_ = cur;
  return true;
}

bool PackageFile::Plausible(const PackageEntry& e) const {
  if (e.IsDirectory()) return true;
  uint64_t end = uint64_t{dataBase_} + e.offset + e.storedSize;
  if (end > fileSize_) return false;
  if (e.unpackedSize > static_cast<uint32_t>(INT32_MAX)) return false;
  if (!e.compressed) return e.unpackedSize == e.storedSize;
  // Each chunk has at least its 2-byte length and unpacks to at most 0xC000 bytes.
  return uint64_t{e.unpackedSize} <= uint64_t{e.storedSize / 2} * kChunkOutput;
}

void PackageFile::LogDamagedMember() const {
  // Names the package too: the member's path alone does not say which file to replace.
  log_.Write("cvdk:member %s of %s is damaged.", current_->FullPath().c_str(), path_.c_str());
}

int32_t PackageFile::GetSize() const {
  if (!current_) return -1;
  // Callers size their buffer by this; a member the file cannot hold never gets one.
  if (!Plausible(current_->entry)) {
    LogDamagedMember();
    return -1;
  }
  return static_cast<int32_t>(current_->entry.unpackedSize);
}

bool PackageFile::Read(std::span<uint8_t> dst) {
  if (!current_) return false;
  const PackageEntry& e = current_->entry;
  if (e.IsDirectory()) return false;
  if (dst.size() < e.unpackedSize) {
    log_.Write("cvdk:buffer for %s is smaller than the member.", current_->FullPath().c_str());
    return false;
  }

  if (!handle_) {
    auto handle = std::make_unique<Handle>(path_);
    if (!handle->file.IsOpen()) {
      ShowCannotOpen(path_, log_);
      return false;
    }
    handleSize_ = handle->file.Size();
    handle_ = std::move(handle);
  }
  File& file = handle_->file;
  const int64_t fileSize = handleSize_;
  uint64_t start = uint64_t{dataBase_} + e.offset;
  // A member that the file cannot hold is a short read, found before allocating for it.
  if (fileSize < 0 || start + e.storedSize > static_cast<uint64_t>(fileSize) || !file.Seek(start)) {
    log_.Write("cvdk:read error.read size do not equal real size.");
    return false;
  }
  std::vector<uint8_t> stored(e.storedSize);
  if (!file.ReadExact(stored.data(), stored.size())) {
    log_.Write("cvdk:read error.read size do not equal real size.");
    return false;
  }

  uint8_t* out = dst.data();
  if (!e.compressed) {
    if (e.unpackedSize != e.storedSize) {
      LogDamagedMember();
      return false;
    }
    if (!stored.empty()) std::memcpy(out, stored.data(), stored.size());
    return true;
  }

  uint64_t produced = 0, p = 0;
  while (p < stored.size()) {
    uint64_t n =
        produced + kChunkOutput < e.unpackedSize ? kChunkOutput : e.unpackedSize - produced;
    if (p + 2 > stored.size()) break;
    uint32_t length = stored[p] | (uint32_t{stored[p + 1]} << 8);
    p += 2;
    if (p + length > stored.size() ||
        !DecodeChunk(stored.data() + p, length, out + produced, static_cast<size_t>(n))) {
      LogDamagedMember();
      return false;
    }
    p += length;
    produced += n;
  }
  if (produced != e.unpackedSize || p != stored.size()) {
    LogDamagedMember();
    return false;
  }
  return true;
}

std::optional<std::vector<uint8_t>> PackageFile::ReadAll() {
  int32_t size = GetSize();
  if (size < 0) return std::nullopt;
  std::vector<uint8_t> out(static_cast<size_t>(size));
  if (!Read(out)) return std::nullopt;
  return out;
}

std::optional<std::vector<uint8_t>> PackageFile::ReadMember(std::string_view name) {
  if (!Find(name)) return std::nullopt;
  return ReadAll();
}

void PackageFile::Close() {
  CloseHandle();
  root_.reset();
  current_ = nullptr;
}

void PackageFile::CloseHandle() {
  handle_.reset();
  handleSize_ = -1;
}

}  // namespace isora
