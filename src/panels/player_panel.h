// The player panel along the play screen (playerpanel.ini): health, magic and experience bars,
// money and level, six command buttons, the current skill, the four equipment slots, the nine
// main-bag cells, and the row of learned-skill icons. Left clicks move, buy and equip items and
// select skills; right clicks use items.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "items/sub_bag.h"
#include "panels/hand.h"
#include "roles/attributes.h"
#include "ui/widget_container.h"

namespace isora {

class ItemDatabase;
class PlayerGrowth;
class SkillDatabase;
struct ItemRecord;
struct SkillRecord;

// What the panel needs of the player role beyond its growth component.
class PanelPlayer {
 public:
  virtual ~PanelPlayer() = default;
  virtual PlayerGrowth& Growth() = 0;
  // The role is in the fight state.
  virtual bool IsFighting() const = 0;
  // The current skill (id 0 or below: none).
  virtual LearnedSkill CurrentSkill() const = 0;
  // SetSkill of the role's current skill: false when the selection is refused.
  virtual bool SetSkill(int id, int level) = 0;
};

// Element indexes.
constexpr int kElementNothing = -1;
constexpr int kElementOutside = -2;  // LeftClick and RightClick: off the panel
constexpr int kElementHpBar = -3;    // hovering
constexpr int kElementMpBar = -4;
constexpr int kElementExpBar = -5;
constexpr int kElementSkillButton = 0;
constexpr int kElementFirstSlot = 6;
constexpr int kElementFirstCell = 10;
constexpr int kElementFirstSkillIcon = 19;

struct RightClickResult {
  int cell = kElementNothing;  // 0..8, -1 elsewhere on the panel, -2 off it
  int itemType = -1;           // UseItem's answer
};

// Bar colours (COLORREF): red, blue, white.
constexpr ColorRef kHpBarColor = 0x0000FF;
constexpr ColorRef kHpBarWarningColor = 0x8080FF;  // the pulse of low health
constexpr ColorRef kMpBarColor = 0xFF0000;
constexpr ColorRef kExpBarColor = 0xFFFFFF;
constexpr ColorRef kMoneyColor = 0xFFFF00;
constexpr ColorRef kLevelColor = 0xFFFFFF;

class PlayerPanel : public WidgetContainer {
 public:
  // The hand (not owned) is the one item on the cursor: this panel moves it and draws it.
  PlayerPanel(const ItemDatabase& items, const SkillDatabase& skills, PanelPlayer& player,
              Hand& hand, Renderer& renderer, UiHost* host);

  // False when playerpanel.ini does not load.
  bool Load(const char* iniName, const char* packagePath);
  // The element under the cursor: command buttons, then slots, cells and icons, then the bars.
  void Hover();
  void UpdateHover() override;
  // Background, buttons, labels, bars, tooltips and the held item on the cursor.
  void Draw() override;
  // A left click with the hand; `money` is what the player can spend. Answers the element, -1
  // (nothing or refused) or -2 (off the panel or on its transparent background: the click
  // belongs to the world), with the money a purchase paid.
  PanelClick LeftClick(int32_t money);
  RightClickResult RightClick();
  // Selects the skill of icon `index` (0-based in the row): -1 while fighting or refused.
  int SelectSkillIcon(int index);
  // The bag item on the cursor left the player: its contents go with it.
  void DropPickedBag();
  void ShowSkillIcon(int skillId);
  bool CloseSkillIcons();
  bool CursorOnPanel() const;
  bool SkillIconsShown() const { return iconsShown_; }
  int HoveredElement() const { return hovered_; }
  // The hand changed outside this panel: when the bag item whose grid was picked is no longer
  // held, its grid is dropped with it.
  void FollowHand();
  const std::optional<SubBag>& PickedBag() const { return picked_; }

  // The bar rectangles (screen) at their current fill; width 0 when empty.
  Rect BarRect(int element) const;
  // Where the icon of the n-th learned skill goes when the row opens.
  Point IconPosition(int n) const;
  Rect PanelRect() const { return Rect{x, y, x + width_, y + height_}; }

  // The player panel's item tooltip and its height in lines.
  // The health bar drawn lit (the low-health warning pulses it).
  void SetHealthWarning(bool lit) { healthWarning_ = lit; }
  static std::string ItemTip(const ItemRecord& item, int playerLevel);
  static int ItemTipLines(const ItemRecord& item);
  static int SkillTipLines(const SkillRecord& skill);

 private:
  struct BarRect_ {
    int x = 0, y = 0, w = 0, h = 0;
  };
  int ElementAt(int px, int py) const;
  bool OpaqueAt(int px, int py) const;
  void Refresh();
  std::string ItemPicture(int item) const;
  void OpenSkillIcons();
  void AddSkillIcon(const LearnedSkill& skill);
  int ClickSlot(int slot);
  PanelClick ClickCell(int cell, int32_t money);
  void Refuse(const std::string& message, bool beep);
  void DrawTooltip();

  const ItemDatabase& items_;
  const SkillDatabase& skills_;
  PanelPlayer& player_;
  Hand& hand_;
  int width_ = 0, height_ = 0;
  BarRect_ bars_[3];
  int iconX_ = 0, iconY_ = 0, iconW_ = 0, iconH_ = 0;
  std::vector<int> iconSkills_;  // skill id of each icon button, in row order
  bool iconsShown_ = false;
  int hovered_ = kElementNothing;
  std::optional<SubBag> picked_;
  int pickedItem_ = 0;
  Surface backgroundPixels_;
  bool healthWarning_ = false;
};

}  // namespace isora
