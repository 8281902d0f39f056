// The play step and the per-frame role pass: camera, roles near the view, deaths and what they
// leave behind, hover information, script triggers and exits, the death screen.
#include "foundation/enhancements.h"
#include "foundation/gbk.h"
#include "foundation/random_generator.h"
#include "foundation/win_format.h"
#include "panels/player_panel.h"
#include "script/script_engine.h"
#include "shell/game_ui.h"
#include "shell/game_ui_bridge.h"
#include "shell/game_world.h"
#include "shell/minimap.h"
#include "shell/screen_drawing.h"
#include "shell/see_through.h"

namespace isora {

namespace {

constexpr ColorRef kBlack = 0x000000;
constexpr ColorRef kLabelColor = 0xAAE3FF;

// The probe result for a role's next step: the cell must be passable and no other living role
// may hold the point (the first such role in draw-list order is the one named).
// Whether the probe lies farther from the other role than the feet do.
bool StepsAway(Point feet, Point probe, const Role& other) {
  auto distance2 = [&](Point q) {
    const int64_t dx = q.x - other.X(), dy = q.y - other.Y();
    return dx * dx + dy * dy;
  };
  return distance2(probe) > distance2(feet);
}

uint32_t ProbeFor(const GameMap& map, GameWorld& world, const Role& role) {
  Point p = role.StepProbe();
  if (p.x == -1 && p.y == -1) return MakeProbeResult(true, -1);
  bool free = map.IsPassableAt(p.x, p.y) != 0;
  const Role* other = world.grid.FirstAt(p.x, p.y, &role);
  const int found = other ? other->NpcId() : -1;
  // A hero standing with his feet inside another role's picture could never step out of it,
  // since every step lands inside it too: a step away from that role is not blocked by it.
  const Point feet{role.X(), role.Y() + kRoleFeet};
  if (other && role.IsPlayer() && other->Bounds().Contains(feet.x, feet.y) &&
      StepsAway(feet, p, *other))
    other = world.grid.FirstAt(p.x, p.y, &role, &feet);
  if (other && other->NpcId() >= 0) free = false;
  return MakeProbeResult(free, found);
}

// Files the draw list (the player, then the roles of the map) in the probe's grid.
void FileRoles(GameWorld& world) {
  std::vector<Role*> drawList;
  drawList.reserve(world.npcs.Entries().size() + 1);
  drawList.push_back(world.player.get());
  for (auto& e : world.npcs.Entries()) drawList.push_back(e.role.get());
  world.grid.Sync(drawList);
}

}  // namespace

void CGame::PlayStep() {
  if (!musicState_.Started()) {
    const std::string& name = mapInfo_.MusicName();
    StartMusicOnce(name.empty() ? std::string() : "music\\" + name);
  }
  retiredScript_.reset();
  if (script_ && fade_.Shown() && !script_->IsWaiting()) {
    script_->Resume();
    if (script_ && script_->IsFinished()) script_.reset();
    return;
  }
  if (!HasPlayer()) return;
  // The autosave waits for the new map's scripts to finish, since a save holds no script.
  if (autosaveDue_ && fade_.Shown() && !script_) {
    autosaveDue_ = false;
    saves_.Autosave();
  }
  Point cursor = platform_.GetCursorPos();
  if (!renderer_.GetSurface(kSurfaceBackBuffer)) return;
  renderer_.FillBackBufferOnUse(0);
  Point cam = world_->player->CameraOrigin();
  cameraX_ = cam.x;
  cameraY_ = cam.y;
  GameMode before = mode_;
  if (!DrawRole() || mode_ != before) {
    skipPresent_ = true;
    return;
  }
  viewRect_ = Rect{cameraX_, cameraY_, cameraX_ + kScreenWidth, cameraY_ + kScreenHeight};
  const Surface* ground = renderer_.GetSurface(kSurfaceGround);
  // The black under the view is seen only where the view passes the ground's edge.
  if (ground->Bounds().Intersect(viewRect_) == viewRect_) renderer_.CancelBackBufferFill();
  Surface* back = renderer_.GetSurface(kSurfaceBackBuffer);
  const Surface* layer3 = renderer_.GetSurface(kSurfaceLayer3);
  const Surface* layer4 = renderer_.GetSurface(kSurfaceLayer4);
  // Ground, roles, then objects, row by row.
  const ComposeLayer layers[] = {{ground, viewRect_, false},
                                 {layer3, renderer_.OnSurface(kSurfaceLayer3, viewRect_), true},
                                 {layer4, viewRect_, true}};
  renderer_.WorldView().Compose(*back, layers[0], layers[1], layers[2]);
  if (Enhanced().On(Enhancement::kSeeThrough))
    DrawSeeThrough(*back, *layer3, *layer4, world_->FightersAreas(), Point{cameraX_, cameraY_},
                   renderer_.SurfaceOrigin(kSurfaceLayer3));
  if (Enhanced().On(Enhancement::kMinimap) && !minimapHidden_) DrawWorldMinimap();
  if (noSoundNote_) {
    noSoundNote_ = false;
    ShowMessage(texts_.Get(TextId::kNoSoundDevice));
  }
  if (rain_.Falling()) DrawRain(kSurfaceBackBuffer);
  if (Enhanced().On(Enhancement::kDamageNumbers)) {
    const Attributes& a = world_->player->Attrs();
    if (feedback_.Step(a.hp, a.maxHp)) ShowMessage(texts_.Get(TextId::kHealthLow));
    feedback_.Draw(renderer_, Point{cameraX_, cameraY_});
    if (ui_->playerPanel) ui_->playerPanel->SetHealthWarning(feedback_.HealthBarLit());
  }
  HoverInfo(cursor);
  bags_.DrawPlayerPanel();
  DrawOutlined(renderer_, mapInfo_.MapName(), 565, 20, kSurfaceBackBuffer,
               {Point{564, 21}, Point{566, 21}, Point{564, 19}, Point{566, 19}}, kBlack,
               kLabelColor);
  CellIndex cell = map_.CellAt(world_->player->X(), world_->player->Y());
  DrawOutlined(renderer_, WinFormat("(%d,%d)", cell.row, cell.column), 565, 35, kSurfaceBackBuffer,
               {Point{564, 34}, Point{566, 34}, Point{564, 36}, Point{566, 36}}, kBlack,
               kLabelColor);
  if (leftButtonUp_) {
    if (buttonLatch_.Held(LatchedButton::kLeft, mouse_ && mouse_->IsLeftDown())) OnLeftHeld();
    if (buttonLatch_.Held(LatchedButton::kRight, mouse_ && mouse_->IsRightDown())) OnRightHeld();
  }
  screens_.DrawTutorial();
  if (!fade_.Shown()) {
    if (script_) script_->SetWaiting(0);
    FadeTo(false, mode_);
  }
}

bool CGame::DrawRole() {
  Role& player = *world_->player;
  const Rect area{cameraX_ - 110, cameraY_ - 112, cameraX_ + 750, cameraY_ + 592};
  renderer_.ClearLayerAroundView(cameraX_, cameraY_);
  DrawGroundItems(world_->groundItems, renderer_, cameraX_, cameraY_);

  if (wanderCounter_ < 0) wanderCounter_ = 100;
  ++wanderCounter_;
  if (wanderCounter_ > 100) {
    for (auto& e : world_->npcs.Entries()) {
      CRoleNPC* npc = e.role.get();
      if (!npc || !npc->Wanders() || npc->IsDead()) continue;
      const Point to = TimedWanderPoint(npc->X(), npc->Y());
      npc->SetWalkTarget(to.x, to.y, RoleStateKind::kWalk);
    }
    wanderCounter_ = 0;
  }

  if (player.State() == RoleStateKind::kDieOut) {
    screens_.DeathScreen();
    return true;
  }

  FileRoles(*world_);
  for (size_t i = 0; i < world_->npcs.Entries().size();) {
    if (!world_->npcs.Entries()[i].role) {
      ++i;
      continue;
    }
    CRoleNPC& npc = *world_->npcs.Entries()[i].role;
    if (npc.State() == RoleStateKind::kDie) {
      player.Stand();
      leftButtonUp_ = false;
    }
    if (npc.State() == RoleStateKind::kDieOut) {
      GameMode before = mode_;
      HandleDeadRole(static_cast<int>(i) + 1);
      if (mode_ != before) return false;
      FileRoles(*world_);  // entries after it moved up; a script may have added roles
      continue;
    }
    if (area.Contains(npc.X(), npc.Y())) {
      // The blocked step is told only to someone listening: formatting it costs more than the
      // step itself.
      const uint32_t probe =
          platform_.DebugOutputWanted() ? ProbeFor(map_, *world_, npc) : MakeProbeResult(true, -1);
      if ((probe & 0xFFFF) == 0 && npc.StepProbe().x != -1) {
        Point p = npc.StepProbe();
        Trace(WinFormat("[DrawRole]cannot cross:findnpc=%d,map cross=%d,pt.x=%d,pt.y=%d,state=%s\n",
                        static_cast<int>(probe >> 16), map_.IsPassableAt(p.x, p.y), p.x, p.y,
                        std::string(npc.StateName()).c_str()));
      }
      npc.Update([&](const Role& r) { return ProbeFor(map_, *world_, r); });
    } else {
      // Out of view only hostile roles keep going; the others drop their fight and wait.
      if (!npc.Hostile()) {
        npc.ForgetFightTarget();
        npc.Stand();
      }
      Point p = npc.StepProbe();
      npc.OffscreenStep(p.x == -1 || map_.IsPassableAt(p.x, p.y) != 0);
    }
    world_->grid.Moved(static_cast<int>(i) + 1);
    ++i;
  }

  if (options_.trace)
    Trace(WinFormat("[DrawRole]my state=%s\n", std::string(player.StateName()).c_str()));
  // A hero just hit flashes for a few frames.
  if (Enhanced().On(Enhancement::kDamageNumbers)) player.SetHighlighted(feedback_.HeroFlashing());
  world_->route.BeforeUpdate(player);
  player.Update([&](const Role& r) { return ProbeFor(map_, *world_, r); });
  world_->route.AfterUpdate(player, map_, world_->Everyone());

  CellIndex cell = map_.CellAt(player.X(), player.Y());
  if (cell == lastTriggerCell_) return true;
  lastTriggerCell_ = cell;
  std::string script = map_.CellScript(player.X(), player.Y());
  if (!script.empty()) {
    RunScriptFile(script, false);
    return true;
  }
  std::string exit = map_.CellExit(player.X(), player.Y());
  if (!exit.empty()) {
    Point cam = player.CameraOrigin();
    cameraX_ = cam.x;
    cameraY_ = cam.y;
    RequestMapChange(exit, -1, -1, 5, false);
    return false;
  }
  return true;
}

void CGame::HandleDeadRole(int index) {
  CRoleNPC* npc = world_->Npc(index);
  if (!npc) return;
  const NpcRecord& rec = npc->Record();
  if (int drop = npc->ChooseDrop(); drop > 0) {
    Trace("new item \n");
    world_->AddGroundItem(itemDb_, drop, npc->X(), npc->Y());
    Trace("push back \n");
    PlaySound("drop_item.wav");
  }
  if (!npc->DeathScript().empty()) RunScriptFile(npc->DeathScript(), false);
  if (rec.rememberDeath) relations_.vipInfo[npc->RoleName()] = 1;
  if (!rec.factionName.empty()) {
    int32_t& enmity = relations_.factionEnmity[rec.factionName];
    int32_t before = enmity;
    enmity = SatAdd(enmity, rec.enmityGain);
    if (before < kFeudEnmity && enmity >= kFeudEnmity) {
      const char* name = rec.factionName.c_str();
      ShowMessage(WinFormat(texts_.Get(TextId::kFeudMessage).c_str(), name));
      relations_.AddNote(WinFormat(texts_.Get(TextId::kFeudNote).c_str(), name, name));
    }
  }
  PlayerGrowth& growth = world_->player->Growth();
  switch (npc->Kind()) {
    case 1:
      growth.ChangeMoral('+', 5);
      break;
    case 2:
      growth.ChangeMoral('-', 5);
      break;
    case 4:
    case 5:
    case 6:
      growth.ChangeMoral('-', 2);
      break;
    default:
      break;
  }
  ++killedEnemies_;
  if (selectedNpc_ == index)
    selectedNpc_ = -1;
  else if (selectedNpc_ > index)
    --selectedNpc_;
  if (talkTarget_ == index)
    talkTarget_ = 0;
  else if (talkTarget_ > index)
    --talkTarget_;
  Trace("start to delete \n");
  world_->npcs.Erase(static_cast<size_t>(index - 1), world_->player.get());
  Trace("pop obj over\n");
}

int CGame::RoleUnderPoint(int mx, int my) {
  int best = -1;
  int bestY = 0;
  for (int i = 1; i <= world_->NpcCount(); ++i) {
    Role* r = world_->At(i);
    if (!r || r->IsDead() || !r->Bounds().Contains(mx, my)) continue;
    if (best < 0 || r->Y() > bestY) {
      best = i;
      bestY = r->Y();
    }
  }
  return best;
}

void CGame::HoverInfo(Point cursor) {
  if (screens_.TutorialClaims()) return;
  const int mx = cursor.x + cameraX_;
  const int my = cursor.y + cameraY_;
  std::string label = map_.CellExitComment(mx, my);
  if (!label.empty()) {
    Size ext = renderer_.TextExtent(label);
    int x = cursor.x;
    if (x + ext.cx > 639) x = 639 - ext.cx;
    int y = cursor.y - ext.cy;
    if (y < 1) y = cursor.y + 32;
    if (y + ext.cy > 479) y = 479 - ext.cy;
    renderer_.Blend50(kSurfaceBackBuffer, Rect{x, y, x + ext.cx, y + ext.cy}, false);
    renderer_.DrawText(label, x, y, kSurfaceBackBuffer, kTaLeft, 0xFF0000);
  }
  world_->HoverGroundItem(renderer_, mx, my, cameraX_, cameraY_);
  if (Role* prev = world_->At(selectedNpc_); prev && selectedNpc_ > 0) prev->SetHighlighted(false);
  int index = RoleUnderPoint(mx, my);
  if (index < 0 || ObjectLayerTransparentAt(renderer_, mx, my)) {
    selectedNpc_ = -1;
    return;
  }
  selectedNpc_ = index;
  CRoleNPC* npc = world_->Npc(index);
  npc->SetHighlighted(true);
  DrawOutlined(renderer_, npc->DisplayName(true), 320, 20, kSurfaceBackBuffer,
               {Point{319, 19}, Point{321, 19}, Point{319, 21}, Point{321, 21}}, kBlack, 0xFF9999);
  DeviceContext dc = renderer_.GetDC(kSurfaceBackBuffer);
  dc.SelectPen(Pen::Solid(kWhite));
  dc.SelectBrush(Brush::Solid(0x0000FF));
  dc.Rectangle(244, 44, 396, 56);
  int from = 245 + static_cast<int>(150 * npc->HpFraction());
  if (from < 395) dc.FillRect(Rect{from, 45, 395, 55}, Brush::Solid(kBlack));
}

bool CGame::PlaceMapRoles() {
  world_->player->ForgetFightTarget();
  world_->placement.player = world_->player.get();
  if (world_->npcs.CreateMapRoles(map_.Placements(), map_, world_->placement) == 0) return false;
  for (int number : world_->npcs.MissingRecords())
    log_.Write("The map places role %d, which %s does not hold; it is left out.", number,
               world_->placement.npcFile.c_str());
  return true;
}

void CGame::DrawWorldMinimap() {
  std::vector<MinimapDot> dots;
  for (const auto& e : world_->npcs.Entries()) {
    const CRoleNPC* npc = e.role.get();
    if (!npc || npc->IsDead()) continue;
    dots.push_back(MinimapDot{Point{npc->X(), npc->Y() + kRoleFeet},
                              npc->Hostile() ? kMinimapHostile : kMinimapPerson});
  }
  const Role& hero = *world_->player;
  dots.push_back(MinimapDot{Point{hero.X(), hero.Y() + kRoleFeet}, kMinimapHero});
  if (Surface* back = renderer_.GetSurface(kSurfaceBackBuffer)) DrawMinimap(*back, map_, dots);
}

}  // namespace isora
