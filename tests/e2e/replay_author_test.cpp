// Writes the replay files kept in tests/e2e/replays by playing each scenario on the demo with
// nothing but the mouse and the keyboard, the way a person would: the input is recorded as it
// reaches the game, state dumps are asked for at the checkpoints, and what each checkpoint must
// show is written next to it as "# expect" lines (and checked here as well). Game internals are
// only read to decide where to move the cursor, never changed.
//
// Regenerate after changing the demo or the rules it plays by:
//   ISORA_AUTHOR_REPLAYS=tests/e2e/replays build/release/tests/isora_tests_e2e
//   --gtest_filter='Author.*'
// Without the variable these tests are skipped.
#include <deque>
#include <map>
#include <optional>
#include <set>

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

// With ISORA_AUTHOR_TRACE set, how the walks and fights go is written to stderr.
template <typename... Args>
void Trace(const char* format, Args... args) {
  if (std::getenv("ISORA_AUTHOR_TRACE")) std::fprintf(stderr, format, args...);
}

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
  // A dump that must find the game on the given screen.
  void DumpMode(const std::string& label, const char* mode) {
    Dump(label);
    Expect("/mode", "==", mode);
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
  // The pointer to the named mission in the last dump ("/missions/<i>"); fails when missing.
  std::string MissionAt(const std::string& name) {
    const json& missions = Last()["missions"];
    for (size_t i = 0; i < missions.size(); ++i) {
      if (missions[i]["name"] == name) return "/missions/" + std::to_string(i);
    }
    ADD_FAILURE() << "no mission " << name;
    return "/missions/-";
  }

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
      if (s["script"].is_null() && s["mode"] != "ModeFade" && s["mode"] != "ModeLoadingMap") return;
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

  // Points for the player's position from `from` to `to`: the centre of each cell its feet
  // cross, from cell to cell over shared edges (so a straight step never clips a third cell),
  // over passable cells free of other roles; empty when there is no way.
  std::vector<Point> Path(Point from, Point to, bool avoidRoles = true) {
    const GameMap& map = d.game->Map();
    const int n = map.N();
    std::vector<char> taken(static_cast<size_t>(n * n), 0);
    GameWorld& world = d.game->World();
    for (int i = 1; avoidRoles && i <= world.NpcCount(); ++i) {
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
    std::vector<int> previous;
    // Side steps first; corner steps only when those cannot get there (a role can slip out of
    // a pocket through a corner it went in by).
    for (int sides : {4, 8}) {
      previous.assign(static_cast<size_t>(n * n), -1);
      std::deque<int> queue{a.row * n + a.column};
      previous[static_cast<size_t>(a.row * n + a.column)] = a.row * n + a.column;
      while (!queue.empty()) {
        int at = queue.front();
        queue.pop_front();
        if (at == b.row * n + b.column) break;
        int r = at / n, c = at % n;
        static constexpr int kSides[8][2] = {{-1, 0},  {1, 0},  {0, -1}, {0, 1},
                                             {-1, -1}, {-1, 1}, {1, -1}, {1, 1}};
        for (int k = 0; k < sides; ++k) {
          const int nr = r + kSides[k][0], nc = c + kSides[k][1];
          if (!free(nr, nc) || previous[static_cast<size_t>(nr * n + nc)] >= 0) continue;
          previous[static_cast<size_t>(nr * n + nc)] = at;
          queue.push_back(nr * n + nc);
        }
      }
      if (previous[static_cast<size_t>(b.row * n + b.column)] >= 0) break;
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

  // Steps out of a corner where every step toward the path is blocked: walks for a few frames
  // toward the first direction whose next step is free ground with no role on it.
  void Unstick(Point p) {
    const GameMap& map = d.game->Map();
    for (int k = 0; k < 8; ++k) {
      const double angle = k * 3.14159265358979 / 4;
      const Point step{p.x + static_cast<int>(6 * std::cos(angle)),
                       p.y + kFeet + static_cast<int>(6 * std::sin(angle))};
      if (!map.IsPassableAt(step.x, step.y) || UnderRole(step)) continue;
      const Point aim{p.x + static_cast<int>(40 * std::cos(angle)),
                      p.y + static_cast<int>(40 * std::sin(angle))};
      if (UnderRole(aim)) continue;
      json s = S();
      d.Move(std::clamp(aim.x - s["camera"]["x"].get<int>(), 4, 635),
             std::clamp(aim.y - s["camera"]["y"].get<int>(), 4, kViewBottom));
      Hold(MouseButton::Right);
      d.Step(6);
      Release();
      return;
    }
  }

  // Takes one step of whatever keeps the hero from obeying the mouse: a talk (clicked away), a
  // screen other than play, or held buttons that wait for the left one to come up after a
  // role's death (let go, or click). False when he can be commanded.
  bool Interrupted(const json& s) {
    if (s["mode"] == "ModeTalk") {
      Release();
      Click(320, 240);
    } else if (s["mode"] != "ModePlay") {
      Release();
      d.Step();
    } else if (s["leftButtonUp"] == 0) {
      if (held_) {
        Release();
        d.Step();
      } else {
        Point cursor = d.platform.GetCursorPos();
        d.Click(cursor.x, std::min(cursor.y, kViewBottom));
      }
    } else {
      return false;
    }
    return true;
  }

  // True when a living role's picture covers the map point.
  bool UnderRole(Point p) {
    GameWorld& world = d.game->World();
    for (int i = 1; i <= world.NpcCount(); ++i) {
      const CRoleNPC* role = world.Npc(i);
      if (role && !role->IsDead() && role->Bounds().Contains(p.x, p.y)) return true;
    }
    return false;
  }

  // The bag cell (0 to 8) holding a healing potion, -1 when none is left.
  static int PotionCell(const json& s) {
    for (int c = 0; c < 9; ++c) {
      const std::string name = s["player"]["bag"][c]["name"];
      if (name == "Red Potion" || name == "Big Red Potion" || name == "Healing Draught") return c;
    }
    return -1;
  }

  // Walks (right button held) or runs (left button held) along the path to a map point,
  // planning again around roles that get in the way. Stops early when `stop` holds. False when
  // the point cannot be reached; callers check what they needed.
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
      if (s["player"]["state"] == "die" || s["player"]["state"] == "dieout") {
        Trace("walk: the hero fell (hp %d, mp %d)\n", s["player"]["hp"].get<int>(),
              s["player"]["mp"].get<int>());
        Release();
        return false;  // the hero fell on the way
      }
      if (Interrupted(s)) continue;
      // Wounded on the way: a potion first.
      if (s["player"]["hp"].get<int>() < 50 && PotionCell(s) >= 0) {
        Key(std::to_string(PotionCell(s) + 1));
        d.Step();
        continue;
      }
      Point p{s["player"]["x"], s["player"]["y"]};
      if (!defending_) {
        // Whatever attacks the hero on the way is fought off first.
        for (const json& n : s["npcs"]) {
          if (n["fightTarget"] != 0 || n["hp"].get<int>() <= 0 || n["state"] == "dieout" ||
              Distance2(At(n), p) > 90 * 90) {
            continue;
          }
          Release();
          defending_ = true;
          KillId(n["id"], n["name"], 3000, 100);
          defending_ = false;
          path.clear();  // fought: plan again from where the fight ended
          break;
        }
      }
      still = p == lastPos ? still + 1 : 0;
      lastPos = p;
      if (path.empty() || still == 16) {
        if (++plans > 40) break;
        if (still == 16) Unstick(p);
        path = Path(p, to);
        // Boxed in by roles for now: walk on as if they were not there; they move or get
        // walked round at the next plan.
        if (path.empty()) path = Path(p, to, false);
        if (path.empty()) break;
        next = 0;
        still = 0;
      }
      // The hero may take his own way between the points: any point reached counts.
      for (size_t k = next; k < path.size(); ++k) {
        if (std::abs(p.x - path[k].x) <= 6 && std::abs(p.y - path[k].y) <= 6) next = k + 1;
      }
      if (next >= path.size()) {
        Release();
        d.Step();
        return true;
      }
      // Aim at the next point of the path that is not on a role (a held button on a role stops
      // the hero); the game walks him round whatever else stands in the way.
      Point aim = path[next];
      for (size_t k = next; k < path.size() && k < next + 4; ++k) {
        if (!UnderRole(path[k])) {
          aim = path[k];
          break;
        }
      }
      int sx = aim.x - s["camera"]["x"].get<int>();
      int sy = aim.y - s["camera"]["y"].get<int>();
      Trace("walk: at %d,%d (%s, hp %d), waypoint %zu of %zu\n", p.x, p.y,
            s["player"]["state"].get<std::string>().c_str(), s["player"]["hp"].get<int>(), next,
            path.size());
      d.Move(std::clamp(sx, 4, 635), std::clamp(sy, 4, kViewBottom));
      Hold(run ? MouseButton::Left : MouseButton::Right);
      d.Step();
    }
    Release();
    Trace("walk: did not reach %d,%d (%d plans)\n", to.x, to.y, plans);
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
      if (n["name"] != name || n["state"] == "die" || n["state"] == "dieout" ||
          givenUp_.count(n["id"].get<int>())) {
        continue;
      }
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

  // A screen point where a click finds this role: inside its picture, on a drawn pixel of the
  // object layer, not on an item lying on the ground and not under a role standing in front of
  // it. Near its centre first.
  std::optional<Point> AimAt(const json& role) {
    GameWorld& world = d.game->World();
    const CRoleNPC* target = world.Npc(role["index"].get<int>());
    const Surface* layer = d.game->GetRenderer().GetSurface(kSurfaceLayer3);
    if (!target || !layer) return std::nullopt;
    json s = S();
    const int cx = s["camera"]["x"], cy = s["camera"]["y"];
    const Rect b = target->Bounds();
    for (int radius = 0; radius <= 40; radius += 4) {
      for (int dy = -radius; dy <= radius; dy += 4) {
        for (int dx = -radius; dx <= radius; dx += 4) {
          if (std::max(std::abs(dx), std::abs(dy)) != radius) continue;
          const int mx = target->X() + dx, my = target->Y() + dy;
          const int sx = mx - cx, sy = my - cy;
          if (!b.Contains(mx, my) || sx < 4 || sy < 4 || sx > 635 || sy > kViewBottom) continue;
          if (layer->At(mx, my) == d.game->GetRenderer().ColorKey()) continue;
          // An item on the ground under the cursor is picked up instead.
          if (ItemAt(world.groundItems, mx, my) != world.groundItems.end()) continue;
          bool covered = false;
          for (int i = 1; i <= world.NpcCount() && !covered; ++i) {
            const CRoleNPC* other = world.Npc(i);
            covered = other && other != target && !other->IsDead() && other->Y() > target->Y() &&
                      other->Bounds().Contains(mx, my);
          }
          if (!covered) return Point{sx, sy};
        }
      }
    }
    return std::nullopt;
  }
  static int64_t Distance2(Point a, Point b) {
    return int64_t{a.x - b.x} * (a.x - b.x) + int64_t{a.y - b.y} * (a.y - b.y);
  }
  Point Player() {
    json s = S();
    return Point{s["player"]["x"], s["player"]["y"]};
  }

  // Walks to a free point within `distance` of a map point; false when no such point can be
  // reached (a failure unless `quiet`).
  bool ApproachPoint(Point target, int distance, bool quiet = false) {
    if (Distance2(target, Player()) <= int64_t{distance} * distance) return true;
    const GameMap& m = d.game->Map();
    Point best{-1, -1};
    for (int dy = -64; dy <= 64; dy += 16) {
      for (int dx = -96; dx <= 96; dx += 16) {
        Point p{target.x + dx, target.y + dy};
        if (!m.IsPassableAt(p.x, p.y + kFeet) || Distance2(p, target) < 40 * 40) continue;
        if (best.x >= 0 && Distance2(p, Player()) >= Distance2(best, Player())) continue;
        if (!Path(Player(), p, false).empty()) best = p;
      }
    }
    if (best.x < 0) {
      if (!quiet) ADD_FAILURE() << "nowhere to stand near " << target.x << "," << target.y;
      return false;
    }
    GoTo(best, false, [&](const json& st) {
      Point pl{st["player"]["x"], st["player"]["y"]};
      return Distance2(target, pl) <= int64_t{distance} * distance;
    });
    return true;
  }
  // Walks 100 to 200 pixels away from a point, to open ground the walk can reach.
  void Lure(Point from) {
    const GameMap& map = d.game->Map();
    const Point p = Player();
    for (int k = 0; k < 16; ++k) {
      const double angle =
          std::atan2(p.y - from.y, p.x - from.x) + (k % 2 ? 1 : -1) * (k / 2) * 0.4;
      for (int r = 200; r >= 100; r -= 50) {
        Point to{p.x + static_cast<int>(r * std::cos(angle)),
                 p.y + static_cast<int>(r * std::sin(angle))};
        if (!map.IsPassableAt(to.x, to.y + kFeet) || Path(p, to).empty()) continue;
        GoTo(to, false, {}, 400);
        return;
      }
    }
  }
  // Walks up to the named role, close enough to see and click it.
  void Approach(const std::string& name, int distance = 90) {
    for (int attempt = 0; attempt < 8; ++attempt) {
      auto role = Role(name, S());
      ASSERT_TRUE(role) << name << " is not on the map";
      if (Distance2(At(*role), Player()) <= int64_t{distance} * distance) return;
      ApproachPoint(At(*role), distance);
    }
  }

  // Right-clicks the named role until the game answers with a talk or its click script.
  void TalkTo(const std::string& name) {
    Approach(name, 200);
    for (int attempt = 0; attempt < 30; ++attempt) {
      json s = S();
      auto role = Role(name, s);
      ASSERT_TRUE(role);
      std::optional<Point> aim = AimAt(*role);
      if (!aim) {
        d.Step(2);
        continue;
      }
      RightClick(aim->x, aim->y);
      json after = S();
      if (after["mode"] == "ModeTalk" || after["mode"] == "ModeBags" || !after["script"].is_null())
        return;
      d.Step(2);
      if (attempt % 5 == 4) Approach(name, 60);
    }
    ADD_FAILURE() << "could not talk to " << name;
  }

  // Holds the left button on the named role until it dies; true when the kill was counted.
  // When something stands in the way the hero walks round it first.
  // With `drinkBelow` above 0, the key of a bag cell holding a healing potion is pressed
  // whenever the hero's HP falls below it.
  bool Kill(const std::string& name, int maxFrames = 3000, int drinkBelow = 0) {
    auto first = Role(name, S());
    if (!first) {
      ADD_FAILURE() << "no " << name << " to fight";
      return false;
    }
    return KillId((*first)["id"], name, maxFrames, drinkBelow);
  }
  // Fights the role with list id `id`, or whatever attacks the hero from nearer on the way;
  // true when a kill was counted.
  bool KillId(int id, const std::string& name, int maxFrames, int drinkBelow) {
    const int killed = S()["killedEnemies"];
    auto target = [&](const json& st) -> std::optional<json> {
      for (const json& n : st["npcs"]) {
        if (n["id"] == id) return n;
      }
      return std::nullopt;
    };
    int approaches = 0, still = 0;
    Point lastPos{-1, -1};
    for (int frame = 0; frame < maxFrames; ++frame) {
      json s = S();
      auto role = target(s);
      if (!role || (*role)["hp"].get<int>() <= 0) {
        // The held buttons are ignored while a role dies, until the left button comes up again:
        // let go once the body lies still and the kill is counted.
        d.Until(
            [&](const json& st) {
              return st["killedEnemies"].get<int>() > killed || st["mode"] != "ModePlay";
            },
            300);
        Release();
        d.Step(3);
        return S()["killedEnemies"].get<int>() > killed;
      }
      if (s["player"]["state"] == "die" || s["player"]["state"] == "dieout") break;
      if (Interrupted(s)) continue;
      if (s["player"]["hp"].get<int>() < drinkBelow && PotionCell(s) >= 0) {
        Key(std::to_string(PotionCell(s) + 1));
        continue;
      }
      Point p{s["player"]["x"], s["player"]["y"]};
      if (s["player"]["state"] != "fight") {
        // Something else bites, nearer than the prey: fight that one instead.
        for (const json& n : s["npcs"]) {
          if (n["id"] == id || n["fightTarget"] != 0 || n["hp"].get<int>() <= 0 ||
              n["state"] == "dieout" || Distance2(At(n), p) > 90 * 90 ||
              Distance2(At(n), p) >= Distance2(At(*role), p)) {
            continue;
          }
          id = n["id"];
          role = n;
          break;
        }
      }
      // Hold the button on it: the game walks the hero round whatever stands between. Walk
      // up first only when it is far off; when the hero stays stuck it bites across
      // something, so draw it out into the open.
      still = p == lastPos && s["player"]["state"] != "fight" ? still + 1 : 0;
      lastPos = p;
      if (Distance2(At(*role), p) > 300 * 300 || still > 25) {
        Release();
        if (++approaches > 40) break;
        if (still > 25) {
          const bool was = defending_;
          defending_ = true;
          Lure(At(*role));
          defending_ = was;
        } else if (!ApproachPoint(At(*role), 80, true)) {
          break;  // peaceful roles out of view stand still, some where no one can reach them
        }
        still = 0;
        continue;
      }
      std::optional<Point> aim = AimAt(*role);
      Trace("fight: %s %d at %d,%d, hp %d; hero %s at %d,%d, hp %d\n", name.c_str(), id,
            (*role)["x"].get<int>(), (*role)["y"].get<int>(), (*role)["hp"].get<int>(),
            s["player"]["state"].get<std::string>().c_str(), p.x, p.y,
            s["player"]["hp"].get<int>());
      if (!aim) {
        Release();
        d.Step();  // hidden for now
        continue;
      }
      d.Move(aim->x, aim->y);
      Hold(MouseButton::Left);
      d.Step();
    }
    Release();
    givenUp_.insert(id);  // out of reach: hunt something else
    Trace("fight: gave up on %s %d (%d approaches, %s, left button up %d, hero %s)\n", name.c_str(),
          id, approaches, S()["mode"].get<std::string>().c_str(), S()["leftButtonUp"].get<int>(),
          S()["player"]["state"].get<std::string>().c_str());
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
  // In an open shop: takes the named ware and puts it into the first empty cell of the bag.
  void Buy(const std::string& name, bool ownCell = false) {
    PackPanel& shop = *Ui().packPanels[1];
    const ItemDatabase& items = d.game->Items();
    const Button* ware = nullptr;
    for (size_t i = 0; i < shop.ShopList().size() && !ware; ++i) {
      if (items.Get(shop.ShopList()[i]).name == name) ware = &shop.buttons[i + 1];
    }
    ASSERT_NE(ware, nullptr) << name << " is not sold here";
    ClickButton(*ware);
    ClickButton(ownCell ? FirstEmptyCell() : CellFor(name));
  }
  // A cell whose stack of the named item has room (potions stack to five), else the first
  // empty one.
  const Button& CellFor(const std::string& name) {
    const json s = S();
    for (int c = 0; c < 9; ++c) {
      const json& cell = s["player"]["bag"][c];
      if (cell["name"] == name && cell["count"].get<int>() < kPotionStack)
        return Ui().playerPanel->buttons[kElementFirstCell + c];
    }
    return FirstEmptyCell();
  }
  const Button& FirstEmptyCell() {
    PlayerPanel& panel = *Ui().playerPanel;
    const json s = S();
    for (int c = 0; c < 9; ++c) {
      if (s["player"]["bag"][c]["item"] == 0) return panel.buttons[kElementFirstCell + c];
    }
    ADD_FAILURE() << "no empty cell";
    return panel.buttons[kElementFirstCell];
  }

  // The name of the nearest living role of one of these names, or empty.
  std::string Nearest(const std::vector<std::string>& names) {
    json s = S();
    std::string best;
    int64_t bestDistance = 0;
    for (const std::string& name : names) {
      auto role = Role(name, s);
      if (!role) continue;
      int64_t d2 = Distance2(At(*role), Player());
      if (best.empty() || d2 < bestDistance) {
        best = name;
        bestDistance = d2;
      }
    }
    return best;
  }
  // Puts on the Wooden Sword and the Cloth Tunic the elder gave (bag cells 2 and 3).
  void Equip() {
    Key("2");
    Key("3");
  }
  // Levels up with Shift+F8 until the hero is at `level`.
  void LevelTo(int level) {
    while (S()["player"]["level"].get<int>() < level) Key("Shift+F8");
  }
  int Carried(const std::string& name) {
    int count = 0;
    const json s = S();
    for (const json& cell : s["player"]["bag"]) {
      if (cell["name"] == name) count += cell["count"].get<int>();
    }
    return count;
  }

 private:
  void Check(ReplayExpectation e) {
    // The file keeps one expectation per line, split at blanks.
    ASSERT_EQ(e.pointer.find(' '), std::string::npos) << e.pointer;
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
  bool defending_ = false;
  std::set<int> givenUp_;  // ids of roles the hunt could not reach  // fighting off an attacker met
                           // on the way
};

#define AUTHOR_OR_SKIP() \
  if (!AuthorDir()) GTEST_SKIP() << "set ISORA_AUTHOR_REPLAYS=DIR to write the replays"

TEST(Author, SplashToMenu) {
  AUTHOR_OR_SKIP();
  Scenario a("splash_to_menu",
             {"The splash pictures fade in and out (the two \"null\" entries of",
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
  a.DumpMode("menu", "ModeMainMenu");
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
  a.DumpMode("ask", "ModeTalk");
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
  a.DumpMode("attributes", "ModeStatusPanel");
  a.Shot("attribute_panel.bmp");
  a.Key("F1");
  a.DumpMode("closed", "ModePlay");
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
  a.DumpMode("mira", "ModeTalk");
  a.Shot("talk.bmp");
  a.Click(320, 240);
  a.DumpMode("closed", "ModePlay");
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
  Scenario a("shop",
             {"Greta's talk ends in her shop: a Blue Potion is bought, the Wooden",
              "Sword sold for half its price, and the Wisdom Tonic refused for want", "of money."});
  a.NewGame();
  a.TalkTo("Greta");
  a.Talks();
  ASSERT_TRUE(a.d.UntilMode("ModeBags", 50));
  a.Dump("open");
  a.Expect("/sellMode", "==", 1);
  a.Expect("/player/money", "==", 100);
  PackPanel& shop = *a.Ui().packPanels[1];
  PlayerPanel& panel = *a.Ui().playerPanel;
  // A free point on the shop's background, where wares are put back and sold.
  Rect area = shop.Area();
  Point free{-1, -1};
  for (int y = area.top + 2; y < area.bottom && free.x < 0; y += 3) {
    for (int x = area.left + 2; x < area.right && free.x < 0; x += 3) {
      if (shop.ButtonAt(x, y) < 0) free = Point{x, y};
    }
  }
  ASSERT_GE(free.x, 0);

  a.Buy("Blue Potion");
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

  a.Buy("Wisdom Tonic");
  a.Dump("refused");
  a.Expect("/player/money", "==", 90);
  a.Expect("/message/text", "has", "money isn't enough");
  a.Click(free.x, free.y);
  a.Key("Esc");
  a.DumpMode("closed", "ModePlay");
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
  const char* titles[] = {"<5Attribute/>", "<5Note/>", "<5Honour/>", "<5My Mission/>"};
  const char* keys[] = {"F1", "F2", "F3", "F4"};
  for (int i = 0; i < 4; ++i) {
    const std::string key = keys[i];
    a.Key(key);
    a.DumpMode(key + "_open", "ModeStatusPanel");
    a.Expect("/panelTitle", "==", titles[i]);
    a.Expect("/openPanel", "==", i + 1);
    a.Key(key);
    a.DumpMode(key + "_closed", "ModePlay");
    a.Expect("/openPanel", "==", 0);
  }
  a.Key("F4");
  a.Key("Esc");
  a.DumpMode("status_esc", "ModePlay");

  a.Key("Esc");
  a.DumpMode("menu", "ModeGameMenu");
  a.Key("Esc");
  a.DumpMode("menu_esc", "ModePlay");
  a.Key("Esc");
  a.ClickButton(a.Ui().gameMenu.buttons[kMenuHelp]);
  a.DumpMode("help", "ModeHelp");
  a.Key("Esc");
  a.Key("Esc");
  a.ClickButton(a.Ui().gameMenu.buttons[kMenuBack]);
  a.DumpMode("menu_return", "ModePlay");

  a.Key("F9");
  a.DumpMode("boss", "ModeBossKey");
  a.Key("F9");
  a.DumpMode("boss_back", "ModePlay");
  a.Key("F2");
  a.Key("F9");
  a.Key("F9");
  a.DumpMode("boss_back_to_panel", "ModeStatusPanel");
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

TEST(Author, ItemsOnTheGround) {
  AUTHOR_OR_SKIP();
  Scenario a("items", {"The potions are taken from the bag and dropped on the ground beside",
                       "the hero, then picked up again with the left button. In Greenwood the",
                       "hero fights for drops and picks them up until the bag is full: the",
                       "last one stays on the ground with \"My bag is full.\""});
  a.NewGame();
  json s = a.S();
  const int px = s["player"]["x"], py = s["player"]["y"];
  PlayerPanel& panel = *a.Ui().playerPanel;
  a.ClickButton(panel.buttons[kElementFirstCell]);
  a.Dump("held");
  a.Expect("/heldItem", "==", s["player"]["bag"][0]["item"]);
  a.Click(px - s["camera"]["x"].get<int>() + 150, py - s["camera"]["y"].get<int>() - 100);
  a.Dump("dropped");
  a.Expect("/heldItem", "==", 0);
  a.Expect("/groundItems/0/name", "==", "Red Potion");
  a.Expect("/groundItems/0/x", ">=", px);
  a.Expect("/groundItems/0/x", "<", px + 32);
  a.Expect("/groundItems/0/y", ">=", py);
  a.Expect("/groundItems/0/y", "<", py + 64);
  ASSERT_TRUE(a.PickUp("Red Potion"));
  a.Dump("picked");
  a.Expect("/groundItems", "==", json::array());
  a.Expect("/lastSound", "==", "sound\\pick_item.wav");
  a.Expect("/player/bag/0/name", "==", "Red Potion");

  // Four Blue Potions from Greta, each in a cell of its own, leave two cells free.
  a.TalkTo("Greta");
  a.Talks();
  ASSERT_TRUE(a.d.UntilMode("ModeBags", 50));
  for (int i = 0; i < 4; ++i) a.Buy("Blue Potion", true);
  a.Key("Esc");
  a.Dump("shopped");
  a.Expect("/player/money", "==", 0);
  a.Expect("/player/bag/6/name", "==", "Blue Potion");
  a.TakeExit("wild.map");
  a.LevelTo(20);
  bool full = false;
  for (int kills = 0; kills < 14 && !full; ++kills) {
    std::string prey = a.Nearest({"Wolf", "Boar", "Old Tusk"});
    if (prey.empty()) prey = a.Nearest({"Deer"});
    if (prey.empty()) prey = a.Nearest({"Bandit", "Vask"});  // drops are luck: the camp too
    ASSERT_FALSE(prey.empty()) << "nothing left to hunt";
    if (!a.Kill(prey, 4000, 80)) continue;
    a.d.Step(5);
    while (!a.S()["groundItems"].empty() && !full) full = !a.PickUp();
  }
  ASSERT_TRUE(full);
  a.Dump("bag_full");
  a.Expect("/message/text", "has", "My bag is full.");
  a.Expect("/groundItems/0/name", "!=", "");
  for (int c = 0; c < 9; ++c) a.Expect("/player/bag/" + std::to_string(c) + "/item", "!=", 0);
}

TEST(Author, FightAndLevelUp) {
  AUTHOR_OR_SKIP();
  Scenario a("fight", {"The hero puts on the elder's sword and tunic, trains four levels with",
                       "Shift+F8, and in Greenwood holds the left button on the wolves that",
                       "attack him, then on boars, until they die: each kill is counted and",
                       "pays its experience, wicked kinds raise morality by 5, and drops fall",
                       "where they die. Key 1 drinks a Red Potion when wounded."});
  a.NewGame();
  const int attack = a.S()["player"]["attack"], defence = a.S()["player"]["defence"];
  a.Equip();
  a.Dump("equipped");
  a.Expect("/player/equipment/0/name", "==", "Wooden Sword");
  a.Expect("/player/attack", ">", attack);
  a.Expect("/player/defence", ">", defence);
  a.Key("Shift+F8");
  a.Dump("level_2");
  a.Expect("/player/level", "==", 2);
  a.Expect("/message/text", "has", "Level Up!");
  a.LevelTo(5);
  a.TakeExit("wild.map");
  ASSERT_TRUE(a.d.Until([](const json& st) { return !st["npcs"].empty(); }, 100));
  const int exp = a.S()["player"]["exp"];
  // What the dead paid: each kind's experience value, from the demo's role table, for every
  // role that was alive on the map when the hunt began and is gone or dead now.
  std::map<int, std::string> alive;
  const json start = a.S();
  for (const json& n : start["npcs"]) alive[n["id"]] = n["name"];
  auto earned = [&](const json& s) {
    static const std::map<std::string, int> kExpValue = {
        {"Wolf", 30}, {"Boar", 25}, {"Deer", 10}, {"Old Tusk", 150}, {"Bandit", 50}};
    std::map<int, std::string> gone = alive;
    for (const json& n : s["npcs"]) {
      if (n["hp"].get<int>() > 0) gone.erase(n["id"].get<int>());
    }
    int sum = 0;
    for (const auto& [id, name] : gone) sum += kExpValue.at(name);
    return sum;
  };
  bool dropped = false;
  for (int fights = 0; !dropped || fights < 2; ++fights) {
    ASSERT_LT(fights, 10) << "no drop";
    std::string prey = a.Nearest({"Wolf"});
    if (prey.empty()) prey = a.Nearest({"Boar", "Deer"});
    ASSERT_FALSE(prey.empty()) << "nothing left to hunt";
    if (!a.Kill(prey, 4000, 60)) continue;
    if (fights == 0) {
      a.Dump("first_kill");
      const json& s = a.Last();
      a.Expect("/killedEnemies", ">=", 1);
      a.Expect("/player/moral", "==", 55 + 5 * s["killedEnemies"].get<int>());
      a.Expect("/player/exp", "==", exp + earned(s));
    }
    if (!dropped && !a.S()["groundItems"].empty()) {
      dropped = true;
      a.Dump("drop");
      a.Expect("/groundItems/0/name", "!=", "");
      a.Expect("/lastSound", "==", "sound\\drop_item.wav");
    }
  }
  a.Dump("done");
  const json& s = a.Last();
  a.Expect("/killedEnemies", ">=", 2);
  a.Expect("/player/exp", "==", exp + earned(s));
  a.Expect("/player/moral", "==", 55 + 5 * s["killedEnemies"].get<int>());
}

TEST(Author, CollectingQuest) {
  AUTHOR_OR_SKIP();
  Scenario a("quest_collect", {"Ione asks for three Moonpetals. Deer and boars in Greenwood drop",
                               "them; with three carried the mission counts three, and Ione pays",
                               "150, takes the petals and likes the hero better."});
  a.NewGame();
  a.TalkTo("Ione");
  a.Talks();
  a.Dump("asked");
  a.Expect("/missions/0/name", "==", "Moonpetal");
  a.Expect("/missions/0/count", "==", 0);
  a.Equip();
  a.TakeExit("wild.map");
  a.LevelTo(20);
  // Deer first: out of view they stand where they are, in view they wander off into corners.
  for (int kills = 0; kills < 10 && a.Carried("Moonpetal") < 3; ++kills) {
    std::string prey = a.Nearest({"Deer", "Boar"});
    ASSERT_FALSE(prey.empty()) << "no deer or boar left";
    if (!a.Kill(prey, 6000, 80)) continue;
    a.d.Step(5);
    while (a.S()["groundItems"].size() > 0 && a.PickUp("Moonpetal")) {
      bool more = false;
      const json s = a.S();
      for (const json& g : s["groundItems"]) more |= g["name"] == "Moonpetal";
      if (!more) break;
    }
  }
  a.Dump("collected");
  a.Expect("/missions/0/count", ">=", 3);
  const int money = a.S()["player"]["money"];
  a.TakeExit("town.map");
  a.TalkTo("Ione");
  a.Talks();
  a.Dump("rewarded");
  a.Expect("/player/money", "==", money + 150);
  a.Expect("/relations/love/Ione", "==", 10);
  a.Expect("/relations/honours", "has", "Ione's helper: brought her three Moonpetals");
}

TEST(Author, SaveQuitAndLoad) {
  AUTHOR_OR_SKIP();
  Scenario a("save_load", {"A game with two missions and a kill in Greenwood is saved to slot 2",
                           "from the in-game menu; the hero walks on, quits to the main menu, and",
                           "loads slot 2 there: map, position, bag, money, missions, relations,",
                           "the kill count and roles are as they were saved."});
  a.NewGame();
  a.TalkTo("Ione");
  a.Talks();
  a.TalkTo("Captain Hale");
  a.Talks();
  a.Equip();
  a.LevelTo(5);
  a.TakeExit("wild.map");
  ASSERT_TRUE(a.d.Until([](const json& st) { return !st["npcs"].empty(); }, 100));
  bool killed = false;
  for (int tries = 0; !killed && tries < 10; ++tries) {
    std::string prey = a.Nearest({"Wolf", "Boar", "Deer"});
    ASSERT_FALSE(prey.empty()) << "nothing left to hunt";
    killed = a.Kill(prey, 4000, 60);
  }
  ASSERT_TRUE(killed);
  a.Release();
  a.d.Step(5);
  a.Dump("before");
  a.Expect("/missions/0/name", "==", "Moonpetal");
  a.Expect("/missions/1/name", "==", "Patrol");
  a.Expect("/killedEnemies", ">=", 1);
  a.Key("Esc");
  a.ClickButton(a.Ui().gameMenu.buttons[kMenuSave]);
  a.DumpMode("save_panel", "ModeSavePanel");
  a.ClickButton(a.Ui().savePanel.buttons[2]);
  a.DumpMode("saved", "ModePlay");
  a.Expect("/message/text", "has", "Game Data Saved.");
  json s = a.S();
  a.GoTo(Point{s["player"]["x"].get<int>() + 120, s["player"]["y"].get<int>() + 60});
  a.Key("Esc");
  a.ClickButton(a.Ui().gameMenu.buttons[kMenuExit]);
  ASSERT_TRUE(a.d.UntilMode("ModeMainMenu", 60));
  a.d.Step(20);
  a.DumpMode("main_menu", "ModeMainMenu");
  a.ClickButton(a.Ui().mainMenu.buttons[kMainLoad]);
  a.DumpMode("load_panel", "ModeLoadPanel");
  a.ClickButton(a.Ui().savePanel.buttons[2]);
  a.UntilPlaying();
  a.DumpMode("loaded", "ModePlay");
  for (const char* pointer :
       {"/map", "/player/x", "/player/y", "/player/direction", "/player/level", "/player/exp",
        "/player/money", "/player/hp", "/player/moral", "/player/bag", "/player/skills",
        "/missions", "/relations", "/killedEnemies"}) {
    a.ExpectSame(pointer, "before");
  }
  a.Expect("/npcs/0/name", "==", a.Last()["npcs"][0]["name"]);
}

TEST(Author, PlayerDeath) {
  AUTHOR_OR_SKIP();
  Scenario a("death", {"At level 1 the hero picks a fight with Old Tusk and dies: the grey",
                       "screen freezes until a click, which continues from the autosave made",
                       "when he entered Greenwood."});
  a.NewGame();
  a.TakeExit("wild.map");
  for (int i = 0; i < 4000; ++i) {
    json s = a.S();
    if (s["player"]["state"] == "die" || s["player"]["state"] == "dieout" ||
        s["mode"] == "ModeFrozen") {
      break;
    }
    auto tusk = a.Role("Old Tusk", s);
    ASSERT_TRUE(tusk);
    std::optional<Point> aim = a.AimAt(*tusk);
    if (!aim) {
      a.Release();
      a.Approach("Old Tusk", 150);
      continue;
    }
    a.d.Move(aim->x, aim->y);
    a.Hold(MouseButton::Left);
    a.d.Step();
  }
  a.Release();
  ASSERT_TRUE(a.d.UntilMode("ModeFrozen", 400));
  a.d.Step(10);
  a.DumpMode("frozen", "ModeFrozen");
  a.Expect("/player/state", "==", "dieout");
  a.Expect("/lastSound", "==", "sound\\death.wav");
  a.Shot("death.bmp");
  a.d.Step(30);
  a.DumpMode("still_frozen", "ModeFrozen");
  // The demo autosaves on every map change: the click continues from the autosave.
  a.Click(320, 240);
  ASSERT_TRUE(a.d.UntilMode("ModePlay", 120));
  a.d.Step(20);
  a.DumpMode("continued", "ModePlay");
  a.Expect("/player/hp", ">", 0);
  a.Expect("/map/file", "==", "wild.map");
}

TEST(Author, CarelessDeath) {
  AUTHOR_OR_SKIP();
  Scenario a("careless", {"A careless hero leaves the elder's potions on the ground of the",
                          "square, walks into Greenwood at level 1 and takes on every beast",
                          "there one after another, never drinking, until he falls."});
  a.NewGame();
  a.Equip();
  // The Red Potions of bag cell 1, one piece a click.
  for (int piece = 0; piece < 5 && a.S()["player"]["bag"][0]["item"] != 0; ++piece) {
    const json s = a.S();
    a.ClickButton(a.Ui().playerPanel->buttons[kElementFirstCell]);
    a.Click(s["player"]["x"].get<int>() - s["camera"]["x"].get<int>() + 150,
            s["player"]["y"].get<int>() - s["camera"]["y"].get<int>() - 100);
  }
  a.Dump("no_potions");
  a.Expect("/groundItems/2/name", "==", "Red Potion");
  a.Expect("/player/bag/0/item", "==", 0);
  a.TakeExit("wild.map");
  auto fallen = [](const json& st) {
    return st["mode"] == "ModeFrozen" || st["player"]["state"] == "die" ||
           st["player"]["state"] == "dieout";
  };
  // He takes on whatever comes, one beast after another, and never drinks.
  for (int hunts = 0; hunts < 30 && !fallen(a.S()); ++hunts) {
    const std::string prey = a.Nearest({"Wolf", "Boar", "Bandit", "Old Tusk", "Vask"});
    if (prey.empty()) break;
    a.Kill(prey, 4000, 0);
  }
  a.Release();
  ASSERT_TRUE(a.d.UntilMode("ModeFrozen", 400));
  a.Dump("dead");
  a.Expect("/mode", "==", "ModeFrozen");
  a.Expect("/player/state", "==", "dieout");
  a.Expect("/player/hp", "<=", 0);
}

TEST(Author, PlaythroughToTheGameOver) {
  AUTHOR_OR_SKIP();
  Scenario a(
      "playthrough",
      {"The demo from the menu to its end: the elder's key mission, Bram's hunt for Old Tusk",
       "(kill one named role) and Captain Hale's patrol (kill any five) taken in Willowmere;",
       "in Greenwood Old Tusk and four more fall and his tusk is picked up; both rewards are",
       "collected in town, Hale's with the Crypt Key; the key opens the crypt gate and the",
       "Ember Lord's death script ends the game on the result screen with its score. The hero",
       "never takes the level-up key: he grows by his kills and drinks potions when wounded."});
  a.NewGame();
  a.TalkTo("Elder Maren");
  a.Talks();
  a.TalkTo("Bram");
  a.Talks();
  a.TalkTo("Captain Hale");
  a.Talks();
  a.Dump("missions");
  const std::string key = a.MissionAt("Key"), tusk = a.MissionAt("Old Tusk"),
                    patrol = a.MissionAt("Patrol"), lord = a.MissionAt("Ember Lord");
  a.Expect(key + "/count", "==", 0);
  a.Expect(tusk + "/count", "==", 0);
  a.Expect(patrol + "/count", "==", 0);
  a.Expect(lord + "/required", "==", 1);
  ASSERT_EQ(a.Carried("Hunting Spear"), 1);

  a.Equip();
  a.TakeExit("wild.map");
  // No Shift+F8: the hero grows by his own kills and keeps alive on his potions.
  for (int hunts = 0; hunts < 6 && a.S()["player"]["level"].get<int>() < 3; ++hunts) {
    std::string prey = a.Nearest({"Wolf", "Boar", "Deer"});
    ASSERT_FALSE(prey.empty());
    a.Kill(prey, 9000, 50);
  }
  ASSERT_TRUE(a.Kill("Old Tusk", 12000, 50));
  a.d.Step(5);
  a.Dump("tusk_dead");
  a.Expect("/groundItems", "has", a.Last()["groundItems"].back());
  a.Expect("/groundItems/" + std::to_string(a.Last()["groundItems"].size() - 1) + "/name",
           "==", "Great Tusk");
  a.Expect(tusk + "/count", "==", 1);
  a.Expect(patrol + "/count", ">=", 1);  // any death counts, and so does any pick-up
  ASSERT_TRUE(a.PickUp("Great Tusk"));
  for (int hunts = 0; a.S()["killedEnemies"].get<int>() < 5; ++hunts) {
    ASSERT_LT(hunts, 12);
    std::string prey = a.Nearest({"Wolf", "Boar", "Bandit", "Deer"});
    ASSERT_FALSE(prey.empty());
    a.Kill(prey, 9000, 50);
  }
  a.Dump("patrol_done");
  a.Expect("/killedEnemies", ">=", 5);
  a.Expect(patrol + "/done", "==", 1);  // it checks itself when the fifth event comes

  a.TakeExit("town.map");
  int money = a.S()["player"]["money"];
  a.TalkTo("Bram");
  a.Talks();
  a.Dump("bram_paid");
  a.Expect("/player/money", "==", money + 250);
  a.Expect("/relations/honours", "has", "Slayer of Old Tusk");
  money = a.S()["player"]["money"];
  a.TalkTo("Captain Hale");
  a.Talks();
  a.Dump("hale_paid");
  a.Expect("/player/money", "==", money + 200);
  a.Expect("/relations/honours", "has", "Friend of the Town Guard");
  a.Expect("/relations/factions", "has", "Town Guard");
  a.Expect("/relations/vip/HalePaid", "==", 1);
  a.Expect(key + "/done", "==", 1);  // checked as the key is given
  // Potions for the crypt from Greta's shop, paid with the rewards.
  const int beforeShop = a.S()["player"]["money"];
  a.TalkTo("Greta");
  a.Talks();
  ASSERT_TRUE(a.d.UntilMode("ModeBags", 50));
  for (int i = 0; i < 4; ++i) a.Buy("Big Red Potion");
  for (int i = 0; i < 2; ++i) a.Buy("Red Potion");
  a.Key("Esc");
  a.Dump("potions_bought");
  a.Expect("/player/money", "==", beforeShop - 4 * 60 - 2 * 20);
  a.Expect("/player/level", ">=", 3);

  a.TakeExit("wild.map");
  a.StepOnCell(9, 42, [](const json& s) { return s["mode"] != "ModePlay"; });
  a.UntilPlaying();
  a.Dump("crypt");
  a.Expect("/map/file", "==", "crypt.map");
  a.Expect("/map/name", "==", "Ember Crypt");
  // A skeleton that joins in is fought first, and counts as a kill of its own.
  for (int tries = 0; tries < 4 && a.Role("Ember Lord", a.S()); ++tries) {
    a.Kill("Ember Lord", 12000, 80);
  }
  ASSERT_FALSE(a.Role("Ember Lord", a.S()));
  ASSERT_TRUE(
      a.d.Until([](const json& st) { return st["relations"]["vip"].contains("Ember Lord"); }, 200));
  a.Dump("boss_dead");
  a.Expect("/relations/vip", "has", "Ember Lord");  // set when the boss's death is remembered
  a.Talks();
  ASSERT_TRUE(a.d.UntilMode("ModeGameOver", 200));
  a.d.Step(20);
  a.DumpMode("game_over", "ModeGameOver");
  a.Expect("/score", ">", 0);
  a.Expect("/resultTitle", "!=", "");
  a.Expect("/relations/honours", "has", "Emberbane: vanquished the Ember Lord");
  a.Click(320, 240);
  ASSERT_TRUE(a.d.UntilMode("ModeMainMenu", 60));
  a.d.Step(20);
  a.DumpMode("menu", "ModeMainMenu");
}

}  // namespace
}  // namespace isora::e2e
