#include "world/game_map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "foundation/gbk.h"
#include "lib/map_writer.h"
#include "lib/package_writer.h"
#include "support/recording_hooks.h"
#include "support/switches.h"
#include "support/temp_dir.h"

namespace isora::test {
namespace {

// A map of n x n cells at the default origin (n * 32, 0), all passable tile type 1.
MapFileData MakeMap(int n, const std::string& name = "town") {
  nlohmann::json src = {{"name", name}, {"size", n}, {"music", "town.mid"}, {"start", {7, 9}}};
  MapFileData map;
  std::string error;
  EXPECT_TRUE(BuildMapFromJson(src, name + ".map", map, &error)) << error;
  return map;
}

MapCell& CellOf(MapFileData& map, int row, int column) {
  return map.cells[column + row * map.header.N()];
}

int FloorDiv(int a, int b) { return static_cast<int>(std::floor(static_cast<double>(a) / b)); }

class GameMapTest : public TempDirTest {
 protected:
  GameLog log_{"map.log"};
  GameMap map_{&log_};
  RecordingHooks hooks_;
  bool LogHas(const std::string& s) { return ReadFile("map.log").find(s) != std::string::npos; }
};

TEST_F(GameMapTest, LoadsHeaderCellsObjectsAndPlacementsInFileOrder) {
  MapFileData src = MakeMap(50);
  src.objects.resize(2);
  src.objects[1].x = 77;
  src.placements = {{3, {}, 4, 5}, {1, {}, 6, 7}};
  const auto bytes = WriteMapFile(src);
  ASSERT_EQ(bytes.size(), 92 + 50 * 50 * 32 + 2 * 276 + 2 * 32u);
  WriteFile("map/town.map", bytes);

  std::vector<RolePlacement> placements;
  ASSERT_EQ(map_.Load("map\\town.map", &placements), 1);
  EXPECT_TRUE(LogHas("Open map file ok,start to load it!"));
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 92, map_.Header().bytes.begin()));
  EXPECT_EQ(map_.Header().MapName(), "town");
  EXPECT_EQ(map_.Header().MusicName(), "town.mid");
  EXPECT_EQ(map_.Header().StartX(), 7);
  EXPECT_EQ(map_.Header().StartY(), 9);
  EXPECT_EQ(map_.N(), 50);
  EXPECT_EQ(map_.Objects()[1].x, 77);
  ASSERT_EQ(placements.size(), 2u);
  EXPECT_EQ(placements[0].recordNumber, 3);
  EXPECT_EQ(placements[1].column, 7);
  EXPECT_EQ(map_.CellPosition(0, 0), (Point{1568, 0}));
  EXPECT_EQ(map_.CellPosition(1, 0), (Point{1600, 16}));
  EXPECT_EQ(map_.CellPosition(0, 1), (Point{1536, 16}));
  EXPECT_EQ(map_.CellPosition(-1, 0), (Point{-1, -1}));
  EXPECT_EQ(map_.CellPosition(0, 50), (Point{-1, -1}));

  EXPECT_EQ(map_.Load("map\\absent.map"), 0);
  EXPECT_TRUE(hooks_.messageBoxes.empty());
}

TEST_F(GameMapTest, AForeignFileKeepsThePreviousMap) {
  ASSERT_EQ(map_.LoadBytes(WriteMapFile(MakeMap(4, "first"))), 1);
  auto other = WriteMapFile(MakeMap(6, "second"));
  other[0] = 'X';
  EXPECT_EQ(map_.LoadBytes(other), 0);
  ASSERT_EQ(hooks_.messageBoxes.size(), 1u);
  EXPECT_EQ(hooks_.messageBoxes[0].text, Gbk(u8"你所选择的.map文件不是本游戏支持的地图文件。"));
  EXPECT_EQ(hooks_.messageBoxes[0].caption, "ERROR");
  EXPECT_TRUE(LogHas("it is not the correct map file,open failed!"));
  EXPECT_EQ(map_.Header().MapName(), "first");
  EXPECT_EQ(map_.N(), 4);
  EXPECT_EQ(map_.Cells().size(), 16u);
}

