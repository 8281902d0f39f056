#include "panels/player_panel.h"

#include <gtest/gtest.h>

#include "panels/item_fixture.h"
#include "support/recording_hooks.h"

namespace isora {
namespace {

using namespace test;

constexpr const char* kPlayerIni =
    "[panel]\nbgpic=ui\\panel.bmp\nx=0\ny=400\nw=640\nh=80\n"
    "[HPrect]\nx=58\ny=12\nw=112\nh=9\n[MPrect]\nx=58\ny=27\nw=112\nh=9\n"
    "[EXrect]\nx=58\ny=42\nw=112\nh=6\n"
    "[skillButton]\ntext=skill\\Slash.bmp\ntype=1\nx=12\ny=22\n"
    "[propertyButton]\ntext=ui\\b.bmp\ntype=1\nx=586\ny=4\n"
    "[noteButton]\ntext=ui\\b.bmp\ntype=1\nx=612\ny=4\n"
    "[rrButton]\ntext=ui\\b.bmp\ntype=1\nx=586\ny=29\n"
    "[missionButton]\ntext=ui\\b.bmp\ntype=1\nx=612\ny=29\n"
    "[menuButton]\ntext=ui\\b.bmp\ntype=1\nx=599\ny=54\n"
    "[moneyLbl]\nlines=1\nx=128\ny=52\nlineChars=10\n"
    "[levelLbl]\nlines=1\nx=78\ny=52\nlineChars=4\n"
    "[weaponButtons]\nWuX=510\nWuY=6\nJiaX=546\nJiaY=6\nShi1X=510\nShi1Y=42\nShi2X=546\nShi2Y=42\n"
    "[itemButtons]\nlines=1\nfirstBtnX=182\nfirstBtnY=24\nxDis=4\nyDis=4\n"
    "[skillImages]\nx=12\ny=-38\nwidth=32\nheight=32\n";

class PlayerPanelTest : public ItemUiTest {
 protected:
  void SetUp() override {
    ItemUiTest::SetUp();
    BmpImage bg = BmpImage::Filled(640, 80, 0x404040);
    for (int y = 0; y < 10; ++y)
      for (int x = 300; x < 340; ++x) bg.Set(x, y, 0xFF00FF);  // a transparent notch
    AddPicture("ui\\panel.bmp", bg);
    AddPicture("ui\\b.bmp", 20, 20, 0x00FF00);
    BuildPacks();
    WriteIni("playerpanel.ini", kPlayerIni);
    ASSERT_TRUE(panel.Load("playerpanel.ini", nullptr));
  }
  void At(int element) {
    const Button& b = panel.buttons[element];
    host.cursor = {b.x + 1, b.y + 1};
  }
  int Left(int element) {
    At(element);
    return Click();
  }
  // One click with the fixture's held item, its source (1: from a shop) and purse: the hand is
  // set from them, and the click's money goes to the purse as the shell applies it.
  int Click() {
    hand.Take(held, source == 1);
    PanelClick click = panel.LeftClick(money);
    held = hand.Item();
    source = hand.FromShop() ? 1 : 0;
    money += click.money;
    return click.answer;
  }
  PlayerGrowth& growth() { return player.growth; }

