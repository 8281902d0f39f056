// The roles CGame owns and what they ask of it, kept apart from game.h so that only the files
// that work with roles see their headers.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "items/ground_item.h"
#include "panels/player_panel.h"
#include "roles/renderer_role_graphics.h"
#include "roles/role.h"
#include "roles/role_host.h"
#include "roles/role_npc.h"
#include "shell/game.h"
#include "world/player_route.h"
#include "world/role_grid.h"
#include "world/role_placement.h"

namespace isora {

// What the roles ask of the game: the message line, sounds, beeps and the count of kills.
class GameRoleHost : public RoleHost {
 public:
  explicit GameRoleHost(CGame& game) : game_(game) {}
  void ShowMessage(const std::string& text) override { game_.ShowMessage(text); }
  void PlaySound(const std::string& path) override { game_.PlaySound(path); }
  void Beep() override { game_.Beep(); }
  void ItemUsedUp(const std::string& itemName) override { game_.ItemUsedUp(itemName); }
  void RoleKilled(const std::string& roleName, bool enemy) override {
    game_.RoleKilled(roleName, enemy);
  }
  void RoleHit(const Role& target, int amount) override { game_.RoleHit(target, amount); }
  const std::string& Text(TextId id) const override { return game_.Texts().Get(id); }

 private:
  CGame& game_;
};

// The talk dialog as a role uses it: forwards to the game's dialog.
class GameRoleTalk : public RoleTalkTarget {
 public:
  explicit GameRoleTalk(CGame& game) : game_(game) {}
  void ShowTalk(const std::string& speaker, const std::string& line, const std::string& portrait,
                int x, int y) override;

 private:
  CGame& game_;
};

struct GameWorld;

// The player role as the player panel sees it.
class GamePanelPlayer : public PanelPlayer {
 public:
  explicit GamePanelPlayer(GameWorld& world) : world_(world) {}
  PlayerGrowth& Growth() override;
  bool IsFighting() const override;
  LearnedSkill CurrentSkill() const override;
  bool SetSkill(int id, int level) override;

 private:
  GameWorld& world_;
};

struct GameWorld {
  explicit GameWorld(CGame& game)
      : context(game.Items(), game.Skills()),
        host(game),
        graphics(game.GetRenderer()),
        talk(game),
        panelPlayer(*this),
        placement{context, &game.Progress(), nullptr} {
    context.host = &host;
    context.graphics = &graphics;
    context.log = &game.Log();
    context.animations = &animations;
  }

  // Declared before the context that points at it.
  RoleAnimationCache animations;
  RoleContext context;
  GameRoleHost host;
  RendererRoleGraphics graphics;
  GameRoleTalk talk;
  GamePanelPlayer panelPlayer;
  PlacementContext placement;
  std::unique_ptr<Role> player;
  // The map's non-player roles; index i (from 1) is entry i - 1. Removed roles leave an empty
  // entry, so indexes stay put.
  RoleList npcs;
  // The draw list filed by place, for the step probe; filed again every play frame.
  RoleGrid grid;
  // Items lying on the map, oldest first, and the one under the cursor (end for none).
  GroundItemList groundItems;
  GroundItemList::iterator highlighted = groundItems.end();
  // The player's go-to orders, planned round obstacles when the game asks for it.
  PlayerRoute route;

  void AddGroundItem(const ItemDatabase& items, int item, int x, int y);
  void ClearGroundItems();
  // Highlights the item under the cursor, and only that one, and draws its label.
  void HoverGroundItem(Renderer& renderer, int mx, int my, int cameraX, int cameraY);

  int NpcCount() const { return static_cast<int>(npcs.Entries().size()); }
  CRoleNPC* Npc(int index) {
    if (index < 1 || index > NpcCount()) return nullptr;
    return npcs.Entries()[index - 1].role.get();
  }
  // The draw-list role at an index: 0 the player, then the roles of the map; null outside.
  Role* At(int index) { return index == 0 ? player.get() : Npc(index); }
  // The pictures of the player, of the role he fights and of the roles that hunt him: what is
  // seen through the objects that cover it.
  std::vector<Rect> FightersAreas() const {
    std::vector<Rect> areas;
    if (!player) return areas;
    areas.push_back(player->Bounds());
    const Role* prey = player->FightTarget();
    if (prey && !prey->IsDead()) areas.push_back(prey->Bounds());
    for (const auto& e : npcs.Entries()) {
      const Role* r = e.role.get();
      if (r && r != prey && !r->IsDead() && r->FightTarget() == player.get()) {
        areas.push_back(r->Bounds());
      }
    }
    return areas;
  }
  // Every role of the draw list: the player, then the roles of the map.
  std::vector<const Role*> Everyone() const {
    std::vector<const Role*> all{player.get()};
    for (const auto& e : npcs.Entries()) all.push_back(e.role.get());
    return all;
  }
};

}  // namespace isora
