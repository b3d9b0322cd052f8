// The settings dialog's two save-file dialogs. Each keeps its title, folder,
// file name and options between uses; showing it is a replaceable function,
// so tests answer it without opening a window.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace Unit2 {

struct SaveFileDialog {
  QString Title;
  QString InitialDir;
  QString FileName;
  bool EnableSizing = true;  // resizable
  // Choose an existing folder rather than name a file; FileName receives it.
  bool ChooseFolder = false;
  // Folders offered in the dialog's side bar besides the usual places.
  QStringList SidebarFolders;
};

// Shows `dialog` modally. On OK stores the chosen full path (with the
// system's separators) in dialog.FileName and returns true; on Cancel leaves
// FileName as it was and returns false.
using SaveFileDialogRunner = std::function<bool(SaveFileDialog& dialog, QWidget* owner)>;

// The real one: the toolkit's save-file dialog. No filter, no default
// extension, and no question before overwriting (the caller asks).
bool RunToolkitSaveFileDialog(SaveFileDialog& dialog, QWidget* owner);

}  // namespace Unit2
