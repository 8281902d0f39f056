// Role drawing through the renderer: pictures from its caches, decoded into a scratch surface
// of the role's own (so the top-left of the role layer is never disturbed), brightened when
// highlighted, and copied with the colour key onto a world layer.
#pragma once

#include <memory>
#include <vector>

#include "media/renderer.h"
#include "roles/role_graphics.h"

namespace isora {

class RendererRoleGraphics : public RoleGraphics {
 public:
  explicit RendererRoleGraphics(Renderer& renderer) : renderer_(renderer) {}

  void Preload(int pack, const std::string& name, bool keep) override;
  // Skipped for an animation whose pictures were all found in the same cache, as long as the
  // caches have not been cleared since: the renderer would only find them again.
  void PreloadAnimation(int pack, const std::shared_ptr<const RoleAnimation>& animation,
                        bool keep) override;
  bool DrawPicture(int pack, const std::string& name, bool keep, int layer, int x, int y,
                   bool brighten) override;
  // Draws a frame whose picture the cache keeps as runs straight from them, found once per
  // frame instead of by name every time.
  bool DrawFrame(int pack, const std::shared_ptr<const RoleAnimation>& animation, int frame,
                 bool keep, int layer, int x, int y, bool brighten) override;
  Size PictureSize(int pack, const std::string& name) override;

 private:
  Renderer& renderer_;
  Surface scratch_;
  struct Preloaded {
    std::shared_ptr<const RoleAnimation> animation;  // held so its address stays its own
    int pack;
    bool keep;
  };
  std::vector<Preloaded> preloaded_;
  // Each frame's runs in the cache as found by DrawFrame, for as long as the caches are not
  // cleared (they are kept until then).
  struct FoundFrames {
    std::shared_ptr<const RoleAnimation> animation;  // held so its address stays its own
    int pack;
    bool keep;
    std::vector<const SpanImage*> spans;  // null: not looked up, or not kept as runs
  };
  FoundFrames* Found(int pack, const std::shared_ptr<const RoleAnimation>& animation, bool keep);
  // Forgets both lists when the caches have been cleared since they were made.
  void Revalidate();
  std::vector<FoundFrames> found_;
  size_t lastFound_ = 0;
  uint64_t cacheGeneration_ = 0;
};

}  // namespace isora
