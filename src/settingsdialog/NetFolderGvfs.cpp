#include <QDir>
#include <QFile>

#include "platform/linux/GvfsPath.h"
#include "settings/DefUnit.h"
#include "settingsdialog/DialogRules.h"
#include "settingsdialog/NetFolder.h"

namespace Unit2 {

namespace {

std::string Local(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QString FromLocal(const std::string& path) {
  return QFile::decodeName(path.c_str());
}

}  // namespace

void PrepareNetDialog(SaveFileDialog& dialog, const QString& currentPath) {
  const std::string runtime = platform::gio::UserRuntimeDir();
  const std::vector<std::string> mounts = platform::gio::GvfsShareMounts(runtime);
  dialog.ChooseFolder = true;
  dialog.SidebarFolders.clear();
  for (const std::string& m : mounts) dialog.SidebarFolders << FromLocal(m);

  // Start in the mounted folder the box names, else among the mounts.
  dialog.InitialDir.clear();
  const QString wanted = currentPath.toCaseFolded();
  for (const std::string& m : mounts) {
    const QString unc =
        QString::fromStdString(platform::gio::GvfsPathToUnc(m, runtime).value_or(std::string()));
    const QString folded = unc.toCaseFolded();
    if (!wanted.startsWith(folded)) continue;
    const QString rest = currentPath.mid(unc.size());
    if (!rest.isEmpty() && !rest.startsWith(u'\\')) continue;
    const QString candidate = FromLocal(m) + QString(rest).replace(u'\\', u'/');
    dialog.InitialDir = QDir(candidate).exists() ? candidate : FromLocal(m);
    return;
  }
  if (!mounts.empty()) dialog.InitialDir = FromLocal(platform::gio::GvfsMountRoot(runtime));
}

NetFolderChoice NetFolderResult(const SaveFileDialog& dialog, bool accepted) {
  NetFolderChoice choice;
  if (!accepted) return choice;
  const std::optional<std::string> unc = platform::gio::GvfsPathToUnc(
      Local(QDir::cleanPath(dialog.FileName)), platform::gio::UserRuntimeDir());
  if (!unc) {
    choice.Notice = QStringLiteral(
        "選択したフォルダはネットワークの共有フォルダの中にないため、接続先にできません。"
        "共有フォルダをファイルマネージャーで開いて (smb://コンピュータ名/共有名) "
        "マウントしてから、"
        "その中のフォルダを選んでください。接続先は変更していません。");
    return choice;
  }
  choice.Change = true;
  choice.Text = CutToSjisBytes(FromLocal(*unc), DefUnit::MaxFieldText);
  return choice;
}

}  // namespace Unit2
