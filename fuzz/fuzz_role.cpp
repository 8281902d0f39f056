// The role animation loader and frame lookups on whatever it accepts.
#include <cstddef>
#include <cstdint>

#include "roles/role_animation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  isora::RoleAnimation anim;
  if (!isora::ParseRoleAnimation(std::span<const uint8_t>(data, size), anim, nullptr)) return 0;
  for (const char* name : {"stand", "walk", "run", "fight", "die"}) {
    const int state = anim.FindState(name);
    for (int d = 0; d <= 9; ++d)
      for (int k = -1; k < 4; ++k) anim.Frame(anim.FrameIndex(state, d, k));
  }
  return 0;
}
