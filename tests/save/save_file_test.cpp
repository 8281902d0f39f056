#include "save/save_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "foundation/byte_io.h"
#include "foundation/file_io.h"
#include "foundation/game_log.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

void Text(ByteWriter& w, const std::string& s, size_t width) {
  std::string field = s;
  field.resize(width, '\0');
  w.Bytes(field.data(), width);
}

// A save laid out by hand from the format table, field by field.
std::vector<uint8_t> HandWrittenSave() {
  ByteWriter w;
  w.Bytes("vdsg", 4);
  Text(w, "2026/1/2-28:4:5", 30);
  std::vector<uint8_t> header(92, 0);
  std::memcpy(header.data(), "2pam", 4);
  std::memcpy(header.data() + 4, "town.map", 8);
  std::memcpy(header.data() + 24, "Town", 4);
  header[56] = 50;
  w.Bytes(header.data(), header.size());
  Text(w, "Guard", 30);
  w.I32(640);
  w.I32(320);
  Text(w, "npc over", 30);
  // defence, direction, hitRate, level, money, moral, exp, maxHp, mp, skillId, skillLevel,
  // attack, expNeeded, hp, maxMp, x, y
  for (int32_t v : {3, 5, 40, 2, 900, -7, 12, 120, 33, 2, 1, 15, 280, 99, 68, 1000, 500}) w.I32(v);
  w.I32(2);  // skills
  w.I32(1), w.I32(1), w.I32(2), w.I32(3);
  w.I32(3);  // bag slots
  w.I32(4), w.I32(5);
  w.I32(10), w.I32(1);
  w.I32(0), w.I32(1);
  w.I32(-1);
  w.I32(9);
  for (int i = 0; i < 9; ++i) w.I32(i == 4 ? 13 : 0);
  w.I32(-1);
  w.I32(4);  // weapon pack
  for (int32_t v : {2, 0, 5, 0}) w.I32(v);
  w.I32(1);
  Text(w, "Ann", 30);
  w.I32(12);
  w.I32(1);
  Text(w, "Wolves", 30);
  w.I32(55);
  w.I32(2);
  Text(w, "a", 30);
  w.I32(1);
  Text(w, "b", 30);
  w.I32(2);
  w.I32(2);
  Text(w, "", 30);
  Text(w, "Guild", 30);
  w.I32(1);
  Text(w, "Hero of Town", 255);
  w.I32(1);
  Text(w, "* note", 255);
  w.I32(1);
  Text(w, "herbs", 100);
  Text(w, "Collect herbs", 100);
  w.I32(0), w.I32(0);
  Text(w, "Herb", 52);
  w.I32(3), w.I32(1), w.I32(0), w.I32(1);
  w.I32(17);  // kill count
  w.I32(1);   // rain
  return w.Take();
}

TEST(SaveDecode, ReadsAHandWrittenFile) {
  auto bytes = HandWrittenSave();
  SaveData d;
  std::string error;
  ASSERT_TRUE(DecodeSave(bytes, d, &error)) << error;
  EXPECT_EQ(d.timeStamp, "2026/1/2-28:4:5");
  EXPECT_EQ(d.MapFile(), "town.map");
  EXPECT_EQ(d.MapName(), "Town");
  EXPECT_EQ(d.roles, (std::vector<SavedRole>{{"Guard", 640, 320}}));
  EXPECT_EQ(d.player.defence, 3);
  EXPECT_EQ(d.player.direction, 5);
  EXPECT_EQ(d.player.moral, -7);
  EXPECT_EQ(d.player.skillId, 2);
  EXPECT_EQ(d.player.maxMp, 68);
  EXPECT_EQ(d.player.x, 1000);
  EXPECT_EQ(d.player.y, 500);
  EXPECT_EQ(d.skills, (std::vector<LearnedSkill>{{1, 1}, {2, 3}}));
  EXPECT_EQ(d.bag, (std::vector<SavedBagSlot>{{4, 5}, {10, 1}, {0, 1}}));
  ASSERT_EQ(d.innerBags.size(), 3u);
  EXPECT_FALSE(d.innerBags[0]);
  ASSERT_TRUE(d.innerBags[1]);
  EXPECT_EQ((*d.innerBags[1])[4], 13);
  EXPECT_FALSE(d.innerBags[2]);
  EXPECT_EQ(d.weaponPack, (std::vector<int32_t>{2, 0, 5, 0}));
  EXPECT_EQ(d.loveDegrees, (SavedTable{{"Ann", 12}}));
  EXPECT_EQ(d.factionEnmity, (SavedTable{{"Wolves", 55}}));
  EXPECT_EQ(d.vipInfo, (SavedTable{{"a", 1}, {"b", 2}}));
  EXPECT_EQ(d.factions, (std::vector<std::string>{"", "Guild"}));
  EXPECT_EQ(d.honours, std::vector<std::string>{"Hero of Town"});
  EXPECT_EQ(d.notes, std::vector<std::string>{"* note"});
  ASSERT_EQ(d.missions.size(), 1u);
  EXPECT_EQ(d.missions[0].target, "Herb");
  EXPECT_EQ(d.missions[0].required, 3);
  EXPECT_EQ(d.missions[0].count, 1);
  EXPECT_EQ(d.missions[0].completionFlag, 1);
  EXPECT_EQ(d.killCount, 17);
  EXPECT_EQ(d.rainFlag, 1);
  // The writer gives back the same bytes.
  EXPECT_EQ(EncodeSave(d), bytes);
}

