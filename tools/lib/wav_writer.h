// Canonical 44-byte-header PCM WAV files for tests and the demo content builder.
#pragma once

#include <cstdint>
#include <vector>

namespace isora {

// RIFF size at byte 4, "fmt " of 16 bytes at byte 12 (format at byte 20), "data" at byte 36,
// samples from byte 44.
std::vector<uint8_t> WriteWav(const std::vector<uint8_t>& samples, int channels, int rate,
                              int bitsPerSample);
// A 16-bit mono sine tone.
std::vector<uint8_t> WriteToneWav(double hz, double seconds, int rate = 22050, double volume = 0.3);

}  // namespace isora
