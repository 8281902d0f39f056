#include <gtest/gtest.h>

#include "role_fixture.h"
#include "support/fixed_clock.h"

namespace isora::test {
namespace {

constexpr uint32_t kFree = MakeProbeResult(true, -1);

class RoleFightTest : public RoleTest {
 protected:
  // The next fight step rolls `roll`.
  void Roll(int roll) {
    int64_t at = CalendarForRoll(roll);
    ASSERT_GT(at, 0);
    clock_.Set(at);
  }
  // The player attacks the role with its current skill and the fight resolves.
  void Attack(Role& player, Role& target) {
    player.SetFightTarget(target.NpcId(), &target);
    ASSERT_EQ(player.StartSkill(), 1);
    EXPECT_EQ(player.StateName(), "fight");
    FinishFight(player);
  }
  InstalledClock clock_;
};

TEST_F(RoleFightTest, SkillSelectionAndItsValues) {
  auto role = MakePlayer();
  ASSERT_NE(role->Skill(), nullptr);
  EXPECT_EQ(role->Skill()->SkillId(), 1);
  EXPECT_EQ(role->Skill()->Kind(), 1);
  EXPECT_EQ(role->Skill()->Range(), 20);
  EXPECT_EQ(role->Skill()->Power(), 30);
  EXPECT_EQ(role->Skill()->MpCost(), 5);
  EXPECT_EQ(role->Skill()->SoundName(), "strike.wav");

  EXPECT_FALSE(role->SelectSkillByKey('h'));  // not learned
  role->Growth().MutableLearnedSkills().push_back({2, 3});
  EXPECT_TRUE(role->SelectSkillByKey('h'));
  EXPECT_EQ(role->Skill()->SkillId(), 2);
  EXPECT_EQ(role->Skill()->Level(), 3);
  EXPECT_FALSE(role->SelectSkillByKey('z'));

  EXPECT_FALSE(role->Skill()->SetSkill(9, 1));  // past the table
  EXPECT_EQ(role->Skill()->SkillId(), 2);
  EXPECT_FALSE(role->Skill()->SetSkill(0, 4));
  EXPECT_EQ(role->Skill()->Kind(), -1);
  EXPECT_EQ(role->Skill()->Range(), 0);
  EXPECT_EQ(role->Skill()->Power(), 0);
}

TEST_F(RoleFightTest, DamageLosesDefenceButNeverFallsBelowFive) {
  auto target = MakeNpc(Record("wolf"), 1000, 800);
  target->Growth().MutableAttrs().defence = 50;
  target->ChangeHp('-', 30 + 10);
  EXPECT_EQ(target->Attrs().hp, 95);
  target->ChangeHp('-', 3);
  EXPECT_EQ(target->Attrs().hp, 92);
  target->ChangeHp('+', 500);
  EXPECT_EQ(target->Attrs().hp, 100);
  target->ChangeHp('x', 50);
  EXPECT_EQ(target->Attrs().hp, 100);
}

TEST_F(RoleFightTest, AHitDealsPowerPlusAttackAndThePlayerPays) {
  auto player = MakePlayer();
  auto target = MakeNpc(Record("wolf"), 1040, 800, 2);
  target->Growth().MutableAttrs().defence = 50;
  Roll(20);
  Attack(*player, *target);
  EXPECT_EQ(target->Attrs().hp, 95);
  EXPECT_EQ(player->Attrs().mp, 45);
  EXPECT_EQ(player->StateName(), "stand");
  EXPECT_EQ(player->FightTarget(), nullptr);
  ASSERT_GE(host_.sounds.size(), 2u);
  EXPECT_EQ(host_.sounds[0], "sound\\role_fight.wav");
  EXPECT_EQ(host_.sounds[1], "sound\\strike.wav");
}

TEST_F(RoleFightTest, HitRollsAboveTheHitRateHalveThePowerAndMissesCostHalf) {
  auto player = MakePlayer();
  auto target = MakeNpc(Record("wolf"), 1040, 800, 2);
  Roll(50);  // hit rate 30: a hit at half power
  Attack(*player, *target);
  EXPECT_EQ(target->Attrs().hp, 100 - (15 + 10));

  Roll(95);  // a miss: nothing happens but half the cost
  const int mp = player->Attrs().mp;
  Attack(*player, *target);
  EXPECT_EQ(target->Attrs().hp, 75);
  EXPECT_EQ(player->Attrs().mp, mp - 2);

  player->Growth().MutableAttrs().hitRate = 95;
  Roll(99);  // never misses, but above the hit rate
  Attack(*player, *target);
  EXPECT_EQ(target->Attrs().hp, 75 - 25);
  Roll(95);
  Attack(*player, *target);
  EXPECT_EQ(target->Attrs().hp, 50 - 40);
}

TEST_F(RoleFightTest, NonPlayerRollsAreSquaredSoTenIsASureFullHit) {
  auto player = MakePlayer();
  NpcRecord r = Record("orc");
  r.skillId = 1;
  auto npc = MakeNpc(r, 1040, 800, 4, player.get());
  npc->Growth().MutableAttrs().hitRate = 10;
  Roll(10);  // 100 mod 100 = 0
  npc->SetFightTarget(0, player.get());
  ASSERT_EQ(npc->StartSkill(), 1);
  FinishFight(*npc);
  EXPECT_EQ(player->Attrs().hp, 100 - (30 + 4));
  EXPECT_EQ(npc->Attrs().mp, 50);       // non-player roles never pay
  EXPECT_EQ(npc->StateName(), "walk");  // and keep chasing
  EXPECT_EQ(npc->FightTarget(), player.get());
}

TEST_F(RoleFightTest, KillingGivesExperienceOnceAndTellsTheMissions) {
  auto player = MakePlayer();
  NpcRecord r = Record("slime");
  r.hp = 20;
  r.expValue = 30;
  auto target = MakeNpc(r, 1040, 800, 2);
  Roll(5);
  Attack(*player, *target);
  EXPECT_EQ(target->Attrs().hp, 0);
  EXPECT_EQ(target->StateName(), "die");
  EXPECT_EQ(player->Attrs().exp, 30);
  EXPECT_EQ(host_.killed, std::vector<std::string>{"slime"});

  // A body hit again is neither killed nor worth experience twice.
  Attack(*player, *target);
  EXPECT_EQ(player->Attrs().exp, 30);
  EXPECT_EQ(host_.killed.size(), 1u);
}

TEST_F(RoleFightTest, DeathPlaysOutAndLeavesTheBodyOnTheGround) {
  auto role = MakeNpc(Record("wolf"), 1000, 800);
  role->SetHighlighted(true);
  role->ChangeHp('-', 500);
  EXPECT_EQ(role->StateName(), "die");
  EXPECT_EQ(role->FrameStep(), 1);
  EXPECT_EQ(graphics_.draws.back().name, "die_1_0");
  for (int i = 0; i < 3; ++i) role->Update(kFree);
  EXPECT_EQ(role->StateName(), "dieout");
  EXPECT_EQ(role->FrameStep(), 3);
  EXPECT_FALSE(role->Highlighted());
  EXPECT_EQ(graphics_.draws.back().name, "die_1_3");
  EXPECT_EQ(graphics_.draws.back().layer, 2);
  EXPECT_TRUE(LogHas("die"));
  EXPECT_TRUE(LogHas("copy over"));
  const size_t draws = graphics_.draws.size();
  EXPECT_EQ(role->Update(kFree), 0);
  EXPECT_EQ(graphics_.draws.size(), draws);

  auto plain = MakeNpc(Record("ghost", "nodie.pmg"), 1000, 800);
  plain->ChangeHp('-', 500);
  EXPECT_EQ(plain->StateName(), "dieout");
}

TEST_F(RoleFightTest, AHealingSkillHealsOnTheFirstWalkStep) {
  auto player = MakePlayer();
  player->Growth().MutableAttrs().hp = 50;
  player->Growth().MutableLearnedSkills().push_back({2, 1});
  ASSERT_TRUE(player->SelectSkillByKey('h'));
  const int x = player->X();
  player->MoveTo(x + 300, player->Y(), RoleStateKind::kWalk);
  player->Update(kFree);
  EXPECT_EQ(player->StateName(), "fight");
  EXPECT_EQ(player->X(), x);
  Roll(0);
  FinishFight(*player);
  EXPECT_EQ(player->Attrs().hp, 70);
  EXPECT_EQ(player->Attrs().mp, 45);
  EXPECT_EQ(player->StateName(), "stand");
}

TEST_F(RoleFightTest, NotEnoughMpDropsTheOrder) {
  auto player = MakePlayer();
  auto target = MakeNpc(Record("wolf"), 1040, 800, 2);
  player->Growth().MutableAttrs().mp = 4;
  player->SetFightTarget(2, target.get());
  player->MoveTo(target->X(), target->Y(), RoleStateKind::kRun);
  EXPECT_EQ(player->StartSkill(), 0);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0], "My MP is not enough, I cann't use current skill now.");
  EXPECT_EQ(player->StateName(), "stand");
  EXPECT_EQ(player->FightTarget(), nullptr);
  EXPECT_EQ(player->FightTargetId(), -1);
}

