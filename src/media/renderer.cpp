#include "media/renderer.h"

#include <new>

#include "foundation/system_hooks.h"
#include "foundation/win_format.h"
#include "media/bmp_reader.h"
#include "media/platform.h"

namespace isora {

namespace {
const std::string kNoPath;
}

Renderer::Renderer(PixelFormat format) : format_(format), log_("GameEngine.log", false) {}

Renderer::~Renderer() {
  cacheA_.clear();
  cacheB_.clear();
  Release();
}

bool Renderer::Init(Platform* platform) {
  Release();
  platform_ = platform;
  struct Step {
    int index, width, height;
    const char* failure;
  };
  static constexpr Step kSteps[] = {
      {kSurfacePrimary, 640, 480, "Create Primary Surface...  failed!"},
      {kSurfaceBackBuffer, 640, 480, "Create Buffer Surface...  failed!"},
      {kSurfaceGround, 3200, 1600, "Create Layer Surface...  failed!"},
      {kSurfaceLayer3, 3200, 1600, "Create Layer Surface...  failed!"},
      {kSurfaceLayer4, 3200, 1600, "Create Layer Surface...  failed!"},
      {kSurfaceTiles, 640, 640, "Create Tile Surface...  failed!"},
      {kSurfaceObjects, 2048, 1600, "Create Object Surface...  failed!"},
      {kSurfaceTemp, 640, 480, "Create Temp Surface...  failed!"},
  };
  for (const Step& s : kSteps) {
    try {
      surfaces_[s.index] = std::make_unique<Surface>(s.width, s.height, format_);
    } catch (const std::bad_alloc&) {
      log_.WriteText(s.failure);
      Release();
      return false;
    }
  }
  log_.WriteText(GetPixelMasks() == kPixelMasks565 ? "it's 565" : "it's 555");
  for (int index : {kSurfaceTiles, kSurfaceObjects, kSurfaceLayer3, kSurfaceTemp, kSurfaceLayer4})
    surfaces_[index]->SetColorKey(ColorKey());
  textFont_ = Font::Create("Segoe UI", 18, 400);
  log_.WriteText("Init DDraw succeed!");
  initialized_ = true;
  return true;
}

void Renderer::Release() {
  for (int i = kSurfaceCount - 1; i >= 0; --i) surfaces_[i].reset();
  initialized_ = false;
}

bool Renderer::RestoreAll() { return initialized_; }

bool Renderer::Flip() {
  if (!initialized_) return false;
  Surface& primary = *surfaces_[kSurfacePrimary];
  const Surface& back = *surfaces_[kSurfaceBackBuffer];
  primary.BltFast(0, 0, back, back.Bounds(), kBltNoColorKey);
  return platform_ ? platform_->Present(primary) : true;
}

Surface* Renderer::GetSurface(int index) {
  return index >= 0 && index < kSurfaceCount ? surfaces_[index].get() : nullptr;
}
const Surface* Renderer::GetSurface(int index) const {
  return index >= 0 && index < kSurfaceCount ? surfaces_[index].get() : nullptr;
}

DeviceContext Renderer::GetDC(int index) {
  Surface* s = GetSurface(index);
  if (!s) s = GetSurface(kSurfaceBackBuffer);
  if (!s) {
    // Before Init there is nothing to draw on; a 1×1 stand-in keeps callers safe.
    static Surface empty(1, 1);
    s = &empty;
  }
  return DeviceContext(*s);
}

void Renderer::SetPackPath(int pack, const std::string& path) {
  if (pack < 0 || pack >= kPackCount) return;
  packPaths_[pack] = path;
  if (pack == currentPack_) currentPack_ = -1;  // reopen with the new path
}

const std::string& Renderer::PackPath(int pack) const {
  return pack >= 0 && pack < kPackCount ? packPaths_[pack] : kNoPath;
}

std::string Renderer::Key(int pack, const std::string& name) { return std::to_string(pack) + name; }

int Renderer::EnsureLoaded(int pack, const std::string& name, bool keep) {
  auto& cache = Cache(keep);
  const std::string key = Key(pack, name);
  if (cache.count(key)) return 0;
  if (pack >= 0 && pack < kPackCount) {
    if (pack != currentPack_) {
      currentPack_ = package_.Open(packPaths_[pack]) ? pack : -1;
    }
    if (currentPack_ == pack && package_.Find(name) && package_.GetSize() >= 0) {
      ++packReads_;
      if (auto bytes = package_.ReadAll()) {
        cache.emplace(key, std::move(*bytes));
        return 1;
      }
    }
  }
  std::string message =
      WinFormat("can not find (bmp:)%s in (epk:)%s", name.c_str(), PackPath(pack).c_str());
  Hooks::DebugOutput(message + "\n");
  log_.WriteText(message);
  return 0;
}

const std::vector<uint8_t>* Renderer::PictureBytes(int pack, const std::string& name, bool keep) {
  EnsureLoaded(pack, name, keep);
  auto& cache = Cache(keep);
  auto it = cache.find(Key(pack, name));
  return it == cache.end() ? nullptr : &it->second;
}

bool Renderer::DrawPictureTo(int pack, const std::string& name, int surface, int x, int y,
                             bool keep) {
  Surface* dst = GetSurface(surface);
  const std::vector<uint8_t>* bytes = PictureBytes(pack, name, keep);
  if (!dst || !bytes) return false;
  std::string why;
  if (!DrawBmp(*bytes, *dst, x, y, &why)) {
    log_.WriteText(WinFormat("can not draw (bmp:)%s in (epk:)%s: %s", name.c_str(),
                             PackPath(pack).c_str(), why.c_str()));
    return false;
  }
  return true;
}

bool Renderer::DrawPicture(int pack, const std::string& name, int surface, int x, int y,
                           bool keep) {
  Surface* dst = GetSurface(surface);
  Surface* scratch = GetSurface(kSurfaceLayer3);
  if (!dst || !scratch || !DrawPictureTo(pack, name, kSurfaceLayer3, 0, 0, keep)) return false;
  Size size = BmpSize(*PictureBytes(pack, name, keep));
  const Rect used{0, 0, size.cx, size.cy};
  dst->BltFast(x, y, *scratch, used, kBltSrcColorKey);
  ReleaseScratch(used);
  return true;
}

void Renderer::ReleaseScratch(const Rect& used) {
  if (Surface* layer = GetSurface(kSurfaceLayer3)) layer->Fill(used, ColorKey());
}

Size Renderer::GetPictureSize(int pack, const std::string& name) {
  auto it = cacheA_.find(Key(pack, name));
  if (it != cacheA_.end()) return BmpSize(it->second);
  const std::vector<uint8_t>* bytes = PictureBytes(pack, name, false);
  return bytes ? BmpSize(*bytes) : Size{};
}

void Renderer::ClearCache(int which) { (which == kKeptPictures ? cacheA_ : cacheB_).clear(); }

size_t Renderer::CacheSize(int which) const { return (which == 1 ? cacheA_ : cacheB_).size(); }

void Renderer::DrawText(const std::string& gbk, int x, int y, int surface, uint32_t alignment,
                        ColorRef color) {
  if (!GetSurface(surface)) return;
  DeviceContext dc = GetDC(surface);
  if (textFont_) dc.SelectFont(textFont_);
  dc.SetBkMode(kBkTransparent);
  dc.SetTextAlign(alignment);
  dc.SetTextColor(color);
  dc.TextOut(x, y, gbk);
}

Size Renderer::TextExtent(const std::string& gbk) const {
  if (!textFont_) return Size{};
  return Size{textFont_->TextWidth(gbk), textFont_->Metrics().tmHeight};
}

bool Renderer::BltClipped(int dst, int dstWidth, int dstHeight, int src, uint32_t flags, int x,
                          int y, int sx, int sy, int w, int h) {
  Surface* d = GetSurface(dst);
  const Surface* s = GetSurface(src);
  if (!d || !s) return false;
  if (x < 0) {
    sx -= x;
    w += x;
    x = 0;
  }
  if (y < 0) {
    sy -= y;
    h += y;
    y = 0;
  }
  if (x + w > dstWidth) w = dstWidth - x;
  if (y + h > dstHeight) h = dstHeight - y;
  if (w <= 0 || h <= 0) return false;
  return d->BltFast(x, y, *s, Rect{sx, sy, sx + w, sy + h}, flags);
}

void Renderer::ClearLayerAroundView(int x, int y) {
  Surface* layer = GetSurface(kSurfaceLayer3);
  if (!layer) return;
  Rect r{x - 10, y - 10, x + 650, y + 490};
  if (x < 10) r.left = x;
  if (y < 10) r.top = y;
  if (r.right > 3199) r.right = x + 640;
  if (r.bottom > 1599) r.bottom = y + 480;
  layer->Fill(r, ColorKey());
}

void Renderer::SetMessageLine(const std::string& text, int countdown) {
  messageText_ = text.substr(0, 255);
  messageCountdown_ = countdown;
}

}  // namespace isora
