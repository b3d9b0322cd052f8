// The yardstick for start-up: the least a Qt Widgets program does to show
// one 384 x 128 window for a second and quit.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(384, 128);
  window.show();
  QTimer::singleShot(1000, &app, &QCoreApplication::quit);
  return app.exec();
}
