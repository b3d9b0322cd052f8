// "参照" of the remote path where the save-file dialog browses the network.
#include "DialogFixture.h"

namespace dialogtest {
namespace {

using SettingsDialog = DialogFixture;

TEST_F(SettingsDialog, FolderDialogCancelKeepsItsNameAndAcceptCutsToTheFolder) {
  Show();
  // First use, cancelled: the name "dir" has no folder part.
  Click(dialog->btnNet);
  ASSERT_EQ(shownDialogs.size(), 1u);
  EXPECT_EQ(shownDialogs[0].InitialDir, "\\\\srv\\share");
  EXPECT_EQ(shownDialogs[0].FileName, "dir");
  EXPECT_EQ(dialog->txtNetPath->text(), "");
  EXPECT_TRUE(dialog->EntryChanged[0]);

  answers.push_back({true, QStringLiteral("\\\\srv\\共有\\dir")});
  Click(dialog->btnNet);
  EXPECT_EQ(dialog->txtNetPath->text(), QStringLiteral("\\\\srv\\共有"));
  EXPECT_EQ(Stored(dialog->WorkingCopy.NetPath, 0), platform::Utf8ToSjis("\\\\srv\\共有"));

  // Cancelled later: the last accepted name is cut again.
  Clear(dialog->txtNetPath);
  Click(dialog->btnNet);
  EXPECT_EQ(shownDialogs.back().FileName, QStringLiteral("\\\\srv\\共有\\dir"));
  EXPECT_EQ(dialog->txtNetPath->text(), QStringLiteral("\\\\srv\\共有"));
}
}  // namespace
}  // namespace dialogtest
