// Writes the replay files kept in tests/e2e/replays by playing each scenario on the demo with
// nothing but the mouse and the keyboard, the way a person would: the input is recorded as it
// reaches the game, state dumps are asked for at the checkpoints, and what each checkpoint must
// show is written next to it as "# expect" lines (and checked here as well). Game internals are
// only read to decide where to move the cursor, never changed.
//
// Regenerate after changing the demo or the rules it plays by:
//   ISORA_AUTHOR_REPLAYS=tests/e2e/replays build/release/tests/isora_tests_e2e --gtest_filter='Author.*'
// Without the variable these tests are skipped.
#include <deque>
#include <map>
#include <optional>

#include "demo_session.h"
#include "replay_expect.h"
#include "shell/game_ui.h"
#include "shell/game_world.h"
#include "shell/replay.h"

namespace isora::e2e {
namespace {

using nlohmann::json;

const char* AuthorDir() {
  const char* dir = std::getenv("ISORA_AUTHOR_REPLAYS");
  return dir && *dir ? dir : nullptr;
}

// The play area above the player panel, where the cursor commands the hero.
constexpr int kViewBottom = 396;

class Scenario {
 public:
  Scenario(const std::string& name, const std::vector<std::string>& description) : name_(name) {
    const std::string path = (std::filesystem::absolute(AuthorDir()) / (name + ".replay")).string();
    recorder_.Open(path);
    for (const std::string& line : description) recorder_.Comment(line);
    d.game->SetRecorder(&recorder_);
  }
  ~Scenario() {
    Release();
    d.Step();
    recorder_.Quit(d.game->FramesRun());
    d.game->SetRecorder(nullptr);
  }

  DemoSession d;

  // --- checkpoints -------------------------------------------------------------------------

  // Asks for a state dump named <scenario>_<label>.json here; expectations refer to it.
  void Dump(const std::string& label, const std::string& comment = {}) {
    d.Step();  // input of this frame is handled before the dump, as the replay runner does
    if (!comment.empty()) recorder_.Comment(comment);
    last_ = name_ + "_" + label + ".json";
    dumps_[last_] = d.State();
    recorder_.State(d.game->FramesRun(), last_);
  }
  void Shot(const std::string& file) { recorder_.Shot(d.game->FramesRun(), file); }
  void Expect(const std::string& pointer, const std::string& op, const json& value) {
    Check(ReplayExpectation{last_, pointer, op, value.dump(), 0});
  }
  // The same value at `pointer` as in the dump of an earlier checkpoint.
  void ExpectSame(const std::string& pointer, const std::string& earlierLabel) {
    Check(ReplayExpectation{last_, pointer, "same", name_ + "_" + earlierLabel + ".json", 0});
  }
  const json& Last() { return dumps_[last_]; }

  // --- input -------------------------------------------------------------------------------

  json S() { return d.State(); }
  void Key(const std::string& name) {
    bool shift = false;
    int vk = VirtualKeyFromName(name, &shift);
    ASSERT_NE(vk, 0) << name;
    d.Key(vk, shift);
  }
  void Click(int x, int y) {
    Release();
    d.Click(x, y);
  }
  void ClickButton(const Button& b) {
    Click((b.hitRect.left + b.hitRect.right) / 2, (b.hitRect.top + b.hitRect.bottom) / 2);
  }
  void RightClick(int x, int y) {
    Release();
    d.RightClick(x, y);
  }
  void Hold(MouseButton button) {
    if (held_ == button) return;
    Release();
    d.platform.InjectButton(button, true);
    held_ = button;
  }
  void Release() {
    if (!held_) return;
    d.platform.InjectButton(*held_, false);
    held_.reset();
  }
  GameUi& Ui() { return d.game->Ui(); }

