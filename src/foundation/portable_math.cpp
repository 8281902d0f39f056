#include "foundation/portable_math.h"

#include <cmath>
#include <limits>

// Only +, -, *, / and sqrt (all correctly rounded by IEEE 754) and exact scaling are used, in a
// fixed order, so every platform computes the same bits. Series coefficients are decimal
// literals, which every compiler rounds to the same double.
namespace isora::pmath {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kPio2 = 1.5707963267948966;
constexpr double kPio6 = 0.5235987755982989;
// pi/2 split so that n * kPio2Hi is exact for n < 2^20 (Cody and Waite's reduction).
constexpr double kPio2Hi = 1.5707963267341256;
constexpr double kPio2Lo = 6.077100506506192e-11;
constexpr double kTwoOverPi = 0.6366197723675814;
constexpr double kSqrt3 = 1.7320508075688772;
constexpr double kTanPi12 = 0.2679491924311227;
constexpr double kSqrtHalf = 0.7071067811865476;
// ln 2 split the same way for Exp and Log.
constexpr double kLn2Hi = 0.6931471804855391;
constexpr double kLn2Lo = 7.440617110012397e-11;
constexpr double kInvLn2 = 1.4426950408889634;

// sin r and cos r for |r| <= pi/4: Taylor series to r^17 and r^18 (the next term is below
// 2^-60 of the result).
double SinKernel(double r) {
  const double z = r * r;
  double p = -1.0 / 355687428096000.0;  // -1/17!
  p = p * z + 1.0 / 1307674368000.0;    // 1/15!
  p = p * z - 1.0 / 6227020800.0;       // -1/13!
  p = p * z + 1.0 / 39916800.0;         // 1/11!
  p = p * z - 1.0 / 362880.0;           // -1/9!
  p = p * z + 1.0 / 5040.0;             // 1/7!
  p = p * z - 1.0 / 120.0;
  p = p * z + 1.0 / 6.0;
  return r - r * z * p;
}

double CosKernel(double r) {
  const double z = r * r;
  double p = -1.0 / 6402373705728000.0;  // -1/18!
  p = p * z + 1.0 / 20922789888000.0;    // 1/16!
  p = p * z - 1.0 / 87178291200.0;       // -1/14!
  p = p * z + 1.0 / 479001600.0;         // 1/12!
  p = p * z - 1.0 / 3628800.0;           // -1/10!
  p = p * z + 1.0 / 40320.0;             // 1/8!
  p = p * z - 1.0 / 720.0;
  p = p * z + 1.0 / 24.0;
  // 1 - z/2 + z^2 p, with the rounding of 1 - z/2 carried into the small part.
  const double hz = 0.5 * z;
  const double w = 1.0 - hz;
  return w + (((1.0 - w) - hz) + z * z * p);
}

// x = n * pi/2 + r with |r| <= about pi/4; returns n modulo 4.
int Reduce(double x, double* r) {
  const double n = std::nearbyint(x * kTwoOverPi);
  *r = (x - n * kPio2Hi) - n * kPio2Lo;
  const long long q = static_cast<long long>(n);
  return static_cast<int>(q & 3);
}

// atan x for 0 <= x <= tan(pi/12): the series to x^29.
double AtanKernel(double x) {
  const double z = x * x;
  double p = 0.0;
  for (int k = 29; k >= 3; k -= 2) p = p * z + ((k & 2) ? -1.0 : 1.0) / k;
  return x + x * z * p;
}

}  // namespace

double Sin(double x) {
  if (!std::isfinite(x)) return std::numeric_limits<double>::quiet_NaN();
  if (std::fabs(x) < 0x1p-26) return x;
  double r;
  switch (Reduce(x, &r)) {
    case 0:
      return SinKernel(r);
    case 1:
      return CosKernel(r);
    case 2:
      return -SinKernel(r);
    default:
      return -CosKernel(r);
  }
}

double Cos(double x) {
  if (!std::isfinite(x)) return std::numeric_limits<double>::quiet_NaN();
  double r;
  switch (Reduce(x, &r)) {
    case 0:
      return CosKernel(r);
    case 1:
      return -SinKernel(r);
    case 2:
      return -CosKernel(r);
    default:
      return SinKernel(r);
  }
}

