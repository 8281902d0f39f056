// Writes data\npc.npc, from parsed records or from a JSON description.
//
// JSON source of `isora-kit npc build SRC.json OUT` (texts UTF-8, written as GBK): an object
// {"records": [ {...}, ... ]}, one object per record in file order (record numbers start at 1),
// every field optional (0 or empty when omitted):
//
//   {"roleName": "Guard", "kind": 0, "wanders": 1, "animationFile": "guard.pmg",
//    "portrait": "NULL", "clickScript": "", "hp": 120, "attack": 8, "fightMode": 0,
//    "drops": [3, 0, 0, 0], "startDirection": 4,
//    "talkLines": ["Hello.", "Move along."], "talkMode": 0, "expValue": 20, "skillId": 0,
//    "rememberDeath": 0, "startSound": "", "deathScript": "", "factionName": "",
//    "title": "", "enmityGain": 0, "unused0": 0, "word24": 0}
//
// Field widths (bytes of GBK including the terminator): roleName 20, animationFile 15,
// portrait 15, clickScript 18, talk lines 200, startSound 15, deathScript 15, factionName 21,
// title 21; longer texts are refused. talkLines holds at most 10 lines; when fewer are given,
// the end marker "*/*" is written after them. kind: > 3 shopkeeper of item type kind - 4, 2
// hostile while the player's moral is below 0. fightMode 1: hostile from creation. drops:
// item ids for the rolls 0-10, 11-29, 30-59, 60-99. startDirection: direction - 1 (0 north,
// 2 east, 4 south, 6 west). talkMode: 0 cycle, 1 stop at the last line, 2 random, 3 silent.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "roles/npc_record.h"

namespace isora {

std::vector<uint8_t> WriteNpcRecord(const NpcRecord& record);
// The whole file: magic, four zero bytes, the records.
std::vector<uint8_t> WriteNpcFile(const std::vector<NpcRecord>& records);

bool BuildNpcRecordsFromJson(const nlohmann::json& src, std::vector<NpcRecord>& out,
                             std::string* error);

// Every field of one record.
nlohmann::json NpcRecordToJson(const NpcRecord& record);

}  // namespace isora