  // Clicks through talks (on a question, the Yes button) until no script runs and no talk is
  // shown; `no` answers the questions with No instead.
  void Talks(bool no = false, int maxFrames = 600) {
    for (int i = 0; i < maxFrames; ++i) {
      json s = S();
      if (s["mode"] == "ModeTalk") {
        Click(no ? 400 : 195, 282);
        d.Step(2);
        continue;
      }
      if (s["script"].is_null() && s["mode"] != "ModeFade" && s["mode"] != "ModeLoadingMap")
        return;
      d.Step();
    }
    ADD_FAILURE() << "talks did not end";
  }

  // From the splash pictures through New Game and the elder's talks to play, tutorial closed.
  void NewGame() {
    ASSERT_TRUE(d.ToMainMenu());
    Click(320, 254);
    ASSERT_TRUE(d.UntilMode("ModeTalk", 200));
    Talks();
    ASSERT_TRUE(d.UntilMode("ModePlay", 100));
    d.Step(10);
    Click(498, 80);  // the tutorial's close button
    d.Step(2);
  }

  // Waits until a map transition has finished and the play screen holds.
  void UntilPlaying(int maxFrames = 300) {
    ASSERT_TRUE(d.Until(
        [](const json& s) { return s["mode"] == "ModePlay" && s["fadePhase"] == 2; }, maxFrames))
        << S()["mode"];
  }

  // --- walking -----------------------------------------------------------------------------

  // A role steps where its feet go: 32 pixels below its position, and never into another
  // role's picture.
  static constexpr int kFeet = 32;

  // Points for the player's position from `from` to `to`, one per cell its feet cross, over
  // passable cells free of other roles (a diagonal step needs both cells beside it free);
  // empty when there is no way.
  std::vector<Point> Path(Point from, Point to) {
    const GameMap& map = d.game->Map();
    const int n = map.N();
    std::vector<char> taken(static_cast<size_t>(n * n), 0);
    GameWorld& world = d.game->World();
    for (int i = 1; i <= world.NpcCount(); ++i) {
      const CRoleNPC* role = world.Npc(i);
      if (!role || role->IsDead()) continue;
      const Rect b = role->Bounds();
      for (int y = b.top - 8; y <= b.bottom + 8; y += 8) {
        for (int x = b.left - 8; x <= b.right + 8; x += 8) {
          CellIndex c = map.CellAt(x, y);
          if (c.row >= 0 && c.column >= 0 && c.row < n && c.column < n) {
            taken[static_cast<size_t>(c.row * n + c.column)] = 1;
          }
        }
      }
    }
    CellIndex a = map.CellAt(from.x, from.y + kFeet), b = map.CellAt(to.x, to.y + kFeet);
    auto free = [&](int r, int c) {
      return r >= 0 && c >= 0 && r < n && c < n &&
             map.Cells()[static_cast<size_t>(c + r * n)].passable != 0 &&
             (!taken[static_cast<size_t>(r * n + c)] || (r == b.row && c == b.column));
    };
    if (a.row < 0 || a.column < 0 || a.row >= n || a.column >= n || !free(b.row, b.column)) {
      return {};
    }
    std::vector<int> previous(static_cast<size_t>(n * n), -1);
    std::deque<int> queue{a.row * n + a.column};
    previous[static_cast<size_t>(a.row * n + a.column)] = a.row * n + a.column;
    while (!queue.empty()) {
      int at = queue.front();
      queue.pop_front();
      if (at == b.row * n + b.column) break;
      int r = at / n, c = at % n;
      for (int dr = -1; dr <= 1; ++dr) {
        for (int dc = -1; dc <= 1; ++dc) {
          if ((dr == 0 && dc == 0) || !free(r + dr, c + dc)) continue;
          if (dr != 0 && dc != 0 && (!free(r + dr, c) || !free(r, c + dc))) continue;
          int next = (r + dr) * n + c + dc;
          if (previous[static_cast<size_t>(next)] >= 0) continue;
          previous[static_cast<size_t>(next)] = at;
          queue.push_back(next);
        }
      }
    }
    if (previous[static_cast<size_t>(b.row * n + b.column)] < 0) return {};
    std::vector<Point> path;
    for (int at = b.row * n + b.column;; at = previous[static_cast<size_t>(at)]) {
      Point p = map.CellPosition(at / n, at % n);
      path.push_back(Point{p.x + 32, p.y + 16 - kFeet});
      if (at == previous[static_cast<size_t>(at)]) break;
    }
    std::reverse(path.begin(), path.end());
    path.back() = to;
    return path;
  }

