#include "settingsdialog/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QUrl>

namespace Unit2 {

bool RunToolkitSaveFileDialog(SaveFileDialog& dialog, QWidget* owner) {
  QFileDialog box(owner, dialog.Title);
  // Held to the settings dialog only: the main window keeps its buttons.
  box.setWindowModality(Qt::WindowModal);
  if (dialog.ChooseFolder) {
    box.setAcceptMode(QFileDialog::AcceptOpen);
    box.setFileMode(QFileDialog::Directory);
    box.setOption(QFileDialog::ShowDirsOnly, true);
  } else {
    box.setAcceptMode(QFileDialog::AcceptSave);
    box.setFileMode(QFileDialog::AnyFile);
    box.setOption(QFileDialog::DontConfirmOverwrite, true);
  }
  if (!dialog.SidebarFolders.isEmpty()) {
    QList<QUrl> places = box.sidebarUrls();
    for (const QString& folder : dialog.SidebarFolders) {
      const QUrl url = QUrl::fromLocalFile(folder);
      if (!places.contains(url)) places << url;
    }
    box.setSidebarUrls(places);
  }
  box.setSizeGripEnabled(dialog.EnableSizing);
  if (!dialog.InitialDir.isEmpty()) box.setDirectory(QDir::fromNativeSeparators(dialog.InitialDir));
  if (!dialog.ChooseFolder && !dialog.FileName.isEmpty())
    box.selectFile(QDir::fromNativeSeparators(dialog.FileName));
  if (box.exec() != QDialog::Accepted) return false;
  const QStringList chosen = box.selectedFiles();
  if (chosen.isEmpty()) return false;
  dialog.FileName = QDir::toNativeSeparators(chosen.front());
  return true;
}

}  // namespace Unit2
