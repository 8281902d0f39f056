// Whole-screen checks: panels rendered headless from fixture INI files and pictures, compared
// with the frame their layout must give, built independently by filling rectangles.
#include <gtest/gtest.h>

#include "panels/item_fixture.h"
#include "panels/pack_panel.h"
#include "panels/player_panel.h"
#include "support/switches.h"
#include "ui/menu_panel.h"

namespace isora {
namespace {

using namespace test;

// Pixels that differ between two frames.
int Differences(const Surface& a, const Surface& b) {
  int n = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) n += a.At(x, y) != b.At(x, y);
  return n;
}

// Pixels of a 5-6-5 rectangle whose channels are all near white (light) or all near black.
int CountIn(const Surface& s, const Rect& r, bool light) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      const uint16_t p = s.At(x, y);
      const int red = p >> 11, green = (p >> 6) & 31, blue = p & 31;
      n += light ? (red >= 24 && green >= 24 && blue >= 24) : (red <= 1 && green <= 1 && blue <= 1);
    }
  return n;
}

class GoldenTest : public ItemUiTest {
 protected:
  Surface Expected() {
    Surface s(640, 480, renderer.Format());
    s.Fill(Px(0x000000));
    return s;
  }
  // A tolerance of a few pixels keeps the check about layout, not about single pixels.
  static constexpr int kTolerance = 4;
};

TEST_F(GoldenTest, BagPanelWithItemsAndShop) {
  AddPicture("ui\\bag3.bmp", 152, 176, 0x303050);
  AddPicture("ui\\bag5.bmp", 232, 256, 0x503030);
  AddPicture("ui\\close.bmp", 16, 16, 0xC0C0C0);
  BuildPacks();
  WriteIni("packpanel.ini",
           "[panel]\nx1=36\ny1=36\nx2=340\ny2=36\n"
           "[3x3itemButton]\nbgpic=ui\\bag3.bmp\npicWidth=152\npicHeight=176\nfirstBtnX=20\n"
           "firstBtnY=44\nxDis=8\nyDis=8\n"
           "[5x5itemButton]\nbgpic=ui\\bag5.bmp\npicWidth=232\npicHeight=256\nfirstBtnX=20\n"
           "firstBtnY=44\nxDis=8\nyDis=8\n"
           "[exitButton]\ntext=ui\\close.bmp\ntype=1\nx=8\ny=10\n"
           "[titleLabel]\nlines=0\nx=40\ny=12\nlineChars=20\n");
  FakePlayer player(items, skills);
  PackPanel bag(items, &player.growth, renderer, &host);
  PackPanel shop(items, &player.growth, renderer, &host);
  ASSERT_TRUE(bag.Load("packpanel.ini", nullptr, 0));
  ASSERT_TRUE(shop.Load("packpanel.ini", nullptr, 1));
  SubBag contents(9);
  contents.Exchange(kSword, 4);
  contents.Exchange(kGem, 8);
  bag.ShowBag(0, &contents, "");
  shop.ShowShop(2, 0, "");  // the one potion
  Back().Fill(Px(0));
  bag.Draw();
  shop.Draw();

  Surface want = Expected();
  want.Fill(Rect{36, 36, 188, 212}, Px(0x303050));
  want.Fill(Rect{44, 46, 60, 62}, Px(0xC0C0C0));
  auto cell = [](int ox, int oy, int c, int side) {
    int x = ox + 20 + (c % side) * 40, y = oy + 44 + (c / side) * 40;
    return Rect{x, y, x + 32, y + 32};
  };
  want.Fill(cell(36, 36, 4, 3), Px(0x204060));  // sword
  want.Fill(cell(36, 36, 8, 3), Px(0x102030 * kGem & 0xFFFFFF));
  want.Fill(Rect{340, 36, 572, 292}, Px(0x503030));
  want.Fill(Rect{348, 46, 364, 62}, Px(0xC0C0C0));
  want.Fill(cell(340, 36, 0, 5), Px(0x102030));  // potion
  EXPECT_LE(Differences(Back(), want), kTolerance);
}

