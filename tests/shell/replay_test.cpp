// Replay files, key names, the command line and the JSON writer.
#include "shell/replay.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "shell/json_writer.h"
#include "shell/options.h"

namespace isora {
namespace {

TEST(Replay, ParsesEveryEventKind) {
  std::vector<ReplayEvent> ev;
  std::string error;
  ASSERT_TRUE(
      ParseReplay("# comment\n\n@0 move 10 20\n@1 ldown\n@1 lup\n@2 rdown\n@2 rup\n"
                  "@3 key Esc\n@3 key Shift+F8\n@4 key 7\n@5 shot a.bmp\n"
                  "@6 state b.json\r\n@7 quit\n",
                  &ev, &error))
      << error;
  ASSERT_EQ(ev.size(), 11u);
  EXPECT_EQ(ev[0].kind, ReplayEvent::Kind::kMove);
  EXPECT_EQ(ev[0].x, 10);
  EXPECT_EQ(ev[0].y, 20);
  EXPECT_EQ(ev[5].virtualKey, 0x1B);
  EXPECT_FALSE(ev[5].shift);
  EXPECT_EQ(ev[6].virtualKey, 0x77);
  EXPECT_TRUE(ev[6].shift);
  EXPECT_EQ(ev[7].virtualKey, '7');
  EXPECT_EQ(ev[8].path, "a.bmp");
  EXPECT_EQ(ev[9].kind, ReplayEvent::Kind::kState);
  EXPECT_EQ(ev[9].path, "b.json");
  EXPECT_EQ(ev[10].kind, ReplayEvent::Kind::kQuit);
  EXPECT_EQ(ev[10].frame, 7);
}

// Ten million events (195 MB) once took 1.9 GB, the text copied twice and the events' vector
// grown by doubling. The events get exactly their room; comments and blank lines none.
TEST(Replay, LongReplaysAreHeldInExactlyTheirEventsRoom) {
  std::string text = "# a comment\n\n", error;
  for (int i = 0; i < 4097; ++i) text += "  @" + std::to_string(i) + " move 1 2\n# note\n";
  std::vector<ReplayEvent> ev;
  ASSERT_TRUE(ParseReplay(text, &ev, &error)) << error;
  EXPECT_EQ(ev.capacity(), 4097u);
}

TEST(Replay, RejectsBadLinesWithTheirNumber) {
  std::vector<ReplayEvent> ev;
  std::string error;
  EXPECT_FALSE(ParseReplay("@1 ldown\n@0 lup\n", &ev, &error));
  EXPECT_EQ(error.rfind("line 2:", 0), 0u) << error;
  EXPECT_FALSE(ParseReplay("@1 key NoSuchKey\n", &ev, &error));
  EXPECT_FALSE(ParseReplay("@1 move 3\n", &ev, &error));
  EXPECT_FALSE(ParseReplay("1 ldown\n", &ev, &error));
  EXPECT_FALSE(ParseReplay("@1 jump\n", &ev, &error));
  EXPECT_FALSE(ParseReplay("@1 quit now\n", &ev, &error));
  EXPECT_FALSE(ParseReplay("@-1 quit\n", &ev, &error));
}

TEST(Replay, ShotAndStatePathsOutsideTheOutputFolderAreRefusedByLine) {
  std::vector<ReplayEvent> ev;
  std::string error;
  for (const char* path : {"/any/path", "../up.json", "d/../../x.bmp", "C:\\x.bmp", "\\\\h\\s"})
    for (const char* verb : {"shot", "state"}) {
      EXPECT_FALSE(ParseReplay(std::string("@0 ldown\n@5 ") + verb + " " + path, &ev, &error));
      EXPECT_EQ(error.rfind("line 2: " + std::string(verb) + " path " + path, 0), 0u) << error;
    }
  EXPECT_TRUE(ParseReplay("@5 shot dumps/a.bmp\n@6 state ./b.json\n", &ev, &error)) << error;
}

TEST(Replay, WhatTheRecorderWritesReadsBack) {
  const std::string path = testing::TempDir() + "recorded.replay";
  {
    ReplayRecorder recorder;
    ASSERT_TRUE(recorder.Open(path));
    recorder.Comment("two lines\nbecome one");
    recorder.Move(3, 10, 20);
    recorder.Move(3, 10, 20);  // the cursor did not move: nothing written
    recorder.Button(4, true, true);
    recorder.Key(5, 0x77, true);
    recorder.State(6, "s.json");
    recorder.Shot(6, "s.bmp");
    recorder.Quit(7);
  }
  std::ifstream in(path);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("# two lines become one\n"), std::string::npos) << text;
  std::vector<ReplayEvent> ev;
  std::string error;
  ASSERT_TRUE(ParseReplay(text, &ev, &error)) << error;
  ASSERT_EQ(ev.size(), 6u);
  EXPECT_EQ(ev[1].kind, ReplayEvent::Kind::kLDown);
  EXPECT_TRUE(ev[2].shift);
  EXPECT_EQ(ev[3].kind, ReplayEvent::Kind::kState);
  EXPECT_EQ(ev[3].path, "s.json");
  EXPECT_EQ(ev[4].kind, ReplayEvent::Kind::kShot);
  EXPECT_EQ(ev[5].frame, 7);
}

TEST(Replay, KeyNamesRoundTrip) {
  for (int vk : {0x1B, 0x70, 0x7B, 0x30, 0x39, 0x41, 0x5A, 0x20}) {
    bool shift = false;
    EXPECT_EQ(VirtualKeyFromName(KeyName(vk, false), &shift), vk) << vk;
    EXPECT_FALSE(shift);
  }
  bool shift = false;
  EXPECT_EQ(VirtualKeyFromName(KeyName(0x77, true), &shift), 0x77);
  EXPECT_TRUE(shift);
}

TEST(Replay, EveryKeyTheRecorderCanWriteParses) {
  // Shift, Ctrl and Alt themselves arrive as key presses while a modifier is held, and come out
  // as "Shift+VK10", "VK11", "VK12": a recorded session must replay.
  for (int vk = 1; vk <= 0xFF; ++vk) {
    for (bool held : {false, true}) {
      bool shift = !held;
      EXPECT_EQ(VirtualKeyFromName(KeyName(vk, held), &shift), vk) << KeyName(vk, held);
      EXPECT_EQ(shift, held);
    }
  }
  std::vector<ReplayEvent> events;
  std::string error;
  EXPECT_TRUE(ParseReplay("@1 key Shift+VK10\n@2 key VK12\n", &events, &error)) << error;
  EXPECT_FALSE(ParseReplay("@1 key VKZZ\n", &events, &error));
}

TEST(Replay, BmpOfASurfaceIsBottomUp24Bit) {
  Surface s(3, 2);
  s.Set(0, 0, PackPixel(PixelFormat::Rgb565, 255, 0, 0));
  s.Set(2, 1, PackPixel(PixelFormat::Rgb565, 0, 0, 255));
  std::vector<uint8_t> bmp = SurfaceToBmp24(s);
  ASSERT_EQ(bmp.size(), 54u + 2 * 12);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[28], 24);
  // Bottom row first: its last pixel is blue (B, G, R order).
  EXPECT_EQ(bmp[54 + 6], 255);
  EXPECT_EQ(bmp[54 + 8], 0);
  // Top row's first pixel is red.
  EXPECT_EQ(bmp[54 + 12 + 2], 255);
  EXPECT_EQ(bmp[54 + 12 + 0], 0);
}

