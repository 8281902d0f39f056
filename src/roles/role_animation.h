// The role animation file (".pmg"): a 2532-byte header, then the state table (3188 bytes per
// state) and the frame table (44 bytes per frame). The frame of state s, direction d (1..8) and
// step k is firstFrame + (d - 1) * framesPerDirection + k.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace isora {

constexpr int32_t kRoleFileMagic = 8077;
constexpr size_t kRoleHeaderSize = 2532;
constexpr size_t kRoleStateSize = 3188;
constexpr size_t kRoleFrameSize = 44;

// What a role is doing. The animation file names its states; the role keeps only this value and
// turns it back into the name to find the animation and to report the state. kNone is a role
// not yet updated (the empty name); kDieOut is a role whose death has played out, which no file
// animates.
enum class RoleStateKind : uint8_t { kNone, kStand, kWalk, kRun, kFight, kDie, kDieOut };
constexpr int kRoleStateKinds = 7;

// "", "stand", "walk", "run", "fight", "die" or "dieout".
std::string_view RoleStateName(RoleStateKind kind);
// The kind named exactly (case-sensitive) so; kNone for any other name.
RoleStateKind RoleStateFromName(std::string_view name);

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
  // For each kind, the index of the first state with its name, -1 when none; filled by
  // IndexStates (ParseRoleAnimation calls it), so a role finds its animation without comparing
  // names every frame.
  std::array<int, kRoleStateKinds> kindIndex{-1, -1, -1, -1, -1, -1, -1};

  // Index of the state with exactly this name, -1 when none.
  int FindState(std::string_view name) const;
  // The same for a kind, from the index.
  int FindState(RoleStateKind kind) const { return kindIndex[static_cast<size_t>(kind)]; }
  void IndexStates();
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

// The parsed animation of a file as roles load it: read once per file while the cache lives
// (the game empties it whenever it builds a world, so edited files are read again), and shared
// by every role made from it.
struct LoadedAnimation {
  std::shared_ptr<const RoleAnimation> animation;  // never null; empty when not loaded
  bool loaded = false;
  bool readable = false;  // the file could be read (it may still have been rejected)
  std::string error;      // why a readable file was rejected
};

// Reads and parses a file (a game path) without any cache.
LoadedAnimation LoadRoleAnimation(const std::string& path);

class RoleAnimationCache {
 public:
  const LoadedAnimation& Load(const std::string& path);
  void Clear() { files_.clear(); }
  size_t Size() const { return files_.size(); }

 private:
  std::map<std::string, LoadedAnimation> files_;
};

}  // namespace isora
