#include "world/step_probe.h"

namespace isora {

uint32_t ProbeStep(const Role& role, const GameMap& map, std::span<const Role* const> others) {
  const Point p = role.StepProbe();
  if (p.x == -1 && p.y == -1) return MakeProbeResult(true, -1);
  int found = -1;
  for (const Role* other : others) {
    if (!other || other == &role || other->IsDead()) continue;
    const Rect b = other->Bounds();
    if (p.x >= b.left && p.x < b.right && p.y >= b.top && p.y < b.bottom) {
      found = other->NpcId();
      break;
    }
  }
  return MakeProbeResult(map.IsPassableAt(p.x, p.y) != 0 && found < 0, found);
}

bool StepIsFreeOnMap(const Role& role, const GameMap& map) {
  const Point p = role.StepProbe();
  return map.IsPassableAt(p.x, p.y) != 0;
}

}  // namespace isora
