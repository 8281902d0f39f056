#include "media/jpeg_writer.h"

#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "foundation/file_io.h"

namespace isora {

std::vector<uint8_t> ScreenshotPixels(const Surface& backBuffer) {
  const int w = backBuffer.Width(), h = backBuffer.Height();
  std::vector<uint8_t> out(static_cast<size_t>(w) * h * 3);
  uint8_t* o = out.data();
  for (int y = 0; y < h; ++y) {
    const uint16_t* row = backBuffer.Row(y);
    for (int x = 0; x < w; ++x) {
      unsigned p = row[x];
      *o++ = static_cast<uint8_t>(p * 8 % 256);
      *o++ = static_cast<uint8_t>(p / 8 % 256);
      *o++ = static_cast<uint8_t>(p / 256 % 256);
    }
  }
  return out;
}

namespace {

constexpr int kMaxSide = 65500;  // the largest side a JPEG frame header can hold in practice
constexpr size_t kFirstOutput = 64 * 1024;

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

void OnError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  std::longjmp(err->jump, 1);
}

void Silent(j_common_ptr) {}

// Writes the coded bytes straight into the caller's vector, doubling it when full, so the
// finished file is neither copied out of the encoder's own buffer nor grown from 4 KB each time.
struct VectorDestination {
  jpeg_destination_mgr pub;
  std::vector<uint8_t>* out;

