// Random clicks and keys for thousands of frames, on the town and in the wild: the game keeps
// running and its state stays whole.
#include <random>

#include "demo_session.h"

namespace isora::e2e {
namespace {

void Monkey(DemoSession& d, uint32_t seed, int frames) {
  std::mt19937 rng(seed);
  const int keys[] = {kVkEscape, kVkF1, kVkF1 + 1, kVkF1 + 2, kVkF1 + 3, kVkF1 + 8, '1',
                      '2',       '3',   '4',       '9',       'Q',       'W',       'E'};
  for (int f = 0; f < frames && !d.quit; ++f) {
    const int x = static_cast<int>(rng() % 640), y = static_cast<int>(rng() % 480);
    switch (rng() % 8) {
      case 0:
      case 1:
        d.Move(x, y);
        d.platform.InjectButton(MouseButton::Left, true);
        d.platform.InjectButton(MouseButton::Left, false);
        break;
      case 2:
        d.Move(x, y);
        d.platform.InjectButton(MouseButton::Left,
                                !d.platform.IsMouseButtonDown(MouseButton::Left));
        break;
      case 3:
        d.Move(x, y);
        d.platform.InjectButton(MouseButton::Right, true);
        d.platform.InjectButton(MouseButton::Right, false);
        break;
      case 4:
        d.platform.InjectKeyDown(keys[rng() % std::size(keys)]);
        break;
      default:
        d.Move(x, y);
        break;
    }
    d.Step();
  }
}

TEST(Monkey, RandomInputNeverBreaksTheGame) {
  DemoSession d;
  ASSERT_TRUE(d.NewGame());
  Monkey(d, 12345, 2500);
  // The monkey may reach the main menu's Exit; until then the game stays whole.
  if (!d.quit) {
    nlohmann::json s = d.State();
    EXPECT_FALSE(s["mode"].get<std::string>().empty());
    EXPECT_TRUE(s["player"].is_object());
  }
  EXPECT_TRUE(d.platform.MessageBoxes().empty());
}

TEST(Monkey, RandomInputInTheWild) {
  DemoSession d;
  ASSERT_TRUE(d.NewGame());
  d.game->Scripting().ChangeMap("wild.map", -1, -1, 5);
  ASSERT_TRUE(d.Until(
      [](const nlohmann::json& s) { return s["mode"] == "ModePlay" && s["fadePhase"] == 2; }, 120));
  Monkey(d, 777, 2500);
  EXPECT_TRUE(d.platform.MessageBoxes().empty());
}

}  // namespace
}  // namespace isora::e2e
