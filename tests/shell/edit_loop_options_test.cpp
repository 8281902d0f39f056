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
