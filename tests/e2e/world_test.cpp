// Playing on the map: walking and running, map exits, talking, the shop, items on the ground,
// fights, deaths and the result screen.
#include "demo_session.h"
#include "shell/game_ui.h"
#include "shell/game_world.h"

namespace isora::e2e {
namespace {

using nlohmann::json;

// A started game with the tutorial closed.
void Play(DemoSession& d) {
  ASSERT_TRUE(d.NewGame());
  d.Click(498, 80);  // the tutorial's close button
  d.Step(2);
  ASSERT_EQ(d.State()["mode"], "ModePlay");
}

TEST(World, ClickWalksAndHoldRunsToThePoint) {
  DemoSession d;
  Play(d);
  json s = d.State();
  int cx = s["camera"]["x"], cy = s["camera"]["y"];
  int px = s["player"]["x"], py = s["player"]["y"];
  // Hold the right button: the player walks toward the cursor.
  d.Move(px - cx + 60, py - cy + 40);
  d.platform.InjectButton(MouseButton::Right, true);
  d.Step(3);
  d.platform.InjectButton(MouseButton::Right, false);
  s = d.State();
  EXPECT_EQ(s["player"]["state"], "walk");
  // The target follows the cursor over the moving camera.
  int tx = s["player"]["targetX"], ty = s["player"]["targetY"];
  EXPECT_NEAR(tx, px + 60, 12);
  EXPECT_NEAR(ty, py + 40, 12);
  ASSERT_TRUE(d.Until([](const json& st) { return st["player"]["state"] == "stand"; }, 200));
  s = d.State();
  EXPECT_NEAR(s["player"]["x"].get<int>(), tx, 4);
  EXPECT_NEAR(s["player"]["y"].get<int>(), ty, 4);

  // Hold the left button on open ground: the player runs.
  px = s["player"]["x"];
  py = s["player"]["y"];
  cx = s["camera"]["x"];
  cy = s["camera"]["y"];
  d.Move(px - cx - 50, py - cy + 20);
  d.platform.InjectButton(MouseButton::Left, true);
  d.Step(2);
  EXPECT_EQ(d.State()["player"]["state"], "run");
  d.platform.InjectButton(MouseButton::Left, false);
  ASSERT_TRUE(d.Until([](const json& st) { return st["player"]["state"] == "stand"; }, 200));
}

// Holds the left button on a map point (the cursor kept on it while the view follows the hero)
// for up to `frames` frames; true once the hero stands on it.
bool HoldOn(DemoSession& d, Point goal, int frames) {
  d.platform.InjectButton(MouseButton::Left, true);
  bool there = false;
  for (int frame = 0; frame < frames && !there; ++frame) {
    json s = d.State();
    d.Move(goal.x - s["camera"]["x"].get<int>(), goal.y - s["camera"]["y"].get<int>());
    d.Step();
    s = d.State();
    there = std::abs(s["player"]["x"].get<int>() - goal.x) <= 6 &&
            std::abs(s["player"]["y"].get<int>() - goal.y) <= 6;
  }
  d.platform.InjectButton(MouseButton::Left, false);
  d.Step();
  return there;
}

// The signpost stands in the middle of the road out of Willowmere, on cell (20, 44). Holding
// the button on the road past it used to leave the hero standing at the post ("get
// block,stand!"); the demo asks for path-finding, so he walks round it. Without it he stops.
TEST(World, HoldingTheButtonPastTheSignpostWalksRoundIt) {
  for (bool route : {true, false}) {
    DemoSession d;
    Play(d);
    d.game->World().route.SetEnabled(route);
    const GameMap& map = d.game->Map();
    const Point post = map.CellPosition(20, 44);
    ASSERT_EQ(map.IsPassableAt(post.x + 32, post.y + 16), 0);
    const json s = d.State();
    const Point player{s["player"]["x"], s["player"]["y"]};
    const Point cell = map.CellPosition(20, 46);      // the road beyond the post
    const Point goal{cell.x + 32, cell.y + 16 - 32};  // the hero's feet on the cell's centre
    // The straight line from the hero's feet to the goal's crosses the post's cell.
    bool crosses = false;
    for (int i = 0; i <= 64; ++i) {
      const int x = player.x + (goal.x - player.x) * i / 64;
      const int y = player.y + 32 + (goal.y - player.y) * i / 64;
      crosses |= map.CellAt(x, y) == CellIndex{20, 44};
    }
    ASSERT_TRUE(crosses);
    EXPECT_EQ(HoldOn(d, goal, 300), route) << (route ? "with" : "without") << " path-finding";
  }
}

// A person standing 64 pixels below the hero holds his feet inside her picture: every step he
// tried landed inside it too ("get block,stand!"), so he could not move at all.
TEST(World, AHeroWithHisFeetInsideAPersonsPictureStepsOutOfIt) {
  for (Point away : {Point{0, -120}, Point{-120, 0}, Point{120, 0}}) {
    DemoSession d;
    Play(d);
    d.game->World().route.SetEnabled(false);
    const json s = d.State();
    const Point hero{s["player"]["x"], s["player"]["y"]};
    CRoleNPC* person = nullptr;
    for (const auto& e : d.game->World().npcs.Entries())
      if (e.role && !e.role->Wanders() && !person) person = e.role.get();
    ASSERT_NE(person, nullptr);
    person->SetPosition(hero.x, hero.y + 64);
    ASSERT_TRUE(person->Bounds().Contains(hero.x, hero.y + kRoleFeet));
    HoldOn(d, Point{hero.x + away.x, hero.y + away.y}, 30);
    const json after = d.State();
    EXPECT_GT(std::abs(after["player"]["x"].get<int>() - hero.x) +
                  std::abs(after["player"]["y"].get<int>() - hero.y),
              20)
        << away.x << "," << away.y;
  }
}

// Townsfolk who wander used to take one shared random number for both coordinates, skewed
// toward the upper right: every 101 frames they all headed for the same corner and the square
// emptied. Each now draws its own point around where it stands.
TEST(World, WanderersSpreadOverTheTownInsteadOfDriftingTogether) {
  DemoSession d;
  Play(d);
  const GameWorld& world = d.game->World();
  std::vector<const CRoleNPC*> wanderers;
  std::vector<Point> start;
  for (const auto& e : world.npcs.Entries()) {
    if (!e.role || !e.role->Wanders()) continue;
    wanderers.push_back(e.role.get());
    start.push_back(Point{e.role->X(), e.role->Y()});
  }
  ASSERT_GE(wanderers.size(), 4u);
  d.Step(1000);
  ASSERT_EQ(d.State()["mode"], "ModePlay");
  double sumX = 0, sumY = 0;
  int right = 0, down = 0;
  for (size_t i = 0; i < wanderers.size(); ++i) {
    const int dx = wanderers[i]->X() - start[i].x, dy = wanderers[i]->Y() - start[i].y;
    sumX += dx;
    sumY += dy;
    right += dx > 0;
    down += dy > 0;
  }
  const double n = static_cast<double>(wanderers.size());
  // No common drift: the mean move is small beside the 700 pixels a wander may reach, and
  // the wanderers did not all go one way along either axis.
  EXPECT_LT(std::abs(sumX / n), 250.0);
  EXPECT_LT(std::abs(sumY / n), 250.0);
  EXPECT_GT(right, 0);
  EXPECT_LT(right, static_cast<int>(n));
  EXPECT_GT(down, 0);
  EXPECT_LT(down, static_cast<int>(n));
  // And they are spread out, not gathered in one spot.
  int minX = 1 << 30, maxX = -(1 << 30), minY = 1 << 30, maxY = -(1 << 30);
  for (const CRoleNPC* w : wanderers) {
    minX = std::min(minX, w->X());
    maxX = std::max(maxX, w->X());
    minY = std::min(minY, w->Y());
    maxY = std::max(maxY, w->Y());
  }
  EXPECT_GT(maxX - minX, 300);
  EXPECT_GT(maxY - minY, 150);
}

TEST(World, RightClickingAVillagerTalksAndTheClickClosesIt) {
  DemoSession d;
  Play(d);
  int x = 0, y = 0;
  ASSERT_TRUE(d.Until([&](const json&) { return d.RoleOnScreen("Mira", &x, &y); }, 200));
  bool talked = false;
  for (int attempt = 0; attempt < 20 && !talked; ++attempt) {
    if (!d.RoleOnScreen("Mira", &x, &y)) break;
    d.RightClick(x, y);
    talked = d.State()["mode"] == "ModeTalk";
    if (!talked) d.Step(3);
  }
  ASSERT_TRUE(talked);
  d.Click(320, 240);
  EXPECT_EQ(d.State()["mode"], "ModePlay");
}

TEST(World, ShopBuysSellsAndRefusesWithoutMoney) {
  DemoSession d;
  Play(d);
  // The shopkeeper's talk ends in her sell panel.
  d.game->Scripting().ShowNPCTalk("Greta");
  ASSERT_EQ(d.State()["mode"], "ModeTalk");
  d.Click(320, 240);
  json s = d.State();
  ASSERT_EQ(s["mode"], "ModeBags");
  EXPECT_EQ(s["sellMode"], 1);
  GameUi& ui = d.game->Ui();
  PackPanel& shop = *ui.packPanels[1];
  ASSERT_TRUE(shop.IsShown());
  ASSERT_FALSE(shop.ShopList().empty());
  int money = s["player"]["money"];
  // Take the first ware, then put it into the first empty cell of the player's bag.
  d.ClickButton(shop.buttons[1]);
  EXPECT_NE(d.State()["heldItem"], 0);
  PlayerPanel& panel = *ui.playerPanel;
  const Button* emptyCell = nullptr;
  json bag = d.State()["player"]["bag"];
  for (int c = 0; c < 9; ++c) {
    if (bag[c]["item"] == 0) {
      emptyCell = &panel.buttons[kElementFirstCell + c];
      break;
    }
  }
  ASSERT_NE(emptyCell, nullptr);
  d.ClickButton(*emptyCell);
  s = d.State();
  int price = d.game->Items().Get(shop.ShopList()[0]).price;
  if (price <= money) {
    EXPECT_EQ(s["player"]["money"], money - price);
    EXPECT_EQ(s["heldItem"], 0);
  } else {
    EXPECT_EQ(s["message"]["text"], "My money is not enough.");
  }
  // With no money at all the next ware is refused.
  d.game->Scripting().SubMoney(s["player"]["money"]);
  d.ClickButton(shop.buttons[2]);
  json after = d.State();
  for (int c = 0; c < 9; ++c) {
    if (after["player"]["bag"][c]["item"] == 0) {
      d.ClickButton(panel.buttons[kElementFirstCell + c]);
      break;
    }
  }
  after = d.State();
  EXPECT_EQ(after["player"]["money"], 0);
  EXPECT_NE(after["message"]["text"].get<std::string>().find("money"), std::string::npos);
  // The refused ware goes back onto the shop's background; then the Wooden Sword from bag
  // cell 1 dropped there is sold for half its price.
  Rect area = shop.Area();
  Point free{-1, -1};
  for (int y = area.top + 2; y < area.bottom && free.x < 0; y += 3) {
    for (int x = area.left + 2; x < area.right && free.x < 0; x += 3) {
      if (shop.ButtonAt(x, y) < 0) free = Point{x, y};
    }
  }
  ASSERT_GE(free.x, 0);
  d.Click(free.x, free.y);
  EXPECT_EQ(d.State()["heldItem"], 0);
  d.ClickButton(panel.buttons[kElementFirstCell + 1]);
  ASSERT_EQ(d.State()["heldItem"], d.game->Items().FindItemByName("Wooden Sword"));
  d.Click(free.x, free.y);
  after = d.State();
  EXPECT_EQ(after["heldItem"], 0);
  EXPECT_EQ(after["player"]["money"],
            d.game->Items().Get(d.game->Items().FindItemByName("Wooden Sword")).price / 2);
  EXPECT_EQ(after["player"]["bag"][1]["item"], 0);

  d.Key(kVkEscape);
  after = d.State();
  EXPECT_EQ(after["mode"], "ModePlay");
  EXPECT_EQ(after["sellMode"], 0);
  EXPECT_EQ(after["heldItem"], 0);
}

TEST(World, ItemsDroppedOnTheGroundArePickedUpOncePerPress) {
  DemoSession d;
  Play(d);
  json s = d.State();
  int cx = s["camera"]["x"], cy = s["camera"]["y"];
  int px = s["player"]["x"], py = s["player"]["y"];
  // Take the potions from bag cell 0 onto the cursor and click the ground to drop them.
  PlayerPanel& panel = *d.game->Ui().playerPanel;
  d.ClickButton(panel.buttons[kElementFirstCell]);
  ASSERT_NE(d.State()["heldItem"], 0);
  d.Click(px - cx + 150, py - cy - 100);
  s = d.State();
  ASSERT_EQ(s["groundItems"].size(), 1u);
  int gx = s["groundItems"][0]["x"], gy = s["groundItems"][0]["y"];
  EXPECT_GE(gx, px);
  EXPECT_LT(gx, px + 32);
  EXPECT_GE(gy, py);
  EXPECT_LT(gy, py + 64);
  EXPECT_EQ(s["heldItem"], 0);
  // Holding the left button on it picks it up.
  // A "kill any" mission of a classic game counts every flagged gain, pick-ups included.
  d.Switch(Enhancement::kKillsOnlyKills, false);
  d.game->Scripting().AddMission("Anything", "", 2, "", 5, 0, 0);
  d.Step(5);
  s = d.State();
  cx = s["camera"]["x"];
  cy = s["camera"]["y"];
  d.Move(gx - cx + 10, gy - cy + 10);
  d.platform.InjectButton(MouseButton::Left, true);
  d.Step(3);
  d.platform.InjectButton(MouseButton::Left, false);
  d.Step();
  s = d.State();
  EXPECT_TRUE(s["groundItems"].empty());
  EXPECT_EQ(s["lastSound"], "sound\\pick_item.wav");
  EXPECT_EQ(d.game->Scripting().GetMissionObjCount("Anything"), 1);
}

TEST(World, AFullBagLeavesTheItemOnTheGround) {
  DemoSession d;
  Play(d);
  // Fill every cell with a different kind of item, then try to give one more.
  d.game->Scripting().AddPlayerItem("Wooden Sword", 9);
  json s = d.State();
  EXPECT_EQ(s["message"]["text"].get<std::string>().find(
                "My bag is full, Wooden Sword fell down onto the ground."),
            0u);
  EXPECT_EQ(s["groundItems"].size(), 1u);
  // Picking it up with the bag full says so and leaves it.
  int gx = s["groundItems"][0]["x"], gy = s["groundItems"][0]["y"];
  int cx = s["camera"]["x"], cy = s["camera"]["y"];
  d.Move(gx - cx + 5, gy - cy + 5);
  d.platform.InjectButton(MouseButton::Left, true);
  d.Step(2);
  d.platform.InjectButton(MouseButton::Left, false);
  s = d.State();
  EXPECT_EQ(s["groundItems"].size(), 1u);
  EXPECT_NE(s["message"]["text"].get<std::string>().find("My bag is full."), std::string::npos);
}

TEST(World, PlayerDeathFreezesTheGreyScreenUntilAClick) {
  DemoSession d;
  Play(d);
  d.Switch(Enhancement::kAutosave, false);  // a classic game: no autosave is offered
  d.game->Scripting().SubHP(100000);
  ASSERT_TRUE(d.UntilMode("ModeFrozen", 300));
  json s = d.State();
  EXPECT_EQ(s["player"]["state"], "dieout");
  EXPECT_EQ(s["lastSound"], "sound\\death.wav");
  d.Step(10);
  EXPECT_EQ(d.State()["mode"], "ModeFrozen");
  d.Click(320, 240);
  ASSERT_TRUE(d.UntilMode("ModeMainMenu", 40));
}

TEST(World, GameOverShowsTheScoreAndTitle) {
  DemoSession d;
  Play(d);
  d.game->Scripting().AddMoney(900);  // 1000 money, level 1: 1100 points
  d.game->Scripting().GameOver();
  ASSERT_TRUE(d.UntilMode("ModeGameOver", 40));
  json s = d.State();
  EXPECT_EQ(s["score"], 1000 + 100);
  EXPECT_EQ(s["resultTitle"], "Warden of the Vale");
  EXPECT_FALSE(s["screenshot"].get<std::string>().empty());
  d.Step(20);
  d.Click(320, 240);
  ASSERT_TRUE(d.UntilMode("ModeMainMenu", 40));
}

TEST(World, AClickShorterThanAFrameRunsToThePointOnce) {
  DemoSession d;
  Play(d);
  json s = d.State();
  int cx = s["camera"]["x"], cy = s["camera"]["y"];
  int px = s["player"]["x"], py = s["player"]["y"];
  // Pressed and released between two frames: the next frame still sees the press.
  d.Click(px - cx - 50, py - cy + 20);
  s = d.State();
  EXPECT_EQ(s["player"]["state"], "run");
  ASSERT_TRUE(d.Until([](const json& st) { return st["player"]["state"] == "stand"; }, 200));
  // The demo routes the hero round what stands there, so he stops on the nearest free cell:
  // he has moved, and went left as the click asked.
  s = d.State();
  EXPECT_LT(s["player"]["x"].get<int>(), px);
  // Counted once: the cursor moving on afterwards does not lead the player.
  px = s["player"]["x"];
  py = s["player"]["y"];
  d.Move(px - s["camera"]["x"].get<int>() + 80, py - s["camera"]["y"].get<int>() + 40);
  d.Step(5);
  s = d.State();
  EXPECT_EQ(s["player"]["state"], "stand");
  EXPECT_EQ(s["player"]["x"], px);

  // A tap that a panel claims (the attribute button) leaves the player where it stands.
  d.ClickButton(d.game->Ui().playerPanel->buttons[1]);
  EXPECT_EQ(d.State()["mode"], "ModeStatusPanel");
  d.ClickButton(d.game->Ui().playerPanel->buttons[1]);  // the same button closes it
  d.Step(3);
  s = d.State();
  EXPECT_EQ(s["mode"], "ModePlay");
  EXPECT_EQ(s["player"]["x"], px);
  EXPECT_EQ(s["player"]["state"], "stand");
}

TEST(World, TheFirstTalkNearTheMapsTopLeftShowsTheLastFrameUnderIt) {
  DemoSession d;
  d.game->StartOnMap("town.map", 0, 40);   // the west corner of the square's map
  d.Switch(Enhancement::kMinimap, false);  // its corner would differ from the composed view
  ASSERT_TRUE(d.UntilMode("ModePlay", 200));
  d.Step(20);
  json s = d.State();
  ASSERT_LT(s["camera"]["x"].get<int>(), 640);
  ASSERT_LT(s["camera"]["y"].get<int>(), 480);
  const Surface before = d.platform.LastFrame();  // the play frame the talk opens over
  d.game->Scripting().Say("Tester", "Hello", "NULL");
  d.Step(3);
  ASSERT_EQ(d.State()["mode"], "ModeTalk");
  const Surface& talk = d.platform.LastFrame();
  // The talk box starts at y 170; above it (left of the map's name) the view must be the
  // frame's, not a copy of the screen shifted by the camera.
  int differing = 0;
  for (int y = 0; y < 165; ++y) {
    for (int x = 0; x < 500; ++x) differing += talk.At(x, y) != before.At(x, y);
  }
  EXPECT_EQ(differing, 0);
}

TEST(World, TheSkillButtonClicksWithNoStatusPanelOpen) {
  DemoSession d;
  Play(d);
  d.Key(kVkF8, true);  // a level up: another sound is the last one played
  ASSERT_EQ(d.State()["lastSound"], "sound\\level_up.wav");
  d.ClickButton(d.game->Ui().playerPanel->buttons[kElementSkillButton]);
  json s = d.State();
  EXPECT_EQ(s["lastSound"], "sound\\button_click.wav");
  EXPECT_EQ(s["mode"], "ModePlay");
}

TEST(World, PeacefulRolesOutOfViewStandWhileHostileOnesMayMove) {
  DemoSession d;
  Play(d);
  d.Step(1000);
  json s = d.State();
  int cx = s["camera"]["x"], cy = s["camera"]["y"];
  int outOfView = 0;
  for (const auto& n : s["npcs"]) {
    int x = n["x"], y = n["y"];
    bool inside = x >= cx - 110 && x < cx + 750 && y >= cy - 112 && y < cy + 592;
    if (inside || n["hostile"].get<bool>()) continue;
    ++outOfView;
    EXPECT_EQ(n["state"], "stand") << n["name"] << " at " << x << "," << y;
  }
  EXPECT_GT(outOfView, 0);
}

}  // namespace
}  // namespace isora::e2e
