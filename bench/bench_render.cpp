// The renderer's hot paths, each beside memcpy of the same bytes measured in the same run. The
// summary at the end prints every path as a ratio of CPU time to its reference (CPU time, as
// the build machines are shared) (targets: plain blit within
// 1.5×, keyed blit within 3×).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench_support.h"
#include "lib/bmp_writer.h"
#include "media/bmp_reader.h"
#include "media/renderer.h"
#include "media/surface.h"

namespace isora {
namespace {

constexpr int kW = 640, kH = 480;

Surface MakeLayer(int w, int h, bool keyed) {
  Surface s(w, h);
  uint32_t seed = 12345;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      seed = seed * 1103515245 + 12345;
      uint16_t v = static_cast<uint16_t>(seed >> 16);
      // Roughly a third of a sprite layer is transparent, in runs as real pictures have.
      if (keyed && ((x / 24 + y / 16) % 3 == 0)) v = kColorKey565;
      s.Set(x, y, v == kColorKey565 && !keyed ? 0 : v);
    }
  if (keyed) s.SetColorKey(kColorKey565);
  return s;
}

// Reference: memcpy of the 640×480 16-bit bytes as one block.
void BM_Memcpy640x480(benchmark::State& state) {
  std::vector<uint8_t> a(kW * kH * 2, 1), b(kW * kH * 2);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * a.size());
}
BENCHMARK(BM_Memcpy640x480);

// Reference: memcpy of the same 480 rows out of a 3200-pixel-wide layer.
void BM_MemcpyRowsFromLayer(benchmark::State& state) {
  Surface layer = MakeLayer(3200, 1600, false);
  Surface back(kW, kH);
  for (auto _ : state) {
    for (int y = 0; y < kH; ++y) std::memcpy(back.Row(y), layer.Row(500 + y) + 1000, kW * 2);
    benchmark::DoNotOptimize(back.Pixels());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kW * kH * 2);
}
BENCHMARK(BM_MemcpyRowsFromLayer);

void BM_PlainBlitFromLayer(benchmark::State& state) {
  Surface layer = MakeLayer(3200, 1600, false);
  Surface back(kW, kH);
  for (auto _ : state) {
    back.BltFast(0, 0, layer, Rect{1000, 500, 1000 + kW, 500 + kH}, kBltNoColorKey);
    benchmark::DoNotOptimize(back.Pixels());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kW * kH * 2);
}
BENCHMARK(BM_PlainBlitFromLayer);

void BM_KeyedBlit640x480(benchmark::State& state) {
  Surface sprite = MakeLayer(kW, kH, true);
  Surface back = MakeLayer(kW, kH, false);
  for (auto _ : state) {
    back.BltFast(0, 0, sprite, sprite.Bounds(), kBltSrcColorKey);
    benchmark::DoNotOptimize(back.Pixels());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kW * kH * 2);
}
BENCHMARK(BM_KeyedBlit640x480);

Renderer& SharedRenderer() {
  static Renderer* r = [] {
    auto* renderer = new Renderer();
    renderer->Init();
    Surface src = MakeLayer(kW, kH, false);
    renderer->GetSurface(kSurfaceBackBuffer)->BltFast(0, 0, src, src.Bounds(), kBltNoColorKey);
    return renderer;
  }();
  return *r;
}

void BM_Brighten640x480(benchmark::State& state) {
  Renderer& r = SharedRenderer();
  for (auto _ : state) r.Brighten(kSurfaceBackBuffer, Rect{0, 0, kW, kH});
  state.SetBytesProcessed(state.iterations() * kW * kH * 2);
}
BENCHMARK(BM_Brighten640x480);

void BM_Grey640x480(benchmark::State& state) {
  Renderer& r = SharedRenderer();
  for (auto _ : state) r.Grey(kSurfaceBackBuffer, Rect{0, 0, kW, kH});
  state.SetBytesProcessed(state.iterations() * kW * kH * 2);
}
BENCHMARK(BM_Grey640x480);

void BM_Blend50_640x480(benchmark::State& state) {
  Renderer& r = SharedRenderer();
  bool black = false;
  for (auto _ : state) {
    r.Blend50(kSurfaceBackBuffer, Rect{0, 0, kW, kH}, black);
    black = !black;
  }
  state.SetBytesProcessed(state.iterations() * kW * kH * 2);
}
BENCHMARK(BM_Blend50_640x480);

void BM_DrawText60Chars(benchmark::State& state) {
  Renderer& r = SharedRenderer();
  const std::string text = "The quick brown fox jumps over the lazy dog, twice: 1234567.";
  for (auto _ : state) r.DrawText(text, 320, 200, kSurfaceBackBuffer, kTaCenter, 0xFFFFFF);
}
BENCHMARK(BM_DrawText60Chars);

std::vector<uint8_t> Bmp640x480() {
  BmpImage img = BmpImage::Filled(kW, kH, 0);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) img.Set(x, y, static_cast<uint32_t>(x * 977 + y * 131) & 0xFFFFFF);
  return WriteBmp24(img);
}

// Reference: memcpy of the BMP file's bytes.
void BM_MemcpyBmpBytes(benchmark::State& state) {
  std::vector<uint8_t> file = Bmp640x480(), copy(file.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), file.data(), file.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * file.size());
}
BENCHMARK(BM_MemcpyBmpBytes);

void BM_DecodeBmp24_640x480(benchmark::State& state) {
  std::vector<uint8_t> file = Bmp640x480();
  Surface dst(kW, kH);
  for (auto _ : state) {
    DrawBmp(file, dst, 0, 0);
    benchmark::DoNotOptimize(dst.Pixels());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * file.size());
}
BENCHMARK(BM_DecodeBmp24_640x480);

// Prints the figures as ratios once every benchmark has run.
class RatioReporter : public bench::TimesReporter {
 public:
  void Finalize() override {
    ConsoleReporter::Finalize();
    const std::pair<const char*, const char*> pairs[] = {
        {"BM_PlainBlitFromLayer", "BM_MemcpyRowsFromLayer"},
        {"BM_PlainBlitFromLayer", "BM_Memcpy640x480"},
        {"BM_KeyedBlit640x480", "BM_Memcpy640x480"},
        {"BM_Brighten640x480", "BM_Memcpy640x480"},
        {"BM_Grey640x480", "BM_Memcpy640x480"},
        {"BM_Blend50_640x480", "BM_Memcpy640x480"},
        {"BM_DrawText60Chars", "BM_Memcpy640x480"},
        {"BM_DecodeBmp24_640x480", "BM_MemcpyBmpBytes"},
    };
    std::printf("\nRatios of CPU time to memcpy of the same bytes (same run):\n");
    for (auto [path, ref] : pairs)
      if (times.count(path) && times.count(ref) && times[ref] > 0)
        std::printf("  %-24s / %-24s = %6.2fx\n", path, ref, times[path] / times[ref]);
  }
};

}  // namespace
}  // namespace isora

int main(int argc, char** argv) {
  isora::RatioReporter reporter;
  return isora::bench::RunBenchmarks(argc, argv, reporter);
}