double Atan(double x) {
  if (std::isnan(x)) return x;
  const bool negative = std::signbit(x);
  double a = std::fabs(x);
  const bool inverted = a > 1.0;
  if (inverted) a = 1.0 / a;  // atan a = pi/2 - atan(1/a)
  double result;
  if (a > kTanPi12) {
    // atan a = pi/6 + atan((a sqrt3 - 1) / (a + sqrt3))
    result = kPio6 + AtanKernel((a * kSqrt3 - 1.0) / (a + kSqrt3));
  } else {
    result = AtanKernel(a);
  }
  if (inverted) result = kPio2 - result;
  return negative ? -result : result;
}

double Atan2(double y, double x) {
  if (std::isnan(x) || std::isnan(y)) return x + y;
  const bool yNegative = std::signbit(y);
  double result;
  if (y == 0.0) {
    result = std::signbit(x) ? kPi : 0.0;
  } else if (x == 0.0) {
    result = kPio2;
  } else if (std::isinf(x) && std::isinf(y)) {
    result = x > 0 ? kPio2 / 2 : 3 * kPio2 / 2;
  } else {
    const double t = Atan(std::fabs(y) / std::fabs(x));
    result = x > 0 ? t : kPi - t;
  }
  return yNegative ? -result : result;
}

double Exp(double x) {
  if (std::isnan(x)) return x;
  if (x > 709.782712893384) return std::numeric_limits<double>::infinity();
  if (x < -745.1332191019412) return 0.0;
  const double n = std::nearbyint(x * kInvLn2);
  const double r = (x - n * kLn2Hi) - n * kLn2Lo;  // |r| <= ln2/2
  // e^r = 1 + r (1 + r/2 (1 + r/3 (...))), the series to r^17.
  double p = 1.0;
  for (int k = 17; k >= 1; --k) p = 1.0 + p * r / k;
  return std::ldexp(p, static_cast<int>(n));
}

double Log(double x) {
  if (std::isnan(x) || x < 0) return std::numeric_limits<double>::quiet_NaN();
  if (x == 0) return -std::numeric_limits<double>::infinity();
  if (std::isinf(x)) return x;
  int e;
  double m = std::frexp(x, &e);  // x = m 2^e, m in [0.5, 1)
  if (m < kSqrtHalf) {
    m *= 2;
    --e;
  }
  // log m = 2 atanh f, f = (m - 1) / (m + 1), |f| <= 0.172: the series to f^31.
  const double f = (m - 1.0) / (m + 1.0);
  const double z = f * f;
  double p = 0.0;
  for (int k = 31; k >= 3; k -= 2) p = p * z + 1.0 / k;
  const double logM = 2.0 * f + 2.0 * f * z * p;
  return e * kLn2Hi + (e * kLn2Lo + logM);
}

double Pow(double x, double y) {
  if (y == 0.0 || x == 1.0) return 1.0;
  if (std::isnan(x) || std::isnan(y)) return x + y;
  const bool integral = std::nearbyint(y) == y;
  if (x < 0.0) {
    if (!integral) return std::numeric_limits<double>::quiet_NaN();
    const bool odd = std::fmod(std::fabs(y), 2.0) == 1.0;
    const double v = Pow(-x, y);
    return odd ? -v : v;
  }
  if (x == 0.0) return y > 0 ? 0.0 : std::numeric_limits<double>::infinity();
  if (integral && std::fabs(y) <= 64) {
    // Small whole powers by squaring: exact where the result fits, as callers expect.
    double result = 1.0, base = x;
    for (long long n = static_cast<long long>(std::fabs(y)); n > 0; n >>= 1) {
      if (n & 1) result *= base;
      base *= base;
    }
    return y < 0 ? 1.0 / result : result;
  }
  return Exp(y * Log(x));
}

double Hypot(double x, double y) {
  if (std::isinf(x) || std::isinf(y)) return std::numeric_limits<double>::infinity();
  return std::sqrt(x * x + y * y);
}

}  // namespace isora::pmath
