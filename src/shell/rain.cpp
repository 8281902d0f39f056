// The rain's drops from frame to frame.
#include "shell/rain.h"

#include "foundation/crand.h"
#include "foundation/random_generator.h"
#include "media/surface.h"

namespace isora {

namespace {

constexpr int kFall = 19;   // pixels down and left a frame
constexpr int kStreak = 8;  // the streak's length along each axis

}  // namespace

bool Rain::Start() {
  if (falling_) return false;
  RandomGenerator gen;
  gen.Seed(0);
  count_ = gen.Draw(150) + 50;
  drops_.assign(static_cast<size_t>(count_) * 2, 0);
  // Only the first count values are placed; the rest of the pairs start at the corner.
  for (int i = 0; i < count_; i += 2) {
    drops_[i + 1] = static_cast<uint16_t>(CRand::Rand() % kScreenHeight);
    drops_[i] = static_cast<uint16_t>(CRand::Rand() % kScreenWidth);
  }
  falling_ = true;
  return true;
}

void Rain::Stop() {
  falling_ = false;
  drops_.clear();
  count_ = 0;
}

std::vector<RainStreak> Rain::Fall() {
  std::vector<RainStreak> streaks;
  if (!falling_) return streaks;
  for (int i = 0; i + 1 < static_cast<int>(drops_.size()) && i < count_; i += 2) {
    uint16_t x = drops_[i];
    uint16_t y = drops_[i + 1];
    x = static_cast<uint16_t>(x - kFall);
    // Off the left edge (the subtraction wraps): start again on the top or the right edge.
    if (x == 0 || x > kScreenWidth) {
      x = static_cast<uint16_t>(CRand::Rand() % (2 * kScreenWidth));
      if (x <= kScreenWidth) {
        y = 0;
      } else {
        x = kScreenWidth;
        y = static_cast<uint16_t>(CRand::Rand() % kScreenHeight);
      }
    }
    y = static_cast<uint16_t>(y + kFall);
    if (y > kScreenHeight - 1) y = 0;
    drops_[i] = x;
    drops_[i + 1] = y;
    RainStreak s;
    s.x1 = x;
    s.y1 = y;
    s.x2 = x <= kStreak - 1 ? 0 : x - kStreak;
    s.y2 = y >= kScreenHeight - kStreak + 1 ? kScreenHeight : y + kStreak;
    s.grey = CRand::Rand() % 2 == 0;
    streaks.push_back(s);
  }
  return streaks;
}

}  // namespace isora
