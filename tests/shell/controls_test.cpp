// The player's bindings and settings file, and the pad lines of replays.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "foundation/ini_file.h"
#include "media/platform.h"
#include "shell/key_bindings.h"
#include "shell/replay.h"
#include "shell/settings.h"

namespace isora {
namespace {

TEST(KeyBindings, DefaultsAreTheGamesKeyTable) {
  KeyBindings b;
  EXPECT_EQ(b.ActionForKey(kVkEscape, false), ControlAction::kMenu);
  EXPECT_EQ(b.ActionForKey(kVkF11, false), ControlAction::kScreenshot);
  EXPECT_EQ(b.ActionForKey(kVkF9, false), ControlAction::kBossKey);
  for (int n = 1; n <= 9; ++n)
    EXPECT_EQ(static_cast<int>(b.ActionForKey(kVk0 + n, false)),
              static_cast<int>(ControlAction::kBag1) + n - 1);
  for (int n = 0; n < 4; ++n)
    EXPECT_EQ(static_cast<int>(b.ActionForKey(kVkF1 + n, false)),
              static_cast<int>(ControlAction::kPanel1) + n);
  // Level up wants Shift; Shift with a digit still uses the cell, as it always did.
  EXPECT_EQ(b.ActionForKey(kVkF8, true), ControlAction::kLevelUp);
  EXPECT_EQ(b.ActionForKey(kVkF8, false), ControlAction::kNone);
  EXPECT_EQ(b.ActionForKey(kVk0 + 3, true), ControlAction::kBag3);
  EXPECT_EQ(b.ActionForKey(kVkA, false), ControlAction::kNone);
  EXPECT_EQ(b.ActionForKey(0, false), ControlAction::kNone);
}

TEST(KeyBindings, PadButtonsWithAndWithoutTheModifier) {
  KeyBindings b;
  EXPECT_EQ(b.ActionForPad(PadButton::kA, false), ControlAction::kAct);
  EXPECT_EQ(b.ActionForPad(PadButton::kA, true), ControlAction::kBag1);
  EXPECT_EQ(b.ActionForPad(PadButton::kDPadUp, false), ControlAction::kPanel1);
  EXPECT_EQ(b.ActionForPad(PadButton::kDPadUp, true), ControlAction::kBag5);
  // With the modifier held a button that has no modified binding does its own command.
  EXPECT_EQ(b.ActionForPad(PadButton::kStart, true), ControlAction::kMenu);
  EXPECT_EQ(b.ActionForPad(PadButton::kGuide, false), ControlAction::kNone);
}

TEST(KeyBindings, AConflictIsRefusedWithAMessageAndChangesNothing) {
  KeyBindings b;
  std::string why;
  EXPECT_FALSE(b.SetKey(ControlAction::kMenu, KeyChord{kVkF2}, &why));
  EXPECT_EQ(why, "F2 is already Notes.");
  EXPECT_EQ(b.Key(ControlAction::kMenu), KeyChord{kVkEscape});
  EXPECT_FALSE(
      b.SetPad(ControlAction::kScreenshot, PadChord{static_cast<int>(PadButton::kA)}, &why));
  EXPECT_EQ(why, "A is already Attack / talk.");
  EXPECT_FALSE(
      b.SetPad(ControlAction::kBossKey, PadChord{static_cast<int>(PadButton::kB), true}, &why));
  EXPECT_EQ(why, "Mod+B is already Bag cell 2.");
  // The modifier's own button can be nothing else, with the modifier or without.
  EXPECT_FALSE(b.SetPad(ControlAction::kBossKey,
                        PadChord{static_cast<int>(PadButton::kLeftShoulder), true}, &why));
  EXPECT_FALSE(
      b.SetPad(ControlAction::kPadModifier, PadChord{static_cast<int>(PadButton::kA)}, &why));
  EXPECT_FALSE(b.SetKey(ControlAction::kAct, KeyChord{kVkA}, &why));  // pad only
  EXPECT_FALSE(b.SetKey(ControlAction::kMenu, KeyChord{kVkShift}, &why));
  EXPECT_EQ(b, KeyBindings());

  // Freed keys can be taken; a key bound to none is free for everyone.
  ASSERT_TRUE(b.SetKey(ControlAction::kPanel2, KeyChord{}, &why));
  ASSERT_TRUE(b.SetKey(ControlAction::kMenu, KeyChord{kVkF2}, &why)) << why;
  EXPECT_EQ(b.ActionForKey(kVkF2, false), ControlAction::kMenu);
  EXPECT_EQ(b.ActionForKey(kVkEscape, false), ControlAction::kNone);
  EXPECT_TRUE(b.SetKey(ControlAction::kBossKey, KeyChord{kVkF8}, &why));  // F8 is not Shift+F8
}

TEST(KeyBindings, TextsParseBack) {
  for (KeyChord k : {KeyChord{kVkEscape}, KeyChord{kVkF8, true}, KeyChord{kVk0 + 1},
                     KeyChord{kVkA + 12}, KeyChord{0x6A}, KeyChord{}}) {
    KeyChord back{1, true};
    ASSERT_TRUE(KeyBindings::ParseKey(KeyBindings::KeyText(k), &back)) << KeyBindings::KeyText(k);
    EXPECT_EQ(back, k);
  }
  for (int i = 0; i < kPadButtonCount; ++i) {
    for (bool mod : {false, true}) {
      const PadChord p{i, mod};
      PadChord back;
      ASSERT_TRUE(KeyBindings::ParsePad(KeyBindings::PadText(p), &back));
      EXPECT_EQ(back, p);
    }
  }
  PadChord p;
  EXPECT_FALSE(KeyBindings::ParsePad("Mod+", &p));
  EXPECT_FALSE(KeyBindings::ParsePad("a", &p));
  KeyChord k;
  EXPECT_FALSE(KeyBindings::ParseKey("Shift+", &k));
}

class SettingsFile : public testing::Test {
 protected:
  std::string Path() { return (dir_ / "isora" / "demo" / "settings.ini").string(); }
  void Write(const std::string& text) {
    std::filesystem::create_directories(dir_ / "isora" / "demo");
    std::ofstream(Path()) << text;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_ = std::filesystem::path(testing::TempDir()) / "isora-settings";
};

TEST_F(SettingsFile, RebindingRoundTrips) {
  Settings s;
  std::string why;
  s.musicVolume = 30;
  s.effectVolume = 0;
  s.display = DisplayMode{true, 3, true};
  s.taste = {0, 1, -1, 0, 1};
  // A swap: Esc and F1 trade places, so reading must not see a conflict half way.
  ASSERT_TRUE(s.bindings.SetKey(ControlAction::kMenu, KeyChord{kVkA + 12}, &why));
  ASSERT_TRUE(s.bindings.SetKey(ControlAction::kPanel1, KeyChord{kVkEscape}, &why));
  ASSERT_TRUE(s.bindings.SetKey(ControlAction::kMenu, KeyChord{kVkF1}, &why));
  ASSERT_TRUE(s.bindings.SetKey(ControlAction::kLevelUp, KeyChord{kVkA + 11, true}, &why));
  ASSERT_TRUE(s.bindings.SetPad(ControlAction::kPadModifier,
                                PadChord{static_cast<int>(PadButton::kLeftTrigger)}, &why));
  ASSERT_TRUE(s.bindings.SetPad(ControlAction::kBossKey,
                                PadChord{static_cast<int>(PadButton::kLeftShoulder)}, &why));
  ASSERT_TRUE(s.Save(Path())) << "the settings folder is made when missing";

  Settings back;
  std::vector<std::string> problems;
  ASSERT_TRUE(back.Load(Path(), &problems));
  EXPECT_TRUE(problems.empty()) << problems.front();
  EXPECT_EQ(back, s);
  EXPECT_EQ(back.bindings.ActionForKey(kVkF1, false), ControlAction::kMenu);
  EXPECT_EQ(back.bindings.ActionForKey(kVkEscape, false), ControlAction::kPanel1);

  // Saved again unchanged, the file is the same.
  auto text = [&] {
    std::ifstream in(Path());
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string first = text();
  ASSERT_TRUE(back.Save(Path()));
  EXPECT_EQ(text(), first);
}

TEST_F(SettingsFile, DamagedValuesFallBackAndAreReported) {
  Write(
      "[audio]\nmusicVolume=250\neffectVolume=-4\n[video]\nscale=9\n"
      "[keys]\nmenu=NoSuchKey\nbag1=F1\nbag2=Shift+2\n"
      "[pad]\nact=Z\nback=A\n");
  Settings s;
  std::vector<std::string> problems;
  ASSERT_TRUE(s.Load(Path(), &problems));
  EXPECT_EQ(s.musicVolume, 100);
  EXPECT_EQ(s.effectVolume, 0);
  EXPECT_EQ(s.display.scale, kMaxWindowScale);
  EXPECT_EQ(s.taste[0], -1) << "the game's own choice when the file does not say";
  // A bad name keeps the default; a key taken twice goes to the first command that has it.
  EXPECT_EQ(s.bindings.Key(ControlAction::kMenu), KeyChord{kVkEscape});
  EXPECT_EQ(s.bindings.Key(ControlAction::kBag1), KeyChord{kVkF1});
  EXPECT_EQ(s.bindings.Key(ControlAction::kPanel1), KeyChord{});
  EXPECT_EQ(s.bindings.Key(ControlAction::kBag2), (KeyChord{kVk0 + 2, true}));
  EXPECT_EQ(s.bindings.Pad(ControlAction::kAct), KeyBindings::DefaultPad(ControlAction::kAct));
  EXPECT_FALSE(s.bindings.Pad(ControlAction::kBack).Bound());
  EXPECT_EQ(problems.size(), 4u);

  Settings none;
  EXPECT_FALSE(none.Load(Path() + ".missing"));
  EXPECT_EQ(none, Settings());
}

TEST(ReplayPad, ParsesPadLinesBesideTheOldOnes) {
  std::vector<ReplayEvent> ev;
  std::string error;
  ASSERT_TRUE(
      ParseReplay("@0 move 1 2\n@1 pad plug 1\n@2 pad down A\n@2 pad up LB\n"
                  "@3 pad axis RightY -32768\n@3 pad axis LeftX 32767\n@4 pad unplug 0\n",
                  &ev, &error))
      << error;
  ASSERT_EQ(ev.size(), 7u);
  EXPECT_EQ(ev[1].kind, ReplayEvent::Kind::kPadPlug);
  EXPECT_EQ(ev[1].x, 1);
  EXPECT_EQ(ev[2].kind, ReplayEvent::Kind::kPadDown);
  EXPECT_EQ(ev[2].padButton, PadButton::kA);
  EXPECT_EQ(ev[3].kind, ReplayEvent::Kind::kPadUp);
  EXPECT_EQ(ev[3].padButton, PadButton::kLeftShoulder);
  EXPECT_EQ(ev[4].padAxis, PadAxis::kRightY);
  EXPECT_EQ(ev[4].x, -32768);
  EXPECT_EQ(ev[5].x, 32767);
  EXPECT_EQ(ev[6].kind, ReplayEvent::Kind::kPadUnplug);
  for (const char* bad :
       {"@1 pad down\n", "@1 pad down Q\n", "@1 pad axis LeftX\n", "@1 pad axis LeftX 40000\n",
        "@1 pad axis Middle 0\n", "@1 pad wave A\n", "@1 pad plug -1\n", "@1 pad down A A\n"}) {
    EXPECT_FALSE(ParseReplay(bad, &ev, &error)) << bad;
  }
}

TEST(ReplayPad, EveryPadLineTheRecorderWritesParses) {
  const std::string path = testing::TempDir() + "pad.replay";
  {
    ReplayRecorder recorder;
    ASSERT_TRUE(recorder.Open(path));
    recorder.PadConnected(0, true, 1);
    for (int b = 0; b < kPadButtonCount; ++b) {
      recorder.PadButton(1, b, true);
      recorder.PadButton(1, b, false);
    }
    for (int a = 0; a < kPadAxisCount; ++a) {
      recorder.PadAxis(2, a, -32768);
      recorder.PadAxis(2, a, 99999);  // beyond the range: written at its end
      recorder.PadAxis(2, a, 0);
    }
    recorder.PadButton(3, kPadButtonCount, true);  // no such button: nothing written
    recorder.PadAxis(3, -1, 5);
    recorder.PadConnected(4, false, 0);
  }
  std::ifstream in(path);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  std::vector<ReplayEvent> ev;
  std::string error;
  ASSERT_TRUE(ParseReplay(text, &ev, &error)) << error;
  ASSERT_EQ(ev.size(), 2u + 2 * kPadButtonCount + 3 * kPadAxisCount);
  EXPECT_EQ(ev[1 + 2 * 9].padButton, PadButton::kLeftShoulder);
  EXPECT_EQ(ev[1 + 2 * kPadButtonCount + 1].x, 32767);
  EXPECT_EQ(ev.back().kind, ReplayEvent::Kind::kPadUnplug);
}

}  // namespace
}  // namespace isora
