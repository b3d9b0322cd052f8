// The window shape as a GDI region: the blocks the toolkit-free reader
// accepts give the same pixels, box and move under ExtCreateRegion,
// GetRgnBox and OffsetRgn, and a window gets a copy of the region.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "mainwindow/RegionData.h"
#include "platform/windows/Win32Region.h"

using platform::windows::RegionBox;
using platform::windows::RegionFailure;
using platform::windows::Win32Region;
using RegionData::Rect;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The committed "DATA" block sits next to the test program.
Bytes CommittedRegionData() {
  char module[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  std::string path(module);
  path = path.substr(0, path.find_last_of("\\/") + 1) + "honeycomb-region.dat";
  std::ifstream in(path, std::ios::binary);
  const Bytes block{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (block.size() < 4) return {};
  const std::uint32_t n = block[0] | block[1] << 8 | block[2] << 16 | std::uint32_t{block[3]} << 24;
  if (block.size() != 4 + std::size_t{n}) return {};
  return Bytes(block.begin() + 4, block.end());
}

RegionBox BoxOf(const Rect& r) {
  return {r.left, r.top, r.right, r.bottom};
}

void SetU32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

TEST(Win32Region, TheCommittedShapeCoversTheSamePixels) {
  const Bytes data = CommittedRegionData();
  ASSERT_FALSE(data.empty());
  auto expected = RegionData::Region::FromRgnData(data);
  ASSERT_TRUE(expected);
  const Rect from = expected->BoundingBox();
  ASSERT_TRUE(expected->Offset(7 - from.left, 1 - from.top));

  Win32Region gdi;
  ASSERT_EQ(gdi.Place(data, 7, 1), RegionFailure::None);
  EXPECT_EQ(gdi.BoundingBox(), BoxOf(expected->BoundingBox()));
  EXPECT_EQ(gdi.BoundingBox(), (RegionBox{7, 1, 377, 128})) << "inside the 384 x 128 window";

  int differing = 0;
  for (int y = -1; y <= 129; ++y) {
    for (int x = -1; x <= 385; ++x) {
      if (gdi.Contains(x, y) != expected->Contains(x, y) && differing++ < 5) {
        ADD_FAILURE() << "pixel " << x << "," << y;
      }
    }
  }
  EXPECT_EQ(differing, 0);
}

TEST(Win32Region, RightAndBottomEdgesAreExclusive) {
  const Bytes data = RegionData::ToRgnData({{0, 0, 4, 2}, {6, 0, 8, 2}, {0, 2, 8, 3}});
  Win32Region gdi;
  ASSERT_EQ(gdi.Load(data), RegionFailure::None);
  EXPECT_EQ(gdi.BoundingBox(), (RegionBox{0, 0, 8, 3}));
  EXPECT_TRUE(gdi.Contains(3, 1));
  EXPECT_FALSE(gdi.Contains(4, 1));
  EXPECT_FALSE(gdi.Contains(5, 0));
  EXPECT_TRUE(gdi.Contains(6, 1));
  EXPECT_TRUE(gdi.Contains(7, 2));
  EXPECT_FALSE(gdi.Contains(8, 2));
  EXPECT_FALSE(gdi.Contains(0, 3));

  ASSERT_EQ(gdi.Place(data, -5, 10), RegionFailure::None);
  EXPECT_EQ(gdi.BoundingBox(), (RegionBox{-5, 10, 3, 13}));
  EXPECT_TRUE(gdi.Contains(-5, 10));
  // A move that no coordinate could hold fails instead of wrapping around.
  EXPECT_EQ(gdi.Place(RegionData::ToRgnData({{10, 0, 12, 1}}),
                      std::numeric_limits<std::int32_t>::min(), 0),
            RegionFailure::Move);
}

TEST(Win32Region, AFailedLoadKeepsTheRegionAndAReplacedOneIsDeleted) {
  Win32Region gdi;
  EXPECT_EQ(gdi.Load({}), RegionFailure::Create) << "an empty DATA block";
  EXPECT_FALSE(gdi.HasRegion());
  EXPECT_FALSE(gdi.BoundingBox());

  const Bytes good = RegionData::ToRgnData({{1, 1, 5, 5}});
  ASSERT_EQ(gdi.Load(good), RegionFailure::None);
  HRGN first = gdi.Handle();

  Bytes wrongType = good;
  SetU32(wrongType, 4, 2);
  Bytes wrongHeader = good;
  SetU32(wrongHeader, 0, 0);
  Bytes tooMany = good;
  SetU32(tooMany, 8, 2);  // two rectangles claimed, one present
  const Bytes headerOnly(good.begin(), good.begin() + 32);
  for (const Bytes& bad : {wrongType, wrongHeader, tooMany, headerOnly}) {
    EXPECT_EQ(gdi.Load(bad), RegionFailure::Create);
    EXPECT_EQ(gdi.Handle(), first);
  }
  EXPECT_EQ(gdi.BoundingBox(), (RegionBox{1, 1, 5, 5}));

  ASSERT_EQ(gdi.Load(RegionData::ToRgnData({{2, 2, 3, 3}})), RegionFailure::None);
  EXPECT_NE(gdi.Handle(), first);
  EXPECT_EQ(GetObjectType(first), 0u) << "the replaced region is deleted";

  HRGN last = nullptr;
  {
    Win32Region scoped;
    ASSERT_EQ(scoped.Load(good), RegionFailure::None);
    last = scoped.Handle();
    EXPECT_EQ(GetObjectType(last), static_cast<DWORD>(OBJ_REGION));
  }
  EXPECT_EQ(GetObjectType(last), 0u) << "the owner deletes its region";
}

TEST(Win32Region, AWindowGetsACopyAndTheRegionStaysOurs) {
  const HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 384, 128, nullptr, nullptr,
                                      nullptr, nullptr);
  if (window == nullptr) GTEST_SKIP() << "no window station (Wine needs a graphics driver)";
  const HRGN shape = CreateRectRgn(0, 0, 0, 0);

  Win32Region gdi;
  EXPECT_EQ(gdi.ApplyTo(window), RegionFailure::None) << "nothing to apply yet";
  EXPECT_EQ(GetWindowRgn(window, shape), ERROR) << "the window stays rectangular";

  ASSERT_EQ(gdi.Place(RegionData::ToRgnData({{10, 23, 380, 25}, {10, 25, 200, 150}}), 7, 1),
            RegionFailure::None);
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(gdi.ApplyTo(window), RegionFailure::None) << "round " << round;
    ASSERT_NE(GetWindowRgn(window, shape), ERROR);
    EXPECT_TRUE(EqualRgn(shape, gdi.Handle()));
    EXPECT_EQ(GetObjectType(gdi.Handle()), static_cast<DWORD>(OBJ_REGION));
  }
  RECT box{};
  GetRgnBox(shape, &box);
  EXPECT_EQ((RegionBox{box.left, box.top, box.right, box.bottom}), (RegionBox{7, 1, 377, 128}));

  EXPECT_EQ(gdi.ApplyTo(nullptr), RegionFailure::SetWindow);
  EXPECT_TRUE(gdi.HasRegion());

  DeleteObject(shape);
  DestroyWindow(window);
}
