// Saving from the in-game menu, quitting to the main menu and loading the game back.
#include <cmath>
#include <fstream>
#include <functional>

#include "demo_session.h"
#include "roles/role.h"
#include "shell/game_ui.h"

namespace isora::e2e {
namespace {

using nlohmann::json;

// The save panel's buttons: 0 close, then slots 1 to 6.
const Button& Slot(DemoSession& d, int slot) { return d.game->Ui().savePanel.buttons[slot]; }

// A game with some progress in every table, saved to slot 2 from the in-game menu.
json PlayAndSave(DemoSession& d) {
  EXPECT_TRUE(d.NewGame());
  d.Click(498, 80);
  d.game->Scripting().AddMoney(123);
  d.game->Scripting().AddExp(30);
  d.game->Scripting().AddGirlLove("Lina", 7);
  d.game->Scripting().AddFactionEnmity("Red Fang", 20);
  d.game->Scripting().SetVIPInfo("met_vask", 1);
  d.game->Scripting().AddFaction("Town Guard");
  d.game->Scripting().AddHonor("Helped the ferryman");
  d.game->Scripting().AddMission("Herbs", "Bring three herbs", 0, "Red Potion", 5, 0, 0);
  d.game->StartRain();
  d.Step(2);
  json before = d.State();
  EXPECT_EQ(before["missions"][0]["count"], 3);  // the three potions carried count at once

  d.Key(kVkEscape);
  EXPECT_EQ(d.State()["mode"], "ModeGameMenu");
  d.ClickButton(d.game->Ui().gameMenu.buttons[kMenuSave]);
  EXPECT_EQ(d.State()["mode"], "ModeSavePanel");
  d.ClickButton(Slot(d, 2));
  json saved = d.State();
  EXPECT_EQ(saved["mode"], "ModePlay");
  EXPECT_EQ(saved["message"]["text"].get<std::string>().find("Game Data Saved."),
            saved["message"]["text"].get<std::string>().size() - 16);
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(DemoFolder()) / "saves" / "2.sav"));
  return before;
}

TEST(SaveLoad, LoadingFromTheMainMenuRestoresEveryTable) {
  DemoSession d;
  json before = PlayAndSave(d);

  // Back to the main menu, then a different game state would be gone anyway.
  d.Key(kVkEscape);
  d.ClickButton(d.game->Ui().gameMenu.buttons[kMenuExit]);
  ASSERT_TRUE(d.UntilMode("ModeMainMenu", 40));
  d.Step(20);
  d.ClickButton(d.game->Ui().mainMenu.buttons[kMainLoad]);
  ASSERT_EQ(d.State()["mode"], "ModeLoadPanel");
  d.ClickButton(Slot(d, 2));
  ASSERT_TRUE(
      d.Until([](const json& s) { return s["mode"] == "ModePlay" && s["fadePhase"] == 2; }, 100));

  json after = d.State();
  EXPECT_EQ(after["map"]["file"], before["map"]["file"]);
  const json &p = after["player"], &q = before["player"];
  for (const char* key : {"x", "y", "direction", "level", "exp", "money", "hp", "maxHp", "mp",
                          "attack", "defence", "moral", "hitRate"}) {
    EXPECT_EQ(p[key], q[key]) << key;
  }
  EXPECT_EQ(p["bag"], q["bag"]);
  EXPECT_EQ(p["skills"], q["skills"]);
  EXPECT_EQ(after["relations"], before["relations"]);
  EXPECT_EQ(after["missions"], before["missions"]);
  EXPECT_EQ(after["killedEnemies"], before["killedEnemies"]);
  EXPECT_TRUE(after["rain"]["raining"]);
  // Roles come back by name.
  std::multiset<std::string> namesBefore, namesAfter;
  for (const auto& n : before["npcs"]) namesBefore.insert(n["name"]);
  for (const auto& n : after["npcs"]) namesAfter.insert(n["name"]);
  EXPECT_EQ(namesAfter, namesBefore);
}

