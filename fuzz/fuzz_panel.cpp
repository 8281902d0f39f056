// Panel INIs: the INI is loaded as every kind of panel in turn (main menu, in-game menu,
// dialog, save panel, tutorial pages, bag and shop, player panel), each drawn once with the
// cursor over each of its buttons, and the kit's preview on what it detects.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/ini_file.h"
#include "fuzz_support.h"
#include "items/item_database.h"
#include "items/skill_database.h"
#include "items/sub_bag.h"
#include "lib/panel_preview.h"
#include "media/renderer.h"
#include "panels/pack_panel.h"
#include "panels/player_panel.h"
#include "panels/save_panel.h"
#include "roles/player_growth.h"
#include "ui/dialog_panel.h"
#include "ui/menu_panel.h"
#include "ui/picture_pager.h"
#include "ui/ui_host.h"

namespace {

class Player : public isora::PanelPlayer {
 public:
  Player(const isora::ItemDatabase& items, const isora::SkillDatabase& skills)
      : growth_(items, skills) {}
  isora::PlayerGrowth& Growth() override { return growth_; }
  bool IsFighting() const override { return false; }
  isora::LearnedSkill CurrentSkill() const override { return {1, 1}; }
  bool SetSkill(int, int) override { return true; }

 private:
  isora::PlayerGrowth growth_;
};

// Draws the panel with the cursor off it and over each button.
void Exercise(isora::WidgetContainer& panel, isora::SilentUiHost& host) {
  host.SetCursor({-1, -1});
  panel.UpdateHover();
  panel.Draw();
  const size_t count = panel.buttons.size() < 64 ? panel.buttons.size() : 64;
  for (size_t i = 0; i < count; ++i) {
    const isora::Rect r = panel.buttons[i].hitRect;
    host.SetCursor({r.left, r.top});
    panel.UpdateHover();
    (void)panel.ButtonAt(r.left, r.top);
  }
  panel.Draw();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  isora::fuzz::Quiet();
  // Never destroyed: its fonts must not outlive the font library, which goes first at exit.
  static isora::Renderer& renderer = *new isora::Renderer;
  static const bool ready = renderer.Init();
  if (!ready) return 0;
  static isora::fuzz::MemoryFile memory("isora-fuzz-panel");
  if (!memory.Set(data, size)) return 0;
  const std::string path = memory.Path();
  const char* ini = path.c_str();

  static const isora::ItemDatabase items = [] {
    isora::ItemDatabase d;
    std::vector<isora::ItemRecord> recs(6);
    for (int i = 0; i < 6; ++i) {
      recs[i].name = "item" + std::to_string(i);
      recs[i].type = i;
      recs[i].picture = "i.bmp";
    }
    d.SetRecords(recs);
    return d;
  }();
  static const isora::SkillDatabase skills = [] {
    isora::SkillDatabase d;
    std::vector<isora::SkillRecord> recs(3);
    for (auto& r : recs) r.maxLevel = 3;
    d.SetRecords(recs);
    return d;
  }();
  isora::SilentUiHost host;
  {
    isora::MenuPanel menu(renderer, &host);
    if (menu.LoadMainMenu(ini, nullptr)) Exercise(menu, host);
    if (menu.LoadGameMenu(ini, nullptr)) Exercise(menu, host);
  }
  {
    isora::DialogPanel dialog(renderer, &host);
    if (dialog.Load(ini, nullptr)) {
      dialog.SetTexts({"<3Title/>"}, {"Level: <9 1/>", "line two", "x"});
      Exercise(dialog, host);
    }
  }
  {
    isora::SavePanel save(renderer, &host);
    if (save.Load(ini, nullptr)) {
      std::array<std::string, isora::kSaveSlots> labels;
      labels.fill("No Saved Data");
      save.SetSlotTexts("<3Load Game/>", labels);
      Exercise(save, host);
    }
  }
  {
    isora::PicturePager pager(renderer, &host);
    if (pager.Load(ini, nullptr)) Exercise(pager, host);
  }
  {
    isora::PackPanel bag(items, nullptr, renderer, &host);
    isora::PackPanel shop(items, nullptr, renderer, &host);
    isora::SubBag contents(9);
    contents.Exchange(1, 0);
    contents.Exchange(2, 4);
    if (bag.Load(ini, nullptr, 0)) {
      bag.ShowBag(0, &contents, "My Bag");
      Exercise(bag, host);
    }
    if (shop.Load(ini, nullptr, 1)) {
      shop.ShowShop(2, 0, "Sell Items");
      Exercise(shop, host);
    }
  }
  {
    Player player(items, skills);
    isora::Hand hand;
    isora::PlayerPanel panel(items, skills, player, hand, renderer, &host);
    if (panel.Load(ini, nullptr)) Exercise(panel, host);
  }
  (void)isora::RenderPanelPreview(renderer, path, "", &items, &skills, nullptr, nullptr);
  return 0;
}
