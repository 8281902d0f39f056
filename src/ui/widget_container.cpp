#include "ui/widget_container.h"

#include <algorithm>

#include "foundation/ini_file.h"
#include "media/font.h"
#include "media/renderer.h"
#include "ui/picture_path.h"
#include "ui/ui_host.h"

namespace isora {

WidgetContainer::WidgetContainer(Renderer& renderer, UiHost* host)
    : font(Font::Create("Segoe UI", 18, 400)), renderer_(renderer), host_(host) {}

WidgetContainer::~WidgetContainer() = default;

Point WidgetContainer::Cursor() const { return host_ ? host_->CursorPos() : Point{-1, -1}; }

void WidgetContainer::UpdateHover() {
  Point p = Cursor();
  for (Button& b : buttons) b.UpdateHover(p.x, p.y);
}

void WidgetContainer::Draw() {
  DrawPicturePath(renderer_, background, kSurfaceBackBuffer, x, y);
  for (Button& b : buttons) b.Draw(renderer_, host_);
  for (TextBox& t : textBoxes) t.Draw(renderer_);
}

int WidgetContainer::PlaySound(const std::string& file) {
  if (file.empty()) return 0;
  if (host_) host_->PlaySound("sound\\" + file);
  return 1;
}

int WidgetContainer::ButtonAt(int px, int py) const {
  int hit = -1;
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (buttons[i].HitTest(px, py)) hit = static_cast<int>(i);
  }
  return hit;
}

int PanelNumber(const IniFile& ini, std::string_view section, std::string_view key) {
  return std::clamp(ini.GetInt(section, key), -kPanelNumberLimit, kPanelNumberLimit);
}

void WidgetContainer::AddIniButton(const IniFile& ini, const char* section, bool offset) {
  int bx = PanelNumber(ini, section, "x");
  int by = PanelNumber(ini, section, "y");
  if (offset) {
    bx = AddClamped(bx, x);
    by = AddClamped(by, y);
  }
  buttons.emplace_back(renderer_, ini.GetString(section, "text"), bx, by,
                       ini.GetInt(section, "type"), true);
  CheckIniButton(ini, section, buttons.back(), {"x", "y", "text", "type"});
}

namespace {

// An integer as GetInt reads one: optional blanks and sign, then at least one digit.
bool HoldsNumber(const std::string& value) {
  size_t i = value.find_first_not_of(" \t");
  if (i == std::string::npos) return false;
  if (value[i] == '+' || value[i] == '-') ++i;
  return i < value.size() && value[i] >= '0' && value[i] <= '9';
}

}  // namespace

void WidgetContainer::CheckIniButton(const IniFile& ini, const char* section, const Button& button,
                                     std::initializer_list<const char*> keys) {
  const std::string where = std::string("[") + section + "] ";
  bool keysOk = true;
  for (const char* key : keys) {
    if (!ini.HasKey(section, key)) {
      iniProblems.push_back(where + key + ": missing");
      keysOk = false;
    } else if (std::string_view(key) != "text" && !HoldsNumber(ini.GetString(section, key))) {
      iniProblems.push_back(where + key + ": \"" + ini.GetString(section, key) +
                            "\" is not a number");
      keysOk = false;
    }
  }
  if (button.type < kButtonText || button.type > kButtonPicturePair) {
    iniProblems.push_back(where + "type: " + std::to_string(button.type) + " is not a button type");
  } else if (keysOk && button.hitRect.Empty() && !button.IsNull()) {
    iniProblems.push_back(where + "text: \"" + button.name +
                          "\" gives the button no size (a picture that is not there?)");
  }
}

void WidgetContainer::AddIniTextBox(const IniFile& ini, const char* section, bool centred) {
  textBoxes.emplace_back(AddClamped(x, PanelNumber(ini, section, "x")),
                         AddClamped(y, PanelNumber(ini, section, "y")),
                         PanelNumber(ini, section, "lines"), PanelNumber(ini, section, "lineChars"),
                         centred, 0, Font::Create("Segoe UI", 20, 400));
}

}  // namespace isora
