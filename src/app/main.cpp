// Program start: the application object, its title, the three windows in
// their order (the main window first), then the message loop.
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "about/ABOUT.h"
#include "mainwindow/Unit1.h"
#include "platform/Backends.h"
#include "platform/SessionState.h"
#include "platform/qt/Application.h"
#include "platform/qt/Fonts.h"
#include "platform/qt/MessageBoxes.h"
#include "settings/DefUnit.h"
#include "settingsdialog/Unit2.h"

namespace {

constexpr const char* kUsage =
    "使い方: kayoiji [-f 設定ファイル]\n"
    "Usage: kayoiji [-f CONFIG_FILE]\n"
    "\n"
    "ネットワーク共有をドライブに接続します。\n"
    "Connects network shares to drive letters.\n"
    "\n"
    "  -f ファイル  設定ファイル (既定: 現在のフォルダの ConfFile.dat)\n"
    "  -f FILE      the configuration file (default: ConfFile.dat in the current folder)\n"
    "  --help       この説明を表示して終了します / show this help and exit\n"
    "  --version    バージョンを表示して終了します / show the version and exit\n";

// Only as the first parameter: anywhere else a parameter keeps its meaning
// for the "-f" scan (after "-f" it is a file name). The exit status when the
// parameter asks for the usage or the version, otherwise -1.
int AnswerInformationRequest(int argc, char** argv) {
  if (argc < 2) return -1;
  if (std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
  } else if (std::strcmp(argv[1], "--version") == 0) {
    std::fputs("Kayoiji " KAYOIJI_VERSION "\n", stdout);
  } else {
    return -1;
  }
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  // Before the toolkit starts: no display is needed for these.
  if (const int status = AnswerInformationRequest(argc, argv); status >= 0) return status;
  // The program's single instances: the services over the real backends and
  // the running settings, passed by reference to everything that uses them.
  platform::Services services;
  DefUnit::RunningSettings running;

  platform::qt::KayoijiApplication app(argc, argv, services);
  platform::qt::InstallFontSubstitutions();
  // The interface is Japanese: the toolkit's own texts (file dialogs) too.
  QTranslator toolkitTexts;
  if (toolkitTexts.load(QLocale(QLocale::Japanese), "qtbase", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    app.installTranslator(&toolkitTexts);
  }
  platform::qt::QtMessageBoxes boxes;
  platform::ProgramBackends backends;
  services.Boxes = &boxes;
  services.App = &app;
  backends.Fill(services);
  platform::SessionRefusals refused(platform::SessionFolder(), platform::SessionIdentity());
  services.Refused = &refused;
  platform::SessionMark logInRun(platform::SessionFolder(), platform::LogInRunMark);
  services.LogInRun = &logInRun;
  // Qt has taken its own options out of argv by now.
  services.CommandLine.assign(argv, argv + argc);

  app.SetTitle("Kayoiji");

  TfrmMain frmMain(running, services);
  app.SetMainWindow(&frmMain);
  // A failure while reading the configuration or shaping the window ends
  // the creation there; the program goes on.
  platform::qt::RunHandled(services, [&] { frmMain.FormCreate(); });

  TfrmCNF frmCNF(running, services);
  frmMain.SetSettingsDialog(&frmCNF);

  TfrmABUT frmABUT(services);
  frmCNF.SetAboutDialog(&frmABUT);

  if (frmMain.windowState() & Qt::WindowMinimized) {
    frmMain.showMinimized();
  } else {
    frmMain.show();
  }
  return app.exec();
}
