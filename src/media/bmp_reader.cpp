#include "media/bmp_reader.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "foundation/byte_io.h"

namespace isora {

namespace {

constexpr int kMaxSide = 32767;
// Pictures decoded into memory of their own stay below this many pixels (a hostile header
// must not make a small file allocate gigabytes).
constexpr uint64_t kMaxDecodedPixels = uint64_t{64} << 20;

bool Fail(std::string* error, const char* why) {
  if (error) *error = why;
  return false;
}

struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  uint8_t Extract(uint32_t v) const {
    if (bits == 0) return 0;
    uint32_t c = (v & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(c >> (bits - 8));
    // Replicate the high bits so that a full channel reads 255.
    uint32_t out = 0;
    int filled = 0;
    while (filled < 8) {
      out = (out << bits) | c;
      filled += bits;
    }
    return static_cast<uint8_t>(out >> (filled - 8));
  }
  static Channel Of(uint32_t mask) {
    Channel ch;
    ch.mask = mask;
    if (mask == 0) return ch;
    while (!((mask >> ch.shift) & 1)) ++ch.shift;
    while (ch.shift + ch.bits < 32 && ((mask >> (ch.shift + ch.bits)) & 1)) ++ch.bits;
    return ch;
  }
};

// Reads the info header at `at` and the palette after it. pixelOffset is taken from the caller
// (the file header) or, when 0, set to just past the palette (a bare DIB).
bool ParseInfoHeader(std::span<const uint8_t> data, size_t at, BmpInfo* info, std::string* error,
                     int rowsOverride = 0) {
  ByteReader r(data);
  if (!r.Seek(at)) return Fail(error, "truncated header");
  uint32_t headerSize = r.U32();
  if (!r.Ok()) return Fail(error, "truncated header");
  size_t paletteEntrySize = 4;
  uint32_t colorsUsed = 0;
  if (headerSize == 12) {
    info->width = r.U16();
    info->height = r.U16();
    r.U16();
    info->bitCount = r.U16();
    info->compression = 0;
    paletteEntrySize = 3;
  } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 64 ||
             headerSize == 108 || headerSize == 124) {
    info->width = r.I32();
    info->height = r.I32();
    r.U16();  // planes
    info->bitCount = r.U16();
    info->compression = r.U32();
    r.Skip(12);  // image size, resolution
    colorsUsed = r.U32();
    r.U32();  // important colours
    if (headerSize >= 52) {
      info->redMask = r.U32();
      info->greenMask = r.U32();
      info->blueMask = r.U32();
    }
  } else {
    return Fail(error, "unknown info header");
  }
  if (!r.Ok()) return Fail(error, "truncated header");
  if (info->width <= 0 || info->width > kMaxSide || info->height == 0 || info->height < -kMaxSide ||
      info->height > kMaxSide)
    return Fail(error, "bad picture size");
  if (rowsOverride > 0 && rowsOverride < info->Height())
    info->height = info->height < 0 ? -rowsOverride : rowsOverride;

  size_t afterHeader = at + headerSize;
  const int bits = info->bitCount;
  switch (info->compression) {
    case 0:
      if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return Fail(error, "unsupported bit count");
      if (bits == 16) {
        info->redMask = 0x7C00, info->greenMask = 0x03E0, info->blueMask = 0x001F;
      } else if (bits == 32) {
        info->redMask = 0xFF0000, info->greenMask = 0xFF00, info->blueMask = 0xFF;
      }
      break;
    case 1:
    case 2:
      if ((info->compression == 1 && bits != 8) || (info->compression == 2 && bits != 4))
        return Fail(error, "bad RLE bit count");
      if (info->height < 0) return Fail(error, "top-down RLE picture");
      break;
    case 3:
      if (bits != 16 && bits != 32) return Fail(error, "bad bit-field bit count");
      if (headerSize == 40) {
        ByteReader m(data);
        m.Seek(afterHeader);
        info->redMask = m.U32();
        info->greenMask = m.U32();
        info->blueMask = m.U32();
        if (!m.Ok()) return Fail(error, "truncated bit fields");
        afterHeader += 12;
      }
      break;
    default:
      return Fail(error, "unsupported compression");
  }

