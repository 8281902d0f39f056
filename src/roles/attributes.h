// The attribute set every role carries, the player's snapshot of it, and the arithmetic the
// change operations share.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "items/bag.h"
#include "items/equipment.h"

namespace isora {

// A learned skill: (skill id, level).
struct LearnedSkill {
  int32_t id = 0;
  int32_t level = 1;
  bool operator==(const LearnedSkill&) const = default;
};

struct Attributes {
  int32_t level = 1;
  int32_t exp = 0;
  int32_t expNeeded = 100;
  int32_t money = 0;
  int32_t maxHp = 100, hp = 100;
  int32_t maxMp = 50, mp = 50;
  int32_t attack = 10;
  int32_t defence = 0;
  int32_t moral = 50;
  int32_t hitRate = 30;
  bool operator==(const Attributes&) const = default;
};

// Where a role stands and faces (direction 1..8 clockwise from north).
struct RolePlace {
  int32_t x = 0, y = 0, direction = 1;
  bool operator==(const RolePlace&) const = default;
};

// What panels and save games read of the player, in this order.
struct AttributeSnapshot {
  RolePlace place;
  int32_t money = 0, level = 1, maxHp = 100, hp = 100, maxMp = 50, mp = 50, expNeeded = 100,
          exp = 0, attack = 10, defence = 0, moral = 50, hitRate = 30;
  Bag bag;
  Equipment equipment;
  // 1 and 1 when the role has no current-skill object.
  int32_t skillId = 1, skillLevel = 1;
  std::vector<LearnedSkill> learnedSkills;
};

// Experience needed to leave level L: (L * (L + 15) - 6) * 10, clamped to the 32-bit range.
int32_t ExpNeededForLevel(int32_t level);

// Attribute arithmetic saturates instead of wrapping, so huge script amounts never turn money or
// health negative.
inline int32_t SatAdd(int32_t a, int64_t b) {
  int64_t v = static_cast<int64_t>(a) + b;
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}
inline int32_t SatSub(int32_t a, int64_t b) { return SatAdd(a, -b); }

// value / max for bars and panels; 0 when max is 0 or below.
inline double SafeRatio(int32_t value, int32_t max) {
  return max > 0 ? static_cast<double>(value) / max : 0.0;
}

// The damage a raw amount does after defence: amounts above 5 lose the defence but never drop
// below 5; amounts of 5 or less ignore it.
inline int32_t DamageAfterDefence(int32_t amount, int32_t defence) {
  if (amount <= 5) return amount;
  int32_t d = SatSub(amount, defence);
  return d <= 5 ? 5 : d;
}

}  // namespace isora