TEST_F(RoleFightTest, StruckRolesFightBackOrFlee) {
  auto player = MakePlayer();
  auto fighter = MakeNpc(Record("orc"), 1040, 800, 2);
  Roll(0);
  Attack(*player, *fighter);
  EXPECT_EQ(fighter->FightTarget(), player.get());
  EXPECT_EQ(fighter->FightTargetId(), 0);
  EXPECT_EQ(fighter->OrderMode(), RoleOrder::kChase);
  EXPECT_EQ(fighter->StateName(), "walk");
  EXPECT_EQ(fighter->TargetX(), player->X());

  auto deer = MakeNpc(Record("deer", "walker.pmg"), 1040, 800, 3);
  CRand::Srand(9);
  const int r1 = CRand::Rand() % 1400, r2 = CRand::Rand() % 1400;
  CRand::Srand(9);
  const int x = deer->X(), y = deer->Y();
  Attack(*player, *deer);
  EXPECT_EQ(deer->FightTarget(), nullptr);
  EXPECT_EQ(deer->StateName(), "walk");
  EXPECT_EQ(deer->TargetX(), x + r2 - 200);
  EXPECT_EQ(deer->TargetY(), y - r1 + 200);
}

TEST_F(RoleFightTest, AMissedAttackStillProvokesItsTarget) {
  auto player = MakePlayer();
  auto fighter = MakeNpc(Record("orc"), 1040, 800, 2);
  Roll(95);  // hit rate 30: a miss
  Attack(*player, *fighter);
  EXPECT_EQ(fighter->Attrs().hp, 100);
  EXPECT_EQ(fighter->FightTarget(), player.get());
  EXPECT_EQ(fighter->OrderMode(), RoleOrder::kChase);
}