  info->palette.clear();
  if (bits <= 8) {
    uint32_t maxColors = 1u << bits;
    uint32_t n = (colorsUsed == 0 || colorsUsed > maxColors) ? maxColors : colorsUsed;
    if (headerSize == 12) n = maxColors;
    ByteReader p(data);
    if (!p.Seek(afterHeader) || !p.Has(static_cast<size_t>(n) * paletteEntrySize))
      return Fail(error, "truncated palette");
    info->palette.resize(n);
    for (uint32_t i = 0; i < n; ++i) {
      uint8_t b = p.U8(), g = p.U8(), rr = p.U8();
      if (paletteEntrySize == 4) p.U8();
      info->palette[i] = (uint32_t{rr} << 16) | (uint32_t{g} << 8) | b;
    }
    afterHeader += static_cast<size_t>(n) * paletteEntrySize;
  }
  if (info->pixelOffset == 0) info->pixelOffset = static_cast<uint32_t>(afterHeader);
  info->stride = static_cast<uint32_t>(((static_cast<uint64_t>(info->width) * bits + 31) / 32) * 4);

  if (info->pixelOffset > data.size()) return Fail(error, "pixel data outside the file");
  if (info->compression == 0 || info->compression == 3) {
    // The last row needs only its pixels, not its padding.
    uint64_t lastRow = (static_cast<uint64_t>(info->width) * bits + 7) / 8;
    uint64_t need = static_cast<uint64_t>(info->stride) * (info->Height() - 1) + lastRow;
    if (need > data.size() - info->pixelOffset) return Fail(error, "pixel data outside the file");
  }
  return true;
}

// Calls sink(x, y, argb) for every pixel of rows [y0, y1) and columns [x0, x1) of the picture
// (y counted from the top). RLE pictures call it only for the pixels they code, after a
// fill(argb) of palette entry 0.
template <typename Sink, typename FillFn>
void Decode(const BmpInfo& info, std::span<const uint8_t> data, int x0, int x1, int y0, int y1,
            Sink&& sink, FillFn&& fill) {
  const uint8_t* base = data.data() + info.pixelOffset;
  const int h = info.Height();
  const int bits = info.bitCount;
  auto pal = [&](uint32_t i) -> uint32_t {
    return 0xFF000000u | (i < info.palette.size() ? info.palette[i] : 0u);
  };
  if (info.compression == 1 || info.compression == 2) {
    fill(pal(0));
    const uint8_t* p = base;
    const uint8_t* end = data.data() + data.size();
    int x = 0, row = 0;  // row counts from the bottom
    auto put = [&](uint32_t idx) {
      int y = h - 1 - row;
      if (x >= x0 && x < x1 && y >= y0 && y < y1) sink(x, y, pal(idx));
      ++x;
    };
    const bool rle4 = info.compression == 2;
    while (end - p >= 2 && row < h) {
      uint8_t count = p[0], value = p[1];
      p += 2;
      if (count > 0) {
        for (int i = 0; i < count; ++i)
          put(rle4 ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
      } else if (value == 0) {
        x = 0;
        ++row;
      } else if (value == 1) {
        break;
      } else if (value == 2) {
        if (end - p < 2) break;
        x += p[0];
        row += p[1];
        p += 2;
      } else {
        int n = value;
        size_t bytes = rle4 ? (n + 1) / 2 : n;
        size_t padded = (bytes + 1) & ~size_t{1};
        if (static_cast<size_t>(end - p) < bytes) break;
        for (int i = 0; i < n; ++i)
          put(rle4 ? ((i & 1) ? (p[i / 2] & 0x0F) : (p[i / 2] >> 4)) : p[i]);
        p += std::min(padded, static_cast<size_t>(end - p));
      }
    }
    return;
  }
  Channel cr = Channel::Of(info.redMask), cg = Channel::Of(info.greenMask),
          cb = Channel::Of(info.blueMask);
  for (int y = y0; y < y1; ++y) {
    int stored = info.TopDown() ? y : h - 1 - y;
    const uint8_t* row = base + static_cast<size_t>(stored) * info.stride;
    for (int x = x0; x < x1; ++x) {
      uint32_t argb;
      switch (bits) {
        case 1:
          argb = pal((row[x >> 3] >> (7 - (x & 7))) & 1);
          break;
        case 4:
          argb = pal((x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4));
          break;
        case 8:
          argb = pal(row[x]);
          break;
        case 16: {
          uint32_t v = row[2 * x] | (row[2 * x + 1] << 8);
          argb = 0xFF000000u | (uint32_t{cr.Extract(v)} << 16) | (uint32_t{cg.Extract(v)} << 8) |
                 cb.Extract(v);
          break;
        }
        case 24:
          argb = 0xFF000000u | (uint32_t{row[3 * x + 2]} << 16) | (uint32_t{row[3 * x + 1]} << 8) |
                 row[3 * x];
          break;
        default: {
          const uint8_t* q = row + 4 * x;
          uint32_t v = q[0] | (q[1] << 8) | (q[2] << 16) | (uint32_t{q[3]} << 24);
          argb = (uint32_t{q[3]} << 24) | (uint32_t{cr.Extract(v)} << 16) |
                 (uint32_t{cg.Extract(v)} << 8) | cb.Extract(v);
          break;
        }
      }
      sink(x, y, argb);
    }
  }
}

uint16_t ArgbToPixel(PixelFormat f, uint32_t argb) {
  return PackPixel(f, static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8),
                   static_cast<uint8_t>(argb));
}

}  // namespace

