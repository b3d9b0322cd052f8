// Program start: the application object, its title, the windows in their
// order, then the message loop.
#include <string>
#include <vector>

#include "mainwindow/Unit1.h"
#include "platform/qt/Application.h"
#include "platform/qt/MessageBoxes.h"
#include "settings/DefUnit.h"

int main(int argc, char** argv) {
  platform::qt::KayoijiApplication app(argc, argv);
  platform::qt::QtMessageBoxes boxes;

  platform::Services& services = platform::CurrentServices();
  services.Boxes = &boxes;
  services.App = &app;
  // Qt has taken its own options out of argv by now.
  services.CommandLine.assign(argv, argv + argc);

  app.SetTitle("Kayoiji");

  TfrmMain frmMain(DefUnit::Running(), services);
  app.SetMainWindow(&frmMain);
  app.RunHandled([&] { frmMain.FormCreate(); });

  if (frmMain.windowState() & Qt::WindowMinimized) {
    frmMain.showMinimized();
  } else {
    frmMain.show();
  }
  return app.exec();
}
