#include "panels/save_panel.h"

#include "foundation/enhancements.h"
#include "foundation/gbk.h"
#include "foundation/ini_file.h"
#include "media/device_context.h"
#include "media/renderer.h"

namespace isora {

namespace {

// Cuts to at most max bytes without leaving half a two-byte character.
std::string CutLabel(const std::string& text, size_t max) {
  size_t n = 0;
  while (n < text.size()) {
    size_t step = IsGbkLead(static_cast<unsigned char>(text[n])) ? 2 : 1;
    if (n + step > max) break;
    n += step;
  }
  return text.substr(0, std::min(n, text.size()));
}

}  // namespace

bool SavePanel::Load(const char* iniName, const char* packagePath) {
  IniFile ini;
  packagePath ? ini.Load(iniName, packagePath) : ini.LoadFile(iniName);
  if (ini.IsFailed()) return false;
  buttons.clear();
  iniProblems.clear();
  textBoxes.clear();
  background = ini.GetString("panel", "bgpic");
  x = PanelNumber(ini, "panel", "x");
  y = PanelNumber(ini, "panel", "y");
  width = PanelNumber(ini, "panel", "w");
  height = PanelNumber(ini, "panel", "h");
  AddIniButton(ini, "exitButton");
  for (int slot = 1; slot <= kSaveSlots; ++slot) {
    std::string section = "Button" + std::to_string(slot - 1);
    std::string caption = Gbk(u8"无进度");
    if (slot == 1) caption += Gbk(u8"(快捷)");
    buttons.emplace_back(renderer_, caption, x, AddClamped(y, PanelNumber(ini, section, "y")),
                         kButtonText, true);
    CheckIniButton(ini, section.c_str(), buttons.back(), {"y"});
  }
  // [Button6] y: the autosave slot's line, for a game that autosaves.
  if (Enhanced().On(Enhancement::kAutosave) && ini.HasKey("Button6", "y")) {
    buttons.emplace_back(renderer_, "", x, AddClamped(y, PanelNumber(ini, "Button6", "y")),
                         kButtonText, true);
  }
  AddIniTextBox(ini, "titleLabel", true);
  return true;
}

void SavePanel::SetSlotTexts(const std::string& title, std::span<const std::string> labels) {
  Surface* back = renderer_.GetSurface(kSurfaceBackBuffer);
  for (int slot = 1; slot < static_cast<int>(buttons.size()); ++slot) {
    const size_t i = static_cast<size_t>(slot - 1);
    std::string label = i < labels.size() ? CutLabel(labels[i], kSlotLabelMax) : std::string();
    Size s = back ? DeviceContext(*back).GetTextExtent(label) : renderer_.TextExtent(label);
    Button& b = buttons[slot];
    b.SetCaption(label);
    b.x = x + (width - s.cx) / 2;
    b.SetSize(s.cx, s.cy);
  }
  if (!textBoxes.empty()) textBoxes[0].paragraphs = {title};
}

int SavePanel::OnClick() {
  Point p = Cursor();
  return ButtonAt(p.x, p.y);
}

}  // namespace isora
