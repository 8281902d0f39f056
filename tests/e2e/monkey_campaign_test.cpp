// Seeded random input (moves, clicks, held buttons, every key the game reads, Alt+Enter) with
// the invariants a player would notice checked after every frame: money and HP never below 0,
// no item made or lost between bag, hand, equipment and ground without a use, a sale, a
// purchase, a death or a script to account for it, the hero's feet never in a blocked cell, and
// memory flat. A failing seed is written as a replay the program plays back.
//
// CI runs 10,000 frames; ISORA_MONKEY_FRAMES and ISORA_MONKEY_SEEDS ("1,2,3") make a campaign
// (scripts/campaign-monkey), ISORA_MONKEY_OUT the folder for failing replays.
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "demo_session.h"
#include "roles/role.h"
#include "shell/replay.h"

#if defined(__SANITIZE_ADDRESS__)
#define ISORA_MONKEY_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ISORA_MONKEY_ASAN 1
#endif
#endif
#ifdef ISORA_MONKEY_ASAN
// The sanitizer runtime's count of the bytes the program holds (allocated and not yet freed).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace isora::e2e {
namespace {

using nlohmann::json;

int EnvInt(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::atoi(v) : fallback;
}

std::vector<uint32_t> EnvSeeds(std::vector<uint32_t> fallback) {
  const char* v = std::getenv("ISORA_MONKEY_SEEDS");
  if (!v || !*v) return fallback;
  std::vector<uint32_t> seeds;
  std::stringstream in(v);
  for (std::string s; std::getline(in, s, ',');)
    if (!s.empty()) seeds.push_back(static_cast<uint32_t>(std::stoul(s)));
  return seeds;
}

// The memory a leak would grow, in kilobytes: resident memory; under the address sanitizer the
// live heap, since freed blocks wait in its quarantine and resident memory grows with every
// allocation until the quarantine is full.
long ResidentKb() {
#ifdef ISORA_MONKEY_ASAN
  return static_cast<long>(__sanitizer_get_current_allocated_bytes() / 1024);
#else
  std::ifstream in("/proc/self/statm");
  long pages = 0, resident = 0;
  in >> pages >> resident;
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
#endif
}

// Every item the player owns or that lies on the map, by id.
std::map<int, int> OwnedItems(const json& s, const Hand& hand) {
  std::map<int, int> owned;
  const json& p = s["player"];
  if (p.is_object()) {
    for (const auto& c : p["bag"])
      if (c["item"].get<int>() > 0) owned[c["item"]] += c["count"].get<int>();
    for (const auto& sub : p["subBags"])
      for (const auto& c : sub["items"])
        if (c["item"].get<int>() > 0) owned[c["item"]] += 1;
    for (const auto& c : p["equipment"])
      if (c["item"].get<int>() > 0) owned[c["item"]] += 1;
  }
  for (const auto& g : s["groundItems"]) owned[g["item"]] += 1;
  // A shop's ware in the hand is not the player's until it is paid for.
  if (hand.Holds() && !hand.FromShop()) owned[hand.Item()] += 1;
  return owned;
}

class Monkey {
 public:
  Monkey(uint32_t seed, std::string replayPath) : rng_(seed), replayPath_(std::move(replayPath)) {
    replay_ << "# isora replay\n# monkey seed " << seed << "\n";
  }

  // Runs `frames` frames (starting new sessions when the game quits); the first broken
  // invariant, or empty.
  std::string Run(int frames) {
    while (frames_ < frames) {
      DemoSession d;
      if (!d.ok) return "the game did not start";
      replay_ << "# new session\n";
      sessionStart_ = frames_;
      ++sessions;
      std::string failure = Session(d, frames);
      if (!failure.empty()) {
        std::ofstream(replayPath_) << replay_.str();
        return failure + " (frame " + std::to_string(d.game->FramesRun()) + "; replay " +
               replayPath_ + ")";
      }
      // Later sessions cannot be replayed as one file: keep the record of the last one only.
      replay_.str("");
      replay_ << "# isora replay\n";
    }
    return {};
  }
  long memoryGrowthKb = 0;
  // What the run reached: sessions begun, frames in play, maps seen, item changes accounted for.
  int sessions = 0, playFrames = 0, accountedChanges = 0;
  std::set<std::string> maps;

 private:
  void Event(int64_t frame, const std::string& text) {
    replay_ << '@' << frame << ' ' << text << '\n';
  }