TEST(Options, ParsesTheProgramOptions) {
  ProgramOptions o;
  std::string error;
  ASSERT_TRUE(ParseProgramOptions(
      {"--data", "g", "--fullscreen", "--scale", "2", "--pixel-format", "555", "--no-sound",
       "--trace", "--headless", "--replay", "r", "--record", "w", "--out", "o"},
      &o, &error))
      << error;
  EXPECT_EQ(o.dataDir, "g");
  EXPECT_TRUE(o.fullscreen);
  EXPECT_EQ(o.scale, 2);
  EXPECT_EQ(o.pixelFormat, PixelFormat::Rgb555);
  EXPECT_TRUE(o.noSound && o.trace && o.headless);
  EXPECT_EQ(o.replayFile, "r");
  EXPECT_EQ(o.recordFile, "w");
  EXPECT_EQ(o.outDir, "o");

  ProgramOptions bad;
  EXPECT_FALSE(ParseProgramOptions({"--scale", "0"}, &bad, &error));
  EXPECT_FALSE(ParseProgramOptions({"--pixel-format", "888"}, &bad, &error));
  EXPECT_FALSE(ParseProgramOptions({"--data"}, &bad, &error));
  EXPECT_FALSE(ParseProgramOptions({"--replay", "r"}, &bad, &error));  // needs --headless
  EXPECT_FALSE(ParseProgramOptions({"--bogus"}, &bad, &error));
}

TEST(Json, NestsAndEscapesAndConvertsGbk) {
  JsonWriter j;
  j.BeginObject();
  j.Member("a", int32_t{1});
  j.Key("list").BeginArray();
  j.String("q\"\\\n");
  j.Bool(true);
  j.EndArray();
  j.Key("empty").BeginObject();
  j.EndObject();
  j.Member("gbk", std::string("\xC4\xE3"));  // 你
  j.EndObject();
  EXPECT_EQ(j.Text(),
            "{\n  \"a\": 1,\n  \"list\": [\n    \"q\\\"\\\\\\n\",\n    true\n  ],\n"
            "  \"empty\": {},\n  \"gbk\": \"\xE4\xBD\xA0\"\n}");
}

}  // namespace
}  // namespace isora
