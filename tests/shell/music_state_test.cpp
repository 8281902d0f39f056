// The music's bookkeeping: a screen starts its music once, a cue restarts only named music,
// and a script's music replaces the current file without counting as a screen's start.
#include "shell/music_state.h"

#include <gtest/gtest.h>

namespace isora {
namespace {

TEST(MusicState, AScreenStartsItsMusicOnceUntilRestarted) {
  MusicState m;
  EXPECT_FALSE(m.Started());
  EXPECT_TRUE(m.BeginScreenMusic("music\\a.mp3"));
  EXPECT_TRUE(m.Started());
  EXPECT_EQ(m.Current(), "music\\a.mp3");
  EXPECT_FALSE(m.BeginScreenMusic("music\\b.mp3"));
  EXPECT_EQ(m.Current(), "music\\a.mp3");
  m.Restart();
  // A screen without music starts silence: it counts as started, with no current file.
  EXPECT_TRUE(m.BeginScreenMusic(""));
  EXPECT_TRUE(m.Started());
  EXPECT_EQ(m.Current(), "");
}

TEST(MusicState, CueRestartsOnlyWhenTheScreenNamesMusic) {
  MusicState m;
  m.SetScreenFile(MusicScreen::kStart, "start.mp3");
  m.SetScreenFile(MusicScreen::kEnd, "");
  m.SetScreenFile(MusicScreen::kCredits, "credits.mp3");
  EXPECT_EQ(m.ScreenFile(MusicScreen::kStart), "start.mp3");
  EXPECT_EQ(m.ScreenFile(MusicScreen::kCredits), "credits.mp3");
  EXPECT_EQ(m.ScreenFile(MusicScreen::kEnd), "");
  ASSERT_TRUE(m.BeginScreenMusic(m.ScreenFile(MusicScreen::kStart)));
  m.Cue(MusicScreen::kEnd);  // no game-over music: the menu's music goes on
  EXPECT_TRUE(m.Started());
  m.Cue(MusicScreen::kCredits);
  EXPECT_FALSE(m.Started());
  EXPECT_TRUE(m.BeginScreenMusic(m.ScreenFile(MusicScreen::kCredits)));
  EXPECT_EQ(m.Current(), "credits.mp3");
}

TEST(MusicState, AScriptsMusicIsCurrentButTheScreenStillStartsItsOwn) {
  MusicState m;
  m.Played("music\\battle.mp3");
  EXPECT_EQ(m.Current(), "music\\battle.mp3");
  EXPECT_FALSE(m.Started());
  EXPECT_TRUE(m.BeginScreenMusic("music\\town.mp3"));
  m.Played("music\\battle.mp3");
  EXPECT_TRUE(m.Started());
  EXPECT_EQ(m.Current(), "music\\battle.mp3");
}

}  // namespace
}  // namespace isora