  // Walks (right button held) or runs (left button held) along the path to a map point,
  // planning again around roles that get in the way. Stops early when `stop` holds.
  bool GoTo(Point to, bool run = false, const std::function<bool(const json&)>& stop = {},
            int maxFrames = 4000) {
    std::vector<Point> path;
    size_t next = 0;
    Point lastPos{-1, -1};
    int still = 0, plans = 0;
    json s;
    for (int frame = 0; frame < maxFrames; ++frame) {
      s = S();
      if (stop && stop(s)) {
        Release();
        return true;
      }
      if (s["mode"] != "ModePlay") {
        Release();
        d.Step();
        continue;
      }
      Point p{s["player"]["x"], s["player"]["y"]};
      still = p == lastPos ? still + 1 : 0;
      lastPos = p;
      if (path.empty() || still == 16) {
        if (++plans > 40) break;
        path = Path(p, to);
        if (path.empty()) {
          // Boxed in by roles for now: wait for them to move on.
          Release();
          d.Step(5);
          continue;
        }
        next = path.size() > 1 ? 1 : 0;
        still = 0;
      }
      while (next < path.size() && std::abs(p.x - path[next].x) <= 6 &&
             std::abs(p.y - path[next].y) <= 6) {
        ++next;
      }
      if (next >= path.size()) {
        Release();
        d.Step();
        return true;
      }
      // A role under the cursor makes the hero stand: aim further along the same line.
      Point aim = path[next];
      if (still >= 4) {
        const double dx = aim.x - p.x, dy = aim.y - p.y, len = std::max(1.0, std::hypot(dx, dy));
        aim.x += static_cast<int>(dx / len * 24 * (still / 4));
        aim.y += static_cast<int>(dy / len * 24 * (still / 4));
      }
      int sx = aim.x - s["camera"]["x"].get<int>();
      int sy = aim.y - s["camera"]["y"].get<int>();
      if (std::getenv("ISORA_AUTHOR_TRACE")) {
        std::fprintf(stderr, "at %d,%d %s target %d,%d waypoint %zu/%zu %d,%d\n", p.x, p.y,
                     s["player"]["state"].get<std::string>().c_str(),
                     s["player"]["targetX"].get<int>(), s["player"]["targetY"].get<int>(), next,
                     path.size(), path[next].x, path[next].y);
      }
      d.Move(std::clamp(sx, 4, 635), std::clamp(sy, 4, kViewBottom));
      Hold(run ? MouseButton::Left : MouseButton::Right);
      d.Step();
    }
    Release();
    s = S();
    ADD_FAILURE() << "did not reach " << to.x << "," << to.y << " from " << s["player"]["x"] << ","
                  << s["player"]["y"] << " (" << s["player"]["state"] << ", " << plans
                  << " plans, mode " << s["mode"] << ")";
    return false;
  }

  // Walks onto an exit cell leading to `map` and waits on the next map's play screen.
  void TakeExit(const std::string& map) {
    const GameMap& m = d.game->Map();
    Point player{S()["player"]["x"], S()["player"]["y"]};
    std::optional<Point> best;
    int64_t bestDistance = 0;
    for (const MapCell& c : m.Cells()) {
      Point centre{c.x + 32, c.y + 16};
      if (c.exitId == 0 || m.CellExit(centre.x, centre.y) != map ||
          !m.IsPassableAt(centre.x, centre.y + kFeet)) {
        continue;
      }
      int64_t dx = centre.x - player.x, dy = centre.y - player.y;
      if (!best || dx * dx + dy * dy < bestDistance) {
        best = centre;
        bestDistance = dx * dx + dy * dy;
      }
    }
    ASSERT_TRUE(best) << "no exit to " << map;
    GoTo(*best, false, [&](const json& s) { return s["mode"] != "ModePlay"; });
    ASSERT_TRUE(d.UntilMode("ModeLoadingMap", 60));
    UntilPlaying();
    ASSERT_EQ(S()["map"]["file"], map);
  }
  // Walks onto the cell at (row, column), which starts a cell script.
  void StepOnCell(int row, int column, const std::function<bool(const json&)>& stop = {}) {
    Point p = d.game->Map().CellPosition(row, column);
    GoTo(Point{p.x + 32, p.y + 16}, false, stop);
  }

