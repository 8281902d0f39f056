// Recording stand-ins for what roles draw on and tell the game, role animation files written
// into a test's game folder, and a skill table built in code.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "foundation/clock.h"
#include "foundation/file_io.h"
#include "foundation/random_generator.h"
#include "items/item_database.h"
#include "items/skill_database.h"
#include "lib/role_writer.h"
#include "roles/role.h"
#include "support/temp_dir.h"

namespace isora::test {

class RecordingRoleGraphics : public RoleGraphics {
 public:
  struct Draw {
    int pack;
    std::string name;
    bool keep;
    int layer;
    int x, y;
    bool brighten;
  };
  void Preload(int pack, const std::string& name, bool keep) override {
    preloads.push_back({pack, name, keep});
  }
  bool DrawPicture(int pack, const std::string& name, bool keep, int layer, int x, int y,
                   bool brighten) override {
    if (missing.count(name)) return false;
    draws.push_back({pack, name, keep, layer, x, y, brighten});
    return true;
  }
  Size PictureSize(int, const std::string&) override { return pictureSize; }

  struct Preloaded {
    int pack;
    std::string name;
    bool keep;
  };
  std::vector<Preloaded> preloads;
  std::vector<Draw> draws;
  std::set<std::string> missing;
  Size pictureSize{16, 8};
};

class RecordingRoleHost : public RoleHost {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void PlaySound(const std::string& path) override { sounds.push_back(path); }
  void Beep() override { ++beeps; }
  void ItemUsedUp(const std::string& name) override { usedUp.push_back(name); }
  void RoleKilled(const std::string& name, bool /*hostile*/) override { killed.push_back(name); }

  std::vector<std::string> messages, sounds, usedUp, killed;
  int beeps = 0;
};

// A role animation of the named states, each with `frames` frames per direction of the given
// size; frame images are "<state>_<direction>_<step>".
struct StateSpec {
  std::string name;
  int frames;
  int width = 40;
  int height = 60;
};

inline RoleAnimation MakeAnimation(const std::vector<StateSpec>& states) {
  RoleAnimation anim;
  for (const StateSpec& s : states) {
    RoleState state;
    state.stateName = s.name;
    state.framesPerDirection = s.frames;
    state.firstFrame = static_cast<int32_t>(anim.frames.size());
    for (int d = 1; d <= 8; ++d)
      for (int k = 0; k < s.frames; ++k)
        anim.frames.push_back(
            {0, s.width, s.height, s.name + "_" + std::to_string(d) + "_" + std::to_string(k)});
    anim.states.push_back(state);
  }
  return anim;
}

// Writes data\<file> in the current directory.
inline void WriteRoleFile(const std::string& file, const std::vector<StateSpec>& states) {
  std::vector<uint8_t> bytes = WriteRoleAnimation(MakeAnimation(states));
  WriteFile("data/" + file, bytes);
}

inline std::vector<StateSpec> FullStates() {
  return {{"stand", 4}, {"walk", 6}, {"run", 6}, {"fight", 3}, {"die", 4}};
}

// Skill records: id 0 is the placeholder.
inline SkillRecord MakeSkill(const std::string& name, int kind, int power, int mpCost, char key = 0,
                             int range = 0, int effectFrames = 0) {
  SkillRecord s;
  s.name = name;
  s.kind = kind;
  s.power = power;
  s.maxLevel = 5;
  s.mpCost = mpCost;
  s.range = range;
  s.shortcutKey = key;
  s.sound = name + ".wav";
  s.effectFrameCount = effectFrames;
  for (int i = 0; i < effectFrames; ++i) s.effectFrames[i] = name + "_fx" + std::to_string(i);
  return s;
}

// The calendar second at which a fresh clock-seeded generator's first Draw(100) gives roll.
inline int64_t CalendarForRoll(int roll) {
  for (int64_t s = 1; s < 2000000; ++s) {
    FixedClock clock;
    clock.calendar = s;
    ScopedClock scoped(&clock);
    RandomGenerator g;
    g.Seed(0);
    if (g.Draw(100) == roll) return s;
  }
  return -1;
}

}  // namespace isora::test
