#include "panels/pack_panel.h"

#include <gtest/gtest.h>

#include "items/sub_bag.h"
#include "panels/item_fixture.h"
#include "quests/mission_list.h"
#include "support/recording_hooks.h"

namespace isora {
namespace {

using namespace test;

constexpr const char* kPackIni =
    "[panel]\nx1=20\ny1=30\nx2=340\ny2=36\n"
    "[3x3itemButton]\nbgpic=ui\\bag3.bmp\npicWidth=152\npicHeight=176\nfirstBtnX=20\n"
    "firstBtnY=44\nxDis=8\nyDis=8\n"
    "[4x4itemButton]\nbgpic=ui\\bag4.bmp\npicWidth=192\npicHeight=216\nfirstBtnX=20\n"
    "firstBtnY=44\nxDis=8\nyDis=8\n"
    "[5x5itemButton]\nbgpic=ui\\bag5.bmp\npicWidth=232\npicHeight=256\nfirstBtnX=10\n"
    "firstBtnY=40\nxDis=6\nyDis=4\n"
    "[exitButton]\ntext=ui\\close.bmp\ntype=1\nx=8\ny=10\n"
    "[titleLabel]\nlines=1\nx=76\ny=12\nlineChars=20\n";

class PackPanelTest : public ItemUiTest {
 protected:
  void SetUp() override {
    ItemUiTest::SetUp();
    AddPicture("ui\\bag3.bmp", 152, 176, 0x303030);
    AddPicture("ui\\bag5.bmp", 232, 256, 0x303030);
    AddPicture("ui\\close.bmp", 16, 16, 0xFF0000);
    BuildPacks();
    WriteIni("packpanel.ini", kPackIni);
    ASSERT_TRUE(panel.Load("packpanel.ini", nullptr, 0));
  }
  // Points the cursor at cell c.
  void AtCell(int c) {
    const Button& b = panel.buttons[1 + c];
    host.cursor = {b.x + 1, b.y + 1};
  }
  // One click with the fixture's held item, its source (1: from a shop) and purse: the hand is
  // set from them, and the click's money goes to the purse as the shell applies it.
  int Click() {
    Hand hand;
    hand.Take(held, source == 1);
    PanelClick click = panel.Click(hand, money, &missions);
    held = hand.Item();
    source = hand.FromShop() ? 1 : 0;
    money += click.money;
    return click.answer;
  }