  // --- roles -------------------------------------------------------------------------------

  std::optional<json> Role(const std::string& name, const json& s) {
    std::optional<json> best;
    int64_t bestDistance = 0;
    for (const json& n : s["npcs"]) {
      if (n["name"] != name || n["state"] == "die" || n["state"] == "dieout") continue;
      int64_t dx = n["x"].get<int>() - s["player"]["x"].get<int>();
      int64_t dy = n["y"].get<int>() - s["player"]["y"].get<int>();
      if (!best || dx * dx + dy * dy < bestDistance) {
        best = n;
        bestDistance = dx * dx + dy * dy;
      }
    }
    return best;
  }
  static Point At(const json& role) { return Point{role["x"], role["y"]}; }
  static int64_t Distance2(Point a, Point b) {
    return int64_t{a.x - b.x} * (a.x - b.x) + int64_t{a.y - b.y} * (a.y - b.y);
  }
  Point Player() {
    json s = S();
    return Point{s["player"]["x"], s["player"]["y"]};
  }

  // Walks up to the named role, close enough to see and click it.
  void Approach(const std::string& name, int distance = 90) {
    for (int attempt = 0; attempt < 8; ++attempt) {
      json s = S();
      auto role = Role(name, s);
      ASSERT_TRUE(role) << name << " is not on the map";
      if (Distance2(At(*role), Player()) <= int64_t{distance} * distance) return;
      // Aim for a free cell beside the role.
      Point target = At(*role);
      const GameMap& m = d.game->Map();
      Point best{-1, -1};
      for (int dy = -64; dy <= 64; dy += 16) {
        for (int dx = -96; dx <= 96; dx += 16) {
          Point p{target.x + dx, target.y + dy};
          if (!m.IsPassableAt(p.x, p.y + kFeet) || Distance2(p, target) < 40 * 40) continue;
          if (best.x < 0 || Distance2(p, Player()) < Distance2(best, Player())) best = p;
        }
      }
      ASSERT_GE(best.x, 0) << "nowhere to stand beside " << name;
      GoTo(best, false, [&](const json& st) {
        auto r = Role(name, st);
        Point pl{st["player"]["x"], st["player"]["y"]};
        return r && Distance2(At(*r), pl) <= int64_t{distance} * distance;
      });
    }
  }

  // Right-clicks the named role until the game answers with a talk or its click script.
  void TalkTo(const std::string& name) {
    Approach(name);
    for (int attempt = 0; attempt < 30; ++attempt) {
      json s = S();
      auto role = Role(name, s);
      ASSERT_TRUE(role);
      int sx = (*role)["x"].get<int>() - s["camera"]["x"].get<int>();
      int sy = (*role)["y"].get<int>() - s["camera"]["y"].get<int>() - 10 + (attempt % 3) * 10;
      RightClick(sx, std::min(sy, kViewBottom));
      json after = S();
      if (after["mode"] == "ModeTalk" || after["mode"] == "ModeBags" || !after["script"].is_null())
        return;
      d.Step(2);
      if (attempt % 5 == 4) Approach(name, 60);
    }
    ADD_FAILURE() << "could not talk to " << name;
  }