TEST(SaveLoad, TheSlotListShowsMapAndTimeAndEmptySlots) {
  DemoSession d;
  PlayAndSave(d);
  d.Key(kVkEscape);
  d.ClickButton(d.game->Ui().gameMenu.buttons[kMenuLoad]);
  ASSERT_EQ(d.State()["mode"], "ModeLoadPanel");
  const SavePanel& panel = d.game->Ui().savePanel;
  ASSERT_GE(panel.buttons.size(), 7u);
  EXPECT_EQ(panel.buttons[1].name, "No Saved Data");
  EXPECT_EQ(panel.buttons[2].name.rfind("Willowmere(2000/1/1-0:", 0), 0u) << panel.buttons[2].name;
  d.Key(kVkEscape);
  EXPECT_EQ(d.State()["mode"], "ModePlay");
}

TEST(SaveLoad, BossKeyInTheLoadPanelKeepsItsWayBackAndItsView) {
  // The boss key used to overwrite the panel's way back: Esc and the close button both led
  // to the Load panel again, and the boss picture stayed behind the panel.
  DemoSession d;
  ASSERT_TRUE(d.ToMainMenu());
  d.ClickButton(d.game->Ui().mainMenu.buttons[kMainLoad]);
  ASSERT_EQ(d.State()["mode"], "ModeLoadPanel");
  d.Step(2);
  auto view = [&] {
    const Surface* back = d.game->GetRenderer().GetSurface(kSurfaceBackBuffer);
    std::vector<uint16_t> pixels;
    for (int y = 0; back && y < back->Height(); ++y)
      pixels.insert(pixels.end(), back->Row(y), back->Row(y) + back->Width());
    return pixels;
  };
  const std::vector<uint16_t> panelView = view();
  ASSERT_FALSE(panelView.empty());
  d.Key(kVkF9);
  EXPECT_EQ(d.State()["mode"], "ModeBossKey");
  d.Key(kVkF9);
  ASSERT_EQ(d.State()["mode"], "ModeLoadPanel");
  d.Step(2);
  EXPECT_TRUE(view() == panelView);
  d.Key(kVkEscape);
  EXPECT_EQ(d.State()["mode"], "ModeMainMenu");
}

// Esc, the game menu's Load, slot 2.
void PickSlot2InTheGameMenusLoadPanel(DemoSession& d) {
  d.Key(kVkEscape);
  d.ClickButton(d.game->Ui().gameMenu.buttons[kMenuLoad]);
  d.ClickButton(Slot(d, 2));
}

// Slot 2 picked in the game menu's Load panel is refused: the panel stays, saying so.
json PickSlot2AndExpectItRefused(DemoSession& d) {
  PickSlot2InTheGameMenusLoadPanel(d);
  d.Step(5);
  json after = d.State();
  EXPECT_EQ(after["mode"], "ModeLoadPanel");
  EXPECT_NE(after["message"]["text"].get<std::string>().find("cannot be loaded"),
            std::string::npos);
  return after;
}

TEST(SaveLoad, ADamagedSaveLeavesTheGameAsItWas) {
  DemoSession d;
  PlayAndSave(d);
  // Cut the slot file short: it keeps its magic, so it is listed, but it cannot be read.
  {
    const std::filesystem::path slot = std::filesystem::path(DemoFolder()) / "saves" / "2.sav";
    std::vector<char> bytes(200);
    std::ifstream in(slot, std::ios::binary);
    in.read(bytes.data(), bytes.size());
    std::ofstream out(slot, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), 200);
  }
  json before = d.State();
  const json after = PickSlot2AndExpectItRefused(d);
  EXPECT_EQ(after["player"]["money"], before["player"]["money"]);
  EXPECT_EQ(after["map"], before["map"]);
  // An empty slot does nothing at all.
  d.ClickButton(Slot(d, 5));
  EXPECT_EQ(d.State()["mode"], "ModeLoadPanel");
}

std::filesystem::path SlotPath(int slot) {
  return std::filesystem::path(DemoFolder()) / "saves" / (std::to_string(slot) + ".sav");
}

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string GameLogText() { return FileBytes(LogPathFor(GameFolder())); }

// Saves to `slot` from the in-game menu; the message line after it.
std::string SaveThroughTheMenu(DemoSession& d, int slot) {
  d.Key(kVkEscape);
  d.ClickButton(d.game->Ui().gameMenu.buttons[kMenuSave]);
  EXPECT_EQ(d.State()["mode"], "ModeSavePanel");
  d.ClickButton(Slot(d, slot));
  return d.State()["message"]["text"].get<std::string>();
}

