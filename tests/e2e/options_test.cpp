// The options screen on the demo: reached from both menus, changes applied at once and saved,
// bindings changed from it (and refused on a conflict), and a game without it.
#include <filesystem>
#include <fstream>

#include "demo_session.h"
#include "media/sound.h"
#include "shell/game_controls.h"
#include "shell/game_ui.h"
#include "shell/game_world.h"
#include "shell/settings.h"

namespace isora::e2e {
namespace {

namespace fs = std::filesystem;

// The demo's options.ini: the panel at (60, 20); values at x 220, rows from y 44, 22 apart;
// the bindings' key buttons at x 220 from y 272, 22 apart.
constexpr int kValueX = 60 + 220 + 6;
int RowY(OptionRow row) { return 20 + 44 + 22 * static_cast<int>(row) + 6; }
constexpr int kMenuKeyY = 20 + 272 + 6;
constexpr Point kMainOptionsButton{320, 438};
constexpr Point kGameMenuOptionsButton{220 + 56 + 10, 110 + 212 + 6};

class OptionsScreen : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_);
    SetMusicVolume(kFullVolume);
    SetEffectVolume(kFullVolume);
  }
  void TearDown() override {
    fs::remove_all(dir_);
    SetMusicVolume(kFullVolume);
    SetEffectVolume(kFullVolume);
  }
  std::string SettingsPath() const { return (dir_ / "settings.ini").string(); }
  Settings Saved() const {
    Settings s;
    EXPECT_TRUE(s.Load(SettingsPath()));
    return s;
  }
  fs::path dir_ = fs::path(testing::TempDir()) / ("isora-options-" + std::to_string(::getpid()));
};

TEST_F(OptionsScreen, FromTheMainMenuVolumesAndScaleChangeAtOnceAndAreSaved) {
  std::ofstream(SettingsPath()) << "[audio]\nmusicVolume=50\n[keys]\nmenu=M\n";
  DemoSession s(PixelFormat::Rgb565, {}, SettingsPath());
  ASSERT_TRUE(s.ok);
  EXPECT_EQ(MusicVolume(), 50) << "the settings are applied at start";
  ASSERT_TRUE(s.ToMainMenu());
  s.Click(kMainOptionsButton.x, kMainOptionsButton.y);
  ASSERT_EQ(s.State()["mode"], "ModeOptions");

  s.Click(kValueX, RowY(OptionRow::kMusicVolume));
  EXPECT_EQ(MusicVolume(), 60);
  s.RightClick(kValueX, RowY(OptionRow::kMusicVolume));
  s.RightClick(kValueX, RowY(OptionRow::kMusicVolume));
  EXPECT_EQ(MusicVolume(), 40);
  s.RightClick(kValueX, RowY(OptionRow::kEffectVolume));
  EXPECT_EQ(EffectVolume(), 90);
  EXPECT_EQ(s.platform.GetDisplayMode().scale, 1);
  s.Click(kValueX, RowY(OptionRow::kWindowScale));
  EXPECT_EQ(s.platform.GetDisplayMode().scale, 2);
  s.Click(kValueX, RowY(OptionRow::kIntegerScale));
  s.Click(kValueX, RowY(OptionRow::kFullscreen));
  EXPECT_EQ(s.platform.GetDisplayMode(), (DisplayMode{true, 2, true}));

  const Settings saved = Saved();
  EXPECT_EQ(saved.musicVolume, 40);
  EXPECT_EQ(saved.effectVolume, 90);
  EXPECT_EQ(saved.display, (DisplayMode{true, 2, true}));
  EXPECT_EQ(saved.bindings.Key(ControlAction::kMenu), KeyChord{kVkA + 12}) << "kept as read";

  // Esc is free now: M is the way back.
  s.Key(kVkEscape);
  EXPECT_EQ(s.State()["mode"], "ModeOptions");
  s.Key(kVkA + 12);
  EXPECT_EQ(s.State()["mode"], "ModeMainMenu");
}