  static void Grow(j_compress_ptr cinfo, size_t used, size_t size) {
    auto* self = reinterpret_cast<VectorDestination*>(cinfo->dest);
    try {
      self->out->resize(size);
    } catch (const std::bad_alloc&) {
      cinfo->err->msg_code = JERR_OUT_OF_MEMORY;
      cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
    }
    self->pub.next_output_byte = self->out->data() + used;
    self->pub.free_in_buffer = size - used;
  }
  static void Init(j_compress_ptr cinfo) {
    auto* self = reinterpret_cast<VectorDestination*>(cinfo->dest);
    Grow(cinfo, 0, std::max(self->out->capacity(), kFirstOutput));
  }
  static boolean Empty(j_compress_ptr cinfo) {
    auto* self = reinterpret_cast<VectorDestination*>(cinfo->dest);
    const size_t size = self->out->size();
    Grow(cinfo, size, size * 2);
    return TRUE;
  }
  static void Term(j_compress_ptr cinfo) {
    auto* self = reinterpret_cast<VectorDestination*>(cinfo->dest);
    self->out->resize(self->out->size() - self->pub.free_in_buffer);
  }
};

// The settings every file of ours is written with: baseline JFIF, YCbCr, luma at full size and
// chroma halved both ways, standard Huffman tables. `raw` means the caller hands over the
// converted and subsampled planes itself.
void Configure(jpeg_compress_struct* cinfo, int width, int height, int quality, bool fastDct,
               bool raw) {
  cinfo->image_width = static_cast<JDIMENSION>(width);
  cinfo->image_height = static_cast<JDIMENSION>(height);
  cinfo->input_components = 3;
  cinfo->in_color_space = raw ? JCS_YCbCr : JCS_EXT_BGR;
  jpeg_set_defaults(cinfo);
  jpeg_set_colorspace(cinfo, JCS_YCbCr);
  jpeg_set_quality(cinfo, quality, TRUE);
  cinfo->comp_info[0].h_samp_factor = 2;
  cinfo->comp_info[0].v_samp_factor = 2;
  cinfo->comp_info[1].h_samp_factor = cinfo->comp_info[1].v_samp_factor = 1;
  cinfo->comp_info[2].h_samp_factor = cinfo->comp_info[2].v_samp_factor = 1;
  cinfo->write_JFIF_header = TRUE;
  // The fast integer transform: the same baseline file, made in about two thirds of the time.
  if (fastDct) cinfo->dct_method = JDCT_IFAST;
  cinfo->optimize_coding = FALSE;
  cinfo->raw_data_in = raw ? TRUE : FALSE;
}

// Feeds the image to a started encoder: `feed(cinfo)` is called until every row is in.
using Feed = void (*)(jpeg_compress_struct* cinfo, void* context);

// Plain C state only between setjmp and longjmp: nothing here has a destructor, and the
// caller owns every buffer.
bool Encode(int width, int height, int quality, bool fastDct, bool raw, Feed feed, void* context,
            std::vector<uint8_t>* out) {
  jpeg_compress_struct cinfo;
  ErrorManager err;
  VectorDestination dest;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.output_message = Silent;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  out->clear();
  dest.out = out;
  dest.pub.init_destination = VectorDestination::Init;
  dest.pub.empty_output_buffer = VectorDestination::Empty;
  dest.pub.term_destination = VectorDestination::Term;
  cinfo.dest = &dest.pub;
  Configure(&cinfo, width, height, quality, fastDct, raw);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) feed(&cinfo, context);
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

struct PackedRows {
  const uint8_t* bgr;
  size_t stride;
};

void FeedPackedRow(jpeg_compress_struct* cinfo, void* context) {
  const auto* p = static_cast<const PackedRows*>(context);
  JSAMPROW row = const_cast<JSAMPROW>(p->bgr + cinfo->next_scanline * p->stride);
  jpeg_write_scanlines(cinfo, &row, 1);
}

// For every 16-bit pixel under the screenshot's byte rule, its Y, Cb and Cr exactly as the
// encoder's own fixed-point conversion gives them: Y in bits 24-31, Cb in bits 0-9 and Cr in
// bits 11-20, so that the four pixels a chroma sample averages add up in one sum without the
// fields running into each other.
const uint32_t* YccTable() {
  static const std::vector<uint32_t> table = [] {
    constexpr int kHalf = 1 << 15, kCenter = 128 << 16;
    std::vector<uint32_t> t(65536);
    for (uint32_t p = 0; p < t.size(); ++p) {
      const int b = (p << 3) & 0xFF, g = (p >> 3) & 0xFF, r = (p >> 8) & 0xFF;
      const int y = (19595 * r + 38470 * g + 7471 * b + kHalf) >> 16;
      const int cb = (-11059 * r - 21709 * g + 32768 * b + kCenter + kHalf - 1) >> 16;
      const int cr = (32768 * r - 27439 * g - 5329 * b + kCenter + kHalf - 1) >> 16;
      t[p] = static_cast<uint32_t>(cb) | static_cast<uint32_t>(cr) << 11 |
             static_cast<uint32_t>(y) << 24;
    }
    return t;
  }();
  return table.data();
}

constexpr uint32_t kChromaField = 0x3FF;
constexpr int kCrShift = 11;

// A chroma sample from the sum of four table entries: the encoder rounds alternately down and
// up along a row (bias 1, 2, 1, 2...).
inline void PutChroma(uint32_t sum, size_t j, uint8_t* cb, uint8_t* cr) {
  const uint32_t bias = 1 + (j & 1);
  sum += bias | bias << kCrShift;
  cb[j] = static_cast<uint8_t>((sum & kChromaField) >> 2);
  cr[j] = static_cast<uint8_t>(((sum >> kCrShift) & kChromaField) >> 2);
}

// The encoder's planes for one band of 16 rows (one row of 16×16 blocks): luma at full size and
// the two chroma planes at half size, each row wide enough for whole blocks.
struct Band {
  int width = 0, height = 0;
  size_t lumaStride = 0, chromaStride = 0;
  std::vector<uint8_t> luma, cb, cr;
  JSAMPROW lumaRows[16], cbRows[8], crRows[8];
  const Surface* surface = nullptr;
  const uint32_t* ycc = nullptr;

  explicit Band(const Surface& s) : width(s.Width()), height(s.Height()), surface(&s) {
    chromaStride = (static_cast<size_t>(width) + 15) / 16 * 8;
    lumaStride = chromaStride * 2;
    luma.resize(lumaStride * 16);
    cb.resize(chromaStride * 8);
    cr.resize(chromaStride * 8);
    for (int i = 0; i < 16; ++i) lumaRows[i] = luma.data() + i * lumaStride;
    for (int i = 0; i < 8; ++i) {
      cbRows[i] = cb.data() + i * chromaStride;
      crRows[i] = cr.data() + i * chromaStride;
    }
    ycc = YccTable();
  }

