#include "panels/pack_panel.h"

#include <algorithm>

#include "foundation/enhancements.h"
#include "foundation/ini_file.h"
#include "foundation/system_hooks.h"
#include "foundation/win_format.h"
#include "items/bag.h"
#include "items/item_container.h"
#include "items/item_database.h"
#include "items/sub_bag.h"
#include "media/renderer.h"
#include "panels/stack_count.h"
#include "quests/mission_list.h"
#include "roles/attributes.h"
#include "roles/player_growth.h"
#include "ui/hint_box.h"
#include "ui/picture_path.h"
#include "ui/ui_host.h"

namespace isora {

namespace {

constexpr const char* kGridSections[3] = {"3x3itemButton", "4x4itemButton", "5x5itemButton"};
constexpr int kCell = 32;

}  // namespace

PackPanel::PackPanel(const ItemDatabase& items, PlayerGrowth* player, Renderer& renderer,
                     UiHost* host)
    : WidgetContainer(renderer, host), items_(items), player_(player) {}

bool PackPanel::Load(const char* iniName, const char* packagePath, int instance) {
  IniFile ini;
  packagePath ? ini.Load(iniName, packagePath) : ini.LoadFile(iniName);
  if (ini.IsFailed()) return false;
  x = PanelNumber(ini, "panel", instance == 0 ? "x1" : "x2");
  y = PanelNumber(ini, "panel", instance == 0 ? "y1" : "y2");
  for (int k = 0; k < 3; ++k) {
    const char* s = kGridSections[k];
    PackGrid& g = grids_[k];
    g.bgpic = ini.GetString(s, "bgpic");
    g.picWidth = PanelNumber(ini, s, "picWidth");
    g.picHeight = PanelNumber(ini, s, "picHeight");
    g.firstBtnX = PanelNumber(ini, s, "firstBtnX");
    g.firstBtnY = PanelNumber(ini, s, "firstBtnY");
    g.xDis = PanelNumber(ini, s, "xDis");
    g.yDis = PanelNumber(ini, s, "yDis");
  }
  exitText_ = ini.GetString("exitButton", "text");
  exitType_ = ini.GetInt("exitButton", "type");
  exitX_ = PanelNumber(ini, "exitButton", "x");
  exitY_ = PanelNumber(ini, "exitButton", "y");
  textBoxes.clear();
  AddIniTextBox(ini, "titleLabel", false);
  kind_ = 0;
  bag_ = nullptr;
  mainCell_ = -1;
  shop_.clear();
  taken_ = 0;
  BuildCells();
  iniProblems.clear();
  CheckIniButton(ini, "exitButton", buttons.front(), {"x", "y", "text", "type"});
  return true;
}

std::string PackPanel::PictureFor(int item) const {
  if (!items_.IsItem(item)) return "NULL";
  return "items\\" + items_.Get(item).picture;
}

ItemContainer* PackPanel::Container() const {
  if (mode_ != kPackShowBag) return nullptr;
  if (mainCell_ < 0) return bag_;
  SubBag* sub = player_ ? player_->GetBag().SubBagAt(mainCell_) : nullptr;
  if (!sub || sub->CellCount() != Side() * Side()) return nullptr;
  return sub;
}

int PackPanel::CellItem(int c) const {
  if (mode_ == kPackShowShop) {
    return c >= 0 && c < static_cast<int>(shop_.size()) ? shop_[c] : 0;
  }
  const ItemContainer* bag = Container();
  return bag ? std::max(bag->Get(c), 0) : 0;
}

void PackPanel::RefreshCell(int c) {
  size_t index = static_cast<size_t>(c) + 1;
  if (index >= buttons.size()) return;
  Button& b = buttons[index];
  int item = CellItem(c);
  b.SetCaption(PictureFor(item));
  if (b.IsNull()) {
    b.SetSize(kCell, kCell);
  } else {
    Size s = PictureSize(renderer_, b.name);
    if (s.cx <= 0 || s.cy <= 0) s = Size{kCell, kCell};
    b.SetSize(s.cx, s.cy);
  }
}

void PackPanel::BuildCells() {
  buttons.clear();
  buttons.emplace_back(renderer_, exitText_, x + exitX_, y + exitY_, exitType_, true);
  const PackGrid& g = grids_[kind_];
  background = g.bgpic;
  const int side = Side();
  for (int c = 0; c < side * side; ++c) {
    int cx = x + g.firstBtnX + (c % side) * (g.xDis + kCell);
    int cy = y + g.firstBtnY + (c / side) * (g.yDis + kCell);
    buttons.emplace_back(renderer_, "NULL", cx, cy, kButtonPicture, false);
    RefreshCell(c);
  }
}

void PackPanel::SetTitle(const std::string& title) {
  if (!textBoxes.empty()) textBoxes[0].SetParagraphs({title});
}

void PackPanel::ShowBag(int gridKind, ItemContainer* bag, const std::string& title) {
  mode_ = kPackShowBag;
  kind_ = std::clamp(gridKind, 0, 2);
  bag_ = bag;
  mainCell_ = -1;
  if (player_ && bag) {
    Bag& main = player_->GetBag();
    for (int c = 0; c < main.CellCount(); ++c) {
      if (main.SubBagAt(c) == bag) mainCell_ = c;
    }
  }
  shop_.clear();
  shown_ = true;
  BuildCells();
  SetTitle(title);
}

void PackPanel::ShowShop(int gridKind, int itemType, const std::string& title) {
  mode_ = kPackShowShop;
  kind_ = std::clamp(gridKind, 0, 2);
  bag_ = nullptr;
  mainCell_ = -1;
  shop_.clear();
  for (int id = 1; id < items_.Count(); ++id) {
    if (items_.TypeOf(id) == itemType) shop_.push_back(id);
  }
  shown_ = true;
  BuildCells();
  SetTitle(title);
}

Rect PackPanel::Area() const {
  const PackGrid& g = grids_[kind_];
  return Rect{x, y, x + g.picWidth, y + g.picHeight};
}

void PackPanel::Refuse(const std::string& message) {
  if (host_) host_->ShowMessage(ExpandCommaEscapes(message));
  Hooks::DebugOutput("set tip.");
  if (host_) host_->Beep();
}

int32_t PackPanel::Sell(Hand& hand, MissionList* missions) {
  ItemRecord record = items_.Get(hand.Item());
  if (missions) missions->ReportLost(record.name);
  PlaySound("sell.wav");
  hand.Clear();
  taken_ = 0;
  // A damaged negative price never takes money on a sale.
  return std::max(record.price / 2, 0);
}

PanelClick PackPanel::Click(Hand& hand, int32_t money, MissionList* missions) {
  Point p = Cursor();
  if (!Area().Contains(p.x, p.y)) return {kPackOutside};
  int hit = -1;
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (buttons[i].HitTest(p.x, p.y)) {
      hit = static_cast<int>(i);
      break;
    }
  }
  if (hit < 0) {
    if (mode_ == kPackShowShop && hand.Holds()) {
      if (hand.FromShop()) {
        hand.Clear();
        taken_ = 0;
        return {-1};
      }
      return {kPackSold, Sell(hand, missions)};
    }
    return {-1};
  }
  if (hit == 0) return {taken_ != 0 ? -1 : 0};

