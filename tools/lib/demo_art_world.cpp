// Ground tiles, map objects and the Tiled tileset pictures.
#include <algorithm>
#include <cmath>
#include <string>

#include "foundation/portable_math.h"
#include "lib/demo_art.h"

namespace isora::demo {

namespace {

uint32_t Colour(const nlohmann::json& j, const char* key, uint32_t fallback) {
  if (j.is_object() && j.contains(key) && j[key].is_string())
    return ParseColour(j[key].get<std::string>());
  return fallback;
}

// Cell-lattice coordinates: one cell step along the row or the column axis is one unit.
void CellCoords(double x, double y, double& u, double& v) {
  u = x / 64.0 + y / 32.0;
  v = x / 64.0 - y / 32.0;
}

// Noise that repeats every cell, so neighbouring tiles of a style join without a seam.
double TileNoise(double x, double y, int k, uint64_t seed) {
  double u, v;
  CellCoords(x, y, u, v);
  return ValueNoise(u * k, v * k, 1, k, seed);
}

bool InDiamond(double x, double y, double margin) {
  return std::abs(x - 32) / 32.0 + std::abs(y - 16) / 16.0 < margin;
}

void GrassTile(Image& img, const nlohmann::json& s, int index) {
  const uint32_t base = Colour(s, "base", 0x4c8a34), detail = Colour(s, "detail", 0x6cae48),
                 dark = Colour(s, "dark", 0x356a24);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) {
      double n = 0.6 * TileNoise(x, y, 4, 7) + 0.4 * TileNoise(x, y, 8, 8);
      img.Set(x, y, n < 0.5 ? Mix(dark, base, n * 2) : Mix(base, detail, (n - 0.5) * 2));
    }
  Rng rng(HashSeed("grass", index));
  int blades = 10 + index % 5 * 3;
  for (int i = 0; i < blades; ++i) {
    int x = rng.Range(8, 56), y = rng.Range(5, 27);
    if (!InDiamond(x, y, 0.8)) continue;
    uint32_t c = rng.Range(0, 1) ? Shade(detail, 1.2) : dark;
    Put(img, x, y, c);
    Put(img, x, y - 1, c);
    if (rng.Range(0, 2) == 0) Put(img, x + 1, y - 2, c);
  }
  if (index >= 8) {  // a few flowers
    static const uint32_t kPetals[] = {0xF0E040, 0xF08080, 0xE0E0FF, 0xC080F0};
    for (int i = 0; i < 3 + index - 8; ++i) {
      int x = rng.Range(12, 52), y = rng.Range(8, 24);
      if (!InDiamond(x, y, 0.75)) continue;
      uint32_t c = kPetals[rng.Range(0, 3)];
      Put(img, x - 1, y, c);
      Put(img, x + 1, y, c);
      Put(img, x, y - 1, c);
      Put(img, x, y + 1, c);
      Put(img, x, y, 0xF0D020);
    }
  }
}

void DirtTile(Image& img, const nlohmann::json& s, int index) {
  const uint32_t base = Colour(s, "base", 0xa08058), detail = Colour(s, "detail", 0xbca076),
                 dark = Colour(s, "dark", 0x7a5e3e);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) {
      double n = 0.5 * TileNoise(x, y, 3, 21) + 0.5 * TileNoise(x, y, 9, 22);
      img.Set(x, y, Mix(dark, detail, n));
    }
  Rng rng(HashSeed("dirt", index));
  for (int i = 0; i < 7; ++i) {
    int x = rng.Range(10, 54), y = rng.Range(6, 26);
    if (!InDiamond(x, y, 0.75)) continue;
    uint32_t c = Mix(base, 0xC8C0B0, rng.Uniform() * 0.6);
    FillEllipse(img, x, y, 2.0, 1.2, c);
    Put(img, x, y + 1, dark);
  }
  if (index % 3 == 0)  // wheel ruts
    for (int x = 14; x < 50; ++x) {
      Put(img, x, 11 + (x - 14) / 4, Shade(dark, 0.9));
      Put(img, x, 19 + (x - 14) / 4, Shade(dark, 0.9));
    }
}

