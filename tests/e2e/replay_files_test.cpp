// The replay files kept with the tests play through the same runner as `isora --headless`.
#include <fstream>
#include <sstream>

#include "demo_session.h"
#include "shell/replay.h"

namespace isora::e2e {
namespace {

std::string ReplayPath(const std::string& name) {
  return (std::filesystem::path(__FILE__).parent_path() / "replays" / name).string();
}

TEST(ReplayFiles, NewGameReplayEndsOnThePlayScreen) {
  DemoSession d;
  ASSERT_TRUE(d.ok);
  std::ifstream in(ReplayPath("new_game.replay"));
  ASSERT_TRUE(in) << ReplayPath("new_game.replay");
  std::stringstream text;
  text << in.rdbuf();
  std::vector<ReplayEvent> events;
  std::string error;
  ASSERT_TRUE(ParseReplay(text.str(), &events, &error)) << error;
  std::filesystem::remove("new_game.json");
  HeadlessRunResult r = RunHeadless(*d.game, d.platform, events);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.errors.empty());
  EXPECT_EQ(r.frames, 411);  // the quit at @411 is taken before another frame
  std::ifstream dump("new_game.json");
  ASSERT_TRUE(dump);
  nlohmann::json s = nlohmann::json::parse(dump);
  EXPECT_EQ(s["mode"], "ModePlay");
  EXPECT_EQ(s["map"]["name"], "Willowmere");
  EXPECT_EQ(s["openPanel"], 0);
  EXPECT_EQ(s["player"]["moral"], 55);
  EXPECT_TRUE(std::filesystem::exists("attribute_panel.bmp"));
}

}  // namespace
}  // namespace isora::e2e