  FakePlayer player{items, skills};
  Hand hand;
  PlayerPanel panel{items, skills, player, hand, renderer, &host};
  int source = 0, held = 0, money = 0;
};

TEST_F(PlayerPanelTest, ElementsAndTransparencyDecideWhatTheCursorIsOn) {
  ASSERT_EQ(panel.buttons.size(), 19u);
  EXPECT_EQ(panel.buttons[kElementFirstCell + 3].x, 182 + 3 * 36);
  EXPECT_EQ(panel.buttons[kElementFirstCell + 3].y, 424);
  EXPECT_EQ(panel.buttons[kElementFirstSlot + 3].x, 546);
  host.cursor = {panel.buttons[3].x + 1, panel.buttons[3].y + 1};
  panel.Hover();
  EXPECT_EQ(panel.HoveredElement(), 3);
  host.cursor = {60, 413};
  panel.Hover();
  EXPECT_EQ(panel.HoveredElement(), kElementHpBar);
  host.cursor = {60, 443};
  panel.Hover();
  EXPECT_EQ(panel.HoveredElement(), kElementExpBar);
  host.cursor = {400, 470};
  panel.Hover();
  EXPECT_EQ(panel.HoveredElement(), kElementNothing);
  EXPECT_TRUE(panel.CursorOnPanel());
  EXPECT_EQ(Click(), kElementNothing);

  host.cursor = {310, 405};  // the magenta notch belongs to the world
  EXPECT_FALSE(panel.CursorOnPanel());
  EXPECT_EQ(Click(), kElementOutside);
  EXPECT_EQ(panel.RightClick().cell, kElementOutside);
  host.cursor = {310, 300};
  EXPECT_EQ(Click(), kElementOutside);
  EXPECT_EQ(Left(4), 4);
  EXPECT_FALSE(panel.Load("missing.ini", nullptr));
}

TEST_F(PlayerPanelTest, ADamagedIniNamesTheButtonsItLeavesUnclickable) {
  EXPECT_TRUE(panel.iniProblems.empty());
  std::string damaged = kPlayerIni;
  damaged.replace(damaged.find("type=1\nx=612\ny=4"), 6, "type=x");  // noteButton
  damaged.replace(damaged.find("text=ui\\b.bmp\ntype=1\nx=599"), 13, "text=ui\\c.bmp");
  WriteIni("damaged.ini", damaged);
  ASSERT_TRUE(panel.Load("damaged.ini", nullptr));
  EXPECT_EQ(panel.iniProblems,
            (std::vector<std::string>{
                "[noteButton] type: \"x\" is not a number",
                "[menuButton] text: \"ui\\c.bmp\" gives the button no size (a picture that is "
                "not there?)"}));
  ASSERT_TRUE(panel.Load("playerpanel.ini", nullptr));
  EXPECT_TRUE(panel.iniProblems.empty());  // each load starts afresh
}

TEST_F(PlayerPanelTest, EquipmentSlotsTakeOnlyTheirTypeAndLevel) {
  held = kArmour;
  EXPECT_EQ(Left(kElementFirstSlot + kSlotWeapon), kElementNothing);
  EXPECT_EQ(held, kArmour);
  EXPECT_EQ(host.messages, std::vector<std::string>{"you put the wrong place of your equipment."});
  EXPECT_EQ(host.beeps, 1);

  held = kHighSword;  // needs level 10
  EXPECT_EQ(Left(kElementFirstSlot + kSlotWeapon), kElementNothing);
  EXPECT_EQ(host.messages.back(), "my level is too low to equip this item.");
  EXPECT_EQ(host.beeps, 1);

  held = kBaldric;  // the second baldric slot while the first is empty
  EXPECT_EQ(Left(kElementFirstSlot + kSlotBaldric2), kElementFirstSlot + kSlotBaldric2);
  EXPECT_EQ(growth().GetEquipment().Get(kSlotBaldric2), kBaldric);
  EXPECT_EQ(growth().GetEquipment().Get(kSlotBaldric1), 0);
  EXPECT_EQ(held, 0);
  EXPECT_EQ(host.sounds.back(), "sound\\baldric.wav");
  held = kSword;
  EXPECT_EQ(Left(kElementFirstSlot + kSlotBaldric2), kElementNothing);
  EXPECT_EQ(host.beeps, 2);

  // On with a bonus, off with an empty hand: the bonus goes and the slot's sound plays.
  const int attack = growth().Attrs().attack;
  held = kSword;
  Left(kElementFirstSlot + kSlotWeapon);
  EXPECT_EQ(growth().Attrs().attack, attack + 5);
  EXPECT_EQ(panel.buttons[kElementFirstSlot].name, "items\\sword.bmp");
  host.sounds.clear();
  EXPECT_EQ(Left(kElementFirstSlot + kSlotWeapon), kElementFirstSlot);
  EXPECT_EQ(held, kSword);
  EXPECT_EQ(hand.Item(), kSword);
  EXPECT_EQ(growth().Attrs().attack, attack);
  EXPECT_EQ(growth().GetEquipment().Get(kSlotWeapon), 0);
  EXPECT_EQ(host.sounds, std::vector<std::string>{"sound\\weapon.wav"});

  // A shop item cannot be worn before it is paid for.
  source = 1;
  EXPECT_EQ(Left(kElementFirstSlot + kSlotWeapon), kElementNothing);
  EXPECT_EQ(host.beeps, 3);
}

TEST_F(PlayerPanelTest, PotionsStackToFiveAndStacksGiveOneAtATime) {
  Bag& bag = growth().GetBag();
  bag.SetCell(0, kPotion, 4);
  held = kPotion;
  EXPECT_EQ(Left(kElementFirstCell), kElementFirstCell);
  EXPECT_EQ(bag.StackCount(0), 5);
  EXPECT_EQ(held, 0);
  held = kPotion;
  EXPECT_EQ(Left(kElementFirstCell), kElementNothing);
  EXPECT_EQ(bag.StackCount(0), 5);
  // Holding something else: a stack refuses it. Empty-handed: one comes off.
  held = kGem;
  EXPECT_EQ(Left(kElementFirstCell), kElementNothing);
  held = 0;
  EXPECT_EQ(Left(kElementFirstCell), kElementFirstCell);
  EXPECT_EQ(held, kPotion);
  EXPECT_EQ(bag.StackCount(0), 4);
  // Both empty: refused.
  held = 0;
  EXPECT_EQ(Left(kElementFirstCell + 1), kElementNothing);
}

TEST_F(PlayerPanelTest, BuyingIntoTheMainBag) {
  Bag& bag = growth().GetBag();
  bag.SetCell(0, kPotion, 5);
  bag.SetCell(1, kPotion, 4);
  bag.SetCell(2, kGem, 1);
  source = 1;
  held = kPotion;
  money = 100;
  EXPECT_EQ(Left(kElementFirstCell), kElementNothing);  // a full stack
  EXPECT_EQ(money, 100);
  EXPECT_EQ(Left(kElementFirstCell + 1), kElementFirstCell + 1);
  EXPECT_EQ(bag.StackCount(1), 5);
  EXPECT_EQ(money, 90);
  EXPECT_EQ(host.sounds.back(), "sound\\buy.wav");
  EXPECT_EQ(source, 0);
  // A single other item goes to the cursor in exchange.
  source = 1;
  held = kArmour;
  EXPECT_EQ(Left(kElementFirstCell + 2), kElementFirstCell + 2);
  EXPECT_EQ(held, kGem);
  EXPECT_EQ(bag.Get(2), kArmour);
  EXPECT_EQ(money, 15);
  // Not enough money.
  source = 1;
  held = kSword;
  EXPECT_EQ(Left(kElementFirstCell + 3), kElementNothing);
  EXPECT_EQ(host.messages.back(), "my money isn't enough");
  EXPECT_EQ(bag.Get(3), 0);
}

TEST_F(PlayerPanelTest, ABagItemKeepsItsContentsWhenMoved) {
  RecordingHooks hooks;
  Bag& bag = growth().GetBag();
  ASSERT_TRUE(bag.Add(kBag));
  ASSERT_EQ(bag.Get(0), kBag);
  bag.SubBagAt(0)->Exchange(kGem, 3);
  EXPECT_EQ(Left(kElementFirstCell), kElementFirstCell);
  EXPECT_EQ(held, kBag);
  ASSERT_TRUE(panel.PickedBag().has_value());
  EXPECT_EQ(bag.SubBagAt(0), nullptr);
  EXPECT_EQ(Left(kElementFirstCell + 4), kElementFirstCell + 4);
  EXPECT_EQ(held, 0);
  ASSERT_NE(bag.SubBagAt(4), nullptr);
  EXPECT_EQ(bag.SubBagAt(4)->Get(3), kGem);
  EXPECT_FALSE(panel.PickedBag().has_value());
  EXPECT_EQ(hooks.debugOutput.back(), "set picked bag");

  // Dropped elsewhere: the contents go with the item.
  Left(kElementFirstCell + 4);
  ASSERT_TRUE(panel.PickedBag().has_value());
  panel.DropPickedBag();
  EXPECT_FALSE(panel.PickedBag().has_value());
  // The shell emptying the hand (sold, dropped on the ground) drops the picked grid too, so a
  // later bag item of the same kind never inherits the old contents.
  bag.SetCell(6, kBag, 1);
  bag.SetSubBag(6, SubBag(9));
  bag.SubBagAt(6)->Exchange(kGem, 0);
  held = 0;
  Left(kElementFirstCell + 6);
  ASSERT_TRUE(panel.PickedBag().has_value());
  hand.Clear();
  panel.FollowHand();
  EXPECT_FALSE(panel.PickedBag().has_value());
  Left(kElementFirstCell + 6);
  ASSERT_NE(bag.SubBagAt(6), nullptr);
  EXPECT_EQ(bag.SubBagAt(6)->CountById(kGem), 0);
  held = 0;
  Left(kElementFirstCell + 6);
  ASSERT_TRUE(panel.PickedBag().has_value());
  held = 0;  // changed behind the panel's back
  EXPECT_EQ(Left(kElementFirstCell + 7), kElementNothing);
  EXPECT_FALSE(panel.PickedBag().has_value());
  held = kBag;
  // A bag item arriving without a picked bag (bought) gets an empty grid.
  source = 1;
  money = 100;
  EXPECT_EQ(Left(kElementFirstCell + 5), kElementFirstCell + 5);
  ASSERT_NE(bag.SubBagAt(5), nullptr);
  EXPECT_EQ(bag.SubBagAt(5)->CellCount(), 9);
  EXPECT_EQ(bag.SubBagAt(5)->CountById(kGem), 0);
}

TEST_F(PlayerPanelTest, BarsFollowTheAttributes) {
  Attributes& a = growth().MutableAttrs();
  a.exp = 0;
  a.hp = 50;
  a.maxHp = 100;
  a.mp = 0;
  a.maxMp = 0;
  EXPECT_EQ(panel.BarRect(kElementExpBar).Width(), 0);
  EXPECT_EQ(panel.BarRect(kElementHpBar), (Rect{58, 412, 58 + 56, 421}));
  EXPECT_EQ(panel.BarRect(kElementMpBar).Width(), 0);
  host.cursor = {630, 300};
  panel.Draw();
  EXPECT_EQ(Back().At(80, 416), Px(0xFF0000));  // HP is red
  EXPECT_EQ(Back().At(80, 445), Px(0x404040));  // no experience: nothing drawn
  EXPECT_EQ(Back().At(140, 416), Px(0x404040));
}

TEST_F(PlayerPanelTest, HoveringABarShowsItsValuesInADarkenedBox) {
  host.cursor = {60, 413};
  panel.Draw();
  EXPECT_EQ(panel.HoveredElement(), kElementHpBar);
  EXPECT_EQ(Back().At(61, 414), static_cast<uint16_t>(15 << 11));  // the red bar at half
  host.cursor = {400, 470};
  panel.Draw();
  EXPECT_EQ(Back().At(61, 414), Px(0xFF0000));
}

TEST_F(PlayerPanelTest, SkillRowOpensWrapsAndSelects) {
  auto& learned = growth().MutableLearnedSkills();
  learned = {{1, 1}, {2, 3}, {3, 1}};
  EXPECT_EQ(Left(kElementSkillButton), kElementSkillButton);
  ASSERT_TRUE(panel.SkillIconsShown());
  ASSERT_EQ(panel.buttons.size(), 22u);
  EXPECT_EQ(panel.buttons[19].x, 12);
  EXPECT_EQ(panel.buttons[19].y, 362);
  EXPECT_EQ(panel.buttons[20].x, 47);
  host.cursor = {300, 300};
  EXPECT_FALSE(panel.CursorOnPanel());
  At(20);
  EXPECT_TRUE(panel.CursorOnPanel());

  player.fighting = true;
  EXPECT_EQ(Click(), kElementNothing);
  player.fighting = false;
  EXPECT_EQ(Click(), 20);
  EXPECT_EQ(player.current.id, 2);
  EXPECT_EQ(player.current.level, 3);
  EXPECT_FALSE(panel.SkillIconsShown());
  EXPECT_EQ(panel.buttons.size(), 19u);
  EXPECT_EQ(panel.buttons[0].name, "skill\\Fire.bmp");

  Left(kElementSkillButton);
  player.refuse = true;
  EXPECT_EQ(Left(21), kElementNothing);
  EXPECT_TRUE(panel.CloseSkillIcons());
  EXPECT_FALSE(panel.CloseSkillIcons());

  // Wrapping: an icon that would pass x 639 restarts at the row's own x, one row up.
  WriteIni("wide.ini", std::string(kPlayerIni) + "[skillImages]\n");
  std::string ini = kPlayerIni;
  ini.replace(ini.find("[skillImages]\nx=12"), 18, "[skillImages]\nx=570");
  WriteIni("wide.ini", ini);
  ASSERT_TRUE(panel.Load("wide.ini", nullptr));
  EXPECT_EQ(panel.IconPosition(0), (Point{570, 362}));
  EXPECT_EQ(panel.IconPosition(1), (Point{605, 362}));
  EXPECT_EQ(panel.IconPosition(2), (Point{570, 333}));
}

TEST_F(PlayerPanelTest, RightClickUsesTheItemAndAddsLearnedSkillIcons) {
  Bag& bag = growth().GetBag();
  bag.SetCell(2, kBook, 1);  // teaches "Fire"
  Left(kElementSkillButton);
  ASSERT_EQ(panel.buttons.size(), 20u);
  At(kElementFirstCell + 2);
  RightClickResult r = panel.RightClick();
  EXPECT_EQ(r.cell, 2);
  EXPECT_EQ(r.itemType, kItemBook);
  ASSERT_EQ(panel.buttons.size(), 21u);
  EXPECT_EQ(panel.buttons[20].name, "skill\\Fire.bmp");
  EXPECT_EQ(panel.buttons[20].x, 47);
  At(kElementFirstSlot);
  EXPECT_EQ(panel.RightClick().cell, kElementNothing);
}

TEST(PlayerPanelText, ItemTooltipMarksTooHighALevel) {
  ItemRecord r = MakeItem("sword", 1, 120, 5, 3);
  r.description = std::string(45, 'd');
  EXPECT_EQ(PlayerPanel::ItemTip(r, 5), "<5sword/>\nprice:120\nneed level:3\n\n" + r.description);
  r.note = "rare";
  EXPECT_EQ(PlayerPanel::ItemTip(r, 2),
            "<5sword/>\nprice:120\n<2need level:3/>\n\n" + r.description + "\n\n<3rare/>");
  EXPECT_EQ(PlayerPanel::ItemTipLines(r), 2 + 0 + 0 + 7);
  r.note.clear();
  EXPECT_EQ(PlayerPanel::ItemTipLines(r), 2 + 5);
}

}  // namespace
}  // namespace isora