void WaterTile(Image& img, const nlohmann::json& s, int index) {
  const uint32_t base = Colour(s, "base", 0x2a5a9a), detail = Colour(s, "detail", 0x5a9ad0),
                 dark = Colour(s, "dark", 0x1a3a6a);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) {
      double n = TileNoise(x, y, 3, 31);
      img.Set(x, y, Mix(dark, base, 0.4 + 0.6 * n));
    }
  Rng rng(HashSeed("water", index));
  for (int i = 0; i < 4; ++i) {
    int x = rng.Range(12, 44), y = rng.Range(8, 24), len = rng.Range(5, 10);
    if (!InDiamond(x, y, 0.7) || !InDiamond(x + len, y, 0.8)) continue;
    for (int k = 0; k < len; ++k) Put(img, x + k, y + (k > len / 2 ? 1 : 0), detail);
  }
  if (index == 5) FillCircle(img, 40, 14, 1.5, 0xE0F0FF);
}

// Stones laid in the cell lattice: 2 x 2 per cell, each shaded by its own hash.
void CobbleTile(Image& img, const nlohmann::json& s, int index) {
  const uint32_t base = Colour(s, "base", 0x8a8a88), detail = Colour(s, "detail", 0xaeaeaa),
                 dark = Colour(s, "dark", 0x5a5a58);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) {
      double u, v;
      CellCoords(x, y, u, v);
      double fu = (u * 2) - std::floor(u * 2), fv = (v * 2) - std::floor(v * 2);
      int iu = static_cast<int>(std::floor(u * 2)) & 1,
          iv = static_cast<int>(std::floor(v * 2)) & 1;
      double stoneShade = 0.85 + 0.3 * ((iu * 2 + iv) * 37 % 7) / 7.0;
      bool mortar = fu < 0.08 || fv < 0.08;
      double n = TileNoise(x, y, 8, 41);
      uint32_t c = mortar ? dark : Mix(Shade(base, stoneShade), detail, n * 0.5);
      if (!mortar && (fu < 0.18 || fv > 0.9)) c = Shade(c, 1.12);
      img.Set(x, y, c);
    }
  Rng rng(HashSeed("cobble", index));
  for (int i = 0; i < index; ++i) {  // moss and cracks differ per picture
    int x = rng.Range(14, 50), y = rng.Range(8, 24);
    Put(img, x, y, i % 2 ? 0x5a7a3a : dark);
    Put(img, x + 1, y, i % 2 ? 0x5a7a3a : dark);
  }
}

void CryptTile(Image& img, const nlohmann::json& s, int index) {
  const uint32_t base = Colour(s, "base", 0x4a4450), detail = Colour(s, "detail", 0x6a6270),
                 dark = Colour(s, "dark", 0x2a2430), wall = Colour(s, "wall", 0x1e1a24);
  const bool isWall = index >= 7;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) {
      double u, v;
      CellCoords(x, y, u, v);
      double n = TileNoise(x, y, 6, 51);
      double fu = u - std::floor(u), fv = v - std::floor(v);
      if (isWall) {
        // Bricks in rows along the row axis; every other course offset by half a brick.
        double bu = u * 3, bv = v * 3;
        int course = static_cast<int>(std::floor(bv));
        double shifted = bu + (course & 1) * 0.5;
        bool joint = (bv - std::floor(bv)) < 0.12 || (shifted - std::floor(shifted)) < 0.08;
        uint32_t brick = Mix(wall, Shade(detail, 0.55), 0.2 + 0.3 * n);
        if ((bv - std::floor(bv)) < 0.22) brick = Shade(brick, 1.25);  // lit top of each course
        img.Set(x, y, joint ? Shade(wall, 0.4) : brick);
      } else {
        bool seam = fu < 0.05 || fv < 0.05;
        uint32_t c = Mix(dark, base, 0.5 + 0.5 * n);
        if (fu > 0.45 && fu < 0.5) c = Shade(c, 0.9);
        img.Set(x, y, seam ? dark : c);
      }
    }
  Rng rng(HashSeed("crypt", index));
  if (!isWall && index >= 3) {  // cracks
    int x = rng.Range(18, 40), y = rng.Range(10, 20);
    for (int k = 0; k < 10; ++k) {
      Put(img, x, y, dark);
      x += rng.Range(0, 2);
      y += rng.Range(-1, 1);
    }
  }
  if (!isWall && index == 6) FillEllipse(img, 32, 17, 6, 3, 0x3a1a1a);  // an old stain
  if (isWall && index == 9)                                             // a glowing rune
    for (int k = -3; k <= 3; ++k) {
      Put(img, 32 + k, 16, 0xFF7020);
      Put(img, 32, 16 + k / 2, 0xFF7020);
    }
}

