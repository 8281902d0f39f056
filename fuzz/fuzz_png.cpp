// Hand-drawn PNG pictures as the build converts them.
#include <cstddef>
#include <cstdint>
#include <span>

#include "lib/art_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  isora::BmpImage image;
  std::string error;
  if (isora::demo::DecodePng(std::span<const uint8_t>(data, size), image, &error))
    isora::WriteBmp24(image);
  return 0;
}
