// A bag panel (packpanel.ini, two instances): shows a bag item's grid ("My Bag") or a
// shopkeeper's wares ("Sell Items"), and moves, buys and sells items with the one item held on
// the cursor.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "panels/hand.h"
#include "ui/widget_container.h"

namespace isora {

class ItemContainer;
class ItemDatabase;
class MissionList;
class PlayerGrowth;

enum PackMode : int { kPackShowBag = 0, kPackShowShop = 1 };
// Click answers besides a button index.
constexpr int kPackOutside = -2;
constexpr int kPackSold = 2;

struct PackGrid {
  std::string bgpic = "NULL";
  int picWidth = 0, picHeight = 0;
  int firstBtnX = 0, firstBtnY = 0;
  int xDis = 0, yDis = 0;
};

class PackPanel : public WidgetContainer {
 public:
  // player (may be null) gives the money and level shown in tooltips, and owns the main bag
  // whose sub-bags this panel shows.
  PackPanel(const ItemDatabase& items, PlayerGrowth* player, Renderer& renderer, UiHost* host);

  // Reads packpanel.ini for instance 0 ("x1"/"y1") or 1 ("x2"/"y2"); false when it does not
  // load.
  bool Load(const char* iniName, const char* packagePath, int instance);
  // Shows a bag item's grid (kind 0, 1, 2: side 3, 4, 5). A sub-bag of the player's main bag is
  // followed by its cell, so the panel never reaches a grid whose bag item has left that cell
  // (it then shows empty, inert cells); any other container must outlive the showing.
  void ShowBag(int gridKind, ItemContainer* bag, const std::string& title);
  // Shows every item of a type, in id order, as a shop.
  void ShowShop(int gridKind, int itemType, const std::string& title);
  void Hide() { shown_ = false; }
  bool IsShown() const { return shown_; }
  // The bag this panel shows (null for a shop).
  const ItemContainer* ShownBag() const { return mode_ == kPackShowBag ? Container() : nullptr; }

  // A left click with the hand; `money` is what the player can spend. Answers -2 outside, -1
  // nothing or refused, 0 the exit button, 2 sold onto the panel's background, or the button
  // index (1 + cell) of a cell, with the money a sale gained or a purchase paid.
  PanelClick Click(Hand& hand, int32_t money, MissionList* missions);
  // The 1-based cell under the cursor, 0 for none.
  void Hover();
  void UpdateHover() override;
  // The tooltip of the hovered cell, and the taken item on the cursor.
  void DrawTooltips();
  // Background, exit button, cells and title (tooltips are drawn by DrawTooltips).
  void Draw() override;

  int TakenItem() const { return taken_; }
  void ClearTaken() { taken_ = 0; }
  int HoveredCell() const { return hovered_; }
  int Mode() const { return mode_; }
  int Side() const { return kind_ + 3; }
  const std::vector<int>& ShopList() const { return shop_; }
  // The item in cell c (0 when empty or beyond the container).
  int CellItem(int c) const;
  Rect Area() const;

 private:
  ItemContainer* Container() const;
  void BuildCells();
  void RefreshCell(int c);
  std::string PictureFor(int item) const;
  // Sells the held item; answers the money it brings.
  int32_t Sell(Hand& hand, MissionList* missions);
  void Refuse(const std::string& message);
  void SetTitle(const std::string& title);

  const ItemDatabase& items_;
  PlayerGrowth* player_;
  std::array<PackGrid, 3> grids_;
  std::string exitText_ = "NULL";
  int exitType_ = 0, exitX_ = 0, exitY_ = 0;
  int mode_ = kPackShowBag;
  int kind_ = 0;
  ItemContainer* bag_ = nullptr;
  int mainCell_ = -1;  // the main-bag cell whose sub-bag is shown, or -1
  std::vector<int> shop_;
  int taken_ = 0;
  int hovered_ = 0;
  bool shown_ = false;
};

}  // namespace isora