TEST_F(GameMapTest, CountsBeyondTheFileAreRefusedBeforeAllocating) {
  ASSERT_EQ(map_.LoadBytes(WriteMapFile(MakeMap(4, "first"))), 1);
  auto good = WriteMapFile(MakeMap(8, "second"));

  auto truncated = good;
  truncated.resize(truncated.size() - 1);
  EXPECT_EQ(map_.LoadBytes(truncated), 0);

  for (int field : {56, 60, 64}) {
    auto huge = good;
    huge[field] = huge[field + 1] = huge[field + 2] = 0xFF;
    huge[field + 3] = 0x7F;
    EXPECT_EQ(map_.LoadBytes(huge), 0) << field;
    huge[field + 3] = 0xFF;  // negative
    EXPECT_EQ(map_.LoadBytes(huge), 0) << field;
  }
  EXPECT_EQ(map_.LoadBytes(std::vector<uint8_t>{'2', 'p', 'a', 'm'}), 0);
  EXPECT_EQ(map_.Header().MapName(), "first");
  EXPECT_EQ(map_.N(), 4);
  EXPECT_TRUE(hooks_.messageBoxes.empty());
}

TEST_F(GameMapTest, PointsFallIntoTheDocumentedCells) {
  ASSERT_EQ(map_.LoadBytes(WriteMapFile(MakeMap(50))), 1);
  const int x0 = 1600, y0 = 0;
  EXPECT_EQ(map_.CellAt(x0, y0 + 16), (CellIndex{0, 0}));
  EXPECT_EQ(map_.CellAt(x0 + 32, y0 + 17), (CellIndex{1, 0}));
  EXPECT_EQ(map_.CellAt(x0 - 32, y0 + 17), (CellIndex{0, 1}));
  EXPECT_EQ(map_.CellAt(x0, y0 + 1599), (CellIndex{49, 49}));

  const CellIndex above = map_.CellAt(x0, y0 - 5);
  EXPECT_TRUE(above.row < 0 && above.column < 0);
  const CellIndex left = map_.CellAt(0, 0);
  EXPECT_LT(left.row, 0);
  EXPECT_GT(left.column, 0);
  EXPECT_EQ(map_.IsPassableAt(x0, y0 - 5), 0);
  EXPECT_EQ(map_.IsPassableAt(0, 0), 0);
  EXPECT_EQ(map_.IsPassableAt(x0, 16), 1);
  EXPECT_EQ(map_.CellScript(0, 0), "");
  EXPECT_EQ(map_.CellExit(x0, y0 - 5), "");
}

// The cell lookup as first written, through the isometric angle in floating point: the
// point's distances to the two axes over the sine between them give its coordinates along the
// axes, in cell edges of 32 / cos(atan(1/2)), truncated and one less beyond an axis (values a
// rounding error from a whole number of 64ths snapped first). Kept here as the reference that
// the integer form in CellAtPoint must keep matching.
CellIndex FloatCellAtPoint(int64_t x0, int64_t y0, int x, int y) {
  auto axisCell = [](double cells) {
    const double snapped = std::round(cells * 64.0) / 64.0;
    const double t = std::trunc(snapped);
    return static_cast<int>(snapped < t ? t - 1 : t);
  };
  const double angle = std::atan(0.5);
  const double edge = 32.0 / std::cos(angle);
  const double axisSine = std::sin(2.0 * angle);
  const double dx = static_cast<double>(x) - static_cast<double>(x0);
  const double dy = static_cast<double>(y) - static_cast<double>(y0);
  const double distance = std::sqrt(dx * dx + dy * dy);
  const double phi = std::atan2(dy, dx);
  const double toColumnAxis = distance * std::sin(std::numbers::pi - angle - phi);
  const double toRowAxis = distance * std::sin(phi - angle);
  return {axisCell(toColumnAxis / axisSine / edge), axisCell(toRowAxis / axisSine / edge)};
}

TEST_F(GameMapTest, IntegerCellAtMatchesTheFloatingPointFormEverywhereOnTheMap) {
  // Every pixel of the 50 x 50 map picture and a cell's margin around it, at the demo maps'
  // origin, and a sample around an origin that is not a multiple of the cell size.
  for (int y = -32; y < 1600 + 32; ++y)
    for (int x = -64; x < 3200 + 64; ++x)
      ASSERT_EQ(CellAtPoint(1600, 0, x, y), FloatCellAtPoint(1600, 0, x, y)) << x << "," << y;
  for (int y = -500; y < 500; ++y)
    for (int x = -700; x < 700; ++x)
      ASSERT_EQ(CellAtPoint(-317, 45, x, y), FloatCellAtPoint(-317, 45, x, y)) << x << "," << y;
  // The documented floor formula, and the edges: a point on an edge belongs to the cell below.
  for (int dy = -120; dy <= 200; ++dy)
    for (int dx = -260; dx <= 260; ++dx)
      ASSERT_EQ(CellAtPoint(1000, 300, 1000 + dx, 300 + dy),
                (CellIndex{FloorDiv(dx + 2 * dy, 64), FloorDiv(2 * dy - dx, 64)}))
          << dx << "," << dy;
  EXPECT_EQ(CellAtPoint(0, 0, 64, 0), (CellIndex{1, -1}));
  EXPECT_EQ(CellAtPoint(0, 0, 0, 32), (CellIndex{1, 1}));
  EXPECT_EQ(CellAtPoint(0, 0, -1, 0), (CellIndex{-1, 0}));
}

