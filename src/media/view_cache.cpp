#include "media/view_cache.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace isora {

void ViewCache::Clear() {
  base_.Release();
  baseValid_ = false;
  framesSame_ = 0;
  key_ = Key{};
}

void ViewCache::Compose(Surface& dst, const ComposeLayer& ground, const ComposeLayer& roles,
                        const ComposeLayer& objects) {
  const ComposeLayer all[] = {ground, roles, objects};
  reused_ = false;
  // Kept only for the play view's shape: the ground plain and wholly under the view, the layers
  // the view's size, none of them the destination.
  const Rect view = dst.Bounds();
  const bool fits =
      ground.source && roles.source && objects.source && !ground.keyed && roles.keyed &&
      &dst != ground.source && &dst != roles.source && &dst != objects.source &&
      ground.srcRect.Width() == view.Width() && ground.srcRect.Height() == view.Height() &&
      ground.srcRect.Intersect(ground.source->Bounds()) == ground.srcRect &&
      roles.srcRect.Width() == view.Width() && roles.srcRect.Height() == view.Height() &&
      objects.srcRect.Width() == view.Width() && objects.srcRect.Height() == view.Height() &&
      roles.source->TracksInk() && roles.source->HasColorKey();
  if (!fits) {
    baseValid_ = false;
    framesSame_ = 0;
    key_ = Key{};
    dst.Compose(0, 0, all);
    return;
  }
  const Key key{ground.source,
                objects.source,
                ground.source->Generation(),
                objects.source->Generation(),
                ground.srcRect,
                objects.srcRect,
                view.Width(),
                view.Height(),
                dst.Format()};
  if (!(key == key_)) {
    key_ = key;
    framesSame_ = 0;
    baseValid_ = false;
  }
  if (!baseValid_ && ++framesSame_ < kFramesBeforeKeeping) {
    dst.Compose(0, 0, all);
    return;
  }
  // Where the role layer holds only key, the three layers give what the kept view holds; its
  // inked tiles are composed again, run by run along each row of tiles. When roles cover much of
  // the view, composing it whole costs less than the copy and the runs.
  const Surface& layer = *roles.source;
  const Rect area = roles.srcRect.Intersect(layer.Bounds());
  const int tile = Surface::kInkTile;
  std::vector<Rect> runs;
  int64_t covered = 0;
  for (int ty = area.top / tile; !area.Empty() && ty * tile < area.bottom; ++ty) {
    const int top = std::max(area.top, ty * tile), bottom = std::min(area.bottom, ty * tile + tile);
    for (int tx = area.left / tile; tx * tile < area.right;) {
      if (!layer.InkedAt(tx * tile, ty * tile)) {
        ++tx;
        continue;
      }
      const int start = tx;
      while (tx * tile < area.right && layer.InkedAt(tx * tile, ty * tile)) ++tx;
      const int left = std::max(area.left, start * tile), right = std::min(area.right, tx * tile);
      // The run in view coordinates.
      runs.push_back(Rect{left - roles.srcRect.left, top - roles.srcRect.top,
                          right - roles.srcRect.left, bottom - roles.srcRect.top});
      covered += static_cast<int64_t>(right - left) * (bottom - top);
    }
  }
  if (covered * 3 > static_cast<int64_t>(view.Width()) * view.Height()) {
    dst.Compose(0, 0, all);
    return;
  }
  if (!baseValid_) {
    if (base_.Width() != view.Width() || base_.Height() != view.Height() ||
        base_.Format() != dst.Format())
      base_ = Surface(view.Width(), view.Height(), dst.Format());
    const ComposeLayer under[] = {ground, objects};
    base_.Compose(0, 0, under);
    baseValid_ = true;
  }
  reused_ = true;
  dst.BltFast(0, 0, base_, base_.Bounds(), kBltNoColorKey);
  auto part = [](const ComposeLayer& l, const Rect& r) {
    return ComposeLayer{l.source,
                        Rect{l.srcRect.left + r.left, l.srcRect.top + r.top,
                             l.srcRect.left + r.right, l.srcRect.top + r.bottom},
                        l.keyed};
  };
  for (const Rect& r : runs) {
    const ComposeLayer parts[] = {part(ground, r), part(roles, r), part(objects, r)};
    dst.Compose(r.left, r.top, parts);
  }
}

}  // namespace isora
