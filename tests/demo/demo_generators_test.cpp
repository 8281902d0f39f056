// The generators' promises: source text conversion, sprites in every state and direction,
// sounds that survive the game's WAV rules, tiles that join their neighbours.
#include <gtest/gtest.h>

#include <set>

#include "lib/demo_art.h"
#include "lib/demo_audio.h"
#include "lib/demo_builder.h"

namespace isora::demo {
namespace {

using json = nlohmann::json;

TEST(SourceText, BecomesGbkWithCrLfLineEnds) {
  std::string out;
  ASSERT_TRUE(SourceTextToGame("[a]\nk=v\n", out));
  EXPECT_EQ(out, "[a]\r\nk=v\r\n");
  ASSERT_TRUE(SourceTextToGame("x\r\ny", out));
  EXPECT_EQ(out, "x\r\ny") << "CR LF stays one line end";
  ASSERT_TRUE(SourceTextToGame("\xEF\xBB\xBF[a]\n", out));
  EXPECT_EQ(out, "[a]\r\n") << "a byte order mark would hide the first header";
  ASSERT_TRUE(SourceTextToGame("前缀=grass", out));
  EXPECT_EQ(out, "\xC7\xB0\xD7\xBA=grass");
  EXPECT_FALSE(SourceTextToGame("snow \xE2\x98\x83", out)) << "a character without a GBK form";
}

json HumanSet(bool withFight) {
  json states = {{"stand", 2}, {"walk", 4}, {"die", 3}};
  if (withFight) states["fight"] = 4;
  return {{"file", "t.pmg"},
          {"prefix", "t"},
          {"body", "human"},
          {"look", {{"shirt", "2d5fb4"}, {"weapon", "sword"}}},
          {"states", states}};
}

TEST(RoleFrames, EveryStateInEightDirectionsOfOneSize) {
  RoleFrames frames = MakeRoleFrames(HumanSet(true));
  EXPECT_EQ(frames.frames.size(), 8u * (2 + 4 + 3 + 4));
  std::set<std::string> names;
  for (const auto& f : frames.frames) {
    EXPECT_EQ(f.image.width, frames.width);
    EXPECT_EQ(f.image.height, frames.height);
    EXPECT_LT(f.name.size(), 32u) << "frame names are char[32] in the role file";
    names.insert(f.name);
  }
  EXPECT_EQ(names.size(), frames.frames.size());
  EXPECT_TRUE(names.count("t\\fight8_3.bmp"));
  // Corners stay transparent so roles do not carry a box around them.
  const Image& first = frames.frames[0].image;
  EXPECT_EQ(first.At(0, 0), kKey);
  EXPECT_EQ(first.At(first.width - 1, 0), kKey);
}

TEST(RoleFrames, DirectionsAndStepsLookDifferent) {
  json set = HumanSet(true);
  std::set<std::vector<uint32_t>> facings;
  for (int d = 1; d <= 8; ++d) facings.insert(DrawRoleFrame(set, "stand", d, 0, 2).pixels);
  EXPECT_EQ(facings.size(), 8u);
  std::set<std::vector<uint32_t>> steps;
  for (int k = 0; k < 4; ++k) steps.insert(DrawRoleFrame(set, "fight", 4, k, 4).pixels);
  EXPECT_EQ(steps.size(), 4u);
  json beast = {{"body", "beast"},
                {"look", {{"fur", "707880"}, {"length", 40}, {"height", 20}}},
                {"states", {{"walk", 4}}}};
  std::set<std::vector<uint32_t>> beastFacings;
  for (int d = 1; d <= 8; ++d) beastFacings.insert(DrawRoleFrame(beast, "walk", d, 1, 4).pixels);
  EXPECT_EQ(beastFacings.size(), 8u);
}

TEST(Sounds, EndInSilenceTheGameMayCut) {
  json params = {{"name", "t.wav"},
                 {"layers", json::array({{{"wave", "square"}, {"from", 440}, {"duration", 0.1}}})}};
  auto pcm = SynthesizeSound(params);
  ASSERT_GT(pcm.size(), 400u);
  // The game copies all but the last 800 bytes of a sound into its buffer.
  for (size_t i = pcm.size() - 400; i < pcm.size(); ++i) ASSERT_EQ(pcm[i], 0) << i;
  bool loud = false;
  for (int16_t s : pcm) loud = loud || std::abs(s) > 10000;
  EXPECT_TRUE(loud);
  EXPECT_EQ(SynthesizeSound(params), pcm) << "synthesis is repeatable";
}

TEST(Music, LoopsHaveTheirLengthInBeats) {
  json piece = {{"name", "m.wav"},
                {"tempo", 120},
                {"beats", 8},
                {"tracks", json::array({{{"notes", "A4:1 -:1 C5:2"}}})}};
  auto pcm = SynthesizeMusic(piece);
  EXPECT_EQ(pcm.size(), static_cast<size_t>(8 * 0.5 * kSampleRate));
  EXPECT_NEAR(NoteFrequency("A4"), 440.0, 1e-9);
  EXPECT_NEAR(NoteFrequency("C4"), 261.6256, 1e-3);
  EXPECT_NEAR(NoteFrequency("F#3"), 184.9972, 1e-3);
  EXPECT_EQ(NoteFrequency("-"), 0.0);
  EXPECT_EQ(NoteFrequency("H2"), 0.0);
}

TEST(Tiles, TextureJoinsAcrossTheCellLattice) {
  // Neighbouring cells' boxes overlap by half; their shared corners must show the same ground,
  // or every cell would show a seam. Details stay inside the diamond, so the box corners are
  // plain texture.
  json grass = {{"style", "grass"}};
  Image a = MakeTile("grass", grass, 0), b = MakeTile("grass", grass, 5);
  // Cell (r + 1, c) lies 32 right and 16 down: its top-left corner region is a's bottom-right.
  int same = 0, total = 0;
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 12; ++x) {
      ++total;
      same += a.At(32 + x, 16 + y + 8) == b.At(x, y + 8);
    }
  EXPECT_GT(same, total * 9 / 10);
  Image sheet = MakeTileSheet("grass", grass, 12);
  EXPECT_EQ(sheet.width, 640);
  EXPECT_EQ(sheet.height, 64);
}

}  // namespace
}  // namespace isora::demo
