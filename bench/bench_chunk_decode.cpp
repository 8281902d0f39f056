// The package chunk decoder against zlib inflate on the same image-like data, in one run; also
// reports the compressed size of both (zlib at level 6).
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "foundation/byte_io.h"
#include "foundation/package_file.h"
#include "lib/chunk_encoder.h"

namespace {

using isora::kPackageChunkSize;

// About 4 MB of 16-bit pictures as the image packs hold them: smooth gradients, textured
// ground with noise, repeated tiles and sprites on the magenta colour key.
std::vector<uint8_t> MakeImageData() {
  constexpr int kWidth = 1024, kHeight = 2048;
  std::vector<uint16_t> px(static_cast<size_t>(kWidth) * kHeight);
  std::mt19937 rng(7);
  auto rgb = [](int r, int g, int b) {
    return static_cast<uint16_t>(((r & 31) << 11) | ((g & 63) << 5) | (b & 31));
  };
  std::vector<uint16_t> tile(64 * 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x)
      tile[static_cast<size_t>(y) * 64 + x] =
          std::abs(x - 32) * 32 + std::abs(y - 16) * 64 > 1024
              ? rgb(31, 0, 31)
              : rgb(8 + x / 8, 20 + y / 4 + static_cast<int>(rng() % 3), 6);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      uint16_t& p = px[static_cast<size_t>(y) * kWidth + x];
      int band = y / 256;
      if (band % 4 == 0) {
        p = rgb(10 + y % 256 / 16, 30 + x / 64, 20);  // gradient sky
      } else if (band % 4 == 1) {
        p = rgb(12 + static_cast<int>(rng() % 3), 30 + static_cast<int>(rng() % 4), 8);  // grass
      } else if (band % 4 == 2) {
        p = tile[static_cast<size_t>(y % 32) * 64 + x % 64];  // repeated tiles
      } else {
        bool sprite = (x / 96 + y / 128) % 2 == 0 &&
                      (x % 96 - 48) * (x % 96 - 48) + (y % 128 - 64) * (y % 128 - 64) < 40 * 40;
        p = sprite ? rgb(20 + x % 7, 10 + (x * y) % 13, 12 + y % 5) : rgb(31, 0, 31);
      }
    }
  }
  std::vector<uint8_t> bytes(px.size() * 2);
  for (size_t i = 0; i < px.size(); ++i) {
    bytes[2 * i] = static_cast<uint8_t>(px[i]);
    bytes[2 * i + 1] = static_cast<uint8_t>(px[i] >> 8);
  }
  return bytes;
}

struct Corpus {
  std::vector<uint8_t> raw;
  std::vector<uint8_t> packed;  // chunks as a package member stores them
  std::vector<uint8_t> zlib;
  Corpus() {
    raw = MakeImageData();
    packed = isora::CompressMember(raw);
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    zlib.resize(size);
    compress2(zlib.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 6);
    zlib.resize(size);
  }
};

const Corpus& Data() {
  static const Corpus corpus;
  return corpus;
}

void BM_ChunkDecode(benchmark::State& state) {
  const Corpus& c = Data();
  std::vector<uint8_t> out(c.raw.size());
  for (auto _ : state) {
    size_t produced = 0, p = 0;
    while (p < c.packed.size()) {
      size_t length = c.packed[p] | (size_t{c.packed[p + 1]} << 8);
      p += 2;
      size_t n = std::min(kPackageChunkSize, out.size() - produced);
      if (!isora::DecodeChunk(c.packed.data() + p, length, out.data() + produced, n))
        state.SkipWithError("decode failed");
      p += length;
      produced += n;
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  if (out != c.raw) state.SkipWithError("decoded bytes differ");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.raw.size()));
}
BENCHMARK(BM_ChunkDecode)->Unit(benchmark::kMillisecond);

void BM_ZlibInflate(benchmark::State& state) {
  const Corpus& c = Data();
  std::vector<uint8_t> out(c.raw.size());
  for (auto _ : state) {
    uLongf size = static_cast<uLongf>(out.size());
    if (uncompress(out.data(), &size, c.zlib.data(), static_cast<uLong>(c.zlib.size())) != Z_OK)
      state.SkipWithError("inflate failed");
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.raw.size()));
}
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  isora::bench::TimesReporter reporter;
  if (int rc = isora::bench::RunBenchmarks(argc, argv, reporter)) return rc;

  const Corpus& c = Data();
  std::printf("\ndata: %zu bytes of 16-bit image-like pixels\n", c.raw.size());
  std::printf("compressed: chunks %zu bytes (%.1f%%), zlib level 6 %zu bytes (%.1f%%)\n",
              c.packed.size(), 100.0 * c.packed.size() / c.raw.size(), c.zlib.size(),
              100.0 * c.zlib.size() / c.raw.size());
  std::printf("size ratio chunks / zlib-6: %.3f\n",
              static_cast<double>(c.packed.size()) / c.zlib.size());
  if (double r = reporter.Ratio("BM_ZlibInflate", "BM_ChunkDecode"); r > 0)
    std::printf(
        "speed ratio (zlib inflate CPU time / chunk decode CPU time): %.2f (target >= 1.0)\n", r);
  return 0;
}
