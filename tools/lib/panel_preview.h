// Renders any panel INI of the game headless, with sample contents, so a layout can be seen
// without playing (isora-kit ui preview).
#pragma once

#include <string>

namespace isora {

class IniFile;
class ItemDatabase;
class Renderer;
class SkillDatabase;

enum class PanelKind {
  Unknown,
  MainMenu,     // mainmenu.ini
  GameMenu,     // menu.ini
  Dialog,       // dlg.ini
  SavePanel,    // savepanel.ini
  PlayerPanel,  // playerpanel.ini
  PackPanel,    // packpanel.ini
  Tutorial,     // tutorialpanel.ini
};

// Tells the panel kind by the sections the INI holds.
PanelKind DetectPanelKind(const IniFile& ini);
const char* PanelKindName(PanelKind kind);

// Clears the back buffer and draws the panel (from the package when packagePath is not empty)
// with sample texts; bag and player panels use the databases when given (empty tables
// otherwise). False, with *error set, when the INI does not load or is no known panel.
bool RenderPanelPreview(Renderer& renderer, const std::string& iniName,
                        const std::string& packagePath, const ItemDatabase* items,
                        const SkillDatabase* skills, PanelKind* kind, std::string* error);

}  // namespace isora
