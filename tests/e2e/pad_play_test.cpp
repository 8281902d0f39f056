// The demo played with a game pad alone: SDL's virtual joystick plugged into the real SDL
// platform (dummy video driver), through the title menu, the opening talks, a walk, a fight,
// a bag and the shop. Only the set-up (a place on the map, a bag in the bag) is not pad input.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "demo_session.h"
#include "foundation/clock.h"
#include "media/sdl_platform.h"
#include "media/virtual_pad.h"
#include "shell/game_ui.h"
#include "shell/game_world.h"

namespace isora::e2e {
namespace {

using nlohmann::json;

class PadSession : public testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    // SDL passes a pad's input only to the focused window, and the dummy driver's never is.
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    previousClock_ = Clock::SetSource(&clock_);
    previousFolder_ = GameFolder();
    SetGameFolder(DemoFolder());
    std::error_code ec;
    for (int slot = 1; slot <= kSaveSlots; ++slot)
      std::filesystem::remove(NativePath("saves/" + std::to_string(slot) + ".sav"), ec);
    ASSERT_TRUE(platform_.Init()) << platform_.SdlError();
    previousHooks_ = Hooks::Set(&platform_);
    CRand::Srand(1);
    ResetSplashIndex();
    game_ = std::make_unique<CGame>(platform_, GameOptions{PixelFormat::Rgb565, true, false});
    ASSERT_TRUE(game_->Init());
    game_->WindowProc(Message{kUmSetGame, 0, 0});
    ASSERT_TRUE(pad_.Attach()) << pad_.Error();
  }
  void TearDown() override {
    pad_.Detach();
    game_.reset();
    Hooks::Set(previousHooks_);
    SetGameFolder(previousFolder_);
    Clock::SetSource(previousClock_);
  }

  // Runs `frames` frames on the game's clock; SDL reads the pad as the loop pumps its events.
  void Step(int frames = 1) {
    const int64_t target = game_->FramesRun() + frames;
    int exitCode = 0;
    for (int guard = 0; game_->FramesRun() < target && guard < 100000; ++guard) {
      if (game_->Pump(&exitCode) == CGame::PumpResult::kIdle) clock_.Advance(41);
    }
  }
  json State() { return json::parse(DumpGameState(*game_)); }
  bool Until(const std::function<bool(const json&)>& pred, int maxFrames) {
    for (int i = 0; i < maxFrames; ++i) {
      if (pred(State())) return true;
      Step();
    }
    return pred(State());
  }
  bool UntilMode(const std::string& mode, int maxFrames = 600) {
    return Until([&](const json& s) { return s["mode"] == mode; }, maxFrames);
  }

  void Press(PadButton b, bool withModifier = false) {
    if (withModifier) pad_.SetButton(PadButton::kLeftShoulder, true);
    Step();
    pad_.SetButton(b, true);
    Step();
    pad_.SetButton(b, false);
    if (withModifier) pad_.SetButton(PadButton::kLeftShoulder, false);
    Step();
  }
  // Steers the cursor with the right stick: fast while far, a pixel a frame at the end.
  bool CursorTo(int x, int y) {
    auto push = [](int d) {
      const int a = std::abs(d);
      const int v = a >= 24 ? 32767 : a >= 6 ? 16384 : a > 0 ? 8192 : 0;
      return d < 0 ? -v : v;
    };
    for (int i = 0; i < 400; ++i) {
      const Point c = platform_.GetCursorPos();
      if (c.x == x && c.y == y) {
        pad_.SetAxis(PadAxis::kRightX, 0);
        pad_.SetAxis(PadAxis::kRightY, 0);
        Step(2);
        if (platform_.GetCursorPos() == Point{x, y}) return true;
        continue;
      }
      pad_.SetAxis(PadAxis::kRightX, push(x - c.x));
      pad_.SetAxis(PadAxis::kRightY, push(y - c.y));
      Step();
    }
    pad_.SetAxis(PadAxis::kRightX, 0);
    pad_.SetAxis(PadAxis::kRightY, 0);
    return false;
  }
  // A on the screens, where it clicks; the click button (RB) in play, where A acts.
  void ClickAt(int x, int y, PadButton button = PadButton::kA) {
    ASSERT_TRUE(CursorTo(x, y)) << x << "," << y;
    Press(button);
  }
  void ClickButton(const Button& b) {
    ClickAt((b.hitRect.left + b.hitRect.right) / 2, (b.hitRect.top + b.hitRect.bottom) / 2,
            PadButton::kRightShoulder);
  }

