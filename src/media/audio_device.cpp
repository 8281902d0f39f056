#include "media/audio_device.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

namespace isora::audio {

namespace {
int users = 0;
OutputTap outputTap = nullptr;
void* outputTapContext = nullptr;

void TapPostMix(void*, Uint8* stream, int len) {
  if (outputTap)
    outputTap(outputTapContext, reinterpret_cast<const int16_t*>(stream),
              static_cast<size_t>(len) / sizeof(int16_t));
}
}  // namespace

bool Acquire() {
  if (users > 0) {
    ++users;
    return true;
  }
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  Mix_AllocateChannels(32);
  Mix_SetPostMix(&TapPostMix, nullptr);
  users = 1;
  return true;
}

void Release() {
  if (users == 0) return;
  if (--users > 0) return;
  Mix_HookMusicFinished(nullptr);
  Mix_SetPostMix(nullptr, nullptr);
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool IsOpen() { return users > 0; }

void SetOutputTap(OutputTap tap, void* context) {
  // Setting the post-mix callback takes the mixer's lock: the audio thread is not in it.
  if (users > 0) Mix_SetPostMix(nullptr, nullptr);
  outputTap = tap;
  outputTapContext = context;
  if (users > 0) Mix_SetPostMix(&TapPostMix, nullptr);
}

bool DeviceSpec(int* rate, unsigned short* format, int* channels) {
  if (users == 0) return false;
  Uint16 f = 0;
  if (Mix_QuerySpec(rate, &f, channels) == 0) return false;
  *format = f;
  return true;
}

}  // namespace isora::audio
