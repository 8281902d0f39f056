// Commands that act on the world: held buttons, the right click on roles, skill keys, dropping
// and picking up items, and the ground items.
#include "foundation/random_generator.h"
#include "foundation/win_format.h"
#include "shell/game_ui_bridge.h"
#include "shell/game_world.h"
#include "shell/screen_drawing.h"

namespace isora {

PlayerGrowth& GamePanelPlayer::Growth() { return world_.player->Growth(); }

bool GamePanelPlayer::IsFighting() const {
  return world_.player && world_.player->State() == RoleStateKind::kFight;
}

LearnedSkill GamePanelPlayer::CurrentSkill() const {
  return world_.player ? world_.player->CurrentSkill() : LearnedSkill{0, 1};
}

bool GamePanelPlayer::SetSkill(int id, int level) {
  if (!world_.player) return false;
  isora::CurrentSkill* skill = world_.player->Skill();
  if (!skill) {
    world_.player->SelectSkill(id, level);
    return true;
  }
  return skill->SetSkill(id, level);
}

PanelPlayer& CGame::PanelPlayerRef() { return world_->panelPlayer; }

int CGame::TalkTargetKind() {
  CRoleNPC* npc = world_->Npc(talkTarget_);
  return npc ? npc->Kind() : -1;
}

void CGame::StandPlayer() {
  if (HasPlayer()) world_->player->Stand();
}

bool CGame::SelectSkillByKey(int key) {
  Role& player = *world_->player;
  if (player.State() == RoleStateKind::kFight || key <= 0 || key > 0x7F) return false;
  if (!player.SelectSkillByKey(static_cast<char>(key))) return false;
  SelectPanelSkill(*this, player.CurrentSkill().id);
  return true;
}

void CGame::LevelUpPlayer() { world_->player->Growth().LevelUp(); }

namespace {
void OrderGoTo(Role& player) {
  if (player.OrderMode() != RoleOrder::kGoTo) player.SetOrderMode(RoleOrder::kGoTo);
}
}  // namespace

void CGame::WorldRightClick() {
  Role& player = *world_->player;
  if (player.IsDead()) return;
  OrderGoTo(player);
  Point c = platform_.GetCursorPos();
  const int mx = c.x + cameraX_, my = c.y + cameraY_;
  int index = RoleUnderPoint(mx, my);
  if (index < 0 || mode_ != ModePlay || ObjectLayerTransparentAt(renderer_, mx, my)) return;
  talkTarget_ = index;
  CRoleNPC* npc = world_->Npc(index);
  if (!npc->ClickScript().empty()) {
    RunScriptFile(npc->ClickScript(), false);
    return;
  }
  if (!npc->Talk(cameraX_, cameraY_, world_->talk)) {
    mode_ = ModePlay;
    bags_.OpenSellPanel();
  }
}

void CGame::OnLeftHeld() {
  if (mode_ != ModePlay || !HasPlayer()) return;
  Role& player = *world_->player;
  if (player.IsDead() || player.State() == RoleStateKind::kFight) return;
  if (bags_.CursorOnPlayerPanel() || screens_.CursorClaimedByTutorial()) return;
  Point c = platform_.GetCursorPos();
  const int px = c.x + cameraX_, py = c.y + cameraY_;
  GroundItemList& items = world_->groundItems;
  auto it = ItemAt(items, px, py);
  if (it != items.end()) {
    Trace("add item\n");
    if (player.Growth().GetBag().Add((*it)->itemId)) {
      PlaySound("pick_item.wav");
      Trace("picked1\n");
      if (world_->highlighted == it) world_->highlighted = items.end();
      // Classic games count a pick-up toward "kill any enemies" missions too.
      missionList_.ReportGained((*it)->record.name, !Enhanced().On(Enhancement::kKillsOnlyKills));
      items.erase(it);
      Trace("picked2\n");
      leftButtonUp_ = false;
    } else {
      ShowMessage(texts_.Get(TextId::kBagFull));
    }
  } else if (CRoleNPC* locked = LockedTarget()) {
    // Target lock: the held button stays on its monster wherever it goes.
    world_->route.Chase(player, map_, world_->Everyone(), *locked, Point{locked->X(), locked->Y()});
    return;
  } else if (int index = RoleUnderPoint(px, py); index > 0) {
    CRoleNPC* npc = world_->Npc(index);
    if (ObjectLayerTransparentAt(renderer_, px, py)) {
      world_->route.GoTo(player, map_, world_->Everyone(), Point{px, py}, RoleStateKind::kRun);
      return;
    }
    const bool spared = Enhanced().On(Enhancement::kSafeFriends) && !npc->Enemy();
    if (!spared && npc->State() != RoleStateKind::kDie &&
        npc->FindState(RoleStateKind::kDie) >= 0) {
      Trace("start to fight in cgame\n");
      Trace(WinFormat("npcindex=%d\n", index));
      world_->route.Chase(player, map_, world_->Everyone(), *npc, Point{px, py});
      if (Enhanced().On(Enhancement::kTargetLock)) lockedNpc_ = npc->NpcId();
      return;
    }
  }
  OrderGoTo(player);
  world_->route.GoTo(player, map_, world_->Everyone(), Point{px, py}, RoleStateKind::kRun);
  player.ForgetFightTarget();
}

CRoleNPC* CGame::LockedTarget() {
  if (lockedNpc_ < 0 || !Enhanced().On(Enhancement::kTargetLock)) return nullptr;
  for (auto& e : world_->npcs.Entries()) {
    CRoleNPC* npc = e.role.get();
    if (npc && npc->NpcId() == lockedNpc_) {
      if (npc->IsDead() || npc->State() == RoleStateKind::kDie) break;
      return npc;
    }
  }
  lockedNpc_ = -1;
  return nullptr;
}

void CGame::OnRightHeld() {
  if (!hand_.WorldFree() || mode_ != ModePlay || !HasPlayer()) return;
  Role& player = *world_->player;
  if (player.IsDead()) return;
  if (bags_.CursorOnPlayerPanel() || screens_.CursorClaimedByTutorial()) return;
  Point c = platform_.GetCursorPos();
  const int px = c.x + cameraX_, py = c.y + cameraY_;
  OrderGoTo(player);
  if (RoleUnderPoint(px, py) > 0 && !ObjectLayerTransparentAt(renderer_, px, py)) {
    player.Stand();
  } else {
    world_->route.GoTo(player, map_, world_->Everyone(), Point{px, py}, RoleStateKind::kWalk);
  }
}

void CGame::DropHeldItem() {
  const int item = hand_.Item();
  hand_.Release();
  if (item <= 0 || !HasPlayer()) return;
  ItemRecord record = itemDb_.Get(item);
  missionList_.ReportLost(record.name);
  RandomGenerator gen;
  gen.Seed(0);
  const int x = world_->player->X() + gen.Draw(32);
  const int y = world_->player->Y() + gen.Draw(64);
  world_->groundItems.push_back(GroundItem::Create(item, record, x, y));
}

void GameWorld::AddGroundItem(const ItemDatabase& items, int item, int x, int y) {
  if (item <= 0 || item >= items.Count()) return;
  groundItems.push_back(GroundItem::Create(item, items.Get(item), x, y));
}

void GameWorld::ClearGroundItems() {
  groundItems.clear();
  highlighted = groundItems.end();
}

void GameWorld::HoverGroundItem(Renderer& renderer, int mx, int my, int cameraX, int cameraY) {
  auto it = ItemAt(groundItems, mx, my);
  if (highlighted != groundItems.end() && highlighted != it) (*highlighted)->SetHighlighted(0);
  highlighted = it;
  if (it == groundItems.end()) return;
  (*it)->SetHighlighted(1);
  (*it)->DrawLabel(renderer, cameraX, cameraY);
}

}  // namespace isora
