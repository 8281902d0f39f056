#include "roles/renderer_role_graphics.h"

#include "media/bmp_reader.h"

namespace isora {

void RendererRoleGraphics::Preload(int pack, const std::string& name, bool keep) {
  renderer_.EnsureLoaded(pack, name, keep);
}

void RendererRoleGraphics::PreloadAnimation(int pack,
                                            const std::shared_ptr<const RoleAnimation>& animation,
                                            bool keep) {
  Revalidate();
  for (const Preloaded& p : preloaded_)
    if (p.animation == animation && p.pack == pack && p.keep == keep) return;
  bool all = true;
  for (const RoleFrame& f : animation->frames) {
    renderer_.EnsureLoaded(pack, f.image, keep);
    all = all && renderer_.IsCached(pack, f.image, keep);
  }
  if (all) preloaded_.push_back(Preloaded{animation, pack, keep});
}

void RendererRoleGraphics::Revalidate() {
  if (renderer_.CacheGeneration() == cacheGeneration_) return;
  preloaded_.clear();
  found_.clear();
  lastFound_ = 0;
  cacheGeneration_ = renderer_.CacheGeneration();
}

RendererRoleGraphics::FoundFrames* RendererRoleGraphics::Found(
    int pack, const std::shared_ptr<const RoleAnimation>& animation, bool keep) {
  auto same = [&](const FoundFrames& f) {
    return f.animation == animation && f.pack == pack && f.keep == keep;
  };
  // Roles of one kind tend to follow each other in the draw list.
  if (lastFound_ < found_.size() && same(found_[lastFound_])) return &found_[lastFound_];
  for (size_t i = 0; i < found_.size(); ++i) {
    if (!same(found_[i])) continue;
    lastFound_ = i;
    return &found_[i];
  }
  found_.push_back(FoundFrames{animation, pack, keep, {}});
  found_.back().spans.assign(animation->frames.size(), nullptr);
  lastFound_ = found_.size() - 1;
  return &found_.back();
}

bool RendererRoleGraphics::DrawFrame(int pack,
                                     const std::shared_ptr<const RoleAnimation>& animation,
                                     int frame, bool keep, int layer, int x, int y, bool brighten) {
  const std::string& name = animation->frames[static_cast<size_t>(frame)].image;
  Surface* dst = brighten ? nullptr : renderer_.GetSurface(layer);
  if (!dst) return DrawPicture(pack, name, keep, layer, x, y, brighten);
  Revalidate();
  FoundFrames* found = Found(pack, animation, keep);
  const SpanImage*& spans = found->spans[static_cast<size_t>(frame)];
  // Looked up until found: a picture the cache does not hold yet is loaded by DrawPicture.
  if (!spans) spans = renderer_.CachedSpans(pack, name, keep);
  if (!spans) return DrawPicture(pack, name, keep, layer, x, y, brighten);
  const Point o = renderer_.SurfaceOrigin(layer);
  spans->DrawKeyed(*dst, x - o.x, y - o.y);
  return true;
}

bool RendererRoleGraphics::DrawPicture(int pack, const std::string& name, bool keep, int layer,
                                       int x, int y, bool brighten) {
  Surface* dst = renderer_.GetSurface(layer);
  if (!dst) return false;
  // A cached picture is copied as kept; a first draw loads it (and reports a missing one) below.
  if (!brighten && renderer_.IsCached(pack, name, keep) &&
      renderer_.BlitPicture(pack, name, keep, layer, x, y))
    return true;
  const Surface* picture = renderer_.DecodedPicture(pack, name, keep);
  if (!picture) {
    // Run-length coded pictures are decoded afresh each time.
    const std::vector<uint8_t>* bytes = renderer_.PictureBytes(pack, name, keep);
    if (!bytes || !DecodeBmp(*bytes, renderer_.Format(), &scratch_)) return false;
    scratch_.SetColorKey(renderer_.ColorKey());
    picture = &scratch_;
  }
  if (brighten) {
    // The highlight changes a copy; the cached picture stays as decoded.
    if (picture != &scratch_) {
      if (scratch_.Width() != picture->Width() || scratch_.Height() != picture->Height())
        scratch_ = Surface(picture->Width(), picture->Height(), renderer_.Format());
      scratch_.BltFast(0, 0, *picture, picture->Bounds(), kBltNoColorKey);
      scratch_.SetColorKey(renderer_.ColorKey());
      picture = &scratch_;
    }
    const bool is565 = renderer_.Format() == PixelFormat::Rgb565;
    scratch_.MarkInk(scratch_.Bounds());
    for (int row = 0; row < scratch_.Height(); ++row) {
      uint16_t* p = scratch_.Row(row);
      for (int col = 0; col < scratch_.Width(); ++col)
        p[col] = is565 ? BrightenPixel565(p[col]) : BrightenPixel555(p[col]);
    }
  }
  const Point o = renderer_.SurfaceOrigin(layer);
  dst->BltFast(x - o.x, y - o.y, *picture, picture->Bounds(), kBltSrcColorKey);
  return true;
}

Size RendererRoleGraphics::PictureSize(int pack, const std::string& name) {
  return renderer_.GetPictureSize(pack, name);
}

}  // namespace isora
