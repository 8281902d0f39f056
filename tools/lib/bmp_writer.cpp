#include "lib/bmp_writer.h"

#include <algorithm>

#include "foundation/byte_io.h"

namespace isora {

namespace {

// File header and a 40-byte info header; the palette, masks and pixels follow.
void WriteHeaders(ByteWriter& w, int width, int height, int bits, uint32_t compression,
                  uint32_t extraBytes, uint32_t colors, uint32_t imageBytes) {
  uint32_t offset = 14 + 40 + extraBytes;
  w.U8('B');
  w.U8('M');
  w.U32(offset + imageBytes);
  w.U32(0);
  w.U32(offset);
  w.U32(40);
  w.I32(width);
  w.I32(height);
  w.U16(1);
  w.U16(static_cast<uint16_t>(bits));
  w.U32(compression);
  w.U32(imageBytes);
  w.U32(2835);
  w.U32(2835);
  w.U32(colors);
  w.U32(0);
}

uint32_t Stride(int width, int bits) {
  return ((static_cast<uint32_t>(width) * bits + 31) / 32) * 4;
}

std::vector<uint8_t> Write24(const BmpImage& img, bool topDown) {
  ByteWriter w;
  const uint32_t stride = Stride(img.width, 24);
  WriteHeaders(w, img.width, topDown ? -img.height : img.height, 24, 0, 0, 0, stride * img.height);
  for (int r = 0; r < img.height; ++r) {
    int y = topDown ? r : img.height - 1 - r;
    for (int x = 0; x < img.width; ++x) {
      uint32_t p = img.At(x, y);
      w.U8(static_cast<uint8_t>(p));
      w.U8(static_cast<uint8_t>(p >> 8));
      w.U8(static_cast<uint8_t>(p >> 16));
    }
    w.Zeros(stride - static_cast<uint32_t>(img.width) * 3);
  }
  return w.Take();
}

}  // namespace

BmpImage BmpImage::Filled(int w, int h, uint32_t rgb) {
  BmpImage img;
  img.width = w;
  img.height = h;
  img.pixels.assign(static_cast<size_t>(w) * h, rgb);
  return img;
}

std::vector<uint8_t> WriteBmp24(const BmpImage& image) { return Write24(image, false); }
std::vector<uint8_t> WriteBmp24TopDown(const BmpImage& image) { return Write24(image, true); }

std::vector<uint8_t> WriteBmpPalette(const BmpImage& image, int bits) {
  if (bits != 1 && bits != 4 && bits != 8) return {};
  std::vector<uint32_t> palette;
  std::vector<uint8_t> index(image.pixels.size());
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    uint32_t c = image.pixels[i] & 0xFFFFFF;
    auto it = std::find(palette.begin(), palette.end(), c);
    if (it == palette.end()) {
      if (palette.size() >= (1u << bits)) return {};
      palette.push_back(c);
      it = palette.end() - 1;
    }
    index[i] = static_cast<uint8_t>(it - palette.begin());
  }
  if (palette.empty()) palette.push_back(0);
  const uint32_t stride = Stride(image.width, bits);
  ByteWriter w;
  WriteHeaders(w, image.width, image.height, bits, 0, static_cast<uint32_t>(palette.size()) * 4,
               static_cast<uint32_t>(palette.size()), stride * image.height);
  for (uint32_t c : palette) {
    w.U8(static_cast<uint8_t>(c));
    w.U8(static_cast<uint8_t>(c >> 8));
    w.U8(static_cast<uint8_t>(c >> 16));
    w.U8(0);
  }
  for (int r = image.height - 1; r >= 0; --r) {
    std::vector<uint8_t> row(stride, 0);
    for (int x = 0; x < image.width; ++x) {
      uint8_t v = index[static_cast<size_t>(r) * image.width + x];
      int bit = x * bits;
      row[bit / 8] |= static_cast<uint8_t>(v << (8 - bits - bit % 8));
    }
    w.Bytes(row);
  }
  return w.Take();
}

std::vector<uint8_t> WriteBmp16(const BmpImage& image, bool rgb565) {
  const uint32_t stride = Stride(image.width, 16);
  ByteWriter w;
  WriteHeaders(w, image.width, image.height, 16, rgb565 ? 3 : 0, rgb565 ? 12 : 0, 0,
               stride * image.height);
  if (rgb565) {
    w.U32(0xF800);
    w.U32(0x07E0);
    w.U32(0x001F);
  }
  for (int r = image.height - 1; r >= 0; --r) {
    for (int x = 0; x < image.width; ++x) {
      uint32_t p = image.At(x, r);
      uint8_t red = static_cast<uint8_t>(p >> 16), g = static_cast<uint8_t>(p >> 8),
              b = static_cast<uint8_t>(p);
      uint16_t v = rgb565 ? static_cast<uint16_t>(((red >> 3) << 11) | ((g >> 2) << 5) | (b >> 3))
                          : static_cast<uint16_t>(((red >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
      w.U16(v);
    }
    w.Zeros(stride - static_cast<uint32_t>(image.width) * 2);
  }
  return w.Take();
}

std::vector<uint8_t> WriteBmp32(const BmpImage& image) {
  ByteWriter w;
  WriteHeaders(w, image.width, image.height, 32, 0, 0, 0,
               static_cast<uint32_t>(image.width) * 4 * image.height);
  for (int r = image.height - 1; r >= 0; --r)
    for (int x = 0; x < image.width; ++x) w.U32(image.At(x, r) & 0xFFFFFF);
  return w.Take();
}

}  // namespace isora
