// The mixer has one music stream: SDL_mixer's own music, or a hook that feeds it decoded
// samples. A graph takes it when it starts playing; the one that held it before is told to let
// go (silently: losing the stream is not a completion). Game thread only. Internal to the
// media layer.
#pragma once

namespace isora::music_output {

using LetGo = void (*)(void* holder);

void Take(void* holder, LetGo letGo);
// Gives it up when holder has it.
void Leave(void* holder);

}  // namespace isora::music_output
