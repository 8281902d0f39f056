// The game controller, the options screen and the settings behind them. (The key table itself
// is with the other commands, in game_commands.cpp.)
#include "shell/game_controls.h"

#include <cmath>

#include "foundation/ini_file.h"
#include "media/sound.h"
#include "shell/game.h"
#include "shell/game_ui.h"
#include "shell/game_world.h"
#include "ui/options_panel.h"

namespace isora {

namespace {

constexpr const char* kOptionsIni = "options.ini";
// What the value buttons step through.
constexpr int kVolumeStep = 10;
constexpr const char* kKeyPrompt = "Press a key (Esc cancels, Delete clears).";
constexpr const char* kPadPrompt = "Press a pad button, with the modifier or not (Back cancels).";

// The unit vector of directions 1..8, clockwise from north (screen up).
constexpr Point kFacing[8] = {{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}};

std::string OnOff(bool on) { return on ? "On" : "Off"; }

}  // namespace

GameControls::GameControls(CGame& game_, Platform& platform_, std::string settingsFile_)
    : game(game_), platform(platform_), settingsFile(std::move(settingsFile_)) {}

OptionsPanel& GameControls::Panel() { return game.ui_->optionsPanel; }

void GameControls::Start(const std::string& iniPackage) {
  if (!settingsFile.empty()) {
    std::vector<std::string> problems;
    if (settings.Load(settingsFile, &problems))
      game.log_.WriteText("Settings read from " + settingsFile);
    for (const std::string& line : problems) game.log_.WriteText("settings.ini: " + line);
  }
  // The options screen is offered only by a game that describes it; the menus then keep the
  // button their INIs give it (and drop it when there is no screen to open).
  optionsOffered = Panel().Load(kOptionsIni, iniPackage.c_str());
  // The window was opened as the settings or the command line said: the screen shows and
  // keeps what is in effect.
  settings.display = platform.GetDisplayMode();
  GameUi& ui = *game.ui_;
  const size_t mainButtons =
      kMainOptions + (optionsOffered && ui.mainMenu.buttons.size() > kMainOptions ? 1 : 0);
  const size_t menuButtons =
      kMenuOptions + (optionsOffered && ui.gameMenu.buttons.size() > kMenuOptions ? 1 : 0);
  auto keep = [](std::vector<Button>& buttons, size_t n) {
    if (buttons.size() > n)
      buttons.erase(buttons.begin() + static_cast<ptrdiff_t>(n), buttons.end());
  };
  keep(ui.mainMenu.buttons, mainButtons);
  keep(ui.gameMenu.buttons, menuButtons);
  Apply();
}

void GameControls::Apply() {
  SetMusicVolume(settings.musicVolume);
  SetEffectVolume(settings.effectVolume);
  if (platform.GetDisplayMode() != settings.display) platform.SetDisplayMode(settings.display);
  game.ApplySwitches();
}

bool GameControls::Save() {
  if (settingsFile.empty()) return true;
  if (settings.Save(settingsFile)) return true;
  game.log_.WriteText("Cannot write " + settingsFile);
  return false;
}

// The pad.

void GameControls::OnPadMessage(const Message& msg) {
  switch (msg.message) {
    case kUmPadConnected:
      pad.padsOpen = static_cast<int>(msg.lParam);
      if (msg.wParam == 0 && pad.padsOpen == 0) {
        pad = PadState{};
        game.StandPlayer();
      }
      game.ShowMessage(msg.wParam ? "Game pad connected." : "Game pad disconnected.");
      return;
    case kUmPadAxis:
      if (msg.wParam < kPadAxisCount) pad.axes[msg.wParam] = static_cast<int>(msg.lParam);
      return;
    case kUmPadButtonDown:
    case kUmPadButtonUp:
      break;
    default:
      return;
  }
  if (msg.wParam >= kPadButtonCount) return;
  const bool down = msg.message == kUmPadButtonDown;
  const bool was = pad.down[msg.wParam];
  pad.down[msg.wParam] = down;
  if (!down || was) return;
  const auto button = static_cast<PadButton>(msg.wParam);
  if (awaiting != ControlAction::kNone && awaitingPad && game.mode_ == ModeOptions) {
    TakePad(button);
    return;
  }
  const PadChord modifier = settings.bindings.Pad(ControlAction::kPadModifier);
  const bool modifierHeld = modifier.Bound() && pad.down[modifier.button];
  RunPadAction(settings.bindings.ActionForPad(button, modifierHeld));
}

void GameControls::RunPadAction(ControlAction action) {
  const GameMode mode = game.mode_;
  switch (action) {
    case ControlAction::kNone:
    case ControlAction::kPadModifier:
      return;
    case ControlAction::kAct:
      if (mode == ModePlay)
        Act();
      else
        LeftClick();
      return;
    case ControlAction::kClick:
      LeftClick();
      return;
    case ControlAction::kRightClick:
      RightClick();
      return;
    case ControlAction::kBack:
      if (awaiting != ControlAction::kNone) {
        awaiting = ControlAction::kNone;
        Panel().SetPrompt("");
      } else if (mode != ModePlay) {
        RunAction(ControlAction::kMenu, 0);
      }
      return;
    case ControlAction::kPrevSkill:
      CycleSkill(-1);
      return;
    case ControlAction::kNextSkill:
      CycleSkill(1);
      return;
    default:
      RunAction(action, 0);
      return;
  }
}

// A click as the mouse would give it, at the cursor the right stick moves.
void GameControls::LeftClick() {
  game.OnLButtonDown();
  if (game.leftButtonUp_) game.buttonLatch_.Press(LatchedButton::kLeft);
}

void GameControls::RightClick() {
  if (game.mode_ == ModeOptions) {
    OptionsClick(true);
    return;
  }
  game.bags_.OnRButtonDown();
  if (game.mode_ == ModePlay) game.buttonLatch_.Press(LatchedButton::kRight);
}

// The role nearest in front of the hero (the way the left stick points, else the way he
// faces): a monster or a hostile role is fought, anyone else is talked to.
void GameControls::Act() {
  if (!game.HasPlayer()) return;
  GameWorld& world = *game.world_;
  Role& player = *world.player;
  if (player.IsDead() || player.State() == RoleStateKind::kFight) return;
  double fx = pad.axes[0], fy = pad.axes[1];
  if (std::hypot(fx, fy) < kStickDeadZone) {
    const int d = player.Direction();
    const Point f = d >= 1 && d <= 8 ? kFacing[d - 1] : Point{0, 1};
    fx = f.x;
    fy = f.y;
  }
  const double flen = std::hypot(fx, fy);
  int best = -1;
  double bestDistance = 0;
  for (int i = 1; i <= world.NpcCount(); ++i) {
    CRoleNPC* npc = world.Npc(i);
    if (!npc || npc->IsDead()) continue;
    const double dx = npc->X() - player.X(), dy = npc->Y() - player.Y();
    const double distance = std::hypot(dx, dy);
    if (distance > kActReach) continue;
    // In front: within 60 degrees either side, or close enough to touch.
    const bool inFront = distance < 1 || (dx * fx + dy * fy) / (distance * flen) >= 0.5;
    if (!inFront && distance > 48) continue;
    if (best < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  if (best < 0) return;
  CRoleNPC& npc = *world.Npc(best);
  // Monsters and whoever is hostile are fought; the cursor and a click still fight anyone.
  constexpr int kMonsterKind = 1;
  if ((npc.Hostile() || npc.Kind() == kMonsterKind) && npc.FindState(RoleStateKind::kDie) >= 0) {
    game.Trace("start to fight in cgame\n");
    world.route.Chase(player, game.map_, world.Everyone(), npc, Point{npc.X(), npc.Y()});
    return;
  }
  if (player.OrderMode() != RoleOrder::kGoTo) player.SetOrderMode(RoleOrder::kGoTo);
  game.talkTarget_ = best;
  if (!npc.ClickScript().empty()) {
    game.RunScriptFile(npc.ClickScript(), false);
    return;
  }
  if (!npc.Talk(game.cameraX_, game.cameraY_, world.talk)) {
    game.mode_ = ModePlay;
    game.bags_.OpenSellPanel();
  }
}

void GameControls::CycleSkill(int step) {
  const GameMode mode = game.mode_;
  if (mode != ModePlay && mode != ModeStatusPanel && mode != ModeBags) return;
  if (!game.HasPlayer()) return;
  Role& player = *game.world_->player;
  const std::vector<LearnedSkill>& learned = player.Growth().LearnedSkills();
  const int count = static_cast<int>(learned.size());
  if (count == 0) return;
  int at = 0;
  for (int i = 0; i < count; ++i)
    if (learned[i].id == player.CurrentSkill().id) at = i;
  // The next skill that has a key and may be used now.
  for (int tries = 1; tries <= count; ++tries) {
    const LearnedSkill& next = learned[((at + step * tries) % count + count) % count];
    const char key = game.skillDb_.Get(next.id).shortcutKey;
    if (key != 0 && game.SelectSkillByKey(static_cast<unsigned char>(key))) return;
  }
}

void GameControls::Step() {
  if (pad.padsOpen == 0 && !pad.walking && pad.axes == std::array<int, kPadAxisCount>{}) return;
  MoveCursor();
  WalkByStick();
}

void GameControls::MoveCursor() {
  const int ax = pad.axes[static_cast<int>(PadAxis::kRightX)];
  const int ay = pad.axes[static_cast<int>(PadAxis::kRightY)];
  if (std::hypot(ax, ay) < kStickDeadZone) return;
  // Fine near the middle, fast at full travel.
  auto speed = [](int v) {
    const double t = v / 32768.0;
    return static_cast<int>(std::lround(t * std::fabs(t) * kCursorSpeed));
  };
  const Point c = platform.GetCursorPos();
  const int x = std::clamp(c.x + speed(ax), 0, kScreenWidth - 1);
  const int y = std::clamp(c.y + speed(ay), 0, kScreenHeight - 1);
  if (x != c.x || y != c.y) platform.SetCursorPos(x, y);
}

// The left stick walks the hero toward where it points, by the same rules as the held right
// button (path-finding included), and runs him when pushed all the way.
void GameControls::WalkByStick() {
  const int ax = pad.axes[static_cast<int>(PadAxis::kLeftX)];
  const int ay = pad.axes[static_cast<int>(PadAxis::kLeftY)];
  const double travel = std::hypot(ax, ay);
  if (game.mode_ != ModePlay || !game.HasPlayer() || !game.fade_.Shown() || game.script_) {
    return;
  }
  Role& player = *game.world_->player;
  if (player.IsDead() || player.State() == RoleStateKind::kFight) return;
  if (travel < kStickDeadZone) {
    if (pad.walking) player.Stand();
    pad.walking = false;
    return;
  }
  pad.walking = true;
  const Point to{player.X() + static_cast<int>(std::lround(ax / travel * kStickReach)),
                 player.Y() + static_cast<int>(std::lround(ay / travel * kStickReach))};
  if (player.OrderMode() != RoleOrder::kGoTo) player.SetOrderMode(RoleOrder::kGoTo);
  player.ForgetFightTarget();
  GameWorld& world = *game.world_;
  world.route.GoTo(player, game.map_, world.Everyone(), to,
                   travel >= kRunTravel ? RoleStateKind::kRun : RoleStateKind::kWalk);
}

// The options screen.

void GameControls::OpenOptions(GameMode back) {
  if (!optionsOffered) return;
  // Opened from the title screen the menu is behind it; from the game menu, the saved view.
  if (back == ModeMainMenu) {
    Surface* shown = game.renderer_.GetSurface(kSurfaceBackBuffer);
    Surface* saved = game.renderer_.GetSurface(kSurfaceTemp);
    if (shown && saved) saved->BltFast(0, 0, *shown, kScreenRect, kBltNoColorKey);
  }
  optionsBack = back;
  awaiting = ControlAction::kNone;
  Panel().SetPrompt("");
  ShowOptionValues();
  game.leftButtonUp_ = false;
  game.mode_ = ModeOptions;
}

void GameControls::CloseOptions() {
  awaiting = ControlAction::kNone;
  game.leftButtonUp_ = false;
  game.mode_ = optionsBack;
}

void GameControls::ShowOptionValues() {
  OptionsPanel& panel = Panel();
  panel.SetValue(OptionRow::kMusicVolume, std::to_string(settings.musicVolume) + "%");
  panel.SetValue(OptionRow::kEffectVolume, std::to_string(settings.effectVolume) + "%");
  panel.SetValue(OptionRow::kFullscreen, settings.display.fullscreen ? "Full screen" : "Window");
  panel.SetValue(OptionRow::kWindowScale, std::to_string(settings.display.scale) + "x");
  panel.SetValue(OptionRow::kIntegerScale, OnOff(settings.display.integerScale));
  for (int i = 0; i < kTasteCount; ++i) {
    const int choice = settings.taste[i];
    panel.SetValue(static_cast<OptionRow>(static_cast<int>(OptionRow::kPathFinding) + i),
                   choice < 0 ? "Default: " + OnOff(game.gameSwitches_.On(kTasteSwitches[i]))
                              : OnOff(choice == 1));
  }
  std::vector<BindingRowText> rows;
  for (int i = 0; i < kControlActionCount; ++i) {
    const auto action = static_cast<ControlAction>(i);
    const bool waitsKey = awaiting == action && !awaitingPad;
    const bool waitsPad = awaiting == action && awaitingPad;
    rows.push_back({KeyBindings::ActionLabel(action),
                    !KeyBindings::TakesKey(action)
                        ? std::string("-")
                        : (waitsKey ? "..." : KeyBindings::KeyText(settings.bindings.Key(action))),
                    waitsPad ? "..." : KeyBindings::PadText(settings.bindings.Pad(action))});
  }
  panel.SetBindings(rows);
}

void GameControls::OptionsClick(bool right) {
  if (awaiting != ControlAction::kNone) return;
  const OptionsHit hit = Panel().OnClick();
  switch (hit.kind) {
    case OptionsHit::Kind::kClose:
      CloseOptions();
      return;
    case OptionsHit::Kind::kStep:
      StepOption(hit.index, right ? -1 : 1);
      break;
    case OptionsHit::Kind::kKey:
    case OptionsHit::Kind::kPad: {
      const auto action = static_cast<ControlAction>(hit.index);
      const bool isPad = hit.kind == OptionsHit::Kind::kPad;
      if (!isPad && !KeyBindings::TakesKey(action)) return;
      if (right) {
        // A right click gives the command its default back.
        std::string why;
        const bool ok =
            isPad ? settings.bindings.SetPad(action, KeyBindings::DefaultPad(action), &why)
                  : settings.bindings.SetKey(action, KeyBindings::DefaultKey(action), &why);
        if (!ok) {
          Refused(why);
          return;
        }
        Save();
        break;
      }
      awaiting = action;
      awaitingPad = isPad;
      Panel().SetPrompt(isPad ? kPadPrompt : kKeyPrompt);
      break;
    }
    case OptionsHit::Kind::kNone:
      break;
  }
  ShowOptionValues();
}

void GameControls::StepOption(int row, int step) {
  auto cycle = [step](int value, int lo, int hi, int by) {
    value += step * by;
    if (value > hi) return lo;
    if (value < lo) return hi;
    return value;
  };
  switch (static_cast<OptionRow>(row)) {
    case OptionRow::kMusicVolume:
      settings.musicVolume = cycle(settings.musicVolume, 0, kFullVolume, kVolumeStep);
      break;
    case OptionRow::kEffectVolume:
      settings.effectVolume = cycle(settings.effectVolume, 0, kFullVolume, kVolumeStep);
      break;
    case OptionRow::kFullscreen:
      settings.display.fullscreen = !settings.display.fullscreen;
      break;
    case OptionRow::kWindowScale:
      settings.display.scale = cycle(settings.display.scale, 1, kMaxWindowScale, 1);
      break;
    case OptionRow::kIntegerScale:
      settings.display.integerScale = !settings.display.integerScale;
      break;
    case OptionRow::kPathFinding:
    case OptionRow::kSeeThrough:
    case OptionRow::kStackCounts:
    case OptionRow::kMessageLinePlaced:
    case OptionRow::kMinimap: {
      // The game's choice, on, off, and round again.
      int& choice = settings.taste[row - static_cast<int>(OptionRow::kPathFinding)];
      choice = cycle(choice, -1, 1, 1);
      break;
    }
  }
  Apply();
  Save();
}

void GameControls::TakeKey(int vk, bool shift) {
  const ControlAction action = awaiting;
  awaiting = ControlAction::kNone;
  Panel().SetPrompt("");
  if (vk == kVkEscape && !shift) {
    ShowOptionValues();
    return;
  }
  const KeyChord key = vk == kVkDelete ? KeyChord{} : KeyChord{vk, shift};
  // A skill's own key belongs to the skill: the game's data gives it.
  for (int id = 1; id < game.skillDb_.Count() && key.vk != 0; ++id) {
    const SkillRecord& skill = game.skillDb_.Get(id);
    if (!shift && skill.shortcutKey != 0 &&
        static_cast<unsigned char>(skill.shortcutKey) == key.vk) {
      Refused(KeyBindings::KeyText(key) + " is the key of the skill " + skill.name + ".");
      return;
    }
  }
  std::string why;
  if (!settings.bindings.SetKey(action, key, &why)) {
    Refused(why);
    return;
  }
  Save();
  ShowOptionValues();
}

void GameControls::TakePad(PadButton button) {
  const ControlAction action = awaiting;
  awaiting = ControlAction::kNone;
  Panel().SetPrompt("");
  const PadChord back = settings.bindings.Pad(ControlAction::kBack);
  if (back.Bound() && !back.modifier && back.button == static_cast<int>(button) &&
      action != ControlAction::kBack) {
    ShowOptionValues();
    return;
  }
  const PadChord modifier = settings.bindings.Pad(ControlAction::kPadModifier);
  // The modifier alone waits for the button it is held with.
  if (action != ControlAction::kPadModifier && modifier.Bound() &&
      modifier.button == static_cast<int>(button)) {
    awaiting = action;
    Panel().SetPrompt(kPadPrompt);
    return;
  }
  const bool held =
      action != ControlAction::kPadModifier && modifier.Bound() && pad.down[modifier.button];
  std::string why;
  if (!settings.bindings.SetPad(action, PadChord{static_cast<int>(button), held}, &why)) {
    Refused(why);
    return;
  }
  Save();
  ShowOptionValues();
}

void GameControls::Refused(const std::string& why) {
  game.ShowMessage(why);
  game.PlaySound("button_click.wav");
  ShowOptionValues();
}

void GameControls::DrawOptions() {
  game.SavedScreenStep();
  GameUi::HoverAndDraw(Panel());
}

}  // namespace isora
