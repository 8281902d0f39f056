#include "lib/demo_raster.h"

#include <algorithm>
#include <cmath>

#include "foundation/portable_math.h"

namespace isora::demo {

uint64_t Rng::Next() {
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Rng::Uniform() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }

int Rng::Range(int lo, int hi) {
  if (hi <= lo) return lo;
  return lo + static_cast<int>(Next() % static_cast<uint64_t>(hi - lo + 1));
}

uint64_t HashSeed(std::string_view text, uint64_t salt) {
  uint64_t h = 1469598103934665603ull ^ salt;
  for (unsigned char ch : text) h = (h ^ ch) * 1099511628211ull;
  return h;
}

uint32_t Rgb(int r, int g, int b) {
  r = std::clamp(r, 0, 255);
  g = std::clamp(g, 0, 255);
  b = std::clamp(b, 0, 255);
  return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}
int Red(uint32_t c) { return (c >> 16) & 0xFF; }
int Green(uint32_t c) { return (c >> 8) & 0xFF; }
int Blue(uint32_t c) { return c & 0xFF; }

uint32_t Mix(uint32_t a, uint32_t b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  auto lerp = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
  return Rgb(lerp(Red(a), Red(b)), lerp(Green(a), Green(b)), lerp(Blue(a), Blue(b)));
}

uint32_t Shade(uint32_t c, double f) {
  if (f >= 1.0) return Mix(c, 0xFFFFFF, f - 1.0);
  return Mix(0x000000, c, f);
}

uint32_t ParseColour(std::string_view hex) {
  if (!hex.empty() && hex[0] == '#') hex.remove_prefix(1);
  if (hex.size() != 6) return 0x808080;
  uint32_t v = 0;
  for (char ch : hex) {
    int d;
    if (ch >= '0' && ch <= '9')
      d = ch - '0';
    else if (ch >= 'a' && ch <= 'f')
      d = ch - 'a' + 10;
    else if (ch >= 'A' && ch <= 'F')
      d = ch - 'A' + 10;
    else
      return 0x808080;
    v = v * 16 + static_cast<uint32_t>(d);
  }
  return v;
}

uint32_t NotKey(uint32_t c) {
  // In 5-6-5 every colour within a few steps of magenta collapses onto the key.
  if (Red(c) >= 248 && Green(c) <= 3 && Blue(c) >= 248) return Rgb(240, 0, 240);
  return c;
}

namespace {

double Lattice(int ix, int iy, uint64_t seed) {
  uint64_t h = seed ^ (static_cast<uint64_t>(static_cast<uint32_t>(ix)) * 0x9E3779B97F4A7C15ull) ^
               (static_cast<uint64_t>(static_cast<uint32_t>(iy)) * 0xC2B2AE3D27D4EB4Full);
  h = (h ^ (h >> 31)) * 0xBF58476D1CE4E5B9ull;
  h ^= h >> 29;
  return static_cast<double>(h & 0xFFFFFF) / 16777215.0;
}

double Smooth(double t) { return t * t * (3 - 2 * t); }

}  // namespace

double ValueNoise(double x, double y, int cell, int period, uint64_t seed) {
  double fx = x / cell, fy = y / cell;
  int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
  double tx = Smooth(fx - ix), ty = Smooth(fy - iy);
  auto wrap = [period](int v) { return period > 0 ? ((v % period) + period) % period : v; };
  double a = Lattice(wrap(ix), wrap(iy), seed), b = Lattice(wrap(ix + 1), wrap(iy), seed);
  double c = Lattice(wrap(ix), wrap(iy + 1), seed), d = Lattice(wrap(ix + 1), wrap(iy + 1), seed);
  return (a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty;
}

Image NewImage(int w, int h, uint32_t fill) { return BmpImage::Filled(w, h, fill); }

void Put(Image& img, int x, int y, uint32_t c) {
  if (x < 0 || y < 0 || x >= img.width || y >= img.height) return;
  img.Set(x, y, c);
}

uint32_t Get(const Image& img, int x, int y) {
  if (x < 0 || y < 0 || x >= img.width || y >= img.height) return kKey;
  return img.At(x, y);
}

void FillRect(Image& img, int x, int y, int w, int h, uint32_t c) {
  int x0 = std::max(x, 0), y0 = std::max(y, 0);
  int x1 = std::min(x + w, img.width), y1 = std::min(y + h, img.height);
  for (int yy = y0; yy < y1; ++yy)
    for (int xx = x0; xx < x1; ++xx) img.Set(xx, yy, c);
}

void FrameRect(Image& img, int x, int y, int w, int h, uint32_t c, int t) {
  FillRect(img, x, y, w, t, c);
  FillRect(img, x, y + h - t, w, t, c);
  FillRect(img, x, y, t, h, c);
  FillRect(img, x + w - t, y, t, h, c);
}

void VerticalGradient(Image& img, int x, int y, int w, int h, uint32_t top, uint32_t bottom) {
  for (int i = 0; i < h; ++i)
    FillRect(img, x, y + i, w, 1, Mix(top, bottom, h > 1 ? double(i) / (h - 1) : 0.0));
}

void FillEllipse(Image& img, double cx, double cy, double rx, double ry, uint32_t c) {
  if (rx <= 0 || ry <= 0) return;
  int y0 = static_cast<int>(std::floor(cy - ry)), y1 = static_cast<int>(std::ceil(cy + ry));
  for (int y = y0; y <= y1; ++y) {
    double dy = (y + 0.5 - cy) / ry;
    if (dy * dy > 1) continue;
    double half = rx * std::sqrt(1 - dy * dy);
    int xa = static_cast<int>(std::lround(cx - half)),
        xb = static_cast<int>(std::lround(cx + half));
    for (int x = xa; x < xb; ++x) Put(img, x, y, c);
  }
}

void FillCircle(Image& img, double cx, double cy, double r, uint32_t c) {
  FillEllipse(img, cx, cy, r, r, c);
}

void Line(Image& img, double x0, double y0, double x1, double y1, uint32_t c, double thickness) {
  double len = pmath::Hypot(x1 - x0, y1 - y0);
  int steps = std::max(1, static_cast<int>(std::ceil(len * 2)));
  double r = thickness / 2.0;
  for (int i = 0; i <= steps; ++i) {
    double t = double(i) / steps;
    double x = x0 + (x1 - x0) * t, y = y0 + (y1 - y0) * t;
    if (thickness <= 1.0) {
      Put(img, static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)), c);
    } else {
      FillCircle(img, x, y, r, c);
    }
  }
}

