// The enhanced switches a fight and a death are felt through: kills that count only kills,
// friends the left button spares, a held button locked on its monster, the autosave offered
// after death, and a missing sound device told without a box. Each is checked against the
// classic behaviour with the switch off.
#include <cstdlib>
#include <filesystem>

#include "demo_session.h"
#include "foundation/enhancements.h"
#include "foundation/file_io.h"
#include "roles/role_npc.h"
#include "shell/game_world.h"

namespace isora::e2e {
namespace {

using nlohmann::json;

// The first person of the map who can be killed (no creature), moved to `at` and made
// hostile or not.
CRoleNPC& PlaceRole(DemoSession& d, Point at, bool hostile) {
  CRoleNPC* role = nullptr;
  for (const auto& e : d.game->World().npcs.Entries())
    if (e.role && e.role->Kind() != 1 && e.role->FindState(RoleStateKind::kDie) >= 0 && !role)
      role = e.role.get();
  EXPECT_NE(role, nullptr);
  role->SetPosition(at.x, at.y);
  if (role->Hostile() != hostile) role->SetHostile(hostile, d.game->World().player.get());
  role->MoveTo(at.x, at.y, RoleStateKind::kStand);
  return *role;
}

TEST(GameFeel, KillAnyMissionsCountOnlyHostileDeathsWithTheSwitch) {
  // The Elder's gift of potions completed "defeat 5 creatures".
  for (bool on : {false, true}) {
    DemoSession d;
    ASSERT_TRUE(d.NewGame());
    d.Switch(Enhancement::kKillsOnlyKills, on);
    d.game->Scripting().AddMission("Cull", "Defeat five creatures", 2, "", 5, 0, 0);
    d.game->Scripting().AddPlayerItem("Red Potion", 1);
    d.game->RoleKilled("Deer", false);
    d.game->RoleKilled("Wolf", true);
    EXPECT_EQ(d.game->Missions().ObjectiveCount("Cull"), on ? 1 : 3) << on;
  }
}

TEST(GameFeel, AHeldButtonSparesFriendsAndStaysOnItsMonster) {
  struct Case {
    bool hostile, safeFriends, lock;
    bool fights, keepsTargetOffCursor;
  };
  for (const Case& c :
       {Case{false, false, false, true, false}, Case{false, true, false, false, false},
        Case{true, true, false, true, false}, Case{true, true, true, true, true}}) {
    DemoSession d;
    ASSERT_TRUE(d.NewGame());
    d.Click(498, 80);  // the tutorial's close button: the panel claims the cursor
    d.Switch(Enhancement::kSafeFriends, c.safeFriends);
    d.Switch(Enhancement::kTargetLock, c.lock);
    d.Switch(Enhancement::kPathFinding, false);
    d.game->World().route.SetEnabled(false);
    const json s = d.State();
    const Point hero{s["player"]["x"], s["player"]["y"]},
        camera{s["camera"]["x"], s["camera"]["y"]};
    CRoleNPC& role = PlaceRole(d, Point{hero.x + 150, hero.y}, c.hostile);
    d.Step();
    d.Move(role.X() - camera.x, role.Y() - camera.y);
    d.platform.InjectButton(MouseButton::Left, true);
    d.Step(2);
    const Role& player = *d.game->World().player;
    EXPECT_EQ(player.FightTarget() == &role, c.fights) << c.hostile << c.safeFriends << c.lock;
    // The cursor leaves the role while the button is held.
    d.Move(role.X() - camera.x, role.Y() - camera.y - 150);
    d.Step(2);
    if (c.fights)
      EXPECT_EQ(player.FightTarget() == &role, c.keepsTargetOffCursor) << c.hostile << c.lock;
    d.platform.InjectButton(MouseButton::Left, false);
    d.Step();
  }
}

TEST(GameFeel, AMapChangeAutosavesAndTheDeathScreenOffersIt) {
  DemoSession d;
  ASSERT_TRUE(d.NewGame());
  ASSERT_TRUE(d.Until([](const json& s) { return s["mode"] == "ModePlay"; }, 200));
  d.Step(5);
  const std::string autosave = NativePath("saves/7.sav");
  ASSERT_TRUE(std::filesystem::exists(autosave)) << "the new game's first map autosaves";
  // The hero falls: a click continues from the autosave instead of the main menu.
  d.game->World().player->ChangeHp('-', 1 << 20);
  ASSERT_TRUE(d.UntilMode("ModeFrozen", 300));
  d.Click(320, 240);
  EXPECT_TRUE(d.Until([](const json& s) { return s["mode"] == "ModePlay"; }, 300));
  EXPECT_GT(d.State()["player"]["hp"].get<int>(), 0);
}

TEST(GameFeel, NoSoundDeviceIsToldOnTheMessageLineNotInABox) {
  const char* before = std::getenv("SDL_AUDIODRIVER");
  const std::string kept = before ? before : "";
  setenv("SDL_AUDIODRIVER", "no-such-audio-driver", 1);
  {
    DemoSession d(PixelFormat::Rgb565, {}, {}, false, /*sound=*/true);
    EXPECT_TRUE(d.platform.MessageBoxes().empty());
    d.game->StartOnMap("town.map", 20, 40);
    EXPECT_TRUE(d.Until(
        [&](const json& s) {
          return s["message"]["text"] == d.game->Texts().Get(TextId::kNoSoundDevice);
        },
        100));
  }
  if (before)
    setenv("SDL_AUDIODRIVER", kept.c_str(), 1);
  else
    unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
}  // namespace isora::e2e
