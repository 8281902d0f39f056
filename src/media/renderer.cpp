#include "media/renderer.h"

#include <algorithm>
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

namespace {
struct SurfaceSpec {
  int width, height;
  bool keyed;
  const char* failure;
};
constexpr SurfaceSpec kSurfaceSpecs[kSurfaceCount] = {
    {640, 480, false, "Create Primary Surface...  failed!"},
    {640, 480, false, "Create Buffer Surface...  failed!"},
    {kWorldWidth, kWorldHeight, false, "Create Layer Surface...  failed!"},
    {kRoleLayerWidth, kRoleLayerHeight, true, "Create Layer Surface...  failed!"},
    {kWorldWidth, kWorldHeight, true, "Create Layer Surface...  failed!"},
    {640, 640, true, "Create Tile Surface...  failed!"},
    {2048, 1600, true, "Create Object Surface...  failed!"},
    {640, 480, true, "Create Temp Surface...  failed!"},
};
// Made on first use: the primary (the platform shows the back buffer itself), the three world
// layers and the object sheet.
constexpr bool MadeOnFirstUse(int index) {
  return index == kSurfacePrimary || index == kSurfaceGround || index == kSurfaceLayer3 ||
         index == kSurfaceLayer4 || index == kSurfaceObjects;
}
}  // namespace

Surface* Renderer::MakeSurface(int index) const {
  const SurfaceSpec& s = kSurfaceSpecs[index];
  try {
    auto surface = std::make_unique<Surface>(s.width, s.height, format_);
    if (s.keyed) surface->SetColorKey(ColorKey());
    // The world layers above the ground are mostly key: fills and copies pass over the rest.
    if (index == kSurfaceLayer3 || index == kSurfaceLayer4) surface->TrackInk();
    surfaces_[index] = std::move(surface);
  } catch (const std::bad_alloc&) {
    log_.WriteText(s.failure);
    return nullptr;
  }
  return surfaces_[index].get();
}

bool Renderer::Init(Platform* platform) {
  Release();
  platform_ = platform;
  for (int index = 0; index < kSurfaceCount; ++index) {
    if (MadeOnFirstUse(index)) continue;
    if (!MakeSurface(index)) {
      Release();
      return false;
    }
  }
  log_.WriteText(GetPixelMasks() == kPixelMasks565 ? "it's 565" : "it's 555");
  textFont_ = Font::Create("Segoe UI", 18, 400);
  log_.WriteText("Init DDraw succeed!");
  initialized_ = true;
  return true;
}

void Renderer::Release() {
  backFillPending_ = false;
  for (int i = kSurfaceCount - 1; i >= 0; --i) surfaces_[i].reset();
  initialized_ = false;
}

bool Renderer::RestoreAll() { return initialized_; }

bool Renderer::Flip() {
  if (!initialized_) return false;
  const Surface* back = GetSurface(kSurfaceBackBuffer);
  return platform_ ? platform_->Present(*back) : true;
}

void Renderer::FillBackBufferOnUse(uint16_t value) {
  backFillPending_ = true;
  backFillValue_ = value;
}

Surface* Renderer::GetSurface(int index) {
  return const_cast<Surface*>(static_cast<const Renderer*>(this)->GetSurface(index));
}
const Surface* Renderer::GetSurface(int index) const {
  if (index < 0 || index >= kSurfaceCount || !initialized_) return nullptr;
  if (index == kSurfaceBackBuffer && backFillPending_) {
    backFillPending_ = false;
    surfaces_[index]->Fill(backFillValue_);
  }
  if (!surfaces_[index] && MadeOnFirstUse(index)) return MakeSurface(index);
  return surfaces_[index].get();
}

bool Renderer::HasSurface(int index) const {
  return index >= 0 && index < kSurfaceCount && surfaces_[index] != nullptr;
}

void Renderer::ReleaseObjectSheet() { surfaces_[kSurfaceObjects].reset(); }

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

Point Renderer::SurfaceOrigin(int index) const {
  return index == kSurfaceLayer3 ? roleLayerOrigin_ : Point{};
}

