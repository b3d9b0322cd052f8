// "参照" of the remote path on Linux: a folder inside a share GVfs has
// mounted gives the share's UNC path; any other folder changes nothing.
#include <QDir>
#include <filesystem>

#include "DialogFixture.h"

namespace dialogtest {
namespace {

class NetFolder : public DialogFixture {
 protected:
  void SetUp() override {
    saved_ = qgetenv("XDG_RUNTIME_DIR");
    runtime_ = dir.File("run");
    mount_ = QString::fromStdString(runtime_ + "/gvfs/smb-share:port=4450,server=nas,share=data");
    std::filesystem::create_directories((mount_ + "/月次/01").toStdString());
    std::filesystem::create_directories(runtime_ + "/gvfs/sftp:host=nas");
    std::filesystem::create_directories(dir.File("local"));
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime_));
    DialogFixture::SetUp();
  }
  void TearDown() override {
    DialogFixture::TearDown();
    qputenv("XDG_RUNTIME_DIR", saved_);
  }
  QByteArray saved_;
  std::string runtime_;
  QString mount_;
};

TEST_F(NetFolder, AFolderInAMountedShareGivesItsUncPath) {
  Show();
  answers.push_back({true, mount_ + "/月次"});
  Click(btnNet);
  ASSERT_EQ(shownDialogs.size(), 1u);
  EXPECT_TRUE(shownDialogs[0].ChooseFolder);
  EXPECT_EQ(shownDialogs[0].SidebarFolders, QStringList{mount_}) << "the mounted shares only";
  EXPECT_EQ(shownDialogs[0].InitialDir, QString::fromStdString(runtime_ + "/gvfs"));
  EXPECT_EQ(txtNetPath->text(), QStringLiteral("\\\\nas@4450\\data\\月次"));
  EXPECT_EQ(Stored(dialog->Working().NetPath, 0), platform::Utf8ToSjis("\\\\nas@4450\\data\\月次"));
  EXPECT_TRUE(BoxTexts().empty());

  // Next time the dialog opens where the path points.
  txtNetPath->setText(QStringLiteral("\\\\NAS@4450\\data\\月次\\01"));
  Click(btnNet);
  EXPECT_EQ(shownDialogs.back().InitialDir, mount_ + "/月次/01");
  EXPECT_EQ(txtNetPath->text(), QStringLiteral("\\\\NAS@4450\\data\\月次\\01"))
      << "cancelled: unchanged";
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(NetFolder, AnyOtherFolderLeavesThePathAndSaysWhy) {
  Show();
  answers.push_back({true, QString::fromStdString(dir.File("local"))});
  answers.push_back({true, QString::fromStdString(runtime_ + "/gvfs/sftp:host=nas")});
  Click(btnNet);
  Click(btnNet);
  EXPECT_EQ(txtNetPath->text(), "\\\\srv\\share");
  EXPECT_FALSE(dialog->EntryWasChanged(0));
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].Kind, platform::BoxKind::Information);
  EXPECT_NE(BoxTexts()[0].find("共有フォルダ"), std::string::npos) << BoxTexts()[0];
}

}  // namespace
}  // namespace dialogtest