TEST(SaveDecode, EveryTruncationIsRefusedWithoutTouchingTheResult) {
  auto bytes = HandWrittenSave();
  SaveData sentinel;
  sentinel.killCount = 4242;
  for (size_t n = 0; n < bytes.size(); ++n) {
    SaveData d = sentinel;
    std::string error;
    ASSERT_FALSE(DecodeSave(std::span(bytes.data(), n), d, &error)) << n;
    EXPECT_FALSE(error.empty());
    ASSERT_EQ(d, sentinel) << n;
  }
}

TEST(SaveDecode, CountsBeyondTheFileAreRefused) {
  auto bytes = HandWrittenSave();
  // The skill count sits right after the 17-value player block.
  size_t skillCount = 4 + 30 + 92 + 38 + 30 + 68;
  for (int32_t bad : {-1, 0x7FFFFFFF, 1000}) {
    auto copy = bytes;
    for (int k = 0; k < 4; ++k) copy[skillCount + k] = static_cast<uint8_t>(bad >> (8 * k));
    SaveData d;
    std::string error;
    EXPECT_FALSE(DecodeSave(copy, d, &error)) << bad;
    // Refused at the count itself, before anything is allocated for it.
    EXPECT_EQ(error, "bad skill count") << bad;
  }
  auto copy = bytes;
  std::memcpy(copy.data(), "vdsh", 4);
  SaveData d;
  std::string error;
  EXPECT_FALSE(DecodeSave(copy, d, &error));
  EXPECT_EQ(error, "no save magic");
}

TEST(SaveEncode, CutsLongTextsAndSortsTables) {
  SaveData d;
  d.roles.push_back({std::string(40, 'r'), 1, 2});
  d.honours.push_back(std::string(300, 'h'));
  d.vipInfo = {{"zeta", 1}, {"alpha", 2}};
  d.bag = {{1, 1}};
  SaveData back;
  ASSERT_TRUE(DecodeSave(EncodeSave(d), back));
  EXPECT_EQ(back.roles[0].name, std::string(29, 'r'));
  EXPECT_EQ(back.honours[0], std::string(254, 'h'));
  EXPECT_EQ(back.vipInfo, (SavedTable{{"alpha", 2}, {"zeta", 1}}));
  ASSERT_EQ(back.innerBags.size(), 1u);
  EXPECT_FALSE(back.innerBags[0]);
}

TEST(SaveEncode, EmptyStateHasTheMinimalSize) {
  SaveData d;
  // magic, time, header, "npc over", 17 values, then 11 counts/values of 4 bytes each.
  EXPECT_EQ(EncodeSave(d).size(), 4u + 30 + 92 + 30 + 68 + 4 * 3 + 4 * 6 + 4 + 8);
}

TEST(SaveTimeStamp, LocalTimeAsItIs) {
  SystemTime t;
  t.year = 2026;
  t.month = 12;
  t.day = 7;
  t.hour = 20;
  t.minute = 5;
  t.second = 9;
  EXPECT_EQ(FormatSaveTimeStamp(t), "2026/12/7-20:5:9");
  EXPECT_EQ(SaveSlotPath(3), "saves\\3.sav");
}

class SaveFileTest : public test::TempDirTest {};

TEST_F(SaveFileTest, SlotLabelsAndValidity) {
  EXPECT_EQ(SaveSlotLabel(NativePath("saves/1.sav")), "No Saved Data");
  EXPECT_FALSE(IsValidSaveSlot(NativePath("saves/1.sav")));
  SaveData d;
  d.timeStamp = "2026/12/7-28:5:9";
  std::memcpy(d.mapHeader.data() + 24, "Town", 4);
  ASSERT_TRUE(WriteSaveFile(NativePath("saves/1.sav"), d));  // creates the folder
  EXPECT_TRUE(IsValidSaveSlot(NativePath("saves/1.sav")));
  EXPECT_EQ(SaveSlotLabel(NativePath("saves/1.sav")), "Town(2026/12/7-28:5:9)");
  d.timeStamp = "2026/12/7-29:0:0";
  ASSERT_TRUE(WriteSaveFile(NativePath("saves/1.sav"), d));
  EXPECT_EQ(SaveSlotLabel(NativePath("saves/1.sav")), "Town(2026/12/7-29:0:0)");
  test::WriteFile("saves/2.sav", std::string("xxxx"));
  EXPECT_EQ(SaveSlotLabel(NativePath("saves/2.sav")), "No Saved Data");
  // Only the save itself is left in the folder: no temporary file survives.
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(test::InFolder("saves")))
    files += e.is_regular_file();
  EXPECT_EQ(files, 2);
}

TEST_F(SaveFileTest, DamagedSaveIsRefusedWithALogLine) {
  auto bytes = HandWrittenSave();
  bytes.resize(bytes.size() - 3);
  test::WriteFile("saves/4.sav", bytes);
  GameLog log("GameEngine.log", true);
  SaveData d;
  d.killCount = 99;
  EXPECT_TRUE(IsValidSaveSlot(NativePath("saves/4.sav")));  // the magic is there...
  EXPECT_FALSE(
      ReadSaveFile(NativePath("saves/4.sav"), d, &log));  // ...but the save is refused as a whole
  EXPECT_EQ(d.killCount, 99);
  std::string text = test::ReadFile("GameEngine.log");
  EXPECT_NE(text.find("load save file " + NativePath("saves/4.sav") +
                      " failed: short kill count or rain flag"),
            std::string::npos);
  EXPECT_FALSE(ReadSaveFile(NativePath("saves/5.sav"), d, &log));
  EXPECT_NE(test::ReadFile("GameEngine.log").find("cannot open the file"), std::string::npos);
}

}  // namespace
}  // namespace isora
