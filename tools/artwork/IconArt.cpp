// Renders the program's icons from the honeycomb picture: a square piece of
// it, black made transparent, at the sizes desktops ask for.
//
//   kayoiji_icons DIR   reads DIR/honeycomb.bmp, writes DIR/icons/kayoiji-{48,128,256}.png
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

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
  return 0;
}