TEST_F(GameMapTest, IntegerCellAtMatchesTheFloatingPointFormAtExtremePoints) {
  const int64_t kIntMin = INT32_MIN, kIntMax = INT32_MAX;
  const std::vector<int> coords = {
      INT32_MIN, INT32_MIN + 1, -1000000007, -64001,        -1,       0, 1,
      3200,      99999,         1000000007,  INT32_MAX - 1, INT32_MAX};
  for (int64_t x0 : {int64_t{0}, int64_t{1600}, kIntMin + 32, kIntMax + 32})
    for (int64_t y0 : {int64_t{0}, kIntMin, kIntMax})
      for (int x : coords)
        for (int y : coords) {
          const CellIndex c = CellAtPoint(x0, y0, x, y);
          const int64_t dx = x - x0, dy = y - y0;
          // Exact values, computed without the function's own division.
          const double row = std::floor(static_cast<double>(dx + 2 * dy) / 64.0);
          const double column = std::floor(static_cast<double>(2 * dy - dx) / 64.0);
          EXPECT_EQ(c.row, row) << x0 << "," << y0 << " " << x << "," << y;
          EXPECT_EQ(c.column, column) << x0 << "," << y0 << " " << x << "," << y;
          EXPECT_EQ(c, FloatCellAtPoint(x0, y0, x, y)) << x0 << "," << y0 << " " << x << "," << y;
        }
}

TEST_F(GameMapTest, CellScriptsAndExitsComeFromTheIndexes) {
  MapFileData src = MakeMap(10);
  CellOf(src, 0, 0).scriptId = 2;
  CellOf(src, 1, 0).exitId = 3;
  ASSERT_EQ(map_.LoadBytes(WriteMapFile(src)), 1);
  const int x0 = 320, y0 = 0;
  EXPECT_EQ(map_.CellScript(x0, y0 + 16), "");  // no scripts.ini yet
  EXPECT_EQ(map_.CellExit(x0 + 32, y0 + 17), "");

  PackageWriter pkg;
  std::string scripts = "[name]\r\n1=one.gsp\r\n2=two.gsp\r\n";
  std::string maps =
      "[count]\r\ncount=3\r\n[comment]\r\n1=Field\r\n2=Cave\r\n3=Town gate\r\n"
      "[name]\r\n3=town.map\r\n";
  ASSERT_TRUE(pkg.AddFile(
      "scripts.ini", std::span(reinterpret_cast<const uint8_t*>(scripts.data()), scripts.size()),
      false));
  ASSERT_TRUE(pkg.AddFile(
      "maps.ini", std::span(reinterpret_cast<const uint8_t*>(maps.data()), maps.size()), false));
  WriteFile("ini.pkg", pkg.Build());
  map_.LoadIndexes("ini.pkg");
  EXPECT_EQ(map_.Descriptions(), (std::vector<std::string>{"Field", "Cave", "Town gate"}));
  hooks_.Reset();
  EXPECT_EQ(map_.CellScript(x0, y0 + 16), "two.gsp");
  EXPECT_EQ(hooks_.debugOutput, std::vector<std::string>{"script id:2\n"});
  EXPECT_EQ(map_.CellScript(x0 + 32, y0 + 17), "");
  EXPECT_EQ(map_.CellExit(x0 + 32, y0 + 17), "town.map");
  EXPECT_EQ(map_.CellExitComment(x0 + 32, y0 + 17), "Town gate");
  EXPECT_EQ(map_.CellExit(x0, y0 + 16), "");
}

