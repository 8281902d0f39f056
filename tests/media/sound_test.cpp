#include "media/sound.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <thread>

#include "lib/wav_writer.h"
#include "media/headless_platform.h"
#include "media/music_player.h"
#include "media/wav_reader.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

std::vector<uint8_t> Samples(size_t n) {
  std::vector<uint8_t> s(n);
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<uint8_t>(i * 7 + 1);
  return s;
}

TEST(WavRulesTest, CopiesRMinus800BytesFromByte44) {
  auto file = WriteWav(Samples(4000), 1, 22050, 16);
  WavSound w;
  ASSERT_TRUE(BuildWavSound(file, &w));
  const uint32_t r = 36 + 4000;
  EXPECT_EQ(w.riffSize, r);
  EXPECT_EQ(w.buffer.size(), r);
  EXPECT_EQ(w.copiedBytes, r - 800);
  EXPECT_EQ(w.format.samplesPerSec, 22050u);
  EXPECT_EQ(w.format.blockAlign, 2);
  EXPECT_EQ(w.buffer[0], file[44]);
  EXPECT_EQ(w.buffer[r - 801], file[44 + r - 801]);
  EXPECT_EQ(w.buffer[r - 800], 0);  // the tail receives no samples
}

TEST(WavRulesTest, SmallAndLyingSizesStayInsideTheFile) {
  // R of 800 or less: a buffer, but no samples copied.
  auto small = WriteWav(Samples(100), 1, 11025, 8);
  WavSound w;
  ASSERT_TRUE(BuildWavSound(small, &w));
  EXPECT_EQ(w.copiedBytes, 0u);
  EXPECT_EQ(w.buffer[0], 0x80);  // 8-bit silence
  // R far beyond the file: the buffer is bounded by the file's real size.
  auto lying = WriteWav(Samples(2000), 2, 44100, 16);
  lying[4] = 0xFF, lying[5] = 0xFF, lying[6] = 0xFF, lying[7] = 0x7F;
  ASSERT_TRUE(BuildWavSound(lying, &w));
  EXPECT_EQ(w.buffer.size(), lying.size());
  EXPECT_EQ(w.copiedBytes, lying.size() - 44);
  // Damaged headers are refused.
  std::vector<uint8_t> header(small.begin(), small.begin() + 40);
  EXPECT_FALSE(BuildWavSound(header, &w));
  auto badFormat = small;
  badFormat[20] = 2;  // ADPCM
  EXPECT_FALSE(BuildWavSound(badFormat, &w));
  auto badAlign = small;
  badAlign[32] = 0;
  EXPECT_FALSE(BuildWavSound(badAlign, &w));
}

TEST(SoundTest, DisabledSoundLoadsNothingAndPlaysNothing) {
  test::TempDir dir;
  SetSoundEnabled(false);
  SoundBuffer b;
  EXPECT_TRUE(b.Load("sound\\missing.wav"));
  EXPECT_FALSE(b.HasBuffer());
  b.Play(0);
  EXPECT_FALSE(b.IsPlaying());
  EXPECT_EQ(test::ReadFile("GameEngine.log"), "");
}

TEST(SoundTest, FailuresAreLoggedWhenEnabled) {
  test::TempDir dir;
  SetSoundEnabled(true);
  SoundBuffer b;
  EXPECT_FALSE(b.Load("sound\\missing.wav"));
  EXPECT_NE(
      test::ReadFile("GameEngine.log").find("[sound]error on opening file sound\\missing.wav"),
      std::string::npos);
  test::WriteFile("sound/bad.wav", std::string(20, 'x'));
  EXPECT_FALSE(b.Load("sound\\bad.wav"));
  EXPECT_NE(test::ReadFile("GameEngine.log").find("error on create sound buffer"),
            std::string::npos);
  SetSoundEnabled(false);
}

// With SDL's dummy driver the real mixer runs without any sound card.
TEST(SoundTest, PlaysThroughTheMixerOnADummyDevice) {
  test::TempDir dir;
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SetSoundEnabled(false);
  ASSERT_EQ(InitSound(nullptr), 1);
  EXPECT_EQ(InitSound(nullptr), 1);  // already initialised
  EXPECT_TRUE(IsSoundEnabled());
  test::WriteFile("sound/tone.wav", WriteToneWav(440, 0.5));
  SoundBuffer b;
  ASSERT_TRUE(b.Load("sound/tone.wav"));
  ASSERT_TRUE(b.HasBuffer());
  b.Play(-1);
  EXPECT_TRUE(b.IsPlaying());
  b.Play(0);  // plays again from the start
  EXPECT_TRUE(b.IsPlaying());
  b.Stop();
  EXPECT_FALSE(b.IsPlaying());
  ShutdownSound();
  SetSoundEnabled(false);
}

// A media graph driven by the test: completion arrives when the test says so.
class FakeGraph : public MusicBackend {
 public:
  static inline int runs = 0, seeks = 0;
  static inline bool failCreate = false, failRender = false;
  static inline FakeGraph* last = nullptr;
  std::deque<int> events;
  int64_t position = 0;
  bool running = false;

