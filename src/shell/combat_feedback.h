// What a fight shows beyond the classic screen: the damage of each hit rising from whoever took
// it, a short flash of the hero when he is hit, and a warning when his health runs low. Drawn
// into the back buffer, so screenshots and replays hold it like any other pixel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/surface.h"

namespace isora {

class Renderer;

class CombatFeedback {
 public:
  // Numbers rise one pixel a frame for this many frames.
  static constexpr int kRiseFrames = 24;
  static constexpr int kFlashFrames = 3;
  static constexpr size_t kMostNumbers = 24;
  // Health at or below this share of the limit (in percent) is low.
  static constexpr int kLowHealthPercent = 25;

  // A hit of `amount` on a role standing at map point `at`; onHero: the hero took it.
  void Hit(Point at, int amount, bool onHero);
  // One frame passes: numbers rise and fade out, the flash runs down. Returns true when the
  // hero's health has just fallen low (hp, maxHp of this frame), so the caller warns once.
  bool Step(int32_t hp, int32_t maxHp);
  void Draw(Renderer& renderer, Point camera) const;
  bool HeroFlashing() const { return flash_ > 0; }
  // Whether the hero's health bar is lit this frame (it pulses while health is low).
  bool HealthBarLit() const { return low_ && (frame_ / 6) % 2 == 0; }
  void Clear();

 private:
  struct Number {
    Point at;
    int age = 0;
    std::string text;
    ColorRef color = 0;
  };
  std::vector<Number> numbers_;
  int flash_ = 0;
  bool low_ = false;
  uint32_t frame_ = 0;
};

}  // namespace isora
