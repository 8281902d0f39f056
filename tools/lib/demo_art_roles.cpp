// Role sprites: humans and beasts drawn as simple jointed figures, so every state and all
// eight directions come from one description.
#include <algorithm>
#include <cmath>
#include <string>

#include "foundation/portable_math.h"
#include "lib/demo_art.h"

namespace isora::demo {

namespace {

constexpr double kPi = 3.14159265358979323846;

uint32_t LookColour(const nlohmann::json& look, const char* key, uint32_t fallback) {
  if (look.contains(key) && look[key].is_string()) return ParseColour(look[key].get<std::string>());
  return fallback;
}

struct Pose {
  double fx, fy;        // facing, screen space (y down)
  double rx, ry;        // the figure's right hand side
  double legSwing = 0;  // -1 .. 1
  double armSwing = 0;
  double bob = 0;
  double lean = 0;
  int attack = -1;  // fight step 0..3
};

Pose MakePose(int direction) {
  const double a = (direction - 1) * kPi / 4;
  Pose p;
  p.fx = pmath::Sin(a);
  p.fy = -pmath::Cos(a);
  p.rx = -p.fy;
  p.ry = p.fx;
  return p;
}

void FrameSize(const nlohmann::json& set, int& w, int& h) {
  const auto& look = set["look"];
  const double scale = look.value("scale", 1.0);
  if (set.value("body", "human") == "beast") {
    const int len = look.value("length", 36), height = look.value("height", 20);
    w = std::max(48, static_cast<int>(len * 1.7) + 20);
    h = std::max(40, height * 2 + 26);
  } else {
    w = static_cast<int>(std::lround(56 * scale));
    h = static_cast<int>(std::lround(72 * scale));
  }
  w += w & 1;
  h += h & 1;
}

// Rotates an image about (px, py) by angle (nearest neighbour), for falling bodies.
Image Rotate(const Image& src, double px, double py, double angle) {
  Image out = NewImage(src.width, src.height);
  const double c = pmath::Cos(angle), s = pmath::Sin(angle);
  for (int y = 0; y < src.height; ++y)
    for (int x = 0; x < src.width; ++x) {
      double dx = x + 0.5 - px, dy = y + 0.5 - py;
      double sx = c * dx + s * dy + px, sy = -s * dx + c * dy + py;
      out.Set(x, y, Get(src, static_cast<int>(std::floor(sx)), static_cast<int>(std::floor(sy))));
    }
  return out;
}

void DrawWeapon(Image& img, const std::string& kind, double hx, double hy, double dx, double dy,
                double s) {
  if (kind.empty()) return;
  const double len = pmath::Hypot(dx, dy);
  if (len < 0.01) return;
  dx /= len;
  dy /= len;
  if (kind == "sword") {
    Line(img, hx, hy, hx + dx * 20 * s, hy + dy * 20 * s, 0xD8E0E8, 2.2 * s);
    Line(img, hx - dy * 4 * s, hy + dx * 4 * s, hx + dy * 4 * s, hy - dx * 4 * s, 0x8a6a20, 2 * s);
  } else if (kind == "spear") {
    Line(img, hx - dx * 10 * s, hy - dy * 10 * s, hx + dx * 24 * s, hy + dy * 24 * s, 0x8a6a40,
         2 * s);
    FillCircle(img, hx + dx * 25 * s, hy + dy * 25 * s, 2.5 * s, 0xD0D8E0);
  } else if (kind == "axe") {
    Line(img, hx, hy, hx + dx * 16 * s, hy + dy * 16 * s, 0x6a4a2a, 2 * s);
    FillCircle(img, hx + dx * 15 * s - dy * 3 * s, hy + dy * 15 * s + dx * 3 * s, 4.5 * s,
               0xB0B8C0);
  } else if (kind == "hammer") {
    Line(img, hx, hy, hx + dx * 14 * s, hy + dy * 14 * s, 0x6a4a2a, 2 * s);
    FillRect(img, static_cast<int>(hx + dx * 14 * s - 4 * s),
             static_cast<int>(hy + dy * 14 * s - 3 * s), static_cast<int>(8 * s),
             static_cast<int>(6 * s), 0x606870);
  } else if (kind == "staff") {
    Line(img, hx - dx * 8 * s, hy - dy * 8 * s + 8 * s, hx + dx * 10 * s, hy + dy * 10 * s - 16 * s,
         0x5a3a1a, 2 * s);
    FillCircle(img, hx + dx * 10 * s, hy + dy * 10 * s - 18 * s, 3.5 * s, 0xFF9030);
  }
}

// A human figure standing with its feet at (cx, feetY).
void DrawHuman(Image& img, const nlohmann::json& look, const Pose& p, double cx, double feetY) {
  const double s = look.value("scale", 1.0);
  const uint32_t skin = LookColour(look, "skin", 0xF0C8A0),
                 hair = LookColour(look, "hair", 0x5A3218),
                 shirt = LookColour(look, "shirt", 0x2D5FB4),
                 legs = LookColour(look, "legs", 0x3C3C50);
  const bool robe = look.value("robe", false), bones = look.value("bones", false),
             ghost = look.value("ghost", false);
  const std::string weapon = look.contains("weapon") ? look["weapon"].get<std::string>()
                                                     : (look.value("staff", false) ? "staff" : "");
  const double hipY = feetY - 20 * s + p.bob, shoulderY = hipY - 18 * s, headY = shoulderY - 9 * s;
  const double lx = p.lean * p.fx * 3 * s, ly = p.lean * p.fy * 1.5 * s;
  const double side = 5 * s;
  const bool backView = p.fy<-0.3, frontView = p.fy> 0.3;

  if (look.contains("glow")) {
    uint32_t g = LookColour(look, "glow", 0xFF8020);
    FillEllipse(img, cx, feetY - 1, 18 * s, 6 * s, Shade(g, 0.6));
  }
  FillEllipse(img, cx + 2, feetY, 12 * s, 4 * s, 0x202018);  // shadow

  // Limbs: the side whose right vector points up the screen is farther away.
  auto leg = [&](double sign) {
    double hx = cx + p.rx * sign * side * 0.7, hy = hipY + p.ry * sign * side * 0.35;
    double swing = p.legSwing * sign * 6 * s;
    double fx = hx + p.fx * swing, fy = feetY + p.fy * swing * 0.5 - 1;
    uint32_t c = bones ? 0xE0DCC8 : legs;
    Line(img, hx, hy, fx, fy, c, (bones ? 2.0 : 4.2) * s);
    FillEllipse(img, fx + p.fx * 1.5, fy, 2.6 * s, 1.6 * s, bones ? 0xE0DCC8 : 0x3a2a1a);
  };
  auto arm = [&](double sign, bool holdsWeapon) {
    double sx = cx + lx + p.rx * sign * side * 1.25, sy = shoulderY + ly + p.ry * sign * side * 0.6;
    double swing = -p.armSwing * sign * 6 * s;
    double hx = sx + p.fx * swing, hy = sy + 13 * s + p.fy * swing * 0.5;
    double wdx = p.fx, wdy = p.fy * 0.5 - 0.6;
    if (holdsWeapon && p.attack >= 0) {
      static const double kReach[] = {-0.6, 0.2, 1.0, 0.5}, kLift[] = {12, 16, 4, 8};
      hx = sx + p.fx * kReach[p.attack] * 12 * s;
      hy = sy + 12 * s - kLift[p.attack] * s + p.fy * kReach[p.attack] * 6 * s;
      wdx = p.fx * (p.attack >= 2 ? 1.0 : 0.2);
      wdy = p.fy * 0.5 - (p.attack >= 2 ? 0.1 : 1.0);
    }
    Line(img, sx, sy, hx, hy, bones ? 0xE0DCC8 : shirt, (bones ? 2.0 : 3.6) * s);
    FillCircle(img, hx, hy, 2.2 * s, skin);
    if (holdsWeapon) DrawWeapon(img, weapon, hx, hy, wdx, wdy, s);
  };
  const double farSign = p.ry < 0 ? 1 : -1;
  // Right hand (+1) holds the weapon.
  if (!ghost) leg(farSign);
  if (look.contains("cape") && !backView) {
    uint32_t cape = LookColour(look, "cape", 0xB42828);
    FillPolygon(img,
                {{cx + lx - 8 * s, shoulderY + ly},
                 {cx + lx + 8 * s, shoulderY + ly},
                 {cx + 10 * s, hipY + 8 * s},
                 {cx - 10 * s, hipY + 8 * s}},
                Shade(cape, 0.7));
  }
  arm(farSign, farSign > 0);
  if (!ghost) leg(-farSign);
  // Torso (and robe or ghostly tail).
  if (ghost) {
    FillPolygon(img,
                {{cx + lx - 9 * s, shoulderY + ly},
                 {cx + lx + 9 * s, shoulderY + ly},
                 {cx + 11 * s, feetY - 6 * s},
                 {cx + 3 * s, feetY - 10 * s + p.bob * 2},
                 {cx - 4 * s, feetY - 4 * s},
                 {cx - 11 * s, feetY - 9 * s}},
                shirt);
  } else if (robe) {
    FillPolygon(img,
                {{cx + lx - 8 * s, shoulderY + ly},
                 {cx + lx + 8 * s, shoulderY + ly},
                 {cx + 11 * s, feetY - 2 * s},
                 {cx - 11 * s, feetY - 2 * s}},
                shirt);
    Line(img, cx - 10 * s, feetY - 3 * s, cx + 10 * s, feetY - 3 * s, Shade(shirt, 0.7), 2 * s);
  } else if (bones) {
    Line(img, cx + lx, shoulderY + ly, cx, hipY, 0xE0DCC8, 2.5 * s);
    for (int i = 0; i < 4; ++i)
      Line(img, cx + lx - 6 * s, shoulderY + ly + (3 + i * 4) * s, cx + lx + 6 * s,
           shoulderY + ly + (3 + i * 4) * s, 0xD8D4C0, 1.6 * s);
    FillEllipse(img, cx, hipY, 6 * s, 3 * s, 0xD8D4C0);
  } else {
    FillPolygon(img,
                {{cx + lx - 8 * s, shoulderY + ly},
                 {cx + lx + 8 * s, shoulderY + ly},
                 {cx + 7 * s, hipY + 2 * s},
                 {cx - 7 * s, hipY + 2 * s}},
                shirt);
    Line(img, cx - 7 * s, hipY, cx + 7 * s, hipY, 0x3a2a1a, 2 * s);  // belt
  }
  if (look.contains("apron") && !backView)
    FillRect(img, static_cast<int>(cx - 6 * s), static_cast<int>(shoulderY + 6 * s),
             static_cast<int>(12 * s), static_cast<int>(18 * s),
             LookColour(look, "apron", 0x8a6a4a));
  if (!robe && !ghost && !bones && frontView)  // collar shading
    FillRect(img, static_cast<int>(cx + lx - 3 * s), static_cast<int>(shoulderY + ly),
             static_cast<int>(6 * s), static_cast<int>(3 * s), Shade(shirt, 1.3));
  if (look.contains("cape") && backView) {
    uint32_t cape = LookColour(look, "cape", 0xB42828);
    FillPolygon(img,
                {{cx + lx - 9 * s, shoulderY + ly},
                 {cx + lx + 9 * s, shoulderY + ly},
                 {cx + 11 * s, hipY + 10 * s},
                 {cx - 11 * s, hipY + 10 * s}},
                cape);
  }
  // Head.
  const double hx = cx + lx * 1.3, hy = headY + ly;
  const double hr = 6.5 * s;
  if (look.value("longhair", false) && !backView)
    FillEllipse(img, hx, hy + 4 * s, hr + 1.5 * s, hr + 3 * s, hair);
  FillCircle(img, hx, hy, hr, bones ? 0xECE8D8 : skin);
  if (backView) {
    FillCircle(img, hx, hy - 0.5, hr, hair);
    if (look.value("longhair", false)) FillEllipse(img, hx, hy + 5 * s, hr, hr + 2 * s, hair);
  } else {
    // Hair on top, eyes toward the facing.
    FillEllipse(img, hx - p.fx * 1.5 * s, hy - hr * 0.55, hr, hr * 0.55, hair);
    if (frontView || std::abs(p.fx) > 0.5) {
      const double ex = hx + p.fx * 3 * s, ey = hy + 1 * s;
      const uint32_t eye = bones ? 0x201010 : (look.contains("glow") ? 0xFFE040 : 0x201810);
      if (frontView) {
        Put(img, static_cast<int>(ex - 2.5 * s), static_cast<int>(ey), eye);
        Put(img, static_cast<int>(ex + 2.5 * s), static_cast<int>(ey), eye);
        if (s > 1.2) {
          Put(img, static_cast<int>(ex - 2.5 * s) + 1, static_cast<int>(ey), eye);
          Put(img, static_cast<int>(ex + 2.5 * s) + 1, static_cast<int>(ey), eye);
        }
      } else {
        Put(img, static_cast<int>(ex + p.fx * 1.5 * s), static_cast<int>(ey), eye);
      }
    }
    if (look.contains("mask"))
      FillRect(img, static_cast<int>(hx - hr), static_cast<int>(hy + 1.5 * s),
               static_cast<int>(2 * hr), static_cast<int>(3.5 * s),
               LookColour(look, "mask", 0xA02020));
    if (look.contains("beard"))
      FillEllipse(img, hx + p.fx * 2 * s, hy + hr * 0.7, hr * 0.7, hr * 0.6,
                  LookColour(look, "beard", hair));
  }
  if (look.contains("hat")) {
    uint32_t hat = LookColour(look, "hat", 0x3A5020);
    FillEllipse(img, hx, hy - hr * 0.6, hr * 1.6, hr * 0.45, Shade(hat, 0.8));
    FillEllipse(img, hx, hy - hr * 1.0, hr * 0.9, hr * 0.7, hat);
  }
  if (look.contains("helmet")) {
    uint32_t helm = LookColour(look, "helmet", 0xC0C8D0);
    FillEllipse(img, hx, hy - hr * 0.35, hr * 1.1, hr * 0.85, helm);
    FillEllipse(img, hx - hr * 0.3, hy - hr * 0.6, hr * 0.35, hr * 0.25, Shade(helm, 1.3));
  }
  // The weapon in the right hand, when that hand is the nearer one.
  arm(-farSign, -farSign > 0);
}

void DrawBeast(Image& img, const nlohmann::json& look, const Pose& p, double cx, double feetY,
               bool lunge) {
  const uint32_t fur = LookColour(look, "fur", 0x707880),
                 belly = LookColour(look, "belly", 0xB0B8C0);
  const double len = look.value("length", 36), height = look.value("height", 20);
  const bool longLegs = look.value("longlegs", false);
  const double legLen = height * (longLegs ? 0.75 : 0.5);
  const double bodyY = feetY - legLen - height * 0.3 + p.bob;
  const double ax = p.fx * len / 2, ay = p.fy * len / 4;  // half body axis on screen
  FillEllipse(img, cx + 2, feetY, len * 0.6, len * 0.18 + 3, 0x202018);
  auto legAt = [&](double t, double sign, double phase) {
    double bx = cx + ax * t + p.rx * sign * height * 0.25,
           by = bodyY + ay * t + p.ry * sign * height * 0.12;
    double swing = p.legSwing * phase * 5;
    Line(img, bx, by, bx + p.fx * swing, feetY + p.fy * swing * 0.5 + p.ry * sign * 2 - 1,
         Shade(fur, 0.75), std::max(2.0, height / 7));
  };
  const double far = p.ry < 0 ? 1 : -1;
  legAt(0.6, far, 1);
  legAt(-0.6, far, -1);
  // Tail.
  const double tail = look.value("tail", 8);
  Line(img, cx - ax, bodyY - ay, cx - ax * (1 + tail / len * 1.6),
       bodyY - ay * 1.2 - tail * 0.4 - p.bob * 2, Shade(fur, 0.8), 3);
  // Body along its axis, drawn from the far end.
  const bool headFirst = p.fy < 0;
  auto head = [&]() {
    const double lunge_ = lunge ? 0.35 : 0;
    double hx = cx + ax * (1.15 + lunge_), hy = bodyY + ay * (1.15 + lunge_) - height * 0.35;
    double hr = height * 0.42;
    FillCircle(img, hx, hy, hr, fur);
    FillEllipse(img, hx + p.fx * hr * 0.8, hy + hr * 0.25, hr * 0.55, hr * 0.4, Shade(fur, 1.15));
    if (look.value("ears", false)) {
      FillPolygon(img,
                  {{hx - hr * 0.7, hy - hr * 0.4},
                   {hx - hr * 0.2, hy - hr * 0.6},
                   {hx - hr * 0.6, hy - hr * 1.4}},
                  Shade(fur, 0.8));
      FillPolygon(img,
                  {{hx + hr * 0.7, hy - hr * 0.4},
                   {hx + hr * 0.2, hy - hr * 0.6},
                   {hx + hr * 0.6, hy - hr * 1.4}},
                  Shade(fur, 0.8));
    }
    if (look.value("antlers", false)) {
      Line(img, hx - 3, hy - hr, hx - 8, hy - hr - 12, 0xD0C0A0, 2);
      Line(img, hx - 6, hy - hr - 7, hx - 12, hy - hr - 9, 0xD0C0A0, 2);
      Line(img, hx + 3, hy - hr, hx + 8, hy - hr - 12, 0xD0C0A0, 2);
      Line(img, hx + 6, hy - hr - 7, hx + 12, hy - hr - 9, 0xD0C0A0, 2);
    }
    if (look.value("tusks", false)) {
      Line(img, hx + p.fx * hr - 3, hy + hr * 0.4, hx + p.fx * hr * 1.3 - 4, hy - hr * 0.2,
           0xFFF8E0, 2);
      Line(img, hx + p.fx * hr + 3, hy + hr * 0.4, hx + p.fx * hr * 1.3 + 4, hy - hr * 0.2,
           0xFFF8E0, 2);
    }
    if (p.fy > -0.3) {
      Put(img, static_cast<int>(hx + p.fx * hr * 0.5 - hr * 0.35), static_cast<int>(hy - hr * 0.2),
          0x101010);
      Put(img, static_cast<int>(hx + p.fx * hr * 0.5 + hr * 0.35), static_cast<int>(hy - hr * 0.2),
          0x101010);
    }
    if (lunge) FillEllipse(img, hx + p.fx * hr, hy + hr * 0.6, hr * 0.35, hr * 0.25, 0x801010);
  };
  if (headFirst) head();
  for (int i = 0; i <= 8; ++i) {
    double t = -1 + i / 4.0;
    FillEllipse(img, cx + ax * t * 0.8, bodyY + ay * t * 0.8, height * 0.5, height * 0.42, fur);
  }
  FillEllipse(img, cx, bodyY + height * 0.22, len * 0.3 * std::abs(p.fx) + height * 0.3,
              height * 0.18, belly);
  FillEllipse(img, cx - ax * 0.2, bodyY - height * 0.25, len * 0.25 * std::abs(p.fx) + height * 0.2,
              height * 0.12, Shade(fur, 1.2));
  legAt(0.6, -far, -1);
  legAt(-0.6, -far, 1);
  if (!headFirst) head();
}

}  // namespace

Image DrawRoleFrame(const nlohmann::json& set, const std::string& state, int direction, int step,
                    int steps) {
  int w, h;
  FrameSize(set, w, h);
  const auto& look = set["look"];
  const bool beast = set.value("body", "human") == "beast";
  Image img = NewImage(w, h);
  Pose p = MakePose(direction);
  const double cx = w / 2.0, feetY = h - 6.0;
  const double phase = steps > 0 ? 2 * kPi * step / steps : 0;
  bool lunge = false;
  if (state == "stand") {
    p.bob = step % 2 ? 1 : 0;
  } else if (state == "walk") {
    p.legSwing = pmath::Sin(phase);
    p.armSwing = pmath::Sin(phase) * 0.8;
    p.bob = std::abs(pmath::Cos(phase)) > 0.7 ? 0 : 1;
  } else if (state == "run") {
    p.legSwing = pmath::Sin(phase) * 1.6;
    p.armSwing = pmath::Sin(phase) * 1.4;
    p.bob = std::abs(pmath::Cos(phase)) > 0.7 ? -1 : 1;
    p.lean = 1;
  } else if (state == "fight") {
    // The blow lands on the last four steps; a longer fight holds the guard first, so a slow
    // fighter is seen winding up before it strikes.
    p.attack = std::clamp(step - std::max(steps - 4, 0), 0, 3);
    p.lean = p.attack == 2 ? 1 : 0;
    lunge = p.attack == 1 || p.attack == 2;
  }
  if (beast)
    DrawBeast(img, look, p, cx, feetY, lunge);
  else
    DrawHuman(img, look, p, cx, feetY);
  if (state == "die") {
    // Falls sideways, a little further each step; the last step lies on the ground.
    const double t = steps > 1 ? double(step) / (steps - 1) : 1.0;
    const double angle = (p.fx >= 0 ? -1 : 1) * t * kPi / 2 * 0.95;
    img = Rotate(img, cx, feetY, angle);
    if (t >= 1.0) FillEllipse(img, cx, feetY - 2, w * 0.22, 3, 0x701010);
  }
  Outline(img, 0x141010);
  return img;
}

void RoleFrameSize(const nlohmann::json& set, int& w, int& h) { FrameSize(set, w, h); }

RoleFrames MakeRoleFrames(const nlohmann::json& set) {
  RoleFrames out;
  FrameSize(set, out.width, out.height);
  const std::string prefix = set.value("prefix", "role");
  for (const auto& [state, count] : set["states"].items()) {
    const int steps = count.get<int>();
    for (int d = 1; d <= 8; ++d)
      for (int k = 0; k < steps; ++k)
        out.frames.push_back(
            {prefix + "\\" + state + std::to_string(d) + "_" + std::to_string(k) + ".bmp",
             DrawRoleFrame(set, state, d, k, steps)});
  }
  return out;
}

}  // namespace isora::demo
