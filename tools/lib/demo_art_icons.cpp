// Portraits, item and skill icons, skill effects and the cursor.
#include <algorithm>
#include <cmath>
#include <string>

#include "foundation/portable_math.h"
#include "lib/demo_art.h"

namespace isora::demo {

namespace {

constexpr double kPi = 3.14159265358979323846;

uint32_t Col(const nlohmann::json& j, const char* key, uint32_t fallback) {
  return j.contains(key) && j[key].is_string() ? ParseColour(j[key].get<std::string>()) : fallback;
}

Image Face(const nlohmann::json& f) {
  Image img = NewImage(80, 80, 0);
  const uint32_t skin = Col(f, "skin", 0xF0C8A0), hair = Col(f, "hair", 0x5A3218),
                 shirt = Col(f, "shirt", 0x2D5FB4), eyes = Col(f, "eyes", 0x302010);
  const bool ghost = f.value("ghost", false), young = f.value("young", false);
  VerticalGradient(img, 0, 0, 80, 80, Mix(shirt, 0xFFFFFF, 0.55), Mix(shirt, 0x000000, 0.3));
  FrameRect(img, 0, 0, 80, 80, 0x2a1e10, 2);
  if (f.value("long", false)) FillEllipse(img, 40, 44, 24, 30, Shade(hair, 0.85));
  FillEllipse(img, 40, 86, 34, 22, shirt);  // shoulders
  FillEllipse(img, 40, 78, 18, 8, Shade(shirt, 1.25));
  FillRect(img, 34, 56, 12, 14, Shade(skin, 0.88));  // neck
  const double headR = young ? 17 : 19;
  FillEllipse(img, 40, 40, headR, headR + 3, skin);
  FillEllipse(img, 28, 46, 4, 3, Mix(skin, 0xE06060, 0.3));  // cheeks
  FillEllipse(img, 52, 46, 4, 3, Mix(skin, 0xE06060, 0.3));
  FillEllipse(img, 40, 24, headR + 1, 11, hair);  // hair
  FillEllipse(img, 24, 32, 5, 10, hair);
  FillEllipse(img, 56, 32, 5, 10, hair);
  FillEllipse(img, 32, 39, 4, 3, 0xFFFFFF);  // eyes
  FillEllipse(img, 48, 39, 4, 3, 0xFFFFFF);
  FillCircle(img, 32.5, 39, 2, eyes);
  FillCircle(img, 48.5, 39, 2, eyes);
  Line(img, 28, 33, 36, 32, Shade(hair, 0.7), 1.5);  // brows
  Line(img, 44, 32, 52, 33, Shade(hair, 0.7), 1.5);
  Line(img, 40, 41, 39, 47, Shade(skin, 0.75));  // nose
  Line(img, 35, 52, 45, 52, 0x8a3a30, 1.5);      // mouth
  if (f.contains("beard")) {
    const uint32_t b = Col(f, "beard", hair);
    FillEllipse(img, 40, 55, 15, 11, b);
    FillEllipse(img, 40, 49, 9, 3, b);
    Line(img, 36, 51, 44, 51, 0x6a2a20, 1.5);
  }
  if (f.contains("mask")) FillRect(img, 22, 47, 36, 12, Col(f, "mask", 0xA02020));
  if (f.value("scar", false)) Line(img, 50, 30, 56, 48, 0xA04040, 1.5);
  if (f.contains("hat")) {
    const uint32_t hat = Col(f, "hat", 0x3A5020);
    FillEllipse(img, 40, 24, 30, 7, Shade(hat, 0.8));
    FillEllipse(img, 40, 16, 18, 12, hat);
  }
  if (f.contains("helmet")) {
    const uint32_t helm = Col(f, "helmet", 0xC0C8D0);
    FillEllipse(img, 40, 26, headR + 3, 16, helm);
    FillRect(img, 20, 26, 40, 5, Shade(helm, 0.8));
    FillRect(img, 38, 26, 4, 18, Shade(helm, 0.9));
    FillEllipse(img, 32, 18, 6, 4, Shade(helm, 1.3));
  }
  if (ghost)
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 80; ++x) img.Set(x, y, Mix(img.At(x, y), 0xD0E8FF, 0.35));
  return img;
}

void Flask(Image& img, uint32_t c, bool big) {
  const double r = big ? 11 : 9;
  FillCircle(img, 16, 21, r + 1, 0x303040);
  FillCircle(img, 16, 21, r, Mix(c, 0xFFFFFF, 0.15));
  FillEllipse(img, 16, 24, r - 1, r - 4, c);
  FillRect(img, 13, 4, 6, 9, 0xC8D8E8);
  FillRect(img, 12, 2, 8, 4, 0x8a5a30);
  FillCircle(img, 12, 17, 2.5, 0xFFFFFF);
}

void ItemIcon(Image& img, const std::string& shape, uint32_t c) {
  if (shape == "flask" || shape == "bigflask") {
    Flask(img, c, shape == "bigflask");
  } else if (shape == "vial") {
    FillRect(img, 11, 8, 10, 20, 0x303040);
    FillRect(img, 12, 9, 8, 18, Mix(c, 0xFFFFFF, 0.2));
    FillRect(img, 12, 15, 8, 12, c);
    FillRect(img, 11, 4, 10, 5, 0x8a5a30);
    FillRect(img, 13, 10, 2, 12, 0xFFFFFF);
  } else if (shape == "sword") {
    Line(img, 7, 25, 25, 7, Shade(c, 0.6), 5);
    Line(img, 7, 25, 25, 7, c, 3);
    Line(img, 9, 23, 24, 8, Shade(c, 1.4), 1);
    Line(img, 5, 21, 11, 27, 0x8a6a20, 3);
    Line(img, 3, 29, 7, 25, 0x5a3a1a, 3);
  } else if (shape == "spear") {
    Line(img, 4, 28, 24, 8, 0x8a6a40, 2.5);
    FillPolygon(img, {{22, 6}, {29, 3}, {26, 10}}, c);
    FillPolygon(img, {{21, 8}, {28, 2}, {24, 11}}, Shade(c, 1.2));
  } else if (shape == "axe") {
    Line(img, 8, 28, 22, 6, 0x6a4a2a, 3);
    FillPolygon(img, {{18, 4}, {29, 6}, {28, 18}, {21, 14}}, c);
    FillPolygon(img, {{18, 4}, {29, 6}, {24, 9}}, Shade(c, 1.3));
  } else if (shape == "shirt") {
    FillPolygon(img,
                {{8, 6},
                 {13, 4},
                 {16, 8},
                 {19, 4},
                 {24, 6},
                 {29, 12},
                 {25, 15},
                 {24, 28},
                 {8, 28},
                 {8, 15},
                 {3, 12}},
                c);
    Line(img, 16, 9, 16, 27, Shade(c, 0.7));
    Line(img, 9, 22, 23, 22, Shade(c, 0.8), 2);
  } else if (shape == "mail") {
    FillPolygon(img, {{8, 5}, {24, 5}, {29, 12}, {25, 14}, {25, 28}, {7, 28}, {7, 14}, {3, 12}}, c);
    for (int y = 8; y < 28; y += 3)
      for (int x = 8 + (y % 2); x < 25; x += 3) Put(img, x, y, Shade(c, 0.6));
    FillRect(img, 13, 5, 6, 3, Shade(c, 0.5));
  } else if (shape == "ring") {
    FillCircle(img, 16, 18, 9, c);
    FillCircle(img, 16, 18, 6, kKey);
    FillCircle(img, 16, 9, 4, 0x40C0F0);
    Put(img, 15, 8, 0xFFFFFF);
  } else if (shape == "amulet") {
    Line(img, 6, 4, 16, 16, 0xC0A040, 1.5);
    Line(img, 26, 4, 16, 16, 0xC0A040, 1.5);
    FillCircle(img, 16, 21, 7, Shade(c, 0.7));
    FillCircle(img, 16, 21, 5, c);
    Put(img, 14, 19, 0xFFFFFF);
  } else if (shape == "fang") {
    Line(img, 6, 4, 16, 12, 0x6a4a2a, 1.5);
    Line(img, 26, 4, 16, 12, 0x6a4a2a, 1.5);
    FillPolygon(img, {{11, 11}, {21, 11}, {17, 29}}, c);
    Line(img, 13, 12, 17, 26, Shade(c, 0.8));
  } else if (shape == "book") {
    FillRect(img, 6, 5, 21, 24, Shade(c, 0.6));
    FillRect(img, 7, 5, 19, 22, c);
    FillRect(img, 7, 26, 19, 2, 0xF0E8D0);
    FrameRect(img, 11, 10, 11, 9, 0xF0D060, 1);
    FillCircle(img, 16.5, 14.5, 2, 0xF0D060);
  } else if (shape == "pouch") {
    FillEllipse(img, 16, 20, 11, 9, c);
    FillPolygon(img, {{10, 12}, {22, 12}, {19, 6}, {13, 6}}, Shade(c, 0.85));
    Line(img, 11, 12, 21, 12, 0x3a2010, 2);
    FillEllipse(img, 12, 19, 3, 4, Shade(c, 1.25));
  } else if (shape == "backpack") {
    FillRect(img, 7, 7, 18, 21, c);
    FillRect(img, 7, 7, 18, 8, Shade(c, 1.2));
    FillRect(img, 11, 17, 10, 7, Shade(c, 0.75));
    FillRect(img, 14, 3, 4, 5, 0x5a3a1a);
  } else if (shape == "chest") {
    FillRect(img, 4, 13, 24, 15, c);
    FillEllipse(img, 16, 13, 12, 6, Shade(c, 1.2));
    FillRect(img, 4, 13, 24, 2, 0x404040);
    FillRect(img, 14, 14, 4, 5, 0xE0C040);
    FrameRect(img, 4, 13, 24, 15, 0x303030, 1);
  } else if (shape == "flower") {
    Line(img, 16, 30, 16, 16, 0x3a8a30, 2);
    FillEllipse(img, 11, 24, 4, 2, 0x3a8a30);
    for (int i = 0; i < 6; ++i)
      FillCircle(img, 16 + pmath::Cos(i * kPi / 3) * 6, 12 + pmath::Sin(i * kPi / 3) * 6, 4, c);
    FillCircle(img, 16, 12, 3, 0xF0D040);
  } else if (shape == "pelt") {
    FillPolygon(img, {{4, 10}, {10, 5}, {22, 5}, {28, 10}, {26, 24}, {20, 28}, {12, 28}, {6, 24}},
                c);
    for (int i = 0; i < 8; ++i) Line(img, 8 + i * 2, 10, 6 + i * 3, 24, Shade(c, 0.8));
  } else if (shape == "key") {
    FillCircle(img, 10, 10, 6, c);
    FillCircle(img, 10, 10, 3, kKey);
    Line(img, 14, 14, 27, 27, c, 3);
    Line(img, 22, 22, 25, 19, c, 2.5);
    Line(img, 25, 25, 28, 22, c, 2.5);
  } else if (shape == "letter") {
    FillRect(img, 4, 8, 24, 17, c);
    FrameRect(img, 4, 8, 24, 17, Shade(c, 0.6), 1);
    Line(img, 4, 8, 16, 18, Shade(c, 0.6));
    Line(img, 28, 8, 16, 18, Shade(c, 0.6));
    FillCircle(img, 16, 18, 3, 0xB02020);
  } else {
    FillCircle(img, 16, 16, 10, c);
  }
  Outline(img, 0x181008);
}

void SkillIcon(Image& img, const std::string& shape, uint32_t c) {
  VerticalGradient(img, 0, 0, 32, 32, 0x303848, 0x101018);
  FrameRect(img, 0, 0, 32, 32, 0xC0A060, 1);
  FrameRect(img, 1, 1, 30, 30, 0x50402a, 1);
  if (shape == "slash") {
    for (int i = 0; i < 3; ++i)
      Line(img, 6 + i * 5, 26, 22 + i * 3, 6, Mix(c, 0xFFFFFF, i * 0.3), 2);
  } else if (shape == "fire") {
    FillPolygon(img, {{8, 26}, {24, 26}, {22, 14}, {17, 4}, {15, 12}, {10, 10}}, c);
    FillPolygon(img, {{12, 26}, {21, 26}, {19, 17}, {16, 11}, {14, 18}}, 0xFFD040);
  } else if (shape == "frost") {
    for (int i = 0; i < 3; ++i) {
      double a = i * kPi / 3;
      Line(img, 16 - pmath::Cos(a) * 11, 16 - pmath::Sin(a) * 11, 16 + pmath::Cos(a) * 11,
           16 + pmath::Sin(a) * 11, c, 2);
    }
    FillCircle(img, 16, 16, 3, 0xFFFFFF);
  } else if (shape == "heal") {
    FillRect(img, 13, 6, 6, 20, c);
    FillRect(img, 6, 13, 20, 6, c);
    FillRect(img, 14, 7, 2, 18, 0xE0FFE0);
  } else if (shape == "storm") {
    FillPolygon(img, {{18, 3}, {9, 17}, {15, 17}, {12, 29}, {23, 12}, {17, 12}}, c);
  } else if (shape == "wind") {
    for (int i = 0; i < 3; ++i) {
      double r = 5 + i * 4;
      for (int k = 0; k < 40; ++k) {
        double a = k * 0.12 + i;
        Put(img, static_cast<int>(16 + pmath::Cos(a) * r),
            static_cast<int>(16 + pmath::Sin(a) * r * 0.8), c);
      }
    }
  } else if (shape == "bite") {
    for (int i = 0; i < 4; ++i) {
      FillPolygon(img, {{6.0 + i * 6, 8}, {12.0 + i * 6, 8}, {9.0 + i * 6, 15}}, c);
      FillPolygon(img, {{6.0 + i * 6, 25}, {12.0 + i * 6, 25}, {9.0 + i * 6, 18}}, c);
    }
  }
}

Image EffectFrame(const std::string& style, uint32_t c, int size, int k, int count) {
  Image img = NewImage(size, size);
  const double t = count > 1 ? double(k) / (count - 1) : 1.0, cx = size / 2.0, cy = size / 2.0;
  const double fade = 1.0 - t * 0.6;
  const uint32_t core = Mix(c, 0xFFFFFF, 0.6 * fade), edge = Shade(c, fade);
  Rng rng(HashSeed(style, k));
  if (style == "arc") {
    const double r = size * (0.25 + 0.2 * t);
    for (int i = 0; i <= 30; ++i) {
      double a = -kPi * 0.8 + kPi * 1.1 * (i / 30.0) * std::min(1.0, t * 2 + 0.3);
      FillCircle(img, cx + pmath::Cos(a) * r, cy + pmath::Sin(a) * r * 0.7, 3.5 * fade + 0.5,
                 i > 24 ? core : edge);
    }
  } else if (style == "burst") {
    const double r = size * (0.15 + 0.32 * t);
    FillCircle(img, cx, cy, r, edge);
    FillCircle(img, cx, cy, r * 0.6, Mix(edge, 0xFFE060, 0.6));
    FillCircle(img, cx, cy, r * 0.3 * fade, core);
    for (int i = 0; i < 10; ++i) {
      double a = rng.Uniform() * 2 * kPi, d = r * (1.0 + rng.Uniform() * 0.4);
      FillCircle(img, cx + pmath::Cos(a) * d, cy + pmath::Sin(a) * d, 2, Mix(c, 0xFFFF80, 0.5));
    }
  } else if (style == "shards") {
    for (int i = 0; i < 7; ++i) {
      double a = i * 2 * kPi / 7 + t, d = size * (0.1 + 0.35 * t);
      double x = cx + pmath::Cos(a) * d, y = cy + pmath::Sin(a) * d;
      FillPolygon(img, {{x, y - 6}, {x + 3, y}, {x, y + 6}, {x - 3, y}}, i % 2 ? core : edge);
    }
    FillCircle(img, cx, cy, size * 0.12 * fade, core);
  } else if (style == "sparkle") {
    for (int i = 0; i < 12; ++i) {
      double x = cx + rng.Range(-size / 3, size / 3),
             y = cy + size * 0.35 - t * size * 0.6 + rng.Range(-8, 8);
      Line(img, x - 3, y, x + 3, y, core, 1.5);
      Line(img, x, y - 3, x, y + 3, core, 1.5);
      Put(img, static_cast<int>(x), static_cast<int>(y), 0xFFFFFF);
    }
    FillEllipse(img, cx, cy + size * 0.3, size * 0.35, size * 0.1, edge);
  } else if (style == "bolt") {
    double x = cx + rng.Range(-4, 4), y = 0;
    while (y < size * (0.5 + 0.5 * std::min(1.0, t * 3))) {
      double nx = x + rng.Range(-8, 8), ny = y + rng.Range(6, 12);
      Line(img, x, y, nx, ny, edge, 4);
      Line(img, x, y, nx, ny, core, 2);
      x = nx;
      y = ny;
    }
    FillCircle(img, x, y, 6 * fade, core);
  } else if (style == "ring") {
    const double r = size * (0.15 + 0.3 * t);
    for (int i = 0; i < 48; ++i) {
      double a = i * kPi / 24 + t * 3;
      FillCircle(img, cx + pmath::Cos(a) * r, cy + pmath::Sin(a) * r * 0.6, 2.2,
                 i % 3 ? edge : core);
    }
  }
  return img;
}

}  // namespace

