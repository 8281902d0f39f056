#include "lib/panel_preview.h"

#include <array>
#include <string_view>

#include "foundation/ini_file.h"
#include "items/item_database.h"
#include "items/skill_database.h"
#include "items/sub_bag.h"
#include "media/renderer.h"
#include "panels/pack_panel.h"
#include "panels/player_panel.h"
#include "panels/save_panel.h"
#include "roles/player_growth.h"
#include "ui/dialog_panel.h"
#include "ui/menu_panel.h"
#include "ui/picture_pager.h"
#include "ui/ui_host.h"

namespace isora {

namespace {

bool HasSection(const IniFile& ini, std::string_view section) {
  const auto& text = ini.Text();
  std::string header(1, '[');
  header.append(section);
  header += ']';
  return std::string_view(reinterpret_cast<const char*>(text.data()), text.size()).find(header) !=
         std::string_view::npos;
}

// A player standing still with the sample attributes, for the player panel.
class PreviewPlayer : public PanelPlayer {
 public:
  PreviewPlayer(const ItemDatabase& items, const SkillDatabase& skills) : growth_(items, skills) {
    Attributes& a = growth_.MutableAttrs();
    a.hp = 70;
    a.mp = 30;
    a.exp = 40;
    a.money = 1234;
  }
  PlayerGrowth& Growth() override { return growth_; }
  bool IsFighting() const override { return false; }
  LearnedSkill CurrentSkill() const override { return {1, 1}; }
  bool SetSkill(int, int) override { return false; }

 private:
  PlayerGrowth growth_;
};

}  // namespace

PanelKind DetectPanelKind(const IniFile& ini) {
  if (HasSection(ini, "HPrect")) return PanelKind::PlayerPanel;
  if (HasSection(ini, "3x3itemButton")) return PanelKind::PackPanel;
  if (HasSection(ini, "startButton")) return PanelKind::MainMenu;
  if (HasSection(ini, "backButton")) return PanelKind::GameMenu;
  if (HasSection(ini, "PreButton")) return PanelKind::Tutorial;
  if (HasSection(ini, "Button0")) return PanelKind::SavePanel;
  if (HasSection(ini, "textLabel")) return PanelKind::Dialog;
  return PanelKind::Unknown;
}

const char* PanelKindName(PanelKind kind) {
  switch (kind) {
    case PanelKind::MainMenu:
      return "main menu";
    case PanelKind::GameMenu:
      return "in-game menu";
    case PanelKind::Dialog:
      return "dialog";
    case PanelKind::SavePanel:
      return "save panel";
    case PanelKind::PlayerPanel:
      return "player panel";
    case PanelKind::PackPanel:
      return "bag panel";
    case PanelKind::Tutorial:
      return "tutorial panel";
    case PanelKind::Unknown:
      break;
  }
  return "unknown";
}

bool RenderPanelPreview(Renderer& renderer, const std::string& iniName,
                        const std::string& packagePath, const ItemDatabase* items,
                        const SkillDatabase* skills, PanelKind* kind, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  const char* pkg = packagePath.empty() ? nullptr : packagePath.c_str();
  IniFile ini;
  pkg ? ini.Load(iniName, packagePath) : ini.LoadFile(iniName);
  if (ini.IsFailed()) return fail("cannot load " + iniName);
  PanelKind k = DetectPanelKind(ini);
  if (kind) *kind = k;
  Surface* back = renderer.GetSurface(kSurfaceBackBuffer);
  if (!back) return fail("renderer not initialised");
  back->Fill(0);

  ItemDatabase noItems;
  SkillDatabase noSkills;
  const ItemDatabase& itemDb = items ? *items : noItems;
  const SkillDatabase& skillDb = skills ? *skills : noSkills;
  SilentUiHost host;
  bool loaded = false;
  switch (k) {
    case PanelKind::MainMenu:
    case PanelKind::GameMenu: {
      MenuPanel menu(renderer, &host);
      loaded = k == PanelKind::MainMenu ? menu.LoadMainMenu(iniName.c_str(), pkg)
                                        : menu.LoadGameMenu(iniName.c_str(), pkg);
      if (loaded) menu.Draw();
      break;
    }
    case PanelKind::Dialog: {
      DialogPanel dlg(renderer, &host);
      loaded = dlg.Load(iniName.c_str(), pkg);
      if (loaded) {
        dlg.SetTexts({"<3Attribute/>"}, {"Level: <9 1/>", "Attack: <9 10/>", "Defence: <9 0/>",
                                         "Hit rate: <9 30/>", "Moral: <9 50/>"});
        dlg.Draw();
      }
      break;
    }
    case PanelKind::SavePanel: {
      SavePanel save(renderer, &host);
      loaded = save.Load(iniName.c_str(), pkg);
      if (loaded) {
        std::array<std::string, kSaveSlots> labels;
        labels.fill("No Saved Data");
        labels[0] = "main.map(2000-01-01 12:00)";
        save.SetSlotTexts("<3Load Game/>", labels);
        save.Draw();
      }
      break;
    }
    case PanelKind::Tutorial: {
      PicturePager pager(renderer, &host);
      loaded = pager.Load(iniName.c_str(), pkg);
      if (loaded) pager.Draw();
      break;
    }
    case PanelKind::PackPanel: {
      PackPanel bag(itemDb, nullptr, renderer, &host);
      PackPanel shop(itemDb, nullptr, renderer, &host);
      SubBag contents(9);
      for (int id = 1, c = 0; id < itemDb.Count() && c < 4; ++id) {
        if (!IsBagType(itemDb.TypeOf(id))) contents.Exchange(id, c++);
      }
      loaded = bag.Load(iniName.c_str(), pkg, 0) && shop.Load(iniName.c_str(), pkg, 1);
      if (loaded) {
        bag.ShowBag(0, &contents, "My Bag");
        shop.ShowShop(2, 0, "Sell Items");
        bag.Draw();
        shop.Draw();
      }
      break;
    }
    case PanelKind::PlayerPanel: {
      PreviewPlayer player(itemDb, skillDb);
      Hand hand;
      PlayerPanel panel(itemDb, skillDb, player, hand, renderer, &host);
      loaded = panel.Load(iniName.c_str(), pkg);
      if (loaded) panel.Draw();
      break;
    }
    case PanelKind::Unknown:
      return fail(iniName + " is not a panel INI (no known section)");
  }
  if (!loaded) return fail("cannot load " + iniName);
  return true;
}

}  // namespace isora
