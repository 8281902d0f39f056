// The engine's own texts in the game's language: the demo replaces them from its strings.ini;
// the same game without that file shows the built-in texts, byte for byte. And the message line
// belongs to play: it goes under the panels and is gone once play is left.
#include <filesystem>

#include "e2e/demo_session.h"
#include "foundation/gbk.h"
#include "lib/demo_builder.h"

namespace isora::e2e {
namespace {

namespace fs = std::filesystem;

// The demo built from a copy of its sources without ini/strings.ini (built once).
const std::string& DemoWithoutStrings() {
  static std::string folder = [] {
    const fs::path root =
        fs::temp_directory_path() / ("isora-e2e-nostrings-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
    fs::copy(DemoSourceDir(), root / "src", fs::copy_options::recursive);
    fs::remove(root / "src" / "ini" / "strings.ini");
    return BuildDemoInto((root / "src").string(), root / "game", root);
  }();
  return folder;
}

std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// A feud reached by a script: its message on the line and its note, as the game words them.
void MakeFeud(DemoSession& s) {
  s.game->Progress().ChangeEnmity("Red Fang", 60, true);
  s.Step();
}

TEST(GameTexts, TheDemoSpeaksEnglishFromItsStringsFile) {
  DemoSession s;
  ASSERT_TRUE(s.ok);
  ASSERT_TRUE(s.NewGame());
  MakeFeud(s);
  nlohmann::json state = s.State();
  EXPECT_EQ(state["message"]["text"], "The Red Fang are my enemies now. I must be on my guard.");
  EXPECT_EQ(state["relations"]["notes"][0],
            "* I made enemies of the <2Red Fang/>. The Red Fang will come after me on sight - I "
            "must be on my guard.");
  // The honour panel says what fills it while it is empty; the shop has the merchant's title.
  s.Key(kVkF1 + 2);
  state = s.State();
  ASSERT_EQ(state["mode"], "ModeStatusPanel");
  EXPECT_EQ(state["panelTitle"], "<5Honour/>");
  EXPECT_EQ(s.game->Texts().Get(TextId::kShopTitle), "For Sale");
  EXPECT_EQ(s.game->Texts().Get(TextId::kLevelTooLow), "My level is too low to use this item.");
  // Every text the engine has is given in English: none keeps a Chinese built-in text.
  for (const TextEntry& e : GameTexts::Entries()) {
    for (unsigned char c : s.game->Texts().Get(e.id)) EXPECT_LT(c, 0x80) << e.name;
  }
}

TEST(GameTexts, WithoutTheFileTheBuiltInTextsStandByteForByte) {
  const std::string& folder = DemoWithoutStrings();
  ASSERT_FALSE(folder.empty());
  DemoSession s(PixelFormat::Rgb565, folder);
  ASSERT_TRUE(s.ok);
  ASSERT_TRUE(s.NewGame());
  MakeFeud(s);
  nlohmann::json state = s.State();
  EXPECT_EQ(state["message"]["text"], Utf8(u8"我与Red Fang结怨，以后可要多多提防"));
  EXPECT_EQ(
      state["relations"]["notes"][0],
      Utf8(u8"* 我与<2Red Fang/>结怨，现在Red Fang的人见到我就会来找我的麻烦，以后可要多多提防了"));
  for (const TextEntry& e : GameTexts::Entries())
    EXPECT_EQ(s.game->Texts().Get(e.id), GameTexts::BuiltIn(e.id)) << e.name;
  EXPECT_EQ(GameTexts::BuiltIn(TextId::kLevelTooLow), Gbk(u8"我的等级不够，不能用此物品"));
}

// "Game Data Saved." waited on the main menu, "Level Up!" covered the attribute panel.
TEST(MessageLine, GoesUnderPanelsAndIsGoneWhenPlayIsLeft) {
  DemoSession s;
  ASSERT_TRUE(s.ok);
  ASSERT_TRUE(s.NewGame());
  s.Key(kVkF1);
  ASSERT_EQ(s.State()["mode"], "ModeStatusPanel");
  Surface& back = *s.game->GetRenderer().GetSurface(kSurfaceBackBuffer);
  Surface panelOnly(back.Width(), back.Height(), back.Format());
  panelOnly.BltFast(0, 0, back, kScreenRect, kBltNoColorKey);
  s.game->ShowMessage("Level Up!");
  s.Step();
  // The line is drawn on the saved screen: it shows around the panel, and every pixel the
  // panel itself drew (where the frame differs from the saved screen) stays as it was.
  const Surface& saved = *s.game->GetRenderer().GetSurface(kSurfaceTemp);
  int panelPixels = 0, panelPixelsCovered = 0, lineOutsidePanel = 0;
  for (int y = 0; y < kScreenHeight; ++y)
    for (int x = 0; x < kScreenWidth; ++x) {
      const bool panelPixel = panelOnly.At(x, y) != saved.At(x, y);
      panelPixels += panelPixel;
      if (back.At(x, y) == panelOnly.At(x, y)) continue;
      (panelPixel ? panelPixelsCovered : lineOutsidePanel) += 1;
    }
  EXPECT_GT(panelPixels, 10000);
  EXPECT_EQ(panelPixelsCovered, 0);
  EXPECT_GT(lineOutsidePanel, 0);
  EXPECT_EQ(s.State()["message"]["countdown"], 69);  // drawn (under the panel) and counted
  s.Key(kVkEscape);
  ASSERT_EQ(s.State()["mode"], "ModePlay");
  // Leaving play through the in-game menu: the line is emptied on the way to the main menu.
  s.game->ShowMessage("Game Data Saved.");
  s.Key(kVkEscape);
  ASSERT_EQ(s.State()["mode"], "ModeGameMenu");
  EXPECT_EQ(s.State()["message"]["text"], "Game Data Saved.");  // the menu is still play
  s.game->SetMode(ModeMainMenu);
  s.Step();
  EXPECT_EQ(s.State()["message"]["text"], "");
  EXPECT_EQ(s.State()["message"]["countdown"], 0);
}

}  // namespace
}  // namespace isora::e2e
