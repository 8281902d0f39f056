// The common base of every panel: a position, a background picture, buttons in click order,
// text boxes, a font for hints, and the panel's sounds.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/button.h"
#include "ui/text_box.h"

namespace isora {

class Font;
class IniFile;
class Renderer;
class UiHost;

// Panels place everything on a 640x480 screen, so a panel INI's numbers (positions, sizes,
// spacings, counts) are held within +-kPanelNumberLimit as they are read: a damaged INI can put
// a button far off the screen, but no sum or product of its numbers overflows.
constexpr int kPanelNumberLimit = 1 << 20;
int PanelNumber(const IniFile& ini, std::string_view section, std::string_view key);

class WidgetContainer {
 public:
  // The renderer and host must outlive the panel; host may be null (no cursor, no sound).
  WidgetContainer(Renderer& renderer, UiHost* host);
  virtual ~WidgetContainer();
  WidgetContainer(const WidgetContainer&) = delete;
  WidgetContainer& operator=(const WidgetContainer&) = delete;

  // Hover state of every button from the cursor.
  virtual void UpdateHover();
  // Background at (x, y) on the back buffer, then the buttons, then the text boxes.
  virtual void Draw();
  // Plays "sound\<file>" once; 0 for an empty name, else 1.
  int PlaySound(const std::string& file);

  // The index of the last button in list order whose hit rectangle holds the point, or -1.
  int ButtonAt(int px, int py) const;
  Point Cursor() const;

  Renderer& GetRenderer() { return renderer_; }

  std::shared_ptr<Font> font;  // "Segoe UI" 18, for hints
  int x = 0, y = 0;
  std::vector<Button> buttons;
  std::vector<TextBox> textBoxes;
  std::string background = "NULL";
  // What the last INI load found wrong with the panel's buttons, one line each
  // ("[section] key: why"), for the game to log: such a button cannot be clicked.
  std::vector<std::string> iniProblems;

 protected:
  // Notes in iniProblems each of `keys` that `section` lacks or that does not hold a number
  // ("text" is a picture path or caption and is only required), a type that is none of the
  // button types, and a button left without a size.
  void CheckIniButton(const IniFile& ini, const char* section, const Button& button,
                      std::initializer_list<const char*> keys);
  // Appends a button read from an INI section's "text", "type", "x", "y", offset by the
  // panel position.
  void AddIniButton(const IniFile& ini, const char* section, bool offset = true);
  // Appends a text box from "lines", "x", "y", "lineChars" (black, "Segoe UI" 20).
  void AddIniTextBox(const IniFile& ini, const char* section, bool centred);

  Renderer& renderer_;
  UiHost* host_;
};

}  // namespace isora
