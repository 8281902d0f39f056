// The screen transition: a fade out to black, a fade in from black, or a picture shown with a
// fade in, held, then faded out (the splash pictures and the like).
#pragma once

#include <cstdint>

#include "media/surface.h"
#include "shell/game_mode.h"

namespace isora {

// The state dump prints these numbers.
enum class FadeKind : int32_t { kIn = 0, kOut = 1, kPictureHold = 2 };

// Whether the screen has been faded in since the last fade out; the dump prints the numbers.
enum class FadePhase : int32_t { kDark = 0, kShown = 2 };

class Fade {
 public:
  // Darkness runs from 0 (none) to 31 (black) in steps of 4 a frame.
  static constexpr int32_t kBlack = 31;
  static constexpr int32_t kStep = 4;
  // A held picture fades out once the level climbs from here back to 51.
  static constexpr int32_t kHoldStart = -160;
  static constexpr int32_t kHoldEnd = 51;

  // A fade of the whole screen towards `target`: out from clear, or in from black.
  void Start(bool fadeOut, GameMode target);
  // A picture (the part `source` of it) fading in from black, then held and faded out.
  void StartPicture(const Rect& source, GameMode target);
  // One frame: the level moves on. True when the fade has ended and `Target` is due; a fade in
  // that ends marks the screen shown, a fade out that ends marks it dark.
  bool Advance();
  // A click during a held picture's fade in shows it at once.
  void SkipPictureFadeIn();

  FadeKind Kind() const { return kind_; }
  // The darkness to draw this frame (0 or below: none).
  int32_t Level() const { return level_; }
  bool Rising() const { return rising_; }
  // The part of the saved screen drawn, centred.
  const Rect& Source() const { return source_; }

  // The mode a fade ends in; the panels over the play screen and the boss key keep the mode to
  // go back to here too.
  GameMode Target() const { return target_; }
  void SetTarget(GameMode mode) { target_ = mode; }

  FadePhase Phase() const { return phase_; }
  bool Shown() const { return phase_ == FadePhase::kShown; }
  // A screen drawn without a fade (a failed load back to its panel) counts as shown.
  void MarkShown() { phase_ = FadePhase::kShown; }

 private:
  FadePhase phase_ = FadePhase::kDark;
  FadeKind kind_ = FadeKind::kIn;
  int32_t level_ = 0;
  bool rising_ = false;
  Rect source_ = kScreenRect;
  GameMode target_ = ModeMainMenu;
};

}  // namespace isora
