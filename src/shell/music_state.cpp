// The music's bookkeeping.
#include "shell/music_state.h"

#include <utility>

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

}  // namespace isora
