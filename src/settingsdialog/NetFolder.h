// "参照" of the remote path as the platform allows it. On Windows the save-
// file dialog is pointed at the network folder and its folder part taken.
// On Linux the dialog cannot browse a network: a folder is chosen inside a
// share GVfs has mounted and named by its UNC form.
#pragma once

#include <QString>

#include "settingsdialog/FileDialogs.h"

namespace Unit2 {

// Sets up `dialog` before it is shown, for the path the box holds.
void PrepareNetDialog(SaveFileDialog& dialog, const QString& currentPath);

// What the path box gets once the dialog has answered.
struct NetFolderChoice {
  bool Change = false;  // put Text into the box
  QString Text;
  QString Notice;  // why the box stays as it is (an information box); may be empty
};
NetFolderChoice NetFolderResult(const SaveFileDialog& dialog, bool accepted);

}  // namespace Unit2
