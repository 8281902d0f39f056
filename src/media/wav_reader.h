// The sound effects' WAV rules: the canonical 44-byte header is taken as it stands, no chunk is
// searched for. R is the 32-bit value at byte 4, the wave format is the structure at byte 20
// and the samples start at byte 44.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace isora {

// The wave format structure at byte 20 (WAVEFORMATEX without its extra bytes).
struct WaveFormat {
  uint16_t formatTag = 0;  // 1 = PCM
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
};

// A sound buffer's contents built from a WAV file.
struct WavSound {
  WaveFormat format;
  // R bytes (bounded by the file's real size): the first R − 800 bytes are the samples from
  // byte 44 (as many as the file holds), the rest silence.
  std::vector<uint8_t> buffer;
  uint32_t riffSize = 0;     // R as stored
  uint32_t copiedBytes = 0;  // sample bytes taken from the file
};

// Builds the buffer. False, with *error set, when the file is shorter than its 44-byte header
// or its format is not 8- or 16-bit PCM with 1 or 2 channels and a sane rate and block size.
// A file whose R is 800 or less gives a buffer with no samples copied.
bool BuildWavSound(std::span<const uint8_t> file, WavSound* out, std::string* error = nullptr);

}  // namespace isora