TEST_F(GoldenTest, PlayerPanelBarsSlotsAndCells) {
  test::ScopedSwitches switches;
  AddPicture("ui\\panel.bmp", 640, 80, 0x404040);
  AddPicture("ui\\b.bmp", 20, 20, 0x00A000);
  BuildPacks();
  WriteIni("playerpanel.ini",
           "[panel]\nbgpic=ui\\panel.bmp\nx=0\ny=400\nw=640\nh=80\n"
           "[HPrect]\nx=58\ny=12\nw=100\nh=9\n[MPrect]\nx=58\ny=27\nw=100\nh=9\n"
           "[EXrect]\nx=58\ny=42\nw=100\nh=6\n"
           "[skillButton]\ntext=skill\\Slash.bmp\ntype=1\nx=12\ny=22\n"
           "[propertyButton]\ntext=ui\\b.bmp\ntype=1\nx=586\ny=4\n"
           "[noteButton]\ntext=ui\\b.bmp\ntype=1\nx=612\ny=4\n"
           "[rrButton]\ntext=NULL\ntype=1\n[missionButton]\ntext=NULL\ntype=1\n"
           "[menuButton]\ntext=NULL\ntype=1\n"
           "[moneyLbl]\nlines=0\n[levelLbl]\nlines=0\n"
           "[weaponButtons]\nWuX=510\nWuY=6\nJiaX=546\nJiaY=6\nShi1X=510\nShi1Y=42\nShi2X=546\n"
           "Shi2Y=42\n"
           "[itemButtons]\nlines=1\nfirstBtnX=182\nfirstBtnY=24\nxDis=4\nyDis=4\n"
           "[skillImages]\nx=12\ny=-38\nwidth=32\nheight=32\n");
  FakePlayer player(items, skills);
  Attributes& a = player.growth.MutableAttrs();
  a.hp = 75;
  a.maxHp = 100;
  a.mp = 10;
  a.maxMp = 40;
  a.exp = 0;
  player.growth.GetBag().SetCell(2, kPotion, 3);
  player.growth.GetEquipment().SetSlot(kSlotArmour, kArmour);
  Hand hand;
  PlayerPanel panel(items, skills, player, hand, renderer, &host);
  ASSERT_TRUE(panel.Load("playerpanel.ini", nullptr));
  host.cursor = {320, 100};  // away from the panel: no hover, no tooltip
  Back().Fill(Px(0));
  panel.Draw();

  Surface want = Expected();
  want.Fill(Rect{0, 400, 640, 480}, Px(0x404040));
  want.Fill(Rect{12, 422, 44, 454}, Px(0x204060));  // the current skill's icon
  want.Fill(Rect{586, 404, 606, 424}, Px(0x00A000));
  want.Fill(Rect{612, 404, 632, 424}, Px(0x00A000));
  want.Fill(Rect{182 + 2 * 36, 424, 182 + 2 * 36 + 32, 456}, Px(0x102030));  // potions
  want.Fill(Rect{546, 406, 578, 438}, Px(0x102030 * kArmour & 0xFFFFFF));
  // Bars: a one-pixel black border around the brush colour.
  auto bar = [&](int top, int w, int h, uint32_t rgb) {
    want.Fill(Rect{58, top, 58 + w, top + h}, Px(0));
    want.Fill(Rect{59, top + 1, 58 + w - 1, top + h - 1}, Px(rgb));
  };
  bar(412, 75, 9, 0xFF0000);
  bar(427, 25, 9, 0x0000FF);
  // The stack of three shows its count, white on black, in the cell's lower-right corner; the
  // corner is checked on its own and then taken as drawn.
  const Rect corner{182 + 2 * 36 + 16, 424 + 16, 182 + 2 * 36 + 33, 457};
  EXPECT_GT(CountIn(Back(), corner, true), 5);
  EXPECT_GT(CountIn(Back(), corner, false), 5);
  for (int y = corner.top; y < corner.bottom; ++y)
    for (int x = corner.left; x < corner.right; ++x) want.Set(x, y, Back().At(x, y));
  EXPECT_LE(Differences(Back(), want), kTolerance);
}

