#include <gtest/gtest.h>

#include <string>

#include "role_fixture.h"

namespace isora::test {
namespace {

constexpr uint32_t kFree = MakeProbeResult(true, -1);

using RoleStateTest = RoleTest;

TEST(RoleStateKindTest, EveryKindHasOneNameAndOtherNamesAreNone) {
  const std::string names[] = {"", "stand", "walk", "run", "fight", "die", "dieout"};
  for (int k = 0; k < kRoleStateKinds; ++k) {
    const auto kind = static_cast<RoleStateKind>(k);
    EXPECT_EQ(RoleStateName(kind), names[k]);
    EXPECT_EQ(RoleStateFromName(names[k]), kind) << names[k];
  }
  // Names are exact and case-sensitive, as in the animation file.
  for (const char* other : {"Stand", "stand ", "walking", "dead", "attack"})
    EXPECT_EQ(RoleStateFromName(other), RoleStateKind::kNone) << other;
  EXPECT_EQ(RoleStateFromName(std::string("die\0x", 5)), RoleStateKind::kNone);
}

TEST(RoleStateKindTest, TheFileIsIndexedByKindAsByName) {
  // Out of order, a duplicate (the first one counts), no "run", an unknown name, and a "dieout"
  // record that no real file has but that must index like the name lookup does.
  auto bytes = WriteRoleAnimation(MakeAnimation(
      {{"walk", 2}, {"attack", 1}, {"stand", 3}, {"walk", 4}, {"die", 2}, {"dieout", 1}}));
  RoleAnimation anim;
  std::string error;
  ASSERT_TRUE(ParseRoleAnimation(bytes, anim, &error)) << error;
  for (int k = 0; k < kRoleStateKinds; ++k) {
    const auto kind = static_cast<RoleStateKind>(k);
    EXPECT_EQ(anim.FindState(kind), anim.FindState(RoleStateName(kind))) << k;
  }
  EXPECT_EQ(anim.FindState(RoleStateKind::kWalk), 0);
  EXPECT_EQ(anim.FindState(RoleStateKind::kStand), 2);
  EXPECT_EQ(anim.FindState(RoleStateKind::kRun), -1);
  EXPECT_EQ(anim.FindState(RoleStateKind::kFight), -1);
  EXPECT_EQ(anim.FindState(RoleStateKind::kDie), 4);
  EXPECT_EQ(anim.FindState(RoleStateKind::kNone), -1);

  // A rejected file leaves the target, index included, as it was.
  RoleAnimation kept = anim;
  bytes.resize(bytes.size() - 1);
  EXPECT_FALSE(ParseRoleAnimation(bytes, kept, &error));
  EXPECT_EQ(kept.kindIndex, anim.kindIndex);
  RoleAnimation empty;
  EXPECT_FALSE(ParseRoleAnimation(bytes, empty, &error));
  for (int k = 0; k < kRoleStateKinds; ++k)
    EXPECT_EQ(empty.FindState(static_cast<RoleStateKind>(k)), -1);
}

TEST_F(RoleStateTest, OnlyADyingOrDeadRoleIsDead) {
  auto role = MakeNpc(Record("wolf"), 1000, 800);
  EXPECT_EQ(role->State(), RoleStateKind::kNone);
  EXPECT_FALSE(role->IsDead());
  role->Update(kFree);
  EXPECT_EQ(role->State(), RoleStateKind::kStand);
  EXPECT_EQ(role->StateName(), "stand");
  EXPECT_FALSE(role->IsDead());
  role->MoveTo(1200, 800, RoleStateKind::kRun);
  EXPECT_EQ(role->StateName(), "run");
  EXPECT_FALSE(role->IsDead());
  role->ChangeHp('-', 500);
  EXPECT_EQ(role->State(), RoleStateKind::kDie);
  EXPECT_TRUE(role->IsDead());
  for (int i = 0; i < 5 && role->State() == RoleStateKind::kDie; ++i) role->Update(kFree);
  EXPECT_EQ(role->State(), RoleStateKind::kDieOut);
  EXPECT_EQ(role->StateName(), "dieout");
  EXPECT_TRUE(role->IsDead());

  // A fighting role is alive, and a role without a file animates nothing but still dies.
  auto player = MakePlayer();
  player->SelectSkill(1, 1);
  ASSERT_EQ(player->StartSkill(), 1);
  EXPECT_EQ(player->State(), RoleStateKind::kFight);
  EXPECT_FALSE(player->IsDead());
  Role blank(context_, "absent.pmg", "b", 0, 0, 1, 1, 0);
  blank.Update(kFree);
  EXPECT_EQ(blank.State(), RoleStateKind::kStand);
  EXPECT_FALSE(blank.IsDead());
  blank.ChangeHp('-', 5);
  EXPECT_EQ(blank.State(), RoleStateKind::kDieOut);
  EXPECT_TRUE(blank.IsDead());
  EXPECT_EQ(blank.Update(kFree), 0);
}

TEST_F(RoleStateTest, OrdersSwitchBetweenGoingAndChasing) {
  auto player = MakePlayer();
  auto npc = MakeNpc(Record("wolf"), 1200, 800);
  EXPECT_EQ(player->OrderMode(), RoleOrder::kGoTo);
  EXPECT_EQ(static_cast<int>(RoleOrder::kGoTo), 3);  // the values the state dump reports
  EXPECT_EQ(static_cast<int>(RoleOrder::kChase), 11);
  player->SetFightTarget(npc->NpcId(), npc.get());
  EXPECT_EQ(player->OrderMode(), RoleOrder::kChase);
  npc->SetHostile(true, player.get());
  EXPECT_EQ(npc->OrderMode(), RoleOrder::kChase);
  npc->SetHostile(false, player.get());
  EXPECT_EQ(npc->OrderMode(), RoleOrder::kGoTo);
}

}  // namespace
}  // namespace isora::test
