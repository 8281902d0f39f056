// The edit loop's reload key (--dev, F5) reads the INI package again from the game folder: a
// panel INI, a menu INI and the engine's texts edited on disk show after F5, while the player
// keeps place, bag, money and skill. A package that cannot be read changes nothing, and the
// player's panels stay while an item is in hand.
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>

#include "e2e/demo_session.h"
#include "foundation/package_file.h"
#include "lib/package_writer.h"
#include "shell/game_ui.h"
#include "support/temp_dir.h"

namespace isora::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kVkF5 = kVkF1 + 4;

// A demo of its own for each test: the tests change its INI package.
std::string OwnDemo(const std::string& name) {
  const fs::path out =
      fs::temp_directory_path() / ("isora-e2e-" + name + "-" + std::to_string(::getpid()));
  fs::remove_all(out);
  return BuildDemoInto(DemoSourceDir(), out);
}

// Rewrites a package with `from` replaced by `to` in the named members' texts.
void EditPackage(const fs::path& path,
                 const std::map<std::string, std::pair<std::string, std::string>>& edits) {
  PackageFile package;
  ASSERT_TRUE(package.Open(path.string()));
  PackageWriter writer;
  size_t edited = 0;
  for (const auto& [name, node] : package.Root()->children) {
    ASSERT_FALSE(node->entry.IsDirectory());
    auto bytes = package.ReadMember(name);
    ASSERT_TRUE(bytes) << name;
    std::string text(bytes->begin(), bytes->end());
    if (auto it = edits.find(name); it != edits.end()) {
      const size_t at = text.find(it->second.first);
      ASSERT_NE(at, std::string::npos) << name << " has no " << it->second.first;
      text.replace(at, it->second.first.size(), it->second.second);
      ++edited;
    }
    ASSERT_TRUE(writer.AddFile(
        name, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), false));
  }
  ASSERT_EQ(edited, edits.size());
  package.Close();
  const std::vector<uint8_t> built = writer.Build();
  test::WriteFile(path.string(), std::string(built.begin(), built.end()));
}

// The player as the dump gives them: where they stand and what they have.
nlohmann::json PlayerKept(const nlohmann::json& state) {
  const nlohmann::json& p = state["player"];
  return {p["row"], p["column"], p["money"], p["level"], p["exp"], p["bag"], p["currentSkill"]};
}

// Presses F5 and plays on until the map has been built again and its fades are over.
void ReloadAndSettle(DemoSession& s) {
  s.Key(kVkF5);
  ASSERT_TRUE(s.UntilMode("ModeBuildWorld", 60));
  s.Step(60);
  ASSERT_EQ(s.State()["mode"], "ModePlay");
}

TEST(DevReload, F5ReadsTheIniPackageAgainAndThePlayerKeepsAll) {
  const std::string folder = OwnDemo("dev-reload");
  ASSERT_FALSE(folder.empty());
  DemoSession s(PixelFormat::Rgb565, folder, {}, true);
  ASSERT_TRUE(s.ok);
  ASSERT_TRUE(s.NewGame());
  const nlohmann::json before = PlayerKept(s.State());
  ASSERT_EQ(s.game->Ui().gameMenu.x, 220);
  ASSERT_EQ(s.game->Ui().playerPanel->y, 400);
  ASSERT_EQ(s.game->Texts().Get(TextId::kShopTitle), "For Sale");

  EditPackage(fs::path(folder) / "data" / "ini.epk",
              {{"menu.ini", {"x=220", "x=236"}},
               {"playerpanel.ini", {"y=400", "y=392"}},
               {"strings.ini", {"bag.shop_title=For Sale", "bag.shop_title=Wares"}}});
  // Nothing is read again until the key is pressed.
  s.Step(5);
  EXPECT_EQ(s.game->Ui().gameMenu.x, 220);
  EXPECT_EQ(s.game->Ui().playerPanel->y, 400);

  ReloadAndSettle(s);
  EXPECT_EQ(s.game->Ui().gameMenu.x, 236);
  EXPECT_EQ(s.game->Ui().playerPanel->y, 392);
  EXPECT_EQ(s.game->Texts().Get(TextId::kShopTitle), "Wares");
  EXPECT_EQ(PlayerKept(s.State()), before);
  const std::string log = test::ReadFile(folder + "/GameEngine.log");
  EXPECT_NE(log.find("Reloading data\\ini.epk from the game folder"), std::string::npos);
  // The in-game menu opens where its INI now puts it, and the new HUD takes clicks: its
  // attribute button, 8 pixels higher, opens the attribute panel from a point above where it
  // was.
  s.Key(kVkEscape);
  EXPECT_EQ(s.State()["mode"], "ModeGameMenu");
  s.Key(kVkEscape);
  s.Step(3);
  ASSERT_EQ(s.State()["mode"], "ModePlay");
  s.Click(586 + 10, 392 + 4 + 2);
  EXPECT_EQ(s.State()["mode"], "ModeStatusPanel");
}

TEST(DevReload, AnUnreadablePackageChangesNothingAndAHeldItemKeepsThePlayersPanels) {
  const std::string folder = OwnDemo("dev-reload-kept");
  ASSERT_FALSE(folder.empty());
  DemoSession s(PixelFormat::Rgb565, folder, {}, true);
  ASSERT_TRUE(s.ok);
  ASSERT_TRUE(s.NewGame());
  const fs::path package = fs::path(folder) / "data" / "ini.epk";
  const std::string good = test::ReadFile(package.string());

  test::WriteFile(package.string(), "not a package");
  const PlayerPanel* panel = s.game->Ui().playerPanel.get();
  ReloadAndSettle(s);
  EXPECT_EQ(s.game->Ui().playerPanel.get(), panel);
  EXPECT_EQ(s.game->Ui().gameMenu.x, 220);
  EXPECT_EQ(s.game->Texts().Get(TextId::kShopTitle), "For Sale");
  EXPECT_NE(test::ReadFile(folder + "/GameEngine.log")
                .find("Reloading the INI package failed: data\\ini.epk::game.ini cannot be read"),
            std::string::npos);
  // The game plays on with what it had: the menu still opens.
  s.Key(kVkEscape);
  EXPECT_EQ(s.State()["mode"], "ModeGameMenu");
  s.Key(kVkEscape);
  s.Step(3);

  // The red potions of the first bag cell on the cursor: the menus are read again, the player
  // panel and the bags (which know where the potions came from) are not.
  test::WriteFile(package.string(), good);
  EditPackage(package, {{"menu.ini", {"x=220", "x=236"}}, {"playerpanel.ini", {"y=400", "y=392"}}});
  s.Click(182 + 16, 400 + 24 + 16);
  ASSERT_TRUE(s.game->CursorHand().Holds());
  const int held = s.game->CursorHand().Item();
  ReloadAndSettle(s);
  EXPECT_EQ(s.game->Ui().gameMenu.x, 236);
  EXPECT_EQ(s.game->Ui().playerPanel.get(), panel);
  EXPECT_EQ(s.game->Ui().playerPanel->y, 400);
  EXPECT_EQ(s.game->CursorHand().Item(), held);
  EXPECT_NE(test::ReadFile(folder + "/GameEngine.log")
                .find("the player panel and the bags are kept while an item is in hand"),
            std::string::npos);
}

}  // namespace
}  // namespace isora::e2e