TEST(SaveLoad, AFailedSaveTellsThePlayerAndKeepsTheOldSave) {
  // A save that could not be written kept the old save but said nothing: only the log knew.
  DemoSession d;
  PlayAndSave(d);
  const std::string old = FileBytes(SlotPath(2));
  ASSERT_FALSE(old.empty());
  d.game->Scripting().AddMoney(1000);
  d.Step(80);  // the message line of the first save runs out
  // The temporary file cannot be made when a folder stands in its place.
  std::filesystem::create_directory(SlotPath(2).string() + ".tmp");
  std::string message = SaveThroughTheMenu(d, 2);
  EXPECT_NE(message.find("the game was NOT saved"), std::string::npos) << message;
  EXPECT_EQ(message.find("Game Data Saved."), std::string::npos) << message;
  EXPECT_EQ(FileBytes(SlotPath(2)), old);
  EXPECT_NE(GameLogText().find("Saving saves\\2.sav failed."), std::string::npos);
  std::filesystem::remove(SlotPath(2).string() + ".tmp");

  // A slot that is itself a folder cannot be replaced either.
  d.Step(80);
  std::filesystem::create_directories(SlotPath(3) / "inside");
  message = SaveThroughTheMenu(d, 3);
  EXPECT_NE(message.find("the game was NOT saved"), std::string::npos) << message;
  EXPECT_TRUE(std::filesystem::is_directory(SlotPath(3)));
  EXPECT_FALSE(std::filesystem::exists(SlotPath(3).string() + ".tmp"));
  std::filesystem::remove_all(SlotPath(3));

  // And the next save that can be written says so.
  d.Step(80);
  message = SaveThroughTheMenu(d, 2);
  EXPECT_NE(message.find("Game Data Saved."), std::string::npos) << message;
  EXPECT_NE(FileBytes(SlotPath(2)), old);
}

TEST(SaveLoad, SavingToTheLastSlotWritesIt) {
  DemoSession d;
  ASSERT_TRUE(d.NewGame());
  for (int slot : {1, kSaveSlots}) {
    d.Step(80);  // the message line of the save before runs out
    const std::string message = SaveThroughTheMenu(d, slot);
    EXPECT_NE(message.find("Game Data Saved."), std::string::npos) << slot << ": " << message;
    EXPECT_FALSE(FileBytes(SlotPath(slot)).empty()) << slot;
  }
}

// Rewrites slot 2 through `edit`.
void EditSlot(const std::function<void(SaveData&)>& edit) {
  SaveData data;
  ASSERT_TRUE(ReadSaveFile(SlotPath(2).string(), data));
  edit(data);
  ASSERT_TRUE(WriteSaveFile(SlotPath(2).string(), data));
}

bool LoadSlot2FromTheGameMenu(DemoSession& d) {
  PickSlot2InTheGameMenusLoadPanel(d);
  return d.Until([](const json& s) { return s["mode"] == "ModePlay" && s["fadePhase"] == 2; }, 100);
}

TEST(SaveLoad, ASaveWithImpossibleValuesIsSetRightWithAMessage) {
  // HP -5 killed the hero as soon as the game was loaded; money -100 and item -5 were kept.
  DemoSession d;
  PlayAndSave(d);
  EditSlot([](SaveData& data) {
    data.player.hp = -5;
    data.player.money = -100;
    data.bag[0] = {-5, 1};
  });
  d.Step(80);
  ASSERT_TRUE(LoadSlot2FromTheGameMenu(d));
  d.Step(30);
  json s = d.State();
  EXPECT_EQ(s["player"]["state"], "stand");
  EXPECT_EQ(s["player"]["hp"], 1);
  EXPECT_EQ(s["player"]["money"], 0);
  for (const auto& cell : s["player"]["bag"]) EXPECT_GE(cell["item"].get<int>(), 0) << cell;
  EXPECT_NE(s["message"]["text"].get<std::string>().find("impossible values"), std::string::npos)
      << s["message"];
  const std::string log = GameLogText();
  EXPECT_NE(log.find("hp -5 is impossible; set to 1"), std::string::npos);
  EXPECT_NE(log.find("money -100 is impossible; set to 0"), std::string::npos);
  EXPECT_NE(log.find("bag slot 1: item -5 does not exist; dropped"), std::string::npos);
}

