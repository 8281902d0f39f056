// The save slot panel of savepanel.ini: a close button, six slot captions centred on the
// panel's width, and a centred title.
#pragma once

#include <array>
#include <span>
#include <string>

#include "save/save_file.h"
#include "ui/widget_container.h"

namespace isora {

// The longest slot label kept; a save's map name and time always fit.
constexpr size_t kSlotLabelMax = 49;

class SavePanel : public WidgetContainer {
 public:
  using WidgetContainer::WidgetContainer;

  // False, building nothing, when the INI does not load.
  bool Load(const char* iniName, const char* packagePath);
  // The title and the six slot captions; each caption is centred on the panel width by its
  // width in the back buffer's font and gets its measured size as hit area.
  // One label a slot button, in order; a label for a slot the panel has no button for is
  // dropped, and a slot button without a label shows none and cannot be clicked.
  void SetSlotTexts(const std::string& title, std::span<const std::string> labels);
  // 0 close, 1..6 a slot, -1 nothing.
  int OnClick();

  int width = 0, height = 0;
};

}  // namespace isora
