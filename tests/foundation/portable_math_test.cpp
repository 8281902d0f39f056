// The platform-independent elementary functions: close to the C library's, exact where the
// callers rely on it, and the same bits on every platform.
#include "foundation/portable_math.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

namespace isora {
namespace {

// Distance in units of the last place (b's).
double Ulps(double a, double b) {
  if (a == b) return 0;
  const double ulp = std::nextafter(std::fabs(b), INFINITY) - std::fabs(b);
  return std::fabs(a - b) / ulp;
}

TEST(PortableMath, StaysWithinAFewUlpsOfTheCLibraryOverTheRangesGamesUse) {
  uint32_t seed = 7;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) / 16777216.0;
  };
  double worst[8] = {};
  for (int i = 0; i < 200000; ++i) {
    const double x = (next() - 0.5) * 64, y = (next() - 0.5) * 64, p = next() * 4;
    // Sin and Cos are measured against the result's size only where it is not near a zero,
    // whose last place is arbitrarily small.
    if (std::fabs(std::sin(x)) > 1e-3)
      worst[0] = std::max(worst[0], Ulps(pmath::Sin(x), std::sin(x)));
    if (std::fabs(std::cos(x)) > 1e-3)
      worst[1] = std::max(worst[1], Ulps(pmath::Cos(x), std::cos(x)));
    worst[2] = std::max(worst[2], Ulps(pmath::Atan(x), std::atan(x)));
    worst[3] = std::max(worst[3], Ulps(pmath::Atan2(y, x), std::atan2(y, x)));
    worst[4] = std::max(worst[4], Ulps(pmath::Exp(x), std::exp(x)));
    worst[5] = std::max(worst[5], Ulps(pmath::Log(std::fabs(x)), std::log(std::fabs(x))));
    worst[6] = std::max(worst[6], Ulps(pmath::Pow(std::fabs(x), p), std::pow(std::fabs(x), p)));
    worst[7] = std::max(worst[7], Ulps(pmath::Hypot(x, y), std::hypot(x, y)));
  }
  EXPECT_LE(worst[0], 2) << "Sin";
  EXPECT_LE(worst[1], 2) << "Cos";
  EXPECT_LE(worst[2], 3) << "Atan";
  EXPECT_LE(worst[3], 4) << "Atan2";
  EXPECT_LE(worst[4], 2) << "Exp";
  EXPECT_LE(worst[5], 2) << "Log";
  EXPECT_LE(worst[6], 64) << "Pow";  // exp(y log x) loses a little with large exponents
  EXPECT_LE(worst[7], 2) << "Hypot";
}

TEST(PortableMath, QuadrantsSignsAndSpecialValuesAreTheCLibrarys) {
  const double inf = std::numeric_limits<double>::infinity();
  const double pi = std::numbers::pi;
  // Every quadrant of Atan2, the axes and both zeros.
  EXPECT_DOUBLE_EQ(pmath::Atan2(1, 1), pi / 4);
  EXPECT_DOUBLE_EQ(pmath::Atan2(1, -1), 3 * pi / 4);
  EXPECT_DOUBLE_EQ(pmath::Atan2(-1, -1), -3 * pi / 4);
  EXPECT_DOUBLE_EQ(pmath::Atan2(-1, 1), -pi / 4);
  EXPECT_EQ(pmath::Atan2(0.0, -1), pi);
  EXPECT_EQ(pmath::Atan2(-0.0, -1), -pi);
  EXPECT_EQ(pmath::Atan2(2, 0), pi / 2);
  EXPECT_EQ(pmath::Atan2(-2, 0), -pi / 2);
  EXPECT_TRUE(std::signbit(pmath::Atan2(-0.0, 1)));
  EXPECT_EQ(pmath::Atan(inf), pi / 2);
  EXPECT_EQ(pmath::Atan(-inf), -pi / 2);
  EXPECT_TRUE(std::isnan(pmath::Sin(inf)));
  EXPECT_TRUE(std::isnan(pmath::Cos(std::nan(""))));
  EXPECT_TRUE(std::isnan(pmath::Log(-1)));
  EXPECT_EQ(pmath::Log(0), -inf);
  EXPECT_EQ(pmath::Log(1), 0);
  EXPECT_EQ(pmath::Exp(0), 1);
  EXPECT_EQ(pmath::Exp(1000), inf);
  EXPECT_EQ(pmath::Exp(-1000), 0);
  EXPECT_EQ(pmath::Hypot(-inf, 1), inf);
  // Whole powers are exact; odd powers of negatives keep the sign; fractional ones have none.
  EXPECT_EQ(pmath::Pow(2, 10), 1024);
  EXPECT_EQ(pmath::Pow(2, -2), 0.25);
  EXPECT_EQ(pmath::Pow(-3, 3), -27);
  EXPECT_EQ(pmath::Pow(-3, 2), 9);
  EXPECT_TRUE(std::isnan(pmath::Pow(-2, 0.5)));
  EXPECT_EQ(pmath::Pow(0, 2), 0);
  EXPECT_EQ(pmath::Pow(0, -1), inf);
  EXPECT_EQ(pmath::Pow(7, 0), 1);
  // Tiny arguments come back unchanged, as the C library's do.
  EXPECT_EQ(pmath::Sin(1e-10), 1e-10);
  EXPECT_EQ(pmath::Cos(0), 1);
}

// These bits are what every platform must compute: the Windows build is checked against the
// Linux one through them, and a change here changes the demo's art and sounds.
TEST(PortableMath, GivesPinnedBitsForValuesTheDemoAndTheMapUse) {
  struct Pin {
    double value;
    uint64_t bits;
  };
  const Pin pins[] = {
      {pmath::Atan(0.5), 0x3FDDAC670561BB50ull},  // the map's cell-edge slope
      {pmath::Sin(1.0), 0x3FEAED548F090CEEull},
      {pmath::Cos(1.0), 0x3FE14A280FB5068Cull},
      {pmath::Pow(2.0, 7.0 / 12.0), 0x3FF7F910D768CFB0ull},
      {pmath::Exp(1.0), 0x4005BF0A8B14576Aull},
  };
  for (const Pin& p : pins) {
    EXPECT_EQ(std::bit_cast<uint64_t>(p.value), p.bits) << std::hexfloat << p.value;
  }
}

}  // namespace
}  // namespace isora
