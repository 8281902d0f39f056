#include "media/jpeg_writer.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

void OnError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  std::longjmp(err->jump, 1);
}

void Silent(j_common_ptr) {}

// Gives the encoder one row of blue, green, red bytes at a time (and a fourth byte per pixel,
// not looked at, when the encoder is told so).
using RowSource = const uint8_t* (*)(const void* context, int y, uint8_t* scratch);

// Plain C state only between setjmp and longjmp: nothing here has a destructor.
bool Encode(int width, int height, RowSource rows, const void* context, uint8_t* scratch,
            int quality, bool fastest, unsigned char** mem, unsigned long* memSize,
            bool fourBytes = false) {
  jpeg_compress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.output_message = Silent;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, mem, memSize);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = fourBytes ? 4 : 3;
  cinfo.in_color_space = fourBytes ? JCS_EXT_BGRX : JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_colorspace(&cinfo, JCS_YCbCr);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.comp_info[0].h_samp_factor = 2;
  cinfo.comp_info[0].v_samp_factor = 2;
  cinfo.comp_info[1].h_samp_factor = cinfo.comp_info[1].v_samp_factor = 1;
  cinfo.comp_info[2].h_samp_factor = cinfo.comp_info[2].v_samp_factor = 1;
  cinfo.write_JFIF_header = TRUE;
  // The fast integer transform: the same baseline file, made in about two thirds of the time.
  if (fastest) cinfo.dct_method = JDCT_IFAST;
  cinfo.optimize_coding = FALSE;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row =
        const_cast<JSAMPROW>(rows(context, static_cast<int>(cinfo.next_scanline), scratch));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

struct PackedRows {
  const uint8_t* bgr;
  size_t stride;
};

const uint8_t* PackedRow(const void* context, int y, uint8_t*) {
  const auto* p = static_cast<const PackedRows*>(context);
  return p->bgr + static_cast<size_t>(y) * p->stride;
}

// One row of the back buffer in the screenshot's byte rule, converted as the encoder asks:
// blue, green, red and a spare byte per pixel, one 32-bit store each.
const uint8_t* SurfaceRow(const void* context, int y, uint8_t* scratch) {
  const auto* s = static_cast<const Surface*>(context);
  const uint16_t* __restrict row = s->Row(y);
  auto* __restrict o = reinterpret_cast<uint32_t*>(scratch);
  const int width = s->Width();
  for (int x = 0; x < width; ++x) {
    const uint32_t p = row[x];
    o[x] = ((p << 3) & 0xFF) | (((p >> 3) & 0xFF) << 8) | ((p >> 8) << 16);
  }
  return scratch;
}

bool Finish(bool ok, unsigned char* mem, unsigned long memSize, std::vector<uint8_t>* out) {
  ok = ok && mem;
  if (ok) out->assign(mem, mem + memSize);
  std::free(mem);
  return ok;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  return ok;
}

}  // namespace

bool EncodeJpeg(int width, int height, std::span<const uint8_t> bgr, int quality,
                std::vector<uint8_t>* out) {
  if (width <= 0 || height <= 0 || width > 65500 || height > 65500) return false;
  if (bgr.size() != static_cast<size_t>(width) * height * 3) return false;
  unsigned char* mem = nullptr;
  unsigned long memSize = 0;
  const PackedRows rows{bgr.data(), static_cast<size_t>(width) * 3};
  const bool ok = Encode(width, height, PackedRow, &rows, nullptr, quality, false, &mem, &memSize);
  return Finish(ok, mem, memSize, out);
}

bool WriteJpeg(const std::string& path, int width, int height, std::span<const uint8_t> bgr,
               int quality) {
  std::vector<uint8_t> bytes;
  return EncodeJpeg(width, height, bgr, quality, &bytes) && WriteBytes(path, bytes);
}

bool EncodeScreenshot(const Surface& backBuffer, int quality, std::vector<uint8_t>* out) {
  const int width = backBuffer.Width(), height = backBuffer.Height();
  if (width <= 0 || height <= 0 || width > 65500 || height > 65500) return false;
  std::vector<uint32_t> row(static_cast<size_t>(width));
  unsigned char* mem = nullptr;
  unsigned long memSize = 0;
  const bool ok =
      Encode(width, height, SurfaceRow, &backBuffer, reinterpret_cast<uint8_t*>(row.data()),
             quality, true, &mem, &memSize, true);
  return Finish(ok, mem, memSize, out);
}

bool WriteScreenshot(const std::string& path, const Surface& backBuffer, int quality) {
  std::vector<uint8_t> bytes;
  return EncodeScreenshot(backBuffer, quality, &bytes) && WriteBytes(path, bytes);
}

}  // namespace isora
