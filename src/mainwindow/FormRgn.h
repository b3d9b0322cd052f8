// The picture control that gives its window the outline of the picture: it
// owns a region built from stored region data and hands the window a copy.
#pragma once

#include <QLabel>
#include <QPixmap>
#include <cstdint>
#include <memory>

#include "region/RegionData.h"

class QIODevice;
class TfileIN;

class TFormRgn : public QLabel {
  Q_OBJECT
 public:
  explicit TFormRgn(QWidget* parent = nullptr);
  ~TFormRgn() override;

  // The bitmap shown; the control takes the picture's size.
  void SetPicture(const QPixmap& picture);
  const QPixmap& Picture() const { return picture_; }

  // Kept for the stored layout; nothing uses its value.
  std::uint32_t TransparentColor() const { return transparentColor_; }
  void SetTransparentColor(std::uint32_t value) { transparentColor_ = value; }

  // The region the control owns; null until a load succeeds.
  const RegionData::Region* RegionHandle() const { return regionHandle_.get(); }

  // Builds the region from the whole content of `Stream`. Invalid data
  // throws platform::Exception and keeps the previous region. The stream is
  // left at position 0 either way.
  void LoadRegionData(QIODevice& Stream);
  // Loads, then moves the region so that its bounding box starts at (X, Y)
  // in the parent window's coordinates.
  void PlaceRegion(QIODevice& Stream, int X, int Y);
  // Gives the parent's window a copy of the region as its shape; does
  // nothing before a region has been loaded.
  void ApplyRegion();

 private:
  QPixmap picture_;
  std::uint32_t transparentColor_ = 0;
  std::unique_ptr<RegionData::Region> regionHandle_;
};

// The main window's stored picture and region data, built into the program:
// shows the picture in `RgnMain` (at its layout position 28, 8) and fills
// `fileIN1` from the stored "DATA" block.
void ReadShapeLayout(TFormRgn* RgnMain, TfileIN* fileIN1);

// Sizes `window` to `RgnMain`, moves `RgnMain` to 0, 0, places the region
// of `fileIN1` at (7, 1) and applies it. Failures propagate as
// platform::Exception.
void ShapeMainWindow(QWidget* window, TFormRgn* RgnMain, TfileIN* fileIN1);