  // Holds the left button on the named role until it dies; true when the kill was counted.
  bool Kill(const std::string& name, int maxFrames = 3000) {
    const int killed = S()["killedEnemies"];
    for (int frame = 0; frame < maxFrames; ++frame) {
      json s = S();
      if (s["killedEnemies"].get<int>() > killed) {
        Release();
        d.Step(3);
        return true;
      }
      if (s["mode"] == "ModeTalk") {  // a script the death started
        Release();
        return s["killedEnemies"].get<int>() > killed;
      }
      if (s["player"]["state"] == "die" || s["player"]["state"] == "dieout") break;
      auto role = Role(name, s);
      if (!role) break;
      int sx = (*role)["x"].get<int>() - s["camera"]["x"].get<int>();
      int sy = (*role)["y"].get<int>() - s["camera"]["y"].get<int>();
      if (sx < 8 || sy < 8 || sx > 631 || sy > kViewBottom) {
        Release();
        Approach(name, 150);
        continue;
      }
      d.Move(sx, sy);
      Hold(MouseButton::Left);
      d.Step();
    }
    Release();
    ADD_FAILURE() << "could not kill " << name;
    return false;
  }

  // Picks up the ground item nearest to the player: holds the left button on it until it is
  // gone (or the message line says the bag is full).
  bool PickUp(const std::string& name = {}) {
    for (int frame = 0; frame < 600; ++frame) {
      json s = S();
      std::optional<json> item;
      for (const json& g : s["groundItems"]) {
        if (name.empty() || g["name"] == name) {
          if (!item || Distance2(At(g), Player()) < Distance2(At(*item), Player())) item = g;
        }
      }
      if (!item) {
        Release();
        d.Step();
        return true;
      }
      if (s["message"]["text"].get<std::string>().find("My bag is full.") != std::string::npos &&
          held_) {
        Release();
        d.Step();
        return false;
      }
      int sx = (*item)["x"].get<int>() - s["camera"]["x"].get<int>() + 8;
      int sy = (*item)["y"].get<int>() - s["camera"]["y"].get<int>() + 8;
      if (sx < 8 || sy < 8 || sx > 631 || sy > kViewBottom) {
        Release();
        GoTo(At(*item));
        continue;
      }
      // One pick-up per press: press again for each item.
      if (held_ && frame % 20 == 19) Release();
      d.Move(sx, sy);
      Hold(MouseButton::Left);
      d.Step();
    }
    Release();
    return false;
  }
  int Carried(const std::string& name) {
    int count = 0;
    for (const json& cell : S()["player"]["bag"]) {
      if (cell["name"] == name) count += cell["count"].get<int>();
    }
    return count;
  }

 private:
  void Check(ReplayExpectation e) {
    recorder_.Comment(FormatExpectation(e));
    std::string why = CheckExpectation(e, [&](const std::string& file) -> const json* {
      auto it = dumps_.find(file);
      return it == dumps_.end() ? nullptr : &it->second;
    });
    EXPECT_TRUE(why.empty()) << why;
  }

