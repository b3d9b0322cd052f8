// The window's shape: the picture control and the data carrier.
#include <gtest/gtest.h>
#include <QBuffer>
#include <QImage>
#include <QWidget>
#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "mainwindow/FormRgn.h"
#include "mainwindow/fileIN.h"
#include "platform/Errors.h"
#include "region/RegionBytes.h"
#include "region/RegionData.h"
#include "support/TestFiles.h"
#include "support/WidgetTests.h"

using RegionData::Rect;
using regiontests::Bytes;
using regiontests::SetU32;
using regiontests::TwoRects;

namespace {

QByteArray ToQ(const Bytes& b) {
  return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

void ExpectFailure(const std::function<void()>& action, const std::string& message) {
  try {
    action();
    ADD_FAILURE() << "no failure, expected " << message;
  } catch (const platform::Exception& e) {
    EXPECT_EQ(e.what(), message);
  }
}

}  // namespace

// --- The picture control ---

TEST(FormRgn, ShapesTheWindowWithTheBuiltInLayout) {
  QWidget window;
  auto* RgnMain = new TFormRgn(&window);
  auto* fileIN1 = new TfileIN(&window);
  ReadShapeLayout(RgnMain, fileIN1);
  EXPECT_EQ(RgnMain->size(), QSize(384, 128));
  EXPECT_EQ(RgnMain->pos(), QPoint(28, 8));
  EXPECT_EQ(RgnMain->TransparentColor(), 0u);
  EXPECT_EQ(fileIN1->DataStream.pos(), 0);

  ShapeMainWindow(&window, RgnMain, fileIN1);
  EXPECT_EQ(window.size(), QSize(384, 128));
  EXPECT_EQ(RgnMain->pos(), QPoint(0, 0));
  ASSERT_NE(RgnMain->RegionHandle(), nullptr);
  EXPECT_EQ(RgnMain->RegionHandle()->BoundingBox(), (Rect{7, 1, 377, 128}));
  EXPECT_EQ(fileIN1->DataStream.pos(), 0) << "the stream can be used again";

  // The window's shape is the picture's non-black pixels below row 0.
  const QImage image = RgnMain->Picture().toImage();
  const QRegion mask = window.mask();
  int wrong = 0;
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 384; ++x)
      wrong += mask.contains(QPoint(x, y)) != (y > 0 && (image.pixel(x, y) & 0xFFFFFF) != 0);
  EXPECT_EQ(wrong, 0);

  // The control keeps its own region, so shaping can be repeated.
  RgnMain->ApplyRegion();
  EXPECT_EQ(window.mask(), mask);
}

TEST(FormRgn, ApplyBeforeAnyLoadLeavesTheWindowRectangular) {
  QWidget window;
  TFormRgn control(&window);
  control.ApplyRegion();
  EXPECT_TRUE(window.mask().isEmpty());
  QBuffer empty;
  empty.open(QIODevice::ReadOnly);
  ExpectFailure([&] { control.PlaceRegion(empty, 7, 1); }, RegionData::kCreateFailed);
  control.ApplyRegion();
  EXPECT_TRUE(window.mask().isEmpty());
}

TEST(FormRgn, ALaterLoadReplacesTheRegionAndAFailedOneKeepsIt) {
  QWidget window;
  TFormRgn control(&window);
  QBuffer first;
  first.setData(ToQ(TwoRects()));
  first.open(QIODevice::ReadOnly);
  control.LoadRegionData(first);
  EXPECT_EQ(control.RegionHandle()->BoundingBox(), (Rect{0, 0, 30, 8}));

  Bytes bad = TwoRects();
  SetU32(bad, 4, 2);
  QBuffer invalid;
  invalid.setData(ToQ(bad));
  invalid.open(QIODevice::ReadOnly);
  invalid.seek(20);
  ExpectFailure([&] { control.LoadRegionData(invalid); }, RegionData::kCreateFailed);
  EXPECT_EQ(invalid.pos(), 0);
  ASSERT_NE(control.RegionHandle(), nullptr);
  EXPECT_EQ(control.RegionHandle()->BoundingBox(), (Rect{0, 0, 30, 8}));

  QBuffer second;
  second.setData(ToQ(RegionData::ToRgnData({{5, 5, 6, 6}})));
  second.open(QIODevice::ReadOnly);
  control.PlaceRegion(second, 100, 50);
  EXPECT_EQ(control.RegionHandle()->Rects(), (std::vector<Rect>{{100, 50, 101, 51}}));
  control.ApplyRegion();
  EXPECT_EQ(window.mask(), QRegion(100, 50, 1, 1));
}

