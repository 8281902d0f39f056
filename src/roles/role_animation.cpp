#include "roles/role_animation.h"

#include "foundation/byte_io.h"
#include "foundation/file_io.h"

namespace isora {

namespace {
constexpr std::array<std::string_view, kRoleStateKinds> kStateNames{
    "", "stand", "walk", "run", "fight", "die", "dieout"};
}  // namespace

std::string_view RoleStateName(RoleStateKind kind) {
  const auto i = static_cast<size_t>(kind);
  return i < kStateNames.size() ? kStateNames[i] : std::string_view{};
}

RoleStateKind RoleStateFromName(std::string_view name) {
  for (size_t i = 0; i < kStateNames.size(); ++i)
    if (kStateNames[i] == name) return static_cast<RoleStateKind>(i);
  return RoleStateKind::kNone;
}

int RoleAnimation::FindState(std::string_view name) const {
  for (size_t i = 0; i < states.size(); ++i)
    if (states[i].stateName == name) return static_cast<int>(i);
  return -1;
}

void RoleAnimation::IndexStates() {
  for (size_t k = 0; k < kindIndex.size(); ++k)
    kindIndex[k] = FindState(RoleStateName(static_cast<RoleStateKind>(k)));
}

int RoleAnimation::FrameIndex(int state, int direction, int step) const {
  if (state < 0 || state >= static_cast<int>(states.size())) return -1;
  const RoleState& s = states[state];
  int64_t index = static_cast<int64_t>(s.firstFrame) +
                  static_cast<int64_t>(direction - 1) * s.framesPerDirection + step;
  if (index < 0 || index >= static_cast<int64_t>(frames.size())) return -1;
  return static_cast<int>(index);
}

namespace {
bool Fail(std::string* error, const char* why) {
  if (error) *error = why;
  return false;
}
}  // namespace

bool ParseRoleAnimation(std::span<const uint8_t> bytes, RoleAnimation& out, std::string* error) {
  ByteReader r(bytes);
  if (!r.Has(kRoleHeaderSize)) return Fail(error, "shorter than its header");
  const int32_t magic = r.I32();
  if (magic != kRoleFileMagic) return Fail(error, "not a role animation file (wrong magic)");
  r.Seek(24);
  const int64_t frameCount = r.I32();
  const int64_t stateCount = r.I32();
  r.Seek(kRoleHeaderSize);
  if (frameCount < 0 || stateCount < 0) return Fail(error, "negative count in the header");
  if (static_cast<uint64_t>(stateCount) * kRoleStateSize > r.Remaining())
    return Fail(error, "state count exceeds the file");
  if (static_cast<uint64_t>(frameCount) * kRoleFrameSize >
      r.Remaining() - static_cast<uint64_t>(stateCount) * kRoleStateSize)
    return Fail(error, "frame count exceeds the file");

  RoleAnimation anim;
  anim.states.reserve(static_cast<size_t>(stateCount));
  for (int64_t i = 0; i < stateCount; ++i) {
    ByteReader s(r.Span(kRoleStateSize));
    RoleState state;
    s.Skip(4);
    state.stateName = s.FixedString(52);
    state.framesPerDirection = s.I32();
    s.Seek(3184);
    state.firstFrame = s.I32();
    anim.states.push_back(std::move(state));
  }
  anim.frames.reserve(static_cast<size_t>(frameCount));
  for (int64_t i = 0; i < frameCount; ++i) {
    RoleFrame f;
    f.unused0 = r.I32();
    f.width = r.I32();
    f.height = r.I32();
    f.image = r.FixedString(32);
    anim.frames.push_back(std::move(f));
  }
  if (!r.Ok()) return Fail(error, "truncated");
  anim.IndexStates();
  out = std::move(anim);
  return true;
}

LoadedAnimation LoadRoleAnimation(const std::string& path) {
  LoadedAnimation out;
  auto animation = std::make_shared<RoleAnimation>();
  if (auto bytes = ReadFileBytes(NativePath(path))) {
    out.readable = true;
    out.loaded = ParseRoleAnimation(*bytes, *animation, &out.error);
  }
  out.animation = std::move(animation);
  return out;
}

const LoadedAnimation& RoleAnimationCache::Load(const std::string& path) {
  auto it = files_.find(path);
  if (it == files_.end()) it = files_.emplace(path, LoadRoleAnimation(path)).first;
  return it->second;
}

}  // namespace isora
