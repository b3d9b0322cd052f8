// Drive links in the GTK bookmarks file: the line rules, and the file itself
// under a scratch XDG_CONFIG_HOME.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/linux/DriveBookmarks.h"
#include "support/TestFiles.h"

namespace fs = std::filesystem;
using namespace platform::bookmarks;

namespace {

const std::string kLink = "/home/u/Drives/Z";
const std::string kOurs = "file:///home/u/Drives/Z Z: (\\\\srv\\data)";

TEST(DriveBookmarks, TheLineNamesTheLinkTheLetterAndTheShare) {
  EXPECT_EQ(LineFor(kLink, "\\\\srv\\data"), kOurs);
  EXPECT_EQ(LineFor("/home/a b/Drives/K", "\\\\srv\\共有"),
            "file:///home/a%20b/Drives/K K: (\\\\srv\\共有)");
  EXPECT_EQ(LineFor(kLink, "\\\\srv\\da\nta\r"), kOurs) << "one bookmark, one line";
}

TEST(DriveBookmarks, AddingAndRemovingKeepEveryOtherLine) {
  // The user's lines, the last without its line end, and lines that only
  // look like ours (another letter, another folder, the user's own label).
  const std::string others =
      "file:///home/u/Music\n"
      "sftp://host/srv Server\n"
      "file:///home/u/Drives/Y Y: (\\\\srv\\other)\n"
      "file:///elsewhere/Z Z: (\\\\srv\\data)\n"
      "file:///home/u/Documents Docs";
  const std::string added = WithDrive(others, kLink, "\\\\srv\\data");
  EXPECT_EQ(added, others + "\n" + kOurs + "\n");
  EXPECT_EQ(WithDrive(added, kLink, "\\\\srv\\data"), added) << "no second copy";
  EXPECT_EQ(WithoutDrive(added, kLink), others + "\n");
  EXPECT_EQ(WithoutDrive(others, kLink), others);

  EXPECT_EQ(WithDrive("", kLink, "\\\\srv\\data"), kOurs + "\n");
  // The letter now on another share: the old line goes, wherever it stood.
  EXPECT_EQ(WithDrive(kOurs + "\nfile:///tmp\n", kLink, "\\\\nas\\new"),
            "file:///tmp\nfile:///home/u/Drives/Z Z: (\\\\nas\\new)\n");
}

TEST(DriveBookmarks, TheUsersOwnBookmarkOfTheLinkIsLeftAlone) {
  for (const std::string own : {"file:///home/u/Drives/Z\n", "file:///home/u/Drives/Z Work\n"}) {
    EXPECT_EQ(WithDrive(own, kLink, "\\\\srv\\data"), own);
    EXPECT_EQ(WithoutDrive(own, kLink), own);
  }
}

class BookmarksFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", scratch_.Path().c_str(), 1);
    file_ = scratch_.Path() / "gtk-3.0" / "bookmarks";
    link_ = (scratch_.Path() / "Drives" / "Z").string();
    line_ = "file://" + link_ + " Z: (\\\\srv\\data)\n";
  }
  void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }

  testsupport::TempDir scratch_;
  fs::path file_;
  std::string link_, line_;
};

TEST_F(BookmarksFileTest, MadeWhenMissingAndReplacedInOneStep) {
  EXPECT_EQ(BookmarksFile(), file_.string());
  RemoveDriveBookmark(link_);
  EXPECT_FALSE(fs::exists(file_.parent_path())) << "removing makes nothing";

  AddDriveBookmark(link_, "\\\\srv\\data");
  EXPECT_EQ(testsupport::ReadBytes(file_), line_);

  const std::string others = "file:///home/u/Music\nfile:///tmp Tmp\n";
  { std::ofstream(file_, std::ios::trunc) << others << line_ << "file:///srv\n"; }
  fs::permissions(file_, fs::perms(0644));
  RemoveDriveBookmark(link_);
  EXPECT_EQ(testsupport::ReadBytes(file_), others + "file:///srv\n");
  EXPECT_EQ(fs::status(file_).permissions(), fs::perms(0644));
  std::size_t entries = 0;
  for (const auto& e : fs::directory_iterator(file_.parent_path())) entries += e.exists();
  EXPECT_EQ(entries, 1u) << "no temporary file is left";
}

TEST_F(BookmarksFileTest, ALinkedFileStaysALink) {
  fs::create_directories(file_.parent_path());
  const fs::path kept = scratch_.Path() / "dotfiles-bookmarks";
  { std::ofstream(kept) << "file:///tmp\n"; }
  fs::create_symlink(kept, file_);
  AddDriveBookmark(link_, "\\\\srv\\data");
  EXPECT_TRUE(fs::is_symlink(file_));
  EXPECT_EQ(testsupport::ReadBytes(kept), "file:///tmp\n" + line_);
}

}  // namespace