void FillPolygon(Image& img, const std::vector<std::pair<double, double>>& pts, uint32_t c) {
  if (pts.size() < 3) return;
  double minY = pts[0].second, maxY = pts[0].second;
  for (auto& p : pts) {
    minY = std::min(minY, p.second);
    maxY = std::max(maxY, p.second);
  }
  std::vector<double> xs;
  for (int y = static_cast<int>(std::floor(minY)); y <= static_cast<int>(std::ceil(maxY)); ++y) {
    double sy = y + 0.5;
    xs.clear();
    for (size_t i = 0; i < pts.size(); ++i) {
      auto [ax, ay] = pts[i];
      auto [bx, by] = pts[(i + 1) % pts.size()];
      if ((ay <= sy && by > sy) || (by <= sy && ay > sy))
        xs.push_back(ax + (sy - ay) / (by - ay) * (bx - ax));
    }
    std::sort(xs.begin(), xs.end());
    for (size_t i = 0; i + 1 < xs.size(); i += 2) {
      int xa = static_cast<int>(std::lround(xs[i])), xb = static_cast<int>(std::lround(xs[i + 1]));
      for (int x = xa; x < xb; ++x) Put(img, x, y, c);
    }
  }
}

void FillDiamond(Image& img, double cx, double cy, double w, double h, uint32_t c) {
  FillPolygon(img, {{cx, cy - h / 2}, {cx + w / 2, cy}, {cx, cy + h / 2}, {cx - w / 2, cy}}, c);
}

void Bevel(Image& img, int x, int y, int w, int h, uint32_t fill, int depth) {
  FillRect(img, x, y, w, h, fill);
  for (int i = 0; i < depth; ++i) {
    uint32_t light = Shade(fill, 1.45 - 0.1 * i), dark = Shade(fill, 0.55 + 0.1 * i);
    FillRect(img, x + i, y + i, w - 2 * i, 1, light);
    FillRect(img, x + i, y + i, 1, h - 2 * i, light);
    FillRect(img, x + i, y + h - 1 - i, w - 2 * i, 1, dark);
    FillRect(img, x + w - 1 - i, y + i, 1, h - 2 * i, dark);
  }
}

