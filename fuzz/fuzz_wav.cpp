// The sound buffer's WAV rules on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "media/wav_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  isora::WavSound sound;
  if (isora::BuildWavSound({data, size}, &sound)) {
    // The buffer never outgrows the file, and what was copied came from inside it.
    if (sound.buffer.size() > size || sound.copiedBytes > sound.buffer.size() ||
        sound.copiedBytes + 44 > size + 0)
      std::abort();
  }
  return 0;
}
