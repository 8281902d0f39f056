// The message dialog of dlg.ini: a background, close/up/down buttons, a centred title and a
// scrolling text label. The status screens and the help fill it with text.
#pragma once

#include <string>
#include <vector>

#include "ui/widget_container.h"

namespace isora {

enum DialogButton : int { kDialogExit = 0, kDialogUp = 1, kDialogDown = 2 };

class DialogPanel : public WidgetContainer {
 public:
  using WidgetContainer::WidgetContainer;

  // Reads dlg.ini (from the package when packagePath is given); false, building nothing, when
  // the INI does not load.
  bool Load(const char* iniName, const char* packagePath);
  // Replaces both labels' paragraphs; the text scrolls back to the top.
  void SetTexts(std::vector<std::string> title, std::vector<std::string> text);
  // The index of the button under the cursor (the last one in list order), or -1; up and down
  // scroll the text label by one line. The caller closes the panel on 0.
  int OnClick();

  TextBox* TitleLabel() { return textBoxes.size() > 0 ? &textBoxes[0] : nullptr; }
  TextBox* TextLabel() { return textBoxes.size() > 1 ? &textBoxes[1] : nullptr; }
};

}  // namespace isora
