#include <gtest/gtest.h>

#include "foundation/byte_io.h"
#include "items/item_database.h"
#include "items/skill_database.h"
#include "lib/db_writer.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

std::vector<uint8_t> Header(std::string_view magic) {
  std::vector<uint8_t> bytes(magic.begin(), magic.end());
  for (uint8_t b : {0xAA, 0xBB, 0xCC, 0xDD}) bytes.push_back(b);  // never read
  return bytes;
}

TEST(ItemDatabaseLoad, CountsWholeRecordsOnly) {
  auto bytes = Header("2eti");
  bytes.resize(8 + 544, 0);
  ItemDatabase db;
  ASSERT_TRUE(db.LoadFromBytes(bytes));
  EXPECT_EQ(db.Count(), 2);
  EXPECT_EQ(db.IgnoredTail(), 0u);
  // A file cut short inside a record: the whole ones load, the rest is counted for the log.
  bytes.push_back(7);
  ASSERT_TRUE(db.LoadFromBytes(bytes));
  EXPECT_EQ(db.Count(), 2);
  EXPECT_EQ(db.IgnoredTail(), 1u);
  SkillDatabase skills;
  ASSERT_TRUE(skills.LoadFromBytes(bytes, kDatabaseHeaderSize, 0x69746532));
  EXPECT_EQ(skills.Count(), 1);
  EXPECT_EQ(skills.IgnoredTail(), 545u - 516u);
  EXPECT_FALSE(db.LoadFromBytes(Header("2lks")));
  EXPECT_EQ(db.IgnoredTail(), 0u);  // a refused file leaves nothing to report
}

TEST(ItemDatabaseLoad, RefusesWrongOrMissingMagic) {
  auto bytes = Header("2lks");
  bytes.resize(8 + 272, 0);
  ItemDatabase items;
  EXPECT_FALSE(items.LoadFromBytes(bytes));
  EXPECT_EQ(items.Count(), 0);
  EXPECT_FALSE(items.LoadFromBytes(std::vector<uint8_t>{'2', 'e', 't'}));
  SkillDatabase skills;
  EXPECT_TRUE(skills.LoadFromBytes(bytes));
  EXPECT_EQ(skills.Count(), 0);  // 272 bytes are less than one skill record
}

TEST(ItemDatabaseLoad, HeaderOnlyOrShorterIsAnEmptyTable) {
  ItemDatabase db;
  EXPECT_TRUE(db.LoadFromBytes(Header("2eti")));
  EXPECT_EQ(db.Count(), 0);
  EXPECT_TRUE(db.LoadFromBytes(std::vector<uint8_t>{'2', 'e', 't', 'i', 1}));
  EXPECT_EQ(db.Count(), 0);
}

TEST(ItemDatabaseLoad, ReadsFilesByGamePath) {
  test::TempDir dir;
  ItemRecord potion;
  potion.name = "Potion";
  test::WriteFile("data/items.itm", BuildItemTable({ItemRecord{}, potion}));
  ItemDatabase db;
  EXPECT_TRUE(db.Load("data\\items.itm"));
  EXPECT_EQ(db.Get(1).name, "Potion");
  EXPECT_FALSE(db.Load("data\\missing.itm"));
}

// A record laid out by hand at the table's offsets, not by the writer.
TEST(ItemRecordParse, ReadsEveryFieldAtItsOffset) {
  std::vector<uint8_t> rec(272, 0);
  auto put = [&](size_t at, const std::string& s) {
    std::copy(s.begin(), s.end(), rec.begin() + at);
  };
  auto i32 = [&](size_t at, int32_t v) {
    for (int k = 0; k < 4; ++k)
      rec[at + k] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * k));
  };
  put(0, "\xBD\xA3");  // a GBK name stays bytes
  i32(52, 300);
  put(56, "desc");
  put(157, "note");
  i32(208, 3);
  i32(212, 77);
  put(216, "sword.bmp");
  i32(232, 4);
  for (int k = 0; k < 9; ++k) i32(236 + 4 * k, k - 4);
  ItemRecord r = ItemRecord::Parse(rec);
  EXPECT_EQ(r.name, "\xBD\xA3");
  EXPECT_EQ(r.price, 300);
  EXPECT_EQ(r.description, "desc");
  EXPECT_EQ(r.note, "note");
  EXPECT_EQ(r.type, 3);
  EXPECT_EQ(r.reserved, 77);
  EXPECT_EQ(r.picture, "sword.bmp");
  EXPECT_EQ(r.needLevel, 4);
  EXPECT_EQ(r.hp, -4);
  EXPECT_EQ(r.hitRate, 2);
  EXPECT_EQ(r.maxMp, 4);
  EXPECT_EQ(EncodeItemRecord(r), rec);
}