struct Footprint {
  double topX, topY, rightX, rightY, bottomX, bottomY, leftX, leftY;
};

Footprint FootprintOf(const ObjectKind& k) {
  const double cx = k.width / 2.0, h = k.height, nr = k.rows, nc = k.columns;
  return {cx - 16 * (nr - nc), h - 16 * (nr + nc),  cx + 16 * (nr + nc),
          h - 16 * nc,         cx + 16 * (nr - nc), h,
          cx - 16 * (nr + nc), h - 16 * nr};
}

using Poly = std::vector<std::pair<double, double>>;

// An isometric box standing on the footprint, walls of height h; returns nothing, draws the
// two visible walls and leaves the top for the caller.
void Walls(Image& img, const Footprint& f, double h, uint32_t wall) {
  FillPolygon(img,
              {{f.leftX, f.leftY},
               {f.bottomX, f.bottomY},
               {f.bottomX, f.bottomY - h},
               {f.leftX, f.leftY - h}},
              Shade(wall, 1.05));
  FillPolygon(img,
              {{f.bottomX, f.bottomY},
               {f.rightX, f.rightY},
               {f.rightX, f.rightY - h},
               {f.bottomX, f.bottomY - h}},
              Shade(wall, 0.78));
}

void DrawTree(Image& img, const ObjectKind& k, bool pine) {
  const uint32_t leaf = Colour(k.params, "leaf", 0x3f7f2f),
                 trunk = Colour(k.params, "trunk", 0x5a3a1e);
  const Footprint f = FootprintOf(k);
  const double cx = k.width / 2.0, groundY = (f.topY + f.bottomY) / 2;
  FillEllipse(img, cx + 4, groundY + 2, k.width * 0.3, 7, 0x1e2a14);  // shadow
  FillRect(img, static_cast<int>(cx - 4), static_cast<int>(groundY - k.height * 0.45), 8,
           static_cast<int>(k.height * 0.45), trunk);
  FillRect(img, static_cast<int>(cx - 4), static_cast<int>(groundY - k.height * 0.45), 3,
           static_cast<int>(k.height * 0.45), Shade(trunk, 1.3));
  Rng rng(HashSeed(k.name));
  if (pine) {
    for (int layer = 0; layer < 4; ++layer) {
      double top = 4 + layer * (k.height * 0.17), bottom = top + k.height * 0.3;
      double half = (k.width / 2.0 - 4) * (0.45 + 0.18 * layer);
      FillPolygon(img, {{cx, top}, {cx + half, bottom}, {cx - half, bottom}}, leaf);
      FillPolygon(img, {{cx, top}, {cx - half, bottom}, {cx - half * 0.3, bottom}},
                  Shade(leaf, 1.25));
    }
    return;
  }
  const double top = 6, mid = k.height * 0.36;
  for (int i = 0; i < 9; ++i) {
    double ox = rng.Range(-22, 22) * k.width / 96.0, oy = rng.Range(-16, 16);
    double r = rng.Range(16, 24) * k.width / 96.0;
    FillCircle(img, cx + ox, top + mid + oy, r, Shade(leaf, 0.8));
  }
  for (int i = 0; i < 9; ++i) {
    double ox = rng.Range(-20, 18) * k.width / 96.0, oy = rng.Range(-18, 10);
    double r = rng.Range(10, 18) * k.width / 96.0;
    FillCircle(img, cx + ox - 3, top + mid + oy - 4, r, leaf);
  }
  for (int i = 0; i < 14; ++i)
    FillCircle(img, cx + rng.Range(-26, 14) * k.width / 96.0, top + mid + rng.Range(-26, 4), 3,
               Shade(leaf, 1.35));
}

