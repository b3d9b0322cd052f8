#include "mainwindow/FormRgn.h"

#include <QIODevice>
#include <QRegion>
#include <new>
#include <utility>
#include <vector>

#include "mainwindow/fileIN.h"
#include "platform/Errors.h"

TFormRgn::TFormRgn(QWidget* parent) : QLabel(parent) {
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setMargin(0);
}

TFormRgn::~TFormRgn() = default;

void TFormRgn::SetPicture(const QPixmap& picture) {
  picture_ = picture;
  setPixmap(picture_);
  if (!picture_.isNull()) resize(picture_.size());
}

void TFormRgn::LoadRegionData(QIODevice& Stream) {
  Stream.seek(0);
  const qint64 size = Stream.isOpen() ? Stream.size() : 0;
  // The whole stream's size, zero-filled where a read comes up short.
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size > 0 ? size : 0), 0);
  qint64 done = 0;
  while (done < size) {
    const qint64 got = Stream.read(reinterpret_cast<char*>(buffer.data()) + done, size - done);
    if (got <= 0) break;
    done += got;
  }
  Stream.seek(0);

  std::optional<RegionData::Region> region = RegionData::Region::FromRgnData(buffer);
  if (!region) throw platform::Exception(RegionData::kCreateFailed);
  // The new region exists before the old one goes, so a failure above keeps
  // the previous one in use.
  regionHandle_ = std::make_unique<RegionData::Region>(std::move(*region));
}

void TFormRgn::PlaceRegion(QIODevice& Stream, int X, int Y) {
  LoadRegionData(Stream);
  if (!regionHandle_) throw platform::Exception(RegionData::kBoxFailed);
  if (!regionHandle_->MoveTo(X, Y)) throw platform::Exception(RegionData::kMoveFailed);
}

void TFormRgn::ApplyRegion() {
  if (!regionHandle_) return;
  QRegion copy;
  try {
    for (const RegionData::Rect& r : regionHandle_->Rects()) {
      copy += QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
  } catch (const std::bad_alloc&) {
    throw platform::Exception(RegionData::kCopyCombineFailed);
  }
  const RegionData::Rect box = regionHandle_->BoundingBox();
  if (copy.boundingRect() != QRect(box.left, box.top, box.right - box.left, box.bottom - box.top)) {
    throw platform::Exception(RegionData::kCopyCombineFailed);
  }
  QWidget* target = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
  if (target == nullptr) throw platform::Exception(RegionData::kSetWindowFailed);
  target->setMask(copy);
}

void ReadShapeLayout(TFormRgn* RgnMain, TfileIN* fileIN1) {
  const QPixmap picture(QStringLiteral(":/mainwindow/honeycomb.bmp"));
  if (picture.isNull()) throw platform::Exception("Pictureの読み込みに失敗しました");
  RgnMain->SetPicture(picture);
  RgnMain->move(28, 8);
  fileIN1->ReadDataFrom(QStringLiteral(":/mainwindow/honeycomb-region.dat"));
}

void ShapeMainWindow(QWidget* window, TFormRgn* RgnMain, TfileIN* fileIN1) {
  window->resize(RgnMain->width(), RgnMain->height());
  RgnMain->move(0, 0);
  RgnMain->PlaceRegion(fileIN1->DataStream, 7, 1);
  RgnMain->ApplyRegion();
}
