// Screenshots: baseline JFIF through libjpeg(-turbo), YCbCr, 2×2 chroma subsampling.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "media/surface.h"

namespace isora {

// The 24-bit pixels of a screenshot, blue, green, red, top row first, from each 16-bit pixel p
// as the game builds them: blue = (p × 8) mod 256, green = (p ÷ 8) mod 256, red = (p ÷ 256)
// mod 256.
std::vector<uint8_t> ScreenshotPixels(const Surface& backBuffer);

// Encodes width × height pixels stored blue, green, red (3 bytes each, rows packed) as a
// baseline JPEG, with the exact integer transform unless `fastDct`. False when the sizes are not
// positive or do not match the bytes, or the encoder fails.
bool EncodeJpeg(int width, int height, std::span<const uint8_t> bgr, int quality,
                std::vector<uint8_t>* out, bool fastDct = false);
// Encodes and writes the file (native path); false when the file cannot be written.
bool WriteJpeg(const std::string& path, int width, int height, std::span<const uint8_t> bgr,
               int quality = 75);

// The screenshot in one pass: each band of 16 rows of the back buffer goes by the rule of
// ScreenshotPixels straight into the encoder's luma and subsampled chroma planes, with the
// encoder's own arithmetic, and is encoded with the fast integer transform: the same bytes as
// EncodeJpeg(ScreenshotPixels(...), fastDct), without the 24-bit copy or the encoder's own
// conversion pass. False when the surface is empty or encoding fails.
bool EncodeScreenshot(const Surface& backBuffer, int quality, std::vector<uint8_t>* out);
// Encodes and writes the file (native path); false when the file cannot be written.
bool WriteScreenshot(const std::string& path, const Surface& backBuffer, int quality = 75);

}  // namespace isora