void DrawRock(Image& img, const ObjectKind& k) {
  const uint32_t c = Colour(k.params, "colour", 0x8a8680);
  const double cx = k.width / 2.0, by = k.height - 14.0;
  FillEllipse(img, cx + 3, by + 4, k.width * 0.42, k.height * 0.2, 0x2a2a24);
  FillEllipse(img, cx, by - k.height * 0.18, k.width * 0.42, k.height * 0.38, Shade(c, 0.8));
  FillEllipse(img, cx - k.width * 0.08, by - k.height * 0.26, k.width * 0.3, k.height * 0.26, c);
  FillEllipse(img, cx - k.width * 0.14, by - k.height * 0.33, k.width * 0.12, k.height * 0.1,
              Shade(c, 1.3));
}

void DrawHouse(Image& img, const ObjectKind& k) {
  const uint32_t roof = Colour(k.params, "roof", 0xb03828),
                 wall = Colour(k.params, "wall", 0xe8d8b0);
  const Footprint f = FootprintOf(k);
  const double h = k.height * 0.3;
  // Timber frame walls.
  Walls(img, f, h, wall);
  for (double t : {0.0, 0.5, 1.0}) {
    double lx = f.leftX + (f.bottomX - f.leftX) * t, ly = f.leftY + (f.bottomY - f.leftY) * t;
    Line(img, lx, ly, lx, ly - h, 0x5a3a20, 3);
    double rx = f.bottomX + (f.rightX - f.bottomX) * t, ry = f.bottomY + (f.rightY - f.bottomY) * t;
    Line(img, rx, ry, rx, ry - h, 0x4a2a18, 3);
  }
  Line(img, f.leftX, f.leftY - h, f.bottomX, f.bottomY - h, 0x5a3a20, 3);
  Line(img, f.bottomX, f.bottomY - h, f.rightX, f.rightY - h, 0x4a2a18, 3);
  // Door on the right wall, windows on both.
  const double dx = f.bottomX + (f.rightX - f.bottomX) * 0.35,
               dy = f.bottomY + (f.rightY - f.bottomY) * 0.35;
  FillPolygon(img, {{dx, dy}, {dx + 16, dy - 8}, {dx + 16, dy - 8 - h * 0.62}, {dx, dy - h * 0.62}},
              0x5a3018);
  Put(img, static_cast<int>(dx + 12), static_cast<int>(dy - h * 0.3), 0xE0C040);
  auto window = [&](double ax, double ay, double bx, double by, bool lit) {
    double wx = ax + (bx - ax) * 0.7, wy = ay + (by - ay) * 0.7 - h * 0.62;
    double sx = (bx - ax) / pmath::Hypot(bx - ax, by - ay) * 12,
           sy = (by - ay) / pmath::Hypot(bx - ax, by - ay) * 12;
    FillPolygon(img, {{wx, wy}, {wx + sx, wy + sy}, {wx + sx, wy + sy + 12}, {wx, wy + 12}},
                lit ? 0xF0D070 : 0x30405a);
    Line(img, wx + sx / 2, wy + sy / 2, wx + sx / 2, wy + sy / 2 + 12, 0x4a2a18);
  };
  window(f.leftX, f.leftY, f.bottomX, f.bottomY, false);
  window(f.leftX, f.leftY, f.bottomX, f.bottomY - 0.01, false);
  window(f.bottomX, f.bottomY, f.rightX, f.rightY, true);
  // Gable roof: the ridge runs along the row axis, overhanging the walls.
  const double lift = h + 2, ridge = k.height * 0.42;
  const double ox = 6, oy = 3;
  const double mlx = (f.leftX + f.topX) / 2, mly = (f.leftY + f.topY) / 2;  // back left mid
  const double mrx = (f.bottomX + f.rightX) / 2,
               mry = (f.bottomY + f.rightY) / 2;  // front right mid
  Poly front = {{f.leftX - ox, f.leftY - lift + oy},
                {f.bottomX, f.bottomY - lift + oy * 2},
                {mrx, mry - lift - ridge},
                {mlx, mly - lift - ridge}};
  Poly back = {{mlx, mly - lift - ridge},
               {mrx, mry - lift - ridge},
               {f.rightX + ox, f.rightY - lift + oy},
               {f.topX, f.topY - lift}};
  FillPolygon(img, back, Shade(roof, 0.7));
  // Gable end on the right wall side.
  FillPolygon(img,
              {{f.bottomX, f.bottomY - h}, {f.rightX, f.rightY - h}, {mrx, mry - lift - ridge}},
              Shade(wall, 0.7));
  FillPolygon(img, front, roof);
  for (int i = 1; i < 6; ++i) {  // shingle rows
    double t = i / 6.0;
    Line(img, f.leftX - ox + (mlx - f.leftX + ox) * t,
         f.leftY - lift + oy + (mly - lift - ridge - f.leftY + lift - oy) * t,
         f.bottomX + (mrx - f.bottomX) * t,
         f.bottomY - lift + oy * 2 + (mry - lift - ridge - f.bottomY + lift - oy * 2) * t,
         Shade(roof, 0.8));
  }
  Line(img, mlx, mly - lift - ridge, mrx, mry - lift - ridge, Shade(roof, 1.3), 2);
  // Chimney.
  FillRect(img, static_cast<int>(mlx + (mrx - mlx) * 0.25),
           static_cast<int>(mly - lift - ridge - 14), 8, 16, 0x7a4a3a);
}

