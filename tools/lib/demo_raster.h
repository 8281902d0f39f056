// Drawing primitives for the demo art generators: shapes, gradients, value noise and a small
// built-in bitmap font, on 0x00RRGGBB images where magenta (kKey) is transparent in the game.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "lib/bmp_writer.h"

namespace isora::demo {

constexpr uint32_t kKey = 0xFF00FF;

// Deterministic generator (splitmix64): the demo must build to the same bytes every time.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t Next();
  double Uniform();           // [0, 1)
  int Range(int lo, int hi);  // [lo, hi]
 private:
  uint64_t state_;
};

uint64_t HashSeed(std::string_view text, uint64_t salt = 0);

uint32_t Rgb(int r, int g, int b);
int Red(uint32_t c);
int Green(uint32_t c);
int Blue(uint32_t c);
uint32_t Mix(uint32_t a, uint32_t b, double t);  // t = 0 gives a
uint32_t Shade(uint32_t c, double f);            // f < 1 darkens, > 1 lightens
// "a0c0f0" or "#a0c0f0"; bad text gives grey.
uint32_t ParseColour(std::string_view hex);
// Magenta is reserved for transparency; colours that would read as the key are nudged.
uint32_t NotKey(uint32_t c);

// Smooth value noise in [0, 1] on a grid of `cell` pixels, wrapping every `period` cells so
// textures tile.
double ValueNoise(double x, double y, int cell, int period, uint64_t seed);

using Image = BmpImage;

Image NewImage(int w, int h, uint32_t fill = kKey);
void Put(Image& img, int x, int y, uint32_t c);
uint32_t Get(const Image& img, int x, int y);
void FillRect(Image& img, int x, int y, int w, int h, uint32_t c);
void FrameRect(Image& img, int x, int y, int w, int h, uint32_t c, int thickness = 1);
void VerticalGradient(Image& img, int x, int y, int w, int h, uint32_t top, uint32_t bottom);
void FillEllipse(Image& img, double cx, double cy, double rx, double ry, uint32_t c);
void FillCircle(Image& img, double cx, double cy, double r, uint32_t c);
void Line(Image& img, double x0, double y0, double x1, double y1, uint32_t c,
          double thickness = 1.0);
void FillPolygon(Image& img, const std::vector<std::pair<double, double>>& pts, uint32_t c);
// A diamond centred on (cx, cy) with full width w and height h.
void FillDiamond(Image& img, double cx, double cy, double w, double h, uint32_t c);
// A bevelled panel: fill, light top-left edge, dark bottom-right edge.
void Bevel(Image& img, int x, int y, int w, int h, uint32_t fill, int depth = 2);
// Copies src onto dst at (x, y); with keyed set, kKey pixels of src are skipped.
void Blit(Image& dst, const Image& src, int x, int y, bool keyed = true);
// Black outline around every opaque region (for sprites that must read on any ground).
void Outline(Image& img, uint32_t c);

// The bitmap font: 5x7 glyphs in a 6x8 cell, scaled by an integer factor. Only printable
// ASCII; other bytes draw as '?'.
int TextWidth(std::string_view text, int scale);
int TextHeight(int scale);
void Text(Image& img, int x, int y, std::string_view text, uint32_t c, int scale = 1);
void TextCentred(Image& img, int cx, int y, std::string_view text, uint32_t c, int scale = 1);
// Text with a one-pixel-per-scale shadow below right.
void TextShadow(Image& img, int cx, int y, std::string_view text, uint32_t c, uint32_t shadow,
                int scale = 1);

}  // namespace isora::demo
