// Rain: starting once, the drops' fall and restart, the streaks, and the random sequence.
#include "shell/rain.h"

#include <gtest/gtest.h>

#include "foundation/crand.h"

namespace isora {
namespace {

TEST(Rain, StartsOnceAndStopClearsEverything) {
  CRand::Srand(7);
  Rain rain;
  EXPECT_TRUE(rain.Fall().empty());
  ASSERT_TRUE(rain.Start());
  EXPECT_TRUE(rain.Falling());
  EXPECT_GE(rain.Count(), 50);
  EXPECT_LT(rain.Count(), 200);
  EXPECT_EQ(rain.Drops().size(), static_cast<size_t>(rain.Count()) * 2);
  const std::vector<uint16_t> drops = rain.Drops();
  EXPECT_FALSE(rain.Start());
  EXPECT_EQ(rain.Drops(), drops);
  rain.Stop();
  EXPECT_FALSE(rain.Falling());
  EXPECT_EQ(rain.Count(), 0);
  EXPECT_TRUE(rain.Drops().empty());
  EXPECT_TRUE(rain.Fall().empty());
}

TEST(Rain, StreaksStayOnScreenAndDropsRestartAtTheTopOrTheRightEdge) {
  CRand::Srand(1);
  Rain rain;
  ASSERT_TRUE(rain.Start());
  // One streak for every pair among the first Count values.
  const size_t expected = static_cast<size_t>(rain.Count() + 1) / 2;
  for (int frame = 0; frame < 120; ++frame) {
    std::vector<uint16_t> before = rain.Drops();
    std::vector<RainStreak> streaks = rain.Fall();
    ASSERT_EQ(streaks.size(), expected);
    for (size_t n = 0; n < streaks.size(); ++n) {
      const RainStreak& s = streaks[n];
      ASSERT_GE(s.x1, 0);
      ASSERT_LE(s.x1, 640);
      ASSERT_GE(s.y1, 0);
      ASSERT_LE(s.y1, 479);
      EXPECT_EQ(s.x2, s.x1 <= 7 ? 0 : s.x1 - 8);
      EXPECT_EQ(s.y2, s.y1 >= 473 ? 480 : s.y1 + 8);
      EXPECT_EQ(rain.Drops()[2 * n], s.x1);
      EXPECT_EQ(rain.Drops()[2 * n + 1], s.y1);
      const int oldX = before[2 * n], oldY = before[2 * n + 1];
      if (oldX > 19) {
        EXPECT_EQ(s.x1, oldX - 19);
        EXPECT_EQ(s.y1, oldY + 19 > 479 ? 0 : oldY + 19);
      } else {
        // Off the left edge: on the top row (after its first fall) or on the right edge.
        EXPECT_TRUE(s.y1 == 19 || s.x1 == 640) << frame << " " << n;
      }
    }
  }
}

TEST(Rain, TheSameRandomSequenceGivesTheSameRain) {
  auto run = [] {
    CRand::Srand(12345);
    Rain rain;
    rain.Start();
    std::vector<int> out;
    for (int frame = 0; frame < 40; ++frame) {
      for (const RainStreak& s : rain.Fall()) {
        out.insert(out.end(), {s.x1, s.y1, s.grey ? 1 : 0});
      }
    }
    out.push_back(CRand::Rand());
    return out;
  };
  std::vector<int> first = run();
  EXPECT_EQ(run(), first);
  // Both colours are drawn.
  bool grey = false, white = false;
  for (size_t i = 2; i < first.size() - 1; i += 3) (first[i] ? grey : white) = true;
  EXPECT_TRUE(grey && white);
}

}  // namespace
}  // namespace isora
