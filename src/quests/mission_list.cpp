#include "quests/mission_list.h"

#include <algorithm>
#include <limits>

#include "foundation/byte_io.h"
#include "foundation/game_log.h"
#include "foundation/gbk.h"
#include "foundation/system_hooks.h"
#include "items/bag.h"
#include "items/item_database.h"

namespace isora {

std::array<uint8_t, kMissionRecordSize> EncodeMissionRecord(const Mission& m) {
  ByteWriter w;
  w.FixedString(CutGbk(m.name, 99), 100);
  w.FixedString(CutGbk(m.description, 99), 100);
  w.I32(m.done);
  w.I32(m.kind);
  w.FixedString(CutGbk(m.target, 51), 52);
  w.I32(m.required);
  w.I32(m.count);
  w.I32(m.autoCheck);
  w.I32(m.completionFlag);
  std::array<uint8_t, kMissionRecordSize> out{};
  std::copy(w.Data().begin(), w.Data().end(), out.begin());
  return out;
}

Mission DecodeMissionRecord(std::span<const uint8_t> bytes) {
  ByteReader r(bytes);
  Mission m;
  m.name = r.FixedString(100);
  m.description = r.FixedString(100);
  m.done = r.I32();
  m.kind = r.I32();
  m.target = r.FixedString(52);
  m.required = r.I32();
  m.count = r.I32();
  m.autoCheck = r.I32();
  m.completionFlag = r.I32();
  return m;
}

Mission* MissionList::Find(std::string_view name) {
  for (auto& m : missions_)
    if (m.name == name) return &m;
  return nullptr;
}

const Mission* MissionList::Find(std::string_view name) const {
  for (const auto& m : missions_)
    if (m.name == name) return &m;
  return nullptr;
}

int MissionList::Add(std::string_view name, std::string_view description, int32_t kind,
                     std::string_view target, int32_t required, int32_t autoCheck,
                     int32_t completionFlag) {
  if (Find(name)) {
    (log_ ? *log_ : ownLog_)
        .Write("add mission %s failed,mission name should not be repeated!",
               std::string(name).c_str());
    return 0;
  }
  Mission m;
  m.name = name;
  m.description = description;
  m.kind = kind;
  m.target = target;
  m.required = required;
  m.autoCheck = autoCheck;
  m.completionFlag = completionFlag;
  missions_.push_back(std::move(m));
  return 1;
}

int MissionList::ReportGained(std::string_view name, bool flag) {
  int counted = 0;
  for (auto& m : missions_) {
    std::string_view key = m.kind == kMissionKillAny && flag ? std::string_view() : name;
    if (m.target != key) continue;
    if (m.count < std::numeric_limits<int32_t>::max()) ++m.count;
    counted = 1;
    if (m.autoCheck != 0) CheckStatus(m);
  }
  return counted;
}

int MissionList::ReportLost(std::string_view name) {
  int changed = 0;
  for (auto& m : missions_) {
    if (m.target != name) continue;
    if (m.count > std::numeric_limits<int32_t>::min()) --m.count;
    changed = 1;
  }
  return changed;
}

int MissionList::CheckStatus(Mission& m) {
  if (m.done == 1) return kMissionDoneBefore;
  if (m.count < m.required) return kMissionOpen;
  m.done = 1;
  m.count = 0;
  return m.completionFlag == 1 ? kMissionCompletedFlagged : kMissionCompleted;
}

int MissionList::Check(std::string_view name) {
  Mission* m = Find(name);
  return m ? CheckStatus(*m) : kMissionUnknown;
}

int MissionList::ObjectiveCount(std::string_view name) const {
  const Mission* m = Find(name);
  return m ? m->count : 0;
}

int MissionList::Count() const {
  Hooks::DebugOutput("get mission count.\n");
  return static_cast<int>(missions_.size());
}

std::array<uint8_t, kMissionRecordSize> MissionList::SaveRecord(int index) const {
  if (index < 0 || index >= static_cast<int>(missions_.size())) return {};
  return EncodeMissionRecord(missions_[index]);
}

int AddMission(MissionList& missions, const ItemDatabase& items, const Bag& bag,
               std::string_view name, std::string_view description, int32_t kind,
               std::string_view target, int32_t required, int32_t autoCheck,
               int32_t completionFlag) {
  int added = missions.Add(name, description, kind, target, required, autoCheck, completionFlag);
  if (added == 0 || kind != kMissionCollect) return added;
  int item = items.FindItemByName(target);
  if (item <= 0) return added;
  for (int n = bag.CountById(item); n > 0; --n) missions.ReportGained(target, false);
  return added;
}

std::string MissionPanelLine(const Mission& m) {
  std::string line = "* " + m.description;
  if (m.done == 1) return line + "<4(Done)/>";
  int64_t r = static_cast<int64_t>(m.required) - m.count;
  if (r < 0) r = 0;
  std::string left = std::to_string(r);
  switch (m.kind) {
    case kMissionCollect:
      return line + "(need to get <2" + left + "/> " + m.target + " yet)";
    case kMissionKillNamed:
      return line + "(need to kill <2" + left + "/> " + m.target + " yet)";
    case kMissionKillAny:
      return line + "(need to kill <2" + left + "/> enemy)";
    default:
      return line;
  }
}

std::vector<std::string> MissionList::PanelLines() const {
  std::vector<std::string> open, done;
  for (auto it = missions_.rbegin(); it != missions_.rend(); ++it)
    (it->done == 1 ? done : open).push_back(MissionPanelLine(*it));
  open.insert(open.end(), done.begin(), done.end());
  return open;
}

}  // namespace isora
