// The talk page: a frozen copy of the scene on the temp surface with a lightened band, the
// speaker's face and outlined name, and the page text. The frame shows the temp surface while
// the talk dialog is open.
#pragma once

#include <memory>
#include <string>

#include "media/surface.h"

namespace isora {

class Font;
class Renderer;

constexpr int kTalkTextX = 105;
constexpr int kTalkTextY = 175;
constexpr int kTalkLineBytes = 64;
constexpr size_t kTalkTextMax = 255;
constexpr Rect kTalkBand{0, 170, 640, 310};

class TalkPage {
 public:
  // font: "Segoe UI" of height 20 (the dialog's); face "NULL" means no picture.
  static void Draw(Renderer& renderer, const std::shared_ptr<Font>& font, int cameraX, int cameraY,
                   const std::string& speaker, const std::string& text, const std::string& face);
  // The text as the page lays it out: at most 255 bytes (never half a character), "\n" and
  // "\d" rewritten.
  static std::string WorkingText(const std::string& text);
};

// Lightens a rectangle half way toward white (5-6-5 channel maxima 31, 63, 31; in 5-5-5 every
// channel's maximum is 31).
void LightenHalf(Surface& surface, const Rect& rect);

}  // namespace isora
