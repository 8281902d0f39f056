// Music and video through FFmpeg's libraries, with small files the ffmpeg program makes at test
// time; MIDI through SDL_mixer and its soundfont, with a file the test writes itself. The audio
// device is SDL's dummy one, which plays in real time without a sound card.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "media/audio_device.h"
#include "media/headless_platform.h"
#include "media/media_decoder.h"
#include "media/music_player.h"
#include "media/video_window.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

bool HaveFfmpegProgram() {
  static const bool have = std::system("ffmpeg -version >/dev/null 2>&1") == 0;
  return have;
}

// Skips unless the build decodes through FFmpeg and the ffmpeg program can make the files.
#define REQUIRE_MEDIA_TOOLS()                                                        \
  do {                                                                               \
    if (!MediaDecodingAvailable()) GTEST_SKIP() << "this build has no FFmpeg";       \
    if (!HaveFfmpegProgram()) GTEST_SKIP() << "the ffmpeg program is not installed"; \
  } while (0)

// Runs ffmpeg with `args` writing `out` (a path in the game folder); true when it made it.
bool Make(const std::string& args, const std::string& out) {
  const std::filesystem::path path = test::InFolder(out);
  std::filesystem::create_directories(path.parent_path());
  const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y " + args + " '" +
                              path.string() + "' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0 && std::filesystem::exists(path);
}

const char* kTone = "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=1";
// Left half red, right half blue, 10 pictures a second.
const char* kRedBlue =
    "-f lavfi -i color=c=red:s=64x48:r=10:d=1 -vf drawbox=x=32:y=0:w=32:h=48:color=blue:t=fill";

struct Rgb {
  int r, g, b;
};
Rgb From565(uint16_t p) { return {(p >> 11) << 3, ((p >> 5) & 0x3F) << 2, (p & 0x1F) << 3}; }
bool Near(Rgb c, int r, int g, int b) {
  return std::abs(c.r - r) <= 24 && std::abs(c.g - g) <= 24 && std::abs(c.b - b) <= 24;
}

double Rms(const std::vector<int16_t>& s) {
  double sum = 0;
  for (int16_t v : s) sum += static_cast<double>(v) * v;
  return s.empty() ? 0 : std::sqrt(sum / static_cast<double>(s.size()));
}

// Decodes to the end; the number of steps is bounded so a decoder that never ends fails.
MediaDecoder::Step DecodeAll(MediaDecoder& d, std::vector<int16_t>* audio,
                             std::vector<VideoFrame>* frames) {
  for (int i = 0; i < 100000; ++i) {
    MediaDecoder::Step step = d.Decode(audio, frames);
    if (step != MediaDecoder::Step::kMore) return step;
  }
  ADD_FAILURE() << "decoding never ended";
  return MediaDecoder::Step::kFailed;
}

class MediaTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }
  std::string Native(const std::string& path) { return test::InFolder(path).string(); }
  test::TempDir dir_;
};

TEST_F(MediaTest, WmaAndMp3TonesDecodeAudibleToTheirLength) {
  REQUIRE_MEDIA_TOOLS();
  ASSERT_TRUE(Make(std::string(kTone) + " -c:a wmav2 -b:a 64k", "music/tone.wma"));
  ASSERT_TRUE(Make(std::string(kTone) + " -c:a libmp3lame -b:a 64k", "music/tone.mp3"));
  for (const char* name : {"music/tone.wma", "music/tone.mp3"}) {
    SCOPED_TRACE(name);
    MediaInfo info = ProbeMedia(Native(name));
    ASSERT_TRUE(info.opened) << info.error;
    EXPECT_TRUE(info.hasAudio);
    EXPECT_FALSE(info.hasVideo);
    MediaDecoder d;
    ASSERT_TRUE(d.Open(Native(name), 44100, 2, true, true)) << d.Error();
    EXPECT_FALSE(d.HasVideo());
    std::vector<int16_t> audio;
    std::vector<VideoFrame> frames;
    ASSERT_EQ(DecodeAll(d, &audio, &frames), MediaDecoder::Step::kEnd) << d.Error();
    const double seconds = static_cast<double>(audio.size()) / 2 / 44100;
    EXPECT_NEAR(seconds, 1.0, 0.07);
    // lavfi's sine is 1/8 of full scale: an RMS near 4096 / sqrt(2).
    EXPECT_NEAR(Rms(audio), 2896, 400);
    EXPECT_TRUE(frames.empty());
  }
  EXPECT_EQ(ProbeMedia(Native("music/tone.wma")).container, "asf");
}