TEST(FormRgn, FailuresOfTheMoveAndOfApplyingAreReported) {
  QBuffer far;
  far.setData(ToQ(RegionData::ToRgnData({{-RegionData::kCoordinateLimit, 0, 0, 1}})));
  far.open(QIODevice::ReadOnly);
  QWidget window;
  TFormRgn control(&window);
  ExpectFailure([&] { control.PlaceRegion(far, INT_MAX, 0); }, RegionData::kMoveFailed);

  TFormRgn orphan;  // no parent window to shape
  QBuffer data;
  data.setData(ToQ(TwoRects()));
  data.open(QIODevice::ReadOnly);
  orphan.LoadRegionData(data);
  ExpectFailure([&] { orphan.ApplyRegion(); }, RegionData::kSetWindowFailed);
  ASSERT_NE(orphan.RegionHandle(), nullptr);
}

// --- The data carrier ---

TEST(FileIn, ReadDataTakesOneBlockAndRewinds) {
  TfileIN carrier;
  QBuffer layout;
  layout.setData(
      QByteArray("\x03\x00\x00\x00"
                 "abcXYZ",
                 10));
  layout.open(QIODevice::ReadOnly);
  carrier.ReadData(layout);
  EXPECT_EQ(carrier.DataStream.data(), QByteArray("abc"));
  EXPECT_EQ(carrier.DataStream.pos(), 0);
  EXPECT_EQ(layout.pos(), 7) << "the rest of the layout is not read";

  QBuffer none;
  none.setData(QByteArray(4, '\0'));
  none.open(QIODevice::ReadOnly);
  carrier.ReadData(none);
  EXPECT_TRUE(carrier.DataStream.data().isEmpty());
}

TEST(FileIn, ReadDataRefusesMalformedBlocks) {
  const QByteArray blocks[] = {
      QByteArray("\x03\x00", 2),  // no whole count
      QByteArray("\xFF\xFF\xFF\xFF"
                 "abc",
                 7),  // negative count
      QByteArray("\x05\x00\x00\x00"
                 "abc",
                 7),  // fewer bytes than counted
  };
  for (const QByteArray& bytes : blocks) {
    TfileIN carrier;
    carrier.DataStream.write("old");
    QBuffer layout;
    layout.setData(bytes);
    layout.open(QIODevice::ReadOnly);
    ExpectFailure([&] { carrier.ReadData(layout); }, "ReadDataに失敗しました");
    EXPECT_TRUE(carrier.DataStream.data().isEmpty());
  }
}

TEST(FileIn, WriteDataStoresTheFileOrACountOfZero) {
  testsupport::TempDir dir;
  TfileIN carrier;
  EXPECT_FALSE(carrier.HasData());
  carrier.FileName =
      QString::fromStdString(dir.Write("region.bin", std::string("\x01\x00\x02", 3)));
  EXPECT_TRUE(carrier.HasData());
  QBuffer layout;
  layout.open(QIODevice::ReadWrite);
  carrier.WriteData(layout);
  EXPECT_EQ(layout.data(), QByteArray("\x03\x00\x00\x00\x01\x00\x02", 7));
  EXPECT_EQ(carrier.DataStream.data(), QByteArray("\x01\x00\x02", 3));

  TfileIN reader;
  layout.seek(0);
  reader.ReadData(layout);
  EXPECT_EQ(reader.DataStream.data(), carrier.DataStream.data());

  carrier.FileName = QString::fromStdString(dir.File("missing.bin"));
  QBuffer missing;
  missing.open(QIODevice::ReadWrite);
  carrier.WriteData(missing);
  EXPECT_EQ(missing.data(), QByteArray(4, '\0'));
  EXPECT_TRUE(carrier.DataStream.data().isEmpty());
}
