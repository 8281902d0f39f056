// Owning handles for SDL and SDL_mixer objects: each is destroyed by its own free function when
// its owner lets go of it, so no path (a failed creation, a window closed early, shutdown) has
// to remember to do it.
#pragma once

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <memory>

namespace isora::sdl {

// Calls Free on a non-null handle.
template <auto Free>
struct Deleter {
  template <typename T>
  void operator()(T* handle) const {
    if (handle) Free(handle);
  }
};

using WindowPtr = std::unique_ptr<SDL_Window, Deleter<SDL_DestroyWindow>>;
using RendererPtr = std::unique_ptr<SDL_Renderer, Deleter<SDL_DestroyRenderer>>;
using TexturePtr = std::unique_ptr<SDL_Texture, Deleter<SDL_DestroyTexture>>;
using SurfacePtr = std::unique_ptr<SDL_Surface, Deleter<SDL_FreeSurface>>;
using CursorPtr = std::unique_ptr<SDL_Cursor, Deleter<SDL_FreeCursor>>;
using ChunkPtr = std::unique_ptr<Mix_Chunk, Deleter<Mix_FreeChunk>>;
using ControllerPtr = std::unique_ptr<SDL_GameController, Deleter<SDL_GameControllerClose>>;
using MusicPtr = std::unique_ptr<Mix_Music, Deleter<Mix_FreeMusic>>;

// An initialised SDL subsystem, shut down with its owner.
class Subsystem {
 public:
  Subsystem() = default;
  ~Subsystem() { Quit(); }
  Subsystem(const Subsystem&) = delete;
  Subsystem& operator=(const Subsystem&) = delete;

  // False (SDL_GetError() tells why) when the subsystem cannot be started.
  bool Init(Uint32 flags) {
    if (flags_) return true;
    if (SDL_InitSubSystem(flags) != 0) return false;
    flags_ = flags;
    return true;
  }
  void Quit() {
    if (flags_) SDL_QuitSubSystem(flags_);
    flags_ = 0;
  }
  bool Ready() const { return flags_ != 0; }

 private:
  Uint32 flags_ = 0;
};

}  // namespace isora::sdl
