#include "media/wav_reader.h"

#include <algorithm>

#include "foundation/byte_io.h"

namespace isora {

namespace {
constexpr size_t kHeaderBytes = 44;
constexpr uint32_t kTailBytes = 800;  // the end of the buffer that receives no samples
bool Fail(std::string* error, const char* why) {
  if (error) *error = why;
  return false;
}
}  // namespace

bool BuildWavSound(std::span<const uint8_t> file, WavSound* out, std::string* error) {
  *out = WavSound{};
  if (file.size() < kHeaderBytes) return Fail(error, "shorter than a WAV header");
  ByteReader r(file);
  r.Seek(4);
  out->riffSize = r.U32();
  r.Seek(20);
  WaveFormat& f = out->format;
  f.formatTag = r.U16();
  f.channels = r.U16();
  f.samplesPerSec = r.U32();
  f.avgBytesPerSec = r.U32();
  f.blockAlign = r.U16();
  f.bitsPerSample = r.U16();
  if (f.formatTag != 1 || (f.channels != 1 && f.channels != 2) ||
      (f.bitsPerSample != 8 && f.bitsPerSample != 16) || f.samplesPerSec < 100 ||
      f.samplesPerSec > 200000 || f.blockAlign != f.channels * f.bitsPerSample / 8)
    return Fail(error, "unsupported wave format");

  // The buffer is R bytes, but never more than the file itself holds.
  uint32_t size = static_cast<uint32_t>(std::min<uint64_t>(out->riffSize, file.size()));
  out->buffer.assign(size, f.bitsPerSample == 8 ? 0x80 : 0x00);
  if (out->riffSize > kTailBytes) {
    uint64_t want = std::min<uint64_t>(out->riffSize - kTailBytes, size);
    uint64_t copy = std::min<uint64_t>(want, file.size() - kHeaderBytes);
    std::copy_n(file.begin() + kHeaderBytes, copy, out->buffer.begin());
    out->copiedBytes = static_cast<uint32_t>(copy);
  }
  return true;
}

}  // namespace isora
