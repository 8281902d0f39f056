#include "ui/menu_panel.h"

#include "foundation/ini_file.h"

namespace isora {

bool MenuPanel::LoadMainMenu(const char* iniName, const char* packagePath) {
  IniFile ini;
  packagePath ? ini.Load(iniName, packagePath) : ini.LoadFile(iniName);
  if (ini.IsFailed()) return false;
  buttons.clear();
  iniProblems.clear();
  background = ini.GetString("panel", "bgpic");
  x = 0;
  y = 0;
  for (const char* section : {"startButton", "loadButton", "aboutButton", "exitButton"}) {
    int type = ini.GetInt(section, "type");
    // "text1" (picture path, type 2 only): the picture shown under the mouse.
    std::optional<std::string> hover;
    if (type == kButtonPicturePair) hover = ini.GetString(section, "text1");
    buttons.emplace_back(renderer_, ini.GetString(section, "text"), PanelNumber(ini, section, "x"),
                         PanelNumber(ini, section, "y"), type, true, hover);
    CheckIniButton(ini, section, buttons.back(), {"x", "y", "text", "type"});
  }
  // [optionsButton], as the others: the options screen, when the game has one.
  if (!ini.GetString("optionsButton", "text").empty()) {
    const int type = ini.GetInt("optionsButton", "type");
    std::optional<std::string> hover;
    if (type == kButtonPicturePair) hover = ini.GetString("optionsButton", "text1");
    buttons.emplace_back(renderer_, ini.GetString("optionsButton", "text"),
                         PanelNumber(ini, "optionsButton", "x"),
                         PanelNumber(ini, "optionsButton", "y"), type, true, hover);
  }
  return true;
}

bool MenuPanel::LoadGameMenu(const char* iniName, const char* packagePath) {
  IniFile ini;
  packagePath ? ini.Load(iniName, packagePath) : ini.LoadFile(iniName);
  if (ini.IsFailed()) return false;
  buttons.clear();
  iniProblems.clear();
  background = ini.GetString("panel", "bgpic");
  x = PanelNumber(ini, "panel", "x");
  y = PanelNumber(ini, "panel", "y");
  for (const char* section :
       {"backButton", "saveButton", "loadButton", "helpButton", "exitButton"}) {
    AddIniButton(ini, section);
  }
  // [optionsButton]: text, type, x, y, when the game has an options screen.
  if (!ini.GetString("optionsButton", "text").empty()) AddIniButton(ini, "optionsButton");
  return true;
}

int MenuPanel::OnClick() {
  Point p = Cursor();
  return ButtonAt(p.x, p.y);
}

}  // namespace isora
