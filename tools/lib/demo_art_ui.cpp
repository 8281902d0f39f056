// Screens, panels and buttons of the ui pack.
#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

#include "foundation/portable_math.h"
#include "lib/demo_art.h"

namespace isora::demo {

namespace {

struct Palette {
  uint32_t panel, panelLight, panelDark, gold, parchment, ink, night, dusk;
};

Palette ReadPalette(const nlohmann::json& art) {
  const auto p = art.value("palette", nlohmann::json::object());
  auto c = [&](const char* k, uint32_t d) {
    return p.contains(k) && p[k].is_string() ? ParseColour(p[k].get<std::string>()) : d;
  };
  return {c("panel", 0x4e3c2a), c("panelLight", 0x8a6a48), c("panelDark", 0x20180f),
          c("gold", 0xf0c860),  c("parchment", 0xeadcb8),  c("ink", 0x2a1e10),
          c("night", 0x101830), c("dusk", 0x6a3a5a)};
}

std::vector<std::string> Lines(const nlohmann::json& j) {
  std::vector<std::string> out;
  if (j.contains("lines") && j["lines"].is_array())
    for (const auto& l : j["lines"]) out.push_back(l.get<std::string>());
  return out;
}

// Word-wraps text to at most `chars` characters per line.
std::vector<std::string> Wrap(const std::string& text, size_t chars) {
  std::vector<std::string> out;
  std::istringstream words(text);
  std::string word, line;
  while (words >> word) {
    if (!line.empty() && line.size() + 1 + word.size() > chars) {
      out.push_back(line);
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  if (!line.empty() || out.empty()) out.push_back(line);
  return out;
}

void Stars(Image& img, int count, uint64_t seed, int maxY) {
  Rng rng(seed);
  for (int i = 0; i < count; ++i) {
    int x = rng.Range(0, img.width - 1), y = rng.Range(0, maxY);
    uint32_t c = Mix(0x8090B0, 0xFFFFFF, rng.Uniform());
    Put(img, x, y, c);
    if (rng.Range(0, 9) == 0) {
      Put(img, x + 1, y, c);
      Put(img, x, y + 1, c);
    }
  }
}

// The vale at dusk: sky, mountains, a lake with the lantern's reflection and a shore.
void Landscape(Image& img, const Palette& pal, uint64_t seed, double lanternX) {
  const int w = img.width, h = img.height;
  VerticalGradient(img, 0, 0, w, h * 2 / 3, pal.night, pal.dusk);
  Stars(img, 160, seed, h / 3);
  FillCircle(img, w * 0.9, h * 0.12, 22, 0xF0E8C8);
  FillCircle(img, w * 0.9 + 8, h * 0.12 - 5, 19, Mix(pal.night, pal.dusk, 0.3));
  Rng rng(seed + 1);
  for (int layer = 0; layer < 3; ++layer) {
    const uint32_t c = Mix(0x20203a, 0x3a2a48, layer / 2.0);
    const double base = h * (0.46 + layer * 0.06);
    std::vector<std::pair<double, double>> pts{{0, static_cast<double>(h)}};
    double y = base;
    for (int x = 0; x <= w; x += 16) {
      y += rng.Range(-14, 14);
      y = std::clamp(y, base - 70.0 + layer * 20, base + 10.0);
      pts.push_back({static_cast<double>(x), y});
    }
    pts.push_back({static_cast<double>(w), static_cast<double>(h)});
    FillPolygon(img, pts, c);
  }
  VerticalGradient(img, 0, h * 2 / 3, w, h - h * 2 / 3, Mix(pal.dusk, 0x203050, 0.6), 0x101828);
  for (int i = 0; i < 40; ++i) {
    int y = rng.Range(h * 2 / 3 + 4, h - 10), x = rng.Range(0, w - 40);
    FillRect(img, x, y, rng.Range(10, 40), 1, Mix(pal.dusk, 0xFFFFFF, 0.3));
  }
  for (int y = h * 2 / 3; y < h; y += 3)  // the lantern's reflection
    FillRect(img, static_cast<int>(lanternX - 6 + pmath::Sin(y * 0.3) * 4), y, 12, 1, 0xF0C060);
  FillPolygon(img,
              {{0, h * 0.86},
               {w * 0.3, h * 0.8},
               {w * 0.42, h * 0.9},
               {w * 0.3, static_cast<double>(h)},
               {0, static_cast<double>(h)}},
              0x142014);
}

void Lantern(Image& img, int cx, int cy, int scale, uint32_t glow) {
  for (int r = 6; r >= 1; --r)
    FillCircle(img, cx, cy, r * 6.0 * scale / 2, Mix(Get(img, cx, cy), glow, 0.12 * (7 - r)));
  FillRect(img, cx - 4 * scale, cy - 6 * scale, 8 * scale, 12 * scale, 0xF8E090);
  FrameRect(img, cx - 5 * scale, cy - 7 * scale, 10 * scale, 14 * scale, 0x2a1a0a,
            std::max(1, scale / 2));
  FillRect(img, cx - 3 * scale, cy - 10 * scale, 6 * scale, 3 * scale, 0x2a1a0a);
}

// A framed panel: dark wood rim around parchment (for dark text), mid-toned stone (for dark
// and white text together) or wood.
void Panel(Image& img, const Palette& pal, const std::string& style) {
  const bool parchment = style == "parchment";
  const int w = img.width, h = img.height;
  Bevel(img, 0, 0, w, h, pal.panel, 3);
  FrameRect(img, 3, 3, w - 6, h - 6, pal.panelDark, 1);
  if (parchment) {
    for (int y = 6; y < h - 6; ++y)
      for (int x = 6; x < w - 6; ++x) {
        double n = ValueNoise(x, y, 12, 0, 77);
        img.Set(x, y, Mix(Shade(pal.parchment, 0.9), pal.parchment, n));
      }
    FrameRect(img, 6, 6, w - 12, h - 12, Shade(pal.parchment, 0.7), 1);
  } else if (style == "stone") {
    for (int y = 6; y < h - 6; ++y)
      for (int x = 6; x < w - 6; ++x) {
        double n = ValueNoise(x, y, 10, 0, 78);
        img.Set(x, y, Mix(0x6e6458, 0x8c8070, n));
      }
    FrameRect(img, 6, 6, w - 12, h - 12, 0x4a4238, 1);
  } else {
    VerticalGradient(img, 6, 6, w - 12, h - 12, Shade(pal.panel, 1.2), Shade(pal.panel, 0.8));
  }
  for (auto [x, y] : {std::pair{1, 1}, {w - 6, 1}, {1, h - 6}, {w - 6, h - 6}})
    FillRect(img, x, y, 5, 5, pal.gold);
}

void Slot(Image& img, int x, int y, int size, const Palette& pal) {
  FillRect(img, x - 1, y - 1, size + 2, size + 2, Shade(pal.panelDark, 0.8));
  VerticalGradient(img, x, y, size, size, Shade(pal.panelDark, 1.6), Shade(pal.panelDark, 1.1));
  FrameRect(img, x - 2, y - 2, size + 4, size + 4, Shade(pal.panelLight, 0.9), 1);
}

Image MenuButton(const std::string& caption, const Palette& pal, bool lit) {
  Image img = NewImage(160, 36);
  Bevel(img, 0, 0, 160, 36, lit ? Shade(pal.panelLight, 1.15) : pal.panel, 3);
  if (lit) FrameRect(img, 0, 0, 160, 36, pal.gold, 2);
  TextShadow(img, 80, 11, caption, lit ? 0xFFF4C0 : pal.gold, 0x1a1008, 2);
  return img;
}

Image SmallButton(const nlohmann::json& params, const Palette& pal) {
  const int size = params.value("size", 22);
  const std::string glyph = params.value("glyph", "x");
  uint32_t colour =
      params.contains("colour") ? ParseColour(params["colour"].get<std::string>()) : pal.panelLight;
  Image img = NewImage(size, size);
  FillCircle(img, size / 2.0, size / 2.0, size / 2.0, Shade(colour, 0.6));
  FillCircle(img, size / 2.0 - 0.5, size / 2.0 - 0.5, size / 2.0 - 2, colour);
  FillCircle(img, size / 2.0 - 2, size / 2.0 - 3, size / 5.0, Shade(colour, 1.3));
  const double c = size / 2.0, r = size * 0.26;
  const uint32_t ink = 0xFFF4D0;
  if (glyph == "x") {
    Line(img, c - r, c - r, c + r, c + r, ink, 2.5);
    Line(img, c + r, c - r, c - r, c + r, ink, 2.5);
  } else if (glyph == "up") {
    FillPolygon(img, {{c, c - r}, {c + r, c + r * 0.7}, {c - r, c + r * 0.7}}, ink);
  } else if (glyph == "down") {
    FillPolygon(img, {{c, c + r}, {c + r, c - r * 0.7}, {c - r, c - r * 0.7}}, ink);
  } else if (glyph == "left") {
    FillPolygon(img, {{c - r, c}, {c + r * 0.7, c - r}, {c + r * 0.7, c + r}}, ink);
  } else if (glyph == "right") {
    FillPolygon(img, {{c + r, c}, {c - r * 0.7, c - r}, {c - r * 0.7, c + r}}, ink);
  } else {
    TextCentred(img, size / 2, size / 2 - 7, glyph, ink, 2);
  }
  return img;
}

Image PlayerPanel(const nlohmann::json& params, const Palette& pal) {
  const int w = params.value("width", 640), h = params.value("height", 80);
  Image img = NewImage(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      double n = ValueNoise(x, y, 10, 0, 91);
      img.Set(x, y, Mix(Shade(pal.panelDark, 1.2), Shade(pal.panel, 0.9), n));
    }
  FillRect(img, 0, 0, w, 2, pal.gold);
  FillRect(img, 0, 2, w, 1, Shade(pal.gold, 0.5));
  // Bars (the game fills them, playerpanel.ini's HPrect, MPrect and EXrect): troughs and their
  // captions, which sit between the skill slot (its frame ends at x 46) and the troughs.
  const int barX = 62, barW = 108;
  const std::pair<int, const char*> bars[] = {{12, "HP"}, {27, "MP"}, {42, "EX"}};
  for (auto [y, cap] : bars) {
    FillRect(img, barX - 1, y - 1, barW + 2, y == 42 ? 8 : 11, 0x000000);
    FillRect(img, barX, y, barW, y == 42 ? 6 : 9, 0x201818);
    Text(img, 48, y + (y == 42 ? -1 : 1), cap, pal.gold);
  }
  Text(img, 58, 58, "Lv", pal.gold);
  Text(img, 112, 58, "$", pal.gold);
  Slot(img, 12, 22, 32, pal);  // current skill
  Text(img, 10, 58, "SKILL", Shade(pal.gold, 0.8));
  for (int k = 0; k < 9; ++k) {
    Slot(img, 182 + 36 * k, 24, 32, pal);
    Text(img, 182 + 36 * k + 1, 14, std::to_string(k + 1), Shade(pal.gold, 0.8));
  }
  // Equipment: weapon, armour and two charms, each empty slot showing a faint outline of what
  // it takes (a word would not fit in 32 pixels).
  const std::pair<int, int> slots[] = {{510, 6}, {546, 6}, {510, 42}, {546, 42}};
  const uint32_t mark = Shade(pal.panelDark, 2.4);
  for (int i = 0; i < 4; ++i) {
    const int x = slots[i].first, y = slots[i].second;
    Slot(img, x, y, 32, pal);
    if (i == 0) {  // a sword, point up and to the right
      Line(img, x + 8, y + 24, x + 25, y + 7, mark, 2);
      Line(img, x + 7, y + 17, x + 15, y + 25, mark, 2);
      Line(img, x + 5, y + 27, x + 9, y + 23, mark, 2);
    } else if (i == 1) {  // a tunic
      FillPolygon(img,
                  {{x + 9, y + 7},
                   {x + 13, y + 7},
                   {x + 16, y + 10},
                   {x + 19, y + 7},
                   {x + 23, y + 7},
                   {x + 28, y + 13},
                   {x + 25, y + 16},
                   {x + 23, y + 14},
                   {x + 23, y + 26},
                   {x + 9, y + 26},
                   {x + 9, y + 14},
                   {x + 7, y + 16},
                   {x + 4, y + 13}},
                  mark);
    } else {  // a ring with a stone
      FillCircle(img, x + 16, y + 18, 8, mark);
      FillCircle(img, x + 16, y + 18, 5.5, Shade(pal.panelDark, 1.3));
      FillCircle(img, x + 16, y + 9, 3, mark);
    }
  }
  return img;
}

Image Tutorial(const nlohmann::json& page, const Palette& pal) {
  Image img = NewImage(400, 300);
  Panel(img, pal, "parchment");
  TextCentred(img, 200, 20, page.value("title", ""), pal.ink, 2);
  FillRect(img, 40, 40, 320, 1, Shade(pal.parchment, 0.6));
  int y = 56;
  for (const auto& line : Lines(page))
    for (const auto& part : Wrap(line, 30)) {
      TextCentred(img, 200, y, part, Shade(pal.ink, 1.2), 2);
      y += 20;
    }
  return img;
}

Image Screen(const nlohmann::json& params, const nlohmann::json& art, const Palette& pal) {
  const std::string style = params.value("style", "");
  const std::string title = art.value("title", "ISORA"), subtitle = art.value("subtitle", "");
  Image img = NewImage(params.value("width", 640), params.value("height", 480), 0);
  const int w = img.width, h = img.height;
  const auto lines = Lines(params);
  if (style == "title" || style == "menu") {
    Landscape(img, pal, HashSeed(style), style == "menu" ? w / 7.0 : w / 2.0);
    if (style == "menu")
      Lantern(img, w / 7, static_cast<int>(h * 0.8), 2, 0xF0B040);
    else
      Lantern(img, w / 2, static_cast<int>(h * 0.6), 3, 0xF0B040);
    const int ty = style == "menu" ? 40 : 120;
    TextShadow(img, w / 2, ty, title, pal.gold, 0x1a0a04, 12);
    TextShadow(img, w / 2, ty + 96, subtitle, 0xF0E8D0, 0x1a0a04, 3);
    if (style == "menu") {
      // The shaded box holds the menu's buttons, 46 pixels apart from y 236.
      const int buttons =
          static_cast<int>(art.value("menuButtons", nlohmann::json::array()).size());
      const int bottom = std::min(h - 4, 424 + 46 * std::max(0, buttons - 4));
      for (int y = 222; y < bottom; ++y)
        for (int x = 226; x < 414; ++x) img.Set(x, y, Mix(img.At(x, y), 0x000000, 0.45));
      FrameRect(img, 226, 222, 188, bottom - 222, Shade(pal.gold, 0.6), 1);
    }
    for (size_t i = 0; i < lines.size(); ++i)
      TextCentred(img, style == "menu" ? w - 60 : w / 2, h - 30 + static_cast<int>(i) * 12,
                  lines[i], 0xC0C0D0, 1);
  } else if (style == "team") {
    VerticalGradient(img, 0, 0, w, h, 0x000000, pal.night);
    Stars(img, 120, 5, h);
    Lantern(img, w / 2, h / 2 - 60, 4, 0xF0B040);
    for (size_t i = 0; i < lines.size(); ++i)
      TextShadow(img, w / 2, h / 2 + 20 + static_cast<int>(i) * 44, lines[i],
                 i ? 0xC0C8E0 : pal.gold, 0, i ? 2 : 4);
  } else if (style == "engine") {
    Panel(img, pal, "parchment");
    for (int i = 0; i < 5; ++i)
      for (int j = 0; j < 5; ++j)
        FillDiamond(img, w / 2 + (i - j) * 16, 40 + (i + j) * 8, 30, 14,
                    (i + j) % 2 ? 0x4c8a34 : 0x6cae48);
    for (size_t i = 0; i < lines.size(); ++i)
      TextCentred(img, w / 2, 118 + static_cast<int>(i) * 34, lines[i], i == 1 ? 0x7a2a10 : pal.ink,
                  i == 1 ? 4 : 2);
  } else if (style == "credits" || style == "gameover") {
    // The game writes these screens' texts in black (and the result title in red, the score
    // in blue), so both are light.
    const bool credits = style == "credits";
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        double n = ValueNoise(x, y, 16, 0, credits ? 61 : 62);
        double edge = std::min({x, y, w - 1 - x, h - 1 - y}) / 60.0;
        uint32_t c = Mix(Shade(pal.parchment, 0.92), pal.parchment, n);
        img.Set(x, y, Mix(Shade(c, credits ? 0.8 : 0.7), c, std::min(1.0, edge)));
      }
    FrameRect(img, 14, 14, w - 28, h - 28, Shade(pal.panel, 1.1), 3);
    FrameRect(img, 20, 20, w - 40, h - 40, pal.gold, 1);
    if (credits) {
      TextShadow(img, w / 2, 34, title, Shade(pal.ink, 1.4), pal.gold, 4);
      Lantern(img, 60, 70, 2, 0xF0B040);
      Lantern(img, w - 60, 70, 2, 0xF0B040);
    } else {
      Rng rng(3);
      for (int i = 0; i < 160; ++i)
        FillCircle(img, rng.Range(24, w - 24), rng.Range(h - 60, h - 26), rng.Uniform() * 2 + 0.5,
                   Mix(0xD04010, 0xF0A040, rng.Uniform()));
      for (size_t i = 0; i < lines.size(); ++i)
        TextCentred(img, w / 2, h - 52, lines[i], 0x802010, 2);
    }
  } else if (style == "bosskey") {
    FillRect(img, 0, 0, w, h, 0xFFFFFF);
    FillRect(img, 0, 0, w, 22, 0x2a5aa0);
    Text(img, 8, 8, "Quarterly report.xls - Spreadsheet", 0xFFFFFF);
    FillRect(img, 0, 22, w, 18, 0xE8E8E8);
    Text(img, 8, 28, "File  Edit  View  Insert  Format  Tools  Data", 0x202020);
    for (int x = 40; x < w; x += 80) FillRect(img, x, 40, 1, h - 40, 0xC0C0C0);
    for (int y = 40; y < h; y += 18) FillRect(img, 0, y, w, 1, 0xC0C0C0);
    Rng rng(4);
    for (int row = 1; row * 18 + 40 < h; ++row) {
      Text(img, 8, 46 + row * 18, std::to_string(row), 0x606060);
      for (int col = 0; col < 7; ++col)
        Text(img, 48 + col * 80, 46 + row * 18, std::to_string(rng.Range(100, 99999)), 0x202020);
    }
  }
  return img;
}

}  // namespace

std::vector<Picture> MakeUiPictures(const nlohmann::json& art) {
  const Palette pal = ReadPalette(art);
  std::vector<Picture> out;
  for (const auto& s : art.value("splash", nlohmann::json::array()))
    out.push_back({s.value("name", ""), Screen(s, art, pal)});
  for (const auto& s : art.value("screens", nlohmann::json::array()))
    out.push_back({s.value("name", ""), Screen(s, art, pal)});
  for (const auto& b : art.value("menuButtons", nlohmann::json::array())) {
    const std::string name = b.value("name", "btn"), caption = b.value("caption", "");
    out.push_back({name + ".bmp", MenuButton(caption, pal, false)});
    out.push_back({name + "_on.bmp", MenuButton(caption, pal, true)});
  }
  for (const auto& p : art.value("panels", nlohmann::json::array())) {
    Image img = NewImage(p.value("width", 200), p.value("height", 200));
    Panel(img, pal, p.value("style", "wood"));
    if (p.contains("caption"))
      TextShadow(img, img.width / 2, 16, p["caption"].get<std::string>(),
                 p.value("style", "wood") == "parchment" ? pal.ink : pal.gold,
                 p.value("style", "wood") == "parchment" ? Shade(pal.parchment, 0.7) : 0, 2);
    const int grid = p.value("grid", 0);
    for (int r = 0; r < grid; ++r)
      for (int c = 0; c < grid; ++c) Slot(img, 20 + c * 40, 44 + r * 40, 32, pal);
    out.push_back({p.value("name", ""), std::move(img)});
  }
  for (const auto& b : art.value("smallButtons", nlohmann::json::array()))
    out.push_back({b.value("name", ""), SmallButton(b, pal)});
  if (art.contains("playerPanel"))
    out.push_back({art["playerPanel"].value("name", "playerpanel.bmp"),
                   PlayerPanel(art["playerPanel"], pal)});
  for (const auto& t : art.value("tutorial", nlohmann::json::array()))
    out.push_back({t.value("name", ""), Tutorial(t, pal)});
  return out;
}

}  // namespace isora::demo
