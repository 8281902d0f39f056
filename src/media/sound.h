// Sound effects: the process-wide sound state and SoundBuffer, one static buffer of samples per
// object, played through SDL_mixer. Without an audio device the game runs silent.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/game_log.h"
#include "media/wav_reader.h"

namespace isora {

class Platform;

// Opens the default audio device. When already initialised or already enabled returns 1 at
// once; on success marks sound initialised and enabled and returns 1; on failure marks sound
// disabled and returns 0. window may be null.
int InitSound(Platform* window);
// Releases the audio device (errors are reported to the debugger output as "error ->Release!\n").
void ShutdownSound();
void SetSoundEnabled(bool enabled);
bool IsSoundEnabled();
bool IsSoundInitialized();

// The loudness of effects and of music in percent (0 silent to kFullVolume), process-wide;
// changes reach what is playing at once.
constexpr int kFullVolume = 100;
void SetEffectVolume(int percent);
int EffectVolume();
void SetMusicVolume(int percent);
int MusicVolume();

class SoundChunk;

class SoundBuffer {
 public:
  SoundBuffer();
  ~SoundBuffer();
  SoundBuffer(const SoundBuffer&) = delete;
  SoundBuffer& operator=(const SoundBuffer&) = delete;

  // Reads a WAV file (a game path) by the sound rules and makes it this object's buffer. True
  // on success, and true without doing anything when sound is disabled. Logs
  // "[sound]error on opening file %s" or "error on create sound buffer" and returns false.
  bool Load(const std::string& path);
  // When sound is enabled and a buffer exists: rewinds it and plays it; mode -1 or 1 loops,
  // 0 (and any other) plays once. Playing again restarts from the start.
  void Play(int mode);
  void Stop();
  bool IsPlaying() const;
  bool HasBuffer() const;
  // The buffer built by the last successful Load (empty when none).
  const WavSound& Sound() const { return sound_; }

 private:
  GameLog log_;
  WavSound sound_;
  std::unique_ptr<SoundChunk> chunk_;
};

}  // namespace isora
