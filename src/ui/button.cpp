#include "ui/button.h"

#include "foundation/system_hooks.h"
#include "media/renderer.h"
#include "ui/picture_path.h"
#include "ui/ui_host.h"

namespace isora {

Button::Button(Renderer& renderer, std::string name_, int x_, int y_, int type_,
               bool playsHoverSound_, std::optional<std::string> hoverName_)
    : x(x_), y(y_), type(type_), name(std::move(name_)), playsHoverSound(playsHoverSound_) {
  hitRect = Rect{x, y, x, y};
  if (type == kButtonText) {
    Size s = renderer.TextExtent(name);
    SetSize(s.cx, s.cy);
  } else if (type == kButtonPicture) {
    if (!IsNull()) {
      Size s = PictureSize(renderer, name);
      SetSize(s.cx, s.cy);
    }
  } else if (type == kButtonPicturePair) {
    if (!IsNull() && hoverName_) {
      if (!hoverName_->empty()) hoverName = std::move(*hoverName_);
      Size s = PictureSize(renderer, name);
      SetSize(s.cx, s.cy);
    }
  }
}

void Button::Move(int newX, int newY, int w, int h) {
  if (newX != -1) x = newX;
  if (newY != -1) y = newY;
  SetSize(w, h);
}

bool Button::IsNull() const { return IsNullPicture(name); }

void Button::Draw(Renderer& renderer, UiHost* host) {
  if (hovered) {
    if (!hoverSoundPlayed && playsHoverSound) {
      if (host && host->PlayHoverSound()) Hooks::DebugOutput("[button]playsound\n");
      hoverSoundPlayed = true;
    }
    if (type == kButtonPicture && !IsNull()) {
      // Lit on a copy so the brightening never touches the screen behind the picture's
      // transparent pixels.
      if (auto p = ResolvePicture(renderer, name))
        renderer.DrawPictureLit(p->pack, p->name, kSurfaceBackBuffer, x, y);
    } else if (type == kButtonPicturePair) {
      if (!IsNullPicture(hoverName)) DrawPicturePath(renderer, hoverName, kSurfaceBackBuffer, x, y);
    } else if (type == kButtonText) {
      renderer.DrawText(name, x, y, kSurfaceBackBuffer, kTaLeft, kCaptionHoverColor);
    }
    return;
  }
  hoverSoundPlayed = false;
  if (type == kButtonPicture || type == kButtonPicturePair) {
    if (!IsNull()) DrawPicturePath(renderer, name, kSurfaceBackBuffer, x, y);
  } else if (type == kButtonText) {
    renderer.DrawText(name, x, y, kSurfaceBackBuffer, kTaLeft, kCaptionColor);
  }
}

}  // namespace isora
