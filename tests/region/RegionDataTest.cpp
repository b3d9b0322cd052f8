// The window-shape region data: the block reader, moving a region, and the
// committed artwork the program is built with.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "region/RegionBytes.h"
#include "region/RegionData.h"

using RegionData::Rect;
using RegionData::Region;
using regiontests::Bytes;
using regiontests::SetU32;
using regiontests::TwoRects;

namespace {

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t U32(const Bytes& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24;
}
std::uint16_t U16(const Bytes& b, std::size_t at) {
  return b[at] | b[at + 1] << 8;
}
// The committed picture as rows of "not black", top row first.
struct Picture {
  std::vector<std::vector<bool>> visible;
};

// Reads the committed bitmap, checking the exact file layout on the way.
Picture DecodeBitmap(const Bytes& bmp) {
  Picture pic;
  EXPECT_EQ(bmp.size(), 50166u);
  if (bmp.size() != 50166u) return pic;
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  // Offset, size, value: file header, then BITMAPINFOHEADER.
  const struct {
    std::size_t at;
    int size;
    std::uint32_t value;
  } fields[] = {{2, 4, 50166},  {6, 4, 0},      {10, 4, 1014}, {14, 4, 40}, {18, 4, 384},
                {22, 4, 128},   {26, 2, 1},     {28, 2, 8},    {30, 4, 0},  {34, 4, 49152},
                {38, 4, 11808}, {42, 4, 11808}, {46, 4, 240},  {50, 4, 240}};
  for (const auto& f : fields) {
    EXPECT_EQ(f.size == 2 ? U16(bmp, f.at) : U32(bmp, f.at), f.value) << "offset " << f.at;
  }
  std::vector<bool> black(240);
  for (int i = 0; i < 240; ++i) {
    const std::size_t at = 54 + 4 * i;
    black[i] = bmp[at] == 0 && bmp[at + 1] == 0 && bmp[at + 2] == 0;
  }
  EXPECT_TRUE(black[239]);
  pic.visible.assign(128, std::vector<bool>(384));
  for (int row = 0; row < 128; ++row) {
    for (int x = 0; x < 384; ++x) {
      const std::uint8_t index = bmp[1014 + (127 - row) * 384 + x];
      EXPECT_LT(index, 240);
      pic.visible[row][x] = index < 240 && !black[index];
    }
  }
  return pic;
}

// The region data inside the committed "DATA" block.
Bytes RegionBlock() {
  const Bytes block = ReadFile(KAYOIJI_DATA_DIR "/honeycomb-region.dat");
  EXPECT_GE(block.size(), 4u);
  if (block.size() < 4) return {};
  EXPECT_EQ(U32(block, 0), block.size() - 4);
  return Bytes(block.begin() + 4, block.end());
}

}  // namespace

// --- The committed artwork ---

TEST(Artwork, RegionCoversExactlyTheVisiblePixelsBelowTheTopRow) {
  const Picture pic = DecodeBitmap(ReadFile(KAYOIJI_DATA_DIR "/honeycomb.bmp"));
  ASSERT_EQ(pic.visible.size(), 128u);
  std::optional<Region> region = Region::FromRgnData(RegionBlock());
  ASSERT_TRUE(region);
  EXPECT_EQ(region->BoundingBox(), (Rect{10, 23, 380, 150}));
  ASSERT_TRUE(region->Offset(-3, -22));
  EXPECT_EQ(region->BoundingBox(), (Rect{7, 1, 377, 128}));

  // Count coverage per pixel so overlaps show up as well as gaps.
  std::vector<std::vector<int>> covered(128, std::vector<int>(384));
  for (const Rect& r : region->Rects()) {
    ASSERT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= 384 && r.bottom <= 128);
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) ++covered[y][x];
  }
  int wrong = 0;
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 384; ++x) {
      const int expected = (y > 0 && pic.visible[y][x]) ? 1 : 0;
      if (covered[y][x] != expected && ++wrong <= 5) ADD_FAILURE() << "pixel " << x << "," << y;
    }
  }
  EXPECT_EQ(wrong, 0);
  for (int x = 0; x < 384; ++x) EXPECT_FALSE(pic.visible[0][x]) << "row 0 must be black";
}

TEST(Artwork, RectanglesComeInTwoPixelBandsOrderedByTopThenLeft) {
  std::optional<Region> region = Region::FromRgnData(RegionBlock());
  ASSERT_TRUE(region);
  const std::vector<Rect>& rects = region->Rects();
  EXPECT_LE(rects.size(), 300u);
  int expectedTop = 23;
  for (std::size_t i = 0; i < rects.size(); ++i) {
    const Rect& r = rects[i];
    if (i > 0 && r.top == rects[i - 1].top) {
      EXPECT_EQ(r.bottom, rects[i - 1].bottom);
      EXPECT_GT(r.left, rects[i - 1].right) << "runs of a band are separate and in order";
      continue;
    }
    EXPECT_EQ(r.top, expectedTop) << "bands follow each other without gaps";
    EXPECT_EQ(r.bottom, std::min(r.top + 2, 150));
    expectedTop = r.bottom;
  }
  EXPECT_EQ(expectedTop, 150);
}