  // From the title screen into play: New Game, the opening talks (Yes to the question) and the
  // tutorial closed, all with the pad.
  void StartGame() {
    ASSERT_TRUE(UntilMode("ModeMainMenu"));
    Step(10);
    ClickAt(320, 254);
    int answered = 0;
    for (int i = 0; i < 40; ++i) {
      ASSERT_TRUE(Until(
          [](const json& s) { return s["mode"] == "ModeTalk" || s["mode"] == "ModePlay"; }, 600));
      json s = State();
      if (s["mode"] == "ModePlay" && s["script"].is_null()) break;
      if (s["mode"] == "ModePlay") {
        Step();
        continue;
      }
      ClickAt(answered == 1 ? 195 : 320, answered == 1 ? 282 : 240);
      ++answered;
      Step(2);
    }
    Step(20);
    ClickAt(498, 80, PadButton::kRightShoulder);  // the tutorial's close button
    Step(2);
    ASSERT_EQ(State()["mode"], "ModePlay");
  }

  FixedClock clock_;
  ClockSource* previousClock_ = nullptr;
  std::string previousFolder_;
  SystemHooks* previousHooks_ = nullptr;
  SdlPlatform platform_;
  VirtualPad pad_;
  std::unique_ptr<CGame> game_;
};

TEST_F(PadSession, MenuTalksAndAWalkWithTheSticks) {
  StartGame();
  if (HasFatalFailure()) return;
  json s = State();
  const int x0 = s["player"]["x"], y0 = s["player"]["y"];
  // Half way: a walk to the right; all the way: a run.
  pad_.SetAxis(PadAxis::kLeftX, 16384);
  Step(3);
  EXPECT_EQ(State()["player"]["state"], "walk");
  pad_.SetAxis(PadAxis::kLeftX, 32767);
  Step(20);
  s = State();
  EXPECT_EQ(s["player"]["state"], "run");
  EXPECT_GT(s["player"]["x"].get<int>(), x0 + 40);
  EXPECT_LT(std::abs(s["player"]["y"].get<int>() - y0), 40);
  pad_.SetAxis(PadAxis::kLeftX, 0);
  Step(3);
  EXPECT_EQ(State()["player"]["state"], "stand") << "the stick let go stops him";
  // Down the screen.
  const int y1 = State()["player"]["y"];
  pad_.SetAxis(PadAxis::kLeftY, 32767);
  Step(15);
  pad_.SetAxis(PadAxis::kLeftY, 0);
  Step(2);
  EXPECT_GT(State()["player"]["y"].get<int>(), y1 + 30);

  // Start opens the game menu, B goes back; the pulled pad is told and stops the hero.
  Press(PadButton::kStart);
  EXPECT_EQ(State()["mode"], "ModeGameMenu");
  Press(PadButton::kB);
  EXPECT_EQ(State()["mode"], "ModePlay");
  pad_.SetAxis(PadAxis::kLeftX, -32767);
  Step(5);
  pad_.Detach();
  Step(3);
  s = State();
  EXPECT_NE(s["message"]["text"].get<std::string>().find("Game pad disconnected."),
            std::string::npos);
  EXPECT_EQ(s["player"]["state"], "stand");
  ASSERT_TRUE(pad_.Attach());
  Step(2);
  EXPECT_NE(State()["message"]["text"].get<std::string>().find("Game pad connected."),
            std::string::npos);
}

