// The game's effect sounds, each on buffers of its own: a new sound never cuts off one that is
// playing (a shop click during a fight, several monsters biting at once).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "media/sound.h"

namespace isora {

class SoundBank {
 public:
  // Buffers one sound may have playing at once; a further play restarts the oldest.
  static constexpr int kBuffersPerSound = 4;

  // Plays the WAV file (a game path) once. A file that cannot be loaded is logged by its buffer
  // and stays silent.
  void Play(const std::string& path);
  void StopAll();
  // How many of the bank's buffers are playing.
  int Playing() const;

 private:
  struct Entry {
    std::string path;
    std::unique_ptr<SoundBuffer> buffer;
  };
  std::vector<Entry> entries_;
};

}  // namespace isora