TEST_F(OptionsScreen, FromTheGameMenuPathFindingTogglesAndEscGoesBack) {
  DemoSession s(PixelFormat::Rgb565, {}, SettingsPath());
  ASSERT_TRUE(s.NewGame());
  s.Key(kVkEscape);
  ASSERT_EQ(s.State()["mode"], "ModeGameMenu");
  s.Click(kGameMenuOptionsButton.x, kGameMenuOptionsButton.y);
  ASSERT_EQ(s.State()["mode"], "ModeOptions");
  const bool before = s.game->World().route.Enabled();
  s.Click(kValueX, RowY(OptionRow::kPathFinding));
  EXPECT_NE(s.game->World().route.Enabled(), before);
  EXPECT_EQ(Saved().taste[0], 0) << "from the game's choice the first click turns it off";
  s.Key(kVkEscape);
  EXPECT_EQ(s.State()["mode"], "ModeGameMenu");
  s.Key(kVkEscape);
  EXPECT_EQ(s.State()["mode"], "ModePlay");
}

TEST_F(OptionsScreen, AKeyIsRebound_AConflictOrASkillsKeyIsRefusedWithAMessage) {
  DemoSession s(PixelFormat::Rgb565, {}, SettingsPath());
  ASSERT_TRUE(s.ToMainMenu());
  s.Click(kMainOptionsButton.x, kMainOptionsButton.y);
  ASSERT_EQ(s.State()["mode"], "ModeOptions");
  GameControls& controls = *s.game->Ui().controls;

  s.Click(kValueX, kMenuKeyY);
  EXPECT_EQ(controls.awaiting, ControlAction::kMenu);
  s.Key(kVkF2);
  EXPECT_EQ(s.State()["message"]["text"], "F2 is already Notes.");
  s.Click(kValueX, kMenuKeyY);
  s.Key(kVkA + 16);  // Q: the demo's Slash
  EXPECT_NE(
      s.State()["message"]["text"].get<std::string>().find("Q is the key of the skill Slash."),
      std::string::npos);
  EXPECT_EQ(controls.settings.bindings.Key(ControlAction::kMenu), KeyChord{kVkEscape});
  EXPECT_FALSE(fs::exists(SettingsPath())) << "nothing changed, nothing written";

  s.Click(kValueX, kMenuKeyY);
  s.Key(kVkEscape);  // Esc while waiting: nothing changes
  EXPECT_EQ(controls.settings.bindings.Key(ControlAction::kMenu), KeyChord{kVkEscape});
  EXPECT_EQ(s.State()["mode"], "ModeOptions");

  s.Click(kValueX, kMenuKeyY);
  s.Key(kVkA + 1);  // B
  EXPECT_EQ(Saved().bindings.Key(ControlAction::kMenu), KeyChord{kVkA + 1});
  s.Key(kVkA + 1);
  EXPECT_EQ(s.State()["mode"], "ModeMainMenu");

  // A right click gives the default back.
  s.Click(kMainOptionsButton.x, kMainOptionsButton.y);
  s.RightClick(kValueX, kMenuKeyY);
  EXPECT_EQ(Saved().bindings.Key(ControlAction::kMenu), KeyChord{kVkEscape});
}

TEST(OptionsAbsent, AGameWithoutOptionsIniRunsWithoutTheScreen) {
  static const std::string folder = [] {
    const fs::path root =
        fs::temp_directory_path() / ("isora-no-options-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
    fs::copy(DemoSourceDir(), root / "src", fs::copy_options::recursive);
    fs::remove(root / "src" / "ini" / "options.ini");
    return BuildDemoInto((root / "src").string(), root / "game", root);
  }();
  ASSERT_FALSE(folder.empty());
  DemoSession s(PixelFormat::Rgb565, folder);
  ASSERT_TRUE(s.ok);
  EXPECT_FALSE(s.game->Ui().controls->OptionsOffered());
  EXPECT_EQ(s.game->Ui().mainMenu.buttons.size(), 4u);
  EXPECT_EQ(s.game->Ui().gameMenu.buttons.size(), 5u);
  ASSERT_TRUE(s.ToMainMenu());
  s.Click(kMainOptionsButton.x, kMainOptionsButton.y);
  EXPECT_EQ(s.State()["mode"], "ModeMainMenu");
  ASSERT_TRUE(s.NewGame());
  s.Key(kVkEscape);
  s.Click(kGameMenuOptionsButton.x, kGameMenuOptionsButton.y);
  EXPECT_EQ(s.State()["mode"], "ModeGameMenu");
}

}  // namespace
}  // namespace isora::e2e
