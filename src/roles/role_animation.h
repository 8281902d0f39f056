// The role animation file (".pmg"): a 2532-byte header, then the state table (3188 bytes per
// state) and the frame table (44 bytes per frame). The frame of state s, direction d (1..8) and
// step k is firstFrame + (d - 1) * framesPerDirection + k.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace isora {

constexpr int32_t kRoleFileMagic = 8077;
constexpr size_t kRoleHeaderSize = 2532;
constexpr size_t kRoleStateSize = 3188;
constexpr size_t kRoleFrameSize = 44;

struct RoleState {
  std::string stateName;  // "stand", "walk", "run", "fight" or "die"
  int32_t framesPerDirection = 0;
  int32_t firstFrame = 0;
};

struct RoleFrame {
  int32_t unused0 = 0;
  int32_t width = 0;
  int32_t height = 0;
  std::string image;  // picture name in the "role" pack
};

struct RoleAnimation {
  std::vector<RoleState> states;
  std::vector<RoleFrame> frames;

  // Index of the state with exactly this name, -1 when none.
  int FindState(const std::string& name) const;
  // The frame index for a state, direction and step; -1 when the state is missing or the index
  // falls outside the frame table (a damaged file never indexes out of bounds).
  int FrameIndex(int state, int direction, int step) const;
  const RoleFrame* Frame(int index) const {
    return index >= 0 && index < static_cast<int>(frames.size()) ? &frames[index] : nullptr;
  }
};

// Parses a whole animation file; the two counts are checked against the file's size before
// anything is allocated. False with a reason in *error on a foreign or damaged file.
bool ParseRoleAnimation(std::span<const uint8_t> bytes, RoleAnimation& out, std::string* error);

}  // namespace isora
