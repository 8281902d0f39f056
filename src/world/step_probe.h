// The per-frame step test of the world update: whether a role walking or running may take its
// next step, and which role stands in the way.
#pragma once

#include <cstdint>
#include <span>

#include "roles/role.h"
#include "world/game_map.h"

namespace isora {

// The probe result for Role::Update: the step is free when the cells at the role's StepProbe
// point and at its StepLanding point are passable (the landing may also stay in the cell the
// feet stand in) and no other role that is alive (not IsDead) has the point inside
// its Bounds; the id found is the first such role's npcId (0 for the player), all ones when
// none. A role that is not walking or running probes nothing and is free.
uint32_t ProbeStep(const Role& role, const GameMap& map, std::span<const Role* const> others);

// The block test alone, for roles moved out of view (other roles are not tested).
bool StepIsFreeOnMap(const Role& role, const GameMap& map);

}  // namespace isora