std::vector<Picture> MakeFacePictures(const nlohmann::json& art) {
  std::vector<Picture> out;
  const auto faces = art.value("faces", nlohmann::json::object());
  for (const auto& [name, f] : faces.items()) out.push_back({name, Face(f)});
  return out;
}

std::vector<Picture> MakeItemPictures(const nlohmann::json& art) {
  std::vector<Picture> out;
  const auto icons = art.value("icons", nlohmann::json::object());
  for (const auto& [name, params] : icons.items()) {
    Image img = NewImage(32, 32);
    ItemIcon(img, params.value("shape", ""), Col(params, "colour", 0x808080));
    out.push_back({name, std::move(img)});
  }
  return out;
}

std::vector<Picture> MakeSkillPictures(const nlohmann::json& art, const nlohmann::json& skills) {
  std::vector<Picture> out;
  const auto icons = art.value("skillIcons", nlohmann::json::object());
  for (const auto& [name, params] : icons.items()) {
    Image img = NewImage(32, 32, 0);
    SkillIcon(img, params.value("shape", ""), Col(params, "colour", 0xFFFFFF));
    out.push_back({name, std::move(img)});
  }
  // Effect frames are named "<effect>_<k>.bmp"; the effect names a style of art.json.
  const auto effects = art.value("effects", nlohmann::json::object());
  for (const auto& s : skills.value("records", nlohmann::json::array())) {
    const auto frames = s.value("effectFrames", nlohmann::json::array());
    const int count = static_cast<int>(frames.size());
    for (int k = 0; k < count; ++k) {
      const std::string name = frames[k].get<std::string>();
      const std::string effect = name.substr(0, name.rfind('_'));
      bool done = false;
      for (const auto& p : out) done = done || p.name == name;
      if (done || !effects.contains(effect)) continue;
      const auto& e = effects[effect];
      out.push_back({name, EffectFrame(e.value("style", "burst"), Col(e, "colour", 0xFFFFFF),
                                       e.value("size", 64), k, count)});
    }
  }
  return out;
}