Rect Renderer::OnSurface(int index, const Rect& r) const {
  const Point o = SurfaceOrigin(index);
  return Rect{r.left - o.x, r.top - o.y, r.right - o.x, r.bottom - o.y};
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
        CachedPicture& picture = cache.emplace(key, CachedPicture{}).first->second;
        const Size size = BmpSize(*bytes);
        if (size.cx > kMaxPictureSide || size.cy > kMaxPictureSide) {
          // Kept as an empty entry, so later draws neither read the pack nor log again.
          picture.refused = true;
          log_.WriteText(
              WinFormat("picture (bmp:)%s in (epk:)%s is %dx%d, larger than any "
                        "surface; it is not drawn",
                        name.c_str(), PackPath(pack).c_str(), size.cx, size.cy));
          return 0;
        }
        picture.size = size;
        picture.bytes = std::move(*bytes);
        fileBytes_ += picture.bytes.size();
        KeepDecodedIfSmaller(picture);
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

Renderer::CachedPicture* Renderer::Entry(int pack, const std::string& name, bool keep) {
  auto& cache = Cache(keep);
  const std::string key = Key(pack, name);
  auto it = cache.find(key);
  if (it == cache.end()) {
    EnsureLoaded(pack, name, keep);
    it = cache.find(key);
  }
  return it == cache.end() || it->second.refused ? nullptr : &it->second;
}

const std::vector<uint8_t>* Renderer::PictureBytes(int pack, const std::string& name, bool keep) {
  CachedPicture* p = Entry(pack, name, keep);
  return p && !p->bytes.empty() ? &p->bytes : nullptr;
}

void Renderer::KeepDecodedIfSmaller(CachedPicture& picture) {
  BmpInfo info;
  if (!ParseBmp(picture.bytes, &info) || info.compression == 1 || info.compression == 2) return;
  const size_t pixels = static_cast<size_t>((info.Width() + 15) & ~15) * info.Height() * 2;
  if (pixels > picture.bytes.size()) return;
  // A build loads hundreds of role frames of a few sizes, most of them kept as runs: they are
  // decoded into one surface kept for the next picture of the same size, which every pixel of
  // the picture overwrites (and whose padding no picture ever writes), instead of a new
  // zero-filled one each.
  Surface& decoded = loadScratch_;
  if (decoded.Width() != info.Width() || decoded.Height() != info.Height() ||
      decoded.Format() != format_) {
    if (static_cast<uint64_t>(info.Width()) * info.Height() > kMaxLoadScratchPixels) {
      decoded = Surface();
      if (!DecodeBmp(picture.bytes, format_, &decoded)) return;
    } else {
      decoded = Surface(info.Width(), info.Height(), format_);
    }
  }
  if (!DrawBmp(picture.bytes, decoded, 0, 0)) return;
  decoded.SetColorKey(ColorKey());
  fileBytes_ -= picture.bytes.size();
  std::vector<uint8_t>().swap(picture.bytes);
  if (decoded.Width() <= 0xFFFF) {
    auto spans = std::make_unique<SpanImage>(decoded);
    if (spans->SmallerThan(decoded)) {
      resident_ += spans->MemoryBytes();
      picture.spans = std::move(spans);
      // A rare large picture's surface is not kept waiting for another of its size.
      if (static_cast<uint64_t>(decoded.Width()) * decoded.Height() > kMaxLoadScratchPixels)
        decoded = Surface();
      return;
    }
  }
  auto surface = std::make_unique<Surface>(std::move(decoded));
  decoded = Surface();
  surface->TrackInk();
  surface->FindInk();
  picture.decoded = std::move(surface);
  resident_ += pixels;
}

void Renderer::DropDecoded(PictureMap& cache) {
  for (auto& [key, picture] : cache) {
    // Pixels that stand in for their file stay; only those beside a file can be made again.
    if (!picture.decoded || picture.bytes.empty()) continue;
    decodedBytes_ -= static_cast<size_t>(picture.decoded->Pitch()) * picture.decoded->Height() * 2;
    picture.decoded.reset();
  }
}

const Surface* Renderer::Decoded(CachedPicture& picture) {
  if (picture.decoded) return picture.decoded.get();
  if (picture.spans) {
    picture.spans->Expand(&expanded_);
    return &expanded_;
  }
  if (picture.undecodable) return nullptr;
  // Run-length pictures too: their decoding fills the picture's whole area first, so the
  // pixels are the same at every draw and need not be decoded again.
  auto surface = std::make_unique<Surface>();
  if (!DecodeBmp(picture.bytes, format_, surface.get())) {
    picture.undecodable = true;
    return nullptr;
  }
  // Keyed copies of a picture pass over its wholly transparent tiles.
  surface->SetColorKey(ColorKey());
  surface->TrackInk();
  surface->FindInk();
  const size_t size = static_cast<size_t>(surface->Pitch()) * surface->Height() * 2;
  // Past the budget the ordinary pictures' pixels go first, then the kept ones; they are
  // decoded again from their bytes when next drawn.
  if (decodedBytes_ + size > decodedBudget_) DropDecoded(cacheB_);
  if (decodedBytes_ + size > decodedBudget_) DropDecoded(cacheA_);
  decodedBytes_ += size;
  picture.decoded = std::move(surface);
  return picture.decoded.get();
}

const Surface* Renderer::DecodedPicture(int pack, const std::string& name, bool keep) {
  CachedPicture* p = Entry(pack, name, keep);
  return p ? Decoded(*p) : nullptr;
}

bool Renderer::BlitPicture(int pack, const std::string& name, bool keep, int surface, int x,
                           int y) {
  Surface* dst = GetSurface(surface);
  CachedPicture* picture = dst ? Entry(pack, name, keep) : nullptr;
  if (!picture) return false;
  const Point o = SurfaceOrigin(surface);
  if (picture->spans) {
    picture->spans->DrawKeyed(*dst, x - o.x, y - o.y);
    return true;
  }
  const Surface* decoded = Decoded(*picture);
  if (!decoded) return false;
  dst->BltFast(x - o.x, y - o.y, *decoded, decoded->Bounds(), kBltSrcColorKey);
  return true;
}

bool Renderer::DrawPictureTo(int pack, const std::string& name, int surface, int x, int y,
                             bool keep) {
  Surface* dst = GetSurface(surface);
  CachedPicture* picture = Entry(pack, name, keep);
  if (!dst || !picture) return false;
  // Opaque draws are mostly one-off (tiles, the object sheet, splash pictures): they decode
  // straight onto the destination unless the picture's pixels are at hand already.
  const Point o = SurfaceOrigin(surface);
  if (picture->decoded || picture->spans) {
    const Surface* pixels = Decoded(*picture);
    dst->BltFast(x - o.x, y - o.y, *pixels, pixels->Bounds(), kBltNoColorKey);
    return true;
  }
  std::string why;
  if (!DrawBmp(picture->bytes, *dst, x - o.x, y - o.y, &why)) {
    log_.WriteText(WinFormat("can not draw (bmp:)%s in (epk:)%s", name.c_str(),
                             PackPath(pack).c_str(), why.c_str()));
    return false;
  }
  return true;
}

bool Renderer::DrawPicture(int pack, const std::string& name, int surface, int x, int y,
                           bool keep) {
  Surface* dst = GetSurface(surface);
  if (!dst) return false;
  CachedPicture* picture = Entry(pack, name, keep);
  if (!picture) return false;
  const Point o = SurfaceOrigin(surface);
  if (picture->spans) {
    picture->spans->DrawKeyed(*dst, x - o.x, y - o.y);
    ReleaseScratch(picture->spans->Bounds());
    return true;
  }
  const Surface* decoded = Decoded(*picture);
  if (!decoded) {
    // Pictures that decode only onto a surface go through the scratch corner as designed.
    const Rect used{0, 0, picture->size.cx, picture->size.cy};
    Surface& corner = CornerScratch(picture->size);
    if (!DrawThroughCorner(pack, name, *picture, corner)) return false;
    dst->BltFast(x - o.x, y - o.y, corner, used, kBltSrcColorKey);
    ReleaseScratch(used);
    return true;
  }
  dst->BltFast(x - o.x, y - o.y, *decoded, decoded->Bounds(), kBltSrcColorKey);
  ReleaseScratch(decoded->Bounds());
  return true;
}

bool Renderer::DrawPictureLit(int pack, const std::string& name, int surface, int x, int y) {
  Surface* dst = GetSurface(surface);
  if (!dst) return false;
  const Point o = SurfaceOrigin(surface);
  const Surface* decoded = DecodedPicture(pack, name);
  if (!decoded) {
    CachedPicture* picture = Entry(pack, name, false);
    if (!picture) return false;
    const Rect used{0, 0, picture->size.cx, picture->size.cy};
    Surface& corner = CornerScratch(picture->size);
    if (!DrawThroughCorner(pack, name, *picture, corner)) return false;
    BrightenPixels(corner, used);
    dst->BltFast(x - o.x, y - o.y, corner, used, kBltSrcColorKey);
    ReleaseScratch(used);
    return true;
  }
  if (litScratch_.Width() != decoded->Width() || litScratch_.Height() != decoded->Height())
    litScratch_ = Surface(decoded->Width(), decoded->Height(), format_);
  litScratch_.BltFast(0, 0, *decoded, decoded->Bounds(), kBltNoColorKey);
  BrightenPixels(litScratch_, litScratch_.Bounds());
  litScratch_.SetColorKey(ColorKey());
  dst->BltFast(x - o.x, y - o.y, litScratch_, litScratch_.Bounds(), kBltSrcColorKey);
  ReleaseScratch(litScratch_.Bounds());
  return true;
}

bool Renderer::DrawThroughCorner(int pack, const std::string& name, const CachedPicture& picture,
                                 Surface& corner) {
  std::string why;
  if (DrawBmp(picture.bytes, corner, 0, 0, &why)) return true;
  log_.WriteText(WinFormat("can not draw (bmp:)%s in (epk:)%s", name.c_str(),
                           PackPath(pack).c_str(), why.c_str()));
  return false;
}

// The map's top-left corner of the role layer, size by size, as the layer holds it (key where
// the layer does not reach): a run-length picture decoded over it keeps it where it skips.
Surface& Renderer::CornerScratch(Size size) {
  const int w = std::max(size.cx, 1), h = std::max(size.cy, 1);
  if (cornerScratch_.Width() != w || cornerScratch_.Height() != h)
    cornerScratch_ = Surface(w, h, format_);
  cornerScratch_.SetColorKey(ColorKey());
  cornerScratch_.Fill(ColorKey());
  if (const Surface* layer = surfaces_[kSurfaceLayer3].get()) {
    const Rect covered = OnSurface(kSurfaceLayer3, Rect{0, 0, w, h}).Intersect(layer->Bounds());
    if (!covered.Empty())
      cornerScratch_.BltFast(covered.left + roleLayerOrigin_.x, covered.top + roleLayerOrigin_.y,
                             *layer, covered, kBltNoColorKey);
  }
  return cornerScratch_;
}

void Renderer::ReleaseScratch(const Rect& used) {
  // A layer not made yet is wholly refilled when a map is drawn, before anything reads it.
  if (surfaces_[kSurfaceLayer3])
    surfaces_[kSurfaceLayer3]->Fill(OnSurface(kSurfaceLayer3, used), ColorKey());
}

Size Renderer::GetPictureSize(int pack, const std::string& name) {
  auto it = cacheA_.find(Key(pack, name));
  if (it != cacheA_.end()) return it->second.size;
  const CachedPicture* picture = Entry(pack, name, false);
  return picture ? picture->size : Size{};
}

bool Renderer::IsCached(int pack, const std::string& name, bool keep) const {
  return (keep ? cacheA_ : cacheB_).count(Key(pack, name)) != 0;
}

const SpanImage* Renderer::CachedSpans(int pack, const std::string& name, bool keep) const {
  const PictureMap& cache = keep ? cacheA_ : cacheB_;
  auto it = cache.find(Key(pack, name));
  return it == cache.end() ? nullptr : it->second.spans.get();
}

void Renderer::ClearCache(int which) {
  ++cacheGeneration_;
  PictureMap& cache = which == kKeptPictures ? cacheA_ : cacheB_;
  DropDecoded(cache);
  for (const auto& [key, picture] : cache) {
    fileBytes_ -= picture.bytes.size();
    if (picture.decoded)
      resident_ -= static_cast<size_t>(picture.decoded->Pitch()) * picture.decoded->Height() * 2;
    if (picture.spans) resident_ -= picture.spans->MemoryBytes();
  }
  cache.clear();
}

size_t Renderer::CacheSize(int which) const { return (which == 1 ? cacheA_ : cacheB_).size(); }

void Renderer::DrawText(const std::string& gbk, int x, int y, int surface, uint32_t alignment,
                        ColorRef color) {
  if (!GetSurface(surface)) return;
  const Point o = SurfaceOrigin(surface);
  x -= o.x;
  y -= o.y;
  DeviceContext dc = GetDC(surface);
  if (textFont_) dc.SelectFont(textFont_);
  dc.SetBkMode(kBkTransparent);
  dc.SetTextAlign(alignment);
  dc.SetTextColor(color);
  dc.TextOut(x, y, gbk);
}

void Renderer::DrawTextOutlined(const std::string& gbk, int x, int y, int surface,
                                uint32_t alignment, std::span<const Point> outline,
                                ColorRef outlineColor, ColorRef color) {
  if (!GetSurface(surface)) return;
  const Point o = SurfaceOrigin(surface);
  std::vector<Point> points(outline.begin(), outline.end());
  for (Point& p : points) p = Point{p.x - o.x, p.y - o.y};
  DeviceContext dc = GetDC(surface);
  if (textFont_) dc.SelectFont(textFont_);
  dc.SetBkMode(kBkTransparent);
  dc.SetTextAlign(alignment);
  dc.SetTextColor(color);
  dc.TextOutOutlined(x - o.x, y - o.y, gbk, points, outlineColor);
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
  // The layer stays within the map, so each of its pixels is the map's pixel at that place and
  // copies that reach past the map's edge find nothing there, as with a layer of the map's size.
  roleLayerOrigin_ = Point{std::clamp(x - kRoleLayerMargin, 0, kWorldWidth - kRoleLayerWidth),
                           std::clamp(y - kRoleLayerMargin, 0, kWorldHeight - kRoleLayerHeight)};
  layer->Fill(OnSurface(kSurfaceLayer3, r), ColorKey());
}

void Renderer::SetMessageLine(const std::string& text, int countdown) {
  messageText_ = text.substr(0, 255);
  messageCountdown_ = countdown;
}

}  // namespace isora
