#include "world/step_probe.h"

namespace isora {

namespace {

// The probe looks 6 pixels ahead, but a walking step is 3 pixels and a running one is truncated:
// passing a blocked cell's corner (or the map's rim) the probe can fall on the open cell beyond
// while the feet come down inside the blocked one. So the landing point must be open too, unless
// it stays in the cell the feet are already in, so that a role put on a blocked cell can leave.
bool LandsOnOpenGround(const Role& role, const GameMap& map) {
  const Point to = role.StepLanding();
  if (to.x == -1 && to.y == -1) return true;
  if (map.IsPassableAt(to.x, to.y)) return true;
  return map.CellAt(to.x, to.y) == map.CellAt(role.X(), role.Y() + kRoleFeet);
}

}  // namespace

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
  return MakeProbeResult(
      map.IsPassableAt(p.x, p.y) != 0 && LandsOnOpenGround(role, map) && found < 0, found);
}

bool StepIsFreeOnMap(const Role& role, const GameMap& map) {
  const Point p = role.StepProbe();
  return map.IsPassableAt(p.x, p.y) != 0 && LandsOnOpenGround(role, map);
}

}  // namespace isora