TEST(Artwork, LabelsAndButtonsLieOnThePicture) {
  std::optional<Region> region = Region::FromRgnData(RegionBlock());
  ASSERT_TRUE(region);
  ASSERT_TRUE(region->Offset(-3, -22));
  struct Control {
    const char* name;
    int x, y, w, h;
  };
  // Window positions; the path and state labels with room to grow.
  const Control controls[] = {
      {"lblPath", 60, 16, 240, 16},  {"lblState", 80, 36, 160, 16},  {"Label1", 108, 72, 128, 16},
      {"chkNOErr", 88, 72, 13, 14},  {"sbtConfig", 228, 87, 65, 22}, {"sbtCNTNow", 304, 87, 65, 22},
      {"btnSmall", 348, 27, 13, 10}, {"btnClose", 360, 27, 13, 10},
  };
  for (const Control& c : controls) {
    int outside = 0;
    for (int y = c.y; y < c.y + c.h; ++y)
      for (int x = c.x; x < c.x + c.w; ++x) outside += region->Contains(x, y) ? 0 : 1;
    EXPECT_EQ(outside, 0) << c.name;
  }
}

// --- Reading region data ---

TEST(RegionData, ReadsAValidBlockAndComputesItsBox) {
  Bytes block = TwoRects();
  SetU32(block, 16, 999);  // a wrong header box is not trusted
  std::optional<Region> region = Region::FromRgnData(block);
  ASSERT_TRUE(region);
  EXPECT_EQ(region->Rects(), (std::vector<Rect>{{0, 0, 10, 5}, {20, 5, 30, 8}}));
  EXPECT_EQ(region->BoundingBox(), (Rect{0, 0, 30, 8}));
  EXPECT_TRUE(region->Contains(9, 4));
  EXPECT_FALSE(region->Contains(10, 4));
  EXPECT_FALSE(region->Contains(15, 6));
}

TEST(RegionData, RejectsBlocksThatAreNotRegionData) {
  const Bytes good = TwoRects();
  auto with = [&](std::size_t at, std::uint32_t v) {
    Bytes b = good;
    SetU32(b, at, v);
    return b;
  };
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"empty", {}},
      {"shorter than the header", Bytes(good.begin(), good.begin() + 31)},
      {"header size 40", with(0, 40)},
      {"type 2", with(4, 2)},
      {"count 0",
       [&] {
         Bytes b(good.begin(), good.begin() + 32);
         SetU32(b, 8, 0);
         SetU32(b, 12, 0);
         return b;
       }()},
      {"count larger than the data",
       [&] {
         Bytes b = with(8, 3);
         SetU32(b, 12, 48);
         return b;
       }()},
      {"truncated rectangle", Bytes(good.begin(), good.end() - 1)},
      {"trailing bytes",
       [&] {
         Bytes b = good;
         b.push_back(0);
         return b;
       }()},
      {"size not count x 16", with(12, 16)},
      {"negative size", with(12, static_cast<std::uint32_t>(-32))},
      {"negative count", with(8, 0xFFFFFFFFu)},
      {"count whose size wraps to 32 bits", with(8, 0x10000002u)},
      {"empty rectangle", with(32 + 8, 0)},  // right == left
      {"flat rectangle", with(32 + 12, 0)},  // bottom == top
      {"inverted rectangle", with(48, 40)},  // left 40 > right 30
      {"coordinate beyond the limit", with(56, 1u << 28)},
  };
  for (const auto& c : cases) EXPECT_FALSE(Region::FromRgnData(c.bytes)) << c.what;
}

TEST(RegionData, MovesAndRefusesAMoveOutOfRange) {
  std::optional<Region> region = Region::FromRgnData(TwoRects());
  ASSERT_TRUE(region);
  ASSERT_TRUE(region->Offset(7, -1));
  EXPECT_EQ(region->Rects(), (std::vector<Rect>{{7, -1, 17, 4}, {27, 4, 37, 7}}));
  EXPECT_EQ(region->BoundingBox(), (Rect{7, -1, 37, 7}));
  EXPECT_FALSE(region->Offset(RegionData::kCoordinateLimit, 0));
  EXPECT_FALSE(region->Offset(0, std::int64_t{INT_MIN} * 4));
  EXPECT_EQ(region->BoundingBox(), (Rect{7, -1, 37, 7})) << "a refused move changes nothing";
  ASSERT_TRUE(region->MoveTo(100, 50));
  EXPECT_EQ(region->Rects(), (std::vector<Rect>{{100, 50, 110, 55}, {120, 55, 130, 58}}));
  EXPECT_FALSE(region->MoveTo(RegionData::kCoordinateLimit, 0));
  EXPECT_EQ(region->BoundingBox(), (Rect{100, 50, 130, 58}));
}
