#include "lib/package_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "foundation/byte_io.h"
#include "foundation/gbk.h"
#include "foundation/package_file.h"
#include "lib/chunk_encoder.h"
#include "support/recording_hooks.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

using test::RecordingHooks;
using test::TempDirTest;
using test::WriteFile;

std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(rng());
  return v;
}

// Runs of a few symbols with noise: compressible but not trivially.
std::vector<uint8_t> TextLike(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  const std::string words[] = {"[Panel]\r\n", "x=", "bgpic=ui\\back.bmp", "42", "\r\n", "name"};
  std::vector<uint8_t> v;
  while (v.size() < n) {
    const std::string& w = words[rng() % 6];
    v.insert(v.end(), w.begin(), w.end());
    if (rng() % 7 == 0) v.push_back(static_cast<uint8_t>(rng()));
  }
  v.resize(n);
  return v;
}

std::vector<uint8_t> Decode(const std::vector<uint8_t>& stream, size_t n) {
  std::vector<uint8_t> out(n);
  EXPECT_TRUE(DecodeChunk(stream.data(), stream.size(), out.data(), n));
  return out;
}

TEST(ChunkEncoder, RoundTripsEveryKindOfData) {
  std::vector<std::vector<uint8_t>> inputs = {
      {},
      {7},
      {1, 1},
      std::vector<uint8_t>(kPackageChunkSize, 0),
      RandomBytes(kPackageChunkSize, 1),
      TextLike(kPackageChunkSize, 2),
      TextLike(1000, 3),
      RandomBytes(3, 4),
  };
  std::vector<uint8_t> period;
  for (int i = 0; i < 5000; ++i) period.push_back(static_cast<uint8_t>(i % 3 == 0 ? 9 : i % 251));
  inputs.push_back(period);
  for (const auto& in : inputs) {
    auto stream = EncodeChunk(in);
    EXPECT_EQ(Decode(stream, in.size()), in) << in.size();
  }
}

TEST(ChunkEncoder, CompressesRepetitionAndBoundsIncompressibleData) {
  std::vector<uint8_t> zeros(kPackageChunkSize, 0);
  EXPECT_LT(EncodeChunk(zeros).size(), 16u);
  auto random = RandomBytes(kPackageChunkSize, 5);
  // At worst nine bits a byte.
  EXPECT_LE(EncodeChunk(random).size(), kPackageChunkSize * 9 / 8 + 1);
  auto text = TextLike(kPackageChunkSize, 6);
  EXPECT_LT(EncodeChunk(text).size(), text.size() / 3);
}

TEST(ChunkEncoder, FirstSymbolsFollowTheBitLayout) {
  // "aa": a literal (0 then 'a'), then a copy of length 2 from position 0: bits 1 0, no
  // position bits.
  auto stream = EncodeChunk(std::vector<uint8_t>{'a', 'a', 'a'});
  ASSERT_EQ(stream.size(), 2u);
  EXPECT_EQ(stream[0], 'a' >> 1);
  EXPECT_EQ(stream[1], static_cast<uint8_t>((('a' & 1) << 7) | 0b1000000));
}

TEST(ChunkEncoder, MembersSplitIntoIndependentChunks) {
  for (size_t n :
       {size_t{0}, kPackageChunkSize, kPackageChunkSize + 1, 3 * kPackageChunkSize + 5}) {
    auto data = TextLike(n, static_cast<uint32_t>(n));
    auto stored = CompressMember(data);
    ByteReader r(stored);
    std::vector<uint8_t> out;
    size_t chunks = 0;
    while (r.Remaining() > 0) {
      ++chunks;
      uint16_t length = r.U16();
      auto stream = r.Span(length);
      ASSERT_TRUE(r.Ok());
      size_t piece = std::min(kPackageChunkSize, n - out.size());
      std::vector<uint8_t> chunk(piece);
      ASSERT_TRUE(DecodeChunk(stream.data(), stream.size(), chunk.data(), piece));
      out.insert(out.end(), chunk.begin(), chunk.end());
    }
    EXPECT_EQ(out, data) << n;
    EXPECT_EQ(chunks, n == 0                       ? 0u
                      : n == kPackageChunkSize     ? 1u
                      : n == kPackageChunkSize + 1 ? 2u
                                                   : 4u);
  }
}

class PackageRoundTrip : public TempDirTest {
 protected:
  RecordingHooks hooks_;
};

