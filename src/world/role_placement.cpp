#include "world/role_placement.h"

#include <algorithm>
#include <cstdint>

namespace isora {

void ApplyCreationHostility(CRoleNPC& role, const Relations* relations, Role* player) {
  if (relations) {
    auto it = relations->factionEnmity.find(role.Record().factionName);
    if (it != relations->factionEnmity.end() && it->second > 50) role.SetHostile(true, player);
  }
  if (role.Kind() == 2 && player && player->Attrs().moral < 0) role.SetHostile(true, player);
}

std::unique_ptr<CRoleNPC> RoleList::Make(const NpcRecord& record, int row, int column, int id,
                                         const GameMap& map, PlacementContext& context) {
  const Point cell = map.CellPosition(row, column);
  // A cell at the edge of the int range (a damaged map) must not overflow the position.
  const int y = cell.y > INT32_MAX - 32 ? INT32_MAX : cell.y + 32;
  auto role = std::make_unique<CRoleNPC>(context.roles, record, cell.x, y, id, context.player);
  ApplyCreationHostility(*role, context.relations, context.player);
  return role;
}

int RoleList::CreateMapRoles(const std::vector<RolePlacement>& placements, const GameMap& map,
                             PlacementContext& context) {
  NpcFile file;
  if (!file.Load(context.npcFile)) return 0;
  for (auto& e : entries_)
    if (context.player && e.role) context.player->ForgetTargetIf(e.role.get());
  Clear();
  missingRecords_.clear();
  for (const RolePlacement& p : placements) {
    auto record = file.Record(p.recordNumber);
    if (!record) {
      missingRecords_.push_back(p.recordNumber);
      continue;
    }
    const int32_t id = nextId_++;
    entries_.push_back({Make(*record, p.row, p.column, id, map, context), id});
  }
  return 1;
}

int RoleList::AddRoleByName(const std::string& name, int row, int column, const GameMap& map,
                            PlacementContext& context) {
  // Ids never repeat while the list lives, even after deaths have taken entries out.
  const int32_t id = std::max<int32_t>(static_cast<int32_t>(entries_.size()) + 1, nextId_);
  NpcFile file;
  if (!file.Load(context.npcFile)) return 0;
  const int number = file.FindByName(name);
  if (number == 0) return 0;
  entries_.push_back({Make(*file.Record(number), row, column, id, map, context), id});
  nextId_ = id + 1;
  return 1;
}

void RoleList::ForgetEverywhere(const Role* role, Role* player) {
  if (player) player->ForgetTargetIf(role);
  for (auto& e : entries_)
    if (e.role) e.role->ForgetTargetIf(role);
}

int RoleList::RemoveByName(const std::string& name, Role* player) {
  int removed = 0;
  for (auto& e : entries_) {
    if (!e.role || e.role->RoleName() != name) continue;
    std::unique_ptr<CRoleNPC> gone = std::move(e.role);
    ForgetEverywhere(gone.get(), player);
    ++removed;
  }
  return removed;
}

void RoleList::Erase(size_t index, Role* player) {
  if (index >= entries_.size()) return;
  std::unique_ptr<CRoleNPC> gone = std::move(entries_[index].role);
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
  ForgetEverywhere(gone.get(), player);
}

void RoleList::Clear() {
  entries_.clear();
  nextId_ = 1;
}

}  // namespace isora
