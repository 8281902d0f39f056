// The music's bookkeeping.
#include "shell/music_state.h"

#include <utility>

#include "media/music_player.h"

namespace isora {

const std::string& MusicState::ScreenFile(MusicScreen screen) const {
  switch (screen) {
    case MusicScreen::kStart:
      return start_;
    case MusicScreen::kCredits:
      return credits_;
    case MusicScreen::kEnd:
      break;
  }
  return end_;
}

void MusicState::SetScreenFile(MusicScreen screen, std::string file) {
  switch (screen) {
    case MusicScreen::kStart:
      start_ = std::move(file);
      break;
    case MusicScreen::kCredits:
      credits_ = std::move(file);
      break;
    case MusicScreen::kEnd:
      end_ = std::move(file);
      break;
  }
}

bool MusicState::BeginScreenMusic(const std::string& file) {
  if (started_) return false;
  current_ = file;
  started_ = true;
  return true;
}

void MusicState::StartScreenMusic(MusicPlayer& player, Platform* window, const std::string& file,
                                  bool musicOn) {
  if (!BeginScreenMusic(file)) return;
  if (file.empty()) {
    player.Close();
    return;
  }
  if (musicOn && player.Open(window, file)) player.Play(window, true);
}

}  // namespace isora
