// Every replay file kept with the tests is played by the isora program, headless, on the demo;
// the "# expect" lines of the file are checked against the state dumps it wrote.
#include <sys/wait.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "demo_session.h"
#include "replay_expect.h"
#include "shell/replay.h"

namespace isora::e2e {
namespace {

std::filesystem::path ReplayDir() {
  if (const char* root = std::getenv("ISORA_SOURCE_DIR"); root && *root) {
    return std::filesystem::path(root) / "tests" / "e2e" / "replays";
  }
  return std::filesystem::absolute(std::filesystem::path(__FILE__).parent_path() / "replays");
}

std::vector<std::string> ReplayNames() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(ReplayDir(), ec)) {
    if (entry.path().extension() == ".replay") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class ReplayFile : public testing::TestWithParam<std::string> {};

TEST_P(ReplayFile, PlaysThroughTheProgramAsItExpects) {
  const std::filesystem::path replay = ReplayDir() / (GetParam() + ".replay");
  const std::string text = ReadText(replay);
  std::vector<ReplayEvent> events;
  std::vector<ReplayExpectation> expectations;
  std::string error;
  ASSERT_TRUE(ParseReplay(text, &events, &error)) << error;
  ASSERT_TRUE(ParseExpectations(text, &expectations, &error)) << error;
  ASSERT_FALSE(expectations.empty()) << "a replay kept with the tests says what it expects";

  // A fresh game folder state (no saves, no screenshots) and a fresh folder for the dumps.
  const std::string& demo = DemoFolder();
  ASSERT_FALSE(demo.empty());
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::path(demo) / "saves", ec);
  std::filesystem::remove_all(std::filesystem::path(demo) / "screenshot", ec);
  const std::filesystem::path work = demo + "-replay-" + GetParam();
  std::filesystem::remove_all(work, ec);
  std::filesystem::create_directories(work);

  const std::string log = (work / "isora.log").string();
  const std::string command = "cd '" + work.string() +
                              "' && '" ISORA_PROGRAM "' --headless --data '" + demo +
                              "' --replay '" + replay.string() + "' >'" + log + "' 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status)) << command;
  EXPECT_EQ(WEXITSTATUS(status), 0) << ReadText(log);

  std::map<std::string, nlohmann::json> dumps;
  for (const ReplayEvent& ev : events) {
    if (ev.kind != ReplayEvent::Kind::kState) continue;
    const std::string content = ReadText(work / ev.path);
    ASSERT_TRUE(nlohmann::json::accept(content)) << "no state dump " << ev.path;
    dumps[ev.path] = nlohmann::json::parse(content);
  }
  for (const ReplayExpectation& e : expectations) {
    std::string why = CheckExpectation(e, [&](const std::string& name) -> const nlohmann::json* {
      auto it = dumps.find(name);
      return it == dumps.end() ? nullptr : &it->second;
    });
    EXPECT_TRUE(why.empty()) << replay.filename().string() << ":" << e.line << ": " << why;
  }
  std::filesystem::remove_all(work, ec);
}

INSTANTIATE_TEST_SUITE_P(Demo, ReplayFile, testing::ValuesIn(ReplayNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

TEST(ReplayFiles, ExpectationsAreReadAndCheckedAsWritten) {
  std::vector<ReplayExpectation> list;
  std::string error;
  ASSERT_TRUE(
      ParseExpectations("@1 state a.json\n"
                        "# a plain comment\n"
                        "# expect a.json /player/money == 100\r\n"
                        "# expect a.json /message/text has \"bag is full\"\n"
                        "# expect b.json /npcs same a.json\n"
                        "# expect a.json /relations/honours has \"Slayer\"\n"
                        "# expect a.json /player/level >= 2\n",
                        &list, &error))
      << error;
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list[0].line, 3);
  EXPECT_EQ(list[0].value, "100");  // the CR of a CR LF file is not part of the value
  const nlohmann::json a = nlohmann::json::parse(
      R"({"player": {"money": 100, "level": 1}, "message": {"text": "My bag is full."},
          "npcs": [1, 2], "relations": {"honours": ["Slayer of Old Tusk"]}})");
  const nlohmann::json b = nlohmann::json::parse(R"({"npcs": [1, 3]})");
  auto dumps = [&](const std::string& name) -> const nlohmann::json* {
    return name == "a.json" ? &a : name == "b.json" ? &b : nullptr;
  };
  EXPECT_EQ(CheckExpectation(list[0], dumps), "");
  EXPECT_EQ(CheckExpectation(list[1], dumps), "");
  EXPECT_NE(CheckExpectation(list[2], dumps), "");  // [1, 3] against [1, 2]
  EXPECT_NE(CheckExpectation(list[3], dumps), "");  // "has" on an array wants an element
  EXPECT_NE(CheckExpectation(list[4], dumps), "");  // level 1
  EXPECT_NE(CheckExpectation({"c.json", "/x", "==", "1", 9}, dumps), "");
  EXPECT_NE(CheckExpectation({"a.json", "/nothing/here", "==", "1", 9}, dumps), "");

  for (const char* bad : {"# expect a.json money == 1", "# expect a.json /x ~ 1",
                          "# expect a.json /x == {oops", "# expect a.json /x =="}) {
    list.clear();
    EXPECT_FALSE(ParseExpectations(bad, &list, &error)) << bad;
    EXPECT_EQ(error.rfind("line 1: bad expectation", 0), 0u) << error;
  }
}

// The scenarios the game must keep playing; each one's replay is kept with the tests.
TEST(ReplayFiles, EveryScenarioHasItsReplay) {
  for (const char* name :
       {"splash_to_menu", "new_game", "walk_and_run", "map_exit", "talk", "shop", "screens",
        "items", "fight", "quest_collect", "save_load", "death", "playthrough"}) {
    EXPECT_TRUE(std::filesystem::exists(ReplayDir() / (std::string(name) + ".replay"))) << name;
  }
}

}  // namespace
}  // namespace isora::e2e

