#include <gtest/gtest.h>

#include "support/recording_hooks.h"
#include "ui/button.h"
#include "ui/dialog_panel.h"
#include "ui/menu_panel.h"
#include "ui/picture_path.h"
#include "ui_fixture.h"

namespace isora {
namespace {

using test::UiTest;

TEST(PicturePath, SplitsAtTheFirstSlashElseTheFirstBackslash) {
  auto p = SplitPicturePath("ui\\back.bmp");
  ASSERT_TRUE(p);
  EXPECT_EQ(p->pack, 1);
  EXPECT_EQ(p->name, "back.bmp");
  // '/' wins even after a '\': the folder "items\sub" is none of the six.
  EXPECT_FALSE(SplitPicturePath("items\\sub/a.bmp"));
  p = SplitPicturePath("tiles/1\\a.bmp");
  ASSERT_TRUE(p);
  EXPECT_EQ(p->pack, 5);
  EXPECT_EQ(p->name, "1\\a.bmp");
  EXPECT_FALSE(SplitPicturePath("back.bmp"));
  EXPECT_FALSE(SplitPicturePath("UI\\back.bmp"));
  EXPECT_FALSE(SplitPicturePath("NULL"));
}

class ButtonTest : public UiTest {};

TEST_F(ButtonTest, HitRectanglesFollowTypeAndPicture) {
  AddPicture("ui\\b.bmp", 40, 20, 0x00FF00);
  BuildPacks();
  Button pic(renderer, "ui\\b.bmp", 10, 30, kButtonPicture, true);
  EXPECT_EQ(pic.hitRect, (Rect{10, 30, 50, 50}));
  EXPECT_TRUE(pic.HitTest(10, 30));
  EXPECT_FALSE(pic.HitTest(50, 30));
  EXPECT_FALSE(pic.HitTest(10, 50));
  Button nul(renderer, "NULL", 10, 30, kButtonPicture, true);
  EXPECT_TRUE(nul.IsNull());
  EXPECT_TRUE(nul.hitRect.Empty());
  EXPECT_FALSE(nul.HitTest(10, 30));
  Button pairWithout(renderer, "ui\\b.bmp", 0, 0, kButtonPicturePair, true);
  EXPECT_EQ(pairWithout.hoverName, "NULL");
  EXPECT_FALSE(pairWithout.HitTest(1, 1));
  Button text(renderer, "Yes", 5, 6, kButtonText, true);
  Size s = renderer.TextExtent("Yes");
  EXPECT_EQ(text.hitRect, (Rect{5, 6, 5 + s.cx, 6 + s.cy}));
  text.SetCaption("A much longer caption");
  EXPECT_EQ(text.hitRect, (Rect{5, 6, 5 + s.cx, 6 + s.cy}));
  text.Move(-1, 100, 3, 4);
  EXPECT_EQ(text.hitRect, (Rect{5, 100, 8, 104}));
}

TEST_F(ButtonTest, HoverSoundPlaysOncePerEntry) {
  test::RecordingHooks hooks;
  AddPicture("ui\\b.bmp", 40, 20, 0x00FF00);
  BuildPacks();
  Button b(renderer, "ui\\b.bmp", 0, 0, kButtonPicture, true);
  auto frame = [&](int x, int y) {
    b.UpdateHover(x, y);
    b.Draw(renderer, &host);
  };
  frame(5, 5);
  frame(6, 6);
  EXPECT_EQ(host.hoverPlays, 1);
  EXPECT_EQ(hooks.debugOutput, std::vector<std::string>{"[button]playsound\n"});
  frame(100, 100);
  frame(5, 5);
  EXPECT_EQ(host.hoverPlays, 2);
  Button quiet(renderer, "ui\\b.bmp", 0, 0, kButtonPicture, false);
  quiet.UpdateHover(1, 1);
  quiet.Draw(renderer, &host);
  EXPECT_EQ(host.hoverPlays, 2);
}

TEST_F(ButtonTest, PictureButtonBrightensUnderTheMouseAndKeepsTransparency) {
  BmpImage img = BmpImage::Filled(8, 8, 0x404040);
  img.Set(0, 0, 0xFF00FF);
  AddPicture("ui\\b.bmp", img);
  BuildPacks();
  Back().Fill(Px(0x0000FF));
  Button b(renderer, "ui\\b.bmp", 100, 100, kButtonPicture, false);
  b.Draw(renderer, &host);
  EXPECT_EQ(Back().At(101, 101), Px(0x404040));
  EXPECT_EQ(Back().At(100, 100), Px(0x0000FF));
  b.UpdateHover(101, 101);
  b.Draw(renderer, &host);
  uint16_t plain = Px(0x404040);
  uint16_t lit = static_cast<uint16_t>(plain + (7 << 11) + (14 << 5) + 7);
  EXPECT_EQ(Back().At(101, 101), lit);
  EXPECT_EQ(Back().At(100, 100), Px(0x0000FF));
}

class MenuTest : public UiTest {};

TEST_F(MenuTest, MainMenuPairButtonsShowTheirSecondPictureUnderTheMouse) {
  AddPicture("ui\\bg.bmp", 640, 480, 0x000080);
  AddPicture("ui\\start.bmp", 60, 20, 0x00FF00);
  AddPicture("ui\\start_on.bmp", 80, 30, 0xFF0000);
  BuildPacks();
  WriteIni("mainmenu.ini",
           "[panel]\nbgpic=ui\\bg.bmp\nx=50\ny=50\n"
           "[startButton]\ntype=2\ntext=ui\\start.bmp\ntext1=ui\\start_on.bmp\nx=100\ny=200\n"
           "[loadButton]\ntype=2\ntext=ui\\start.bmp\nx=100\ny=300\n"
           "[aboutButton]\ntype=0\ntext=About\nx=100\ny=400\n"
           "[exitButton]\ntype=1\ntext=ui\\start.bmp\nx=130\ny=205\n");
  MenuPanel menu(renderer, &host);
  ASSERT_TRUE(menu.LoadMainMenu("mainmenu.ini", nullptr));
  ASSERT_EQ(menu.buttons.size(), 4u);
  EXPECT_TRUE(menu.iniProblems.empty());
  EXPECT_EQ(menu.x, 0);  // the main menu reads no position
  EXPECT_EQ(menu.buttons[0].hitRect, (Rect{100, 200, 160, 220}));
  // No "text1": still sized from its picture, so it reacts; hovered it shows no picture, as it
  // has no second one.
  EXPECT_EQ(menu.buttons[1].hoverName, "NULL");
  EXPECT_EQ(menu.buttons[1].hitRect, (Rect{100, 300, 160, 320}));
  host.cursor = {110, 305};
  EXPECT_EQ(menu.OnClick(), kMainLoad);
  menu.UpdateHover();
  menu.Draw();
  EXPECT_EQ(Back().At(110, 305), Px(0x000080));

  host.cursor = {105, 205};
  menu.UpdateHover();
  menu.Draw();
  EXPECT_EQ(Back().At(170, 225), Px(0xFF0000));  // the larger hover picture
  EXPECT_EQ(Back().At(0, 0), Px(0x000080));
  host.cursor = {300, 10};
  menu.UpdateHover();
  menu.Draw();
  EXPECT_EQ(Back().At(105, 205), Px(0x00FF00));
  EXPECT_EQ(Back().At(170, 225), Px(0x000080));

  // Overlapping buttons: the later one wins; outside every button: -1.
  host.cursor = {140, 210};
  EXPECT_EQ(menu.OnClick(), kMainExit);
  host.cursor = {105, 205};
  EXPECT_EQ(menu.OnClick(), kMainStart);
  host.cursor = {105, 395};
  EXPECT_EQ(menu.OnClick(), -1);
  host.cursor = {600, 5};
  EXPECT_EQ(menu.OnClick(), -1);
}

TEST_F(MenuTest, GameMenuOffsetsButtonsAndFailsWithoutItsIni) {
  WriteIni("menu.ini",
           "[panel]\nbgpic=NULL\nx=200\ny=100\n[backButton]\ntext=Back\ntype=0\nx=10\ny=10\n"
           "[saveButton]\ntext=Save\ntype=0\nx=10\ny=40\n[loadButton]\ntext=Load\ntype=0\nx=10\n"
           "y=70\n[helpButton]\ntext=Help\ntype=0\nx=10\ny=100\n[exitButton]\ntext=Exit\ntype=0\n"
           "x=10\ny=130\n");
  MenuPanel menu(renderer, &host);
  EXPECT_FALSE(menu.LoadGameMenu("missing.ini", nullptr));
  EXPECT_TRUE(menu.buttons.empty());
  ASSERT_TRUE(menu.LoadGameMenu("menu.ini", nullptr));
  ASSERT_EQ(menu.buttons.size(), 5u);
  EXPECT_EQ(menu.buttons[kMenuHelp].x, 210);
  EXPECT_EQ(menu.buttons[kMenuHelp].y, 200);
  host.cursor = {212, 202};
  EXPECT_EQ(menu.OnClick(), kMenuHelp);
  // A text caption is drawn blue, then red under the mouse.
  Back().Fill(Px(0xFFFFFF));
  menu.UpdateHover();
  menu.Draw();
  auto countColor = [&](const Rect& r, uint16_t px) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += Back().At(x, y) == px;
    return n;
  };
  EXPECT_GT(countColor(menu.buttons[kMenuHelp].hitRect, Px(0xFF0000)), 0);
  EXPECT_GT(countColor(menu.buttons[kMenuExit].hitRect, Px(0x0000FF)), 0);
  EXPECT_EQ(countColor(menu.buttons[kMenuExit].hitRect, Px(0xFF0000)), 0);
}

TEST_F(MenuTest, ADamagedPanelIniNamesEveryButtonItLeavesUnclickable) {
  // Buttons that a damaged INI left without a size did nothing, and nothing said why.
  AddPicture("ui\\start.bmp", 60, 20, 0x00FF00);
  BuildPacks();
  WriteIni("mainmenu.ini",
           "[panel]\nbgpic=NULL\n"
           "[startButton]\ntype=2\ntext=ui\\start.bmp\nx=100\ny=200\n"
           "[loadButton]\ntype=2\ntext=ui\\gone.bmp\nx=100\ny=300\n"
           "[aboutButton]\ntype=7\ntext=About\nx=100\ny=400\n"
           "[exitButton]\ntext=ui\\start.bmp\nx=12\ny=\n");
  MenuPanel menu(renderer, &host);
  ASSERT_TRUE(menu.LoadMainMenu("mainmenu.ini", nullptr));
  EXPECT_EQ(menu.iniProblems,
            (std::vector<std::string>{
                "[loadButton] text: \"ui\\gone.bmp\" gives the button no size (a picture that is "
                "not there?)",
                "[aboutButton] type: 7 is not a button type",
                "[exitButton] y: \"\" is not a number", "[exitButton] type: missing"}));
  // A load of a sound file starts afresh.
  WriteIni("menu.ini", "[panel]\nx=0\ny=0\n[backButton]\ntext=Back\ntype=0\nx=1\ny=1\n");
  ASSERT_TRUE(menu.LoadGameMenu("menu.ini", nullptr));
  ASSERT_EQ(menu.iniProblems.size(), 16u);  // four buttons with no keys at all
  EXPECT_EQ(menu.iniProblems[0], "[saveButton] x: missing");
}

// Found by fuzzing panel INIs: a button offset past the int range overflowed when the panel
// position was added, and so did a hit rectangle measured from a position at the limit. A
// panel INI's numbers are now held within kPanelNumberLimit, far off the screen, as they are
// read.
TEST_F(MenuTest, PanelIniNumbersAreHeldFarOffTheScreenWithoutOverflow) {
  WriteIni("menu.ini",
           "[panel]\nbgpic=NULL\nx=220\ny=110\n[backButton]\ntext=Back\ntype=0\nx=56\n"
           "y=333333333333333333333333333333333333338\n[saveButton]\ntext=Save\ntype=0\n"
           "x=-99999999999\ny=-2147483600\n[loadButton]\ntext=Load\ntype=0\nx=10\ny=70\n");
  MenuPanel menu(renderer, &host);
  ASSERT_TRUE(menu.LoadGameMenu("menu.ini", nullptr));
  ASSERT_GE(menu.buttons.size(), 3u);
  EXPECT_EQ(menu.buttons[kMenuBack].x, 276);
  EXPECT_EQ(menu.buttons[kMenuBack].y, kPanelNumberLimit + 110);
  EXPECT_GT(menu.buttons[kMenuBack].hitRect.bottom, kPanelNumberLimit + 110);
  EXPECT_EQ(menu.buttons[kMenuSave].x, -kPanelNumberLimit + 220);
  EXPECT_EQ(menu.buttons[kMenuSave].y, -kPanelNumberLimit + 110);
  // The sane button beside them still works.
  EXPECT_EQ(menu.buttons[kMenuLoad].y, 180);
  host.cursor = {232, 182};
  EXPECT_EQ(menu.OnClick(), kMenuLoad);

  WriteIni("mainmenu.ini",
           "[panel]\nbgpic=NULL\n[startButton]\ntext=Go\ntype=0\nx=2147483647\n"
           "y=2147483640\n");
  ASSERT_TRUE(menu.LoadMainMenu("mainmenu.ini", nullptr));
  EXPECT_EQ(menu.buttons[kMainStart].x, kPanelNumberLimit);
  EXPECT_GT(menu.buttons[kMainStart].hitRect.right, kPanelNumberLimit);
  EXPECT_FALSE(menu.buttons[kMainStart].HitTest(100, 100));
}

class DialogTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    AddPicture("ui\\btn.bmp", 20, 20, 0x00FF00);
    BuildPacks();
    WriteIni("dlg.ini",
             "[panel]\nbgpic=NULL\nx=100\ny=50\n"
             "[exitButton]\ntext=ui\\btn.bmp\ntype=1\nx=300\ny=0\n"
             "[upButton]\ntext=ui\\btn.bmp\ntype=1\nx=300\ny=100\n"
             "[downButton]\ntext=ui\\btn.bmp\ntype=1\nx=300\ny=200\n"
             "[titleLabel]\nlines=1\nx=150\ny=10\nlineChars=30\n"
             "[textLabel]\nlines=2\nx=10\ny=40\nlineChars=20\n");
  }
};