std::vector<CursorFrame> MakeCursorFrames(const nlohmann::json& art) {
  const auto params = art.value("cursor", nlohmann::json::object());
  const int count = std::clamp(params.value("frames", 4), 1, 16);
  const uint32_t fill = Col(params, "colour", 0xF0C860), outline = Col(params, "outline", 0x201008),
                 glow = Col(params, "glow", 0xFFF0B0);
  std::vector<CursorFrame> frames;
  for (int k = 0; k < count; ++k) {
    Image img = NewImage(32, 32);
    const std::vector<std::pair<double, double>> arrow = {{1, 1},   {1, 22},  {6, 17}, {10, 26},
                                                          {14, 24}, {10, 16}, {17, 16}};
    FillPolygon(img, arrow, fill);
    const double shine = 0.5 + 0.5 * pmath::Sin(2 * kPi * k / count);
    Line(img, 3, 5, 3, 17, Mix(fill, glow, shine), 1.5);
    FillCircle(img, 22, 6, 1 + 2 * shine, Mix(fill, glow, shine));
    Outline(img, outline);
    CursorFrame f;
    f.width = f.height = 32;
    f.hotspotX = 1;
    f.hotspotY = 1;
    f.argb.resize(32 * 32);
    for (int i = 0; i < 32 * 32; ++i) {
      uint32_t c = img.pixels[i];
      f.argb[i] = c == kKey ? 0 : (0xFF000000u | c);
    }
    frames.push_back(std::move(f));
  }
  return frames;
}

}  // namespace isora::demo
