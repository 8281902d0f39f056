#include "media/sound.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <cstring>

#include "foundation/file_io.h"
#include "foundation/system_hooks.h"
#include "foundation/win_format.h"
#include "media/audio_device.h"
#include "media/sdl_handles.h"

namespace isora {

namespace {
bool soundInitialized = false;
bool soundEnabled = false;
int effectVolume = kFullVolume;
int musicVolume = kFullVolume;

int MixerVolume(int percent) { return MIX_MAX_VOLUME * percent / kFullVolume; }
int ClampVolume(int percent) {
  return percent < 0 ? 0 : percent > kFullVolume ? kFullVolume : percent;
}
}  // namespace

void SetEffectVolume(int percent) {
  effectVolume = ClampVolume(percent);
  if (audio::IsOpen()) Mix_Volume(-1, MixerVolume(effectVolume));
}
int EffectVolume() { return effectVolume; }

void SetMusicVolume(int percent) {
  musicVolume = ClampVolume(percent);
  if (audio::IsOpen()) Mix_VolumeMusic(MixerVolume(musicVolume));
}
int MusicVolume() { return musicVolume; }

int InitSound(Platform* /*window*/) {
  if (soundInitialized || soundEnabled) return 1;
  if (!audio::Acquire()) {
    soundEnabled = false;
    return 0;
  }
  soundInitialized = true;
  soundEnabled = true;
  return 1;
}

void ShutdownSound() {
  if (!soundInitialized) return;
  soundInitialized = false;
  audio::Release();
}

void SetSoundEnabled(bool enabled) { soundEnabled = enabled; }
bool IsSoundEnabled() { return soundEnabled; }
bool IsSoundInitialized() { return soundInitialized; }

// The samples converted to the device's format, and the chunk that plays them. Holds the
// device open for as long as it lives.
class SoundChunk {
 public:
  ~SoundChunk() {
    if (chunk_ && channel_ >= 0 && Mix_GetChunk(channel_) == chunk_.get())
      Mix_HaltChannel(channel_);
  }

  bool Build(const WavSound& sound) {
    if (!device_.Acquire()) return false;
    int rate = 0, channels = 0;
    Uint16 format = 0;
    if (!audio::DeviceSpec(&rate, &format, &channels)) return false;
    const WaveFormat& f = sound.format;
    const size_t block = f.blockAlign;
    size_t length = sound.buffer.size() / block * block;
    if (length == 0) length = block;  // a buffer that plays nothing but exists
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, f.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB,
                          static_cast<Uint8>(f.channels), static_cast<int>(f.samplesPerSec), format,
                          static_cast<Uint8>(channels), rate) < 0)
      return false;
    cvt.len = static_cast<int>(length);
    data_.assign(length * static_cast<size_t>(cvt.len_mult), f.bitsPerSample == 8 ? 0x80 : 0);
    std::memcpy(data_.data(), sound.buffer.data(), std::min(length, sound.buffer.size()));
    cvt.buf = data_.data();
    if (cvt.needed && SDL_ConvertAudio(&cvt) != 0) return false;
    const int converted = cvt.needed ? cvt.len_cvt : static_cast<int>(length);
    chunk_.reset(Mix_QuickLoad_RAW(data_.data(), static_cast<Uint32>(converted)));
    return chunk_ != nullptr;
  }

  void Play(bool loop) {
    if (IsPlaying()) Mix_HaltChannel(channel_);
    channel_ = Mix_PlayChannel(-1, chunk_.get(), loop ? -1 : 0);
    if (channel_ >= 0) Mix_Volume(channel_, MixerVolume(effectVolume));
  }
  void Stop() {
    if (IsPlaying()) Mix_HaltChannel(channel_);
  }
  bool IsPlaying() const {
    return channel_ >= 0 && Mix_Playing(channel_) && Mix_GetChunk(channel_) == chunk_.get();
  }

 private:
  // Destroyed in reverse: the chunk, then the samples it plays from, then the device.
  audio::Lease device_;
  std::vector<uint8_t> data_;
  sdl::ChunkPtr chunk_;
  int channel_ = -1;
};

SoundBuffer::SoundBuffer() : log_("GameEngine.log", false) {}
SoundBuffer::~SoundBuffer() = default;

bool SoundBuffer::Load(const std::string& path) {
  if (!soundEnabled) return true;
  auto bytes = ReadFileBytes(NativePath(path));
  if (!bytes) {
    log_.WriteText(WinFormat("[sound]error on opening file %s", path.c_str()));
    return false;
  }
  chunk_.reset();
  sound_ = WavSound{};
  WavSound sound;
  auto chunk = std::make_unique<SoundChunk>();
  if (!BuildWavSound(*bytes, &sound) || !chunk->Build(sound)) {
    log_.WriteText("error on create sound buffer");
    return false;
  }
  sound_ = std::move(sound);
  chunk_ = std::move(chunk);
  return true;
}

void SoundBuffer::Play(int mode) {
  if (!soundEnabled || !chunk_) return;
  chunk_->Play(mode == -1 || (mode & 1));
}

void SoundBuffer::Stop() {
  if (chunk_) chunk_->Stop();
}

bool SoundBuffer::IsPlaying() const { return chunk_ && chunk_->IsPlaying(); }
bool SoundBuffer::HasBuffer() const { return chunk_ != nullptr; }

}  // namespace isora