TEST_F(GameMapTest, ObjectsSplitIntoGroundPiecesAndTheLayerOverRoles) {
  MapFileData src = MakeMap(50);
  MapObject tree;
  tree.sourceX = 10;
  tree.sourceY = 20;
  tree.x = 100;
  tree.y = 200;
  tree.width = 64;
  tree.height = 64;
  tree.pieceCount = 1;
  tree.pieces[0] = {10, 52};  // the lower half of the object
  MapObject rock = tree;
  rock.x = 400;
  rock.pieceCount = 0;
  MapObject edge = rock;
  edge.x = 3180;
  edge.y = 1590;
  edge.pieceCount = 1;
  edge.pieces[0] = {10, 20};
  src.objects = {tree, rock, edge};
  ASSERT_EQ(map_.LoadBytes(WriteMapFile(src)), 1);

  Surface picture(256, 256), ground(3200, 1600), objects(3200, 1600);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) picture.Set(x, y, static_cast<uint16_t>(x + y * 256 + 1));
  picture.Set(11, 21, kColorKey565);  // a transparent pixel of the objects
  picture.SetColorKey(kColorKey565);
  map_.PaintObjects(objects, picture, ground, PixelFormat::Rgb565);
  EXPECT_TRUE(LogHas("draw objects...ok!"));

  EXPECT_EQ(objects.At(0, 0), kColorKey565);
  EXPECT_EQ(objects.At(100, 200), picture.At(10, 20));
  EXPECT_EQ(objects.At(101, 201), kColorKey565);  // keyed out of the copy
  EXPECT_EQ(objects.At(163, 231), picture.At(73, 51));
  EXPECT_EQ(objects.At(100, 232), kColorKey565);  // the piece left the upper layer
  EXPECT_EQ(ground.At(100, 232), picture.At(10, 52));
  EXPECT_EQ(ground.At(163, 263), picture.At(73, 83));
  EXPECT_EQ(ground.At(100, 231), 0);
  // Without pieces the whole object stands over the roles.
  EXPECT_EQ(objects.At(400, 263), picture.At(10, 83));
  EXPECT_EQ(ground.At(400, 263), 0);
  // Clipped at the map picture's corner.
  EXPECT_EQ(objects.At(3199, 1599), kColorKey565);
  EXPECT_EQ(ground.At(3199, 1599), picture.At(29, 29));

  Surface objects555(3200, 1600, PixelFormat::Rgb555), ground555(3200, 1600, PixelFormat::Rgb555);
  map_.PaintObjects(objects555, picture, ground555, PixelFormat::Rgb555);
  EXPECT_EQ(objects555.At(0, 0), kColorKey555);
}

// A piece's box moves whole and cuts its box out of the object layer; with object fronts only
// its drawn pixels move, so what lies round a house front stays.
TEST_F(GameMapTest, APieceWithKeyPixelsMovesWholeOrByItsDrawnPixels) {
  MapFileData src = MakeMap(50);
  MapObject back;  // an object behind, whose picture reaches under the front one's piece
  back.sourceX = 100;
  back.sourceY = 0;
  back.x = 500;
  back.y = 300;
  back.width = 64;
  back.height = 64;
  MapObject front = back;
  front.sourceX = 0;
  front.y = 320;
  front.pieceCount = 1;
  front.pieces[0] = {0, 32};
  src.objects = {back, front};
  ASSERT_EQ(map_.LoadBytes(WriteMapFile(src)), 1);

  Surface picture(256, 256);
  picture.Fill(0x1111);                             // the front object
  picture.Fill(Rect{100, 0, 164, 64}, 0x2222);      // the back object
  picture.Fill(Rect{0, 32, 20, 64}, kColorKey565);  // the front piece's transparent left edge
  picture.SetColorKey(kColorKey565);
  struct Case {
    bool fronts;
    uint16_t groundUnderKey, objectOverKey;
  };
  for (const Case& c : {Case{false, kColorKey565, kColorKey565}, Case{true, 0x0707, 0x2222}}) {
    Enhancements on;
    on.Set(Enhancement::kObjectFronts, c.fronts);
    test::ScopedSwitches switches(on);
    Surface ground(3200, 1600), objects(3200, 1600);
    ground.Fill(0x0707);
    map_.PaintObjects(objects, picture, ground, PixelFormat::Rgb565);
    EXPECT_EQ(ground.At(530, 360), 0x1111) << c.fronts;  // drawn pixels lie under the roles
    EXPECT_EQ(objects.At(530, 360), kColorKey565) << c.fronts;
    EXPECT_EQ(ground.At(505, 360), c.groundUnderKey) << c.fronts;
    EXPECT_EQ(objects.At(505, 360), c.objectOverKey) << c.fronts;
  }
}