  FakePlayer player{items, skills};
  PackPanel panel{items, &player.growth, renderer, &host};
  MissionList missions;
  SubBag sub{9};
  int source = 0, held = 0, money = 0;
};

TEST_F(PackPanelTest, InstancesAndGridLayoutsComeFromTheIni) {
  EXPECT_FALSE(panel.IsShown());
  EXPECT_EQ(panel.x, 20);
  PackPanel second(items, nullptr, renderer, &host);
  ASSERT_TRUE(second.Load("packpanel.ini", nullptr, 1));
  EXPECT_EQ(second.x, 340);
  EXPECT_EQ(second.y, 36);
  EXPECT_FALSE(second.Load("nothing.ini", nullptr, 1));

  SubBag big(25);
  panel.ShowBag(2, &big, "My Bag");
  EXPECT_TRUE(panel.IsShown());
  EXPECT_EQ(panel.ShownBag(), &big);
  ASSERT_EQ(panel.buttons.size(), 26u);
  EXPECT_EQ(panel.background, "ui\\bag5.bmp");
  EXPECT_EQ(panel.Area(), (Rect{20, 30, 252, 286}));
  // Cell 7 is row 1, column 2 of the 5×5 grid.
  EXPECT_EQ(panel.buttons[1 + 7].x, 20 + 10 + 2 * (6 + 32));
  EXPECT_EQ(panel.buttons[1 + 7].y, 30 + 40 + 1 * (4 + 32));
  EXPECT_EQ(panel.buttons[1 + 7].hitRect.Width(), 32);
  EXPECT_EQ(panel.buttons[0].x, 28);
  EXPECT_EQ(panel.textBoxes[0].paragraphs, std::vector<std::string>{"My Bag"});
}

TEST_F(PackPanelTest, ADamagedIniNamesTheCloseButtonItLeavesUnclickable) {
  WriteIni("damaged.ini", "[panel]\nx1=20\ny1=30\n[exitButton]\ntext=Close\nx=8\n");
  PackPanel damaged(items, nullptr, renderer, &host);
  ASSERT_TRUE(damaged.Load("damaged.ini", nullptr, 0));
  EXPECT_EQ(damaged.iniProblems,
            (std::vector<std::string>{"[exitButton] y: missing", "[exitButton] type: missing"}));
  WriteIni("damaged.ini", "[panel]\nx1=20\ny1=30\n[exitButton]\ntext=Close\ntype=0\nx=8\ny=9\n");
  ASSERT_TRUE(damaged.Load("damaged.ini", nullptr, 0));
  EXPECT_TRUE(damaged.iniProblems.empty());  // each load starts afresh
}

// Found by fuzzing: the close button's place, the panel's x plus the INI's x, overflowed for
// an x at the int limit; so could every cell and the panel's area.
TEST_F(PackPanelTest, NumbersAtTheIntLimitPlaceThePanelFarOffTheScreen) {
  WriteIni("far.ini",
           "[panel]\nx1=2\ny1=-2147483648\n[exitButton]\ntext=Close\ntype=0\nx=2147483647\n"
           "y=-2147483648\n[5x5itemButton]\nbgpic=NULL\npicWidth=2147483647\n"
           "picHeight=2147483647\nfirstBtnX=2147483647\nfirstBtnY=-2147483648\n"
           "xDis=2147483647\nyDis=-2147483648\n[titleLabel]\nlines=3\nx=2147483647\n"
           "y=2147483647\nlineChars=1\n");
  PackPanel far(items, nullptr, renderer, &host);
  ASSERT_TRUE(far.Load("far.ini", nullptr, 0));
  SubBag big(25);
  far.ShowBag(2, &big, "A title long enough to take three lines");
  ASSERT_EQ(far.buttons.size(), 26u);
  EXPECT_EQ(far.buttons[0].x, 2 + kPanelNumberLimit);
  EXPECT_EQ(far.buttons[0].y, -2 * kPanelNumberLimit);
  EXPECT_EQ(far.buttons[25].x, 2 + kPanelNumberLimit + 4 * (kPanelNumberLimit + 32));
  EXPECT_EQ(far.Area(), (Rect{2, -kPanelNumberLimit, 2 + kPanelNumberLimit, 0}));
  host.cursor = {100, 100};
  far.Hover();
  far.Draw();  // nothing of it is on the screen, and nothing overflows on the way
  EXPECT_EQ(far.HoveredCell(), 0);  // no cell under the cursor
}

TEST_F(PackPanelTest, ShopListsEveryItemOfTheTypeAndShowsTheFirstTwentyFive) {
  std::vector<ItemRecord> records = {MakeItem("none", 0, 0)};
  for (int i = 0; i < 30; ++i) {
    std::string name = "p";
    name += std::to_string(i);
    records.push_back(MakeItem(name, 0, 5));
  }
  records.push_back(MakeItem("sword", 1, 5));
  items.SetRecords(records);
  panel.ShowShop(2, 0, "Sell Items");
  EXPECT_EQ(panel.Mode(), kPackShowShop);
  EXPECT_EQ(panel.ShopList().size(), 30u);
  EXPECT_EQ(panel.ShownBag(), nullptr);
  ASSERT_EQ(panel.buttons.size(), 26u);
  EXPECT_EQ(panel.CellItem(24), 25);
  EXPECT_EQ(panel.buttons[25].name, "items\\p24.bmp");
}

TEST_F(PackPanelTest, BuyingNeedsTheWholePriceAndAnEmptyCell) {
  RecordingHooks hooks;
  panel.ShowBag(0, &sub, "My Bag");
  source = 1;
  held = kSword;  // price 120
  money = 119;
  AtCell(0);
  EXPECT_EQ(Click(), -1);
  EXPECT_EQ(held, kSword);
  EXPECT_EQ(money, 119);
  EXPECT_EQ(host.messages, std::vector<std::string>{"My money is not enough."});
  EXPECT_EQ(host.beeps, 1);
  EXPECT_EQ(hooks.debugOutput.back(), "set tip.");

  money = 120;
  EXPECT_EQ(Click(), 1);
  EXPECT_EQ(money, 0);
  EXPECT_EQ(held, 0);
  EXPECT_EQ(source, 0);
  EXPECT_EQ(sub.Get(0), kSword);
  EXPECT_EQ(host.sounds.back(), "sound\\buy.wav");
  EXPECT_EQ(panel.buttons[1].name, "items\\sword.bmp");

  // An occupied cell refuses, whatever the money.
  source = 1;
  held = kPotion;
  money = 1000;
  EXPECT_EQ(Click(), -1);
  EXPECT_EQ(host.messages.back(), "One grid in bag can only be set into one item.");
  EXPECT_EQ(sub.Get(0), kSword);
  EXPECT_EQ(money, 1000);

  // An item of price 0 can never be bought.
  held = kBaldric;
  AtCell(1);
  EXPECT_EQ(Click(), -1);
  EXPECT_EQ(sub.Get(1), 0);
  EXPECT_EQ(host.messages.back(), "My money is not enough.");
}

TEST_F(PackPanelTest, SellingOnTheShopGivesHalfThePrice) {
  missions.Add("collect", "", kMissionCollect, "armour", 1, 0, 0);
  missions.ReportGained("armour", false);
  panel.ShowShop(0, 0, "Sell Items");
  held = kArmour;  // price 75
  money = 5;
  host.cursor = {20 + 140, 30 + 170};  // on the background, no button
  EXPECT_EQ(Click(), kPackSold);
  EXPECT_EQ(money, 5 + 37);
  EXPECT_EQ(held, 0);
  EXPECT_EQ(host.sounds.back(), "sound\\sell.wav");
  EXPECT_EQ(missions.ObjectiveCount("collect"), 0);

  // Onto a shop cell: sold as well.
  held = kSword;
  AtCell(3);
  EXPECT_EQ(Click(), 4);
  EXPECT_EQ(money, 42 + 60);
  EXPECT_EQ(held, 0);

  // A shop item dropped back onto the shop just returns.
  AtCell(0);
  EXPECT_EQ(Click(), 1);
  EXPECT_EQ(held, kPotion);
  EXPECT_EQ(source, 1);
  EXPECT_EQ(panel.TakenItem(), kPotion);
  host.cursor = {20 + 140, 30 + 170};
  EXPECT_EQ(Click(), -1);
  EXPECT_EQ(held, 0);
  EXPECT_EQ(panel.TakenItem(), 0);
  EXPECT_EQ(money, 102);
  EXPECT_EQ(panel.ShopList().size(), 1u);  // the shop never runs out
}

TEST_F(PackPanelTest, EmptyShopCellsGiveNothing) {
  panel.ShowShop(0, 0, "Sell Items");
  AtCell(5);
  EXPECT_EQ(Click(), 6);
  EXPECT_EQ(held, 0);
  EXPECT_EQ(source, 0);
  EXPECT_TRUE(host.sounds.empty());
}

TEST_F(PackPanelTest, BagItemsExchangeAndBagsStayOutOfBags) {
  panel.ShowBag(0, &sub, "My Bag");
  sub.Exchange(kGem, 2);
  held = kBag;
  AtCell(0);
  EXPECT_EQ(Click(), -1);
  EXPECT_EQ(host.messages.back(), "Bag can not be put into another bag.");
  EXPECT_EQ(held, kBag);

  held = kPotion;
  AtCell(2);
  EXPECT_EQ(Click(), 3);
  EXPECT_EQ(held, kGem);
  EXPECT_EQ(panel.TakenItem(), kGem);
  EXPECT_EQ(sub.Get(2), kPotion);
  EXPECT_EQ(host.sounds.back(), "sound\\pick_item.wav");

  // While this panel's item is on the cursor the exit button does not close it.
  host.cursor = {29, 41};
  EXPECT_EQ(Click(), -1);
  panel.ClearTaken();
  EXPECT_EQ(Click(), 0);
  host.cursor = {5, 5};
  EXPECT_EQ(Click(), kPackOutside);
}

TEST_F(PackPanelTest, AGridWhoseBagItemLeftItsCellIsNeverReached) {
  Bag& main = player.growth.GetBag();
  ASSERT_TRUE(main.Add(kBag));
  main.SubBagAt(0)->Exchange(kGem, 1);
  panel.ShowBag(0, main.SubBagAt(0), "My Bag");
  EXPECT_EQ(panel.CellItem(1), kGem);
  EXPECT_EQ(panel.ShownBag(), main.SubBagAt(0));
  // The bag item goes to the cursor: its grid goes with it.
  main.SetSubBag(0, std::nullopt);
  main.Exchange(0, 0);
  EXPECT_EQ(panel.ShownBag(), nullptr);
  EXPECT_EQ(panel.CellItem(1), 0);
  held = kPotion;
  AtCell(1);
  EXPECT_EQ(Click(), -1);
  EXPECT_EQ(held, kPotion);
  panel.Draw();
  EXPECT_EQ(panel.buttons[2].name, "NULL");
}

TEST_F(PackPanelTest, HoverFindsCellsAndTooltipsDraw) {
  sub.Exchange(kSword, 4);
  panel.ShowBag(0, &sub, "My Bag");
  AtCell(4);
  panel.UpdateHover();
  EXPECT_EQ(panel.HoveredCell(), 5);
  host.cursor = {29, 41};
  panel.UpdateHover();
  EXPECT_EQ(panel.HoveredCell(), 0);  // the exit button is no cell

  // The tooltip darkens a box at the cursor; the taken item follows the cursor.
  AtCell(4);
  panel.UpdateHover();
  Back().Fill(Px(0xFFFFFF));
  panel.DrawTooltips();
  const uint16_t halfWhite = static_cast<uint16_t>((15 << 11) | (31 << 5) | 15);
  EXPECT_EQ(Back().At(host.cursor.x - 2, host.cursor.y + 1), halfWhite);
  EXPECT_EQ(Back().At(host.cursor.x - 4, host.cursor.y + 1), Px(0xFFFFFF));
  held = 0;
  Click();
  ASSERT_EQ(panel.TakenItem(), kSword);
  Back().Fill(Px(0xFFFFFF));
  host.cursor = {400, 300};
  panel.UpdateHover();
  panel.DrawTooltips();
  EXPECT_EQ(Back().At(384, 284), Px(0x204060));  // the sword's picture
  EXPECT_EQ(Back().At(383, 283), Px(0xFFFFFF));
}

}  // namespace
}  // namespace isora
