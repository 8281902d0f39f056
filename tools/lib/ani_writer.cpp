#include "lib/ani_writer.h"

#include "foundation/byte_io.h"

namespace isora {

std::vector<uint8_t> WriteCursorResource(const CursorFrame& f) {
  const uint32_t maskStride = ((static_cast<uint32_t>(f.width) + 31) / 32) * 4;
  const uint32_t dibBytes =
      40 + static_cast<uint32_t>(f.width) * f.height * 4 + maskStride * f.height;
  ByteWriter w;
  w.U16(0);
  w.U16(2);  // cursor
  w.U16(1);
  w.U8(static_cast<uint8_t>(f.width));
  w.U8(static_cast<uint8_t>(f.height));
  w.U8(0);
  w.U8(0);
  w.U16(static_cast<uint16_t>(f.hotspotX));
  w.U16(static_cast<uint16_t>(f.hotspotY));
  w.U32(dibBytes);
  w.U32(6 + 16);
  // The DIB: doubled height for the colour rows and the mask rows.
  w.U32(40);
  w.I32(f.width);
  w.I32(f.height * 2);
  w.U16(1);
  w.U16(32);
  w.U32(0);
  w.U32(0);
  w.U32(0);
  w.U32(0);
  w.U32(0);
  w.U32(0);
  for (int y = f.height - 1; y >= 0; --y)
    for (int x = 0; x < f.width; ++x) w.U32(f.argb[static_cast<size_t>(y) * f.width + x]);
  for (int y = f.height - 1; y >= 0; --y) {
    std::vector<uint8_t> row(maskStride, 0);
    for (int x = 0; x < f.width; ++x)
      if ((f.argb[static_cast<size_t>(y) * f.width + x] >> 24) < 128)
        row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    w.Bytes(row);
  }
  return w.Take();
}

namespace {
void Chunk(ByteWriter& w, const char* tag, const std::vector<uint8_t>& body) {
  w.Bytes(tag, 4);
  w.U32(static_cast<uint32_t>(body.size()));
  w.Bytes(body);
  if (body.size() & 1) w.U8(0);
}
}  // namespace

std::vector<uint8_t> WriteAni(const std::vector<CursorFrame>& frames,
                              const std::vector<int>& sequence, const std::vector<int>& rates) {
  const uint32_t steps = static_cast<uint32_t>(sequence.empty() ? frames.size() : sequence.size());
  ByteWriter anih;
  anih.U32(36);
  anih.U32(static_cast<uint32_t>(frames.size()));
  anih.U32(steps);
  anih.U32(0);
  anih.U32(0);
  anih.U32(0);
  anih.U32(0);
  anih.U32(10);
  anih.U32(1 | (sequence.empty() ? 0 : 2));
  ByteWriter body;
  body.Bytes("ACON", 4);
  Chunk(body, "anih", anih.Take());
  if (!rates.empty()) {
    ByteWriter r;
    for (int v : rates) r.U32(static_cast<uint32_t>(v));
    Chunk(body, "rate", r.Take());
  }
  if (!sequence.empty()) {
    ByteWriter s;
    for (int v : sequence) s.U32(static_cast<uint32_t>(v));
    Chunk(body, "seq ", s.Take());
  }
  ByteWriter list;
  list.Bytes("fram", 4);
  for (const CursorFrame& f : frames) Chunk(list, "icon", WriteCursorResource(f));
  Chunk(body, "LIST", list.Take());
  ByteWriter out;
  out.Bytes("RIFF", 4);
  out.U32(static_cast<uint32_t>(body.Size()));
  out.Bytes(body.Data());
  return out.Take();
}

}  // namespace isora
