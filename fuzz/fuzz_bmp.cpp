// BMP decoding of arbitrary bytes: headers, palettes, bit fields and RLE streams.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "media/bmp_reader.h"
#include "media/device_context.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  isora::Surface s(64, 48);
  isora::DrawBmp(bytes, s, -7, 5);
  isora::Surface s555(16, 16, isora::PixelFormat::Rgb555);
  isora::DeviceContext(s555).SetDIBitsToDevice(3, -2, bytes);
  std::vector<uint32_t> argb;
  int w = 0, h = 0;
  isora::DecodeBmpArgb(bytes, &argb, &w, &h);
  size_t end = 0;
  if (size > 14) isora::DecodeDibArgb(bytes.subspan(14), 8, &argb, &w, &h, &end);
  isora::BmpSize(bytes);
  return 0;
}
