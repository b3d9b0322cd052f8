// Program start: the application object, its title, the three windows in
// their order (the main window first), then the message loop.
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <string>
#include <vector>

#include "about/ABOUT.h"
#include "mainwindow/Unit1.h"
#include "platform/qt/Application.h"
#include "platform/qt/Fonts.h"
#include "platform/qt/MessageBoxes.h"
#include "settings/DefUnit.h"
#include "settingsdialog/Unit2.h"

#ifdef _WIN32
#include "platform/windows/Win32Network.h"
#include "platform/windows/Win32System.h"
using NetworkBackend = platform::Win32Network;
using KeyboardBackend = platform::Win32Keyboard;
using OsIdentityBackend = platform::Win32OsIdentity;
#else
#include "platform/linux/GioNetwork.h"
#include "platform/linux/LinuxSystem.h"
using NetworkBackend = platform::GioNetwork;
using KeyboardBackend = platform::LinuxKeyboard;
using OsIdentityBackend = platform::LinuxOsIdentity;
#endif

int main(int argc, char** argv) {
  platform::qt::KayoijiApplication app(argc, argv);
  platform::qt::InstallFontSubstitutions();
  // The interface is Japanese: the toolkit's own texts (file dialogs) too.
  QTranslator toolkitTexts;
  if (toolkitTexts.load(QLocale(QLocale::Japanese), "qtbase", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    app.installTranslator(&toolkitTexts);
  }
  platform::qt::QtMessageBoxes boxes;
  NetworkBackend network;
  KeyboardBackend keyboard;
  OsIdentityBackend os;

  platform::Services& services = platform::CurrentServices();
  services.Boxes = &boxes;
  services.App = &app;
  services.Network = &network;
  services.Keys = &keyboard;
  services.Os = &os;
  // Qt has taken its own options out of argv by now.
  services.CommandLine.assign(argv, argv + argc);

  app.SetTitle("Kayoiji");

  TfrmMain frmMain(DefUnit::Running(), services);
  app.SetMainWindow(&frmMain);
  // A failure while reading the configuration or shaping the window ends
  // the creation there; the program goes on.
  app.RunHandled([&] { frmMain.FormCreate(); });

  TfrmCNF settingsDialog(DefUnit::Running(), services);
  frmCNF = &settingsDialog;
  frmMain.frmCNF = &settingsDialog;

  TfrmABUT aboutBox;
  frmABUT = &aboutBox;
  settingsDialog.SetAboutDialog(&aboutBox);

  // A borderless window left to the system's default position sits at the
  // top-left corner of the screen; Qt would centre it instead.
  frmMain.move(0, 0);
  if (frmMain.windowState() & Qt::WindowMinimized) {
    frmMain.showMinimized();
  } else {
    frmMain.show();
  }
  return app.exec();
}
