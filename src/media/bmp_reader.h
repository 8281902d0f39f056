// BMP pictures (device-independent bitmaps): the header fields the renderer reads, and the
// decoding that stands in for SetDIBitsToDevice. 1, 4, 8, 16 (5-5-5 and bit fields), 24 and 32
// bits per pixel, uncompressed or bit fields, bottom-up or top-down; RLE4/RLE8 as well.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "media/surface.h"

namespace isora {

// The parsed headers of a BMP file (14-byte file header, then an info header of 12, 40, 52,
// 56, 108 or 124 bytes).
struct BmpInfo {
  uint32_t pixelOffset = 0;  // byte 10 of the file
  int32_t width = 0;         // byte 18
  int32_t height = 0;        // byte 22, as stored: negative for top-down
  int bitCount = 0;
  uint32_t compression = 0;  // 0 RGB, 1 RLE8, 2 RLE4, 3 bit fields
  uint32_t redMask = 0, greenMask = 0, blueMask = 0;
  std::vector<uint32_t> palette;  // 0x00RRGGBB entries
  uint32_t stride = 0;            // bytes per stored row (uncompressed)

  int Width() const { return width; }
  int Height() const { return height < 0 ? -height : height; }
  bool TopDown() const { return height < 0; }
};

// Parses and checks the headers of a whole BMP file held in memory: the magic "BM", a known
// info header, a supported depth and compression, sizes that fit in 32767×32767, a palette and
// pixel data that lie inside the bytes. On failure returns false and says why in *error.
bool ParseBmp(std::span<const uint8_t> file, BmpInfo* info, std::string* error = nullptr);

// The width and height at bytes 18 and 22 as the renderer reads them (height made positive);
// {0, 0} when the file is too short to hold them.
Size BmpSize(std::span<const uint8_t> file);

// Decodes the picture onto dst with its top-left corner at (x, y), opaquely, converting to the
// surface's pixel format by truncation. Parts outside dst are cut off. False (nothing drawn)
// when the file is damaged.
bool DrawBmp(std::span<const uint8_t> file, Surface& dst, int x, int y,
             std::string* error = nullptr);

// Decodes the picture into a new surface of its own size in the given format.
bool DecodeBmp(std::span<const uint8_t> file, PixelFormat format, Surface* out,
               std::string* error = nullptr);

// Decodes to 32-bit 0xAARRGGBB pixels, top row first (alpha 255 unless a 32-bit picture with
// an alpha mask or data says otherwise). Used for cursors and tests.
bool DecodeBmpArgb(std::span<const uint8_t> file, std::vector<uint32_t>* pixels, int* width,
                   int* height, std::string* error = nullptr);

// The same for a bare DIB: an info header followed by palette and pixels, as icon and cursor
// resources store it. rowsOverride > 0 decodes only that many rows (icons store a doubled
// height for the mask that follows). *end receives the offset just past the pixel data.
bool DecodeDibArgb(std::span<const uint8_t> dib, int rowsOverride, std::vector<uint32_t>* pixels,
                   int* width, int* height, size_t* end, std::string* error = nullptr);

}  // namespace isora
