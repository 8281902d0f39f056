// What the panels ask of the game around them: the cursor, sounds, the message line and the
// system beep. The shell supplies one; tests record the calls instead.
#pragma once

#include <string>

#include "media/surface.h"

namespace isora {

class UiHost {
 public:
  virtual ~UiHost() = default;
  // GetCursorPos in 640×480 screen coordinates.
  virtual Point CursorPos() const = 0;
  // Plays a sound once by game path ("sound\\button_click.wav").
  virtual void PlaySound(const std::string& path) = 0;
  // Plays the game's button-hover sound once; false when it was not loaded at start-up.
  virtual bool PlayHoverSound() = 0;
  // A text for the message line (GBK, "\d" already turned into ", ").
  virtual void ShowMessage(const std::string& text) = 0;
  virtual void Beep() = 0;
};

// A host with a fixed cursor and no output: for off-screen rendering (the kit's preview).
class SilentUiHost : public UiHost {
 public:
  explicit SilentUiHost(Point cursor = {-1, -1}) : cursor_(cursor) {}
  Point CursorPos() const override { return cursor_; }
  void SetCursor(Point p) { cursor_ = p; }
  void PlaySound(const std::string&) override {}
  bool PlayHoverSound() override { return false; }
  void ShowMessage(const std::string&) override {}
  void Beep() override {}

 private:
  Point cursor_;
};

}  // namespace isora