  // Two pixel rows into two luma rows and one row of each chroma plane. Past the right edge the
  // encoder repeats the last pixel, so the last column stands in for the missing ones.
  void PairOfRows(const uint16_t* __restrict a, const uint16_t* __restrict b,
                  uint8_t* __restrict y0, uint8_t* __restrict y1, uint8_t* __restrict u,
                  uint8_t* __restrict v) const {
    const uint32_t* __restrict t = ycc;
    const size_t pairs = static_cast<size_t>(width) / 2;
    for (size_t j = 0; j < pairs; ++j) {
      const uint32_t e0 = t[a[2 * j]], e1 = t[a[2 * j + 1]];
      const uint32_t e2 = t[b[2 * j]], e3 = t[b[2 * j + 1]];
      y0[2 * j] = static_cast<uint8_t>(e0 >> 24);
      y0[2 * j + 1] = static_cast<uint8_t>(e1 >> 24);
      y1[2 * j] = static_cast<uint8_t>(e2 >> 24);
      y1[2 * j + 1] = static_cast<uint8_t>(e3 >> 24);
      PutChroma(e0 + e1 + e2 + e3, j, u, v);
    }
    const size_t last = static_cast<size_t>(width) - 1;
    const uint32_t ea = t[a[last]], eb = t[b[last]];
    std::memset(y0 + width, static_cast<uint8_t>(ea >> 24), lumaStride - width);
    std::memset(y1 + width, static_cast<uint8_t>(eb >> 24), lumaStride - width);
    if (width % 2) {
      y0[last] = static_cast<uint8_t>(ea >> 24);
      y1[last] = static_cast<uint8_t>(eb >> 24);
    }
    for (size_t j = pairs; j < chromaStride; ++j) PutChroma(2 * (ea + eb), j, u, v);
  }

  // Fills the band that starts at pixel row `top`. Below the last row the encoder repeats the
  // last luma row and the last chroma row.
  void Fill(int top) {
    const int chromaRows = (height + 1) / 2;
    for (int c = 0; c < 8; ++c) {
      const int ci = top / 2 + c;
      if (ci >= chromaRows) break;
      const int ra = 2 * ci, rb = std::min(ra + 1, height - 1);
      PairOfRows(surface->Row(ra), surface->Row(rb), lumaRows[2 * c], lumaRows[2 * c + 1],
                 cbRows[c], crRows[c]);
    }
    for (int r = height - top; r < 16; ++r)
      std::memcpy(lumaRows[r], lumaRows[height - 1 - top], lumaStride);
    for (int c = chromaRows - top / 2; c < 8; ++c) {
      std::memcpy(cbRows[c], cbRows[chromaRows - 1 - top / 2], chromaStride);
      std::memcpy(crRows[c], crRows[chromaRows - 1 - top / 2], chromaStride);
    }
  }
};

void FeedBand(jpeg_compress_struct* cinfo, void* context) {
  auto* band = static_cast<Band*>(context);
  band->Fill(static_cast<int>(cinfo->next_scanline));
  JSAMPARRAY planes[3] = {band->lumaRows, band->cbRows, band->crRows};
  jpeg_write_raw_data(cinfo, planes, 16);
}

// Never through a link or into a FIFO left in the picture's place.
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  return WriteFileAtomic(path, bytes);
}

bool SizeFits(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
}

}  // namespace

bool EncodeJpeg(int width, int height, std::span<const uint8_t> bgr, int quality,
                std::vector<uint8_t>* out, bool fastDct) {
  if (!SizeFits(width, height)) return false;
  if (bgr.size() != static_cast<size_t>(width) * height * 3) return false;
  PackedRows rows{bgr.data(), static_cast<size_t>(width) * 3};
  return Encode(width, height, quality, fastDct, false, FeedPackedRow, &rows, out);
}

bool WriteJpeg(const std::string& path, int width, int height, std::span<const uint8_t> bgr,
               int quality) {
  std::vector<uint8_t> bytes;
  return EncodeJpeg(width, height, bgr, quality, &bytes) && WriteBytes(path, bytes);
}

bool EncodeScreenshot(const Surface& backBuffer, int quality, std::vector<uint8_t>* out) {
  const int width = backBuffer.Width(), height = backBuffer.Height();
  if (!SizeFits(width, height)) return false;
  Band band(backBuffer);
  return Encode(width, height, quality, true, true, FeedBand, &band, out);
}

bool WriteScreenshot(const std::string& path, const Surface& backBuffer, int quality) {
  std::vector<uint8_t> bytes;
  return EncodeScreenshot(backBuffer, quality, &bytes) && WriteBytes(path, bytes);
}

}  // namespace isora
