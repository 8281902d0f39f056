// isora-kit check: every kind of broken reference a game source can hold is reported with its
// file and line, starting from the new-game template (which itself checks clean).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>

#include "kit_runner.h"
#include "lib/game_check.h"

namespace isora {
namespace {

using demo::CheckGameSource;
using demo::CheckIssue;
using demo::CheckReport;
using kit_test::Edit;
using kit_test::LineOf;
using kit_test::RunKit;

class KitCheck : public testing::Test {
 protected:
  void SetUp() override {
    const kit_test::KitResult r = RunKit("new game");
    ASSERT_EQ(r.status, 0) << r.err;
  }

  // The issue the checker reports at file:line whose message holds `words`.
  static ::testing::AssertionResult Reported(const CheckReport& report, const std::string& file,
                                             int line, const std::string& words) {
    for (const CheckIssue& i : report.issues)
      if (i.error && i.file == file && i.line == line && i.message.find(words) != std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "no error at " << file << ":" << line << " saying \"" << words << "\"; got:\n"
           << report.Format();
  }

  static CheckReport Check() { return CheckGameSource("game"); }

  kit_test::KitFolder dir_;
};

TEST_F(KitCheck, TheNewGameTemplateIsClean) {
  const CheckReport report = Check();
  EXPECT_EQ(report.issues.size(), 0u) << report.Format();
  const kit_test::KitResult r = RunKit("check game");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "0 errors, 0 warnings\n");
}

TEST_F(KitCheck, ScriptsNamedByRolesCellsAndIniMustExist) {
  Edit("game/data/npc.json", "\"portrait\": \"elder.bmp\"",
       "\"portrait\": \"elder.bmp\", \"clickScript\": \"elder_talk.gsp\"");
  Edit("game/data/npc.json", "\"drop4\": \"Wolf Pelt\"",
       "\"drop4\": \"Wolf Pelt\", \"deathScript\": \"wolf_dead.gsp\"");
  Edit("game/ini/scripts.ini", "1=sign.gsp", "1=sign.gsp\n2=gate.gsp");
  const CheckReport report = Check();
  EXPECT_TRUE(Reported(report, "data/npc.json", LineOf("game/data/npc.json", "elder_talk"),
                       "clickScript \"elder_talk.gsp\" is not a script"));
  EXPECT_TRUE(Reported(report, "data/npc.json", LineOf("game/data/npc.json", "wolf_dead"),
                       "deathScript \"wolf_dead.gsp\""));
  EXPECT_TRUE(Reported(report, "ini/scripts.ini", LineOf("game/ini/scripts.ini", "2=gate"),
                       "\"gate.gsp\" is not a script"));
  EXPECT_EQ(report.Errors(), 3) << report.Format();
  // The kit refuses to build it and says why.
  const kit_test::KitResult r = RunKit("build game out");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("data/npc.json:"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("3 errors"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists("out/game.ini"));
}

TEST_F(KitCheck, StartAndScriptMapsMustBeBuilt) {
  Edit("game/scripts/main.gsp", "LoadInitialMap(village.map,", "LoadInitialMap(vilage.map,");
  Edit("game/scripts/sign.gsp", "ShowTip(\"To the pond.\")",
       "ShowTip(\"To the pond.\")\nChangeMap(pond.map,1,1,1)");
  const CheckReport report = Check();
  EXPECT_TRUE(Reported(report, "scripts/main.gsp", 3, "map \"vilage.map\" is not built"));
  EXPECT_TRUE(Reported(report, "scripts/sign.gsp", 3, "ChangeMap: map \"pond.map\""));
}

TEST_F(KitCheck, AnimationsFacesItemPicturesAndIconsMustExist) {
  Edit("game/data/npc.json", "\"animationFile\": \"wolf.pmg\"", "\"animationFile\": \"wolf2.pmg\"");
  Edit("game/data/npc.json", "\"portrait\": \"elder.bmp\"", "\"portrait\": \"eldr.bmp\"");
  Edit("game/data/items.json", "\"picture\": \"sword_wood.bmp\"", "\"picture\": \"sword.bmp\"");
  Edit("game/data/skills.json", "\"icon\": \"icon_bite.bmp\"", "\"icon\": \"icon_fang.bmp\"");
  Edit("game/scripts/main.gsp", "\"elder.bmp\")", "\"elders.bmp\")");
  Edit("game/ini/menu.ini", "bgpic=ui\\gamemenu.bmp", "bgpic=ui\\game_menu.bmp");
  const CheckReport report = Check();
  EXPECT_TRUE(Reported(report, "data/npc.json", LineOf("game/data/npc.json", "wolf2"),
                       "animation file \"wolf2.pmg\""));
  EXPECT_TRUE(Reported(report, "data/npc.json", LineOf("game/data/npc.json", "eldr.bmp"),
                       "portrait \"eldr.bmp\" is not in the face pack"));
  EXPECT_TRUE(Reported(report, "data/items.json", LineOf("game/data/items.json", "sword.bmp"),
                       "picture \"sword.bmp\" is not in the items pack"));
  EXPECT_TRUE(Reported(report, "data/skills.json", LineOf("game/data/skills.json", "icon_fang"),
                       "icon \"icon_fang.bmp\""));
  EXPECT_TRUE(Reported(report, "scripts/main.gsp", 4, "portrait \"elders.bmp\""));
  EXPECT_TRUE(Reported(report, "ini/menu.ini", LineOf("game/ini/menu.ini", "game_menu"),
                       "picture \"ui\\game_menu.bmp\" is not in the ui pack"));
  EXPECT_EQ(report.Errors(), 6) << report.Format();
}

TEST_F(KitCheck, NamesUsedInScriptsMustBeDefined) {
  test::WriteFile("game/scripts/quest.gsp",
                  "// names that no table defines\n"
                  "SetInt(state,0)\n"
                  "AddPlayerItem(Wooden Swrd,1)\n"
                  "RemovePlayerItem(Red Potion,1)\n"
                  "AddSkill(Fireball)\n"
                  "AddNPC(Elder Maren,3,3)\n"
                  "CheckMission(Wolf Hunt,state)\n"
                  "AddMission(Pelts,\"Bring pelts\",0,Wolf Fur,3,1,0)\n"
                  "AddMission(Hunt,\"Kill the wolf\",1,Wolf,1,1,0)\n"
                  "CheckMission(Hunt,state)\n"
                  "end\n");
  const CheckReport report = Check();
  EXPECT_TRUE(Reported(report, "scripts/quest.gsp", 3, "no item named \"Wooden Swrd\""));
  EXPECT_TRUE(Reported(report, "scripts/quest.gsp", 5, "no skill named \"Fireball\""));
  EXPECT_TRUE(Reported(report, "scripts/quest.gsp", 6, "no role named \"Elder Maren\""));
  EXPECT_TRUE(Reported(report, "scripts/quest.gsp", 7, "mission named \"Wolf Hunt\""));
  EXPECT_TRUE(Reported(report, "scripts/quest.gsp", 8, "\"Wolf Fur\" is no item"));
  // Red Potion, Wolf and the Hunt mission exist.
  EXPECT_EQ(report.Errors(), 5) << report.Format();
}

TEST_F(KitCheck, MapCellsStartCellsAndExitsMustFitTheTables) {
  // Ground tile 15 of the path type (which has 8 pictures), tile type 4 (tiles.ini has 3), an
  // exit id and a script id that no index names.
  Edit("game/maps/village.tmj", "\"value\": 2\n", "\"value\": 4\n");
  Edit("game/ini/tiles.ini", "piccount=12", "piccount=5");
  Edit("game/ini/maps.ini", "1=village.map", "1=village.map\n2=cave.map");
  Edit("game/scripts/main.gsp", "LoadInitialMap(village.map,8,8,5)",
       "LoadInitialMap(village.map,13,13,5)\nChangeMap(village.map,20,2,1)");
  const CheckReport report = Check();
  const int ground = LineOf("game/maps/village.tmj", "\"ground\"");
  EXPECT_TRUE(Reported(report, "maps/village.tmj", ground, "tile type 4"));
  EXPECT_TRUE(Reported(report, "maps/village.tmj", ground, "beyond its 5 pictures"));
  EXPECT_TRUE(Reported(report, "ini/maps.ini", LineOf("game/ini/maps.ini", "2=cave"),
                       "map \"cave.map\" is not built"));
  EXPECT_TRUE(
      Reported(report, "scripts/main.gsp", 3, "cell (13, 13) of maps/village.tmj is blocked"));
  EXPECT_TRUE(Reported(report, "scripts/main.gsp", 4, "cell (20, 2) is outside"));
}

TEST_F(KitCheck, CellIdsMustBeInTheIndexesAndTheMapStartMustBeFree) {
  // Script id 1 and exit id 1 are the template's; make the map use ids 9 and 7 instead, and
  // start it on the pond.
  Edit("game/maps/village.tmj", "\"name\": \"startX\",\n   \"type\": \"int\",\n   \"value\": 8",
       "\"name\": \"startX\",\n   \"type\": \"int\",\n   \"value\": 12");
  Edit("game/maps/village.tmj", "\"name\": \"startY\",\n   \"type\": \"int\",\n   \"value\": 8",
       "\"name\": \"startY\",\n   \"type\": \"int\",\n   \"value\": 12");
  Edit("game/ini/scripts.ini", "1=sign.gsp", "2=sign.gsp");
  const CheckReport report = Check();
  EXPECT_TRUE(Reported(report, "maps/village.tmj", LineOf("game/maps/village.tmj", "startX"),
                       "the start cell: cell (12, 12) of maps/village.tmj is blocked"));
  EXPECT_TRUE(Reported(report, "maps/village.tmj", LineOf("game/maps/village.tmj", "script\""),
                       "script id 1 (first at cell (10, 8)) is not in ini/scripts.ini"));
}

TEST_F(KitCheck, EveryScriptIsCheckedAsTheGameReadsIt) {
  test::WriteFile("game/scripts/sign.gsp",
                  "// a comment line\n"
                  "\n"
                  "SetInt(a,1)\n"
                  "if (a==1)\n"
                  "ShowTip(\"x\")\n"
                  "endif\n");
  const CheckReport report = Check();
  EXPECT_TRUE(Reported(report, "scripts/sign.gsp", 4, "unknown command"));
  EXPECT_TRUE(Reported(report, "scripts/sign.gsp", 6, "does not end with an end or exit"));
}

TEST_F(KitCheck, JsonSourcesRejectUnknownFieldsSyntaxErrorsAndNonGbkText) {
  Edit("game/data/npc.json", "\"talkMode\": 3", "\"talkMode\": 3,\n      \"talkmode\": 1");
  Edit("game/roles/roles.json", "\"file\": \"wolf.pmg\"", "\"file\": \"wolf.pmg\", \"speed\": 2");
  Edit("game/data/items.json", "A small flask of red tonic.", "A small flask of red tonic ☃.");
  Edit("game/data/skills.json", "\"kind\": \"skills\",", "\"kind\": \"skills\"");
  const CheckReport report = Check();
  EXPECT_TRUE(Reported(report, "data/npc.json", LineOf("game/data/npc.json", "\"talkmode\""),
                       "unknown field \"talkmode\" in record 2"));
  EXPECT_TRUE(Reported(report, "roles/roles.json", LineOf("game/roles/roles.json", "speed"),
                       "unknown field \"speed\""));
  EXPECT_TRUE(
      Reported(report, "data/items.json", LineOf("game/data/items.json", "☃"), "no GBK form"));
  // The syntax error: the missing comma is found where the next member starts.
  const int next = LineOf("game/data/skills.json", "\"records\"");
  EXPECT_TRUE(Reported(report, "data/skills.json", next,
                       "not valid JSON: line " + std::to_string(next) + ", column"));
}

TEST_F(KitCheck, ATitleWiderThanTheTitleScreenIsReported) {
  Edit("game/art/art.json", "\"title\": \"MY GAME\"", "\"title\": \"THE LONG ROAD\"");
  const CheckReport report = Check();
  EXPECT_TRUE(
      Reported(report, "art/art.json", LineOf("game/art/art.json", "THE LONG ROAD"),
               "is 924 pixels wide; the title and splash screens hold 640 (at most 9 characters)"));
  Edit("game/art/art.json", "\"title\": \"THE LONG ROAD\"", "\"title\": \"THE ROAD\"");
  EXPECT_EQ(Check().Errors(), 0) << Check().Format();
}

TEST_F(KitCheck, HandDrawnArtThatReplacesNothingIsWarnedAboutAndBrokenArtIsAnError) {
  test::WriteFile("game/art/face/eldr.bmp", "BM");
  test::WriteFile("game/art/face/elder.png", "not a png");
  const CheckReport report = Check();
  EXPECT_EQ(report.Warnings(), 1) << report.Format();
  EXPECT_EQ(report.Errors(), 1) << report.Format();
  bool named = false;
  for (const CheckIssue& i : report.issues)
    named |= i.file == "art/face/elder.png" && i.message.find("PNG") != std::string::npos;
  EXPECT_TRUE(named) << report.Format();
}

TEST_F(KitCheck, ValuesOfTheWrongTypeAreReportedNotFatal) {
  Edit("game/data/npc.json", "\"roleName\": \"Wolf\"", "\"roleName\": 7");
  Edit("game/maps/village.tmj", "\"width\": 16", "\"width\": \"16\"");
  const CheckReport report = Check();
  EXPECT_GT(report.Errors(), 0) << report.Format();
  bool named = false;
  for (const CheckIssue& i : report.issues)
    named |= i.file == "maps/village.tmj" && i.message.find("wrong type") != std::string::npos;
  EXPECT_TRUE(named) << report.Format();
  const kit_test::KitResult r = RunKit("build game out");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("the game was not built"), std::string::npos) << r.err;
}

// A translation's mistakes show before the game quietly keeps its built-in texts.
TEST_F(KitCheck, StringsMustNameTheEngineTextsAndKeepTheirValues) {
  test::WriteFile("game/ini/strings.ini",
                  "[strings]\n"
                  "message.feud=Now the %s hate me.\n"
                  "note.feud=The %s hate me.\n"
                  "message.levelup=Up!\n"
                  "result.score=Score %s\n");
  const CheckReport report = Check();
  EXPECT_TRUE(Reported(report, "ini/strings.ini", 3,
                       "note.feud takes the values \"s\" where "
                       "the game gives \"ss\""));
  EXPECT_TRUE(Reported(report, "ini/strings.ini", 5, "result.score takes the values \"s\""));
  bool warned = false;
  for (const CheckIssue& i : report.issues)
    warned |= !i.error && i.line == 4 && i.message.find("message.levelup") != std::string::npos;
  EXPECT_TRUE(warned) << report.Format();
  for (const CheckIssue& i : report.issues)
    EXPECT_NE(i.line == 2 && i.file == "ini/strings.ini", true) << i.message;
}

TEST_F(KitCheck, GeneratedFileNamesThatLeaveTheOutputAreReportedAndNeverBuilt) {
  const std::array<const char*, 4> cases[] = {
      {"audio/sounds.json", "\"button_over.wav\"", "\"../../ESCAPED-sound.wav\"", "sound"},
      {"roles/roles.json", "\"file\": \"elder.pmg\"", "\"file\": \"../../ESC.pmg\"", "role set"},
      {"maps/village.tmj", "\"value\": \"village.map\"", "\"value\": \"../../ESC.map\"", "map"},
      {"ini/game.ini", "ini=data\\ini.epk", "ini=..\\..\\ESC.epk", "package ini"}};
  for (const auto& [file, from, to, what] : cases) {
    const std::string path = std::string("game/") + file;
    const std::string original = test::ReadFile(path);
    Edit(path, from, to);
    EXPECT_TRUE(Reported(Check(), file, LineOf(path, "ESC"), std::string(what) + " "));
    const kit_test::KitResult r = RunKit("build game out --no-check");
    EXPECT_NE(r.status, 0) << file;
    EXPECT_NE(r.err.find(file), std::string::npos) << r.err;
    for (const auto& e : std::filesystem::directory_iterator("."))
      EXPECT_FALSE(e.path().filename().string().starts_with("ESC")) << e.path();
    test::WriteFile(path, original);
  }
}

}  // namespace
}  // namespace isora

