#include "shell/combat_feedback.h"

#include <algorithm>

#include "media/renderer.h"
#include "shell/screen_drawing.h"

namespace isora {

namespace {

// The colours of the game's texts: red for what the hero loses, yellow for what he deals.
constexpr ColorRef kHeroHurt = MakeColorRef(255, 0, 0);
constexpr ColorRef kDealt = MakeColorRef(255, 255, 0);
constexpr ColorRef kOutline = MakeColorRef(0, 0, 0);
// Numbers start this far above the role's position (about its head).
constexpr int kHeadAbove = 48;

}  // namespace

void CombatFeedback::Hit(Point at, int amount, bool onHero) {
  if (amount <= 0) return;
  if (numbers_.size() >= kMostNumbers) numbers_.erase(numbers_.begin());
  numbers_.push_back(Number{at, 0, std::to_string(amount), onHero ? kHeroHurt : kDealt});
  if (onHero) flash_ = kFlashFrames;
}

bool CombatFeedback::Step(int32_t hp, int32_t maxHp) {
  ++frame_;
  for (Number& n : numbers_) ++n.age;
  std::erase_if(numbers_, [](const Number& n) { return n.age > kRiseFrames; });
  if (flash_ > 0) --flash_;
  const bool low = hp > 0 && maxHp > 0 && int64_t{hp} * 100 <= int64_t{maxHp} * kLowHealthPercent;
  const bool fell = low && !low_;
  low_ = low;
  return fell;
}

void CombatFeedback::Draw(Renderer& renderer, Point camera) const {
  for (const Number& n : numbers_) {
    const int x = n.at.x - camera.x, y = n.at.y - camera.y - kHeadAbove - n.age;
    if (x < -40 || x > kScreenWidth + 40 || y < -20 || y > kScreenHeight) continue;
    DrawOutlined(renderer, n.text, x, y, kSurfaceBackBuffer,
                 {Point{x - 1, y}, Point{x + 1, y}, Point{x, y - 1}, Point{x, y + 1}}, kOutline,
                 n.color);
  }
}

void CombatFeedback::Clear() {
  numbers_.clear();
  flash_ = 0;
  low_ = false;
}

}  // namespace isora
