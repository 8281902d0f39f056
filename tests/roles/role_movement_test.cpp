#include <gtest/gtest.h>

#include "role_fixture.h"
#include "support/switches.h"

namespace isora::test {
namespace {

constexpr uint32_t kFree = MakeProbeResult(true, -1);
constexpr uint32_t kBlocked = MakeProbeResult(false, -1);

using RoleMovementTest = RoleTest;

TEST_F(RoleMovementTest, StandsWithTheFirstStandFrameBottomLeftOnThePlacePoint) {
  auto role = MakePlayer(1000, 800);
  ASSERT_TRUE(role->HasAnimation());
  EXPECT_EQ(role->X(), 1020);  // frames are 40 x 60
  EXPECT_EQ(role->Y(), 770);
  EXPECT_EQ(role->State(), RoleStateKind::kNone);
  EXPECT_EQ(role->StateName(), "");
  EXPECT_EQ(graphics_.preloads.size(), role->Animation().frames.size());
  for (const auto& p : graphics_.preloads) {
    EXPECT_EQ(p.pack, 0);
    EXPECT_TRUE(p.keep);  // the player's frames survive map changes
  }

  WriteRoleFile("walkonly.pmg", {{"walk", 2, 20, 31}});
  Role walker(context_, "walkonly.pmg", "w", 100, 100, 1, 1, 0);
  EXPECT_EQ(walker.X(), 110);
  EXPECT_EQ(walker.Y(), 85);  // integer half of 31
  EXPECT_FALSE(graphics_.preloads.back().keep);

  Role missing(context_, "absent.pmg", "m", 5, 6, 1, 1, 0);
  EXPECT_FALSE(missing.HasAnimation());
  EXPECT_EQ(missing.X(), 5);
  EXPECT_EQ(missing.FindState("stand"), -1);
}

TEST_F(RoleMovementTest, ForeignOrOversizedRoleFilesLeaveNoTables) {
  WriteFile("data/foreign.pmg", std::string(3000, 'x'));
  Role foreign(context_, "foreign.pmg", "f", 0, 0, 1, 1, 0);
  EXPECT_FALSE(foreign.HasAnimation());

  auto bytes = WriteRoleAnimation(MakeAnimation({{"stand", 1}}));
  bytes[24] = 0xFF;  // frame count far beyond the file
  bytes[25] = 0xFF;
  bytes[26] = 0xFF;
  WriteFile("data/big.pmg", bytes);
  Role big(context_, "big.pmg", "b", 0, 0, 1, 1, 0);
  EXPECT_FALSE(big.HasAnimation());
  EXPECT_TRUE(big.Animation().frames.empty());
}

TEST_F(RoleMovementTest, RolesOfOneFileShareOneParsedAnimation) {
  RoleAnimationCache cache;
  context_.animations = &cache;
  auto a = MakeNpc(Record("a"), 100, 100, 1);
  // Read once: the file may go away and the next role of it still has its animation.
  std::filesystem::remove(InFolder("data/mon.pmg"));
  auto b = MakeNpc(Record("b"), 300, 100, 2);
  ASSERT_TRUE(b->HasAnimation());
  EXPECT_EQ(&a->Animation(), &b->Animation());
  EXPECT_EQ(cache.Size(), 1u);
  // A rejected file is remembered as rejected, and every role of it says so in the log.
  WriteFile("data/foreign.pmg", std::string(3000, 'x'));
  Role f1(context_, "foreign.pmg", "f", 0, 0, 1, 1, 0);
  Role f2(context_, "foreign.pmg", "g", 0, 0, 1, 1, 0);
  EXPECT_FALSE(f2.HasAnimation());
  const std::string log = ReadFile("test.log");
  const std::string line = "role file data\\foreign.pmg rejected";
  const size_t first = log.find(line);
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(log.find(line, first + 1), std::string::npos);
  // Emptied (a new world), files are read afresh.
  cache.Clear();
  auto c = MakeNpc(Record("c"), 100, 100, 3);
  EXPECT_FALSE(c->HasAnimation());
  context_.animations = nullptr;
}

TEST_F(RoleMovementTest, CameraFollowsThePlayerWithinTheMap) {
  auto role = MakePlayer();
  role->SetPosition(320, 240);
  EXPECT_EQ(role->CameraOrigin(), (Point{0, 0}));
  role->SetPosition(321, 241);
  EXPECT_EQ(role->CameraOrigin(), (Point{1, 1}));
  role->SetPosition(3000, 1500);
  EXPECT_EQ(role->CameraOrigin(), (Point{2560, 1120}));
  role->SetPosition(2880, 1360);
  EXPECT_EQ(role->CameraOrigin(), (Point{2560, 1120}));
}

TEST_F(RoleMovementTest, FacesTheEightDirections) {
  auto role = MakePlayer();
  role->SetPosition(1000, 1000);
  struct Case {
    int tx, ty, direction;
  } cases[] = {{1000, 1100, 5}, {1000, 900, 1},  {1100, 1100, 4}, {1100, 1000, 3}, {900, 1000, 7},
               {1100, 900, 2},  {900, 1100, 6},  {900, 900, 8},   {1100, 1026, 3}, {1100, 1027, 4},
               {1026, 1100, 5}, {1027, 1100, 4}, {1000, 1000, 7}};
  for (const Case& c : cases) {
    role->SetDirection(1);
    role->FaceTowards(c.tx, c.ty);
    EXPECT_EQ(role->Direction(), c.direction) << c.tx << "," << c.ty;
  }
}

TEST_F(RoleMovementTest, WalksTowardTheTargetAndStopsWithinOneStep) {
  auto role = MakePlayer();
  const int x = role->X(), y = role->Y();
  role->MoveTo(x + 100, y + 100, RoleStateKind::kWalk);
  EXPECT_EQ(role->StateName(), "walk");
  EXPECT_EQ(role->Direction(), 4);
  role->Update(kFree);
  EXPECT_EQ(role->X(), x + 2);  // 3 * 0.707 truncated
  EXPECT_EQ(role->Y(), y + 2);
  EXPECT_EQ(graphics_.draws.back().name, "walk_4_1");
  EXPECT_EQ(graphics_.draws.back().layer, 3);
  EXPECT_EQ(graphics_.draws.back().x, role->X() - 20);
  EXPECT_EQ(graphics_.draws.back().y, role->Y() - 30);
  EXPECT_EQ(role->Bounds(), (Rect{role->X() - 20, role->Y() - 30, role->X() + 20, role->Y() + 30}));

  // Three pixels at speed 3 is already there.
  role->MoveTo(role->X() + 3, role->Y(), RoleStateKind::kWalk);
  const int x2 = role->X();
  role->Update(kFree);
  EXPECT_EQ(role->X(), x2);
  EXPECT_EQ(role->StateName(), "stand");
  EXPECT_TRUE(LogHas("get there,stand!"));

  role->MoveTo(role->X() + 4, role->Y(), RoleStateKind::kWalk);
  role->Update(kFree);
  EXPECT_EQ(role->X(), x2 + 3);
  EXPECT_EQ(role->StateName(), "walk");
}

TEST_F(RoleMovementTest, PlayerStandsWhenBlocked) {
  auto role = MakePlayer();
  const int x = role->X();
  role->MoveTo(x + 100, role->Y(), RoleStateKind::kRun);
  role->Update(kBlocked);
  EXPECT_EQ(role->X(), x);
  EXPECT_EQ(role->StateName(), "stand");
  EXPECT_TRUE(LogHas("get block,stand!"));
}

TEST_F(RoleMovementTest, RunningWithoutMpBecomesWalkingToTheSameTarget) {
  auto role = MakePlayer();
  role->Growth().MutableAttrs().mp = 0;
  role->MoveTo(role->X() + 500, role->Y() + 10, RoleStateKind::kRun);
  EXPECT_EQ(role->StateName(), "walk");
  EXPECT_EQ(role->TargetX(), role->X() + 500);

  // MP running out on the way turns the run into a walk on the next frame.
  auto runner = MakePlayer();
  runner->MoveTo(runner->X() + 900, runner->Y(), RoleStateKind::kRun);
  runner->Growth().MutableAttrs().mp = 0;
  const int x = runner->X();
  runner->Update(kFree);
  EXPECT_EQ(runner->StateName(), "walk");
  EXPECT_EQ(runner->X(), x);
  EXPECT_EQ(runner->TargetX(), x + 900);
}

TEST_F(RoleMovementTest, RunningCostsOneMpEveryFortySteps) {
  auto role = MakePlayer();
  role->MoveTo(role->X() + 3000, role->Y(), RoleStateKind::kRun);
  for (int i = 0; i < 39; ++i) role->Update(kFree);
  EXPECT_EQ(role->Attrs().mp, 50);
  role->Update(kFree);
  EXPECT_EQ(role->Attrs().mp, 49);
  EXPECT_EQ(context_.stepCounter, 40);
  for (int i = 0; i < 40; ++i) role->Update(kFree);
  EXPECT_EQ(role->Attrs().mp, 48);

  // Walking costs nothing.
  auto walker = MakePlayer();
  walker->MoveTo(walker->X() + 3000, walker->Y(), RoleStateKind::kWalk);
  for (int i = 0; i < 80; ++i) walker->Update(kFree);
  EXPECT_EQ(walker->Attrs().mp, 50);
}

TEST_F(RoleMovementTest, ProbesSixPixelsAheadAtTheFeet) {
  auto role = MakePlayer();
  const int x = role->X(), y = role->Y();
  EXPECT_EQ(role->StepProbe(), (Point{-1, -1}));
  role->MoveTo(x + 60, y + 80, RoleStateKind::kWalk);
  EXPECT_EQ(role->StepProbe(), (Point{x + 3, y + 36}));
  role->SetTarget(x, y);
  EXPECT_EQ(role->StepProbe(), (Point{x, y + 32}));  // no division by a zero distance
}

TEST_F(RoleMovementTest, FirstUpdateStandsAndStandLoops) {
  auto role = MakePlayer();
  role->Update(kFree);
  EXPECT_EQ(role->StateName(), "stand");
  std::vector<int> steps;
  for (int i = 0; i < 5; ++i) {
    steps.push_back(role->FrameStep());
    role->Update(kFree);
  }
  EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 0, 1}));
}