namespace isora {
namespace {

// A role stands one row and one column up from the cell it is placed on (for most pictures):
// check names the places that trap the player there, and map info says where each stands.
TEST(KitPlacement, StartsOnExitsAndFeetInsideAnotherRoleAreWarnedAbout) {
  kit_test::KitFolder dir;
  ASSERT_EQ(kit_test::RunKit("new game").status, 0);
  nlohmann::json map = nlohmann::json::parse(test::ReadFile("game/maps/village.tmj"));
  for (auto& layer : map["layers"]) {
    // An exit where the player placed on the start cell (8, 8) stands: Tiled (7, 7).
    if (layer["name"] == "exit") layer["data"][7 * 16 + 7] = 28;
    if (layer["name"] == "roles")
      for (auto& o : layer["objects"])
        if (o["name"] == "Wolf") o["x"] = 272, o["y"] = 176;  // cell (8, 5), up-left of the Elder
  }
  test::WriteFile("game/maps/village.tmj", map.dump(1));
  const demo::CheckReport report = demo::CheckGameSource("game");
  EXPECT_EQ(report.Errors(), 0) << report.Format();
  EXPECT_EQ(report.Warnings(), 3) << report.Format();
  const std::string text = report.Format();
  for (const char* words :
       {"maps/village.tmj:", "the start cell: the player placed on (8, 8) stands on (7, 7)",
        "scripts/main.gsp:3: warning: LoadInitialMap: the player placed on (8, 8) stands on (7, 7)",
        "an exit and sends the player on at once",
        "Wolf placed on (8, 5) has its feet inside the picture of Elder placed on (9, 6)"})
    EXPECT_NE(text.find(words), std::string::npos) << words << "\n" << text;
  ASSERT_EQ(kit_test::RunKit("build game out").status, 0);
  const kit_test::KitResult info = kit_test::RunKit("map info out/map/village.map");
  EXPECT_NE(info.out.find("record 1 (Elder) at row 9 column 6, stands on row 8 column 5"),
            std::string::npos)
      << info.out;
  // A beast's wide, low picture moves it less: the wolf stands on its placed row.
  EXPECT_NE(info.out.find("record 2 (Wolf) at row 8 column 5, stands on row 8 column 4"),
            std::string::npos)
      << info.out;
}

}  // namespace
}  // namespace isora