bool ParseBmp(std::span<const uint8_t> file, BmpInfo* info, std::string* error) {
  *info = BmpInfo{};
  if (file.size() < 18 || file[0] != 'B' || file[1] != 'M') return Fail(error, "not a BMP file");
  ByteReader r(file);
  r.Seek(10);
  info->pixelOffset = r.U32();
  if (info->pixelOffset == 0) return Fail(error, "pixel data outside the file");
  return ParseInfoHeader(file, 14, info, error);
}

Size BmpSize(std::span<const uint8_t> file) {
  if (file.size() < 26) return {};
  ByteReader r(file);
  r.Seek(18);
  int32_t w = r.I32(), h = r.I32();
  if (h == INT32_MIN) h = 0;
  return Size{w, h < 0 ? -h : h};
}

bool DrawBmp(std::span<const uint8_t> file, Surface& dst, int x, int y, std::string* error) {
  BmpInfo info;
  if (!ParseBmp(file, &info, error)) return false;
  const int w = info.Width(), h = info.Height();
  Rect area = Rect{x, y, x + w, y + h}.Intersect(dst.Bounds());
  if (area.Empty()) return true;
  dst.MarkInk(area);
  const int x0 = area.left - x, x1 = area.right - x, y0 = area.top - y, y1 = area.bottom - y;
  const PixelFormat f = dst.Format();
  if (info.bitCount == 24 && info.compression == 0) {
    // The common case, kept tight: three bytes in, one packed pixel out.
    const uint8_t* base = file.data() + info.pixelOffset;
    for (int row = y0; row < y1; ++row) {
      int stored = info.TopDown() ? row : h - 1 - row;
      const uint8_t* in = base + static_cast<size_t>(stored) * info.stride + 3 * x0;
      uint16_t* out = dst.Row(y + row) + x + x0;
      const int n = x1 - x0;
      // Four pixels at a time from three aligned-size reads (twelve bytes), and the rest one by
      // one: the conversion is the same shifts for each pixel either way.
      const bool is565 = f == PixelFormat::Rgb565;
      auto pack = [is565](uint32_t bgr) {
        return is565 ? static_cast<uint16_t>(((bgr >> 8) & 0xF800) | ((bgr >> 5) & 0x07E0) |
                                             ((bgr >> 3) & 0x001F))
                     : static_cast<uint16_t>(((bgr >> 9) & 0x7C00) | ((bgr >> 6) & 0x03E0) |
                                             ((bgr >> 3) & 0x001F));
      };
      int i = 0;
      for (; i + 4 <= n; i += 4) {
        uint32_t a, b, c;
        std::memcpy(&a, in + 3 * i, 4);
        std::memcpy(&b, in + 3 * i + 4, 4);
        std::memcpy(&c, in + 3 * i + 8, 4);
        const uint64_t four = uint64_t{pack(a)} | uint64_t{pack(a >> 24 | b << 8)} << 16 |
                              uint64_t{pack(b >> 16 | c << 16)} << 32 |
                              uint64_t{pack(c >> 8)} << 48;
        std::memcpy(out + i, &four, 8);
      }
      for (; i < n; ++i)
        out[i] = pack(uint32_t{in[3 * i]} | uint32_t{in[3 * i + 1]} << 8 |
                      uint32_t{in[3 * i + 2]} << 16);
    }
    return true;
  }
  Decode(
      info, file, x0, x1, y0, y1,
      [&](int px, int py, uint32_t argb) { dst.Row(y + py)[x + px] = ArgbToPixel(f, argb); },
      [&](uint32_t argb) { dst.Fill(area, ArgbToPixel(f, argb)); });
  return true;
}

