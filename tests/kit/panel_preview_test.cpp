#include "lib/panel_preview.h"

#include <gtest/gtest.h>

#include "panels/item_fixture.h"

namespace isora {
namespace {

using namespace test;

class PreviewTest : public ItemUiTest {};

TEST_F(PreviewTest, EveryPanelKindRendersFromItsIni) {
  AddPicture("ui\\bg.bmp", 100, 60, 0x00FF00);
  BuildPacks();
  struct Case {
    const char* text;
    PanelKind kind;
  };
  const Case cases[] = {
      {"[panel]\nbgpic=ui\\bg.bmp\n[startButton]\ntype=0\ntext=Go\n", PanelKind::MainMenu},
      {"[panel]\nbgpic=ui\\bg.bmp\n[backButton]\ntype=0\ntext=Back\n", PanelKind::GameMenu},
      {"[panel]\nbgpic=ui\\bg.bmp\n[textLabel]\nlines=3\nlineChars=20\n", PanelKind::Dialog},
      {"[panel]\nbgpic=ui\\bg.bmp\nw=100\n[Button0]\ny=10\n[titleLabel]\nlines=1\n",
       PanelKind::SavePanel},
      {"[panel]\nbgpic=ui\\bg.bmp\nw=100\nh=60\n[HPrect]\nw=50\nh=5\n[itemButtons]\nlines=1\n",
       PanelKind::PlayerPanel},
      {"[panel]\nx1=0\ny1=0\nx2=300\n[3x3itemButton]\nbgpic=ui\\bg.bmp\npicWidth=100\n",
       PanelKind::PackPanel},
      {"[panel]\ncount=1\nbgpic1=ui\\bg.bmp\nwidth=100\nheight=60\n[PreButton]\ntype=0\n",
       PanelKind::Tutorial},
  };
  for (const Case& c : cases) {
    WriteIni("panel.ini", c.text);
    PanelKind kind = PanelKind::Unknown;
    std::string error;
    Back().Fill(Px(0xFFFFFF));
    ASSERT_TRUE(RenderPanelPreview(renderer, "panel.ini", "", &items, &skills, &kind, &error))
        << c.text << error;
    EXPECT_EQ(kind, c.kind) << c.text;
    EXPECT_EQ(Back().At(60, 40), Px(0x00FF00)) << PanelKindName(kind);
    EXPECT_EQ(Back().At(639, 479), 0) << PanelKindName(kind);  // cleared first
  }
}

TEST_F(PreviewTest, UnknownOrMissingInisAreReported) {
  WriteIni("credit.ini", "[credit]\nline1=thanks\n");
  std::string error;
  EXPECT_FALSE(RenderPanelPreview(renderer, "credit.ini", "", nullptr, nullptr, nullptr, &error));
  EXPECT_NE(error.find("not a panel"), std::string::npos);
  EXPECT_FALSE(RenderPanelPreview(renderer, "none.ini", "", nullptr, nullptr, nullptr, &error));
  EXPECT_NE(error.find("cannot load"), std::string::npos);
}

}  // namespace
}  // namespace isora
