// Writing and reading save files. A save is written whole to a temporary file and renamed over
// the slot; a save that is short or damaged anywhere is refused as a whole.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "foundation/clock.h"
#include "save/save_data.h"

namespace isora {

class GameLog;

constexpr int kSaveSlots = 6;

// The file's bytes. Texts longer than their fields are cut; the three tables are written in
// ascending byte order of their keys.
std::vector<uint8_t> EncodeSave(const SaveData& data);
// The debugger trace a save writes while it stores its parts, one line per part, in order.
std::vector<std::string> SaveProgressTrace(const SaveData& data);
// Parses a whole save. On failure returns false with *error set and leaves `out` untouched.
bool DecodeSave(std::span<const uint8_t> bytes, SaveData& out, std::string* error = nullptr);

// "%d/%d/%d-%d:%d:%d" of the local time.
std::string FormatSaveTimeStamp(const SystemTime& utc);

// Game path of a slot's file: "saves\%d.sav".
std::string SaveSlotPath(int slot);

// Writes a save to a native path, creating its folder; the previous file stays intact until the
// new one is complete.
bool WriteSaveFile(const std::string& nativePath, const SaveData& data);
// Reads a save from a native path; false (with a log line when `log` is given) when it is
// missing, lacks the magic, or is damaged. `out` is changed only on success.
bool ReadSaveFile(const std::string& nativePath, SaveData& out, GameLog* log = nullptr);

struct SaveSlotSummary {
  std::string mapName;
  std::string timeStamp;
};
// The map name and time stamp of a slot file (native path); nothing when the file does not exist,
// lacks the magic or is too short to hold them.
std::optional<SaveSlotSummary> ReadSlotSummary(const std::string& nativePath);
// A slot is valid when its file exists and begins with the magic.
bool IsValidSaveSlot(const std::string& nativePath);
// The slot panel's label: "%s(%s)" with map name and time stamp, or "No Saved Data".
std::string SaveSlotLabel(const std::string& nativePath);

}  // namespace isora
