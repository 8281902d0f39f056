// The play view composed from the world layers, with what does not change kept from one frame
// to the next.
#pragma once

#include <cstdint>

#include "media/surface.h"

namespace isora {

// Composes the ground (plain), the roles (keyed) and the objects (keyed) onto a destination as
// Surface::Compose does, with the same pixels. When the view has not moved and neither the
// ground nor the objects were written for kFramesBeforeKeeping frames, the ground under the
// objects is composed once and kept: a frame copies it and composes the three layers only on
// the role layer's inked tiles. Keeping costs a frame about half a composition more, so a view
// that stays only a moment (a step's pause) is not kept.
class ViewCache {
 public:
  void Compose(Surface& dst, const ComposeLayer& ground, const ComposeLayer& roles,
               const ComposeLayer& objects);
  // Forgets the kept view and frees its pixels.
  void Clear();
  // Whether the last Compose used the kept view.
  bool LastFrameReused() const { return reused_; }
  static constexpr int kFramesBeforeKeeping = 8;

 private:
  struct Key {
    const Surface* ground = nullptr;
    const Surface* objects = nullptr;
    uint64_t groundGeneration = 0, objectsGeneration = 0;
    Rect groundRect, objectsRect;
    int width = 0, height = 0;
    PixelFormat format = PixelFormat::Rgb565;
    friend bool operator==(const Key&, const Key&) = default;
  };

  Surface base_;  // ground and objects over the view, no roles
  bool baseValid_ = false;
  bool reused_ = false;
  int framesSame_ = 0;  // frames composed in a row with key_
  Key key_;
};

}  // namespace isora
