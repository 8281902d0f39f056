// The music's bookkeeping: a screen starts its music once, a cue restarts only named music,
// and a script's music replaces the current file without counting as a screen's start.
#include "shell/music_state.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "media/music_player.h"

namespace isora {
namespace {

// A graph that plays whatever it is given; it knows which file plays.
class PlayingGraph : public MusicBackend {
 public:
  bool Create() override { return true; }
  bool RenderFile(const std::string&) override { return true; }
  bool Run() override { return true; }
  bool Pause() override { return true; }
  bool Stop() override { return true; }
  bool SeekTo(int64_t) override { return true; }
  int64_t CurrentPosition() override { return 0; }
  bool TakeEvent(int*) override { return false; }
  void Release() override {}
};
std::unique_ptr<MusicBackend> MakePlayingGraph() { return std::make_unique<PlayingGraph>(); }

TEST(MusicState, AScreenWithoutMusicStopsThePreviousScreensMusic) {
  MusicPlayer player(&MakePlayingGraph);
  MusicState m;
  m.StartScreenMusic(player, nullptr, "music\\town.wav", true);
  EXPECT_TRUE(player.IsPlaying());
  EXPECT_TRUE(player.IsLooping());
  // Started already: a second frame of the same screen leaves it alone.
  m.StartScreenMusic(player, nullptr, "", true);
  EXPECT_TRUE(player.IsPlaying());
  m.Restart();
  m.StartScreenMusic(player, nullptr, "", true);
  EXPECT_FALSE(player.IsPlaying());
  EXPECT_FALSE(player.IsLoaded());
  // With music switched off nothing starts.
  m.Restart();
  m.StartScreenMusic(player, nullptr, "music\\wild.wav", false);
  EXPECT_FALSE(player.IsLoaded());
}

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
