#include <gtest/gtest.h>

#include "foundation/gbk.h"
#include "media/device_context.h"
#include "ui/picture_pager.h"
#include "ui/talk_dialog.h"
#include "ui/talk_page.h"
#include "ui_fixture.h"

namespace isora {
namespace {

using test::UiTest;

class PagerTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    AddPicture("ui\\p1.bmp", 200, 150, 0x110000);
    AddPicture("ui\\p2.bmp", 200, 150, 0x002200);
    AddPicture("ui\\p3.bmp", 200, 150, 0x000033);
    AddPicture("ui\\btn.bmp", 20, 20, 0xFFFFFF);
    BuildPacks();
    WriteIni("tutorialpanel.ini",
             "[panel]\ncount=3\nbgpic1=ui\\p1.bmp\nbgpic2=ui\\p2.bmp\nbgpic3=ui\\p3.bmp\n"
             "x=100\ny=100\nwidth=200\nheight=150\n"
             "[PreButton]\ntext=ui\\btn.bmp\ntype=1\nx=10\ny=120\n"
             "[NextButton]\ntext=ui\\btn.bmp\ntype=1\nx=50\ny=120\n"
             "[ExitButton]\ntext=ui\\btn.bmp\ntype=1\nx=170\ny=0\n");
  }
};

TEST_F(PagerTest, PagesStopAtBothEndsAndEveryButtonClicks) {
  PicturePager pager(renderer, &host);
  ASSERT_TRUE(pager.Load("tutorialpanel.ini", nullptr));
  EXPECT_EQ(pager.page, 0);
  EXPECT_EQ(pager.background, "ui\\p1.bmp");

  host.cursor = {115, 225};  // Pre at page 0
  EXPECT_EQ(pager.OnClick(), kPagerPre);
  EXPECT_EQ(pager.page, 0);
  host.cursor = {155, 225};
  std::vector<int> seen;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(pager.OnClick(), kPagerNext);
    seen.push_back(pager.page);
  }
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 2}));
  EXPECT_EQ(pager.background, "ui\\p3.bmp");
  host.cursor = {275, 105};
  EXPECT_EQ(pager.OnClick(), kPagerExit);
  EXPECT_EQ(host.sounds.size(), 5u);
  EXPECT_EQ(host.sounds.back(), "sound\\button_click.wav");

  host.cursor = {200, 180};  // inside, on no button
  EXPECT_EQ(pager.OnClick(), -1);
  host.cursor = {50, 50};
  EXPECT_EQ(pager.OnClick(), kPagerOutside);
  EXPECT_EQ(pager.page, 2);
  EXPECT_EQ(host.sounds.size(), 5u);
  EXPECT_EQ(pager.UpdateHoverInside(), 0);

  pager.Draw();
  EXPECT_EQ(Back().At(150, 150), Px(0x000033));
}

TEST_F(PagerTest, ZeroOrDamagedCountGivesAnEmptyPager) {
  WriteIni("zero.ini",
           "[panel]\ncount=0\nx=0\ny=0\nwidth=100\nheight=100\n"
           "[NextButton]\ntext=ui\\btn.bmp\ntype=1\nx=0\ny=0\n");
  PicturePager pager(renderer, &host);
  ASSERT_TRUE(pager.Load("zero.ini", nullptr));
  EXPECT_TRUE(pager.pages.empty());
  EXPECT_EQ(pager.background, "NULL");
  host.cursor = {5, 5};
  EXPECT_EQ(pager.OnClick(), kPagerNext);
  EXPECT_EQ(pager.page, 0);
  WriteIni("huge.ini", "[panel]\ncount=2000000000\n");
  ASSERT_TRUE(pager.Load("huge.ini", nullptr));
  EXPECT_EQ(pager.pages.size(), static_cast<size_t>(kPagerMaxPages));
  EXPECT_FALSE(pager.Load("none.ini", nullptr));
}

class TalkTest : public UiTest {};

TEST_F(TalkTest, QuestionAnswersByButtonAndKeepsItsAnswerOnAMiss) {
  QuestionDialog dlg(renderer, &host);
  host.cursor = {200, 280};
  EXPECT_EQ(dlg.OnClick(), kAnswerNoButtons);
  dlg.ShowQuestion(0, 0, "Bob", "Go?", "NULL");
  ASSERT_TRUE(dlg.yes && dlg.no);
  EXPECT_EQ(dlg.yes->x, 184);
  EXPECT_EQ(dlg.no->x, 391);
  EXPECT_EQ(dlg.yes->y, 274);
  host.cursor = {186, 276};
  EXPECT_EQ(dlg.OnClick(), kAnswerYes);
  EXPECT_EQ(dlg.answer, 1);
  host.cursor = {300, 276};  // between the buttons
  EXPECT_EQ(dlg.OnClick(), kAnswerMissed);
  EXPECT_EQ(dlg.answer, 1);
  host.cursor = {393, 276};
  EXPECT_EQ(dlg.OnClick(), kAnswerNo);
  EXPECT_EQ(dlg.answer, 0);
  // A plain talk afterwards has no buttons: any click closes it.
  dlg.ShowTalk(0, 0, "Bob", "Bye", "NULL");
  EXPECT_EQ(dlg.OnClick(), kAnswerNoButtons);
}

TEST_F(TalkTest, PageFreezesTheSceneLightensTheBandAndDrawsTheFace) {
  AddPicture("face\\bob.bmp", 40, 40, 0x00FF00);
  BuildPacks();
  Surface& ground = *renderer.GetSurface(kSurfaceGround);
  ground.Fill(Px(0x000000));
  ground.Fill(Rect{100, 100, 740, 580}, Px(0x808080));
  renderer.GetSurface(kSurfaceLayer3)->Fill(renderer.ColorKey());
  renderer.GetSurface(kSurfaceLayer4)->Fill(renderer.ColorKey());
  renderer.GetSurface(kSurfaceLayer4)->Fill(Rect{100, 100, 110, 110}, Px(0xFF0000));
  QuestionDialog dlg(renderer, &host);
  dlg.ShowTalk(100, 100, "Bob", "", "bob.bmp");
  Surface& page = *renderer.GetSurface(kSurfaceTemp);
  EXPECT_EQ(page.At(5, 5), Px(0xFF0000));
  EXPECT_EQ(page.At(600, 100), Px(0x808080));
  // The band goes half way to white: 0x808080 is (16, 32, 16) in 5-6-5.
  uint16_t band = static_cast<uint16_t>((23 << 11) | (47 << 5) | 23);
  EXPECT_EQ(page.At(600, 200), band);
  EXPECT_EQ(page.At(30, 190), Px(0x00FF00));  // face at (20, 175)
  EXPECT_EQ(page.At(600, 320), Px(0x808080));
  // No face: the band stays there.
  dlg.ShowTalk(100, 100, "Bob", "", "NULL");
  EXPECT_EQ(page.At(30, 190), band);
  // The speaker's name is outlined in yellow.
  dlg.ShowTalk(100, 100, "WWW", "", "NULL");
  int yellow = 0;
  for (int y = 255; y < 285; ++y)
    for (int x = 15; x < 80; ++x) {
      uint16_t p = page.At(x, y);
      yellow += (p >> 11) >= 24 && ((p >> 5) & 0x3F) >= 48 && (p & 0x1F) <= 12;
    }
  EXPECT_GT(yellow, 5);
}

}  // namespace
}  // namespace isora
