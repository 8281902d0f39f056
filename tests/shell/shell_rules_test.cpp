// The shell's small rules: log path, screenshot name, result titles and score, tile picture
// numbers, attribute lines, the message line, fades and the splash sequence.
#include <gtest/gtest.h>

#include "foundation/ini_file.h"
#include "media/headless_platform.h"
#include "shell/game.h"
#include "shell/game_rules.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

TEST(LogPath, RootGetsNoSecondSeparator) {
  EXPECT_EQ(LogPathFor("C:\\"), "C:\\GameEngine.log");
  EXPECT_EQ(LogPathFor("C:\\Games\\Isora"), "C:\\Games\\Isora\\GameEngine.log");
  EXPECT_EQ(LogPathFor("/"), "/GameEngine.log");
  EXPECT_EQ(LogPathFor("/home/p/game"), "/home/p/game/GameEngine.log");
}

TEST(Screenshot, NameIsTheLocalTimeInNumbersWithoutSeparators) {
  SystemTime t;
  t.year = 2004;
  t.month = 3;
  t.day = 7;
  t.hour = 17;
  t.minute = 5;
  t.second = 9;
  t.millisecond = 42;
  EXPECT_EQ(ScreenshotName(t),
            "2004371759"
            "42.jpg");
}

TEST(GameOver, ScoreAndTitlesSearchedFromTheLast) {
  Attributes a;
  a.money = 250;
  a.level = 3;
  EXPECT_EQ(GameOverScore(a, 5), 250 + 50 + 300);

  IniFile ini;
  std::string text =
      "[result]\r\ncount=2\r\nupper1=1000\r\nlower1=0\r\nname1=First\r\nupper2=1999\r\n"
      "lower2=1000\r\nname2=Second\r\n";
  ASSERT_TRUE(ini.LoadBytes(std::vector<uint8_t>(text.begin(), text.end())));
  EXPECT_EQ(ResultTitle(ini, 1000), "Second");
  EXPECT_EQ(ResultTitle(ini, 999), "First");
  EXPECT_EQ(ResultTitle(ini, 2000), "");
  EXPECT_EQ(ResultTitle(ini, -1), "");
}

TEST(Tiles, NumbersPadToTheWidthOfTheLastNumber) {
  EXPECT_EQ(TileNumberText(7, 120, true), "007");
  EXPECT_EQ(TileNumberText(7, 12, true), "07");
  EXPECT_EQ(TileNumberText(7, 9, true), "7");
  EXPECT_EQ(TileNumberText(7, 120, false), "7");
  EXPECT_EQ(TileNumberText(1234, 120, true), "1234");
}

TEST(StatusPanels, AttributeLinesInOrder) {
  Attributes a;
  a.level = 4;
  a.attack = 21;
  a.defence = 3;
  a.hitRate = 40;
  a.moral = -5;
  a.hp = 80;
  a.maxHp = 120;
  a.mp = 7;
  a.maxMp = 60;
  std::vector<std::string> lines = AttributeLines(a);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], "Level: <94/>");
  EXPECT_EQ(lines[3], "Hit rate: <940/>");
  EXPECT_EQ(lines[4], "Moral: <9-5/>");
  EXPECT_EQ(lines[5], "HP: <980/>/<9120/>");
  EXPECT_EQ(lines[6], "MP: <97/>/<960/>");
}

// A game without Init: a renderer with surfaces and an empty game folder of its own, so its log
// never lands in the working directory.
class BareGame : public ::testing::Test {
 protected:
  BareGame() : game_(platform_, GameOptions{PixelFormat::Rgb565, true, false}) {
    game_.GetRenderer().Init(nullptr);
    ResetSplashIndex();
  }
  test::TempDir folder_;
  HeadlessPlatform platform_;
  CGame game_;
};

TEST_F(BareGame, MessageLineJoinsUntilItWouldPass77) {
  Renderer& r = game_.GetRenderer();
  game_.ShowMessage("first");
  EXPECT_EQ(r.MessageText(), "first");
  EXPECT_EQ(r.MessageCountdown(), 70);
  game_.ShowMessage("second");
  EXPECT_EQ(r.MessageText(), "first  second");
  game_.ShowMessage("second");  // already on the line
  EXPECT_EQ(r.MessageText(), "second");
  game_.ShowMessage(std::string(71, 'x'));  // 6 + 71 = 77: still joined
  EXPECT_EQ(r.MessageText(), "second  " + std::string(71, 'x'));
  game_.ShowMessage(std::string(72, 'y'));  // 79 + 72 passes 77: replaced
  EXPECT_EQ(r.MessageText(), std::string(72, 'y'));
  r.SetMessageCountdown(0);
  game_.ShowMessage("a\\db");
  EXPECT_EQ(r.MessageText(), "a, b");
}

TEST_F(BareGame, FadeOutLastsEightFramesThenTheTargetFadesIn) {
  game_.SetMode(ModePlay);
  game_.FadeTo(true, ModeMainMenu);
  int frames = 0;
  while (game_.Mode() == ModeFade && frames < 100) {
    game_.Frame();
    ++frames;
  }
  EXPECT_EQ(frames, 8);
  EXPECT_EQ(game_.Mode(), ModeMainMenu);
  EXPECT_EQ(game_.Fading().Phase(), FadePhase::kDark);
  // The menu's first frame starts the fade-in, which takes eight more.
  game_.Frame();
  EXPECT_EQ(game_.Mode(), ModeFade);
  frames = 0;
  while (game_.Mode() == ModeFade && frames < 100) {
    game_.Frame();
    ++frames;
  }
  EXPECT_EQ(frames, 8);
  EXPECT_EQ(game_.Fading().Phase(), FadePhase::kShown);
}

TEST_F(BareGame, AllSplashesNullReachTheMenuOnTheSixthFrame) {
  game_.SetMode(ModeSplash);
  for (int i = 0; i < 5; ++i) {
    game_.Frame();
    EXPECT_EQ(game_.Mode(), ModeSplash);
  }
  game_.Frame();
  EXPECT_EQ(game_.Mode(), ModeMainMenu);
  EXPECT_EQ(platform_.GetCursorPos(), (Point{320, 195}));
}

TEST_F(BareGame, KeysDuringAFadeDoNothing) {
  game_.SetMode(ModePlay);
  game_.FadeTo(true, ModeMainMenu);
  game_.OnKeyDown(0x1B);
  game_.OnKeyDown(0x78);  // F9
  EXPECT_EQ(game_.Mode(), ModeFade);
}

TEST_F(BareGame, RainCountGivesHalfAsManyDrops) {
  game_.StartRain();
  ASSERT_TRUE(game_.RainState().Falling());
  EXPECT_GE(game_.RainState().Drops().size(), 100u);
  EXPECT_LE(game_.RainState().Drops().size(), 398u);
  std::vector<uint16_t> before = game_.RainState().Drops();
  game_.DrawRain(kSurfaceBackBuffer);
  const auto& after = game_.RainState().Drops();
  // Every drop moves 19 down, or starts again at the top or on the right edge.
  for (size_t i = 1; i < after.size(); i += 2) {
    EXPECT_TRUE(after[i] == (before[i] + 19) % 480 || after[i] <= 19 || before[i] + 19 > 479 ||
                after[i - 1] == 640)
        << i;
  }
  size_t n = game_.RainState().Drops().size();
  game_.StartRain();  // already raining
  EXPECT_EQ(game_.RainState().Drops().size(), n);
}

}  // namespace
}  // namespace isora
