// The fade's level from frame to frame.
#include "shell/fade.h"

namespace isora {

void Fade::Start(bool fadeOut, GameMode target) {
  target_ = target;
  source_ = kScreenRect;
  kind_ = fadeOut ? FadeKind::kOut : FadeKind::kIn;
  level_ = fadeOut ? 0 : kBlack;
  rising_ = fadeOut;
}

void Fade::StartPicture(const Rect& source, GameMode target) {
  source_ = source;
  target_ = target;
  level_ = kBlack;
  rising_ = false;
  kind_ = FadeKind::kPictureHold;
}

bool Fade::Advance() {
  if (rising_) level_ += kStep;
  if (level_ > 0 && !rising_) level_ -= kStep;
  if (level_ >= kBlack &&
      (kind_ == FadeKind::kOut || (kind_ == FadeKind::kPictureHold && level_ >= kHoldEnd))) {
    phase_ = FadePhase::kDark;
    return true;
  }
  if (level_ <= 0 && !rising_) {
    // Black has lifted: a fade in is over; a held picture stays a while, then fades out.
    if (kind_ == FadeKind::kPictureHold) level_ = kHoldStart;
    rising_ = true;
    if (kind_ == FadeKind::kIn) {
      phase_ = FadePhase::kShown;
      return true;
    }
  }
  return false;
}

void Fade::SkipPictureFadeIn() {
  if (kind_ == FadeKind::kPictureHold && level_ > 0 && !rising_) level_ = 0;
}

}  // namespace isora
