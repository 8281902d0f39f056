// A panel button: a text caption, a picture lit by brightening, or a picture pair, with the
// rectangle that reacts to the mouse and a hover sound played once per entry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "media/surface.h"

namespace isora {

class Renderer;
class UiHost;

// A 64-bit position held to the int range.
constexpr int ClampToInt(int64_t v) {
  return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int>(v);
}
// a + b held to the int range: a position plus an offset, either of which may be at the limit.
constexpr int AddClamped(int a, int b) { return ClampToInt(int64_t{a} + b); }

enum ButtonType : int { kButtonText = 0, kButtonPicture = 1, kButtonPicturePair = 2 };

class Button {
 public:
  // hoverName is the second picture of a type 2 button. A type 2 button given none keeps an
  // empty hit rectangle and never reacts; one given a second path (even an empty one, as a
  // menu whose INI lacks it) is sized from its first picture, and without a usable second
  // picture it shows the first one under the mouse too. The renderer measures captions and
  // pictures.
  Button(Renderer& renderer, std::string name, int x, int y, int type, bool playsHoverSound,
         std::optional<std::string> hoverName = std::nullopt);

  bool HitTest(int px, int py) const { return hitRect.Contains(px, py); }
  void UpdateHover(int px, int py) { hovered = HitTest(px, py); }
  // Replaces the caption; the hit rectangle stays.
  void SetCaption(std::string text) { name = std::move(text); }
  void SetSize(int w, int h) { hitRect = Rect{x, y, AddClamped(x, w), AddClamped(y, h)}; }
  // Takes the new position unless a coordinate is -1, then sets the size.
  void Move(int newX, int newY, int w, int h);
  bool IsNull() const;
  // Draws on the back buffer; the first draw after the mouse entered plays the hover sound.
  void Draw(Renderer& renderer, UiHost* host);

  int x = 0, y = 0;
  int type = kButtonText;
  std::string name;
  std::string hoverName = "NULL";
  Rect hitRect;
  bool hovered = false;
  bool hoverSoundPlayed = false;
  bool playsHoverSound = false;
};

// Caption colours: red under the mouse, blue otherwise.
constexpr ColorRef kCaptionHoverColor = MakeColorRef(255, 0, 0);
constexpr ColorRef kCaptionColor = MakeColorRef(0, 0, 255);

}  // namespace isora
