// Effect sounds overlap: each plays on a buffer of its own, up to a few of one sound at once.
#include "shell/sound_bank.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "lib/wav_writer.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

TEST(SoundBank, ANewSoundDoesNotCutOffTheOnesPlaying) {
  test::TempDir dir;
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SetSoundEnabled(false);
  ASSERT_EQ(InitSound(nullptr), 1);
  test::WriteFile("sound/bite.wav", WriteToneWav(440, 2.0));
  test::WriteFile("sound/click.wav", WriteToneWav(880, 2.0));
  {
    SoundBank bank;
    bank.Play("sound\\bite.wav");
    bank.Play("sound\\click.wav");
    EXPECT_EQ(bank.Playing(), 2);
    // Several of one sound overlap too, up to the bank's limit; then the oldest restarts.
    for (int i = 1; i < SoundBank::kBuffersPerSound + 2; ++i) bank.Play("sound\\bite.wav");
    EXPECT_EQ(bank.Playing(), SoundBank::kBuffersPerSound + 1);
    bank.Play("sound\\missing.wav");  // logged, silent, nothing else stops
    EXPECT_EQ(bank.Playing(), SoundBank::kBuffersPerSound + 1);
    EXPECT_NE(test::ReadFile("GameEngine.log").find("sound\\missing.wav"), std::string::npos);
    bank.StopAll();
    EXPECT_EQ(bank.Playing(), 0);
  }
  ShutdownSound();
  SetSoundEnabled(false);
}

}  // namespace
}  // namespace isora