TEST(SaveLoad, HpAndMpAboveTheirLimitsSurviveASaveAndALoad) {
  // Lowering a limit leaves the value above it; the load took that for damage and cut it.
  DemoSession d;
  PlayAndSave(d);
  EditSlot([](SaveData& data) {
    data.player.maxHp = 40;
    data.player.hp = 95;
    data.player.maxMp = 10;
    data.player.mp = 30;
  });
  d.Step(80);
  ASSERT_TRUE(LoadSlot2FromTheGameMenu(d));
  json s = d.State();
  EXPECT_EQ(s["player"]["hp"], 95);
  EXPECT_EQ(s["player"]["mp"], 30);
  EXPECT_EQ(s["message"]["text"].get<std::string>().find("impossible values"), std::string::npos);
}

TEST(SaveLoad, ASaveOutsideTheMapIsRefusedAndABlockedPlaceMovesToOpenGround) {
  // A hero saved outside the map stayed stuck there for good.
  DemoSession d;
  PlayAndSave(d);
  EditSlot([](SaveData& data) { data.player.x = -400; });
  d.Step(80);
  const json before = d.State();
  const json after = PickSlot2AndExpectItRefused(d);
  EXPECT_EQ(after["player"]["x"], before["player"]["x"]);
  EXPECT_NE(GameLogText().find("refused: the player's position (-400, "), std::string::npos);
  d.Key(kVkEscape);

  // Inside the picture but on a blocked cell: the hero is put on the nearest open one.
  const GameMap& map = d.game->Map();
  const MapCell* blocked = nullptr;
  for (const MapCell& c : map.Cells())
    if (!c.passable && c.x > 200 && c.y > 200 && c.x < 2900 && c.y < 1300) blocked = &c;
  ASSERT_NE(blocked, nullptr);
  const int bx = blocked->x + 32, by = blocked->y + 16 - kRoleFeet;
  const int savedX = before["player"]["x"], savedY = before["player"]["y"];
  EditSlot([&](SaveData& data) {
    data.player.x = bx;
    data.player.y = by;
  });
  d.Step(80);
  ASSERT_TRUE(LoadSlot2FromTheGameMenu(d));
  const json moved = d.State();
  const int x = moved["player"]["x"], y = moved["player"]["y"];
  EXPECT_TRUE(d.game->Map().IsPassableAt(x, y + kRoleFeet)) << x << "," << y;
  // The nearest open ground: no farther than where he stood when he saved.
  auto distance = [&](int px, int py) { return std::hypot(px - bx, py - by); };
  EXPECT_LE(distance(x, y), distance(savedX, savedY)) << x << "," << y;
  EXPECT_NE(GameLogText().find("is blocked; the player stands at"), std::string::npos);
}

}  // namespace
}  // namespace isora::e2e

namespace isora::e2e {
namespace {

TEST(Screens, HelpFromTheGameMenuShowsTheHelpTextAndCloses) {
  DemoSession d;
  ASSERT_TRUE(d.NewGame());
  d.Click(498, 80);
  d.Key(kVkEscape);
  d.ClickButton(d.game->Ui().gameMenu.buttons[kMenuHelp]);
  nlohmann::json s = d.State();
  EXPECT_EQ(s["mode"], "ModeHelp");
  TextBox* text = d.game->Ui().messageDialog.TextLabel();
  ASSERT_NE(text, nullptr);
  d.Key(kVkEscape);
  EXPECT_EQ(d.State()["mode"], "ModePlay");
}

TEST(Screens, MainMenuFromTheGameMenuFadesOutAndDropsTheTutorial) {
  DemoSession d;
  ASSERT_TRUE(d.NewGame());
  ASSERT_NE(d.game->Ui().tutorialPanel, nullptr);
  d.Key(kVkEscape);
  d.ClickButton(d.game->Ui().gameMenu.buttons[kMenuExit]);
  EXPECT_EQ(d.State()["mode"], "ModeFade");
  ASSERT_TRUE(d.UntilMode("ModeMainMenu", 20));
  EXPECT_EQ(d.game->Ui().tutorialPanel, nullptr);
  d.Step();
  EXPECT_EQ(d.State()["music"], "music\\menu.wav");
}

}  // namespace
}  // namespace isora::e2e