TEST_F(PackageRoundTrip, WriterAndReaderAgreeOnEveryMember) {
  std::map<std::string, std::vector<uint8_t>> members = {
      {"empty.ini", {}},
      {"game.ini", TextLike(300, 1)},
      {"data\\random.bin", RandomBytes(100000, 2)},
      {"data\\zeros.bin", std::vector<uint8_t>(200000, 0)},
      {"data\\text.txt", TextLike(kPackageChunkSize + 1, 3)},
      {"data\\deep\\er\\x", TextLike(kPackageChunkSize, 4)},
      {Gbk(u8"脚本\\开始.gsp"), TextLike(77, 5)},
  };
  for (bool compress : {false, true}) {
    PackageWriter writer;
    std::string error;
    for (const auto& [path, bytes] : members)
      ASSERT_TRUE(writer.AddFile(path, bytes, compress, &error)) << error;
    ASSERT_TRUE(writer.AddDirectory("emptydir", &error));
    WriteFile("p.vdk", writer.Build());

    PackageFile file;
    ASSERT_TRUE(file.Open("p.vdk"));
    for (const auto& [path, bytes] : members) {
      auto out = file.ReadMember(path);
      ASSERT_TRUE(out) << path;
      EXPECT_EQ(*out, bytes) << path;
    }
    ASSERT_TRUE(file.Find("data\\zeros.bin"));
    EXPECT_EQ(file.Current()->entry.compressed != 0, compress);
    ASSERT_TRUE(file.Find("data\\random.bin"));
    EXPECT_EQ(file.Current()->entry.compressed, 0) << "incompressible data is stored plain";
    ASSERT_TRUE(file.Find("emptydir"));
    EXPECT_TRUE(file.Current()->entry.IsDirectory());
    EXPECT_TRUE(file.Root()->children.count("data"));
  }
  EXPECT_TRUE(hooks_.messageBoxes.empty());
}

TEST_F(PackageRoundTrip, WriterRefusesBadPaths) {
  PackageWriter writer;
  std::string error;
  std::vector<uint8_t> b{1};
  EXPECT_TRUE(writer.AddFile("a\\b", b, false));
  EXPECT_FALSE(writer.AddFile("a\\b", b, false, &error));
  EXPECT_FALSE(writer.AddFile("a\\b\\c", b, false, &error));
  EXPECT_FALSE(writer.AddDirectory("a\\b", &error));
  EXPECT_FALSE(writer.AddFile("a", b, false, &error));
  for (const char* bad : {"", "a\\\\c", "..\\x", "a\\.", "x\\", "a/b"})
    EXPECT_FALSE(writer.AddFile(bad, b, false, &error)) << bad;
  EXPECT_TRUE(writer.AddDirectory("a"));
}

TEST_F(PackageRoundTrip, DamagedCompressedMembersFailCleanly) {
  PackageWriter writer;
  auto data = TextLike(3 * kPackageChunkSize, 9);
  ASSERT_TRUE(writer.AddFile("m", data, true));
  auto pkg = writer.Build();
  std::mt19937 rng(11);
  PackageFile file;
  int failures = 0;
  for (int round = 0; round < 200; ++round) {
    auto damaged = pkg;
    // Flip bytes inside the member's data (after the 12 + 24 + 2 directory bytes).
    for (int k = 0; k < 3; ++k) damaged[38 + rng() % (damaged.size() - 38)] ^= 1u << (rng() % 8);
    WriteFile("d.vdk", damaged);
    ASSERT_TRUE(file.Open("d.vdk"));
    if (!file.ReadMember("m")) ++failures;
  }
  EXPECT_GT(failures, 0);
}

TEST_F(PackageRoundTrip, PackDirectoryKeepsTheTree) {
  WriteFile("src/game.ini", "[A]\r\nx=1\r\n");
  WriteFile("src/data/items.itm", std::string(5000, 'i'));
  WriteFile("src/脚本/a.gsp", "Say(1)");
  std::filesystem::create_directories(test::InFolder("src/empty"));
  std::string error;
  auto pkg = PackDirectory(test::InFolder("src").string(), true, &error);
  ASSERT_TRUE(pkg) << error;
  WriteFile("out.vdk", *pkg);
  PackageFile file;
  ASSERT_TRUE(file.Open("out.vdk"));
  auto items = file.ReadMember("data\\items.itm");
  ASSERT_TRUE(items);
  EXPECT_EQ(std::string(items->begin(), items->end()), std::string(5000, 'i'));
  auto script = file.ReadMember(Gbk(u8"脚本\\a.gsp"));
  ASSERT_TRUE(script);
  EXPECT_EQ(std::string(script->begin(), script->end()), "Say(1)");
  EXPECT_TRUE(file.Find("empty"));
  EXPECT_FALSE(PackDirectory("missing", true, &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace isora