void DrawStall(Image& img, const ObjectKind& k) {
  const uint32_t c = Colour(k.params, "colour", 0xd04040);
  const Footprint f = FootprintOf(k);
  Walls(img, f, 20, 0x8a6a40);
  FillPolygon(img,
              {{f.leftX, f.leftY - 20},
               {f.topX, f.topY - 20},
               {f.rightX, f.rightY - 20},
               {f.bottomX, f.bottomY - 20}},
              0xa08050);
  for (int i = 0; i < 6; ++i)  // wares
    FillCircle(img, f.leftX + 20 + i * 14, f.leftY - 24 + (i % 2) * 4, 4,
               i % 3 ? 0xE0A030 : 0x60B040);
  for (auto [x, y] :
       Poly{{f.leftX + 4, f.leftY}, {f.bottomX, f.bottomY - 2}, {f.rightX - 4, f.rightY}})
    Line(img, x, y - 20, x, y - 64, 0x5a3a20, 2);
  Poly awning = {{f.leftX - 4, f.leftY - 60},
                 {f.bottomX, f.bottomY - 58},
                 {f.rightX + 4, f.rightY - 60},
                 {f.topX, f.topY - 80}};
  FillPolygon(img, awning, c);
  for (int i = 0; i < 8; i += 2) {
    double t0 = i / 8.0, t1 = (i + 1) / 8.0;
    FillPolygon(img,
                {{f.leftX - 4 + (f.bottomX - f.leftX + 4) * t0, f.leftY - 60 + 2 * t0},
                 {f.leftX - 4 + (f.bottomX - f.leftX + 4) * t1, f.leftY - 60 + 2 * t1},
                 {f.topX + (f.bottomX - f.topX) * t1 * 0.2, f.topY - 80},
                 {f.topX + (f.bottomX - f.topX) * t0 * 0.2, f.topY - 80}},
                0xF0F0E0);
  }
}

void DrawGround(Image& img, const ObjectKind& k, const nlohmann::json& tileStyles,
                const BaseTiles& baseTiles) {
  if (k.base.empty()) return;
  auto drawn = baseTiles.find(k.base);
  const Image tile = drawn != baseTiles.end()
                         ? drawn->second
                         : MakeTile(k.base, tileStyles.value(k.base, nlohmann::json::object()), 0);
  for (auto b : FootprintBoxes(k)) Blit(img, tile, b.x, b.y, false);
}

