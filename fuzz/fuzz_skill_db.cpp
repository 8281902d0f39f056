// Fuzzes the skill table loader, the power arithmetic at many levels and the tooltip.
#include <cstddef>
#include <cstdint>

#include "items/skill_database.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  isora::SkillDatabase db;
  if (!db.LoadFromBytes({data, size})) return 0;
  for (int id = 0; id < db.Count() && id < 64; ++id) {
    isora::SkillRecord r = db.Get(id);
    // maxLevel comes from the file: any value must finish quickly.
    isora::SkillPower(r, r.maxLevel);
    isora::SkillPower(r, 2147483647);
    isora::SkillTooltip(r, r.maxLevel);
    db.FindItemByName(r.name);
  }
  return 0;
}
