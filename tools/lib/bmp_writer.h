// BMP files for tests and the demo content builder: 24-bit, 8-bit palette and the other
// depths the decoder reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace isora {

// 0x00RRGGBB pixels, top row first.
struct BmpImage {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  void Set(int x, int y, uint32_t rgb) { pixels[static_cast<size_t>(y) * width + x] = rgb; }
  static BmpImage Filled(int w, int h, uint32_t rgb);
};

// A 24-bit bottom-up BMP (the game's usual picture).
std::vector<uint8_t> WriteBmp24(const BmpImage& image);
// A top-down 24-bit BMP (negative height).
std::vector<uint8_t> WriteBmp24TopDown(const BmpImage& image);
// A palette BMP of 1, 4 or 8 bits: the palette holds the image's distinct colours in order of
// first appearance; false (empty result) when there are more than 2^bits of them.
std::vector<uint8_t> WriteBmpPalette(const BmpImage& image, int bits);
// A 16-bit BMP: 5-5-5 without compression, or 5-6-5 with bit fields.
std::vector<uint8_t> WriteBmp16(const BmpImage& image, bool rgb565);
// A 32-bit BMP (x8r8g8b8, no compression).
std::vector<uint8_t> WriteBmp32(const BmpImage& image);

}  // namespace isora