TEST_F(RoleFightTest, ChasersStartTheSkillWithinReach) {
  auto player = MakePlayer(1000, 800);
  NpcRecord r = Record("archer");
  r.skillId = 3;  // range 200
  r.fightMode = 1;
  auto npc = MakeNpc(r, 1100, 800, 2, player.get());
  EXPECT_EQ(npc->FightTarget(), player.get());
  EXPECT_EQ(npc->OrderMode(), RoleOrder::kChase);
  npc->MoveTo(npc->X() + 50, npc->Y(), RoleStateKind::kWalk);
  npc->Update(kFree);
  EXPECT_EQ(npc->StateName(), "fight");
  EXPECT_EQ(npc->Direction(), 7);
}

// A chaser turned toward its target by the chase step must not step where the probe of its old
// direction looked: the step is probed after the turn.
TEST_F(RoleFightTest, AChaserProbesTheDirectionItTurnedTo) {
  auto player = MakePlayer(1000, 800);
  NpcRecord r = Record("brute");
  r.fightMode = 1;
  auto npc = MakeNpc(r, 1300, 800, 2, player.get());
  npc->MoveTo(1400, 800, RoleStateKind::kWalk);  // heading east; the target is west
  int probes = 0;
  const Role::StepProber westIsBlocked = [&](const Role& role) {
    ++probes;
    return MakeProbeResult(role.StepProbe().x >= role.X(), -1);
  };
  npc->Update(westIsBlocked);
  EXPECT_GE(npc->X(), 1300);
  EXPECT_EQ(probes, 1);  // once, after the chase turned it
  // Free ground both ways: after its sidestep the chaser closes in.
  for (int i = 0; i < 20; ++i) npc->Update([](const Role&) { return kFree; });
  EXPECT_LT(npc->X(), 1300);
}

TEST_F(RoleFightTest, AnOrderAfterTheFightOrderStopsTheChase) {
  auto player = MakePlayer(1000, 800);
  auto wolf = MakeNpc(Record("wolf"), 1200, 800, 2);
  player->SetFightTarget(wolf->NpcId(), wolf.get());
  player->MoveTo(1200, 800, RoleStateKind::kRun);
  player->Update(kFree);
  EXPECT_GT(player->X(), 1000);
  // Walking away: order 3, the target kept but no longer chased.
  player->SetOrderMode(RoleOrder::kGoTo);
  player->MoveTo(800, 800, RoleStateKind::kWalk);
  const int x = player->X();
  for (int i = 0; i < 5; ++i) player->Update(kFree);
  EXPECT_LT(player->X(), x);
  EXPECT_EQ(player->TargetX(), 800);
}