void DrawSmallThings(Image& img, const ObjectKind& k) {
  const uint32_t c = Colour(k.params, "colour", 0x808080);
  const Footprint f = FootprintOf(k);
  const double cx = k.width / 2.0, gy = (f.topY + f.bottomY) / 2;
  const std::string& s = k.style;
  Rng rng(HashSeed(k.name, 5));
  if (s == "bush") {
    const uint32_t leaf = Colour(k.params, "leaf", 0x4a8a3a);
    FillEllipse(img, cx + 3, gy + 3, 22, 7, 0x1e2a14);
    for (int i = 0; i < 7; ++i)
      FillCircle(img, cx + rng.Range(-16, 16), gy - 10 + rng.Range(-6, 4), rng.Range(8, 12),
                 Shade(leaf, 0.85));
    for (int i = 0; i < 8; ++i)
      FillCircle(img, cx + rng.Range(-14, 10), gy - 14 + rng.Range(-4, 4), 4, Shade(leaf, 1.3));
  } else if (s == "flowers") {
    for (int i = 0; i < 14; ++i) {
      int x = rng.Range(14, 50), y = rng.Range(8, 26);
      Line(img, x, y, x, y - 4, 0x2a6a20);
      FillCircle(img, x, y - 5, 2, i % 3 == 0 ? 0xF06060 : (i % 3 == 1 ? c : 0xF0F0F0));
    }
  } else if (s == "well") {
    FillEllipse(img, cx, gy, 22, 11, Shade(c, 0.7));
    FillRect(img, static_cast<int>(cx - 22), static_cast<int>(gy - 14), 44, 14, c);
    FillEllipse(img, cx, gy + 0, 22, 11, c);
    FillEllipse(img, cx, gy - 14, 22, 11, Shade(c, 1.2));
    FillEllipse(img, cx, gy - 14, 16, 7, 0x203a6a);
    Line(img, cx - 18, gy - 14, cx - 18, gy - 50, 0x5a3a20, 3);
    Line(img, cx + 18, gy - 14, cx + 18, gy - 50, 0x5a3a20, 3);
    FillPolygon(img, {{cx - 26, gy - 48}, {cx + 26, gy - 48}, {cx, gy - 66}}, 0x8a3a28);
    Line(img, cx, gy - 48, cx, gy - 24, 0x303030);
  } else if (s == "fence") {
    for (int i = 0; i < 4; ++i) {
      double x = f.leftX + 6 + i * 16, y = f.leftY + i * 8 - 4;
      Line(img, x, y, x, y - 22, c, 3);
    }
    Line(img, f.leftX + 4, f.leftY - 18, f.bottomX + 14, f.bottomY - 14 - 8, Shade(c, 1.2), 3);
    Line(img, f.leftX + 4, f.leftY - 8, f.bottomX + 14, f.bottomY - 4 - 8, Shade(c, 0.9), 3);
  } else if (s == "lamp") {
    FillEllipse(img, cx + 2, k.height - 16, 8, 3, 0x202020);
    Line(img, cx, k.height - 16, cx, 22, c, 3);
    FillRect(img, static_cast<int>(cx - 7), 10, 14, 14, 0x303030);
    FillRect(img, static_cast<int>(cx - 5), 12, 10, 10, 0xF0D060);
    FillPolygon(img, {{cx - 9, 10}, {cx + 9, 10}, {cx, 2}}, 0x202020);
  } else if (s == "signpost") {
    Line(img, cx, k.height - 14, cx, 10, c, 4);
    FillPolygon(img, {{cx - 18, 14}, {cx + 12, 10}, {cx + 18, 16}, {cx + 12, 22}, {cx - 18, 26}},
                Shade(c, 1.2));
    Line(img, cx - 12, 17, cx + 8, 14, 0x3a2a10);
    Line(img, cx - 12, 21, cx + 4, 18, 0x3a2a10);
  } else if (s == "boat") {
    FillPolygon(img,
                {{f.leftX + 8, f.leftY - 8},
                 {f.topX, f.topY + 4},
                 {f.rightX - 8, f.rightY - 2},
                 {f.bottomX, f.bottomY - 10}},
                Shade(c, 0.7));
    FillPolygon(img,
                {{f.leftX + 14, f.leftY - 12},
                 {f.topX, f.topY + 2},
                 {f.rightX - 14, f.rightY - 6},
                 {f.bottomX, f.bottomY - 16}},
                c);
    Line(img, f.leftX + 30, f.leftY - 6, f.rightX - 30, f.rightY - 12, Shade(c, 1.3), 2);
  } else if (s == "tent") {
    FillPolygon(img, {{f.leftX, f.leftY}, {f.bottomX, f.bottomY}, {f.rightX, f.rightY}, {cx, 8}},
                c);
    FillPolygon(img, {{f.leftX, f.leftY}, {f.bottomX, f.bottomY}, {cx, 8}}, Shade(c, 1.2));
    FillPolygon(img,
                {{f.bottomX - 10, f.bottomY - 4}, {f.bottomX + 10, f.bottomY - 6}, {cx + 2, 40}},
                0x2a1010);
    Line(img, cx, 8, cx, 0, 0x5a3a20, 2);
  } else if (s == "campfire") {
    for (int i = 0; i < 8; ++i) {
      double a = i * 0.785;
      FillCircle(img, cx + pmath::Cos(a) * 14, gy + pmath::Sin(a) * 7, 3, 0x707070);
    }
    Line(img, cx - 10, gy + 2, cx + 10, gy - 4, 0x5a3a20, 3);
    Line(img, cx - 10, gy - 4, cx + 10, gy + 2, 0x4a2a18, 3);
    FillPolygon(img, {{cx - 8, gy}, {cx + 8, gy}, {cx + 2, gy - 22}}, 0xF06010);
    FillPolygon(img, {{cx - 4, gy}, {cx + 5, gy}, {cx, gy - 14}}, 0xF0D040);
  } else if (s == "monolith") {
    FillEllipse(img, cx + 3, k.height - 14, 14, 5, 0x202020);
    FillPolygon(
        img, {{cx - 12, k.height - 14.0}, {cx + 12, k.height - 14.0}, {cx + 9, 8}, {cx - 7, 4}}, c);
    FillPolygon(img,
                {{cx - 12, k.height - 14.0}, {cx - 2, k.height - 12.0}, {cx - 1, 6}, {cx - 7, 4}},
                Shade(c, 1.25));
    Line(img, cx - 3, 30, cx + 4, 40, 0x90C0FF);
    Line(img, cx + 4, 40, cx - 2, 50, 0x90C0FF);
  } else if (s == "gate") {
    Walls(img, f, 90, c);
    FillPolygon(img,
                {{f.leftX, f.leftY - 90},
                 {f.topX, f.topY - 90},
                 {f.rightX, f.rightY - 90},
                 {f.bottomX, f.bottomY - 90}},
                Shade(c, 1.2));
    double dx = (f.bottomX + f.rightX) / 2 - 16, dy = (f.bottomY + f.rightY) / 2;
    FillPolygon(
        img,
        {{dx, dy + 4}, {dx + 30, dy - 11}, {dx + 30, dy - 70}, {dx + 15, dy - 84}, {dx, dy - 62}},
        0x1a1010);
    FillCircle(img, dx + 15, dy - 44, 4, 0xFF7020);
    for (int i = 0; i < 5; ++i)
      Line(img, f.leftX + 8 + i * 12, f.leftY - 10 + i * 6, f.leftX + 8 + i * 12,
           f.leftY - 80 + i * 6, Shade(c, 0.85));
  } else if (s == "pillar") {
    FillRect(img, static_cast<int>(cx - 14), k.height - 30, 28, 14, Shade(c, 0.8));
    FillRect(img, static_cast<int>(cx - 10), 14, 20, k.height - 40, c);
    FillRect(img, static_cast<int>(cx - 10), 14, 6, k.height - 40, Shade(c, 1.3));
    FillRect(img, static_cast<int>(cx - 14), 6, 28, 10, Shade(c, 1.1));
  } else if (s == "brazier") {
    Line(img, cx - 10, k.height - 14, cx, 40, 0x303030, 3);
    Line(img, cx + 10, k.height - 14, cx, 40, 0x303030, 3);
    FillEllipse(img, cx, 36, 14, 6, 0x404040);
    FillPolygon(img, {{cx - 10, 34}, {cx + 10, 34}, {cx + 3, 4}}, 0xF06010);
    FillPolygon(img, {{cx - 5, 34}, {cx + 6, 34}, {cx, 14}}, 0xF0E060);
  } else if (s == "tomb") {
    Walls(img, f, 18, c);
    FillPolygon(img,
                {{f.leftX, f.leftY - 18},
                 {f.topX, f.topY - 18},
                 {f.rightX, f.rightY - 18},
                 {f.bottomX, f.bottomY - 18}},
                Shade(c, 1.25));
    Line(img, f.leftX + 16, f.leftY - 18, f.rightX - 16, f.rightY - 18, Shade(c, 0.8));
  } else if (s == "altar") {
    Walls(img, f, 24, c);
    FillPolygon(img,
                {{f.leftX, f.leftY - 24},
                 {f.topX, f.topY - 24},
                 {f.rightX, f.rightY - 24},
                 {f.bottomX, f.bottomY - 24}},
                Shade(c, 1.25));
    FillCircle(img, cx, (f.topY + f.bottomY) / 2 - 28, 6, 0x80C0FF);
    FillCircle(img, cx, (f.topY + f.bottomY) / 2 - 28, 3, 0xF0F8FF);
  } else if (s == "throne") {
    Walls(img, f, 22, 0x3a3040);
    FillPolygon(img,
                {{f.leftX, f.leftY - 22},
                 {f.topX, f.topY - 22},
                 {f.rightX, f.rightY - 22},
                 {f.bottomX, f.bottomY - 22}},
                0x504458);
    FillRect(img, static_cast<int>(cx - 22), 10, 44, 70, c);
    FillRect(img, static_cast<int>(cx - 22), 10, 10, 70, Shade(c, 1.3));
    FillRect(img, static_cast<int>(cx - 26), 70, 52, 14, Shade(c, 0.8));
    FillCircle(img, cx, 24, 6, 0xFF8020);
  } else if (s == "bones") {
    for (int i = 0; i < 5; ++i) {
      int x = rng.Range(18, 44), y = rng.Range(10, 24);
      Line(img, x, y, x + rng.Range(5, 9), y + rng.Range(-2, 2), c, 2);
    }
    FillCircle(img, 36, 14, 4, c);
    Put(img, 35, 14, 0x202020);
    Put(img, 37, 14, 0x202020);
  }
}

}  // namespace