bool DecodeBmp(std::span<const uint8_t> file, PixelFormat format, Surface* out,
               std::string* error) {
  BmpInfo info;
  if (!ParseBmp(file, &info, error)) return false;
  if (static_cast<uint64_t>(info.Width()) * info.Height() > kMaxDecodedPixels)
    return Fail(error, "picture too large");
  *out = Surface(info.Width(), info.Height(), format);
  return DrawBmp(file, *out, 0, 0, error);
}

namespace {
bool DecodeArgb(const BmpInfo& info, std::span<const uint8_t> data, int rows,
                std::vector<uint32_t>* pixels, int* width, int* height, std::string* error) {
  const int w = info.Width();
  if (static_cast<uint64_t>(w) * rows > kMaxDecodedPixels) return Fail(error, "picture too large");
  pixels->assign(static_cast<size_t>(w) * rows, 0);
  Decode(
      info, data, 0, w, 0, rows,
      [&](int x, int y, uint32_t argb) {
        (*pixels)[static_cast<size_t>(y) * w + x] = info.bitCount == 32 ? argb : argb | 0xFF000000u;
      },
      [&](uint32_t argb) { std::fill(pixels->begin(), pixels->end(), argb); });
  *width = w;
  *height = rows;
  return true;
}
}  // namespace

bool DecodeBmpArgb(std::span<const uint8_t> file, std::vector<uint32_t>* pixels, int* width,
                   int* height, std::string* error) {
  BmpInfo info;
  if (!ParseBmp(file, &info, error)) return false;
  return DecodeArgb(info, file, info.Height(), pixels, width, height, error);
}

bool DecodeDibArgb(std::span<const uint8_t> dib, int rowsOverride, std::vector<uint32_t>* pixels,
                   int* width, int* height, size_t* end, std::string* error) {
  BmpInfo info;
  // A bare DIB has no file header; its pixels follow the palette. Icons store the doubled
  // height of image and mask; the image is the first block of rows.
  if (!ParseInfoHeader(dib, 0, &info, error, rowsOverride)) return false;
  if (info.compression != 0 && info.compression != 3) return Fail(error, "compressed icon");
  const int rows = info.Height();
  if (!DecodeArgb(info, dib, rows, pixels, width, height, error)) return false;
  if (end) *end = info.pixelOffset + static_cast<size_t>(info.stride) * rows;
  return true;
}

}  // namespace isora
