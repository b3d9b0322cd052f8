#include "settingsdialog/FileDialogs.h"

#include <QDir>
#include <QFileDialog>

namespace Unit2 {

bool RunToolkitSaveFileDialog(SaveFileDialog& dialog, QWidget* owner) {
  QFileDialog box(owner, dialog.Title);
  box.setAcceptMode(QFileDialog::AcceptSave);
  box.setFileMode(QFileDialog::AnyFile);
  box.setOption(QFileDialog::DontConfirmOverwrite, true);
  box.setSizeGripEnabled(dialog.EnableSizing);
  if (!dialog.InitialDir.isEmpty()) box.setDirectory(QDir::fromNativeSeparators(dialog.InitialDir));
  if (!dialog.FileName.isEmpty()) box.selectFile(QDir::fromNativeSeparators(dialog.FileName));
  if (box.exec() != QDialog::Accepted) return false;
  const QStringList chosen = box.selectedFiles();
  if (chosen.isEmpty()) return false;
  dialog.FileName = QDir::toNativeSeparators(chosen.front());
  return true;
}

}  // namespace Unit2
