// Rain over the play screen: drops that fall 19 pixels down and left a frame, drawn as short
// slanted streaks, each starting again at the top or the right edge once it leaves the screen.
#pragma once

#include <cstdint>
#include <vector>

namespace isora {

// One drop's streak for a frame, from (x1, y1) down-left to (x2, y2), grey or white.
struct RainStreak {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool grey = false;
};

class Rain {
 public:
  // Starts the rain unless it is falling already: the drop count is drawn from the seeded
  // generator, the places from the C random sequence. False when it was falling already.
  bool Start();
  void Stop();
  bool Falling() const { return falling_; }
  // The drop count as drawn (50 to 199); drops are (x, y) pairs.
  int32_t Count() const { return count_; }
  const std::vector<uint16_t>& Drops() const { return drops_; }
  // Moves every drop one frame on and answers the streaks to draw, in drawing order. The C
  // random sequence is used drop by drop, a new place first and the colour last, so a replay
  // sees the same sequence as the frames it recorded.
  std::vector<RainStreak> Fall();

 private:
  bool falling_ = false;
  int32_t count_ = 0;
  std::vector<uint16_t> drops_;
};

}  // namespace isora
