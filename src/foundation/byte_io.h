// Bounds-checked little-endian reading and writing of binary records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace isora {

// Reads little-endian values from a byte span. A read past the end yields zeros and marks the
// reader failed; callers check Ok() once after a record instead of after every field.
class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}
  ByteReader(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data), size) {}

  bool Ok() const { return ok_; }
  size_t Pos() const { return pos_; }
  size_t Size() const { return data_.size(); }
  size_t Remaining() const { return pos_ < data_.size() ? data_.size() - pos_ : 0; }
  bool Has(size_t n) const { return n <= Remaining(); }

  // Moves to an absolute offset; an offset past the end fails the reader.
  bool Seek(size_t pos) {
    if (pos > data_.size()) return Fail();
    pos_ = pos;
    return true;
  }
  bool Skip(size_t n) {
    if (!Has(n)) return Fail();
    pos_ += n;
    return true;
  }

  uint8_t U8() { return static_cast<uint8_t>(ReadLE(1)); }
  uint16_t U16() { return static_cast<uint16_t>(ReadLE(2)); }
  uint32_t U32() { return static_cast<uint32_t>(ReadLE(4)); }
  int8_t I8() { return static_cast<int8_t>(U8()); }
  int16_t I16() { return static_cast<int16_t>(U16()); }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  uint64_t U64() { return ReadLE(8); }
  double F64() {
    uint64_t bits = U64();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }
  float F32() {
    uint32_t bits = U32();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }

  // Copies n bytes; on a short read copies nothing and fails.
  bool Bytes(void* out, size_t n) {
    if (!Has(n)) {
      std::memset(out, 0, n);
      return Fail();
    }
    std::memcpy(out, data_.data() + pos_, n);
    pos_ += n;
    return true;
  }
  std::vector<uint8_t> Bytes(size_t n) {
    if (!Has(n)) {
      Fail();
      return {};
    }
    std::vector<uint8_t> v(data_.begin() + pos_, data_.begin() + pos_ + n);
    pos_ += n;
    return v;
  }
  // A fixed-width, zero-terminated text field of `width` bytes: the bytes up to the first zero
  // (or the whole field when it holds none). The reader always advances by `width`.
  std::string FixedString(size_t width) {
    if (!Has(width)) {
      Fail();
      return {};
    }
    const char* p = reinterpret_cast<const char*>(data_.data() + pos_);
    size_t n = 0;
    while (n < width && p[n] != '\0') ++n;
    pos_ += width;
    return std::string(p, n);
  }
  std::span<const uint8_t> Span(size_t n) {
    if (!Has(n)) {
      Fail();
      return {};
    }
    auto s = data_.subspan(pos_, n);
    pos_ += n;
    return s;
  }

 private:
  bool Fail() {
    ok_ = false;
    pos_ = data_.size();
    return false;
  }
  uint64_t ReadLE(size_t n) {
    if (!Has(n)) {
      Fail();
      return 0;
    }
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= static_cast<uint64_t>(data_[pos_ + i]) << (8 * i);
    pos_ += n;
    return v;
  }

  std::span<const uint8_t> data_;
  size_t pos_ = 0;
  bool ok_ = true;
};

// Appends little-endian values to a growing byte buffer.
class ByteWriter {
 public:
  void U8(uint8_t v) { buf_.push_back(v); }
  void U16(uint16_t v) { WriteLE(v, 2); }
  void U32(uint32_t v) { WriteLE(v, 4); }
  void I8(int8_t v) { U8(static_cast<uint8_t>(v)); }
  void I16(int16_t v) { U16(static_cast<uint16_t>(v)); }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void U64(uint64_t v) { WriteLE(v, 8); }
  void F64(double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    U64(bits);
  }
  void F32(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    U32(bits);
  }
  void Bytes(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    buf_.insert(buf_.end(), b, b + n);
  }
  void Bytes(std::span<const uint8_t> s) { buf_.insert(buf_.end(), s.begin(), s.end()); }
  void Zeros(size_t n) { buf_.insert(buf_.end(), n, 0); }
  // A fixed-width text field: at most width - 1 bytes of the text, then zeros to the width, so
  // the terminator is always kept.
  void FixedString(std::string_view s, size_t width) {
    if (width == 0) return;
    size_t n = s.size() < width - 1 ? s.size() : width - 1;
    Bytes(s.data(), n);
    Zeros(width - n);
  }
  // Overwrites a 32-bit value already written at `pos` (for counts known only afterwards).
  void PatchU32(size_t pos, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) buf_[pos + i] = static_cast<uint8_t>(v >> (8 * i));
  }

  size_t Size() const { return buf_.size(); }
  const std::vector<uint8_t>& Data() const { return buf_; }
  std::vector<uint8_t> Take() { return std::move(buf_); }

 private:
  void WriteLE(uint64_t v, size_t n) {
    for (size_t i = 0; i < n; ++i) buf_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  std::vector<uint8_t> buf_;
};

}  // namespace isora
