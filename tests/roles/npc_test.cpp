#include <gtest/gtest.h>

#include "lib/npc_writer.h"
#include "role_fixture.h"

namespace isora::test {
namespace {

class RecordingTalk : public RoleTalkTarget {
 public:
  void ShowTalk(const std::string& speaker, const std::string& line, const std::string& portrait,
                int x, int y) override {
    lines.push_back(line);
    last = {speaker, portrait, x, y};
  }
  struct Call {
    std::string speaker, portrait;
    int x = 0, y = 0;
  } last;
  std::vector<std::string> lines;
};

using NpcTest = RoleTest;

TEST_F(NpcTest, RecordFieldsRoundTripAtTheirOffsets) {
  NpcRecord r = Record("Guard");
  r.kind = 5;
  r.wanders = 1;
  r.clickScript = "guard.gsp";
  r.fightMode = 1;
  r.drops = {1, 2, 3, 4};
  r.startDirection = 6;
  r.talkLines = {"a", "b", "*/*"};
  r.talkMode = 1;
  r.expValue = 40;
  r.skillId = 2;
  r.rememberDeath = 1;
  r.startSound = "hit.wav";
  r.deathScript = "dead.gsp";
  r.factionName = "Blue";
  r.title = "Captain";
  r.enmityGain = 7;
  std::vector<uint8_t> bytes = WriteNpcRecord(r);
  ASSERT_EQ(bytes.size(), kNpcRecordSize);
  EXPECT_EQ(bytes[28], 5);     // kind
  EXPECT_EQ(bytes[92], 1);     // fightMode
  EXPECT_EQ(bytes[112], 6);    // startDirection
  EXPECT_EQ(bytes[116], 'a');  // first talk line
  EXPECT_EQ(bytes[316], 'b');
  EXPECT_EQ(bytes[2120], 40);  // expValue
  EXPECT_EQ(bytes[2162], 'B');
  EXPECT_EQ(bytes[2183], 'C');
  EXPECT_EQ(bytes[2204], 7);
  NpcRecord back = ParseNpcRecord(bytes);
  EXPECT_EQ(NpcRecordToJson(back), NpcRecordToJson(r));
}

TEST_F(NpcTest, ConstructionTakesTheRecord) {
  auto player = MakePlayer();
  NpcRecord r = Record("Guard");
  r.startDirection = 4;
  r.startSound = "hit.wav";
  r.skillId = 1;
  auto npc = MakeNpc(r, 600, 700, 7, player.get());
  EXPECT_EQ(npc->NpcId(), 7);
  EXPECT_FALSE(npc->IsPlayer());
  EXPECT_EQ(npc->Direction(), 5);
  EXPECT_EQ(npc->StartSound(), "hit.wav");
  EXPECT_EQ(npc->X(), 620);
  EXPECT_EQ(npc->Y(), 670);
  EXPECT_EQ(npc->Attrs().hp, 100);
  EXPECT_EQ(npc->Attrs().attack, 4);
  EXPECT_EQ(npc->Skill()->SkillId(), 1);
  EXPECT_EQ(npc->FightTarget(), nullptr);
  EXPECT_EQ(npc->OrderMode(), RoleOrder::kGoTo);
  EXPECT_FALSE(graphics_.preloads.back().keep);  // non-player frames go to the map's cache

  r.skillId = 99;  // not in the table
  EXPECT_EQ(MakeNpc(r, 0, 0, 8)->Skill(), nullptr);
}

TEST_F(NpcTest, TalkLinesEndAtTheMarker) {
  NpcRecord r = Record("Old man");
  r.talkLines = {"one", "two", "*/*", "hidden"};
  EXPECT_EQ(MakeNpc(r, 0, 0)->TalkLines().size(), 2u);
  for (int i = 0; i < kNpcTalkLines; ++i) r.talkLines[i] = "line" + std::to_string(i);
  EXPECT_EQ(MakeNpc(r, 0, 0)->TalkLines().size(), 10u);
}

TEST_F(NpcTest, TalkModesAdvanceTheShownLine) {
  NpcRecord r = Record("Old man");
  r.talkLines = {"1", "2", "3", "*/*"};
  r.portrait = "old.bmp";
  RecordingTalk talk;

  r.talkMode = 0;
  auto cycling = MakeNpc(r, 0, 0);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(cycling->Talk(100, 200, talk));
  EXPECT_EQ(talk.lines, (std::vector<std::string>{"1", "2", "3", "1", "2"}));
  EXPECT_EQ(talk.last.speaker, "Old man");
  EXPECT_EQ(talk.last.portrait, "old.bmp");
  EXPECT_EQ(talk.last.x, 100);

  talk.lines.clear();
  r.talkMode = 1;
  auto stopping = MakeNpc(r, 0, 0);
  for (int i = 0; i < 5; ++i) stopping->Talk(0, 0, talk);
  EXPECT_EQ(talk.lines, (std::vector<std::string>{"1", "2", "3", "3", "3"}));

  talk.lines.clear();
  r.talkMode = 2;
  auto random = MakeNpc(r, 0, 0);
  for (int i = 0; i < 20; ++i) random->Talk(0, 0, talk);
  for (const auto& line : talk.lines) EXPECT_TRUE(line == "1" || line == "2" || line == "3");

  talk.lines.clear();
  r.talkMode = 3;
  EXPECT_FALSE(MakeNpc(r, 0, 0)->Talk(0, 0, talk));
  r.talkMode = 2;
  r.talkLines = {"*/*", "never"};
  EXPECT_FALSE(MakeNpc(r, 0, 0)->Talk(0, 0, talk));  // no lines: nothing, no division
  EXPECT_TRUE(talk.lines.empty());
}

TEST_F(NpcTest, DisplayNameAndScripts) {
  NpcRecord r = Record("Lin");
  EXPECT_EQ(MakeNpc(r, 0, 0)->DisplayName(true), "Lin");
  r.factionName = "Sword Hall";
  r.title = " elder";
  auto npc = MakeNpc(r, 0, 0);
  EXPECT_EQ(npc->DisplayName(true), "Lin(Sword Hall elder)");
  EXPECT_EQ(npc->DisplayName(false), "Lin");
  EXPECT_EQ(npc->ClickScript(), "");
  r.clickScript = "lin.gsp";
  r.deathScript = "lin_dead.gsp";
  auto scripted = MakeNpc(r, 0, 0);
  EXPECT_EQ(scripted->ClickScript(), "lin.gsp");
  EXPECT_EQ(scripted->DeathScript(), "lin_dead.gsp");
  EXPECT_EQ(scripted->ExpValue(), 0);
}

TEST_F(NpcTest, DropRollBoundaries) {
  NpcRecord r = Record("Wolf");
  r.drops = {11, 22, 33, 44};
  auto npc = MakeNpc(r, 0, 0);
  EXPECT_EQ(npc->DropForRoll(0), 11);
  EXPECT_EQ(npc->DropForRoll(10), 11);
  EXPECT_EQ(npc->DropForRoll(11), 22);
  EXPECT_EQ(npc->DropForRoll(29), 22);
  EXPECT_EQ(npc->DropForRoll(30), 33);
  EXPECT_EQ(npc->DropForRoll(59), 33);
  EXPECT_EQ(npc->DropForRoll(60), 44);
  EXPECT_EQ(npc->DropForRoll(99), 44);
  const int drop = npc->ChooseDrop();
  EXPECT_TRUE(drop == 11 || drop == 22 || drop == 33 || drop == 44);
}

TEST_F(NpcTest, HostilitySwitch) {
  auto player = MakePlayer();
  auto npc = MakeNpc(Record("Bandit"), 0, 0, 3, player.get());
  npc->SetHostile(true, player.get());
  EXPECT_EQ(npc->FightMode(), 1);
  EXPECT_EQ(npc->FightTarget(), player.get());
  EXPECT_EQ(npc->FightTargetId(), 0);
  EXPECT_EQ(npc->OrderMode(), RoleOrder::kChase);
  EXPECT_EQ(npc->Wanders(), 1);
  npc->SetHostile(false, player.get());
  EXPECT_EQ(npc->FightMode(), 0);
  EXPECT_EQ(npc->FightTarget(), nullptr);
  EXPECT_EQ(npc->OrderMode(), RoleOrder::kGoTo);
}

TEST_F(NpcTest, OffscreenStepMovesWithoutDrawing) {
  auto npc = MakeNpc(Record("Wolf"), 1000, 1000);
  const int x = npc->X(), y = npc->Y();
  npc->OffscreenStep(true);  // standing roles stay
  EXPECT_EQ(npc->X(), x);

  const size_t draws = graphics_.draws.size();
  npc->SetWalkTarget(x + 300, y + 400, RoleStateKind::kRun);
  EXPECT_EQ(npc->StateName(), "run");
  EXPECT_EQ(npc->Direction(), 4);
  EXPECT_EQ(npc->FrameStep(), 0);
  npc->OffscreenStep(true);
  EXPECT_EQ(npc->X(), x + 3);  // 6 * 0.6
  EXPECT_EQ(npc->Y(), y + 4);  // 6 * 0.8
  EXPECT_EQ(npc->FrameStep(), 1);
  EXPECT_EQ(graphics_.draws.size(), draws);

  npc->SetWalkTarget(npc->X() + 3, npc->Y() - 3, RoleStateKind::kWalk);
  npc->OffscreenStep(true);
  EXPECT_EQ(npc->StateName(), "stand");

  npc->SetWalkTarget(npc->X() + 50, npc->Y(), RoleStateKind::kWalk);
  CRand::Srand(3);
  const int r1 = CRand::Rand() % 1400, r2 = CRand::Rand() % 1400;
  CRand::Srand(3);
  const int bx = npc->X(), by = npc->Y();
  npc->OffscreenStep(false);
  EXPECT_EQ(npc->X(), bx);
  EXPECT_EQ(npc->TargetX(), bx + r2 - 200);
  EXPECT_EQ(npc->TargetY(), by - r1 + 200);
  EXPECT_EQ(npc->StateName(), "walk");
}

TEST_F(NpcTest, DestructorTracesAroundFreeingItsLines) {
  MakeNpc(Record("Wolf"), 0, 0).reset();
  ASSERT_GE(hooks_.debugOutput.size(), 2u);
  EXPECT_EQ(hooks_.debugOutput[hooks_.debugOutput.size() - 2], "~CRoleNPC() ");
  EXPECT_EQ(hooks_.debugOutput.back(), "~CRoleNPC() over");
}

}  // namespace
}  // namespace isora::test