namespace isora::e2e {
namespace {

// A scratch path for a recording, one per test process.
std::string RecordingPath(const std::string& tag) {
  return (std::filesystem::temp_directory_path() /
          ("isora-" + tag + "-" + std::to_string(::getpid())))
      .string();
}

// Records session `d` into `recording` from a new game with its first talk closed.
bool StartRecordedGame(DemoSession& d, ReplayRecorder& recorder, const std::string& recording) {
  if (!recorder.Open(recording)) return false;
  d.game->SetRecorder(&recorder);
  if (!d.NewGame()) return false;
  d.Click(498, 80);
  return true;
}

// Plays a recording back in a fresh session and returns the state dumped on the frame where the
// recording ended (null when it could not be played); removes the recording and the dump.
nlohmann::json PlayRecordingBack(const std::string& recording, int64_t frames) {
  std::vector<ReplayEvent> events;
  std::string error;
  if (!ParseReplay(ReadText(recording), &events, &error)) {
    ADD_FAILURE() << recording << ": " << error;
    return {};
  }
  DemoSession d;
  ReplayEvent dump;
  dump.frame = frames;
  dump.kind = ReplayEvent::Kind::kState;
  // Replay paths are relative to the run's output folder: this one goes beside the recording.
  const std::filesystem::path beside = std::filesystem::path(recording + ".json");
  dump.path = beside.filename().string();
  events.insert(events.end() - 1, dump);
  RunHeadless(*d.game, d.platform, events, 0, beside.parent_path().string());
  std::ifstream dumped(beside);
  nlohmann::json state;
  if (dumped)
    state = nlohmann::json::parse(dumped);
  else
    ADD_FAILURE() << "no state dump at " << beside;
  dumped.close();
  std::filesystem::remove(recording);
  std::filesystem::remove(beside);
  return state;
}

// What a person plays with --record replays to the same game.
TEST(ReplayFiles, ARecordingReplaysToTheSameState) {
  const std::string recording = RecordingPath("rec");
  nlohmann::json played;
  int64_t frames = 0;
  {
    DemoSession d;
    ReplayRecorder recorder;
    ASSERT_TRUE(StartRecordedGame(d, recorder, recording));
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
  const nlohmann::json replayed = PlayRecordingBack(recording, frames);
  EXPECT_EQ(replayed["mode"], played["mode"]);
  EXPECT_EQ(replayed["player"], played["player"]);
  EXPECT_EQ(replayed["npcs"], played["npcs"]);
  EXPECT_EQ(replayed["panelTitle"], played["panelTitle"]);
}

// Pad play recorded on the headless platform replays the same: sticks, buttons and plugging.
TEST(ReplayFiles, APadRecordingReplaysToTheSameState) {
  const std::string recording = RecordingPath("pad");
  nlohmann::json played;
  int64_t frames = 0;
  {
    DemoSession d;
    ReplayRecorder recorder;
    ASSERT_TRUE(StartRecordedGame(d, recorder, recording));
    d.platform.InjectPadConnected(true, 1);
    d.platform.InjectPadAxis(PadAxis::kLeftX, 30000);
    d.platform.InjectPadAxis(PadAxis::kLeftY, -12000);
    d.Step(12);
    d.platform.InjectPadAxis(PadAxis::kLeftX, 0);
    d.platform.InjectPadAxis(PadAxis::kLeftY, 0);
    d.platform.InjectPadAxis(PadAxis::kRightX, -32768);
    d.Step(6);
    d.platform.InjectPadAxis(PadAxis::kRightX, 0);
    d.platform.InjectPadButton(PadButton::kDPadUp, true);  // the attribute panel
    d.platform.InjectPadButton(PadButton::kDPadUp, false);
    d.Step(3);
    played = d.State();
    EXPECT_EQ(played["mode"], "ModeStatusPanel");
    frames = d.game->FramesRun();
    recorder.Quit(frames);
  }
  const std::string text = ReadText(recording);
  EXPECT_NE(text.find("pad axis LeftX 30000"), std::string::npos);
  EXPECT_NE(text.find("pad down Up"), std::string::npos);
  const nlohmann::json replayed = PlayRecordingBack(recording, frames);
  EXPECT_EQ(replayed["mode"], played["mode"]);
  EXPECT_EQ(replayed["player"], played["player"]);
  EXPECT_EQ(replayed["npcs"], played["npcs"]);
}

}  // namespace
}  // namespace isora::e2e