  FakeGraph() { last = this; }
  ~FakeGraph() override {
    if (last == this) last = nullptr;
  }
  bool Create() override { return !failCreate; }
  bool RenderFile(const std::string&) override { return !failRender; }
  bool Run() override {
    ++runs;
    running = true;
    return true;
  }
  bool Pause() override {
    running = false;
    return true;
  }
  bool Stop() override { return Pause(); }
  bool SeekTo(int64_t p) override {
    ++seeks;
    position = p;
    return true;
  }
  int64_t CurrentPosition() override { return position; }
  bool TakeEvent(int* code) override {
    if (events.empty()) return false;
    *code = events.front();
    events.pop_front();
    return true;
  }
  void Release() override {}
  void Complete() {
    events.push_back(MusicPlayer::kEventComplete);
    Notify();
  }
};

std::unique_ptr<MusicBackend> MakeFake() { return std::make_unique<FakeGraph>(); }

class MusicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeGraph::runs = FakeGraph::seeks = 0;
    FakeGraph::failCreate = FakeGraph::failRender = false;
  }
  HeadlessPlatform window_;
  MusicPlayer music_{&MakeFake};
};

TEST_F(MusicTest, LoopingPieceRestartsAtItsEnd) {
  ASSERT_TRUE(music_.Open(&window_, "music\\town.ogg"));
  ASSERT_TRUE(music_.Play(&window_, true));
  EXPECT_TRUE(music_.IsPlaying());
  FakeGraph::last->position = 1234;
  FakeGraph::last->Complete();
  Message m;
  ASSERT_TRUE(window_.PeekMessage(&m, true));
  EXPECT_EQ(m.message, kUmGraphNotify);
  EXPECT_TRUE(music_.OnGraphNotify());
  EXPECT_TRUE(music_.IsPlaying());
  EXPECT_EQ(FakeGraph::last->position, 0);
}

TEST_F(MusicTest, NonLoopingPieceClosesAtItsEnd) {
  ASSERT_TRUE(music_.Open(&window_, "music\\end.ogg"));
  ASSERT_TRUE(music_.Play(&window_, false));
  FakeGraph::last->Complete();
  EXPECT_TRUE(music_.OnGraphNotify());
  EXPECT_FALSE(music_.IsPlaying());
  EXPECT_FALSE(music_.IsLoaded());
  EXPECT_FALSE(music_.OnGraphNotify());  // no graph any more
}

TEST_F(MusicTest, PauseResumeStopAndTheirErrors) {
  EXPECT_FALSE(music_.Play(&window_, true));
  EXPECT_EQ(music_.LastError(), "Media haven't loaded!");
  EXPECT_FALSE(music_.Pause());
  EXPECT_EQ(music_.LastError(), "No Media!");
  ASSERT_TRUE(music_.Open(&window_, "a.ogg"));
  ASSERT_TRUE(music_.Play(&window_, true));
  EXPECT_FALSE(music_.Resume());
  EXPECT_EQ(music_.LastError(), "m_pMediaControl==null");
  FakeGraph::last->position = 5000;
  ASSERT_TRUE(music_.Pause());
  EXPECT_EQ(music_.GetState(), MusicPlayer::kPaused);
  FakeGraph::last->position = 0;
  ASSERT_TRUE(music_.Resume());
  EXPECT_EQ(FakeGraph::last->position, 5000);  // back where it paused
  EXPECT_TRUE(music_.IsPlaying());
  ASSERT_TRUE(music_.Stop());
  EXPECT_EQ(music_.GetState(), MusicPlayer::kStopped);
  EXPECT_FALSE(FakeGraph::last->running);
  music_.StopAndClose();
  EXPECT_FALSE(music_.IsLoaded());
  EXPECT_FALSE(music_.Stop());
}

TEST_F(MusicTest, OpenFailuresSetTheirTexts) {
  FakeGraph::failRender = true;
  EXPECT_FALSE(music_.Open(&window_, "missing.ogg"));
  EXPECT_EQ(music_.LastError(), "RenderFile Failed!");
  FakeGraph::failCreate = true;
  EXPECT_FALSE(music_.Open(&window_, "missing.ogg"));
  EXPECT_FALSE(music_.LastError().empty());
  EXPECT_FALSE(music_.IsLoaded());
}

// The real SDL_mixer graph on the dummy device: a short piece ends, notifies the window,
// loops when asked and closes when not.
TEST(SdlMusicTest, RealPieceCompletesLoopsAndCloses) {
  test::TempDir dir;
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  test::WriteFile("music/short.wav", WriteToneWav(330, 0.15));
  HeadlessPlatform window;
  MusicPlayer music;
  ASSERT_TRUE(music.Open(&window, "music\\short.wav")) << music.LastError();
  ASSERT_TRUE(music.Play(&window, true));
  auto waitNotify = [&] {
    for (int i = 0; i < 300; ++i) {
      Message m;
      if (window.PeekMessage(&m, true) && m.message == kUmGraphNotify) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  };
  ASSERT_TRUE(waitNotify());
  EXPECT_TRUE(music.OnGraphNotify());
  EXPECT_TRUE(music.IsPlaying());
  music.Close();
  ASSERT_TRUE(music.Open(&window, "music\\short.wav"));
  ASSERT_TRUE(music.Play(&window, false));
  ASSERT_TRUE(waitNotify());
  EXPECT_TRUE(music.OnGraphNotify());
  EXPECT_FALSE(music.IsPlaying());
  EXPECT_FALSE(music.IsLoaded());
}

}  // namespace
}  // namespace isora