  void Input(DemoSession& d) {
    const int64_t f = d.game->FramesRun();
    const int x = static_cast<int>(rng_() % 640), y = static_cast<int>(rng_() % 480);
    usedItem_ = false;
    if (awayFromPlay_ > 150) {
      // Long away from the map (a talk, a panel, a menu): Esc or a click the screen's middle,
      // so that the run spends most of its frames playing.
      awayFromPlay_ = 0;
      if (rng_() % 2 == 0) {
        d.Key(kVkEscape);
        --stepsOwed_;
        Event(f, "key Esc");
      } else {
        d.Move(320, 240);
        d.platform.InjectButton(MouseButton::Left, true);
        d.platform.InjectButton(MouseButton::Left, false);
        Event(f, "move 320 240");
        Event(f, "ldown");
        Event(f, "lup");
      }
      return;
    }
    switch (rng_() % 12) {
      case 0:
      case 1:
      case 2:
        d.Move(x, y);
        Event(f, "move " + std::to_string(x) + " " + std::to_string(y));
        break;
      case 3:
      case 4:
        d.Move(x, y);
        d.platform.InjectButton(MouseButton::Left, true);
        d.platform.InjectButton(MouseButton::Left, false);
        Event(f, "move " + std::to_string(x) + " " + std::to_string(y));
        Event(f, "ldown");
        Event(f, "lup");
        break;
      case 5: {
        // Held buttons: down now, up a random number of frames later.
        const bool left = rng_() % 2 == 0;
        d.Move(x, y);
        Event(f, "move " + std::to_string(x) + " " + std::to_string(y));
        d.platform.InjectButton(left ? MouseButton::Left : MouseButton::Right, true);
        Event(f, left ? "ldown" : "rdown");
        held_ = left ? 1 : 2;
        heldUntil_ = f + 1 + static_cast<int64_t>(rng_() % 40);
        usedItem_ = !left;
        break;
      }
      case 6:
        d.Move(x, y);
        d.platform.InjectButton(MouseButton::Right, true);
        d.platform.InjectButton(MouseButton::Right, false);
        Event(f, "move " + std::to_string(x) + " " + std::to_string(y));
        Event(f, "rdown");
        Event(f, "rup");
        usedItem_ = true;
        break;
      case 7: {
        // Every key of the key table the game reads, Shift+F8 among them.
        static const int kKeys[] = {kVkEscape, kVkSpace, kVkReturn, kVkTab,   kVkBack, kVkLeft,
                                    kVkRight,  kVkUp,    kVkDown,   kVkPause, kVkHome, kVkEnd};
        int vk;
        const int pick = static_cast<int>(rng_() % 60);
        if (pick < 10) {
          vk = kVk0 + pick;
        } else if (pick < 36) {
          vk = kVkA + pick - 10;
        } else if (pick < 48) {
          vk = kVkF1 + pick - 36;
        } else {
          vk = kKeys[pick - 48];
        }
        // The boss key and the screenshot key are rare: each leaves its own screen or file.
        if ((vk == kVkF9 || vk == kVkF11) && rng_() % 4 != 0) vk = kVkEscape;
        const bool shift = vk == kVkF8 && rng_() % 2 == 0;
        d.Key(vk, shift);
        --stepsOwed_;  // Key runs the frame itself
        Event(f, "key " + KeyName(vk, shift));
        usedItem_ = vk >= kVk0 + 1 && vk <= kVk0 + 9;
        break;
      }
      case 8:
        // Alt+Enter: the window's own toggle; the game sees the two keys.
        d.platform.SetKeyDown(kVkMenu, true);
        d.Key(kVkMenu);
        d.Key(kVkReturn);
        d.platform.SetKeyDown(kVkMenu, false);
        stepsOwed_ -= 2;
        Event(f, "key " + KeyName(kVkMenu, false));
        Event(f + 1, "key Enter");
        break;
      default:
        break;
    }
    if (held_ != 0 && f >= heldUntil_) {
      d.platform.InjectButton(held_ == 1 ? MouseButton::Left : MouseButton::Right, false);
      Event(f, held_ == 1 ? "lup" : "rup");
      held_ = 0;
    }
  }

  std::string Check(DemoSession& d, const json& before, const json& s) {
    const json& p = s["player"];
    if (!p.is_object()) return {};
    if (p["money"].get<int>() < 0) return "money " + p["money"].dump() + " below 0";
    if (p["hp"].get<int>() < 0) return "hp " + p["hp"].dump() + " below 0";
    if (s["mode"] == "ModePlay" && s["map"] == before["map"]) {
      const int x = p["x"], y = p["y"];
      if (!d.game->Map().IsPassableAt(x, y + kRoleFeet))
        return "feet at (" + std::to_string(x) + ", " + std::to_string(y + kRoleFeet) +
               ") in a blocked cell of " + s["map"]["file"].get<std::string>();
    }
    const std::map<int, int> owned = OwnedItems(s, d.game->CursorHand());
    const json& q = before["player"];
    if (owned != owned_ && q.is_object()) {
      // What may account for a change: a script, a sale or purchase, a death (drops), a new map
      // or game, or a use (slot key or right click) taking one potion or book.
      const bool scripted = !s["script"].is_null() || !before["script"].is_null();
      const bool paid = p["money"] != q["money"];
      const bool died = s["killedEnemies"] != before["killedEnemies"] || p["state"] == "die" ||
                        s["npcs"].size() != before["npcs"].size();
      const bool elsewhere =
          s["map"] != before["map"] || s["mode"] != "ModePlay" || before["mode"] != "ModePlay";
      bool used = false;
      if (usedItem_) {
        int lost = 0, gained = 0;
        for (const auto& [id, n] : owned_)
          lost += std::max(0, n - (owned.count(id) ? owned.at(id) : 0));
        for (const auto& [id, n] : owned)
          gained += std::max(0, n - (owned_.count(id) ? owned_.at(id) : 0));
        used = lost == 1 && gained == 0;
      }
      if (!scripted && !paid && !died && !elsewhere && !used && !(s["mode"] != before["mode"])) {
        std::string change;
        for (const auto& [id, n] : owned_)
          if (!owned.count(id) || owned.at(id) != n)
            change += " item " + std::to_string(id) + ": " + std::to_string(n) + " -> " +
                      std::to_string(owned.count(id) ? owned.at(id) : 0);
        for (const auto& [id, n] : owned)
          if (!owned_.count(id))
            change += " item " + std::to_string(id) + ": 0 -> " + std::to_string(n);
        return "items changed with nothing to account for it:" + change;
      }
      ++accountedChanges;
    }
    owned_ = owned;
    return {};
  }

