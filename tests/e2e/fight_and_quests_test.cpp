// Fighting a role to its death with the held left button, and the three kinds of mission from
// their start to their reward.
#include "demo_session.h"
#include "shell/game_world.h"

namespace isora::e2e {
namespace {

using nlohmann::json;

// Plays the script and clicks its talks away (answering Yes to questions) until it ends.
void RunScript(DemoSession& d, const std::string& script) {
  d.game->RunScriptFile(script, false);
  for (int i = 0; i < 30; ++i) {
    json s = d.State();
    if (s["mode"] == "ModeTalk") {
      d.Click(195, 282);  // Yes on a question; any click closes a plain talk
      d.Step(2);
      continue;
    }
    if (s["script"].is_null()) break;
    d.Step();
  }
}

void ToMap(DemoSession& d, const std::string& map) {
  d.game->Scripting().ChangeMap(map, -1, -1, 5);
  ASSERT_TRUE(
      d.Until([](const json& s) { return s["mode"] == "ModePlay" && s["fadePhase"] == 2; }, 120));
}

// Kills the named role by holding the left button on it; true when it died.
bool Kill(DemoSession& d, const std::string& name) {
  GameWorld& w = d.game->World();
  CRoleNPC* target = nullptr;
  for (int i = 1; i <= w.NpcCount(); ++i) {
    if (w.Npc(i) && w.Npc(i)->RoleName() == name) target = w.Npc(i);
  }
  if (!target) return false;
  int killed = d.State()["killedEnemies"];
  // Stand beside it, strong enough to end the fight quickly.
  d.game->Scripting().AddAttack(5000);
  d.game->Scripting().AddHitRate(1000);
  d.game->Scripting().AddHPLimit(100000);
  d.game->Scripting().AddHP(100000);
  w.player->SetPosition(target->X() - 40, target->Y());
  w.player->Stand();
  d.Step(2);
  for (int i = 0; i < 600; ++i) {
    json s = d.State();
    if (s["killedEnemies"].get<int>() > killed) return true;
    bool found = false;
    for (const auto& n : s["npcs"]) {
      if (n["name"] != name) continue;
      found = true;
      int sx = n["x"].get<int>() - s["camera"]["x"].get<int>();
      int sy = n["y"].get<int>() - s["camera"]["y"].get<int>();
      d.Move(sx, sy);
    }
    if (!found) return false;
    if (!d.platform.IsMouseButtonDown(MouseButton::Left)) {
      d.platform.InjectButton(MouseButton::Left, true);
    }
    d.Step();
  }
  return false;
}

TEST(Fight, HoldingTheLeftButtonKillsARoleAndCountsIt) {
  DemoSession d;
  ASSERT_TRUE(d.NewGame());
  d.Click(498, 80);
  ToMap(d, "wild.map");
  json s = d.State();
  ASSERT_EQ(s["map"]["file"], "wild.map");
  std::string name;
  for (const auto& n : s["npcs"]) {
    if (n["kind"] == 1 && n["name"] != "Old Tusk") {
      name = n["name"];
      break;
    }
  }
  ASSERT_FALSE(name.empty());
  int exp = s["player"]["exp"], level = s["player"]["level"];
  ASSERT_TRUE(Kill(d, name)) << name;
  d.platform.InjectButton(MouseButton::Left, false);
  s = d.State();
  EXPECT_EQ(s["killedEnemies"], 1);
  EXPECT_TRUE(s["player"]["exp"].get<int>() > exp || s["player"]["level"].get<int>() > level);
  // Kind 1 roles are wicked: killing one raises morality by 5.
  EXPECT_EQ(s["player"]["moral"], 55 + 5);
}

TEST(Quests, CollectingKillingNamedAndKillingAnyFromStartToReward) {
  DemoSession d;
  ASSERT_TRUE(d.NewGame());
  d.Click(498, 80);

  // Collecting: Ione asks for three Moonpetals.
  RunScript(d, "q_herbs.gsp");
  json s = d.State();
  ASSERT_FALSE(s["missions"].empty());
  EXPECT_EQ(s["missions"][0]["name"], "Moonpetal");
  EXPECT_EQ(s["missions"][0]["count"], 0);
  d.game->Scripting().AddPlayerItem("Moonpetal", 3);
  EXPECT_EQ(d.State()["missions"][0]["count"], 3);
  int money = d.State()["player"]["money"];
  RunScript(d, "q_herbs.gsp");
  s = d.State();
  EXPECT_EQ(s["player"]["money"], money + 150);
  EXPECT_EQ(s["relations"]["love"]["Ione"], 10);
  EXPECT_EQ(s["relations"]["honours"][0], "Ione's helper: brought her three Moonpetals");

  // Killing a named role: Bram's Old Tusk, with the completion flag.
  RunScript(d, "q_tusk.gsp");
  ASSERT_EQ(d.game->Scripting().CheckMission("Old Tusk"), 0);
  // Killing any: Captain Hale's patrol counts every kill.
  RunScript(d, "q_patrol.gsp");
  ASSERT_EQ(d.game->Scripting().CheckMission("Patrol"), 0);
  ToMap(d, "wild.map");
  ASSERT_TRUE(Kill(d, "Old Tusk"));
  d.platform.InjectButton(MouseButton::Left, false);
  // Old Tusk always drops his tusk: exactly one item where he fell.
  s = d.State();
  ASSERT_EQ(s["groundItems"].size(), 1u);
  EXPECT_EQ(s["groundItems"][0]["name"], "Great Tusk");
  d.Step(2);
  EXPECT_EQ(d.game->Scripting().GetMissionObjCount("Old Tusk"), 1);
  EXPECT_EQ(d.game->Scripting().GetMissionObjCount("Patrol"), 1);
  // An item given by a script counts for a classic game's "kill any" missions as a kill does.
  d.Switch(Enhancement::kKillsOnlyKills, false);
  d.game->Scripting().AddPlayerItem("Moonpetal", 1);
  EXPECT_EQ(d.game->Scripting().GetMissionObjCount("Patrol"), 2);
  money = d.State()["player"]["money"];
  RunScript(d, "q_tusk.gsp");
  s = d.State();
  EXPECT_EQ(s["player"]["money"], money + 250);
  bool slayer = false;
  for (const auto& h : s["relations"]["honours"]) slayer |= h == "Slayer of Old Tusk";
  EXPECT_TRUE(slayer);
}

}  // namespace
}  // namespace isora::e2e

