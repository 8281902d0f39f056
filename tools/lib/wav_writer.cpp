#include "lib/wav_writer.h"

#include <cmath>
#include <numbers>

#include "foundation/byte_io.h"
#include "foundation/portable_math.h"

namespace isora {

std::vector<uint8_t> WriteWav(const std::vector<uint8_t>& samples, int channels, int rate,
                              int bitsPerSample) {
  ByteWriter w;
  const uint16_t blockAlign = static_cast<uint16_t>(channels * bitsPerSample / 8);
  w.Bytes("RIFF", 4);
  w.U32(static_cast<uint32_t>(36 + samples.size()));
  w.Bytes("WAVE", 4);
  w.Bytes("fmt ", 4);
  w.U32(16);
  w.U16(1);
  w.U16(static_cast<uint16_t>(channels));
  w.U32(static_cast<uint32_t>(rate));
  w.U32(static_cast<uint32_t>(rate) * blockAlign);
  w.U16(blockAlign);
  w.U16(static_cast<uint16_t>(bitsPerSample));
  w.Bytes("data", 4);
  w.U32(static_cast<uint32_t>(samples.size()));
  w.Bytes(samples.data(), samples.size());
  return w.Take();
}

std::vector<uint8_t> WriteToneWav(double hz, double seconds, int rate, double volume) {
  const int n = static_cast<int>(seconds * rate);
  ByteWriter s;
  for (int i = 0; i < n; ++i) {
    double fade = std::min(1.0, std::min(i, n - i) / (0.01 * rate));  // no clicks at the ends
    double v = pmath::Sin(2 * std::numbers::pi * hz * i / rate) * volume * fade;
    s.I16(static_cast<int16_t>(v * 32767));
  }
  return WriteWav(s.Take(), 1, rate, 16);
}

}  // namespace isora