  const int c = hit - 1;
  if (mode_ == kPackShowShop) {
    if (!hand.Holds()) {
      int item = CellItem(c);
      // An empty shop cell gives nothing: the hand stays empty and no purchase starts.
      if (item == 0) return {hit};
      PlaySound("pick_item.wav");
      hand.Take(item, true);
      taken_ = item;
      return {hit};
    }
    if (!hand.FromShop()) return {hit, Sell(hand, missions)};
    hand.Clear();
    taken_ = 0;
    return {hit};
  }

  ItemContainer* bag = Container();
  if (!bag || !bag->HasCell(c)) return {-1};
  if (hand.FromShop()) {
    ItemRecord record = items_.Get(hand.Item());
    bool empty = bag->Get(c) == 0;
    // Items without a positive price are not for sale.
    if (empty && record.price > 0 && money >= record.price) {
      PlaySound("buy.wav");
      int put = hand.Item();
      bag->Exchange(put, c);
      RefreshCell(c);
      hand.Clear();
      taken_ = 0;
      return {hit, -record.price};
    }
    Refuse(empty ? "My money is not enough." : "One grid in bag can only be set into one item.");
    return {-1};
  }
  if (IsBagType(items_.TypeOf(hand.Item()))) {
    Refuse("Bag can not be put into another bag.");
    return {-1};
  }
  int put = hand.Item();
  int previous = bag->Exchange(put, c);
  hand.Take(previous);
  taken_ = previous;
  RefreshCell(c);
  Hooks::DebugOutput(WinFormat("  old item=%d,new item=%d", put, previous));
  if (put > 0 || previous > 0) PlaySound("pick_item.wav");
  return {hit};
}

void PackPanel::Hover() {
  Point p = Cursor();
  hovered_ = 0;
  for (size_t i = 1; i < buttons.size(); ++i) {
    if (buttons[i].HitTest(p.x, p.y)) {
      hovered_ = static_cast<int>(i);
      break;
    }
  }
}

void PackPanel::UpdateHover() {
  WidgetContainer::UpdateHover();
  Hover();
}

void PackPanel::DrawTooltips() {
  Point p = Cursor();
  if (hovered_ > 0) {
    int item = CellItem(hovered_ - 1);
    if (items_.IsItem(item)) {
      ItemRecord record = items_.Get(item);
      int money = player_ ? player_->Attrs().money : 0;
      int level = player_ ? player_->Attrs().level : 1;
      HintBox::Draw(renderer_, font, p.x, p.y,
                    ItemTooltip(record, mode_ == kPackShowShop, money, level), 20,
                    ItemTooltipLines(record));
    }
  }
  if (taken_ != 0 && items_.IsItem(taken_)) {
    DrawPicturePath(renderer_, PictureFor(taken_), kSurfaceBackBuffer, p.x - 16, p.y - 16);
  }
}

void PackPanel::Draw() {
  for (int c = 0; c + 1 < static_cast<int>(buttons.size()); ++c) RefreshCell(c);
  WidgetContainer::Draw();
  // Only the main bag stacks; sub-bags hold one piece a cell and a shop never runs out.
  const Bag* bag = dynamic_cast<const Bag*>(Container());
  if (bag && Enhanced().On(Enhancement::kStackCounts)) {
    for (int c = 0; c + 1 < static_cast<int>(buttons.size()); ++c)
      DrawStackCount(renderer_, buttons[c + 1].x, buttons[c + 1].y, bag->StackCount(c));
  }
}

}  // namespace isora
