#include "lib/chunk_encoder.h"

#include <cstring>

namespace isora {
namespace {

constexpr unsigned kHashBits = 15;
constexpr int kMaxChain = 256;       // candidates examined per position
constexpr size_t kNiceLength = 258;  // a match this long is taken without looking further
constexpr uint32_t kLiteralBits = 9;

class BitWriter {
 public:
  void Put(uint32_t value, unsigned bits) {
    if (bits == 0) return;
    acc_ = (acc_ << bits) | (value & ((uint64_t{1} << bits) - 1));
    count_ += bits;
    while (count_ >= 8) {
      count_ -= 8;
      out_.push_back(static_cast<uint8_t>(acc_ >> count_));
    }
  }
  std::vector<uint8_t> Finish() {
    if (count_ > 0) out_.push_back(static_cast<uint8_t>(acc_ << (8 - count_)));
    count_ = 0;
    return std::move(out_);
  }

 private:
  uint64_t acc_ = 0;
  unsigned count_ = 0;
  std::vector<uint8_t> out_;
};

// w: the smallest number with 2^w at least the bytes already produced.
unsigned PositionBits(size_t produced) {
  return produced <= 1 ? 0u : 64u - static_cast<unsigned>(__builtin_clzll(produced - 1));
}

// k of the length code: length = 2^k + v + 1, or k = 0 for length 2.
unsigned LengthPrefix(size_t length) {
  return 63u - static_cast<unsigned>(__builtin_clzll(length - 1));
}

uint32_t CopyBits(size_t length, size_t produced) {
  return 1 + 2 * LengthPrefix(length) + 1 + PositionBits(produced);
}

struct Match {
  size_t length = 0;
  size_t position = 0;
};

// Hash chains over 3-byte prefixes, plus the last place of every 2-byte pair for the short
// copies that pay off while positions are still narrow.
class MatchFinder {
 public:
  explicit MatchFinder(std::span<const uint8_t> data)
      : data_(data), head_(size_t{1} << kHashBits, -1), prev_(data.size(), -1), last2_(65536, -1) {}

  // Makes every position below `end` a candidate.
  void InsertUpTo(size_t end) {
    for (; inserted_ < end; ++inserted_) {
      size_t i = inserted_;
      if (i + 3 <= data_.size()) {
        uint32_t h = Hash3(i);
        prev_[i] = head_[h];
        head_[h] = static_cast<int32_t>(i);
      }
      if (i + 2 <= data_.size()) last2_[Pair(i)] = static_cast<int32_t>(i);
    }
  }

  // The longest earlier copy source for position i (copies may overlap i itself).
  Match Find(size_t i) {
    InsertUpTo(i);
    Match best;
    size_t maxLength = data_.size() - i;
    if (i == 0 || maxLength < 2) return best;
    const uint8_t* here = data_.data() + i;
    if (maxLength >= 3) {
      int chain = kMaxChain;
      for (int32_t j = head_[Hash3(i)]; j >= 0 && chain-- > 0; j = prev_[j]) {
        const uint8_t* there = data_.data() + j;
        if (best.length > 0 && there[best.length] != here[best.length]) continue;
        size_t n = 0;
        while (n < maxLength && there[n] == here[n]) ++n;
        if (n > best.length) {
          best = {n, static_cast<size_t>(j)};
          if (n >= kNiceLength || n == maxLength) break;
        }
      }
    }
    if (best.length < 2) {
      int32_t j = last2_[Pair(i)];
      if (j >= 0) best = {2, static_cast<size_t>(j)};
    }
    return best;
  }

 private:
  uint32_t Hash3(size_t i) const {
    uint32_t v = data_[i] | (uint32_t{data_[i + 1]} << 8) | (uint32_t{data_[i + 2]} << 16);
    return (v * 2654435761u) >> (32 - kHashBits);
  }
  uint32_t Pair(size_t i) const { return data_[i] | (uint32_t{data_[i + 1]} << 8); }

  std::span<const uint8_t> data_;
  std::vector<int32_t> head_;
  std::vector<int32_t> prev_;
  std::vector<int32_t> last2_;
  size_t inserted_ = 0;
};

bool Pays(const Match& m, size_t produced) {
  return m.length >= 2 && CopyBits(m.length, produced) < kLiteralBits * m.length;
}

}  // namespace

std::vector<uint8_t> EncodeChunk(std::span<const uint8_t> data) {
  BitWriter bits;
  MatchFinder finder(data);
  auto literal = [&](size_t i) {
    bits.Put(0, 1);
    bits.Put(data[i], 8);
  };
  auto copy = [&](const Match& m, size_t produced) {
    unsigned k = LengthPrefix(m.length);
    bits.Put(1, 1);
    // k one-bits and a zero, then the k low bits of length - 1 (its top bit is implied).
    bits.Put(((1u << k) - 1) << 1, k + 1);
    bits.Put(static_cast<uint32_t>(m.length - 1), k);
    bits.Put(static_cast<uint32_t>(m.position), PositionBits(produced));
  };

  size_t i = 0;
  Match current = finder.Find(0);
  while (i < data.size()) {
    if (!Pays(current, i)) {
      literal(i);
      current = finder.Find(++i);
      continue;
    }
    if (current.length < kNiceLength && i + 1 < data.size()) {
      // Lazy step: a literal now and a copy one byte later may cover more for fewer bits.
      Match next = finder.Find(i + 1);
      if (next.length > current.length && Pays(next, i + 1)) {
        uint64_t costNow = CopyBits(current.length, i);
        uint64_t costLater = kLiteralBits + CopyBits(next.length, i + 1);
        if (costLater * current.length < costNow * (next.length + 1)) {
          literal(i);
          ++i;
          current = next;
          continue;
        }
      }
    }
    copy(current, i);
    i += current.length;
    current = finder.Find(i);
  }
  return bits.Finish();
}

std::vector<uint8_t> CompressMember(std::span<const uint8_t> data) {
  std::vector<uint8_t> out;
  for (size_t start = 0; start < data.size(); start += kPackageChunkSize) {
    size_t n = data.size() - start < kPackageChunkSize ? data.size() - start : kPackageChunkSize;
    std::vector<uint8_t> stream = EncodeChunk(data.subspan(start, n));
    out.push_back(static_cast<uint8_t>(stream.size()));
    out.push_back(static_cast<uint8_t>(stream.size() >> 8));
    out.insert(out.end(), stream.begin(), stream.end());
  }
  return out;
}

}  // namespace isora
