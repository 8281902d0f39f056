// Missions: counters that scripts add and query, fed by pick-ups, kills and item losses.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/game_log.h"

namespace isora {

class Bag;
class ItemDatabase;

enum MissionKind : int32_t { kMissionCollect = 0, kMissionKillNamed = 1, kMissionKillAny = 2 };

// CheckStatus results.
enum MissionStatus : int {
  kMissionOpen = 0,
  kMissionCompleted = 1,
  kMissionDoneBefore = 2,
  kMissionCompletedFlagged = 3,
  kMissionUnknown = 4,
};

constexpr size_t kMissionRecordSize = 276;

struct Mission {
  std::string name;  // GBK texts
  std::string description;
  int32_t done = 0;
  int32_t kind = 0;
  std::string target;
  int32_t required = 0;
  int32_t count = 0;
  int32_t autoCheck = 0;
  int32_t completionFlag = 0;
  bool operator==(const Mission&) const = default;
};

// The fixed save record; texts longer than their fields are cut with the terminator kept.
std::array<uint8_t, kMissionRecordSize> EncodeMissionRecord(const Mission& mission);
// Parses exactly kMissionRecordSize bytes.
Mission DecodeMissionRecord(std::span<const uint8_t> bytes);

class MissionList {
 public:
  // Duplicate names are reported to `log`, or to "GameEngine.log" in the current folder.
  explicit MissionList(GameLog* log = nullptr) : log_(log) {}
  void SetLog(GameLog* log) { log_ = log; }

  // 1 when added; 0 (and a log line) when a mission of that name exists.
  int Add(std::string_view name, std::string_view description, int32_t kind,
          std::string_view target, int32_t required, int32_t autoCheck, int32_t completionFlag);
  // An item gained or a role killed; with the flag, kill-any missions count it too. 1 when any
  // mission counted it.
  int ReportGained(std::string_view name, bool flag);
  // A piece of an item lost; counts may go below 0. 1 when any mission changed.
  int ReportLost(std::string_view name);
  static int CheckStatus(Mission& mission);
  int Check(std::string_view name);
  int ObjectiveCount(std::string_view name) const;
  int Count() const;
  std::array<uint8_t, kMissionRecordSize> SaveRecord(int index) const;
  void Clear() { missions_.clear(); }
  // Mission panel lines: open missions newest first, then done missions newest first.
  std::vector<std::string> PanelLines() const;

  const std::vector<Mission>& Missions() const { return missions_; }
  // Replaces every mission (loading a game).
  void SetMissions(std::vector<Mission> missions) { missions_ = std::move(missions); }

 private:
  Mission* Find(std::string_view name);
  const Mission* Find(std::string_view name) const;

  GameLog* log_;
  GameLog ownLog_;
  std::vector<Mission> missions_;
};

// The script's AddMission: adds the mission and, for a collect mission, reports every piece of
// the target item already in the bag (flag clear), which every mission with that target counts.
// A refused duplicate reports nothing, so running the same script twice never inflates counts.
int AddMission(MissionList& missions, const ItemDatabase& items, const Bag& bag,
               std::string_view name, std::string_view description, int32_t kind,
               std::string_view target, int32_t required, int32_t autoCheck,
               int32_t completionFlag);

// The panel line of one mission (rich text).
std::string MissionPanelLine(const Mission& mission);

}  // namespace isora