  // The opening every session plays first, as the replay plays it: the main menu's start, the
  // first talks answered, the tutorial closed.
  void Opening(DemoSession& d) {
    struct Scripted {
      int64_t frame;
      int x, y;
    };
    static const Scripted kClicks[] = {{199, 320, 254}, {228, 320, 240}, {232, 195, 282},
                                       {235, 195, 282}, {238, 195, 282}, {241, 195, 282},
                                       {255, 498, 80}};
    for (const Scripted& c : kClicks) {
      if (d.game->FramesRun() < c.frame) d.Step(static_cast<int>(c.frame - d.game->FramesRun()));
      const int64_t f = d.game->FramesRun();
      d.Move(c.x, c.y);
      d.platform.InjectButton(MouseButton::Left, true);
      d.platform.InjectButton(MouseButton::Left, false);
      Event(f, "move " + std::to_string(c.x) + " " + std::to_string(c.y));
      Event(f, "ldown");
      Event(f, "lup");
    }
    d.Step();
  }

  std::string Session(DemoSession& d, int frames) {
    Opening(d);
    json before = d.State();
    owned_ = OwnedItems(before, d.game->CursorHand());
    while (frames_ < frames && !d.quit) {
      stepsOwed_ = 1;
      Input(d);
      if (stepsOwed_ > 0) d.Step(stepsOwed_);
      frames_ += 1;
      if (d.quit) break;
      json s = d.State();
      awayFromPlay_ = s["mode"] == "ModePlay" ? 0 : awayFromPlay_ + 1;
      if (s["mode"] == "ModePlay") {
        ++playFrames;
        maps.insert(s["map"]["file"].get<std::string>());
      }
      if (std::string failure = Check(d, before, s); !failure.empty()) return failure;
      before = std::move(s);
      if (frames_ - sessionStart_ == 1500) baseKb_ = ResidentKb();
      if (baseKb_ > 0) memoryGrowthKb = std::max(memoryGrowthKb, ResidentKb() - baseKb_);
    }
    Event(d.game->FramesRun(), "quit");
    if (!d.platform.MessageBoxes().empty())
      return "a message box: " + d.platform.MessageBoxes().front().text;
    return {};
  }

  std::mt19937 rng_;
  std::string replayPath_;
  std::ostringstream replay_;
  std::map<int, int> owned_;
  int frames_ = 0;
  int sessionStart_ = 0;
  int stepsOwed_ = 0;
  int held_ = 0;
  int64_t heldUntil_ = 0;
  bool usedItem_ = false;
  int awayFromPlay_ = 0;
  long baseKb_ = 0;
};

TEST(MonkeyCampaign, InvariantsHoldUnderSeededRandomInput) {
  const int frames = EnvInt("ISORA_MONKEY_FRAMES", 5000);
  const char* out = std::getenv("ISORA_MONKEY_OUT");
  const std::string folder = out && *out ? out : std::filesystem::temp_directory_path().string();
  int total = 0;
  for (uint32_t seed : EnvSeeds({101, 202})) {
    Monkey monkey(seed, folder + "/monkey-seed-" + std::to_string(seed) + ".replay");
    const std::string failure = monkey.Run(frames);
    EXPECT_EQ(failure, "") << "seed " << seed;
    // Caches fill in the first frames; after them the memory stays flat.
    EXPECT_LT(monkey.memoryGrowthKb, 64 * 1024) << "seed " << seed;
    std::cout << "[monkey] seed " << seed << ": " << frames << " frames (" << monkey.playFrames
              << " in play, " << monkey.sessions << " sessions, maps " << monkey.maps.size() << ", "
              << monkey.accountedChanges << " item changes accounted for), memory growth "
              << monkey.memoryGrowthKb << " KB" << (failure.empty() ? "" : ", FAILED") << "\n";
    total += frames;
  }
  std::cout << "[monkey] " << total << " frames\n";
}

}  // namespace
}  // namespace isora::e2e
