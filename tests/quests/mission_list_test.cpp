#include "quests/mission_list.h"

#include <gtest/gtest.h>

#include "foundation/game_log.h"
#include "items/bag.h"
#include "items/test_databases.h"
#include "support/recording_hooks.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

TEST(MissionListTest, DuplicateNamesAreRefusedAndLogged) {
  test::TempDir dir;
  GameLog log("GameEngine.log", true);
  MissionList list(&log);
  EXPECT_EQ(list.Add("herbs", "Collect herbs", kMissionCollect, "Herb", 3, 0, 0), 1);
  EXPECT_EQ(list.Add("herbs", "again", kMissionCollect, "Herb", 1, 0, 0), 0);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_NE(test::ReadFile("GameEngine.log")
                .find("add mission herbs failed,mission name should not be repeated!"),
            std::string::npos);
}

TEST(MissionListTest, CountsThenCompletesOnceAndRestarts) {
  MissionList list;
  list.Add("a", "A", kMissionCollect, "Herb", 3, 0, 0);
  list.Add("b", "B", kMissionCollect, "Herb", 3, 0, 1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(list.ReportGained("Herb", true), 1);
  EXPECT_EQ(list.ObjectiveCount("a"), 3);
  EXPECT_EQ(list.Check("a"), kMissionCompleted);
  EXPECT_EQ(list.Check("a"), kMissionDoneBefore);
  EXPECT_EQ(list.ObjectiveCount("a"), 0);
  EXPECT_EQ(list.Check("b"), kMissionCompletedFlagged);
  EXPECT_EQ(list.Check("nope"), kMissionUnknown);
  EXPECT_EQ(list.ObjectiveCount("nope"), 0);
  EXPECT_EQ(list.ReportGained("Stone", true), 0);
}

TEST(MissionListTest, AutoCheckCompletesOnTheCountingEvent) {
  MissionList list;
  list.Add("wolves", "Kill wolves", kMissionKillNamed, "Wolf", 2, 1, 0);
  list.ReportGained("Wolf", true);
  EXPECT_EQ(list.Missions()[0].done, 0);
  list.ReportGained("Wolf", true);
  EXPECT_EQ(list.Missions()[0].done, 1);
  EXPECT_EQ(list.Check("wolves"), kMissionDoneBefore);
}

TEST(MissionListTest, LossesCountDownBelowZero) {
  MissionList list;
  list.Add("a", "A", kMissionCollect, "Herb", 3, 0, 0);
  list.Add("b", "B", kMissionCollect, "Herb", 3, 0, 0);
  list.ReportGained("Herb", false);
  EXPECT_EQ(list.ReportLost("Herb"), 1);
  EXPECT_EQ(list.ReportLost("Herb"), 1);
  EXPECT_EQ(list.ObjectiveCount("a"), -1);
  EXPECT_EQ(list.ObjectiveCount("b"), -1);
  EXPECT_EQ(list.ReportLost("Stone"), 0);
}

TEST(MissionListTest, KillAnyCountsEveryFlaggedEventOnly) {
  MissionList list;
  list.Add("any", "Kill anything", kMissionKillAny, "", 5, 0, 0);
  list.ReportGained("Wolf", true);
  list.ReportGained("Herb", true);  // pick-ups are flagged too
  list.ReportGained("Herb", false);
  EXPECT_EQ(list.ObjectiveCount("any"), 2);
}

TEST(MissionListTest, PanelListsOpenNewestFirstAboveDone) {
  MissionList list;
  list.Add("m1", "First", kMissionCollect, "Herb", 3, 0, 0);
  list.Add("m2", "Second", kMissionKillNamed, "Wolf", 2, 0, 0);
  list.Add("m3", "Third", kMissionKillAny, "", 4, 0, 0);
  list.Add("m4", "Fourth", kMissionCollect, "Gem", 1, 1, 0);
  list.ReportGained("Herb", false);
  list.ReportGained("Gem", false);  // completes m4 at once
  list.ReportLost("Wolf");          // a count below 0 raises the need
  EXPECT_EQ(list.PanelLines(), (std::vector<std::string>{
                                   "* Third(need to kill <24/> enemy)",
                                   "* Second(need to kill <23/> Wolf yet)",
                                   "* First(need to get <22/> Herb yet)",
                                   "* Fourth<4(Done)/>",
                               }));
}

TEST(MissionListTest, CountWritesItsTrace) {
  test::RecordingHooks hooks;
  MissionList list;
  list.Count();
  EXPECT_EQ(hooks.debugOutput, std::vector<std::string>{"get mission count.\n"});
}

TEST(MissionRecord, FixedLayoutWithCutTexts) {
  Mission m;
  m.name = std::string(150, 'n');
  m.description = "desc";
  m.done = 1;
  m.kind = 2;
  m.target = std::string(60, 't');
  m.required = 7;
  m.count = -2;
  m.autoCheck = 1;
  m.completionFlag = 1;
  auto rec = EncodeMissionRecord(m);
  EXPECT_EQ(rec[98], 'n');
  EXPECT_EQ(rec[99], 0);
  EXPECT_EQ(rec[100], 'd');
  EXPECT_EQ(rec[200], 1);
  EXPECT_EQ(rec[204], 2);
  EXPECT_EQ(rec[208 + 50], 't');
  EXPECT_EQ(rec[208 + 51], 0);
  EXPECT_EQ(rec[260], 7);
  EXPECT_EQ(rec[264], 0xFE);
  EXPECT_EQ(rec[272], 1);
  Mission back = DecodeMissionRecord(rec);
  EXPECT_EQ(back.name, std::string(99, 'n'));
  EXPECT_EQ(back.target, std::string(51, 't'));
  EXPECT_EQ(back.count, -2);
  MissionList list;
  auto empty = list.SaveRecord(0);
  EXPECT_TRUE(std::all_of(empty.begin(), empty.end(), [](uint8_t b) { return b == 0; }));
}

}  // namespace
}  // namespace isora

namespace isora {
namespace {

TEST(AddMissionTest, CollectMissionStartsWithThePiecesInTheBag) {
  test::TempDir dir;
  test::TestDatabases db;
  Bag bag(&db.items);
  bag.Add(test::kPotion);
  bag.Add(test::kPotion);
  MissionList list;
  EXPECT_EQ(AddMission(list, db.items, bag, "old", "Old", kMissionCollect, "Potion", 9, 0, 0), 1);
  EXPECT_EQ(list.ObjectiveCount("old"), 2);
  EXPECT_EQ(AddMission(list, db.items, bag, "new", "New", kMissionCollect, "Potion", 9, 0, 0), 1);
  EXPECT_EQ(list.ObjectiveCount("new"), 2);
  EXPECT_EQ(list.ObjectiveCount("old"), 4);  // every mission with that target counts them
  EXPECT_EQ(AddMission(list, db.items, bag, "new", "Again", kMissionCollect, "Potion", 9, 0, 0), 0);
  EXPECT_EQ(list.ObjectiveCount("new"), 2);
  EXPECT_EQ(AddMission(list, db.items, bag, "kill", "K", kMissionKillNamed, "Potion", 9, 0, 0), 1);
  EXPECT_EQ(list.ObjectiveCount("kill"), 0);
}

}  // namespace
}  // namespace isora