  std::string name_;
  ReplayRecorder recorder_;
  std::map<std::string, json> dumps_;
  std::string last_;
  std::optional<MouseButton> held_;
};

#define AUTHOR_OR_SKIP()                                                             \
  if (!AuthorDir()) GTEST_SKIP() << "set ISORA_AUTHOR_REPLAYS=DIR to write the replays"

TEST(Author, SplashToMenu) {
  AUTHOR_OR_SKIP();
  Scenario a("splash_to_menu", {"The splash pictures fade in and out (the two \"null\" entries of",
                                "the demo are skipped) and the main menu comes up with its music."});
  a.Dump("start", "The first picture fades in.");
  a.Expect("/mode", "==", "ModeFade");
  a.Expect("/fadeKind", "==", 2);
  a.Expect("/fadeLevel", ">", 0);
  a.Expect("/splashIndex", "==", 0);
  // A click while a picture fades in jumps to its hold.
  a.d.Step(3);
  a.Click(320, 240);
  a.Dump("clicked");
  a.Expect("/fadeLevel", "<=", -150);  // untouched it would still be fading in, above 0
  a.Expect("/splashIndex", "==", 0);
  ASSERT_TRUE(a.d.UntilMode("ModeMainMenu", 1000));
  a.d.Step(20);
  a.Dump("menu");
  a.Expect("/mode", "==", "ModeMainMenu");
  a.Expect("/splashIndex", ">=", 5);
  a.Expect("/music", "==", "music\\menu.wav");
  a.Expect("/fadePhase", "==", 2);
}

TEST(Author, NewGame) {
  AUTHOR_OR_SKIP();
  Scenario a("new_game", {"New Game runs main.gsp: the elder's Say lines and her Ask, answered",
                          "Yes; then the tutorial is closed and the attribute panel shown."});
  ASSERT_TRUE(a.d.ToMainMenu());
  a.Click(320, 254);
  ASSERT_TRUE(a.d.UntilMode("ModeTalk", 200));
  a.Dump("first_say");
  a.Expect("/script/name", "has", "main.gsp");
  a.Expect("/script/waiting", "==", true);
  a.Click(320, 240);
  a.d.Step(2);
  a.Dump("ask");
  a.Expect("/mode", "==", "ModeTalk");
  a.Talks();
  ASSERT_TRUE(a.d.UntilMode("ModePlay", 100));
  a.d.Step(10);
  a.Dump("playing");
  a.Expect("/map/file", "==", "town.map");
  a.Expect("/map/name", "==", "Willowmere");
  a.Expect("/player/moral", "==", 55);
  a.Expect("/player/money", "==", 100);
  a.Expect("/player/bag/0/name", "==", "Red Potion");
  a.Expect("/player/bag/0/count", "==", 3);
  a.Expect("/player/bag/1/name", "==", "Wooden Sword");
  a.Expect("/message/text", "==", "Right click people to talk. F1 to F4 open your panels.");
  a.Expect("/relations/notes/0", "has", "I woke up in Willowmere.");
  a.Expect("/script", "==", nullptr);
  a.Click(498, 80);
  a.Key("F1");
  a.Dump("attributes");
  a.Expect("/mode", "==", "ModeStatusPanel");
  a.Shot("attribute_panel.bmp");
  a.Key("F1");
  a.Dump("closed");
  a.Expect("/mode", "==", "ModePlay");
  a.Expect("/openPanel", "==", 0);
}

TEST(Author, WalkAndRun) {
  AUTHOR_OR_SKIP();
  Scenario a("walk_and_run", {"Holding the right button walks to the cursor, holding the left",
                              "button on open ground runs; the hero stops at the point."});
  a.NewGame();
  json s = a.S();
  int cx = s["camera"]["x"], cy = s["camera"]["y"];
  int px = s["player"]["x"], py = s["player"]["y"];
  a.d.Move(px - cx + 60, py - cy + 40);
  a.Hold(MouseButton::Right);
  a.d.Step(3);
  a.Release();
  a.Dump("walking");
  a.Expect("/player/state", "==", "walk");
  a.Expect("/player/targetX", ">=", px + 50);
  a.Expect("/player/targetY", ">=", py + 30);
  ASSERT_TRUE(a.d.Until([](const json& st) { return st["player"]["state"] == "stand"; }, 200));
  a.Dump("walked");
  a.Expect("/player/x", ">=", px + 50);
  a.Expect("/player/x", "<=", px + 70);
  a.Expect("/player/y", ">=", py + 30);
  a.Expect("/player/y", "<=", py + 50);
  s = a.S();
  cx = s["camera"]["x"];
  cy = s["camera"]["y"];
  px = s["player"]["x"];
  py = s["player"]["y"];
  const int mp = s["player"]["mp"];
  a.d.Move(px - cx - 50, py - cy + 20);
  a.Hold(MouseButton::Left);
  a.d.Step(2);
  a.Dump("running");
  a.Expect("/player/state", "==", "run");
  a.Release();
  ASSERT_TRUE(a.d.Until([](const json& st) { return st["player"]["state"] == "stand"; }, 200));
  a.Dump("ran");
  a.Expect("/player/x", "<=", px - 40);
  a.Expect("/player/y", ">=", py + 10);
  a.Expect("/player/mp", "<=", mp);
}

TEST(Author, MapExit) {
  AUTHOR_OR_SKIP();
  Scenario a("map_exit", {"Walking south out of Willowmere through the town gate enters",
                          "Greenwood at its start tile, facing direction 5."});
  a.NewGame();
  a.TakeExit("wild.map");
  a.Dump("greenwood");
  a.Expect("/map/file", "==", "wild.map");
  a.Expect("/map/name", "==", "Greenwood");
  a.Expect("/music", "==", "music\\wild.wav");
  a.Expect("/player/direction", "==", 5);
  a.Expect("/player/row", ">=", 41);
  a.Expect("/player/row", "<=", 43);
  a.Expect("/player/column", ">=", 6);
  a.Expect("/player/column", "<=", 8);
  a.Expect("/groundItems", "==", json::array());
  a.TakeExit("town.map");
  a.Dump("back");
  a.Expect("/map/name", "==", "Willowmere");
}

TEST(Author, Talk) {
  AUTHOR_OR_SKIP();
  Scenario a("talk", {"Right-clicking a villager shows her talk, a click closes it; the",
                      "elder's click script talks and starts the key mission."});
  a.NewGame();
  a.TalkTo("Mira");
  a.Dump("mira");
  a.Expect("/mode", "==", "ModeTalk");
  a.Shot("talk.bmp");
  a.Click(320, 240);
  a.Dump("closed");
  a.Expect("/mode", "==", "ModePlay");
  a.TalkTo("Elder Maren");
  a.Dump("elder");
  a.Expect("/script/name", "has", "elder.gsp");
  a.Talks();
  a.Dump("elder_done");
  a.Expect("/missions/0/name", "==", "Key");
  a.Expect("/script", "==", nullptr);
}

TEST(Author, Shop) {
  AUTHOR_OR_SKIP();
  Scenario a("shop", {"Greta's talk ends in her shop: a Red Potion is bought, the Wooden",
                      "Sword sold for half its price, and the Wisdom Tonic refused for want",
                      "of money."});
  a.NewGame();
  a.TalkTo("Greta");
  a.Talks();
  ASSERT_TRUE(a.d.UntilMode("ModeBags", 50));
  a.Dump("open");
  a.Expect("/sellMode", "==", 1);
  a.Expect("/player/money", "==", 100);
  PackPanel& shop = *a.Ui().packPanels[1];
  PlayerPanel& panel = *a.Ui().playerPanel;
  const ItemDatabase& items = a.d.game->Items();
  auto ware = [&](const std::string& name) -> const Button& {
    for (size_t i = 0; i < shop.ShopList().size(); ++i) {
      if (items.Get(shop.ShopList()[i]).name == name) return shop.buttons[i + 1];
    }
    ADD_FAILURE() << name << " is not sold here";
    return shop.buttons[0];
  };
  auto firstEmptyCell = [&]() -> const Button& {
    json bag = a.S()["player"]["bag"];
    for (int c = 0; c < 9; ++c) {
      if (bag[c]["item"] == 0) return panel.buttons[kElementFirstCell + c];
    }
    ADD_FAILURE() << "no empty cell";
    return panel.buttons[kElementFirstCell];
  };
  // A free point on the shop's background, where wares are put back and sold.
  Rect area = shop.Area();
  Point free{-1, -1};
  for (int y = area.top + 2; y < area.bottom && free.x < 0; y += 3) {
    for (int x = area.left + 2; x < area.right && free.x < 0; x += 3) {
      if (shop.ButtonAt(x, y) < 0) free = Point{x, y};
    }
  }
  ASSERT_GE(free.x, 0);

  a.ClickButton(ware("Blue Potion"));
  a.ClickButton(firstEmptyCell());
  a.Dump("bought");
  a.Expect("/player/money", "==", 100 - 25);
  a.Expect("/player/bag/3/name", "==", "Blue Potion");
  a.Expect("/heldItem", "==", 0);
  a.Shot("shop.bmp");

  a.ClickButton(panel.buttons[kElementFirstCell + 1]);  // the Wooden Sword
  a.Click(free.x, free.y);
  a.Dump("sold");
  a.Expect("/player/money", "==", 75 + 15);
  a.Expect("/player/bag/1/item", "==", 0);
  a.Expect("/heldItem", "==", 0);

  a.ClickButton(ware("Wisdom Tonic"));
  a.ClickButton(firstEmptyCell());
  a.Dump("refused");
  a.Expect("/player/money", "==", 90);
  a.Expect("/message/text", "has", "money isn't enough");
  a.Click(free.x, free.y);
  a.Key("Esc");
  a.Dump("closed");
  a.Expect("/mode", "==", "ModePlay");
  a.Expect("/sellMode", "==", 0);
  a.Expect("/heldItem", "==", 0);
  a.Expect("/player/money", "==", 90);
}

TEST(Author, StatusPanelsMenusAndKeys) {
  AUTHOR_OR_SKIP();
  Scenario a("screens", {"F1 to F4 open and close the four status panels; Esc opens the",
                         "in-game menu and its help; F9 twice shows and hides the boss key",
                         "screen; Shift+F8 raises a level; F11 takes a screenshot."});
  a.NewGame();
  const char* titles[] = {"<3Attribute/>", "<3Note/>", "<3Honour/>", "<3My Mission/>"};
  for (int i = 0; i < 4; ++i) {
    const std::string key = "F" + std::to_string(i + 1);
    a.Key(key);
    a.Dump(key + "_open");
    a.Expect("/mode", "==", "ModeStatusPanel");
    a.Expect("/panelTitle", "==", titles[i]);
    a.Expect("/openPanel", "==", i + 1);
    a.Key(key);
    a.Dump(key + "_closed");
    a.Expect("/mode", "==", "ModePlay");
    a.Expect("/openPanel", "==", 0);
  }
  a.Key("F4");
  a.Key("Esc");
  a.Dump("status_esc");
  a.Expect("/mode", "==", "ModePlay");

  a.Key("Esc");
  a.Dump("menu");
  a.Expect("/mode", "==", "ModeGameMenu");
  a.Key("Esc");
  a.Dump("menu_esc");
  a.Expect("/mode", "==", "ModePlay");
  a.Key("Esc");
  a.ClickButton(a.Ui().gameMenu.buttons[kMenuHelp]);
  a.Dump("help");
  a.Expect("/mode", "==", "ModeHelp");
  a.Key("Esc");
  a.Key("Esc");
  a.ClickButton(a.Ui().gameMenu.buttons[kMenuBack]);
  a.Dump("menu_return");
  a.Expect("/mode", "==", "ModePlay");

  a.Key("F9");
  a.Dump("boss");
  a.Expect("/mode", "==", "ModeBossKey");
  a.Key("F9");
  a.Dump("boss_back");
  a.Expect("/mode", "==", "ModePlay");
  a.Key("F2");
  a.Key("F9");
  a.Key("F9");
  a.Dump("boss_back_to_panel");
  a.Expect("/mode", "==", "ModeStatusPanel");
  a.Key("Esc");

  a.Key("Shift+F8");
  a.Dump("level_up");
  a.Expect("/player/level", "==", 2);
  a.Expect("/message/text", "has", "Level Up!");
  a.Expect("/lastSound", "==", "sound\\level_up.wav");
  a.Key("F8");
  a.Dump("f8_alone");
  a.Expect("/player/level", "==", 2);

  a.Key("F11");
  a.Dump("screenshot");
  a.Expect("/screenshot", "has", "screenshot");
}

}  // namespace
}  // namespace isora::e2e
