#include "ui/dialog_panel.h"

#include "foundation/ini_file.h"

namespace isora {

bool DialogPanel::Load(const char* iniName, const char* packagePath) {
  IniFile ini;
  packagePath ? ini.Load(iniName, packagePath) : ini.LoadFile(iniName);
  if (ini.IsFailed()) return false;
  buttons.clear();
  iniProblems.clear();
  textBoxes.clear();
  background = ini.GetString("panel", "bgpic");
  x = PanelNumber(ini, "panel", "x");
  y = PanelNumber(ini, "panel", "y");
  for (const char* section : {"exitButton", "upButton", "downButton"}) AddIniButton(ini, section);
  AddIniTextBox(ini, "titleLabel", true);
  AddIniTextBox(ini, "textLabel", false);
  return true;
}

void DialogPanel::SetTexts(std::vector<std::string> title, std::vector<std::string> text) {
  if (TitleLabel()) TitleLabel()->paragraphs = std::move(title);
  if (TextLabel()) TextLabel()->SetParagraphs(std::move(text));
}

int DialogPanel::OnClick() {
  Point p = Cursor();
  int hit = ButtonAt(p.x, p.y);
  TextBox* label = TextLabel();
  if (label && hit == kDialogUp && label->firstLine > 0) {
    label->complete = false;
    --label->firstLine;
  } else if (label && hit == kDialogDown && !label->complete) {
    ++label->firstLine;
  }
  return hit;
}

}  // namespace isora