void Blit(Image& dst, const Image& src, int x, int y, bool keyed) {
  for (int yy = 0; yy < src.height; ++yy)
    for (int xx = 0; xx < src.width; ++xx) {
      uint32_t c = src.At(xx, yy);
      if (keyed && c == kKey) continue;
      Put(dst, x + xx, y + yy, c);
    }
}

void Outline(Image& img, uint32_t c) {
  Image copy = img;
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      if (copy.At(x, y) != kKey) continue;
      bool edge = Get(copy, x - 1, y) != kKey || Get(copy, x + 1, y) != kKey ||
                  Get(copy, x, y - 1) != kKey || Get(copy, x, y + 1) != kKey;
      if (edge) img.Set(x, y, c);
    }
}

namespace {

// Classic 5x7 glyphs, column-major, bit 0 at the top, for ASCII 0x20 to 0x7E.
constexpr uint8_t kFont[95][5] = {
    {0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x5F, 0x00, 0x00}, {0x00, 0x07, 0x00, 0x07, 0x00},
    {0x14, 0x7F, 0x14, 0x7F, 0x14}, {0x24, 0x2A, 0x7F, 0x2A, 0x12}, {0x23, 0x13, 0x08, 0x64, 0x62},
    {0x36, 0x49, 0x55, 0x22, 0x50}, {0x00, 0x05, 0x03, 0x00, 0x00}, {0x00, 0x1C, 0x22, 0x41, 0x00},
    {0x00, 0x41, 0x22, 0x1C, 0x00}, {0x08, 0x2A, 0x1C, 0x2A, 0x08}, {0x08, 0x08, 0x3E, 0x08, 0x08},
    {0x00, 0x50, 0x30, 0x00, 0x00}, {0x08, 0x08, 0x08, 0x08, 0x08}, {0x00, 0x60, 0x60, 0x00, 0x00},
    {0x20, 0x10, 0x08, 0x04, 0x02}, {0x3E, 0x51, 0x49, 0x45, 0x3E}, {0x00, 0x42, 0x7F, 0x40, 0x00},
    {0x42, 0x61, 0x51, 0x49, 0x46}, {0x21, 0x41, 0x45, 0x4B, 0x31}, {0x18, 0x14, 0x12, 0x7F, 0x10},
    {0x27, 0x45, 0x45, 0x45, 0x39}, {0x3C, 0x4A, 0x49, 0x49, 0x30}, {0x01, 0x71, 0x09, 0x05, 0x03},
    {0x36, 0x49, 0x49, 0x49, 0x36}, {0x06, 0x49, 0x49, 0x29, 0x1E}, {0x00, 0x36, 0x36, 0x00, 0x00},
    {0x00, 0x56, 0x36, 0x00, 0x00}, {0x00, 0x08, 0x14, 0x22, 0x41}, {0x14, 0x14, 0x14, 0x14, 0x14},
    {0x41, 0x22, 0x14, 0x08, 0x00}, {0x02, 0x01, 0x51, 0x09, 0x06}, {0x32, 0x49, 0x79, 0x41, 0x3E},
    {0x7E, 0x11, 0x11, 0x11, 0x7E}, {0x7F, 0x49, 0x49, 0x49, 0x36}, {0x3E, 0x41, 0x41, 0x41, 0x22},
    {0x7F, 0x41, 0x41, 0x22, 0x1C}, {0x7F, 0x49, 0x49, 0x49, 0x41}, {0x7F, 0x09, 0x09, 0x01, 0x01},
    {0x3E, 0x41, 0x41, 0x51, 0x32}, {0x7F, 0x08, 0x08, 0x08, 0x7F}, {0x00, 0x41, 0x7F, 0x41, 0x00},
    {0x20, 0x40, 0x41, 0x3F, 0x01}, {0x7F, 0x08, 0x14, 0x22, 0x41}, {0x7F, 0x40, 0x40, 0x40, 0x40},
    {0x7F, 0x02, 0x04, 0x02, 0x7F}, {0x7F, 0x04, 0x08, 0x10, 0x7F}, {0x3E, 0x41, 0x41, 0x41, 0x3E},
    {0x7F, 0x09, 0x09, 0x09, 0x06}, {0x3E, 0x41, 0x51, 0x21, 0x5E}, {0x7F, 0x09, 0x19, 0x29, 0x46},
    {0x46, 0x49, 0x49, 0x49, 0x31}, {0x01, 0x01, 0x7F, 0x01, 0x01}, {0x3F, 0x40, 0x40, 0x40, 0x3F},
    {0x1F, 0x20, 0x40, 0x20, 0x1F}, {0x7F, 0x20, 0x18, 0x20, 0x7F}, {0x63, 0x14, 0x08, 0x14, 0x63},
    {0x03, 0x04, 0x78, 0x04, 0x03}, {0x61, 0x51, 0x49, 0x45, 0x43}, {0x00, 0x00, 0x7F, 0x41, 0x41},
    {0x02, 0x04, 0x08, 0x10, 0x20}, {0x41, 0x41, 0x7F, 0x00, 0x00}, {0x04, 0x02, 0x01, 0x02, 0x04},
    {0x40, 0x40, 0x40, 0x40, 0x40}, {0x00, 0x01, 0x02, 0x04, 0x00}, {0x20, 0x54, 0x54, 0x54, 0x78},
    {0x7F, 0x48, 0x44, 0x44, 0x38}, {0x38, 0x44, 0x44, 0x44, 0x20}, {0x38, 0x44, 0x44, 0x48, 0x7F},
    {0x38, 0x54, 0x54, 0x54, 0x18}, {0x08, 0x7E, 0x09, 0x01, 0x02}, {0x08, 0x14, 0x54, 0x54, 0x3C},
    {0x7F, 0x08, 0x04, 0x04, 0x78}, {0x00, 0x44, 0x7D, 0x40, 0x00}, {0x20, 0x40, 0x44, 0x3D, 0x00},
    {0x00, 0x7F, 0x10, 0x28, 0x44}, {0x00, 0x41, 0x7F, 0x40, 0x00}, {0x7C, 0x04, 0x18, 0x04, 0x78},
    {0x7C, 0x08, 0x04, 0x04, 0x78}, {0x38, 0x44, 0x44, 0x44, 0x38}, {0x7C, 0x14, 0x14, 0x14, 0x08},
    {0x08, 0x14, 0x14, 0x18, 0x7C}, {0x7C, 0x08, 0x04, 0x04, 0x08}, {0x48, 0x54, 0x54, 0x54, 0x20},
    {0x04, 0x3F, 0x44, 0x40, 0x20}, {0x3C, 0x40, 0x40, 0x20, 0x7C}, {0x1C, 0x20, 0x40, 0x20, 0x1C},
    {0x3C, 0x40, 0x30, 0x40, 0x3C}, {0x44, 0x28, 0x10, 0x28, 0x44}, {0x0C, 0x50, 0x50, 0x50, 0x3C},
    {0x44, 0x64, 0x54, 0x4C, 0x44}, {0x00, 0x08, 0x36, 0x41, 0x00}, {0x00, 0x00, 0x7F, 0x00, 0x00},
    {0x00, 0x41, 0x36, 0x08, 0x00}, {0x08, 0x08, 0x2A, 0x1C, 0x08},
};

}  // namespace

int TextWidth(std::string_view text, int scale) {
  return text.empty() ? 0 : static_cast<int>(text.size()) * 6 * scale - scale;
}

int TextHeight(int scale) { return 7 * scale; }

void Text(Image& img, int x, int y, std::string_view text, uint32_t c, int scale) {
  for (unsigned char ch : text) {
    int index = (ch >= 0x20 && ch <= 0x7E) ? ch - 0x20 : '?' - 0x20;
    for (int col = 0; col < 5; ++col) {
      uint8_t bits = kFont[index][col];
      for (int row = 0; row < 7; ++row)
        if (bits & (1 << row)) FillRect(img, x + col * scale, y + row * scale, scale, scale, c);
    }
    x += 6 * scale;
  }
}

void TextCentred(Image& img, int cx, int y, std::string_view text, uint32_t c, int scale) {
  Text(img, cx - TextWidth(text, scale) / 2, y, text, c, scale);
}

void TextShadow(Image& img, int cx, int y, std::string_view text, uint32_t c, uint32_t shadow,
                int scale) {
  int s = std::max(1, scale / 2);
  TextCentred(img, cx + s, y + s, text, shadow, scale);
  TextCentred(img, cx, y, text, c, scale);
}

}  // namespace isora::demo