Image MakeTile(const std::string& styleName, const nlohmann::json& style, int index) {
  Image img = NewImage(64, 32, 0);
  const std::string kind = style.value("style", styleName);
  if (kind == "grass")
    GrassTile(img, style, index);
  else if (kind == "dirt")
    DirtTile(img, style, index);
  else if (kind == "water")
    WaterTile(img, style, index);
  else if (kind == "cobble")
    CobbleTile(img, style, index);
  else if (kind == "crypt")
    CryptTile(img, style, index);
  else
    FillRect(img, 0, 0, 64, 32, 0x808080);
  return img;
}

Image MakeTileSheet(const std::string& styleName, const nlohmann::json& style, int count) {
  count = std::clamp(count, 1, 100);
  Image sheet = NewImage(640, ((count + 9) / 10) * 32, 0);
  for (int j = 0; j < count; ++j)
    Blit(sheet, MakeTile(styleName, style, j), (j % 10) * 64, (j / 10) * 32, false);
  return sheet;
}

Image MakeIdsSheet() {
  Image sheet = NewImage(640, 320);
  for (int j = 0; j < 100; ++j) {
    const int x = (j % 10) * 64, y = (j / 10) * 32;
    FillDiamond(sheet, x + 32, y + 16, 62, 30, j == 0 ? 0xC02020 : 0x2050C0);
    if (j == 0) {
      Line(sheet, x + 22, y + 10, x + 42, y + 22, 0xFFFFFF, 2);
      Line(sheet, x + 42, y + 10, x + 22, y + 22, 0xFFFFFF, 2);
    } else {
      TextCentred(sheet, x + 32, y + 9, std::to_string(j), 0xFFFFFF, 2);
    }
  }
  return sheet;
}

Image MakeObjectPicture(const ObjectKind& kind, const nlohmann::json& tileStyles,
                        const BaseTiles& baseTiles) {
  Image img = NewImage(kind.width, kind.height);
  DrawGround(img, kind, tileStyles, baseTiles);
  const std::string& s = kind.style;
  if (s == "tree")
    DrawTree(img, kind, false);
  else if (s == "pine")
    DrawTree(img, kind, true);
  else if (s == "rock")
    DrawRock(img, kind);
  else if (s == "house")
    DrawHouse(img, kind);
  else if (s == "stall")
    DrawStall(img, kind);
  else
    DrawSmallThings(img, kind);
  return img;
}

Image MakeObjectSheet(const ObjectCatalog& catalog, const nlohmann::json& tileStyles,
                      const BaseTiles& baseTiles) {
  Image sheet = NewImage(std::max(catalog.sheetWidth, 64), std::max(catalog.sheetHeight, 32));
  for (const auto& k : catalog.kinds)
    Blit(sheet, MakeObjectPicture(k, tileStyles, baseTiles), k.sourceX, k.sourceY, false);
  return sheet;
}

}  // namespace isora::demo