TEST_F(DialogTest, UpAndDownScrollWithinTheText) {
  DialogPanel dlg(renderer, &host);
  ASSERT_TRUE(dlg.Load("dlg.ini", nullptr));
  ASSERT_EQ(dlg.buttons.size(), 3u);
  ASSERT_EQ(dlg.textBoxes.size(), 2u);
  EXPECT_TRUE(dlg.TitleLabel()->centred);
  EXPECT_FALSE(dlg.TextLabel()->centred);
  EXPECT_EQ(dlg.TextLabel()->x, 110);
  dlg.SetTexts({"Title"}, {"one", "two", "three"});
  TextBox& text = *dlg.TextLabel();

  host.cursor = {405, 155};  // up at the top: nothing
  EXPECT_EQ(dlg.OnClick(), kDialogUp);
  EXPECT_EQ(text.firstLine, 0);

  dlg.Draw();
  EXPECT_FALSE(text.complete);
  host.cursor = {405, 255};
  EXPECT_EQ(dlg.OnClick(), kDialogDown);
  EXPECT_EQ(text.firstLine, 1);
  dlg.Draw();
  EXPECT_TRUE(text.complete);
  EXPECT_EQ(dlg.OnClick(), kDialogDown);  // already at the last line
  EXPECT_EQ(text.firstLine, 1);

  host.cursor = {405, 155};
  dlg.OnClick();
  EXPECT_EQ(text.firstLine, 0);
  EXPECT_FALSE(text.complete);

  host.cursor = {405, 55};
  EXPECT_EQ(dlg.OnClick(), kDialogExit);
  host.cursor = {0, 0};
  EXPECT_EQ(dlg.OnClick(), -1);

  dlg.SetTexts({"T"}, {"x"});
  EXPECT_EQ(text.firstLine, 0);
  EXPECT_FALSE(text.complete);
}

TEST_F(DialogTest, MissingKeysGiveEmptyButtonsAtThePanelOrigin) {
  WriteIni("bare.ini", "[panel]\nx=7\ny=9\n");
  DialogPanel dlg(renderer, &host);
  ASSERT_TRUE(dlg.Load("bare.ini", nullptr));
  ASSERT_EQ(dlg.buttons.size(), 3u);
  EXPECT_EQ(dlg.buttons[0].x, 7);
  EXPECT_EQ(dlg.buttons[0].y, 9);
  EXPECT_EQ(dlg.buttons[0].name, "");
  dlg.SetTexts({"t"}, {"text"});
  dlg.Draw();  // draws nothing visible, must not fail
  EXPECT_FALSE(dlg.Load("nothing.ini", nullptr));
}

}  // namespace
}  // namespace isora
