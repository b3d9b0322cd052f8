// "参照" of the remote path where the save-file dialog browses the network.
#include "DialogFixture.h"

namespace dialogtest {
namespace {

using SettingsDialog = DialogFixture;

TEST_F(SettingsDialog, FolderDialogCancelKeepsItsNameAndAcceptCutsToTheFolder) {
  Show();
  // First use, cancelled: the name "dir" has no folder part.
  Click(btnNet);
  ASSERT_EQ(shownDialogs.size(), 1u);
  EXPECT_EQ(shownDialogs[0].InitialDir, "\\\\srv\\share");
  EXPECT_EQ(shownDialogs[0].FileName, "dir");
  EXPECT_EQ(txtNetPath->text(), "");
  EXPECT_TRUE(dialog->EntryWasChanged(0));

  answers.push_back({true, QStringLiteral("\\\\srv\\共有\\dir")});
  Click(btnNet);
  EXPECT_EQ(txtNetPath->text(), QStringLiteral("\\\\srv\\共有"));
  EXPECT_EQ(Stored(dialog->Working().NetPath, 0), platform::Utf8ToSjis("\\\\srv\\共有"));

  // Cancelled later: the last accepted name is cut again.
  Clear(txtNetPath);
  Click(btnNet);
  EXPECT_EQ(shownDialogs.back().FileName, QStringLiteral("\\\\srv\\共有\\dir"));
  EXPECT_EQ(txtNetPath->text(), QStringLiteral("\\\\srv\\共有"));
}
}  // namespace
}  // namespace dialogtest
