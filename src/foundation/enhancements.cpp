#include "foundation/enhancements.h"

#include "foundation/ini_file.h"

namespace isora {

namespace {

constexpr std::string_view kKeys[] = {
    "pathFinding", "seeThrough",    "scaledFades",  "messageLinePlaced", "wanderAround",
    "stackCounts", "wholeWordWrap", "objectFronts", "killsOnlyKills",    "damageNumbers",
    "targetLock",  "safeFriends",   "autosave",     "minimap",           "quietNoAudio"};
static_assert(std::size(kKeys) == static_cast<size_t>(Enhancement::kCount));

Enhancements gEnhanced;

}  // namespace

std::string_view EnhancementKey(Enhancement e) { return kKeys[static_cast<size_t>(e)]; }

Enhancements Enhancements::All() {
  Enhancements all;
  all.on_.fill(true);
  return all;
}

Enhancements ReadEnhancements(const IniFile& gameIni) {
  Enhancements out;
  for (size_t i = 0; i < std::size(kKeys); ++i)
    out.Set(static_cast<Enhancement>(i), gameIni.GetInt("enhanced", kKeys[i]) == 1);
  if (!gameIni.HasKey("enhanced", "pathFinding"))
    out.Set(Enhancement::kPathFinding, gameIni.GetInt("movement", "pathFinding") == 1);
  return out;
}

const Enhancements& Enhanced() { return gEnhanced; }
void SetEnhanced(const Enhancements& switches) { gEnhanced = switches; }

}  // namespace isora
