// Renders the program's icons from the honeycomb picture: a square piece of
// it, black made transparent, at the sizes desktops ask for.
//
//   kayoiji_icons DIR   reads DIR/honeycomb.bmp, writes DIR/icons/kayoiji-{48,128,256}.png
//                       and DIR/icons/kayoiji.ico (the Windows program's icon)
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QList>
#include <QtEndian>
#include <cstdio>

namespace {

void PutU16(QByteArray& out, quint16 v) {
  v = qToLittleEndian(v);
  out.append(reinterpret_cast<const char*>(&v), 2);
}

void PutU32(QByteArray& out, quint32 v) {
  v = qToLittleEndian(v);
  out.append(reinterpret_cast<const char*>(&v), 4);
}

// One icon image as Windows reads it from a resource: the small sizes as a
// 32-bit DIB (height doubled for the empty AND mask; alpha does the masking),
// 256 pixels as PNG, which Windows takes from Vista on.
QByteArray IconImage(const QImage& image) {
  QByteArray out;
  if (image.width() >= 256) {
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
  }
  const int w = image.width(), h = image.height();
  const int maskStride = ((w + 31) / 32) * 4;
  PutU32(out, 40);
  PutU32(out, w);
  PutU32(out, 2 * h);
  PutU16(out, 1);
  PutU16(out, 32);
  PutU32(out, 0);
  PutU32(out, w * h * 4 + maskStride * h);
  for (int i = 0; i < 4; ++i) PutU32(out, 0);
  for (int y = h - 1; y >= 0; --y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < w; ++x) PutU32(out, line[x]);  // ARGB32 is BGRA in memory order
  }
  out.append(QByteArray(maskStride * h, '\0'));
  return out;
}

bool WriteIco(const QString& path, const QList<QImage>& images) {
  QByteArray out;
  PutU16(out, 0);
  PutU16(out, 1);
  PutU16(out, images.size());
  QList<QByteArray> data;
  for (const QImage& image : images) data.append(IconImage(image));
  quint32 offset = 6 + 16 * images.size();
  for (int i = 0; i < images.size(); ++i) {
    out.append(char(images[i].width() & 0xFF));  // 0 stands for 256
    out.append(char(images[i].height() & 0xFF));
    out.append(char(0));
    out.append(char(0));
    PutU16(out, 1);
    PutU16(out, 32);
    PutU32(out, data[i].size());
    PutU32(out, offset);
    offset += data[i].size();
  }
  for (const QByteArray& d : data) out.append(d);
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kayoiji_icons DIR\n");
    return 2;
  }
  const QString dir = QString::fromLocal8Bit(argv[1]);
  QImage picture(dir + "/honeycomb.bmp");
  if (picture.isNull()) {
    std::fprintf(stderr, "cannot read %s/honeycomb.bmp\n", argv[1]);
    return 1;
  }
  // The left end of the honeycomb: pale cells shading into dark blue.
  QImage square = picture.copy(QRect(7, 0, 128, 128)).convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < square.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(square.scanLine(y));
    for (int x = 0; x < square.width(); ++x) {
      if (qRed(line[x]) == 0 && qGreen(line[x]) == 0 && qBlue(line[x]) == 0) line[x] = 0;
    }
  }
  QDir().mkpath(dir + "/icons");
  for (int size : {48, 128, 256}) {
    const QImage icon = square.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const QString path = QString("%1/icons/kayoiji-%2.png").arg(dir).arg(size);
    if (!icon.save(path, "PNG")) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      return 1;
    }
    std::printf("%s\n", qPrintable(path));
  }
  QList<QImage> images;
  for (int size : {16, 32, 48, 256}) {
    images.append(square.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_ARGB32));
  }
  const QString ico = dir + "/icons/kayoiji.ico";
  if (!WriteIco(ico, images)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(ico));
    return 1;
  }
  std::printf("%s\n", qPrintable(ico));
  return 0;
}
