// Folders inside GVfs share mounts named as UNC paths.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/linux/GvfsPath.h"
#include "support/TestFiles.h"

using platform::gio::GvfsPathToUnc;
using platform::gio::GvfsShareMounts;

namespace {

const std::string kRun = "/run/user/1000";

std::string Unc(const std::string& path) {
  return GvfsPathToUnc(path, kRun).value_or("(none)");
}

}  // namespace

TEST(GvfsPath, AShareMountAndTheFoldersInsideIt) {
  EXPECT_EQ(Unc("/run/user/1000/gvfs/smb-share:server=nas,share=data"), "\\\\nas\\data");
  EXPECT_EQ(Unc("/run/user/1000/gvfs/smb-share:server=nas,share=data/"), "\\\\nas\\data");
  EXPECT_EQ(Unc("/run/user/1000/gvfs/smb-share:server=nas,share=data/a b//c/"),
            "\\\\nas\\data\\a b\\c");
  // The mount's keys come in any order; a user or domain does not change the share.
  EXPECT_EQ(Unc("/run/user/1000/gvfs/smb-share:domain=W,server=10.0.0.5,share=pub,user=taro/x"),
            "\\\\10.0.0.5\\pub\\x");
  EXPECT_EQ(Unc("/run/user/1000/gvfs/smb-share:port=4450,server=127.0.0.1,share=data/sub"),
            "\\\\127.0.0.1@4450\\data\\sub");
  // Escaped values, and names beyond ASCII as they are (UTF-8).
  EXPECT_EQ(Unc("/run/user/1000/gvfs/smb-share:server=nas,share=my%20share%2c1/資料"),
            "\\\\nas\\my share,1\\資料");
  EXPECT_EQ(GvfsPathToUnc("/tmp/r/gvfs/smb-share:server=h,share=s", "/tmp/r/"), "\\\\h\\s");
}

TEST(GvfsPath, EverythingElseNamesNoShare) {
  for (const char* path : {
           "/home/taro/data",                                   // a local folder
           "/run/user/1000/gvfs",                               // the mounts' folder itself
           "/run/user/1001/gvfs/smb-share:server=nas,share=d",  // another user's
           "/run/user/1000/gvfs/smb-server:server=nas",         // a whole server, no share
           "/run/user/1000/gvfs/sftp:host=nas/home",            // another protocol
           "/run/user/1000/gvfs/smb-share:server=nas",          // no share
           "/run/user/1000/gvfs/smb-share:server=,share=d",     // empty host
           "/run/user/1000/gvfs/smb-share:server=nas,share=d,port=x1",
           "/run/user/1000/gvfs/smb-share:server=nas,share=%zz",
           "/run/user/1000/gvfs/smb-share:server=a%5cb,share=d",  // a backslash in a name
           "/run/user/1000/gvfs/smb-share:server=nas,share=d/../x",
           "/run/user/1000/gvfsx/smb-share:server=nas,share=d",
       }) {
    EXPECT_EQ(GvfsPathToUnc(path, kRun), std::nullopt) << path;
  }
  EXPECT_EQ(GvfsPathToUnc("/run/user/1000/gvfs/smb-share:server=nas,share=d", ""), std::nullopt);
}

TEST(GvfsPath, ListsOnlyShareMounts) {
  testsupport::TempDir dir;
  const std::string run = dir.File("run");
  for (const char* name : {"smb-share:server=b,share=s", "smb-share:server=a,share=s",
                           "smb-server:server=c", "sftp:host=d"}) {
    std::filesystem::create_directories(run + "/gvfs/" + name);
  }
  const std::vector<std::string> expected = {run + "/gvfs/smb-share:server=a,share=s",
                                             run + "/gvfs/smb-share:server=b,share=s"};
  EXPECT_EQ(GvfsShareMounts(run), expected);
  EXPECT_TRUE(GvfsShareMounts(dir.File("none")).empty());
}
