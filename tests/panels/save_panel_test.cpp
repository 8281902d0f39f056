#include "panels/save_panel.h"

#include <gtest/gtest.h>

#include "foundation/gbk.h"
#include "media/device_context.h"
#include "ui/ui_fixture.h"

namespace isora {
namespace {

using test::UiTest;

class SavePanelTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    AddPicture("ui\\x.bmp", 16, 16, 0xFF0000);
    BuildPacks();
    WriteIni("savepanel.ini",
             "[panel]\nbgpic=NULL\nx=100\ny=50\nw=300\nh=300\n"
             "[exitButton]\ntext=ui\\x.bmp\ntype=1\nx=280\ny=4\n"
             "[Button0]\ny=40\n[Button1]\ny=80\n[Button2]\ny=120\n[Button3]\ny=160\n"
             "[Button5]\ny=240\n"
             "[titleLabel]\nlines=1\nx=150\ny=10\nlineChars=30\n");
  }
};

TEST_F(SavePanelTest, SlotsStartWithNoProgressAndAreCentredByWidth) {
  SavePanel panel(renderer, &host);
  ASSERT_TRUE(panel.Load("savepanel.ini", nullptr));
  ASSERT_EQ(panel.buttons.size(), 7u);
  EXPECT_EQ(panel.buttons[1].name, Gbk(u8"无进度") + Gbk(u8"(快捷)"));
  EXPECT_EQ(panel.buttons[2].name, Gbk(u8"无进度"));
  EXPECT_EQ(panel.buttons[1].y, 90);
  EXPECT_EQ(panel.buttons[5].y, 50);  // "Button4" missing: the panel's top edge
  ASSERT_EQ(panel.textBoxes.size(), 1u);
  EXPECT_TRUE(panel.textBoxes[0].centred);

  std::array<std::string, kSaveSlots> labels = {"Slot one", "No Saved Data",     "c", "d",
                                                "e",        std::string(60, 'W')};
  panel.SetSlotTexts("<3Save Game/>", labels);
  DeviceContext dc(Back());
  for (int i = 1; i <= 5; ++i) {
    Size s = dc.GetTextExtent(labels[i - 1]);
    EXPECT_EQ(panel.buttons[i].x, 100 + (300 - s.cx) / 2) << i;
    EXPECT_EQ(panel.buttons[i].hitRect.Width(), s.cx);
    EXPECT_EQ(panel.buttons[i].hitRect.Height(), s.cy);
  }
  // A label wider than the panel starts left of it; labels keep at most 49 bytes.
  EXPECT_EQ(panel.buttons[6].name.size(), kSlotLabelMax);
  EXPECT_LT(panel.buttons[6].x, 100);
  EXPECT_EQ(panel.textBoxes[0].paragraphs, std::vector<std::string>{"<3Save Game/>"});

  host.cursor = {382, 56};
  EXPECT_EQ(panel.OnClick(), 0);
  host.cursor = {panel.buttons[2].x + 1, panel.buttons[2].y + 1};
  EXPECT_EQ(panel.OnClick(), 2);
  host.cursor = {250, 50 + 75};  // between the captions of slots 1 and 2
  EXPECT_EQ(panel.OnClick(), -1);
  EXPECT_FALSE(panel.Load("missing.ini", nullptr));
}

}  // namespace
}  // namespace isora