TEST_F(GameMapTest, TilesOfOneTypeAndTheDebugGrid) {
  MapFileData src = MakeMap(2);
  CellOf(src, 0, 0).tileType = 2;
  CellOf(src, 0, 0).tileX = 64;
  CellOf(src, 1, 1).passable = 0;
  ASSERT_EQ(map_.LoadBytes(WriteMapFile(src)), 1);
  Surface tiles(640, 640), picture(3200, 1600);
  for (int y = 0; y < 640; ++y)
    for (int x = 0; x < 640; ++x) tiles.Set(x, y, static_cast<uint16_t>(x * 7 + y + 1));

  map_.PaintCellsOfType(2, tiles, picture, false);
  const Point c00 = map_.CellPosition(0, 0);  // (32, 0)
  EXPECT_EQ(picture.At(c00.x, c00.y), tiles.At(64, 0));
  EXPECT_EQ(picture.At(c00.x + 63, c00.y + 31), tiles.At(127, 31));
  const Point c11 = map_.CellPosition(1, 1);
  EXPECT_EQ(picture.At(c11.x + 5, c11.y + 5), 0);  // type 1 is painted separately

  map_.PaintCellsOfType(1, tiles, picture, true);
  const uint16_t green = PackPixel(PixelFormat::Rgb565, 0, 255, 0);
  EXPECT_EQ(picture.At(64, 0), green);                  // the origin's first grid line
  EXPECT_EQ(picture.At(c11.x + 32, c11.y + 5), green);  // the cross of the blocked cell
  EXPECT_EQ(picture.At(c11.x + 5, c11.y + 16), green);
  EXPECT_NE(picture.At(c00.x + 5, c00.y + 16), green);
}

TEST_F(GameMapTest, DiamondTilesKeepTheirNeighboursWhereTheirCornersAreTheKey) {
  MapFileData src = MakeMap(2);
  ASSERT_EQ(map_.LoadBytes(WriteMapFile(src)), 1);
  // A 64x32 diamond of 0x1234 with key-coloured corners, at the sheet's first place.
  Surface tiles(640, 640), picture(3200, 1600);
  tiles.SetColorKey(kColorKey565);
  tiles.Fill(kColorKey565);
  for (int y = 0; y < 32; ++y) {
    const int half = y < 16 ? 2 * y + 2 : 2 * (31 - y) + 2;
    for (int x = 32 - half; x < 32 + half; ++x) tiles.Set(x, y, 0x1234);
  }
  map_.PaintCellsOfType(1, tiles, picture, false);
  const Point c00 = map_.CellPosition(0, 0), c10 = map_.CellPosition(1, 0);
  EXPECT_EQ(picture.At(c00.x + 32, c00.y + 16), 0x1234);
  EXPECT_EQ(picture.At(c10.x + 32, c10.y + 16), 0x1234);
  // No key colour reaches the ground: the corners show what was there before.
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 160; ++x) ASSERT_NE(picture.At(x, y), kColorKey565) << x << "," << y;
  }
  // Each cell's neighbours keep their diamonds on both sides of the shared edge.
  const Point c01 = map_.CellPosition(0, 1);
  EXPECT_EQ(picture.At(c01.x + 32, c01.y + 16), 0x1234);
  EXPECT_EQ(picture.At(c00.x + 32, c00.y + 1), 0x1234);
}

TEST_F(GameMapTest, CellsOutsideTheMapPictureAreClipped) {
  MapFileData src = MakeMap(60);  // wider than the 3200-pixel picture
  ASSERT_EQ(map_.LoadBytes(WriteMapFile(src)), 1);
  Surface tiles(640, 640), picture(3200, 1600);
  tiles.Fill(0x1234);
  map_.PaintCellsOfType(1, tiles, picture, true);
  EXPECT_EQ(map_.CellPosition(40, 0), (Point{3168, 640}));
  EXPECT_EQ(picture.At(3199, 650), 0x1234);  // cut at the right edge
  EXPECT_EQ(map_.CellPosition(59, 40).y, 1584);
  EXPECT_EQ(picture.At(2500, 1599), 0x1234);  // cut at the bottom
  map_.Release();
  EXPECT_TRUE(map_.Cells().empty());
  EXPECT_EQ(map_.CellAt(100, 100), (CellIndex{-1, -1}));
}

}  // namespace
}  // namespace isora::test