namespace isora::e2e {
namespace {

TEST(Fight, KillingAFactionMemberPastFiftyStartsAFeud) {
  DemoSession d;
  ASSERT_TRUE(d.NewGame());
  d.Click(498, 80);
  ToMap(d, "wild.map");
  d.game->Scripting().AddFactionEnmity("Red Fang", 40);
  ASSERT_TRUE(Kill(d, "Bandit"));
  d.platform.InjectButton(MouseButton::Left, false);
  json s = d.State();
  EXPECT_EQ(s["relations"]["enmity"]["Red Fang"], 60);
  // In the demo's words (its strings.ini); the built-in texts are checked in game_texts_test.
  EXPECT_NE(s["message"]["text"].get<std::string>().find(
                "The Red Fang are my enemies now. I must be on my guard."),
            std::string::npos);
  ASSERT_FALSE(s["relations"]["notes"].empty());
  EXPECT_EQ(s["relations"]["notes"][0].get<std::string>().rfind(
                "* I made enemies of the <2Red Fang/>. The Red Fang will come after me", 0),
            0u);
}

TEST(Fight, TheBossDeathIsRememberedAndItsScriptEndsTheGame) {
  DemoSession d;
  ASSERT_TRUE(d.NewGame());
  d.Click(498, 80);
  ToMap(d, "crypt.map");
  ASSERT_TRUE(Kill(d, "Ember Lord"));
  d.platform.InjectButton(MouseButton::Left, false);
  json s = d.State();
  EXPECT_EQ(s["relations"]["vip"]["Ember Lord"], 1);
  // The death script talks, then shows the result screen.
  for (int i = 0; i < 40 && d.State()["mode"] != "ModeGameOver"; ++i) {
    if (d.State()["mode"] == "ModeTalk") d.Click(320, 240);
    d.Step();
  }
  s = d.State();
  EXPECT_EQ(s["mode"], "ModeGameOver");
  EXPECT_GT(s["score"].get<int>(), 0);
}

}  // namespace
}  // namespace isora::e2e