TEST_F(RoleFightTest, AHostileRoleWithoutASkillOnlyWalks) {
  auto player = MakePlayer(1000, 800);
  NpcRecord r = Record("brute");
  r.fightMode = 1;
  auto npc = MakeNpc(r, 1010, 800, 2, player.get());
  EXPECT_EQ(npc->Skill(), nullptr);
  npc->MoveTo(player->X(), player->Y(), RoleStateKind::kWalk);
  for (int i = 0; i < 50; ++i) {
    npc->Update(i % 2 ? kFree : MakeProbeResult(false, 0));
    EXPECT_NE(npc->StateName(), "fight");
  }
  EXPECT_EQ(npc->StartSkill(), 0);
  EXPECT_EQ(player->Attrs().hp, 100);
}

TEST_F(RoleFightTest, AFightWhoseTargetVanishedEndsInsteadOfHanging) {
  auto player = MakePlayer();
  auto target = MakeNpc(Record("wolf"), 1040, 800, 2);
  player->SetFightTarget(2, target.get());
  ASSERT_EQ(player->StartSkill(), 1);
  player->ForgetTargetIf(target.get());
  Roll(0);
  FinishFight(*player);
  EXPECT_EQ(player->StateName(), "stand");
  EXPECT_EQ(player->MoveTo(player->X() + 50, player->Y(), RoleStateKind::kWalk), 1);
}

TEST_F(RoleFightTest, EffectAnimationRunsCentredOneFramePerUpdate) {
  skills_.SetRecords({SkillRecord{}, MakeSkill("fire", 1, 30, 0, 'f', 0, 2)});
  auto player = MakePlayer();
  auto target = MakeNpc(Record("wolf"), 1040, 800, 2);
  Roll(0);
  player->SetFightTarget(2, target.get());
  player->StartSkill();
  player->Update(kFree);
  player->Update(kFree);  // resolves: frame 0 at the start, frame 1 by the same update
  auto* skill = player->Skill();
  EXPECT_TRUE(skill->EffectActive());
  EXPECT_EQ(skill->EffectFrame(), 1);
  auto it = std::find_if(graphics_.draws.begin(), graphics_.draws.end(),
                         [](const auto& d) { return d.name == "fire_fx0"; });
  ASSERT_NE(it, graphics_.draws.end());
  EXPECT_EQ(it->pack, 4);
  EXPECT_EQ(it->layer, 3);
  EXPECT_EQ(it->x, target->X() - 8);
  EXPECT_EQ(it->y, target->Y() - 4);
  EXPECT_NE(
      std::find_if(it, graphics_.draws.end(), [](const auto& d) { return d.name == "fire_fx1"; }),
      graphics_.draws.end());
  EXPECT_FALSE(skill->SetSkill(1, 1));  // refused while the effect runs
  player->Update(kFree);
  EXPECT_FALSE(skill->EffectActive());
  EXPECT_EQ(skill->EffectFrame(), -1);
  EXPECT_TRUE(skill->SetSkill(1, 1));
}

TEST_F(RoleFightTest, ZeroHpSetOtherwiseStillPlaysTheDeathOnce) {
  auto role = MakeNpc(Record("wolf"), 1000, 800);
  role->MoveTo(role->X() + 100, role->Y(), RoleStateKind::kWalk);
  role->Growth().MutableAttrs().hp = 0;
  role->Update(kFree);
  EXPECT_EQ(role->StateName(), "die");
  for (int i = 0; i < 5; ++i) role->Update(kFree);
  EXPECT_EQ(role->StateName(), "dieout");
  role->Update(kFree);
  EXPECT_EQ(role->StateName(), "dieout");  // never back to "die"

  auto plain = MakeNpc(Record("ghost", "nodie.pmg"), 1000, 800);
  plain->Growth().MutableAttrs().hp = -3;
  EXPECT_EQ(plain->Update(kFree), 0);
  EXPECT_EQ(plain->StateName(), "dieout");
}

TEST_F(RoleFightTest, HpFractionNeverDividesByZero) {
  auto role = MakePlayer();
  role->Growth().MutableAttrs().hp = 25;
  EXPECT_DOUBLE_EQ(role->HpFraction(), 0.25);
  role->Growth().MutableAttrs().maxHp = 0;
  EXPECT_EQ(role->HpFraction(), 0.0);
}

}  // namespace
}  // namespace isora::test