TEST_F(RoleMovementTest, HighlightBrightensExceptWhileDying) {
  auto role = MakePlayer();
  role->SetHighlighted(true);
  role->Update(kFree);
  EXPECT_TRUE(graphics_.draws.back().brighten);
  role->ChangeHp('-', 1000);
  EXPECT_EQ(role->StateName(), "die");
  EXPECT_FALSE(graphics_.draws.back().brighten);
  role->Update(kFree);
  EXPECT_FALSE(graphics_.draws.back().brighten);

  EXPECT_EQ(BrightenPixel565(0xF81F), 0xF81F);
  EXPECT_EQ(BrightenPixel565(0x0000), (7 << 11) | (14 << 5) | 7);
  EXPECT_EQ(BrightenPixel565((23 << 11) | (50 << 5) | 23), (30 << 11) | (63 << 5) | 30);
  EXPECT_EQ(BrightenPixel565((24 << 11) | (49 << 5) | 24), (31 << 11) | (63 << 5) | 31);
  EXPECT_EQ(BrightenPixel555(0x7C1F), 0x7C1F);
}

TEST_F(RoleMovementTest, AMissingPictureIsSkippedWithATrace) {
  auto role = MakePlayer();
  graphics_.missing.insert("stand_1_1");
  role->Update(kFree);
  ASSERT_FALSE(hooks_.debugOutput.empty());
  EXPECT_EQ(hooks_.debugOutput.back(), "loadmdbitmap failed.");
}

