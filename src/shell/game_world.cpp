// Building the world: the map with its tiles and objects, the player, the roles of the map.
#include "shell/game_world.h"

#include "foundation/file_io.h"
#include "foundation/gbk.h"
#include "foundation/ini_file.h"
#include "foundation/win_format.h"
#include "media/bmp_reader.h"
#include "shell/game_ui_bridge.h"

namespace isora {

namespace {

// A cell's pixel on the map; the map's origin for a cell off the map.
Point TilePixel(const GameMap& map, int32_t row, int32_t column) {
  Point p = map.CellPosition(row, column);
  if (p.x < 0 || p.y < 0) p = Point{0, 0};
  return p;
}

}  // namespace

void GameRoleTalk::ShowTalk(const std::string& speaker, const std::string& line,
                            const std::string& portrait, int x, int y) {
  ShowRoleTalk(game_, speaker, line, portrait, x, y);
}

void CGame::ConstructWorld() { world_.reset(new GameWorld(*this)); }

bool CGame::HasPlayer() const { return world_ && world_->player != nullptr; }

Attributes CGame::PlayerAttributes() const {
  return HasPlayer() ? world_->player->Attrs() : Attributes{};
}

AttributeSnapshot CGame::PlayerSnapshot() const {
  if (HasPlayer()) return world_->player->Growth().Snapshot();
  return AttributeSnapshot();
}

bool CGame::LoadMap(const std::string& path) {
  log_.WriteText("Start to load map...");
  if (!map_.Load(path)) {
    // The message box that follows names no file; the log does.
    log_.WriteText("Cannot load the map " + path + " (missing or damaged)");
    return false;
  }
  log_.WriteText("Load map over,start to draw map...");
  LoadTiles();
  int pack = kPackTiles;
  Surface* objects = renderer_.GetSurface(kSurfaceObjects);
  if (objects) {
    objects->Fill(renderer_.ColorKey());
    renderer_.DrawPictureTo(pack, "obj.bmp", kSurfaceObjects, 0, 0, false);
  }
  Surface* ground = renderer_.GetSurface(kSurfaceGround);
  Surface* upper = renderer_.GetSurface(kSurfaceLayer4);
  Surface* layer3 = renderer_.GetSurface(kSurfaceLayer3);
  if (layer3) layer3->Fill(renderer_.ColorKey());
  if (ground && upper && objects) map_.PaintObjects(*upper, *objects, *ground, renderer_.Format());
  // Objects cover a part of the map: the frame's copies pass over the rest of the layer.
  if (upper) upper->FindInk();
  renderer_.ReleaseObjectSheet();
  mapInfo_ = map_.Header();
  mapPath_ = path;
  log_.WriteText("Draw map over!");
  return true;
}

std::string TileNumberText(int number, int lastNumber, bool pad) {
  int width = lastNumber / 100 > 0 ? 3 : (lastNumber / 10 > 0 ? 2 : 1);
  std::string text = std::to_string(number);
  if (pad) {
    while (static_cast<int>(text.size()) < width) text.insert(text.begin(), '0');
  }
  return text;
}

void CGame::LoadTiles() {
  log_.WriteText("start to show tiles");
  IniFile ini;
  if (!ini.Load("tiles.ini", iniPackage_.c_str())) {
    log_.WriteText("show tiles end");
    return;
  }
  int n = ini.GetInt("typecount", "count");
  Surface* ground = renderer_.GetSurface(kSurfaceGround);
  Surface* sheet = renderer_.GetSurface(kSurfaceTiles);
  if (!ground || !sheet) return;
  ground->Fill(0);
  // More tile types than a cell's byte can name would only waste time on a damaged file.
  if (n > 255) n = 255;
  for (int t = 1; t <= n; ++t) {
    std::string section = std::to_string(t);
    int count = ini.GetInt(section.c_str(), "piccount");
    if (count > 200) count = 200;
    std::string prefix = ini.GetString(section.c_str(), Gbk(u8"前缀").c_str());
    int first = ini.GetInt(section.c_str(), Gbk(u8"起始数").c_str());
    int last = ini.GetInt(section.c_str(), Gbk(u8"末尾数").c_str());
    bool pad = ini.GetString(section.c_str(), Gbk(u8"补位").c_str()) == "true";
    sheet->Fill(0);
    for (int j = 0; j < count; ++j) {
      std::string file = WinFormat("%d\\%s%s.bmp", t, prefix.c_str(),
                                   TileNumberText(first + j, last, pad).c_str());
      renderer_.DrawPictureTo(kPackTiles, file, kSurfaceTiles, (j % 10) * 64, ((j % 100) / 10) * 32,
                              false);
    }
    map_.PaintCellsOfType(t, *sheet, *ground, false);
  }
  log_.WriteText("show tiles end");
}

bool CGame::CreatePlayer(const std::string& file, int32_t x, int32_t y, int32_t direction) {
  if (!ReadFileBytes(NativePath(file))) return false;
  world_->player.reset();
  Point p = TilePixel(map_, x, y);
  world_->player =
      std::make_unique<Role>(world_->context, "role.pmg", "ziruve", p.x, p.y + 32, 10, 100, 1);
  world_->player->SetDirection(direction);
  world_->player->Growth().GetBag().SetItems(&itemDb_);
  RecreatePlayerPanels(*this);
  return true;
}

void CGame::PlacePlayerOnTile(int32_t row, int32_t column, int32_t direction) {
  Role& p = *world_->player;
  Point cell = TilePixel(map_, row, column);
  Rect b = p.Bounds();
  p.SetPlace(RolePlace{cell.x + b.Width() / 2, cell.y + 32 - b.Height() / 2, direction});
  p.SetTarget(p.X(), p.Y());
}

bool CGame::BuildWorld() {
  renderer_.ClearCache(kOrdinaryPictures);
  world_->animations.Clear();  // role files are read afresh for each world
  if (!transition_.newGame) map_.Release();
  if (!LoadMap(transition_.MapPath())) {
    failure_.Report(platform_, log_, "Initializing map failed!", transition_.MapPath());
    DestroyWindow();
    return false;
  }
  const MapTransition& t = transition_;
  transition_.ArriveAtStartUnlessGiven(mapInfo_.StartX(), mapInfo_.StartY());
  if (t.newGame || !HasPlayer()) {
    if (!CreatePlayer("data\\role.pmg", t.row, t.column, t.direction)) {
      failure_.Report(platform_, log_, "Initializing role failed!", "data\\role.pmg");
      DestroyWindow();
      return false;
    }
    if (!LoadPlayerPanels(*this)) {
      failure_.Report(platform_, log_, "Loading playerpanel.ini or packpanel.ini failed!",
                      iniPackage_, MessageBoxIcon::Error);
      DestroyWindow();
      return false;
    }
    // Factions, enmity and remembered deaths belong to the game that ended too: a new game
    // that kept them would open with the last game's feuds and bosses already dead.
    relations_.Clear();
    missionList_.Clear();
    killedEnemies_ = 0;
    hand_.Release();
  } else {
    PlacePlayerOnTile(t.row, t.column, t.direction);
  }
  if (!PlaceMapRoles()) {
    failure_.Report(platform_, log_, "Initializing npc failed!", "data\\npc.npc");
    DestroyWindow();
    return false;
  }
  rain_.Stop();
  world_->ClearGroundItems();
  selectedNpc_ = -1;
  world_->player->Stand();
  world_->route.Clear();
  wanderCounter_ = -1;
  lastTriggerCell_ = CellIndex{};
  musicState_.Restart();
  renderer_.ReleasePackHandle();
  FadeTo(true, ModePlay);
  return true;
}

}  // namespace isora
