#include "ui/picture_pager.h"

#include <algorithm>

#include "foundation/ini_file.h"

namespace isora {

bool PicturePager::Load(const char* iniName, const char* packagePath) {
  IniFile ini;
  packagePath ? ini.Load(iniName, packagePath) : ini.LoadFile(iniName);
  if (ini.IsFailed()) return false;
  buttons.clear();
  pages.clear();
  int count = std::clamp(PanelNumber(ini, "panel", "count"), 0, kPagerMaxPages);
  for (int i = 1; i <= count; ++i) {
    std::string key = "bgpic" + std::to_string(i);
    pages.push_back(ini.GetString("panel", key));
  }
  x = PanelNumber(ini, "panel", "x");
  y = PanelNumber(ini, "panel", "y");
  width = PanelNumber(ini, "panel", "width");
  height = PanelNumber(ini, "panel", "height");
  for (const char* section : {"PreButton", "NextButton", "ExitButton"}) AddIniButton(ini, section);
  page = 0;
  background = pages.empty() ? "NULL" : pages[0];
  return true;
}

bool PicturePager::IsCursorInside() const {
  Point p = Cursor();
  return Rect{x, y, x + width, y + height}.Contains(p.x, p.y);
}

int PicturePager::UpdateHoverInside() {
  if (!IsCursorInside()) return 0;
  UpdateHover();
  return 1;
}

int PicturePager::OnClick() {
  if (!IsCursorInside()) return kPagerOutside;
  Point p = Cursor();
  int result = -1;
  const int last = static_cast<int>(pages.size()) - 1;
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (!buttons[i].HitTest(p.x, p.y)) continue;
    result = static_cast<int>(i);
    if (result == kPagerPre && page > 0) --page;
    if (result == kPagerNext && page < last) ++page;
    if (!pages.empty()) background = pages[page];
    PlaySound("button_click.wav");
  }
  return result;
}

}  // namespace isora