TEST_F(MediaTest, SeekingDropsWhatComesBeforeTheTarget) {
  REQUIRE_MEDIA_TOOLS();
  ASSERT_TRUE(Make(std::string(kTone) + " -c:a wmav2", "music/tone.wma"));
  MediaDecoder d;
  ASSERT_TRUE(d.Open(Native("music/tone.wma"), 22050, 1, true, false));
  std::vector<int16_t> audio;
  std::vector<VideoFrame> frames;
  ASSERT_TRUE(d.Seek(6000000));  // 0.6 s
  ASSERT_EQ(DecodeAll(d, &audio, &frames), MediaDecoder::Step::kEnd);
  EXPECT_NEAR(static_cast<double>(audio.size()) / 22050, 0.4, 0.07);
  audio.clear();
  ASSERT_TRUE(d.Seek(0));  // and back: the whole second again
  ASSERT_EQ(DecodeAll(d, &audio, &frames), MediaDecoder::Step::kEnd);
  EXPECT_NEAR(static_cast<double>(audio.size()) / 22050, 1.0, 0.07);
}

TEST_F(MediaTest, VideoPicturesAreScaledToTheWholeWindow) {
  REQUIRE_MEDIA_TOOLS();
  ASSERT_TRUE(Make(std::string(kRedBlue) + " -c:v mpeg4", "movie/a.avi"));
  // MPEG program streams start their clock late: times still count from the first picture.
  ASSERT_TRUE(Make(std::string(kRedBlue) + " -c:v mpeg1video -r 25 -f mpeg", "movie/b.mpg"));
  ASSERT_TRUE(Make(std::string(kRedBlue) + " -c:v wmv2", "movie/c.wmv"));
  for (const char* name : {"movie/a.avi", "movie/b.mpg", "movie/c.wmv"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(ProbeMedia(Native(name)).hasVideo);
    MediaDecoder d;
    ASSERT_TRUE(d.Open(Native(name), 44100, 2, true, true)) << d.Error();
    ASSERT_TRUE(d.HasVideo());
    EXPECT_FALSE(d.HasAudio());
    std::vector<int16_t> audio;
    std::vector<VideoFrame> frames;
    ASSERT_EQ(DecodeAll(d, &audio, &frames), MediaDecoder::Step::kEnd) << d.Error();
    ASSERT_GE(frames.size(), 10u);
    EXPECT_LT(frames.front().time, 400000);  // within 40 ms of the start
    EXPECT_NEAR(static_cast<double>(frames.back().time) / 1e7, 0.9, 0.1);
    for (const VideoFrame& f : frames) {
      ASSERT_EQ(f.pixels.size(), 640u * 480u);
      EXPECT_TRUE(Near(From565(f.pixels[240 * 640 + 100]), 255, 0, 0));
      EXPECT_TRUE(Near(From565(f.pixels[10 * 640 + 10]), 255, 0, 0));
      EXPECT_TRUE(Near(From565(f.pixels[240 * 640 + 540]), 0, 0, 255));
      EXPECT_TRUE(Near(From565(f.pixels[470 * 640 + 630]), 0, 0, 255));
    }
  }
}

TEST_F(MediaTest, DamagedFilesFailWithAReasonAndNeverHang) {
  REQUIRE_MEDIA_TOOLS();
  // Not media at all.
  test::WriteFile("music/noise.wma", std::string(5000, '\x5A'));
  MediaDecoder d;
  EXPECT_FALSE(d.Open(Native("music/noise.wma"), 44100, 2, true, true));
  EXPECT_FALSE(d.Error().empty());
  EXPECT_FALSE(ProbeMedia(Native("music/noise.wma")).opened);
  // A real header with everything after it overwritten, and one cut short.
  ASSERT_TRUE(Make(std::string(kTone) + " -c:a wmav2", "music/tone.wma"));
  ASSERT_TRUE(Make(std::string(kRedBlue) + " -c:v mpeg4", "movie/a.avi"));
  for (const char* name : {"music/tone.wma", "movie/a.avi"}) {
    SCOPED_TRACE(name);
    std::string bytes = test::ReadFile(name);
    ASSERT_GT(bytes.size(), 2000u);
    std::string garbled = bytes;
    for (size_t i = 1000; i < garbled.size(); ++i) garbled[i] = static_cast<char>(i * 131 % 251);
    std::string cut = bytes.substr(0, bytes.size() / 3);
    for (const std::string& damaged : {garbled, cut}) {
      test::WriteFile("damaged.bin", damaged);
      MediaDecoder dd;
      if (!dd.Open(Native("damaged.bin"), 44100, 2, true, true)) {
        EXPECT_FALSE(dd.Error().empty());
        continue;
      }
      std::vector<int16_t> audio;
      std::vector<VideoFrame> frames;
      if (DecodeAll(dd, &audio, &frames) == MediaDecoder::Step::kFailed) {
        EXPECT_FALSE(dd.Error().empty());
      }
      EXPECT_LE(audio.size(), 2u * 44100 * 2);  // never more than the file could hold
    }
  }
}

// Collects what the audio device plays.
struct Heard {
  std::mutex mutex;
  double sumSquares = 0;
  size_t samples = 0;
  static void Tap(void* self, const int16_t* s, size_t n) {
    auto* h = static_cast<Heard*>(self);
    std::lock_guard<std::mutex> lock(h->mutex);
    for (size_t i = 0; i < n; ++i) h->sumSquares += static_cast<double>(s[i]) * s[i];
    h->samples += n;
  }
  double Rms() {
    std::lock_guard<std::mutex> lock(mutex);
    return samples ? std::sqrt(sumSquares / static_cast<double>(samples)) : 0;
  }
};

// Waits (real time, bounded) for the graph's notification.
bool WaitNotify(HeadlessPlatform& window, int ms = 5000) {
  for (int i = 0; i < ms / 5; ++i) {
    Message m;
    if (window.PeekMessage(&m, true) && m.message == kUmGraphNotify) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

TEST_F(MediaTest, WmaMusicIsHeardAndEndsWithItsNotification) {
  if (!HaveFfmpegProgram()) GTEST_SKIP() << "the ffmpeg program is not installed";
  ASSERT_TRUE(Make("-f lavfi -i sine=frequency=440:duration=0.4 -c:a wmav2", "music/town.wma"));
  HeadlessPlatform window;
  MusicPlayer music;
  if (!MediaDecodingAvailable()) {
    // SDL_mixer alone cannot play it: the log says so, and why.
    EXPECT_FALSE(music.Open(&window, "music\\town.wma"));
    const std::string log = test::ReadFile("GameEngine.log");
    EXPECT_NE(log.find("[music]cannot play music\\town.wma: SDL_mixer: "), std::string::npos);
    EXPECT_NE(log.find("this build has no FFmpeg"), std::string::npos) << log;
    return;
  }
  ASSERT_TRUE(music.Open(&window, "music\\town.wma")) << music.LastError();
  Heard heard;
  audio::SetOutputTap(&Heard::Tap, &heard);
  EXPECT_TRUE(music.IsAudioOnly());
  ASSERT_TRUE(music.Play(&window, true));
  EXPECT_EQ(window.GetVideoWindow(), nullptr);
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(WaitNotify(window));
  const double took =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  EXPECT_GT(took, 0.3);  // played in real time, not skipped
  EXPECT_GT(heard.Rms(), 500);
  EXPECT_TRUE(music.OnGraphNotify());
  EXPECT_TRUE(music.IsPlaying());  // looping: it starts again
  ASSERT_TRUE(WaitNotify(window));
  EXPECT_TRUE(music.OnGraphNotify());
  EXPECT_TRUE(music.IsPlaying());
  // Paused, nothing more is heard; resumed, it goes on.
  ASSERT_TRUE(music.Pause());
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const size_t before = heard.samples;
  {
    std::lock_guard<std::mutex> lock(heard.mutex);
    heard.sumSquares = 0;
    heard.samples = 0;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_LT(heard.Rms(), 1.0) << before;
  ASSERT_TRUE(music.Resume());
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_GT(heard.Rms(), 500);
  music.Close();
  audio::SetOutputTap(nullptr, nullptr);
  EXPECT_FALSE(music.IsLoaded());
}

TEST_F(MediaTest, VideoShowsInTheWindowUntilItEnds) {
  REQUIRE_MEDIA_TOOLS();
  ASSERT_TRUE(Make(std::string("-f lavfi -i sine=frequency=300:duration=0.5 ") + kRedBlue +
                       " -c:v mpeg4 -c:a wmav2 -t 0.5",
                   "movie/intro.avi"));
  HeadlessPlatform window;
  MusicPlayer music;
  ASSERT_TRUE(music.Open(&window, "movie\\intro.avi")) << music.LastError();
  EXPECT_FALSE(music.IsAudioOnly());
  EXPECT_FALSE(music.Play(nullptr, false));  // a video needs a window to own it
  EXPECT_EQ(music.LastError(), "Put Owner Failed!");
  ASSERT_TRUE(music.Play(&window, false));
  VideoWindow* video = window.GetVideoWindow();
  ASSERT_NE(video, nullptr);
  EXPECT_TRUE(video->Visible());
  EXPECT_TRUE(video->HidesCursor());
  for (int i = 0; i < 400 && video->FramesPut() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_GT(video->FramesPut(), 0u);
  // The game's back buffer stays as the game drew it; the window shows the video over it.
  Surface back(640, 480);
  back.Fill(0x07E0);  // green
  ASSERT_TRUE(window.Present(back));
  EXPECT_TRUE(Near(From565(window.LastFrame().At(100, 240)), 255, 0, 0));
  EXPECT_TRUE(Near(From565(window.LastFrame().At(540, 240)), 0, 0, 255));
  EXPECT_EQ(back.At(100, 240), 0x07E0);
  // A 5-5-5 game gets the same picture in its own format.
  Surface back555(640, 480, PixelFormat::Rgb555);
  ASSERT_TRUE(window.Present(back555));
  EXPECT_EQ(window.LastFrame().At(100, 240) & 0x7C00, 0x7C00);
  // The end: notified, closed, the window no longer owns a video.
  ASSERT_TRUE(WaitNotify(window));
  EXPECT_TRUE(music.OnGraphNotify());
  EXPECT_FALSE(music.IsLoaded());
  EXPECT_EQ(window.GetVideoWindow(), nullptr);
  ASSERT_TRUE(window.Present(back));
  EXPECT_EQ(window.LastFrame().At(100, 240), 0x07E0);
}

TEST_F(MediaTest, UnplayableFilesAreLoggedWithTheirReason) {
  REQUIRE_MEDIA_TOOLS();
  HeadlessPlatform window;
  MusicPlayer music;
  test::WriteFile("music/noise.wma", std::string(5000, '\x5A'));
  EXPECT_FALSE(music.Open(&window, "music\\noise.wma"));
  EXPECT_EQ(music.LastError(), "RenderFile Failed!");
  EXPECT_FALSE(music.Open(&window, "music\\missing.wma"));
  const std::string log = test::ReadFile("GameEngine.log");
  EXPECT_NE(log.find("[music]cannot play music\\noise.wma: "), std::string::npos) << log;
  EXPECT_NE(log.find("[music]cannot play music\\missing.wma: "), std::string::npos) << log;
  // A file that opens but whose data is garbled after its start plays what it can, then stops
  // with the reason logged, within a bounded time.
  ASSERT_TRUE(
      Make("-f lavfi -i sine=frequency=440:duration=4 -c:a wmav2 -b:a 32k", "music/long.wma"));
  std::string bytes = test::ReadFile("music/long.wma");
  for (size_t i = bytes.size() / 4; i < bytes.size(); ++i)
    bytes[i] = static_cast<char>(i * 131 % 251);
  test::WriteFile("music/broken.wma", bytes);
  ASSERT_TRUE(music.Open(&window, "music\\broken.wma")) << music.LastError();
  ASSERT_TRUE(music.Play(&window, true));
  ASSERT_TRUE(WaitNotify(window));
  EXPECT_TRUE(music.OnGraphNotify());
  EXPECT_FALSE(music.IsLoaded());  // stopped, although it was to loop
  EXPECT_NE(test::ReadFile("GameEngine.log").find("[music]music\\broken.wma stopped: damaged"),
            std::string::npos)
      << test::ReadFile("GameEngine.log");
}

// A MIDI file of one note, half a second long.
std::string OneNoteMidi() {
  std::string track = {0x00, static_cast<char>(0xC0), 0x00,         // piano
                       0x00, static_cast<char>(0x90), 0x45, 0x70,   // A4 on
                       0x60, static_cast<char>(0x80), 0x45, 0x00,   // off after 96 ticks
                       0x00, static_cast<char>(0xFF), 0x2F, 0x00};  // end of track
  std::string midi = "MThd";
  midi += std::string("\0\0\0\x06\0\0\0\x01\0\x60", 10);  // format 0, 1 track, 96 ticks/beat
  midi += "MTrk";
  midi += std::string("\0\0\0", 3) + static_cast<char>(track.size());
  return midi + track;
}

TEST_F(MediaTest, MidiPlaysWithTheSoundFontOrSaysWhyNot) {
  test::WriteFile("music/theme.mid", OneNoteMidi());
  HeadlessPlatform window;
  MusicPlayer music;
  Heard heard;
  if (MidiSoundFont().empty()) {
    EXPECT_FALSE(music.Open(&window, "music\\theme.mid"));
    EXPECT_NE(test::ReadFile("GameEngine.log").find("soundfont"), std::string::npos);
    return;
  }
  ASSERT_TRUE(music.Open(&window, "music\\theme.mid")) << test::ReadFile("GameEngine.log");
  audio::SetOutputTap(&Heard::Tap, &heard);
  ASSERT_TRUE(music.Play(&window, false));
  ASSERT_TRUE(WaitNotify(window));
  EXPECT_GT(heard.Rms(), 50);
  EXPECT_TRUE(music.OnGraphNotify());
  EXPECT_FALSE(music.IsLoaded());
  audio::SetOutputTap(nullptr, nullptr);
}

}  // namespace
}  // namespace isora
