#include "world/role_grid.h"

#include <gtest/gtest.h>

#include "roles/role_fixture.h"

namespace isora::test {
namespace {

class RoleGridTest : public RoleTest {
 protected:
  // The answer of walking the whole draw list in order.
  const Role* Walk(int x, int y, const Role* self) const {
    for (Role* r : list_)
      if (r && r != self && !r->IsDead() && r->Bounds().Contains(x, y)) return r;
    return nullptr;
  }
  void ExpectSameAnswers(const RoleGrid& grid, uint32_t seed) {
    for (int i = 0; i < 3000; ++i) {
      seed = seed * 1103515245 + 12345;
      const int x = static_cast<int>(seed >> 8) % 3400 - 100;
      seed = seed * 1103515245 + 12345;
      const int y = static_cast<int>(seed >> 8) % 1800 - 100;
      const Role* self = list_[i % list_.size()];
      ASSERT_EQ(grid.FirstAt(x, y, self), Walk(x, y, self)) << x << "," << y;
    }
  }
  // Points on and just off the edges of every listed role's picture.
  void ExpectSameAnswersAtEdges(const RoleGrid& grid) {
    for (const Role* r : list_) {
      if (!r) continue;
      const Rect b = r->Bounds();
      for (int x : {b.left - 1, b.left, r->X(), b.right - 1, b.right})
        for (int y : {b.top - 1, b.top, r->Y(), b.bottom - 1, b.bottom}) {
          ASSERT_EQ(grid.FirstAt(x, y, nullptr), Walk(x, y, nullptr)) << x << "," << y;
          ASSERT_EQ(grid.FirstAt(x, y, r), Walk(x, y, r)) << x << "," << y;
        }
    }
  }
  std::vector<std::unique_ptr<CRoleNPC>> npcs_;
  std::vector<Role*> list_;
};

TEST_F(RoleGridTest, AnswersAsTheWholeListInOrder) {
  auto player = MakePlayer(1500, 800);
  player->Update(MakeProbeResult(true, -1));
  list_.push_back(player.get());
  list_.push_back(nullptr);  // a removed role's empty entry
  uint32_t seed = 7;
  for (int i = 0; i < 300; ++i) {
    seed = seed * 1103515245 + 12345;
    // Crowded: many overlap, some stand off the map's edges.
    const int x = static_cast<int>(seed >> 8) % 900 + 1100 - (i % 50 == 0 ? 1400 : 0);
    seed = seed * 1103515245 + 12345;
    const int y = static_cast<int>(seed >> 8) % 500 + 600 + (i % 70 == 0 ? 1200 : 0);
    npcs_.push_back(MakeNpc(Record("wolf"), x, y, i + 1));
    npcs_.back()->Update(MakeProbeResult(true, -1));  // drawn once: its picture has a size
    list_.push_back(npcs_.back().get());
  }
  npcs_[10]->ChangeHp('-', 10000);  // the dead are never found
  RoleGrid grid;
  grid.Build(list_);
  ExpectSameAnswers(grid, 11);

  // Roles that move are filed again; far moves cross many cells.
  for (size_t i = 0; i < npcs_.size(); i += 3) {
    npcs_[i]->SetPosition(npcs_[i]->X() + static_cast<int>(i) * 7 - 600,
                          npcs_[i]->Y() + static_cast<int>(i % 11) * 40 - 200);
    grid.Moved(static_cast<int>(i) + 2);
  }
  ExpectSameAnswers(grid, 12);
  EXPECT_EQ(grid.FirstAt(-5000, -5000, nullptr), nullptr);
}

TEST_F(RoleGridTest, RolesOfEverySizeAreFoundWhereverTheirPicturesReach) {
  // A role's pictures differ in size from state to state, and one file's from another's.
  WriteRoleFile("giant.pmg", {{"stand", 2, 200, 160}, {"walk", 2, 30, 40}, {"die", 2, 300, 20}});
  WriteRoleFile("tiny.pmg", {{"stand", 1, 3, 5}, {"walk", 1, 7, 1}});
  uint32_t seed = 3;
  for (int i = 0; i < 240; ++i) {
    seed = seed * 1103515245 + 12345;
    const int x = static_cast<int>(seed >> 8) % 600 + 1200;
    seed = seed * 1103515245 + 12345;
    const int y = static_cast<int>(seed >> 8) % 300 + 700;
    const char* file = i % 3 == 0 ? "giant.pmg" : i % 3 == 1 ? "tiny.pmg" : "mon.pmg";
    npcs_.push_back(MakeNpc(Record("crowd", file), x, y, i + 1));
    npcs_.back()->Update(MakeProbeResult(true, -1));
    list_.push_back(npcs_.back().get());
  }
  RoleGrid grid;
  grid.Build(list_);
  ExpectSameAnswersAtEdges(grid);

  // Roles that set off walk with a picture of another size, step by step across the cells, as
  // the frame files each role again after its update.
  for (int frame = 0; frame < 30; ++frame) {
    for (size_t i = 0; i < npcs_.size(); ++i) {
      CRoleNPC& npc = *npcs_[i];
      if (frame == 0 && i % 2 == 0)
        npc.MoveTo(npc.X() + 400 - static_cast<int>(i) * 3, npc.Y() - 90, RoleStateKind::kWalk);
      npc.Update(MakeProbeResult(true, -1));
      grid.Moved(static_cast<int>(i));
    }
  }
  ExpectSameAnswersAtEdges(grid);
  ExpectSameAnswers(grid, 5);

  // A shorter list built anew (roles removed, one entry emptied) leaves nothing of the longer.
  list_.resize(list_.size() / 2);
  list_[7] = nullptr;
  grid.Build(list_);
  ExpectSameAnswersAtEdges(grid);
  ExpectSameAnswers(grid, 6);
  const Role* gone = npcs_.back().get();
  const Rect b = gone->Bounds();
  for (int y = b.top; y < b.bottom; y += 3)
    for (int x = b.left; x < b.right; x += 3) ASSERT_NE(grid.FirstAt(x, y, nullptr), gone);
}

TEST_F(RoleGridTest, SyncFilesMovesAndNewRolesAsAFreshBuildWould) {
  WriteRoleFile("giant.pmg", {{"stand", 2, 220, 180}});
  for (int i = 0; i < 120; ++i) {
    npcs_.push_back(MakeNpc(Record("crowd"), 1300 + (i * 37) % 500, 700 + (i * 53) % 300, i + 1));
    npcs_.back()->Update(MakeProbeResult(true, -1));
    list_.push_back(npcs_.back().get());
  }
  RoleGrid grid;
  grid.Sync(list_);
  ExpectSameAnswersAtEdges(grid);

  // Moved without being told (as the player and roles placed by a script are).
  for (size_t i = 0; i < npcs_.size(); i += 4)
    npcs_[i]->SetPosition(npcs_[i]->X() - 150 + static_cast<int>(i), npcs_[i]->Y() + 70);
  grid.Sync(list_);
  ExpectSameAnswersAtEdges(grid);

  // Another role in an entry, with a larger picture than any filed before; then a longer list.
  auto giant = MakeNpc(Record("giant", "giant.pmg"), 1500, 900, 500);
  giant->Update(MakeProbeResult(true, -1));
  list_[30] = giant.get();
  grid.Sync(list_);
  ExpectSameAnswersAtEdges(grid);
  ASSERT_EQ(grid.FirstAt(giant->Bounds().left + 1, giant->Bounds().top + 1, nullptr),
            Walk(giant->Bounds().left + 1, giant->Bounds().top + 1, nullptr));
  auto last = MakeNpc(Record("crowd"), 1400, 800, 501);
  last->Update(MakeProbeResult(true, -1));
  list_.push_back(last.get());
  grid.Sync(list_);
  ExpectSameAnswersAtEdges(grid);
  ExpectSameAnswers(grid, 9);
}

}  // namespace
}  // namespace isora::test
