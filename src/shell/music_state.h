// What the music is doing: the file playing last, whether the current screen has started its
// own music yet, and the music the start, credits and game-over screens name.
#pragma once

#include <string>

namespace isora {

class MusicPlayer;
class Platform;

// The screens with music of their own, besides the play screen (whose map names it).
enum class MusicScreen { kStart, kCredits, kEnd };

class MusicState {
 public:
  // A screen's music file; empty for none.
  const std::string& ScreenFile(MusicScreen screen) const;
  void SetScreenFile(MusicScreen screen, std::string file);
  // A screen is about to show: when it names music, that starts afresh on its first frame;
  // without, what plays goes on.
  void Cue(MusicScreen screen) {
    if (!ScreenFile(screen).empty()) started_ = false;
  }

  // A screen's first frame: true when its music `file` (empty: none, silence) is still to be
  // started; it then counts as started and current.
  bool BeginScreenMusic(const std::string& file);
  // A screen's first frame with the player: opens and loops `file` once per screen (when music
  // is on). Opening closes what played before, so a screen without music (empty name, or a file
  // that does not open) is silent.
  void StartScreenMusic(MusicPlayer& player, Platform* window, const std::string& file,
                        bool musicOn);
  // The next screen starts its own music.
  void Restart() { started_ = false; }
  // A script played `path` over the current screen.
  void Played(const std::string& path) { current_ = path; }

  bool Started() const { return started_; }
  const std::string& Current() const { return current_; }

 private:
  bool started_ = false;
  std::string current_;
  std::string start_, credits_, end_;
};

}  // namespace isora
