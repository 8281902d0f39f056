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

}  // namespace
}  // namespace isora::test
