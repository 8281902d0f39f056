// From the splash pictures to the play screen, and the screens reached by keys and menus.
#include "demo_session.h"
#include "foundation/enhancements.h"

namespace isora::e2e {
namespace {

using nlohmann::json;

TEST(Start, SplashSequenceSkipsNullPicturesIntoTheMainMenu) {
  DemoSession d;
  ASSERT_TRUE(d.ok);
  json s = d.State();
  EXPECT_EQ(s["mode"], "ModeSplash");
  // The demo names three pictures and two "null" entries; every picture advances the index
  // twice (its fade ends and the sequence moves on) and each null once.
  ASSERT_TRUE(d.UntilMode("ModeMainMenu", 1000));
  s = d.State();
  EXPECT_GE(s["splashIndex"].get<int>(), 5);
  EXPECT_EQ(d.platform.GetCursorPos(), (Point{320, 195}));
  d.Step();
  EXPECT_EQ(d.State()["music"], "music\\menu.wav");
  // The menu fades in over its next frames and then holds.
  ASSERT_TRUE(d.Until(
      [](const json& st) { return st["mode"] == "ModeMainMenu" && st["fadePhase"] == 2; }, 40));
}

TEST(Start, NewGameRunsMainScriptWithSayAndAsk) {
  DemoSession d;
  ASSERT_TRUE(d.ok);
  ASSERT_TRUE(d.NewGame(true));
  json s = d.State();
  EXPECT_EQ(s["map"]["file"], "town.map");
  EXPECT_EQ(s["map"]["name"], "Willowmere");
  const json& p = s["player"];
  EXPECT_EQ(p["name"], "ziruve");
  EXPECT_EQ(p["money"], 100);
  EXPECT_EQ(p["moral"], 55);  // answered Yes: AddMoral(5)
  EXPECT_EQ(p["bag"][0]["name"], "Red Potion");
  EXPECT_EQ(p["bag"][0]["count"], 3);
  EXPECT_EQ(p["bag"][1]["name"], "Wooden Sword");
  ASSERT_EQ(s["relations"]["notes"].size(), 1u);
  EXPECT_EQ(s["relations"]["notes"][0].get<std::string>().rfind("* I woke up", 0), 0u);
  EXPECT_EQ(s["message"]["text"], "Right click people to talk. F1 to F4 open your panels.");
  EXPECT_TRUE(s["script"].is_null());
  EXPECT_GT(s["npcs"].size(), 10u);
}

TEST(Start, AnsweringNoTakesTheOtherBranch) {
  DemoSession d;
  ASSERT_TRUE(d.NewGame(false));
  EXPECT_EQ(d.State()["player"]["moral"], 50);
}

TEST(Screens, StatusPanelsOpenAndCloseWithTheirKeys) {
  DemoSession d;
  ASSERT_TRUE(d.NewGame());
  const struct {
    int key;
    const char* title;
  } panels[] = {{kVkF1, "<5Attribute/>"},
                {kVkF1 + 1, "<5Note/>"},
                {kVkF1 + 2, "<5Honour/>"},
                {kVkF1 + 3, "<5My Mission/>"}};
  for (const auto& p : panels) {
    d.Key(p.key);
    json s = d.State();
    EXPECT_EQ(s["mode"], "ModeStatusPanel") << p.title;
    EXPECT_EQ(s["panelTitle"], p.title);
    EXPECT_EQ(s["openPanel"], p.key - kVkF1 + 1);
    d.Key(p.key);  // the same key closes it
    s = d.State();
    EXPECT_EQ(s["mode"], "ModePlay") << p.title;
    EXPECT_EQ(s["openPanel"], 0);
  }
  d.Key(kVkF1);
  d.Key(kVkEscape);
  EXPECT_EQ(d.State()["mode"], "ModePlay");
}

TEST(Screens, EscOpensTheGameMenuAndEscReturns) {
  DemoSession d;
  ASSERT_TRUE(d.NewGame());
  d.Key(kVkEscape);
  EXPECT_EQ(d.State()["mode"], "ModeGameMenu");
  d.Key(kVkEscape);
  EXPECT_EQ(d.State()["mode"], "ModePlay");
}

// The message line is drawn after every screen and counts down on each; placed, it hides with
// the boss key and is cleared off the main menu.
TEST(Screens, TheMessageLineCountsDownOnEveryScreenUnlessPlaced) {
  for (bool placed : {false, true}) {
    DemoSession d;
    ASSERT_TRUE(d.NewGame());
    Enhancements on = Enhanced();
    on.Set(Enhancement::kMessageLinePlaced, placed);
    SetEnhanced(on);
    d.game->ShowMessage("Hello there");
    d.Key(kVkF1 + 8);
    ASSERT_EQ(d.State()["mode"], "ModeBossKey");
    const int before = d.State()["message"]["countdown"];
    d.Step(5);
    EXPECT_EQ(d.State()["message"]["countdown"], placed ? before : before - 5) << placed;
  }
}

TEST(Screens, BossKeyTwiceReturnsToTheScreenBefore) {
  DemoSession d;
  ASSERT_TRUE(d.NewGame());
  d.Key(kVkF1 + 8);
  EXPECT_EQ(d.State()["mode"], "ModeBossKey");
  d.Key(kVkF1 + 8);
  EXPECT_EQ(d.State()["mode"], "ModePlay");
  d.Key(kVkF1);
  d.Key(kVkF1 + 8);
  EXPECT_EQ(d.State()["mode"], "ModeBossKey");
  d.Key(kVkEscape);
  EXPECT_EQ(d.State()["mode"], "ModeStatusPanel");
}

TEST(Screens, ShiftF8RaisesALevel) {
  DemoSession d;
  ASSERT_TRUE(d.NewGame());
  int level = d.State()["player"]["level"];
  d.Key(kVkF1 + 7, true);
  json s = d.State();
  EXPECT_EQ(s["player"]["level"], level + 1);
  EXPECT_NE(s["message"]["text"].get<std::string>().find("Level Up!"), std::string::npos);
  d.Key(kVkF1 + 7, false);  // without Shift nothing happens
  EXPECT_EQ(d.State()["player"]["level"], level + 1);
}

TEST(Screens, ScreenshotIsWrittenIntoTheScreenshotFolder) {
  DemoSession d;
  ASSERT_TRUE(d.ToMainMenu());
  std::filesystem::remove_all(std::filesystem::path(DemoFolder()) / "screenshot");
  d.Key(kVkF1 + 10);
  // The dump names the screenshot inside the game folder.
  std::string path = NativePath(d.State()["screenshot"].get<std::string>());
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(std::filesystem::exists(path)) << path;
  EXPECT_GT(std::filesystem::file_size(path), 1000u);
}

TEST(Screens, CreditsAndBackToTheMenu) {
  DemoSession d;
  ASSERT_TRUE(d.ToMainMenu());
  d.Step(20);
  d.Click(320, 346);  // Credits
  ASSERT_TRUE(d.UntilMode("ModeCredits", 40));
  d.Step(20);
  d.Click(320, 240);
  ASSERT_TRUE(d.UntilMode("ModeMainMenu", 40));
}

TEST(Screens, ExitFromTheMainMenuQuits) {
  DemoSession d;
  ASSERT_TRUE(d.ToMainMenu());
  d.Step(20);
  d.Click(320, 392);
  d.Step(30);
  EXPECT_TRUE(d.quit);
}

}  // namespace
}  // namespace isora::e2e

namespace isora::e2e {
namespace {

TEST(Start, The555PixelFormatPlaysTooButTakesNoScreenshots) {
  DemoSession d(PixelFormat::Rgb555);
  ASSERT_TRUE(d.ok);
  ASSERT_TRUE(d.NewGame());
  EXPECT_EQ(d.State()["map"]["name"], "Willowmere");
  EXPECT_FALSE(d.game->Screens().TakeScreenshot());
}

}  // namespace
}  // namespace isora::e2e