// Three potions looked like one, and selling one left the cell unchanged: a stack shows its
// count, a single piece none, in the slot bar and in a bag panel showing the main bag.
TEST_F(GoldenTest, StackCountsOnTheSlotBarAndTheMainBag) {
  test::ScopedSwitches switches;
  AddPicture("ui\\bag3.bmp", 152, 176, 0x303050);
  AddPicture("ui\\close.bmp", 16, 16, 0xC0C0C0);
  BuildPacks();
  WriteIni("playerpanel.ini",
           "[panel]\nbgpic=NULL\nx=0\ny=400\nw=640\nh=80\n"
           "[itemButtons]\nlines=1\nfirstBtnX=182\nfirstBtnY=24\nxDis=4\nyDis=4\n");
  WriteIni("packpanel.ini",
           "[panel]\nx1=36\ny1=36\nx2=340\ny2=36\n"
           "[3x3itemButton]\nbgpic=ui\\bag3.bmp\npicWidth=152\npicHeight=176\nfirstBtnX=20\n"
           "firstBtnY=44\nxDis=8\nyDis=8\n"
           "[exitButton]\ntext=ui\\close.bmp\ntype=1\nx=8\ny=10\n"
           "[titleLabel]\nlines=0\nx=40\ny=12\nlineChars=20\n");
  FakePlayer player(items, skills);
  Bag& bag = player.growth.GetBag();
  bag.SetCell(0, kPotion, 1);
  bag.SetCell(1, kPotion, 3);
  bag.SetCell(2, kPotion, 12);
  Hand hand;
  PlayerPanel panel(items, skills, player, hand, renderer, &host);
  ASSERT_TRUE(panel.Load("playerpanel.ini", nullptr));
  PackPanel pack(items, &player.growth, renderer, &host);
  ASSERT_TRUE(pack.Load("packpanel.ini", nullptr, 0));
  host.cursor = {320, 300};
  auto corner = [](int x, int y) { return Rect{x + 16, y + 16, x + 33, y + 33}; };
  auto white = [&](const Rect& r) { return CountIn(Back(), r, true); };

  Back().Fill(Px(0x808080));
  panel.Draw();
  EXPECT_EQ(white(corner(182, 424)), 0);  // one piece: no count
  const int three = white(corner(182 + 36, 424));
  const int twelve = white(corner(182 + 72, 424));
  EXPECT_GT(three, 5);
  EXPECT_GT(twelve, three);  // two digits
  // One sold: the cell changes to the count of two.
  bag.SetCell(1, kPotion, 2);
  Back().Fill(Px(0x808080));
  panel.Draw();
  EXPECT_GT(white(corner(182 + 36, 424)), 5);
  EXPECT_NE(white(corner(182 + 36, 424)), three);

  // A bag panel showing the main bag shows the counts; a sub-bag has none to show.
  pack.ShowBag(0, &bag, "");
  Back().Fill(Px(0x808080));
  pack.Draw();
  EXPECT_EQ(white(corner(36 + 20, 36 + 44)), 0);
  EXPECT_GT(white(corner(36 + 20 + 40 * 2, 36 + 44)), 5);
  SubBag contents(9);
  contents.Exchange(kPotion, 1);
  pack.ShowBag(0, &contents, "");
  Back().Fill(Px(0x808080));
  pack.Draw();
  EXPECT_EQ(white(corner(36 + 20 + 40, 36 + 44)), 0);
  // A classic game shows a stack as one piece.
  SetEnhanced(Enhancements{});
  pack.ShowBag(0, &bag, "");
  Back().Fill(Px(0x808080));
  panel.Draw();
  pack.Draw();
  EXPECT_EQ(white(corner(182 + 72, 424)), 0);
  EXPECT_EQ(white(corner(36 + 20 + 40 * 2, 36 + 44)), 0);
}

}  // namespace
}  // namespace isora
