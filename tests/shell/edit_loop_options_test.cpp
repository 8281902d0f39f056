// The isora program's edit-loop options: where a game starts and what the log mirrors.
#include <gtest/gtest.h>

#include "shell/options.h"

namespace isora {
namespace {

ProgramOptions Parse(std::vector<std::string> args, std::string* error, bool* ok) {
  ProgramOptions o;
  *ok = ParseProgramOptions(args, &o, error);
  return o;
}

TEST(EditLoopOptions, StartTakesAMapAndAnOptionalCell) {
  std::string error;
  bool ok = false;
  ProgramOptions o = Parse({"--start", "town.map"}, &error, &ok);
  ASSERT_TRUE(ok) << error;
  EXPECT_EQ(o.startMap, "town.map");
  EXPECT_EQ(o.startRow, -1);
  EXPECT_EQ(o.startColumn, -1);
  o = Parse({"--start", "town.map:12,30", "--dev", "--log-stderr"}, &error, &ok);
  ASSERT_TRUE(ok) << error;
  EXPECT_EQ(o.startMap, "town.map");
  EXPECT_EQ(o.startRow, 12);
  EXPECT_EQ(o.startColumn, 30);
  EXPECT_TRUE(o.dev);
  EXPECT_TRUE(o.logStderr);
  for (const char* bad : {"town.map:12", "town.map:a,b", "town.map:1,2,3", ":1,2", "t.map:-1,2"}) {
    Parse({"--start", bad}, &error, &ok);
    EXPECT_FALSE(ok) << bad;
  }
}

TEST(EditLoopOptions, LoadSlotIsOneOfTheSixSlotsAndNotWithStart) {
  std::string error;
  bool ok = false;
  ProgramOptions o = Parse({"--load-slot", "6", "--skip-splash"}, &error, &ok);
  ASSERT_TRUE(ok) << error;
  EXPECT_EQ(o.loadSlot, 6);
  EXPECT_TRUE(o.skipSplash);
  for (const char* bad : {"0", "7", "12", "x"}) {
    Parse({"--load-slot", bad}, &error, &ok);
    EXPECT_FALSE(ok) << bad;
  }
  Parse({"--load-slot", "1", "--start", "town.map"}, &error, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(error, "--start and --load-slot cannot be used together");
}

}  // namespace
}  // namespace isora

namespace isora {
namespace {

// A replay keeps the options that decide how play starts; only those, whoever wrote the file.
TEST(ReplayStartOptions, TheOptionsLineHoldsOnlyStartOptions) {
  const struct {
    const char* text;
    bool ok;
    std::vector<std::string> words;
  } cases[] = {
      {"# isora replay\n@0 quit\n", true, {}},
      {"# options --skip-splash\n@0 quit\n", true, {"--skip-splash"}},
      {"#options --dev\n", true, {}},  // not the options line: a comment
      {"# options --start town.map:3,4 --dev\r\n", true, {"--start", "town.map:3,4", "--dev"}},
      {"# options --load-slot 2\n", true, {"--load-slot", "2"}},
      {"# options --save-dir /tmp\n", false, {}},
      {"# options --data elsewhere\n", false, {}},
      {"# options --record r.replay\n", false, {}},
      {"# options --start\n", false, {}},
      {"# options --dev --skip-splash\n", false, {}},  // the order the recorder writes
      {"# options --start a.map --load-slot 1\n", false, {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> words;
    std::string error;
    EXPECT_EQ(ReplayOptionWords(c.text, &words, &error), c.ok) << c.text << error;
    if (c.ok) {
      EXPECT_EQ(words, c.words) << c.text;
    } else {
      EXPECT_NE(error.find("line 1"), std::string::npos) << error;
    }
  }
  // What the recorder writes reads back as the same options.
  ProgramOptions o;
  std::string error;
  ASSERT_TRUE(ParseProgramOptions({"--start", "a.map:1,2", "--dev", "--no-sound"}, &o, &error));
  std::string line = "# options";
  for (const std::string& w : StartOptionWords(o)) line += " " + w;
  std::vector<std::string> words;
  ASSERT_TRUE(ReplayOptionWords(line + "\n", &words, &error)) << error;
  EXPECT_EQ(words, (std::vector<std::string>{"--start", "a.map:1,2", "--dev"}));
}

}  // namespace
}  // namespace isora