// r1 then r2 below 1400 send a wanderer to (x + r2 - 200, y - r1 + 200); wandering around
// draws x then y within 700 pixels either way.
TEST_F(RoleMovementTest, NonPlayerRolesWanderWhenArrivedOrBlockedWithoutTarget) {
  for (bool around : {false, true}) {
    Enhancements on;
    on.Set(Enhancement::kWanderAround, around);
    test::ScopedSwitches switches(on);
    auto npc = MakeNpc(Record("wolf"), 1000, 1000);
    const int x = npc->X(), y = npc->Y();
    npc->MoveTo(x + 2, y, RoleStateKind::kWalk);
    for (auto [seed, probe] : {std::pair{77u, kFree}, std::pair{78u, kBlocked}}) {
      CRand::Srand(seed);
      const int a = CRand::Rand(), b = CRand::Rand();
      const Point want = around ? Point{x + a % 1401 - 700, y + b % 1401 - 700}
                                : Point{x + b % 1400 - 200, y - a % 1400 + 200};
      CRand::Srand(seed);
      npc->Update(probe);
      EXPECT_EQ(npc->StateName(), "walk");
      EXPECT_EQ(npc->TargetX(), want.x) << around << seed;
      EXPECT_EQ(npc->TargetY(), want.y) << around << seed;
    }
  }
}

TEST_F(RoleMovementTest, BlockedChaserSideStepsByItsDirection) {
  auto player = MakePlayer(2000, 800);
  auto npc = MakeNpc(Record("wolf"), 1000, 800, 3, player.get());
  npc->SetFightTarget(0, player.get());
  npc->MoveTo(player->X(), npc->Y(), RoleStateKind::kWalk);
  ASSERT_EQ(npc->Direction(), 3);
  const int x = npc->X(), y = npc->Y();
  npc->Update(kBlocked);
  EXPECT_EQ(npc->TargetX(), x);
  EXPECT_EQ(npc->TargetY(), y - 100);
  EXPECT_EQ(npc->RetargetDelay(), 4);
  EXPECT_EQ(npc->StateName(), "walk");
  // The side-step is kept for four frames before the chase re-aims.
  for (int i = 0; i < 4; ++i) npc->Update(kFree);
  EXPECT_EQ(npc->TargetY(), y - 100);
  npc->Update(kFree);
  EXPECT_EQ(npc->TargetX(), player->X());
  EXPECT_EQ(npc->TargetY(), player->Y());
}

}  // namespace
}  // namespace isora::test
