#include "lib/save_json.h"

#include <gtest/gtest.h>

#include "save/save_file.h"

namespace isora {
namespace {

using Json = nlohmann::ordered_json;

TEST(SaveJson, EveryFieldSurvivesDumpAndBuild) {
  SaveData d;
  d.timeStamp = "2026/12/7-28:0:0";
  for (size_t i = 0; i < d.mapHeader.size(); ++i) d.mapHeader[i] = static_cast<uint8_t>(i % 7 + 1);
  std::memcpy(d.mapHeader.data() + 4, "town.map\0", 9);
  std::memcpy(d.mapHeader.data() + 24, "\xD0\xA1\xD5\xF2\0", 5);
  std::memset(d.mapHeader.data() + 24 + 5, 0, 27);
  std::memset(d.mapHeader.data() + 4 + 9, 0, 11);
  d.roles = {{"Guard", 1, -2}};
  d.player.hp = 77;
  d.player.y = 900;
  d.skills = {{1, 1}, {4, 2}};
  d.bag = {{3, 5}, {6, 1}, {0, 1}};
  d.innerBags = {std::nullopt, std::vector<int32_t>{0, 9, 0, 0}, std::nullopt};
  d.weaponPack = {1, 2, 3, 4};
  d.loveDegrees = {{"Ann", -3}};
  d.factionEnmity = {{"Wolves", 60}};
  d.vipInfo = {{"a", 1}, {"b", 2}};
  d.factions = {"", "Guild"};
  d.honours = {"Hero"};
  d.notes = {"* n2", "* n1"};
  Mission m;
  m.name = "m";
  m.target = "Herb";
  m.required = 3;
  m.count = -1;
  d.missions = {m};
  d.killCount = 5;
  d.rainFlag = 1;

  Json j = SaveToJson(d);
  std::vector<std::string> keys;
  for (auto it = j.begin(); it != j.end(); ++it) keys.push_back(it.key());
  EXPECT_EQ(keys, (std::vector<std::string>{
                      "magic", "timeStamp", "mapHeader", "roles", "rolesEnd", "player", "skills",
                      "bag", "innerBags", "weaponPack", "loveDegrees", "factionEnmity", "vipInfo",
                      "factions", "honours", "notes", "missions", "killCount", "rainFlag"}));
  EXPECT_EQ(j["player"].size(), kSavePlayerValues);
  EXPECT_EQ(j["mapHeader"]["mapName"], "小镇");

  SaveData back;
  std::string error;
  ASSERT_TRUE(SaveFromJson(Json::parse(j.dump()), back, &error)) << error;
  EXPECT_EQ(back, d);
}

TEST(SaveJson, MalformedDocumentsAreRefused) {
  SaveData d;
  std::string error;
  EXPECT_FALSE(SaveFromJson(Json::parse("[]"), d, &error));
  EXPECT_FALSE(SaveFromJson(Json::parse(R"({"killCount": "x"})"), d, &error));
  EXPECT_EQ(error, "killCount must be a 32-bit integer");
  EXPECT_FALSE(SaveFromJson(Json::parse(R"({"bag": [], "innerBags": [null]})"), d, &error));
  EXPECT_FALSE(SaveFromJson(Json::parse(R"({"notes": [1]})"), d, &error));
  EXPECT_TRUE(SaveFromJson(Json::parse("{}"), d, &error));
  EXPECT_EQ(d.player, SavedPlayer{});
}

// Found by fuzzing: a time stamp of 100 letters was taken, and the save written from it kept 29.
TEST(SaveJson, ATextLongerThanItsFieldIsRefusedNotCutShort) {
  SaveData d;
  std::string error;
  const std::string fits(29, 't');
  ASSERT_TRUE(SaveFromJson(Json{{"timeStamp", fits}}, d, &error)) << error;
  SaveData back;
  ASSERT_TRUE(DecodeSave(EncodeSave(d), back));
  EXPECT_EQ(back.timeStamp, fits);

  EXPECT_FALSE(SaveFromJson(Json{{"timeStamp", fits + "t"}}, d, &error));
  EXPECT_EQ(error, "timeStamp is longer than the save holds (29 bytes)");
  // The limit counts the bytes the save stores: 15 Chinese letters are 30 bytes there.
  std::string fifteen;
  for (int i = 0; i < 15; ++i) fifteen += "小";
  error.clear();
  EXPECT_FALSE(SaveFromJson(Json{{"roles", Json::array({{{"name", fifteen}, {"x", 0}, {"y", 0}}})}},
                            d, &error));
  EXPECT_EQ(error, "name is longer than the save holds (29 bytes)");
  error.clear();
  EXPECT_FALSE(SaveFromJson(Json{{"honours", Json::array({std::string(255, 'h')})}}, d, &error));
  EXPECT_EQ(error, "honours is longer than the save holds (254 bytes)");
  error.clear();
  EXPECT_FALSE(SaveFromJson(Json{{"missions", Json::array({{{"target", std::string(52, 'x')}}})}},
                            d, &error));
  EXPECT_EQ(error, "target is longer than the save holds (51 bytes)");
  error.clear();
  EXPECT_FALSE(SaveFromJson(Json{{"mapHeader", {{"mapFile", std::string(20, 'm')}}}}, d, &error));
  EXPECT_EQ(error, "mapFile is longer than the save holds (19 bytes)");
}

// Found by fuzzing: a time stamp of "\u0000" was taken, and the save written from it held an
// empty one; a zero character anywhere in a text is refused, since the save stops reading there,
// and so is a character GBK cannot hold, which the save would keep as "?".
TEST(SaveJson, ATextHoldingAZeroCharacterIsRefusedNotCutShort) {
  SaveData d;
  std::string error;
  EXPECT_FALSE(SaveFromJson(Json::parse(R"({"timeStamp": "\u0000"})"), d, &error));
  EXPECT_EQ(error, "timeStamp holds a zero character (\\u0000)");
  error.clear();
  EXPECT_FALSE(SaveFromJson(Json::parse(R"({"honours": ["first\u0000second"]})"), d, &error));
  EXPECT_EQ(error, "honours holds a zero character (\\u0000)");
  error.clear();
  EXPECT_FALSE(SaveFromJson(Json::parse(R"({"missions": [{"name": "a\u0000"}]})"), d, &error));
  EXPECT_EQ(error, "name holds a zero character (\\u0000)");
  error.clear();
  EXPECT_FALSE(SaveFromJson(Json{{"timeStamp", "Snow ☃"}}, d, &error));
  EXPECT_EQ(error, "timeStamp holds a character GBK cannot hold: Snow ☃");
}

}  // namespace
}  // namespace isora
