// The replay files kept with the tests play through the same runner as `isora --headless`.
#include <fstream>
#include <sstream>

#include "demo_session.h"
#include "shell/replay.h"

namespace isora::e2e {
namespace {

std::string ReplayPath(const std::string& name) {
  if (const char* root = std::getenv("ISORA_SOURCE_DIR"); root && *root) {
    return (std::filesystem::path(root) / "tests" / "e2e" / "replays" / name).string();
  }
  return std::filesystem::absolute(std::filesystem::path(__FILE__).parent_path() / "replays" / name)
      .string();
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

namespace isora::e2e {
namespace {

// What a person plays with --record replays to the same game.
TEST(ReplayFiles, ARecordingReplaysToTheSameState) {
  const std::string recording =
      (std::filesystem::temp_directory_path() / ("isora-rec-" + std::to_string(::getpid())))
          .string();
  nlohmann::json played;
  int64_t frames = 0;
  {
    DemoSession d;
    ReplayRecorder recorder;
    ASSERT_TRUE(recorder.Open(recording));
    d.game->SetRecorder(&recorder);
    ASSERT_TRUE(d.NewGame());
    d.Click(498, 80);
    d.Move(400, 300);
    d.platform.InjectButton(MouseButton::Right, true);
    d.Step(10);
    d.platform.InjectButton(MouseButton::Right, false);
    d.Step(30);
    d.Key(kVkF1 + 1);
    d.Step(3);
    played = d.State();
    frames = d.game->FramesRun();
    recorder.Quit(frames);
  }
  std::ifstream in(recording);
  std::stringstream text;
  text << in.rdbuf();
  std::vector<ReplayEvent> events;
  std::string error;
  ASSERT_TRUE(ParseReplay(text.str(), &events, &error)) << error;
  DemoSession d;
  // State dumps are taken where the recording ended.
  ReplayEvent dump;
  dump.frame = frames;
  dump.kind = ReplayEvent::Kind::kState;
  dump.path = "replayed.json";
  events.insert(events.end() - 1, dump);
  RunHeadless(*d.game, d.platform, events);
  std::ifstream dumped("replayed.json");
  ASSERT_TRUE(dumped);
  nlohmann::json replayed = nlohmann::json::parse(dumped);
  EXPECT_EQ(replayed["mode"], played["mode"]);
  EXPECT_EQ(replayed["player"], played["player"]);
  EXPECT_EQ(replayed["npcs"], played["npcs"]);
  EXPECT_EQ(replayed["panelTitle"], played["panelTitle"]);
  std::filesystem::remove(recording);
}

}  // namespace
}  // namespace isora::e2e
