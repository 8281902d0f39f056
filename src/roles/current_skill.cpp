#include "roles/current_skill.h"

#include <algorithm>

#include "media/renderer.h"
#include "roles/role_graphics.h"

namespace isora {

bool CurrentSkill::SetSkill(int id, int level) {
  if (id <= 0) {
    skillId_ = id;
    level_ = 1;
    return false;
  }
  if (effectActive_ || id > skills_.Count() - 1) return false;
  skillId_ = id;
  record_ = skills_.Get(id);
  level_ = std::min(level, record_.maxLevel);
  return true;
}

void CurrentSkill::StartEffect(int x, int y) {
  if (!HasSkill() || record_.effectFrameCount <= 0) return;
  effectX_ = x;
  effectY_ = y;
  effectActive_ = true;
  AdvanceEffect();
}

void CurrentSkill::AdvanceEffect() {
  ++effectFrame_;
  // The record holds 20 names at most, whatever its count says.
  const int count = std::min(record_.effectFrameCount, kSkillEffectFrames);
  if (effectFrame_ >= count) {
    effectFrame_ = -1;
    effectActive_ = false;
    return;
  }
  if (!graphics_) return;
  const std::string& image = record_.effectFrames[effectFrame_];
  Size size = graphics_->PictureSize(kPackSkill, image);
  graphics_->DrawPicture(kPackSkill, image, false, kRoleLayer, effectX_ - size.cx / 2,
                         effectY_ - size.cy / 2, false);
}

}  // namespace isora