TEST_F(PadSession, TheActButtonFightsTheMonsterInFront) {
  StartGame();
  if (HasFatalFailure()) return;
  game_->Scripting().ChangeMap("wild.map", -1, -1, 5);
  ASSERT_TRUE(
      Until([](const json& s) { return s["mode"] == "ModePlay" && s["fadePhase"] == 2; }, 120));
  GameWorld& w = game_->World();
  CRoleNPC* target = nullptr;
  for (int i = 1; i <= w.NpcCount() && !target; ++i)
    if (w.Npc(i) && w.Npc(i)->Kind() == 1 && w.Npc(i)->RoleName() != "Old Tusk") target = w.Npc(i);
  ASSERT_NE(target, nullptr);
  const std::string name = target->RoleName();
  game_->Scripting().AddAttack(5000);
  game_->Scripting().AddHitRate(1000);
  game_->Scripting().AddHPLimit(100000);
  game_->Scripting().AddHP(100000);
  w.player->SetPosition(target->X() - 40, target->Y());
  w.player->Stand();
  Step(2);
  bool killed = false;
  for (int i = 0; i < 60 && !killed; ++i) {
    Press(PadButton::kA);
    Step(8);
    killed = State()["killedEnemies"].get<int>() > 0;
  }
  EXPECT_TRUE(killed) << name;
}

TEST_F(PadSession, ABagAndTheShopWithTheCursor) {
  StartGame();
  if (HasFatalFailure()) return;
  GameUi& ui = game_->Ui();
  // A pouch in the bag: the modifier and its cell's button open it.
  const int pouch = game_->Items().FindItemByName("Small Pouch");
  ASSERT_GT(pouch, 0);
  ASSERT_TRUE(game_->World().player->Growth().GetBag().Add(pouch));
  json bag = State()["player"]["bag"];
  int cell = -1;
  for (int c = 0; c < 9; ++c)
    if (bag[c]["item"] == pouch) cell = c;
  ASSERT_GE(cell, 0);
  const PadButton bagButtons[9] = {
      PadButton::kA,        PadButton::kB,        PadButton::kX,
      PadButton::kY,        PadButton::kDPadUp,   PadButton::kDPadRight,
      PadButton::kDPadDown, PadButton::kDPadLeft, PadButton::kRightShoulder};
  Press(bagButtons[cell], true);
  ASSERT_EQ(State()["mode"], "ModeBags");
  // B closes it.
  Press(PadButton::kB);
  ASSERT_EQ(State()["mode"], "ModePlay");

  // The shopkeeper: the act button talks to her when she stands in front.
  GameWorld& w = game_->World();
  CRoleNPC* greta = nullptr;
  for (int i = 1; i <= w.NpcCount(); ++i)
    if (w.Npc(i) && w.Npc(i)->RoleName() == "Greta") greta = w.Npc(i);
  ASSERT_NE(greta, nullptr);
  w.player->SetPosition(greta->X() - 30, greta->Y() + 10);
  w.player->Stand();
  Step(2);
  Press(PadButton::kA);
  ASSERT_TRUE(UntilMode("ModeTalk", 5));
  ClickAt(320, 240);
  json s = State();
  ASSERT_EQ(s["mode"], "ModeBags");
  ASSERT_EQ(s["sellMode"], 1);
  PackPanel& shop = *ui.packPanels[1];
  ASSERT_FALSE(shop.ShopList().empty());
  const int money = s["player"]["money"];
  const int price = game_->Items().Get(shop.ShopList()[0]).price;
  ASSERT_LE(price, money);
  ClickButton(shop.buttons[1]);
  ASSERT_NE(State()["heldItem"], 0);
  bag = State()["player"]["bag"];
  int empty = -1;
  for (int c = 0; c < 9 && empty < 0; ++c)
    if (bag[c]["item"] == 0) empty = c;
  ASSERT_GE(empty, 0);
  ClickButton(ui.playerPanel->buttons[kElementFirstCell + empty]);
  s = State();
  EXPECT_EQ(s["heldItem"], 0);
  EXPECT_EQ(s["player"]["money"], money - price);
  EXPECT_EQ(s["player"]["bag"][empty]["item"], shop.ShopList()[0]);
  Press(PadButton::kB);
  EXPECT_EQ(State()["mode"], "ModePlay");
}

}  // namespace
}  // namespace isora::e2e
