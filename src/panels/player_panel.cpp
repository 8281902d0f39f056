#include "panels/player_panel.h"

#include <algorithm>

#include "foundation/enhancements.h"
#include "foundation/ini_file.h"
#include "foundation/system_hooks.h"
#include "foundation/win_format.h"
#include "items/item_database.h"
#include "items/skill_database.h"
#include "media/bmp_reader.h"
#include "media/device_context.h"
#include "media/renderer.h"
#include "panels/stack_count.h"
#include "roles/player_growth.h"
#include "ui/hint_box.h"
#include "ui/picture_path.h"
#include "ui/ui_host.h"

namespace isora {

namespace {

constexpr int kCell = 32;
constexpr int kCommandButtons = 6;
constexpr const char* kCommandSections[kCommandButtons] = {
    "skillButton", "propertyButton", "noteButton", "rrButton", "missionButton", "menuButton"};
constexpr const char* kCommandTips[kCommandButtons] = {"",           "Attribute(F1)", "Note(F2)",
                                                       "Honour(F3)", "Mission(F4)",   "Menu(Esc)"};

int Len(const std::string& s) { return static_cast<int>(s.size()); }

}  // namespace

PlayerPanel::PlayerPanel(const ItemDatabase& items, const SkillDatabase& skills,
                         PanelPlayer& player, Hand& hand, Renderer& renderer, UiHost* host)
    : WidgetContainer(renderer, host),
      items_(items),
      skills_(skills),
      player_(player),
      hand_(hand) {}

namespace {

// What a piece of equipment adds in a fight, for its hint when fights show their numbers.
std::string FightEffects(const ItemRecord& item) {
  if (!Enhanced().On(Enhancement::kDamageNumbers) || item.type < kItemWeapon ||
      item.type > kItemBaldric)
    return {};
  std::string out;
  auto add = [&](const char* name, int32_t v) {
    if (v != 0) out += WinFormat("%s%s %+d", out.empty() ? "" : "  ", name, v);
  };
  add("attack", item.attack);
  add("defence", item.defence);
  add("hit rate", item.hitRate);
  return out;
}

}  // namespace

std::string PlayerPanel::ItemTip(const ItemRecord& item, int playerLevel) {
  std::string level = playerLevel < item.needLevel ? WinFormat("<2need level:%d/>", item.needLevel)
                                                   : WinFormat("need level:%d", item.needLevel);
  if (const std::string effects = FightEffects(item); !effects.empty()) level += "\n" + effects;
  if (item.note.empty()) {
    return WinFormat("<5%s/>\nprice:%d\n%s\n\n%s", item.name.c_str(), item.price, level.c_str(),
                     item.description.c_str());
  }
  return WinFormat("<5%s/>\nprice:%d\n%s\n\n%s\n\n<3%s/>", item.name.c_str(), item.price,
                   level.c_str(), item.description.c_str(), item.note.c_str());
}

int PlayerPanel::ItemTipLines(const ItemRecord& item) {
  return Len(item.description) / 20 + Len(item.note) / 20 + Len(item.name) / 20 +
         (item.note.empty() ? 5 : 7) + (FightEffects(item).empty() ? 0 : 1);
}

int PlayerPanel::SkillTipLines(const SkillRecord& skill) {
  return Len(skill.description) / 22 + Len(skill.name) / 22 + 7;
}

bool PlayerPanel::Load(const char* iniName, const char* packagePath) {
  IniFile ini;
  packagePath ? ini.Load(iniName, packagePath) : ini.LoadFile(iniName);
  if (ini.IsFailed()) return false;
  buttons.clear();
  iniProblems.clear();
  textBoxes.clear();
  iconSkills_.clear();
  iconsShown_ = false;
  background = ini.GetString("panel", "bgpic");
  x = PanelNumber(ini, "panel", "x");
  y = PanelNumber(ini, "panel", "y");
  width_ = PanelNumber(ini, "panel", "w");
  height_ = PanelNumber(ini, "panel", "h");
  backgroundPixels_ = Surface();
  if (auto p = ResolvePicture(renderer_, background)) {
    if (const Surface* pixels = renderer_.DecodedPicture(p->pack, p->name)) {
      backgroundPixels_ = *pixels;
    } else if (const auto* bytes = renderer_.PictureBytes(p->pack, p->name)) {
      if (!DecodeBmp(*bytes, renderer_.Format(), &backgroundPixels_)) backgroundPixels_ = Surface();
    }
  }
  const char* barSections[3] = {"HPrect", "MPrect", "EXrect"};
  for (int i = 0; i < 3; ++i) {
    bars_[i] =
        BarRect_{PanelNumber(ini, barSections[i], "x"), PanelNumber(ini, barSections[i], "y"),
                 PanelNumber(ini, barSections[i], "w"), PanelNumber(ini, barSections[i], "h")};
  }
  for (const char* section : kCommandSections) AddIniButton(ini, section);
  AddIniTextBox(ini, "moneyLbl", false);
  AddIniTextBox(ini, "levelLbl", false);
  textBoxes[0].color = kMoneyColor;
  textBoxes[1].color = kLevelColor;

  const char* slotKeys[4][2] = {
      {"WuX", "WuY"}, {"JiaX", "JiaY"}, {"Shi1X", "Shi1Y"}, {"Shi2X", "Shi2Y"}};
  for (auto& k : slotKeys) {
    buttons.emplace_back(renderer_, "NULL", AddClamped(x, PanelNumber(ini, "weaponButtons", k[0])),
                         AddClamped(y, PanelNumber(ini, "weaponButtons", k[1])), kButtonPicture,
                         false);
    buttons.back().SetSize(kCell, kCell);
  }
  // A damaged row count is kept between 1 and 9 so every cell has a place.
  int lines = std::clamp(PanelNumber(ini, "itemButtons", "lines"), 1, kMainBagCells);
  int perRow = kMainBagCells / lines;
  int firstX = PanelNumber(ini, "itemButtons", "firstBtnX");
  int firstY = PanelNumber(ini, "itemButtons", "firstBtnY");
  int xDis = PanelNumber(ini, "itemButtons", "xDis");
  int yDis = PanelNumber(ini, "itemButtons", "yDis");
  for (int c = 0; c < kMainBagCells; ++c) {
    buttons.emplace_back(renderer_, "NULL", x + firstX + (c % perRow) * (xDis + kCell),
                         y + firstY + (c / perRow) * (yDis + kCell), kButtonPicture, false);
    buttons.back().SetSize(kCell, kCell);
  }
  iconX_ = PanelNumber(ini, "skillImages", "x");
  iconY_ = PanelNumber(ini, "skillImages", "y");
  iconW_ = PanelNumber(ini, "skillImages", "width");
  iconH_ = PanelNumber(ini, "skillImages", "height");
  Refresh();
  return true;
}

std::string PlayerPanel::ItemPicture(int item) const {
  if (!items_.IsItem(item)) return "NULL";
  return "items\\" + items_.Get(item).picture;
}

void PlayerPanel::Refresh() {
  if (buttons.size() < static_cast<size_t>(kElementFirstSkillIcon)) return;
  PlayerGrowth& g = player_.Growth();
  for (int s = 0; s < kEquipmentSlots; ++s) {
    buttons[kElementFirstSlot + s].SetCaption(ItemPicture(g.GetEquipment().Get(s)));
  }
  for (int c = 0; c < kMainBagCells; ++c) {
    buttons[kElementFirstCell + c].SetCaption(ItemPicture(g.GetBag().Get(c)));
  }
  LearnedSkill current = player_.CurrentSkill();
  if (skills_.IsSkill(current.id)) ShowSkillIcon(current.id);
  const Attributes& a = g.Attrs();
  textBoxes[0].paragraphs = {WinFormat("%d", a.money)};
  textBoxes[1].paragraphs = {WinFormat("%d", a.level)};
}

Point PlayerPanel::IconPosition(int n) const {
  // In 64 bits: each wrap moves up a row, and a damaged INI's icon height times many skills
  // must not overflow.
  int64_t px = int64_t{x} + iconX_, py = int64_t{y} + iconY_;
  for (int i = 0; i < n; ++i) {
    px += int64_t{iconW_} + 3;
    if (px + iconW_ > 639) {
      px = iconX_;
      py -= int64_t{iconH_} - 3;
    }
  }
  return Point{ClampToInt(px), ClampToInt(py)};
}

void PlayerPanel::AddSkillIcon(const LearnedSkill& skill) {
  Point p = IconPosition(static_cast<int>(iconSkills_.size()));
  std::string name = "skill\\" + skills_.Get(skill.id).icon;
  buttons.emplace_back(renderer_, name, p.x, p.y, kButtonPicture, false);
  buttons.back().SetSize(iconW_, iconH_);
  iconSkills_.push_back(skill.id);
}

void PlayerPanel::OpenSkillIcons() {
  CloseSkillIcons();
  for (const LearnedSkill& s : player_.Growth().LearnedSkills()) {
    if (skills_.IsSkill(s.id)) AddSkillIcon(s);
  }
  iconsShown_ = true;
}

bool PlayerPanel::CloseSkillIcons() {
  bool wasOpen = iconsShown_;
  if (buttons.size() > static_cast<size_t>(kElementFirstSkillIcon)) {
    buttons.resize(kElementFirstSkillIcon, buttons.front());
  }
  iconSkills_.clear();
  iconsShown_ = false;
  return wasOpen;
}

void PlayerPanel::ShowSkillIcon(int skillId) {
  if (buttons.empty() || !skills_.IsSkill(skillId)) return;
  buttons[kElementSkillButton].SetCaption("skill\\" + skills_.Get(skillId).icon);
}

bool PlayerPanel::OpaqueAt(int px, int py) const {
  if (!PanelRect().Contains(px, py)) return false;
  if (!backgroundPixels_.Valid()) return true;
  int bx = px - x, by = py - y;
  if (!backgroundPixels_.InBounds(bx, by)) return true;
  return backgroundPixels_.At(bx, by) != ColorKeyFor(backgroundPixels_.Format());
}

bool PlayerPanel::CursorOnPanel() const {
  Point p = Cursor();
  if (iconsShown_) {
    for (size_t i = kElementFirstSkillIcon; i < buttons.size(); ++i) {
      if (buttons[i].HitTest(p.x, p.y)) return true;
    }
  }
  return OpaqueAt(p.x, p.y);
}

int PlayerPanel::ElementAt(int px, int py) const {
  const int commands = std::min<int>(kCommandButtons, static_cast<int>(buttons.size()));
  for (int i = 0; i < commands; ++i) {
    if (buttons[i].HitTest(px, py)) return i;
  }
  for (size_t i = kCommandButtons; i < buttons.size(); ++i) {
    if (buttons[i].HitTest(px, py)) return static_cast<int>(i);
  }
  const int barElements[3] = {kElementHpBar, kElementMpBar, kElementExpBar};
  for (int i = 0; i < 3; ++i) {
    Rect r{x + bars_[i].x, y + bars_[i].y, x + bars_[i].x + bars_[i].w,
           y + bars_[i].y + bars_[i].h};
    if (r.Contains(px, py)) return barElements[i];
  }
  return kElementNothing;
}

void PlayerPanel::Hover() {
  Point p = Cursor();
  hovered_ = kElementNothing;
  if (CursorOnPanel()) hovered_ = ElementAt(p.x, p.y);
}

void PlayerPanel::UpdateHover() {
  WidgetContainer::UpdateHover();
  Hover();
}

void PlayerPanel::Refuse(const std::string& message, bool beep) {
  if (host_) {
    host_->ShowMessage(ExpandCommaEscapes(message));
    if (beep) host_->Beep();
  }
}

PanelClick PlayerPanel::LeftClick(int32_t money) {
  // A picked grid belongs only to the bag item still on the cursor.
  FollowHand();
  Point p = Cursor();
  if (iconsShown_) {
    for (size_t i = kElementFirstSkillIcon; i < buttons.size(); ++i) {
      if (buttons[i].HitTest(p.x, p.y)) {
        return {SelectSkillIcon(static_cast<int>(i) - kElementFirstSkillIcon)};
      }
    }
  }
  if (!OpaqueAt(p.x, p.y)) return {kElementOutside};
  int e = ElementAt(p.x, p.y);
  PanelClick result;
  if (e == kElementSkillButton) {
    if (iconsShown_) {
      CloseSkillIcons();
    } else {
      OpenSkillIcons();
    }
    result.answer = e;
  } else if (e >= 1 && e < kCommandButtons) {
    result.answer = e;
  } else if (e >= kElementFirstSlot && e < kElementFirstCell) {
    result.answer = ClickSlot(e - kElementFirstSlot);
  } else if (e >= kElementFirstCell && e < kElementFirstSkillIcon) {
    result = ClickCell(e - kElementFirstCell, money);
  } else {
    result.answer = kElementNothing;
  }
  return result;
}

int PlayerPanel::ClickSlot(int slot) {
  const int index = kElementFirstSlot + slot;
  const int heldItem = hand_.Item();
  if (hand_.FromShop()) {
    if (host_) host_->Beep();
    return kElementNothing;
  }
  PlayerGrowth& g = player_.Growth();
  if (heldItem != 0) {
    int type = items_.TypeOf(heldItem);
    bool fits = slot == kSlotBaldric2 ? type == kItemBaldric : type + 5 == index;
    if (!fits) {
      Refuse("you put the wrong place of your equipment.", true);
      return kElementNothing;
    }
    if (g.Attrs().level < items_.Get(heldItem).needLevel) {
      Refuse("my level is too low to equip this item.", false);
      return kElementNothing;
    }
  }
  const int before = heldItem;
  g.RemoveItem(slot);
  g.ApplyItem(before);
  int old = g.GetEquipment().Exchange(before, slot);
  hand_.Take(old);
  Hooks::DebugOutput(WinFormat("switch weapon:old item=%d,new item=%d", old, before));
  buttons[index].SetCaption(ItemPicture(g.GetEquipment().Get(slot)));
  if (old != 0 || before != 0) {
    const char* sound = ItemUseSound(items_.TypeOf(old != 0 ? old : before));
    if (sound && *sound) PlaySound(sound);
  }
  return index;
}

PanelClick PlayerPanel::ClickCell(int cell, int32_t money) {
  const int index = kElementFirstCell + cell;
  const int heldItem = hand_.Item();
  PlayerGrowth& g = player_.Growth();
  Bag& bag = g.GetBag();
  const int cellItem = bag.Get(cell);
  const int count = bag.StackCount(cell);
  const bool heldPotion = items_.TypeOf(heldItem) == kItemPotion;

  // Puts the held item into the cell and takes the cell's item; bag items carry their
  // sub-bags through the picked bag.
  auto exchange = [&] {
    const int put = heldItem;
    std::optional<SubBag> cellSub;
    if (const SubBag* s = bag.SubBagAt(cell)) cellSub = *s;
    int previous = bag.Exchange(put, cell);
    if (put != 0) bag.SetCell(cell, put, 1);
    std::optional<SubBag> putSub;
    int putType = items_.TypeOf(put);
    if (IsBagType(putType)) {
      if (picked_ && pickedItem_ == put) {
        putSub = std::move(picked_);
        Hooks::DebugOutput("set picked bag");
      } else {
        putSub.emplace(SubBag::CellsForBagType(putType));
      }
      picked_.reset();
      pickedItem_ = 0;
    }
    bag.SetSubBag(cell, std::move(putSub));
    if (IsBagType(items_.TypeOf(previous))) {
      picked_ =
          cellSub ? std::move(cellSub)
                  : std::optional<SubBag>(SubBag(SubBag::CellsForBagType(items_.TypeOf(previous))));
      pickedItem_ = previous;
    }
    hand_.Take(previous);
  };

  if (hand_.FromShop()) {
    ItemRecord record = items_.Get(heldItem);
    if (record.price <= 0 || money < record.price) {
      Refuse("my money isn't enough", false);
      Hooks::DebugOutput("set tip.");
      return {kElementNothing};
    }
    if (cellItem == 0) {
      exchange();
    } else if (cellItem == heldItem) {
      if (!heldPotion || count >= kPotionStack) return {kElementNothing};
      bag.SetCell(cell, cellItem, count + 1);
      hand_.Clear();
    } else if (count > 1) {
      return {kElementNothing};
    } else {
      exchange();
    }
    // Paid for: whatever the hand holds now (an item exchanged out of the cell) is the
    // player's own.
    PlaySound("buy.wav");
    buttons[index].SetCaption(ItemPicture(bag.Get(cell)));
    return {index, -record.price};
  }

  if (heldItem == cellItem) {
    if (heldItem == 0 || !heldPotion || count >= kPotionStack) return {kElementNothing};
    bag.SetCell(cell, cellItem, count + 1);
    hand_.Clear();
  } else if (count > 1) {
    if (heldItem != 0) return {kElementNothing};
    bag.ClearCell(cell);
    hand_.Take(cellItem);
  } else {
    exchange();
  }
  buttons[index].SetCaption(ItemPicture(bag.Get(cell)));
  PlaySound("pick_item.wav");
  return {index};
}

int PlayerPanel::SelectSkillIcon(int index) {
  Hooks::DebugOutput("click skill button.");
  if (index < 0 || index >= static_cast<int>(iconSkills_.size())) return kElementNothing;
  if (player_.IsFighting()) return kElementNothing;
  int id = iconSkills_[index];
  int level = 1;
  for (const LearnedSkill& s : player_.Growth().LearnedSkills()) {
    if (s.id == id) {
      level = s.level;
      break;
    }
  }
  if (!player_.SetSkill(id, level)) return kElementNothing;
  ShowSkillIcon(id);
  CloseSkillIcons();
  return kElementFirstSkillIcon + index;
}

RightClickResult PlayerPanel::RightClick() {
  Point p = Cursor();
  if (!OpaqueAt(p.x, p.y)) return {kElementOutside, -1};
  int e = ElementAt(p.x, p.y);
  if (e < kElementFirstCell || e >= kElementFirstSkillIcon) return {kElementNothing, -1};
  int cell = e - kElementFirstCell;
  PlayerGrowth& g = player_.Growth();
  int type = g.UseItem(cell);
  if (type == kItemBook && iconsShown_) {
    for (const LearnedSkill& s : g.LearnedSkills()) {
      if (skills_.IsSkill(s.id) &&
          std::find(iconSkills_.begin(), iconSkills_.end(), s.id) == iconSkills_.end()) {
        AddSkillIcon(s);
      }
    }
  }
  Refresh();
  return {cell, type};
}

void PlayerPanel::FollowHand() {
  if (picked_ && hand_.Item() != pickedItem_) DropPickedBag();
}

void PlayerPanel::DropPickedBag() {
  picked_.reset();
  pickedItem_ = 0;
}

Rect PlayerPanel::BarRect(int element) const {
  int i = element == kElementHpBar ? 0 : element == kElementMpBar ? 1 : 2;
  const PlayerGrowth& g = player_.Growth();
  double fraction = i == 0 ? g.HpFraction() : i == 1 ? g.MpFraction() : g.ExpFraction();
  int w = static_cast<int>(bars_[i].w * fraction);
  int left = x + bars_[i].x, top = y + bars_[i].y;
  return Rect{left, top, left + w, top + bars_[i].h};
}

void PlayerPanel::DrawTooltip() {
  Point p = Cursor();
  const PlayerGrowth& g = player_.Growth();
  const Attributes& a = g.Attrs();
  if (hovered_ == kElementHpBar) {
    DrawLineTip(renderer_, font, p.x, p.y, WinFormat("%d/%d", a.hp, a.maxHp));
  } else if (hovered_ == kElementMpBar) {
    DrawLineTip(renderer_, font, p.x, p.y, WinFormat("%d/%d", a.mp, a.maxMp));
  } else if (hovered_ == kElementExpBar) {
    DrawLineTip(renderer_, font, p.x, p.y, WinFormat("%d/%d", a.exp, a.expNeeded));
  } else if (hovered_ >= 1 && hovered_ < kCommandButtons) {
    DrawLineTip(renderer_, font, p.x, p.y, kCommandTips[hovered_]);
  } else if (hovered_ == kElementSkillButton || hovered_ >= kElementFirstSkillIcon) {
    LearnedSkill skill = player_.CurrentSkill();
    if (hovered_ >= kElementFirstSkillIcon) {
      size_t n = static_cast<size_t>(hovered_ - kElementFirstSkillIcon);
      if (n >= iconSkills_.size()) return;
      skill = LearnedSkill{iconSkills_[n], 1};
      for (const LearnedSkill& s : g.LearnedSkills()) {
        if (s.id == skill.id) skill.level = s.level;
      }
    }
    if (!skills_.IsSkill(skill.id)) return;
    SkillRecord record = skills_.Get(skill.id);
    HintBox::Draw(renderer_, font, p.x, p.y, SkillTooltip(record, skill.level), 22,
                  SkillTipLines(record));
  } else if (hovered_ >= kElementFirstSlot && hovered_ < kElementFirstSkillIcon) {
    int item = hovered_ < kElementFirstCell ? g.GetEquipment().Get(hovered_ - kElementFirstSlot)
                                            : g.GetBag().Get(hovered_ - kElementFirstCell);
    if (!items_.IsItem(item)) return;
    ItemRecord record = items_.Get(item);
    HintBox::Draw(renderer_, font, p.x, p.y, ItemTip(record, a.level), 20, ItemTipLines(record));
  }
}

void PlayerPanel::Draw() {
  Refresh();
  UpdateHover();
  WidgetContainer::Draw();
  const Bag& bag = player_.Growth().GetBag();
  for (int c = 0; c < kMainBagCells && Enhanced().On(Enhancement::kStackCounts); ++c) {
    const Button& cell = buttons[kElementFirstCell + c];
    DrawStackCount(renderer_, cell.x, cell.y, bag.StackCount(c));
  }
  if (Surface* back = renderer_.GetSurface(kSurfaceBackBuffer)) {
    DeviceContext dc(*back);
    const int elements[3] = {kElementHpBar, kElementMpBar, kElementExpBar};
    const ColorRef colors[3] = {healthWarning_ ? kHpBarWarningColor : kHpBarColor, kMpBarColor,
                                kExpBarColor};
    for (int i = 0; i < 3; ++i) {
      Rect r = BarRect(elements[i]);
      if (r.Empty()) continue;
      dc.SelectBrush(Brush::Solid(colors[i]));
      dc.Rectangle(r.left, r.top, r.right, r.bottom);
    }
  }
  DrawTooltip();
  if (hand_.Holds() && items_.IsItem(hand_.Item())) {
    Point p = Cursor();
    DrawPicturePath(renderer_, ItemPicture(hand_.Item()), kSurfaceBackBuffer, p.x - 16, p.y - 16);
  }
}

}  // namespace isora