TEST(SkillRecordParse, ReadsEveryFieldAtItsOffset) {
  std::vector<uint8_t> rec(516, 0);
  auto put = [&](size_t at, const std::string& s) {
    std::copy(s.begin(), s.end(), rec.begin() + at);
  };
  auto i32 = [&](size_t at, int32_t v) {
    for (int k = 0; k < 4; ++k)
      rec[at + k] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * k));
  };
  put(0, "Fire");
  put(51, "burns");
  i32(152, 1);
  i32(156, 0);
  i32(160, 10);
  i32(164, 3);
  i32(168, 20);
  put(172, "fire.wav");
  put(187, "fire.bmp");
  put(202, "f0");
  put(202 + 15 * 19, "f19");
  i32(504, 20);
  i32(508, 6);
  rec[512] = 'F';
  SkillRecord s = SkillRecord::Parse(rec);
  EXPECT_EQ(s.name, "Fire");
  EXPECT_EQ(s.description, "burns");
  EXPECT_EQ(s.kind, 1);
  EXPECT_EQ(SkillRange(s), 20);
  EXPECT_EQ(s.power, 10);
  EXPECT_EQ(s.maxLevel, 3);
  EXPECT_EQ(s.growth, 20);
  EXPECT_EQ(s.sound, "fire.wav");
  EXPECT_EQ(s.icon, "fire.bmp");
  EXPECT_EQ(s.effectFrames[0], "f0");
  EXPECT_EQ(s.effectFrames[19], "f19");
  EXPECT_EQ(s.effectFrameCount, 20);
  EXPECT_EQ(s.mpCost, 6);
  EXPECT_EQ(s.shortcutKey, 'F');
  EXPECT_EQ(EncodeSkillRecord(s), rec);
}

TEST(ItemDatabaseLookup, NameSearchStartsAtOneAndGetIsGuarded) {
  ItemDatabase db;
  std::vector<ItemRecord> recs(3);
  recs[0].name = "Potion";
  recs[2].name = "Potion";
  db.SetRecords(recs);
  EXPECT_EQ(db.FindItemByName("Potion"), 2);
  EXPECT_EQ(db.FindItemByName("potion"), 0);
  EXPECT_EQ(db.FindItemByName(""), 1);  // exact match of the whole field
  EXPECT_EQ(db.Get(99).name, "");
  EXPECT_EQ(db.Get(-1).name, "");
  EXPECT_EQ(db.TypeOf(0), -1);
}

TEST(SkillPowerTest, GrowsInDoublesAndTruncates) {
  SkillRecord s;
  s.power = 10;
  s.growth = 20;
  EXPECT_EQ(SkillPower(s, 1), 10);
  EXPECT_EQ(SkillPower(s, 3), 14);
  EXPECT_EQ(SkillPower(s, 0), 10);
  s.growth = 0;
  EXPECT_EQ(SkillPower(s, 50), 10);
  s.growth = -200;
  EXPECT_EQ(SkillPower(s, 2), -10);
  EXPECT_EQ(SkillPower(s, 3), 10);
}

TEST(SkillPowerTest, HugeLevelsFinishAndClamp) {
  SkillRecord s;
  s.power = 10;
  s.growth = 1;
  EXPECT_EQ(SkillPower(s, 2'000'000'000), 2147483647);
  s.growth = -1;
  EXPECT_EQ(SkillPower(s, 2'000'000'000), 0);
  s.growth = -2;
  EXPECT_EQ(SkillPower(s, 2'000'000'000), 0);
  s.growth = -199;
  EXPECT_EQ(SkillPower(s, 2'000'000'000), 0);
  s.growth = 100;
  s.power = -10;
  EXPECT_EQ(SkillPower(s, 40), -2147483647 - 1);
}

TEST(Tooltips, ItemTextAndHeight) {
  ItemRecord item;
  item.name = "Sword";
  item.price = 120;
  item.needLevel = 3;
  item.description = std::string(45, 'd');
  EXPECT_EQ(ItemTooltip(item, false, 0, 3),
            "<5Sword/>\nPrice: 120\nNeed Level: 3\n\n" + item.description);
  EXPECT_EQ(ItemTooltipLines(item), 2 + 5);
  item.note = "rare";
  EXPECT_EQ(ItemTooltip(item, true, 119, 2),
            "<5Sword/>\n<2Price: 120/>\n<2Need Level: 3/>\n\n" + item.description + "\n\n<3rare/>");
  EXPECT_EQ(ItemTooltip(item, true, 120, 3),
            "<5Sword/>\nPrice: 120\nNeed Level: 3\n\n" + item.description + "\n\n<3rare/>");
  EXPECT_EQ(ItemTooltipLines(item), 2 + 7);
}

TEST(Tooltips, SkillTextByKind) {
  SkillRecord s;
  s.name = "Fire";
  s.kind = 1;
  s.power = 10;
  s.growth = 20;
  s.mpCost = 6;
  s.shortcutKey = 'F';
  s.description = "burns";
  EXPECT_EQ(SkillTooltip(s, 3),
            "<3Fire\n(shortcut key: F)/>\nlevel: 3\ndamage: 14\ncost mp: 6\n\nburns");
  s.kind = 0;
  EXPECT_EQ(SkillTooltip(s, 1),
            "<3Fire\n(shortcut key: F)/>\nlevel: 1\nresume hp: 10\ncost mp: 6\n\nburns");
}

}  // namespace
}  // namespace isora
