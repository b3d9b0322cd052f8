#include "settings/DefUnit.h"
#include "settingsdialog/DialogRules.h"
#include "settingsdialog/NetFolder.h"

namespace Unit2 {

void PrepareNetDialog(SaveFileDialog& dialog, const QString& currentPath) {
  dialog.InitialDir = currentPath;
}

// The user goes to the folder and accepts the proposed name; the name is
// cut off again, also after Cancel.
NetFolderChoice NetFolderResult(const SaveFileDialog& dialog, bool /*accepted*/) {
  NetFolderChoice choice;
  choice.Change = true;
  choice.Text = CutToSjisBytes(FolderPart(dialog.FileName), DefUnit::MaxFieldText);
  return choice;
}

}  // namespace Unit2
