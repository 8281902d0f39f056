// The state dump of headless runs: what a test needs to check a screen or a rule, as JSON.
#include "foundation/gbk.h"
#include "script/script_engine.h"
#include "shell/game_rules.h"
#include "shell/game_world.h"
#include "shell/headless_runner.h"
#include "shell/json_writer.h"

namespace isora {

namespace {

void WriteAttributes(JsonWriter& j, const Attributes& a) {
  j.Member("level", a.level);
  j.Member("exp", a.exp);
  j.Member("expNeeded", a.expNeeded);
  j.Member("money", a.money);
  j.Member("hp", a.hp);
  j.Member("maxHp", a.maxHp);
  j.Member("mp", a.mp);
  j.Member("maxMp", a.maxMp);
  j.Member("attack", a.attack);
  j.Member("defence", a.defence);
  j.Member("moral", a.moral);
  j.Member("hitRate", a.hitRate);
}

void WriteTable(JsonWriter& j, std::string_view name, const Relations::Table& table) {
  j.Key(name).BeginObject();
  for (const auto& [key, value] : table) {
    // Keys are GBK; the writer converts values only, so keys go through a string member.
    j.Key(GbkToUtf8(key)).Int(value);
  }
  j.EndObject();
}

void WriteList(JsonWriter& j, std::string_view name, const std::vector<std::string>& list) {
  j.Key(name).BeginArray();
  for (const std::string& s : list) j.String(s);
  j.EndArray();
}

void WriteItems(JsonWriter& j, const ItemContainer& bag, const ItemDatabase& db, bool counts) {
  j.BeginArray();
  for (int c = 0; c < bag.CellCount(); ++c) {
    j.BeginObject();
    int item = bag.Get(c);
    j.Member("item", item);
    j.Member("name", item > 0 && item < db.Count() ? db.Get(item).name : std::string());
    if (counts) {
      if (const Bag* b = dynamic_cast<const Bag*>(&bag)) j.Member("count", b->StackCount(c));
    }
    j.EndObject();
  }
  j.EndArray();
}

void WriteRole(JsonWriter& j, const Role& r) {
  j.Member("name", r.RoleName());
  j.Member("x", r.X());
  j.Member("y", r.Y());
  j.Member("targetX", r.TargetX());
  j.Member("targetY", r.TargetY());
  j.Member("direction", r.Direction());
  j.Member("state", r.StateName());
  j.Member("hp", r.Attrs().hp);
  j.Member("maxHp", r.Attrs().maxHp);
  j.Member("fightTarget", r.FightTargetId());
  j.Member("orderMode", static_cast<int32_t>(r.OrderMode()));
}

}  // namespace

class GameStateDump {
 public:
  static std::string Dump(CGame& g);
};

std::string GameStateDump::Dump(CGame& g) {
  JsonWriter j;
  j.BeginObject();
  j.Member("frame", static_cast<int64_t>(g.clock_.FramesRun()));
  j.Member("mode", GameModeName(g.mode_));
  j.Member("fadeTarget", GameModeName(g.fade_.Target()));
  j.Member("fadePhase", static_cast<int32_t>(g.fade_.Phase()));
  j.Member("fadeKind", static_cast<int32_t>(g.fade_.Kind()));
  j.Member("fadeLevel", g.fade_.Level());
  j.Member("splashIndex", SplashIndex());

  j.Key("map").BeginObject();
  j.Member("path", g.mapPath_);
  j.Member("file", g.mapInfo_.MapFile());
  j.Member("name", g.mapInfo_.MapName());
  j.Member("music", g.mapInfo_.MusicName());
  j.Member("startX", g.mapInfo_.StartX());
  j.Member("startY", g.mapInfo_.StartY());
  j.EndObject();
  j.Key("camera").BeginObject();
  j.Member("x", g.cameraX_);
  j.Member("y", g.cameraY_);
  j.EndObject();

  GameWorld& w = *g.world_;
  if (w.player) {
    const Role& p = *w.player;
    j.Key("player").BeginObject();
    WriteRole(j, p);
    CellIndex cell = g.map_.CellAt(p.X(), p.Y());
    j.Member("row", cell.row);
    j.Member("column", cell.column);
    WriteAttributes(j, p.Attrs());
    const PlayerGrowth& growth = p.Growth();
    j.Key("bag");
    WriteItems(j, growth.GetBag(), g.itemDb_, true);
    j.Key("subBags").BeginArray();
    for (int c = 0; c < growth.GetBag().CellCount(); ++c) {
      const SubBag* sub = growth.GetBag().SubBagAt(c);
      if (!sub) continue;
      j.BeginObject();
      j.Member("cell", c);
      j.Key("items");
      WriteItems(j, *sub, g.itemDb_, false);
      j.EndObject();
    }
    j.EndArray();
    j.Key("equipment");
    WriteItems(j, growth.GetEquipment(), g.itemDb_, false);
    j.Key("skills").BeginArray();
    for (const LearnedSkill& s : growth.LearnedSkills()) {
      j.BeginObject();
      j.Member("id", s.id);
      j.Member("level", s.level);
      j.Member("name",
               s.id > 0 && s.id < g.skillDb_.Count() ? g.skillDb_.Get(s.id).name : std::string());
      j.EndObject();
    }
    j.EndArray();
    LearnedSkill cur = p.CurrentSkill();
    j.Key("currentSkill").BeginObject();
    j.Member("id", cur.id);
    j.Member("level", cur.level);
    j.EndObject();
    j.EndObject();
  } else {
    j.Key("player").Null();
  }

  j.Key("npcs").BeginArray();
  for (int i = 1; i <= w.NpcCount(); ++i) {
    const CRoleNPC* npc = w.Npc(i);
    if (!npc) continue;
    j.BeginObject();
    j.Member("index", i);
    j.Member("id", npc->NpcId());
    WriteRole(j, *npc);
    j.Member("hostile", npc->Hostile());
    j.Member("kind", npc->Kind());
    j.EndObject();
  }
  j.EndArray();
  j.Member("selectedNpc", g.selectedNpc_);
  j.Member("talkTarget", g.talkTarget_);

  j.Key("groundItems").BeginArray();
  for (const auto& item : g.world_->groundItems) {
    j.BeginObject();
    j.Member("item", item->itemId);
    j.Member("name", item->record.name);
    j.Member("x", item->x);
    j.Member("y", item->y);
    j.Member("highlighted", item->highlighted != 0);
    j.EndObject();
  }
  j.EndArray();
  j.Member("heldItem", g.hand_.Item());
  j.Member("handEmpty", g.hand_.WorldFree() ? 1 : 0);
  j.Member("leftButtonUp", g.leftButtonUp_ ? 1 : 0);
  j.Member("openPanel", g.bags_.openPanel_);
  j.Member("sellMode", g.bags_.sellMode_ ? 1 : 0);
  j.Member("panelTitle", g.bags_.statusTitle_);

  j.Key("missions").BeginArray();
  for (const Mission& m : g.missionList_.Missions()) {
    j.BeginObject();
    j.Member("name", m.name);
    j.Member("kind", m.kind);
    j.Member("target", m.target);
    j.Member("count", m.count);
    j.Member("required", m.required);
    j.Member("done", m.done);
    j.EndObject();
  }
  j.EndArray();

  const Relations& r = g.relations_;
  j.Key("relations").BeginObject();
  WriteTable(j, "love", r.loveDegrees);
  WriteTable(j, "enmity", r.factionEnmity);
  WriteTable(j, "vip", r.vipInfo);
  WriteList(j, "factions", r.playerFactions);
  WriteList(j, "honours", r.honours);
  WriteList(j, "notes", r.notes);
  j.EndObject();

  j.Key("message").BeginObject();
  j.Member("text", g.renderer_.MessageText());
  j.Member("countdown", g.renderer_.MessageCountdown());
  j.EndObject();

  if (g.script_) {
    j.Key("script").BeginObject();
    j.Member("name", g.script_->ScriptName());
    j.Member("line", g.script_->CurrentLine());
    j.Member("waiting", g.script_->IsWaiting() != 0);
    j.EndObject();
  } else {
    j.Key("script").Null();
  }
  j.Key("rain").BeginObject();
  j.Member("raining", g.rain_.Falling());
  j.Member("count", g.rain_.Count());
  j.EndObject();
  j.Member("killedEnemies", g.killedEnemies_);
  j.Member("music", g.musicState_.Current());
  j.Member("lastSound", g.lastSound_);
  j.Member("score", g.screens_.lastScore_);
  j.Member("resultTitle", g.screens_.lastTitle_);
  // Relative to the game folder, so that a dump does not depend on where the folder is.
  std::string shot = g.screens_.lastScreenshot_;
  if (shot.size() > g.workingDir_.size() + 1 &&
      shot.compare(0, g.workingDir_.size(), g.workingDir_) == 0)
    shot.erase(0, g.workingDir_.size() + 1);
  j.Member("screenshot", shot);
  j.EndObject();
  return j.Text() + "\n";
}

std::string DumpGameState(CGame& game) { return GameStateDump::Dump(game); }

}  // namespace isora
