#include "media/ani_reader.h"

#include <cstring>

#include "foundation/byte_io.h"
#include "media/bmp_reader.h"

namespace isora {

namespace {

constexpr uint32_t kMaxFrames = 1024;
constexpr uint32_t kMaxSteps = 4096;
constexpr int kMaxCursorSide = 256;

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

bool IsTag(std::span<const uint8_t> s, const char* tag) {
  return s.size() >= 4 && std::memcmp(s.data(), tag, 4) == 0;
}

}  // namespace

bool ParseCursorResource(std::span<const uint8_t> data, CursorImage* out, std::string* error) {
  ByteReader r(data);
  uint16_t reserved = r.U16(), type = r.U16(), count = r.U16();
  if (!r.Ok() || reserved != 0 || (type != 1 && type != 2) || count == 0)
    return Fail(error, "not an icon or cursor resource");
  r.Skip(4);
  uint16_t hotX = r.U16(), hotY = r.U16();
  uint32_t bytes = r.U32(), offset = r.U32();
  if (!r.Ok() || offset > data.size() || bytes > data.size() - offset)
    return Fail(error, "cursor image outside the resource");
  auto image = data.subspan(offset, bytes);
  if (image.size() >= 8 && image[0] == 0x89 && image[1] == 'P')
    return Fail(error, "PNG cursor images are not supported");
  ByteReader h(image);
  h.U32();
  int32_t w = h.I32(), storedH = h.I32();
  if (!h.Ok() || w <= 0 || w > kMaxCursorSide || storedH < 2 || storedH > 2 * kMaxCursorSide)
    return Fail(error, "bad cursor size");
  const int height = storedH / 2;
  size_t end = 0;
  int dw = 0, dh = 0;
  std::vector<uint32_t> argb;
  std::string why;
  if (!DecodeDibArgb(image, height, &argb, &dw, &dh, &end, &why))
    return Fail(error, "cursor image: " + why);
  // The AND mask follows the colour rows: one bit per pixel, 1 = transparent, bottom-up.
  const size_t maskStride = ((static_cast<size_t>(w) + 31) / 32) * 4;
  if (end > image.size() || maskStride * height > image.size() - end)
    return Fail(error, "cursor mask outside the resource");
  bool hasAlpha = false;
  ByteReader b(image);
  b.Seek(14);
  uint16_t bits = b.U16();
  if (bits == 32)
    for (uint32_t p : argb) hasAlpha |= (p >> 24) != 0;
  for (int y = 0; y < height; ++y) {
    const uint8_t* maskRow = image.data() + end + maskStride * (height - 1 - y);
    for (int x = 0; x < w; ++x) {
      uint32_t& p = argb[static_cast<size_t>(y) * w + x];
      if (hasAlpha) continue;
      bool transparent = (maskRow[x >> 3] >> (7 - (x & 7))) & 1;
      p = transparent ? 0 : (p | 0xFF000000u);
    }
  }
  out->width = w;
  out->height = height;
  out->hotspotX = type == 2 ? std::min<int>(hotX, w - 1) : 0;
  out->hotspotY = type == 2 ? std::min<int>(hotY, height - 1) : 0;
  out->argb = std::move(argb);
  return true;
}

bool ParseAni(std::span<const uint8_t> file, AnimatedCursor* out, std::string* error) {
  *out = AnimatedCursor{};
  ByteReader r(file);
  if (!IsTag(file, "RIFF") || file.size() < 12 || !IsTag(file.subspan(8), "ACON"))
    return Fail(error, "not an animated cursor");
  r.Seek(4);
  uint64_t riffEnd = std::min<uint64_t>(uint64_t{r.U32()} + 8, file.size());
  r.Seek(12);
  uint32_t frames = 0, steps = 0, dispRate = 0, flags = 0;
  bool haveHeader = false;
  std::vector<uint32_t> rates, sequence;
  std::vector<CursorImage> images;

  while (r.Pos() + 8 <= riffEnd) {
    auto tag = file.subspan(r.Pos(), 4);
    r.Skip(4);
    uint32_t size = r.U32();
    if (size > riffEnd - r.Pos()) return Fail(error, "chunk outside the file");
    auto body = file.subspan(r.Pos(), size);
    if (IsTag(tag, "anih")) {
      ByteReader a(body);
      a.U32();
      frames = a.U32();
      steps = a.U32();
      a.Skip(16);
      dispRate = a.U32();
      flags = a.U32();
      if (!a.Ok()) return Fail(error, "short anih chunk");
      if (frames == 0 || frames > kMaxFrames || steps > kMaxSteps)
        return Fail(error, "bad frame or step count");
      if (!(flags & 1)) return Fail(error, "raw bitmap frames are not supported");
      haveHeader = true;
    } else if (IsTag(tag, "rate") || IsTag(tag, "seq ")) {
      if (size / 4 > kMaxSteps) return Fail(error, "rate or sequence too long");
      auto& v = IsTag(tag, "rate") ? rates : sequence;
      ByteReader s(body);
      for (uint32_t i = 0; i < size / 4; ++i) v.push_back(s.U32());
    } else if (IsTag(tag, "LIST") && size >= 4 && IsTag(body, "fram")) {
      ByteReader l(body);
      l.Skip(4);
      while (l.Remaining() >= 8) {
        auto sub = body.subspan(l.Pos(), 4);
        l.Skip(4);
        uint32_t n = l.U32();
        if (n > l.Remaining()) return Fail(error, "frame outside the file");
        if (IsTag(sub, "icon")) {
          if (images.size() >= kMaxFrames) return Fail(error, "too many frames");
          CursorImage img;
          std::string why;
          if (!ParseCursorResource(body.subspan(l.Pos(), n), &img, &why))
            return Fail(error, "frame " + std::to_string(images.size()) + ": " + why);
          images.push_back(std::move(img));
        }
        l.Skip(n + (n & 1) <= l.Remaining() ? n + (n & 1) : l.Remaining());
      }
    }
    r.Skip(size + (size & 1) <= r.Remaining() ? size + (size & 1) : r.Remaining());
  }
  if (!haveHeader) return Fail(error, "no anih chunk");
  if (images.size() < frames) return Fail(error, "fewer frames than announced");
  images.resize(frames);
  if (steps == 0) steps = frames;
  if (!sequence.empty() && sequence.size() < steps) return Fail(error, "short sequence");
  if (!rates.empty() && rates.size() < steps) return Fail(error, "short rate table");
  for (uint32_t i = 0; i < steps; ++i) {
    uint32_t frame = sequence.empty() ? i % frames : sequence[i];
    if (frame >= frames) return Fail(error, "sequence names a missing frame");
    uint32_t jiffies = rates.empty() ? dispRate : rates[i];
    if (jiffies == 0) jiffies = 1;
    if (jiffies > 60 * 60) jiffies = 60 * 60;
    out->steps.push_back({static_cast<int>(frame), static_cast<int>(jiffies)});
  }
  out->frames = std::move(images);
  return true;
}

}  // namespace isora
